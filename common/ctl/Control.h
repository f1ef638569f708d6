#pragma once
// What a control wrapper adds when it has behaviour of its own: it hooks the
// control's window procedure (SetWindowSubclass), so it sees the control's
// messages whether the control came from a dialog template or from
// CreateWindowEx, and it can be found again from the HWND alone. The dialog
// base uses that to hand a control the notifications it sends its parent
// (reflection) before the dialog's own handlers see them.
//
// Rules of the hook: the wrapper must outlive its hook or unhook first (the
// destructor does); the hook goes away by itself on WM_NCDESTROY; no
// exception leaves the hooked procedure.
#include <windows.h>
#include <commctrl.h>

namespace CTL_ns {

class Control_cl {
public:
    Control_cl(const Control_cl&) = delete;
    Control_cl& operator=(const Control_cl&) = delete;

    // The wrapper hooked to hwnd, or null.
    static Control_cl* FromWindow(HWND hwnd);

    // A notification this control sent its parent, handed back to it first.
    // Return true when handled: the parent's handlers then do not see it,
    // and result is the answer the control gets.
    virtual bool OnReflectedNotify(NMHDR* header, LRESULT& result) { return false; }
    virtual bool OnReflectedCommand(int code, LRESULT& result) { return false; }

protected:
    Control_cl() : m_hooked(nullptr) {}
    virtual ~Control_cl();

    // Hooks hwnd; false when it is null or hooking failed.
    bool Hook(HWND hwnd);
    void Unhook();
    HWND Hooked() const { return m_hooked; }

    // Every message of the hooked window; the default passes it on.
    virtual LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window is going away (WM_NCDESTROY, after the hook was removed).
    virtual void OnWindowGone() {}
    // The next procedure in the chain, the control's own in the end.
    static LRESULT Default(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    HWND m_hooked;
};

} // namespace CTL_ns
