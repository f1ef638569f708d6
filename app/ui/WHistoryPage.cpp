#include "app/ui/WHistoryPage.h"
#include "app/res/resource.h"

namespace Quorvane_ns {

HWND WHistoryPage_cl::Create(HWND parent) { return ModelessDialog_cl::Create(IDD_HISTORY_PAGE, parent); }

} // namespace Quorvane_ns
