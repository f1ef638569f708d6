#pragma once
// The full paths of the files dropped on a window, in the order the shell
// reports them. Taking them releases the drop handle.
#include <windows.h>
#include <shellapi.h>
#include "common/base/String.h"
#include "common/container/List.h"

namespace SystemInfo_ns {

class DragInfo_cl : public Container_ns::List_tl<Base_ns::String_cl> {
public:
    // From WM_DROPFILES: wParam is the drop handle.
    explicit DragInfo_cl(HDROP drop);
    const wchar_t* ClassName() const override { return L"DragInfo_cl"; }
};

} // namespace SystemInfo_ns
