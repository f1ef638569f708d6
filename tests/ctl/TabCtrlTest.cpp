#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "app/res/resource.h"
#include "common/ctl/Dialog.h"
#include "common/ctl/TabCtrl.h"
#include "tests/support/GuiSupport.h"

using namespace Test_ns;
using CTL_ns::TabCtrl_cl;

namespace {

// The main window's template with its three pages, as the program sets it up.
class Host_cl : public CTL_ns::ModelessDialog_cl {
public:
    std::vector<UINT> notified;

protected:
    bool OnNotify(int, NMHDR* header, LRESULT&) override
    {
        notified.push_back(header->code);
        return false;
    }
};

class Page_cl : public CTL_ns::ModelessDialog_cl {};

class TabCtrlTest : public ::testing::Test {
protected:
    TabCtrlTest()
    {
        m_host.Create(IDD_QUORVANE_DIALOG, nullptr);
        m_tab.AttachDlgItem(m_host, IDC_TAB);
        const int templates[] = {IDD_SOLUTION_PAGE, IDD_PROJECT_PAGE, IDD_HISTORY_PAGE};
        const wchar_t* titles[] = {L"方案", L"编译工程", L"历史顺序"};
        for (int i = 0; i < 3; ++i) {
            m_pages[i].Create(templates[i], m_tab);
            m_tab.AddPage(titles[i], m_pages[i]);
        }
        m_host.Show(SW_SHOW);
        PumpMessages(100);
    }

    std::vector<bool> Visible() const
    {
        return {m_pages[0].IsVisible(), m_pages[1].IsVisible(), m_pages[2].IsVisible()};
    }
    void ClickTab(int index)
    {
        RECT r{};
        m_tab.SendMsg(TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_tab.SendMsg(WM_LBUTTONDOWN, MK_LBUTTON, at);
        m_tab.SendMsg(WM_LBUTTONUP, 0, at);
        PumpMessages(50);
    }
    RECT DisplayArea() const
    {
        RECT area = m_tab.GetClientRect();
        m_tab.AdjustRect(false, area);
        return area;
    }

    Host_cl m_host;
    TabCtrl_cl m_tab;
    Page_cl m_pages[3];
};

SIZE SizeOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

} // namespace

TEST_F(TabCtrlTest, OnlyTheFirstPageIsVisibleAfterTheFirstDisplay)
{
    EXPECT_EQ(Visible(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(m_tab.Current(), 0);
}

TEST_F(TabCtrlTest, AClickOnAnotherTabSwapsThePagesWithoutTheDialogSeeingIt)
{
    ClickTab(2);
    EXPECT_EQ(Visible(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(m_tab.Current(), 2);
    // The tab control handled its own selection change.
    EXPECT_EQ(std::count(m_host.notified.begin(), m_host.notified.end(), static_cast<UINT>(TCN_SELCHANGE)), 0);
}

TEST_F(TabCtrlTest, TheSameTabAgainChangesNothing)
{
    MessageRecorder_cl shown(m_pages[0], {WM_SHOWWINDOW});
    NMHDR header{m_tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(m_host, WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
    PumpMessages(50);
    EXPECT_TRUE(shown.Received().empty());
    EXPECT_EQ(Visible(), (std::vector<bool>{true, false, false}));
}

TEST_F(TabCtrlTest, ResizingTheTabResizesEveryPageAlsoTheHiddenOnes)
{
    const RECT before = m_tab.GetWindowRect();
    m_tab.Move(10, 30, before.right - before.left + 120, before.bottom - before.top + 80);
    const RECT area = DisplayArea();
    for (const Page_cl& page : m_pages) {
        const SIZE size = SizeOf(page);
        EXPECT_EQ(size.cx, area.right - area.left);
        EXPECT_EQ(size.cy, area.bottom - area.top);
    }
    EXPECT_FALSE(m_pages[1].IsVisible());
}

TEST_F(TabCtrlTest, RemoveAllLeavesNoTabs)
{
    ClickTab(1);
    m_tab.RemoveAll();
    EXPECT_EQ(m_tab.Current(), -1);
    EXPECT_EQ(m_tab.GetItemCount(), 0);
    EXPECT_EQ(RaisedError([&] { m_tab.GetItem(0); }).Code(), 3);
}

TEST_F(TabCtrlTest, TheTabKeyGoesThroughTheShownPageOnly)
{
    // The status line is the window's last control: Tab goes round to the
    // tab control, and through it into the page on show.
    const HWND last = GetDlgItem(m_host, IDC_STATUS);
    EXPECT_EQ(GetNextDlgTabItem(m_host, last, FALSE), GetDlgItem(m_pages[0], IDC_PLAN));
    EXPECT_EQ(GetNextDlgTabItem(m_host, GetDlgItem(m_pages[0], IDC_SOLUTION_LIST), FALSE),
              GetDlgItem(m_host, IDC_REBUILD));
    ClickTab(2);
    EXPECT_EQ(GetNextDlgTabItem(m_host, last, FALSE), GetDlgItem(m_pages[2], IDC_IMPORT_SEQUENCE));
}
