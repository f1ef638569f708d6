#include "app/ui/WInputPlanDlg.h"
#include "app/res/resource.h"
#include "app/workflow/PlanOperations.h"

namespace Quorvane_ns {
namespace {

const wchar_t kSource[] = L"WInputPlanDlg";

} // namespace

INT_PTR WInputPlanDlg_cl::Run(HWND parent) { return DoModal(IDD_INPUT_PLAN, parent); }

bool WInputPlanDlg_cl::OnInit()
{
    ::SetDlgItemTextW(m_hwnd, IDC_PLAN_NAME, m_name.c_str());
    return true;
}

void WInputPlanDlg_cl::Fail(int32_t code, int32_t line)
{
    // The user corrects the name where it is typed; the box that follows
    // gives the focus back to it when it closes.
    ::SetFocus(GetDlgItem(IDC_PLAN_NAME));
    throw PlanNameError(code, line, kSource, ClassName());
}

void WInputPlanDlg_cl::OnOK()
{
    m_name = CWindow(GetDlgItem(IDC_PLAN_NAME)).GetText();
    if (const int32_t code = CheckPlanName(m_name)) Fail(code, __LINE__);
    End(IDOK);
}

} // namespace Quorvane_ns
