#include "common/ctl/CWindow.h"

namespace CTL_ns {

void CWindow::ModifyStyle(LONG_PTR remove, LONG_PTR add)
{
    ::SetWindowLongPtrW(m_hwnd, GWL_STYLE, (GetStyle() & ~remove) | add);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CWindow::ModifyExStyle(LONG_PTR remove, LONG_PTR add)
{
    ::SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, (GetExStyle() & ~remove) | add);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

String_cl CWindow::GetText() const
{
    const int length = ::GetWindowTextLengthW(m_hwnd);
    if (length <= 0) return String_cl();
    String_cl text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

} // namespace CTL_ns
