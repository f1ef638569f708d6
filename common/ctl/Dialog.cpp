#include "common/ctl/Dialog.h"
#include <cwctype>
#include <iterator>
#include <vector>
#include "common/ctl/Control.h"

namespace CTL_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\CTL\\Dialog";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"创建对话框失败。"},
};

String_cl TemplateNote(int templateId) { return L"模板：" + String_cl::FromInt(templateId); }

// The modal dialogs of this thread, innermost last, and the one hook that
// serves them while there are any.
struct ModalLoops_st {
    std::vector<ModalDialog_cl*> dialogs;
    HHOOK hook = nullptr;
};
thread_local ModalLoops_st t_modal;

// The letter after a single "&" of a control's text, or 0.
wchar_t MnemonicOf(const String_cl& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] != L'&') return text[i + 1];
        ++i;
    }
    return 0;
}

} // namespace

Dialog_cl* Dialog_cl::FromWindow(HWND hwnd)
{
    if (!hwnd) return nullptr;
    // DWLP_USER of a dialog that is not ours may hold anything: check that the
    // procedure is ours before trusting it.
    if (reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(hwnd, DWLP_DLGPROC)) != &DialogProc) return nullptr;
    return reinterpret_cast<Dialog_cl*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

void Dialog_cl::Raise(int32_t code, int32_t line, const String_cl& note) const
{
    throw Base_ns::SysError_cl(line, kSource, ClassName(), code, kErrors, int(std::size(kErrors)), note);
}

INT_PTR CALLBACK Dialog_cl::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog_cl* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog_cl*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hwnd = hwnd;
    } else {
        self = reinterpret_cast<Dialog_cl*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT, ...) get the default handling.
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
        return FALSE;
    }
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        Base_ns::ShowCurrentException(hwnd, kSource, __LINE__);
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR Dialog_cl::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
        return DispatchCommand(wParam, lParam) ? TRUE : FALSE;
    case WM_NOTIFY:
        return DispatchNotify(reinterpret_cast<NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return FALSE;
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default: {
        INT_PTR result = FALSE;
        return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
    }
}

bool Dialog_cl::DispatchCommand(WPARAM wParam, LPARAM lParam)
{
    const int code = HIWORD(wParam);
    const int id = LOWORD(wParam);
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (Control_cl* wrapper = Control_cl::FromWindow(control)) {
        LRESULT result = 0;
        if (wrapper->OnReflectedCommand(code, result)) {
            SetResult(result);
            return true;
        }
    }
    if (OnCommand(code, id, control)) return true;
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool Dialog_cl::DispatchNotify(NMHDR* header)
{
    if (!header) return false;
    LRESULT result = 0;
    if (Control_cl* wrapper = Control_cl::FromWindow(header->hwndFrom)) {
        if (wrapper->OnReflectedNotify(header, result)) {
            SetResult(result);
            return true;
        }
    }
    result = 0;
    if (!OnNotify(static_cast<int>(header->idFrom), header, result)) return false;
    SetResult(result);
    return true;
}

bool Dialog_cl::PressOwnMnemonic(wchar_t letter)
{
    for (HWND child = ::GetWindow(m_hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child) || !::IsWindowEnabled(child)) continue;
        const LRESULT code = ::SendMessageW(child, WM_GETDLGCODE, 0, 0);
        if (!(code & (DLGC_BUTTON | DLGC_STATIC))) continue;
        const wchar_t mine = MnemonicOf(CWindow(child).GetText());
        if (!mine || std::towupper(mine) != std::towupper(letter)) continue;
        if (code & DLGC_STATIC) {
            // A label names the control after it.
            ::SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetNextDlgTabItem(m_hwnd, child, FALSE)),
                           TRUE);
        } else {
            ::SendMessageW(child, BM_CLICK, 0, 0);
        }
        return true;
    }
    return false;
}

void Dialog_cl::ParkFocus(const std::vector<int>& ids, HWND to)
{
    const HWND focus = ::GetFocus();
    if (!focus) return;
    for (int id : ids) {
        const HWND c = GetDlgItem(id);
        if (c && (focus == c || ::IsChild(c, focus))) {
            m_parkedFrom = c;
            m_parkedAt = to;
            ::SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(to), TRUE);
            return;
        }
    }
}

void Dialog_cl::ReturnFocus()
{
    if (m_parkedFrom && ::GetFocus() == m_parkedAt && ::IsWindowEnabled(m_parkedFrom) &&
        ::IsWindowVisible(m_parkedFrom))
        ::SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_parkedFrom), TRUE);
    m_parkedFrom = m_parkedAt = nullptr;
}

LRESULT CALLBACK ModalDialog_cl::MessageFilter(int code, WPARAM wParam, LPARAM lParam)
{
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg) {
        for (auto it = t_modal.dialogs.rbegin(); it != t_modal.dialogs.rend(); ++it) {
            const HWND dialog = (*it)->m_hwnd;
            if (!dialog || (msg->hwnd != dialog && !::IsChild(dialog, msg->hwnd))) continue;
            try {
                if ((*it)->PreTranslateMessage(*msg)) return TRUE;
            } catch (...) {
                Base_ns::ShowCurrentException(dialog, kSource, __LINE__);
                return TRUE;
            }
            break;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR ModalDialog_cl::DoModal(int templateId, HWND parent, HINSTANCE instance)
{
    if (t_modal.dialogs.empty())
        t_modal.hook = ::SetWindowsHookExW(WH_MSGFILTER, &MessageFilter, nullptr, ::GetCurrentThreadId());
    t_modal.dialogs.push_back(this);
    const INT_PTR result = ::DialogBoxParamW(DefaultInstance(instance), MAKEINTRESOURCEW(templateId), parent,
                                             &DialogProc, reinterpret_cast<LPARAM>(static_cast<Dialog_cl*>(this)));
    t_modal.dialogs.pop_back();
    if (t_modal.dialogs.empty() && t_modal.hook) {
        ::UnhookWindowsHookEx(t_modal.hook);
        t_modal.hook = nullptr;
    }
    if (result == -1) Raise(1, __LINE__, TemplateNote(templateId));
    return result;
}

ModelessDialog_cl::~ModelessDialog_cl()
{
    if (m_hwnd) {
        ::SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        ::DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }
}

HWND ModelessDialog_cl::Create(int templateId, HWND parent, HINSTANCE instance)
{
    const HWND hwnd = ::CreateDialogParamW(DefaultInstance(instance), MAKEINTRESOURCEW(templateId), parent,
                                           &DialogProc, reinterpret_cast<LPARAM>(static_cast<Dialog_cl*>(this)));
    if (!hwnd) Raise(1, __LINE__, TemplateNote(templateId));
    return hwnd;
}

void ModelessDialog_cl::Destroy()
{
    if (m_hwnd) ::DestroyWindow(m_hwnd);
}

} // namespace CTL_ns
