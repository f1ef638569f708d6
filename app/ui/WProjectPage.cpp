#include "app/ui/WProjectPage.h"
#include "app/res/resource.h"

namespace Quorvane_ns {

HWND WProjectPage_cl::Create(HWND parent) { return ModelessDialog_cl::Create(IDD_PROJECT_PAGE, parent); }

} // namespace Quorvane_ns
