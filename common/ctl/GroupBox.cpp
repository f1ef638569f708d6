#include "common/ctl/GroupBox.h"

namespace CTL_ns {

LRESULT GroupBox_cl::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_ERASEBKGND) return Default(hwnd, message, wParam, lParam);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

} // namespace CTL_ns
