// Pictures of the program's windows, to be looked at: every text readable,
// nothing clipped. They are written to <build>\screenshots\.
#include <gtest/gtest.h>
#include "app/res/resource.h"
#include "common/ctl/Dialog.h"
#include "common/ctl/Report.h"
#include "common/ctl/TabCtrl.h"
#include "tests/support/GuiSupport.h"

using namespace Test_ns;

namespace {
class Window_cl : public CTL_ns::ModelessDialog_cl {};
} // namespace

TEST(Screenshot, MainWindowWithItsThreePagesEmpty)
{
    Window_cl main;
    main.Create(IDD_QUORVANE_DIALOG, nullptr);
    main.SetText(L"默认 - Quorvane 0.3.2");
    main.SendMsg(WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))));
    main.SendMsg(WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                     IMAGE_ICON, 16, 16, 0)));
    CTL_ns::TabCtrl_cl tab;
    tab.AttachDlgItem(main, IDC_TAB);
    Window_cl pages[3];
    CTL_ns::Report_cl lists[3];
    const int templates[] = {IDD_SOLUTION_PAGE, IDD_PROJECT_PAGE, IDD_HISTORY_PAGE};
    const int listIds[] = {IDC_SOLUTION_LIST, IDC_PROJECT_LIST, IDC_SEQUENCE_LIST};
    const wchar_t* titles[] = {L"方案", L"编译工程", L"历史顺序"};
    const CTL_ns::Report_cl::Column_st twoColumns[] = {{L"名称", 30}, {L"路径", -1}};
    const CTL_ns::Report_cl::Column_st fourColumns[] = {
        {L"名称", 30}, {L"编译模式", 20}, {L"状态", 20}, {L"路径", -1}};
    for (int i = 0; i < 3; ++i) {
        pages[i].Create(templates[i], tab);
        tab.AddPage(titles[i], pages[i]);
        lists[i].AttachDlgItem(pages[i], listIds[i]);
        if (i == 1) lists[i].SetColumns(4, fourColumns);
        else lists[i].SetColumns(2, twoColumns);
    }
    SetDlgItemTextW(pages[1], IDC_COUNTERS, L"工程总数 12，不存在 1，忽略 2，编译工程 5/9");
    main.Show(SW_SHOW);
    PumpMessages(200);

    const wchar_t* names[] = {L"dialog-102-main", L"dialog-102-projects", L"dialog-102-history"};
    for (int i = 0; i < 3; ++i) {
        tab.SetCurSel(i);
        NMHDR header{tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
        main.SendMsg(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
        EXPECT_FALSE(SaveScreenshot(main, names[i]).empty()) << i;
    }
}
