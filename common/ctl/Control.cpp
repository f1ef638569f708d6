#include "common/ctl/Control.h"
#include <commctrl.h>
#include "common/base/Error.h"

namespace CTL_ns {
namespace {
const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\CTL\\Control";
// One hook id for every wrapper: a window has at most one wrapper.
const UINT_PTR kHookId = 0x5156;  // "QV"
// Where a hooked window names its wrapper. (GetWindowSubclass would do, but
// comctl32 exports it by ordinal only.)
const wchar_t kProperty[] = L"Quorvane.Control_cl";
} // namespace

Control_cl::~Control_cl() { Unhook(); }

Control_cl* Control_cl::FromWindow(HWND hwnd)
{
    return hwnd ? static_cast<Control_cl*>(::GetPropW(hwnd, kProperty)) : nullptr;
}

bool Control_cl::Hook(HWND hwnd)
{
    Unhook();
    if (!hwnd || !::SetWindowSubclass(hwnd, &HookProc, kHookId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    ::SetPropW(hwnd, kProperty, this);
    m_hooked = hwnd;
    return true;
}

void Control_cl::Unhook()
{
    if (!m_hooked) return;
    ::RemoveWindowSubclass(m_hooked, &HookProc, kHookId);
    ::RemovePropW(m_hooked, kProperty);
    m_hooked = nullptr;
}

LRESULT Control_cl::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Default(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Control_cl::HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data)
{
    Control_cl* self = reinterpret_cast<Control_cl*>(data);
    if (message == WM_NCDESTROY) {
        self->Unhook();
        const LRESULT result = Default(hwnd, message, wParam, lParam);
        self->OnWindowGone();
        return result;
    }
    try {
        return self->OnMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        Base_ns::ShowCurrentException(::GetParent(hwnd), kSource, __LINE__);
    }
    // The handler was abandoned; the control still gets its own processing
    // where it would otherwise be left without it.
    return (message == WM_DESTROY) ? Default(hwnd, message, wParam, lParam) : 0;
}

} // namespace CTL_ns
