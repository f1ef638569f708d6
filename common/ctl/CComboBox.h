#pragma once
// Thin wrapper of a combo box: one-liners over CB_*. Results keep the
// control's own conventions (CB_ERR, CB_ERRSPACE).
#include <windows.h>
#include "common/ctl/CWindow.h"

namespace CTL_ns {

class CComboBox : public CWindow {
public:
    using CWindow::CWindow;

    int GetCount() const { return static_cast<int>(SendMsg(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMsg(CB_GETCURSEL)); }
    // Selects without notifying anyone, as CB_SETCURSEL does.
    int SetCurSel(int index) { return static_cast<int>(SendMsg(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    int AddString(const String_cl& text) { return static_cast<int>(SendMsg(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()))); }
    int InsertString(int index, const String_cl& text)
    {
        return static_cast<int>(SendMsg(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
    }
    int DeleteString(int index) { return static_cast<int>(SendMsg(CB_DELETESTRING, static_cast<WPARAM>(index))); }
    void ResetContent() { SendMsg(CB_RESETCONTENT); }
    LRESULT GetItemData(int index) const { return SendMsg(CB_GETITEMDATA, static_cast<WPARAM>(index)); }
    int SetItemData(int index, LPARAM data) { return static_cast<int>(SendMsg(CB_SETITEMDATA, static_cast<WPARAM>(index), data)); }
    String_cl GetLBText(int index) const;
};

} // namespace CTL_ns
