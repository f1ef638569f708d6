#include "app/ui/WInputPlanDlg.h"
#include <iterator>
#include "app/res/resource.h"

namespace Quorvane_ns {
namespace {

const wchar_t kSource[] = L"WInputPlanDlg";

const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"方案名不能为空。"},
    {102, L"方案名的第一个字符只能为字母或中文字符。"},
    {103, L"方案名只能由字母，数字，下划线及中文字符组成。"},
};

// As the C locale classifies them: only ASCII letters and digits.
bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsChinese(wchar_t c) { return c >= 127; }

} // namespace

int32_t CheckPlanName(const String_cl& name)
{
    if (name.empty()) return 101;
    const wchar_t first = name[0];
    if (!IsChinese(first) && !IsAsciiLetter(first) && first != L'_') return 102;
    for (size_t i = 1; i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (!IsChinese(c) && !IsAsciiLetter(c) && !IsAsciiDigit(c) && c != L'_') return 103;
    }
    return 0;
}

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
    throw Base_ns::UserError_cl(line, kSource, ClassName(), code, kUserErrors, int(std::size(kUserErrors)), L"");
}

void WInputPlanDlg_cl::OnOK()
{
    m_name = CWindow(GetDlgItem(IDC_PLAN_NAME)).GetText();
    if (const int32_t code = CheckPlanName(m_name)) Fail(code, __LINE__);
    End(IDOK);
}

} // namespace Quorvane_ns
