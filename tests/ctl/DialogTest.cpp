#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdexcept>
#include "app/res/resource.h"
#include "common/ctl/Dialog.h"
#include "common/ctl/Report.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

using namespace Test_ns;

namespace {

// Dialog 134 with an OK that fails, once as our error and once as a
// foreign exception.
class FailingDialog_cl : public CTL_ns::ModalDialog_cl {
public:
    int oks = 0;

protected:
    void OnOK() override
    {
        ++oks;
        if (oks == 1) {
            static const Base_ns::ErrorEntry_st table[] = {{101, L"不行。"}};
            throw Base_ns::UserError_cl(__LINE__, L"DialogTest", L"FailingDialog_cl", 101, table, 1, L"");
        }
        throw std::runtime_error("foreign");
    }
};

} // namespace

TEST(Dialog, AHandlersErrorStopsAtTheDialogAndIsShownOverIt)
{
    RecordingPresenter_cl presenter;
    TempDir_cl dir;
    Base_ns::SysError_cl::SetLogPath(dir / L"Error.log");
    FailingDialog_cl dialog;
    HWND seen = nullptr;
    bool openAfterErrors = false;
    ModalDriver_cl driver([&](HWND d) {
        seen = d;
        ClickButton(d, IDOK);
        ClickButton(d, IDOK);
        openAfterErrors = IsWindowVisible(d) != FALSE;
        ClickButton(d, IDCANCEL);
    });
    const INT_PTR result = dialog.DoModal(IDD_INPUT_PLAN, nullptr);
    Base_ns::SysError_cl::SetLogPath(String_cl());

    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(openAfterErrors);
    const auto shown = presenter.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].owner, seen);
    EXPECT_EQ(shown[0].text, L"不行。");
    EXPECT_EQ(shown[1].owner, seen);
    EXPECT_EQ(shown[1].caption, L"系统错误");
    EXPECT_NE(ReadText(dir / L"Error.log").find(L"foreign"), String_cl::npos);
}

namespace {

// The solution page on a plain parent, recording what reaches its handlers.
class Page_cl : public CTL_ns::ModelessDialog_cl {
public:
    std::vector<std::pair<int, UINT>> notified;
    LRESULT answer = 0;

protected:
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override
    {
        notified.push_back({id, header->code});
        result = answer;
        return answer != 0;
    }
};

int Count(const std::vector<std::pair<int, UINT>>& seen, int id, UINT code)
{
    return static_cast<int>(std::count(seen.begin(), seen.end(), std::make_pair(id, code)));
}

} // namespace

TEST(Dialog, AControlsOwnNotificationsGoBackToItsWrapperFirst)
{
    TestWindow_cl parent(700, 600);
    Page_cl page;
    page.Create(IDD_SOLUTION_PAGE, parent);
    page.Show(SW_SHOW);
    CTL_ns::Report_cl list;
    list.AttachDlgItem(page, IDC_SOLUTION_LIST);
    const CTL_ns::Report_cl::Column_st columns[] = {{L"名称", 30}, {L"路径", -1}};
    list.SetColumns(2, columns);
    const String_cl row[] = {L"甲", L"C:\\甲.sln"};
    list.AddItem(row, 2);
    PumpMessages(50);

    // A click on the first column's header: the list tells its parent, the
    // wrapper answers, the page's handlers never hear of it.
    MessageRecorder_cl toPage(page, {WM_NOTIFY});
    const HWND header = list.GetHeader();
    RECT item{};
    SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
    PumpMessages(50);
    const auto sent = toPage.Only(WM_NOTIFY);
    ASSERT_TRUE(std::any_of(sent.begin(), sent.end(), [](const Received_st& r) {
        return r.header.code == static_cast<UINT>(LVN_COLUMNCLICK);
    }));
    EXPECT_EQ(Count(page.notified, IDC_SOLUTION_LIST, LVN_COLUMNCLICK), 0);

    // What the wrapper leaves alone reaches the page.
    list.Select(0);
    EXPECT_EQ(Count(page.notified, IDC_SOLUTION_LIST, NM_CLICK), 1);
}

TEST(Dialog, ANotifyAnswerReachesTheSenderThroughMsgResult)
{
    TestWindow_cl parent(700, 600);
    Page_cl page;
    page.Create(IDD_SOLUTION_PAGE, parent);
    page.answer = 1234;
    NMHDR header{nullptr, 5, static_cast<UINT>(NM_DBLCLK)};
    EXPECT_EQ(SendMessageW(page, WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)), 1234);
    EXPECT_EQ(Count(page.notified, 5, NM_DBLCLK), 1);
}
