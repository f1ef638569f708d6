#pragma once
// The dialog base of every window of the program. One static dialog
// procedure serves modal and modeless dialogs: it takes `this` from the
// WM_INITDIALOG parameter, keeps it in DWLP_USER and forwards to the virtual
// handlers below.
//
// Rules of the boundary:
// - No exception crosses it: whatever a handler throws is shown there, with
//   the dialog as owner, and the rest of that message's work is abandoned.
// - A control that a wrapper has hooked (Control_cl) gets the WM_NOTIFY and
//   WM_COMMAND it sent first; what it handles never reaches OnNotify or
//   OnCommand.
// - A modal dialog ends with End (EndDialog), a modeless one with Destroy
//   (DestroyWindow). Tab pages are modeless child dialogs (DS_CONTROL).
// - A modal dialog sees the messages of its loop meant for itself or any of
//   its descendants before the dialog manager does (PreTranslateMessage,
//   through the thread's message filter hook, which IsDialogMessage calls).
#include <windows.h>
#include <commctrl.h>
#include <vector>
#include "common/base/Error.h"
#include "common/ctl/CWindow.h"

namespace CTL_ns {

class Dialog_cl : public CWindow {
public:
    Dialog_cl(const Dialog_cl&) = delete;
    Dialog_cl& operator=(const Dialog_cl&) = delete;
    virtual ~Dialog_cl() = default;

    virtual const wchar_t* ClassName() const { return L"Dialog_cl"; }
    // The object behind a dialog made by this base, or null.
    static Dialog_cl* FromWindow(HWND hwnd);

protected:
    Dialog_cl() = default;

    // true: the system puts the focus on the first control.
    virtual bool OnInit() { return true; }
    // Return true when handled. IDOK and IDCANCEL that come back unhandled go
    // to OnOK and OnCancel.
    virtual bool OnCommand(int code, int id, HWND control) { return false; }
    // result becomes DWLP_MSGRESULT when handled.
    virtual bool OnNotify(int id, NMHDR* header, LRESULT& result) { return false; }
    virtual void OnSize(UINT type, int width, int height) {}
    virtual void OnTimer(UINT_PTR id) {}
    // Before the children go; the default handling follows.
    virtual void OnDestroy() {}
    // Every other message; result is what the dialog procedure returns.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) { return false; }
    virtual void OnOK() {}
    virtual void OnCancel() {}

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static HINSTANCE DefaultInstance(HINSTANCE instance)
    {
        return instance ? instance : ::GetModuleHandleW(nullptr);
    }
    [[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note) const;
    // Alt+letter among this dialog's own controls only, not those of its
    // child dialogs: a button is clicked, a label moves the focus to the
    // control after it, as the dialog manager does. False when no enabled,
    // visible control has that letter.
    bool PressOwnMnemonic(wchar_t letter);
    // Before the controls of these ids go grey: when one of them (or a child
    // of one, as a combo's edit) has the focus, the focus moves to `to`,
    // which stays usable, so the keyboard is not left with nowhere to go.
    void ParkFocus(const std::vector<int>& ids, HWND to);
    // Once they are usable again: the focus goes back where ParkFocus found
    // it, unless the user has moved it since.
    void ReturnFocus();

private:
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool DispatchCommand(WPARAM wParam, LPARAM lParam);
    bool DispatchNotify(NMHDR* header);
    void SetResult(LRESULT result) { ::SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result); }

    HWND m_parkedFrom = nullptr;
    HWND m_parkedAt = nullptr;
};

class ModalDialog_cl : public Dialog_cl {
public:
    // Runs the dialog of the template; returns what End was given.
    INT_PTR DoModal(int templateId, HWND parent, HINSTANCE instance = nullptr);
    void End(INT_PTR result) { ::EndDialog(m_hwnd, result); }

protected:
    void OnOK() override { End(IDOK); }
    void OnCancel() override { End(IDCANCEL); }
    // A message of the dialog's loop for this dialog or a descendant, before
    // the dialog manager sees it; true: it is taken, nothing else sees it.
    virtual bool PreTranslateMessage(MSG& msg) { return false; }

private:
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
};

class ModelessDialog_cl : public Dialog_cl {
public:
    // The window goes with the object at the latest; its own handlers no
    // longer run then, so owners destroy their windows first.
    ~ModelessDialog_cl() override;
    // Makes the dialog of the template; visible only if the template says so.
    HWND Create(int templateId, HWND parent, HINSTANCE instance = nullptr);
    void Destroy();
};

} // namespace CTL_ns
