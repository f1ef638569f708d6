#pragma once
// The modal dialog in which the user names a new plan. It stays open until
// the name is made of letters, digits, underscores and Chinese characters
// (and starts with a letter, an underscore or a Chinese character), or the
// user cancels.
#include "common/base/Error.h"
#include "common/ctl/Dialog.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

class WInputPlanDlg_cl : public CTL_ns::ModalDialog_cl {
public:
    const wchar_t* ClassName() const override { return L"WInputPlanDlg_cl"; }

    // IDOK or IDCANCEL.
    INT_PTR Run(HWND parent);
    // The name entered; valid after Run returned IDOK.
    const String_cl& Name() const { return m_name; }

protected:
    bool OnInit() override;
    void OnOK() override;

private:
    void Fail(int32_t code, int32_t line);

    String_cl m_name;
};

// The rule itself: 0 when name is valid, else the error code (101 empty,
// 102 bad first character, 103 a bad character after it). Every code from
// 127 up counts as a Chinese character; letters and digits are ASCII ones.
int32_t CheckPlanName(const String_cl& name);

} // namespace Quorvane_ns
