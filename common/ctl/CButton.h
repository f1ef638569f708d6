#pragma once
// Thin wrapper of a button, check box or group box: one-liners over BM_*.
#include <windows.h>
#include "common/ctl/CWindow.h"

namespace CTL_ns {

class CButton : public CWindow {
public:
    using CWindow::CWindow;

    bool GetCheck() const { return SendMsg(BM_GETCHECK) == BST_CHECKED; }
    void SetCheck(bool checked) { SendMsg(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
    // What a user's click does: the parent gets BN_CLICKED.
    void Click() { SendMsg(BM_CLICK); }
};

} // namespace CTL_ns
