#pragma once
// A group frame that paints its background in the button-face colour, so
// that it does not show through as a hole on pages drawn with clip-children.
#include "common/ctl/CButton.h"
#include "common/ctl/Control.h"

namespace CTL_ns {

class GroupBox_cl : public CButton, public Control_cl {
public:
    void Attach(HWND hwnd)
    {
        CButton::Attach(hwnd);
        Hook(hwnd);
    }
    void AttachDlgItem(HWND dialog, int id) { Attach(::GetDlgItem(dialog, id)); }
    const wchar_t* ClassName() const { return L"GroupBox_cl"; }

protected:
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override { CWindow::Detach(); }
};

} // namespace CTL_ns
