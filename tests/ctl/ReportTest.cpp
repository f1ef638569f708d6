#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "common/ctl/Report.h"
#include "tests/support/GuiSupport.h"

using namespace Test_ns;
using CTL_ns::Report_cl;

namespace {

const int kListId = 77;

// A report list of client width 403 (no border, no rows, so no scroll bar)
// on a plain parent that records the notifications it gets.
class ReportTest : public ::testing::Test {
protected:
    ReportTest() : m_parent(500, 300)
    {
        m_list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 403, 200,
                                 m_parent, reinterpret_cast<HMENU>(kListId), GetModuleHandleW(nullptr), nullptr);
    }
    ~ReportTest() override { DestroyWindow(m_list); }

    void ThreeColumns(Report_cl& report)
    {
        const Report_cl::Column_st columns[] = {{L"名称", 30}, {L"编译模式", 30}, {L"路径", 40}};
        report.SetColumns(3, columns);
    }
    void AddRows(Report_cl& report, int n)
    {
        for (int i = 0; i < n; ++i) {
            const String_cl texts[] = {L"工程" + String_cl::FromInt(i), L"Debug|Win32", L"C:\\p.vcproj"};
            report.AddItem(texts, 3);
        }
    }

    TestWindow_cl m_parent;
    HWND m_list;
};

std::vector<int> Widths(const Report_cl& report)
{
    std::vector<int> w;
    for (int i = 0; i < report.GetColumnCount(); ++i) w.push_back(report.GetColumnWidth(i));
    return w;
}

} // namespace

TEST_F(ReportTest, ColumnsAreSharesOfTheClientWidthLessThree)
{
    Report_cl report;
    report.Attach(m_list);
    ASSERT_EQ(report.GetClientRect().right, 403);
    ThreeColumns(report);
    EXPECT_EQ(Widths(report), (std::vector<int>{120, 120, 160}));

    const Report_cl::Column_st halves[] = {{L"名称", 50}, {L"路径", -1}};
    report.SetColumns(2, halves);
    EXPECT_EQ(Widths(report), (std::vector<int>{200, 200}));
}

TEST_F(ReportTest, AttachingSelectsWholeRows)
{
    Report_cl report;
    report.Attach(m_list);
    EXPECT_TRUE(report.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
}

TEST_F(ReportTest, WidthsTextRestoresTheWidthsItWasTakenFrom)
{
    Report_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    report.SetColumnWidth(0, 55);
    report.SetColumnWidth(2, 210);
    const String_cl saved = report.GetColumnWidths();
    EXPECT_EQ(saved, L"55,120,210");

    ThreeColumns(report);
    report.SetColumnWidths(saved);
    EXPECT_EQ(Widths(report), (std::vector<int>{55, 120, 210}));

    // Digits turn hexadecimal at the first letter, as in the data file.
    report.SetColumnWidths(L"1A,+80,12A");
    EXPECT_EQ(Widths(report), (std::vector<int>{26, 80, 202}));
}

TEST_F(ReportTest, FewerWidthsThanColumnsSetThoseGivenThenRaise10)
{
    Report_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    const Base_ns::SysError_cl e = RaisedError([&] { report.SetColumnWidths(L"50,60"); });
    EXPECT_EQ(e.Code(), 10);
    EXPECT_EQ(e.ClassName(), L"Report_cl");
    EXPECT_EQ(Widths(report), (std::vector<int>{50, 60, 160}));
}

TEST_F(ReportTest, AnEmptyOrUnreadableWidthRaises10)
{
    Report_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    EXPECT_EQ(RaisedError([&] { report.SetColumnWidths(L"50,,60"); }).Code(), 10);
    EXPECT_EQ(report.GetColumnWidth(0), 50);
    EXPECT_EQ(report.GetColumnWidth(1), 120);
    EXPECT_EQ(RaisedError([&] { report.SetColumnWidths(L"70,0x10,60"); }).Code(), 10);
    EXPECT_EQ(RaisedError([&] { report.SetColumnWidths(L"70,80,"); }).Code(), 10);
    // Nothing to read changes nothing.
    report.SetColumnWidths(L"");
    EXPECT_EQ(report.GetColumnWidth(0), 70);
}

TEST_F(ReportTest, RowsNeedOneTextPerColumn)
{
    Report_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    const String_cl two[] = {L"a", L"b"};
    EXPECT_EQ(RaisedError([&] { report.AddItem(two, 2); }).Code(), 3);
    EXPECT_EQ(report.GetItemCount(), 0);

    AddRows(report, 2);
    EXPECT_EQ(report.GetItemText(1, 0), L"工程1");
    EXPECT_EQ(report.GetItemText(1, 2), L"C:\\p.vcproj");
    EXPECT_EQ(report.GetItemData(1), 0u);
    report.SetItemData(1, 0xCAFEu);
    EXPECT_EQ(report.GetItemData(1), 0xCAFEu);
    EXPECT_EQ(RaisedError([&] { report.GetItemData(2); }).Code(), 4);
}

TEST_F(ReportTest, SelectionQueriesFailLoudly)
{
    Report_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    AddRows(report, 4);
    EXPECT_EQ(RaisedError([&] { report.GetSelected(); }).Code(), 6);
    EXPECT_EQ(RaisedError([&] { report.GetSelectedAll(); }).Code(), 6);

    report.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    report.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(RaisedError([&] { report.GetSelected(); }).Code(), 9);
    const auto rows = report.GetSelectedAll();
    ASSERT_EQ(rows.Size(), 2);
    EXPECT_EQ(rows[0], 1);
    EXPECT_EQ(rows[1], 3);

    report.ClearSelection();
    report.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(report.GetSelected(), 2);
}

TEST_F(ReportTest, SelectTellsTheParentWhatAClickOnTheRowTellsIt)
{
    Report_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    AddRows(report, 3);
    MessageRecorder_cl parent(m_parent, {WM_NOTIFY});

    // A user's click on the last row.
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(m_list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    const LPARAM at = MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2);
    // Queued first: Windows' list view waits in DragDetect for the button to
    // come up, Wine's takes it from the queue afterwards.
    PostMessageW(m_list, WM_LBUTTONUP, 0, at);
    SendMessageW(m_list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PumpMessages();
    const auto clicked = parent.Received();
    auto isClick = [](const Received_st& r) { return r.header.code == static_cast<UINT>(NM_CLICK); };
    const auto byMouse = std::find_if(clicked.begin(), clicked.end(), isClick);
    ASSERT_NE(byMouse, clicked.end());

    report.ClearSelection();
    parent.Clear();
    report.Select(2);
    const auto selected = parent.Received();
    const auto byProgram = std::find_if(selected.begin(), selected.end(), isClick);
    ASSERT_NE(byProgram, selected.end());
    EXPECT_EQ(byProgram->wParam, byMouse->wParam);
    EXPECT_EQ(byProgram->header.hwndFrom, byMouse->header.hwndFrom);
    EXPECT_EQ(byProgram->header.idFrom, static_cast<UINT_PTR>(kListId));
    EXPECT_EQ(byProgram->item, byMouse->item);
    EXPECT_EQ(byProgram->item, 2);
    EXPECT_EQ(report.GetItemState(2, LVIS_SELECTED | LVIS_FOCUSED), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(report.GetSelected(), 2);

    parent.Clear();
    EXPECT_EQ(RaisedError([&] { report.Select(3); }).Code(), 4);
    EXPECT_TRUE(parent.Received().empty());
}

namespace {

struct CountedItem_st : Report_cl::Item_st {
    static int alive;
    CountedItem_st() { ++alive; }
    ~CountedItem_st() override { --alive; }
};
int CountedItem_st::alive = 0;

class OwningReport_cl : public Report_cl {
public:
    OwningReport_cl() : Report_cl(true) {}
    Item_st* NewItemData() override { return new CountedItem_st; }
};

} // namespace

TEST_F(ReportTest, AutoReleaseRowsOwnTheirObjectsUntilDeletedOrDestroyed)
{
    OwningReport_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    AddRows(report, 3);
    EXPECT_EQ(CountedItem_st::alive, 3);
    EXPECT_NE(dynamic_cast<CountedItem_st*>(&report.GetItemObject(1)), nullptr);
    EXPECT_EQ(RaisedError([&] { report.GetItemData(0); }).Code(), 5);
    EXPECT_EQ(RaisedError([&] { report.SetItemData(0, 1); }).Code(), 5);

    report.DeleteAll();
    EXPECT_EQ(CountedItem_st::alive, 0);
    EXPECT_EQ(report.GetItemCount(), 0);

    AddRows(report, 2);
    EXPECT_EQ(CountedItem_st::alive, 2);
    DestroyWindow(m_list);
    EXPECT_EQ(CountedItem_st::alive, 0);
    EXPECT_EQ(report.GetHwnd(), nullptr);
}

TEST_F(ReportTest, RowObjectsNeedAutoRelease)
{
    Report_cl report;
    report.Attach(m_list);
    ThreeColumns(report);
    AddRows(report, 1);
    EXPECT_EQ(RaisedError([&] { report.GetItemObject(0); }).Code(), 7);
}
