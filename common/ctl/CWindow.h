#pragma once
// The thinnest window wrapper: it holds only the HWND, converts to it, and
// never owns the window unless Destroy is called. Every control wrapper of
// this library builds on it.
#include <windows.h>
#include "common/base/String.h"

namespace CTL_ns {

using Base_ns::String_cl;

class CWindow {
public:
    CWindow(HWND hwnd = nullptr) : m_hwnd(hwnd) {}

    operator HWND() const { return m_hwnd; }
    HWND GetHwnd() const { return m_hwnd; }
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND Detach()
    {
        HWND h = m_hwnd;
        m_hwnd = nullptr;
        return h;
    }
    bool Destroy()
    {
        if (!m_hwnd) return true;
        const bool ok = ::DestroyWindow(m_hwnd) != FALSE;
        m_hwnd = nullptr;
        return ok;
    }

    LRESULT SendMsg(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hwnd, message, wParam, lParam);
    }
    bool PostMsg(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hwnd, message, wParam, lParam) != FALSE;
    }

    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hwnd); }
    HWND GetParent() const { return ::GetParent(m_hwnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hwnd, id); }

    bool Show(int command) { return ::ShowWindow(m_hwnd, command) != FALSE; }
    bool IsVisible() const { return ::IsWindowVisible(m_hwnd) != FALSE; }
    bool Enable(bool enable) { return ::EnableWindow(m_hwnd, enable) != FALSE; }
    bool IsEnabled() const { return ::IsWindowEnabled(m_hwnd) != FALSE; }
    HWND SetFocus() { return ::SetFocus(m_hwnd); }

    RECT GetClientRect() const
    {
        RECT r{};
        ::GetClientRect(m_hwnd, &r);
        return r;
    }
    RECT GetWindowRect() const
    {
        RECT r{};
        ::GetWindowRect(m_hwnd, &r);
        return r;
    }
    bool Move(int x, int y, int width, int height, bool repaint = true)
    {
        return ::MoveWindow(m_hwnd, x, y, width, height, repaint) != FALSE;
    }
    bool Move(const RECT& r, bool repaint = true)
    {
        return Move(r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
    }

    LONG_PTR GetStyle() const { return ::GetWindowLongPtrW(m_hwnd, GWL_STYLE); }
    LONG_PTR GetExStyle() const { return ::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE); }
    // Adds and removes style bits; the frame is told so that it is drawn anew.
    void ModifyStyle(LONG_PTR remove, LONG_PTR add);
    void ModifyExStyle(LONG_PTR remove, LONG_PTR add);

    bool SetText(const String_cl& text) { return ::SetWindowTextW(m_hwnd, text.c_str()) != FALSE; }
    String_cl GetText() const;

    bool SetTimer(UINT_PTR id, UINT milliseconds) { return ::SetTimer(m_hwnd, id, milliseconds, nullptr) != 0; }
    bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hwnd, id) != FALSE; }

protected:
    HWND m_hwnd;
};

} // namespace CTL_ns
