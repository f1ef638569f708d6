#pragma once
// The modal dialog in which the user names a new plan. It stays open until
// the name follows the rule for plan names (CheckPlanName), or the user
// cancels.
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

} // namespace Quorvane_ns
