#include <gtest/gtest.h>
#include "app/res/resource.h"
#include "app/ui/WInputPlanDlg.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

using namespace Test_ns;
using Quorvane_ns::WInputPlanDlg_cl;

namespace {

struct Attempt_st {
    const wchar_t* name;
    // What the user is shown; null: nothing, the dialog closes.
    const wchar_t* message;
};

struct Seen_st {
    size_t shown;
    bool open;
    bool focusInEdit;
};

// Types each name and presses OK, as a user would, noting after each press
// what was shown and where the focus is.
std::vector<Seen_st> TypeNames(HWND dialog, const RecordingPresenter_cl& presenter,
                               const std::vector<Attempt_st>& attempts)
{
    std::vector<Seen_st> seen;
    const HWND edit = GetDlgItem(dialog, IDC_PLAN_NAME);
    for (const Attempt_st& a : attempts) {
        SetWindowTextW(edit, a.name);
        SetFocus(GetDlgItem(dialog, IDOK));
        ClickButton(dialog, IDOK);
        seen.push_back({presenter.Shown().size(), IsWindowVisible(dialog) != FALSE, GetFocus() == edit});
    }
    return seen;
}

} // namespace

TEST(WInputPlanDlg, EachWrongNameIsShownOverTheDialogWhichStaysOpenUntilTheNameIsValid)
{
    RecordingPresenter_cl presenter;
    WInputPlanDlg_cl dialog;
    HWND window = nullptr;
    std::vector<Seen_st> seen;
    const std::vector<Attempt_st> attempts = {
        {L"", L"方案名不能为空。"},
        {L"1方案", L"方案名的第一个字符只能为字母或中文字符。"},
        {L"plan-1", L"方案名只能由字母，数字，下划线及中文字符组成。"},
        {L"plan 1", L"方案名只能由字母，数字，下划线及中文字符组成。"},
        {L"夜间\x3000", L"方案名的开头和结尾不能是空白字符。"},
        {L"_plan_1", nullptr},
    };
    ModalDriver_cl driver([&](HWND d) {
        window = d;
        seen = TypeNames(d, presenter, attempts);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(dialog.Name(), L"_plan_1");

    const auto shown = presenter.Shown();
    ASSERT_EQ(shown.size(), 5u);
    ASSERT_EQ(seen.size(), attempts.size());
    for (size_t i = 0; i + 1 < attempts.size(); ++i) {
        EXPECT_EQ(shown[i].text, attempts[i].message) << i;
        EXPECT_EQ(shown[i].caption, L"用户错误");
        EXPECT_EQ(shown[i].owner, window);
        EXPECT_EQ(seen[i].shown, i + 1);
        EXPECT_TRUE(seen[i].open) << i;
        EXPECT_TRUE(seen[i].focusInEdit) << i;
    }
}

TEST(WInputPlanDlg, ANameOfChineseCharactersOnlyIsAccepted)
{
    RecordingPresenter_cl presenter;
    WInputPlanDlg_cl dialog;
    String_cl caption;
    ModalDriver_cl driver([&](HWND d) {
        wchar_t text[64] = {};
        GetWindowTextW(d, text, 64);
        caption = text;
        SetDlgItemTextW(d, IDC_PLAN_NAME, L"夜间构建");
        SaveScreenshot(d, L"dialog-134-plan-name");
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(dialog.Name(), L"夜间构建");
    EXPECT_TRUE(presenter.Shown().empty());
    // The resource compiler kept the template's Chinese texts.
    EXPECT_EQ(caption, L"方案名称");
}

TEST(WInputPlanDlg, CancelClosesWithoutChecking)
{
    RecordingPresenter_cl presenter;
    WInputPlanDlg_cl dialog;
    ModalDriver_cl driver([&](HWND d) {
        SetDlgItemTextW(d, IDC_PLAN_NAME, L"9-?");
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDCANCEL);
    EXPECT_TRUE(presenter.Shown().empty());
}
