// The project page driven by messages on rows the engine made from project
// files: what it shows, what it refuses while a job runs, and what it keeps.
#include <map>
#include "app/engine/BuildRunner.h"
#include "app/engine/RowState.h"
#include "app/res/resource.h"
#include "app/ui/WHistoryPage.h"
#include "app/ui/WProjectPage.h"
#include "app/workflow/HtmlReport.h"
#include "app/ProgramPlaces.h"
#include "tests/ui/PageTestSupport.h"

using namespace PageTest_ns;

namespace {

using ProjectPage = Shown_tl<WProjectPage_cl>;
using MenuStates = std::map<UINT, String_cl>;

class ProjectPageTest : public PageTest {
protected:
    void Refresh(uint32_t plan = 0)
    {
        ASSERT_TRUE(m_settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, plan ? plan : m_plan.Serial()));
    }
    static String_cl Counters(const ProjectPage& p) { return CTL_ns::CWindow(p.Item(IDC_COUNTERS)).GetText(); }
    // The greyed and checked items of the menu, which is destroyed.
    static MenuStates States(HMENU menu)
    {
        MenuStates states;
        for (UINT id : {ID_LOCATE, ID_OPEN, ID_REBUILD_ONE, ID_BUILD_ONE, ID_SHOW_LOG, ID_IGNORE, ID_RAISE_PRIORITY,
                        ID_COPY_PATH}) {
            const UINT s = GetMenuState(GetSubMenu(menu, 0), id, MF_BYCOMMAND);
            const String_cl text = String_cl(s & MF_GRAYED ? L"grey" : L"") + (s & MF_CHECKED ? L"checked" : L"");
            if (!text.empty()) states[id] = text;
        }
        DestroyMenu(menu);
        return states;
    }
};

} // namespace

TEST_F(ProjectPageTest, ShowsTheRowsInBuildOrderAndCountsThem)
{
    ProjectPage p(m_main, m_stores, m_settings);
    std::vector<MProjectId_cl> rows;
    for (int i = 0; i < 9; ++i) rows.push_back(AddRow(L"p" + String_cl::FromInt(i)));
    AddMissingRow(L"gone");
    AddRow(L"x64a", L"Debug|x64");
    AddRow(L"x64b", L"Debug|x64");
    for (size_t i = 0; i < 5; ++i) rows[i]->state = i % 2 ? CompiledUnchanged : Compiled;
    Refresh();
    const HWND list = p.Item(IDC_PROJECT_LIST);
    EXPECT_EQ(Counters(p), L"工程总数 12，不存在 1，忽略 2，编译工程 5/9");
    EXPECT_EQ(Column(list, 0).size(), 12u);
    const String_cl second[] = {L"p1", L"Debug|Win32", L"已编译(未改变)", rows[1]->project->path};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(CellText(list, 1, c), second[c]);
    EXPECT_EQ(CellText(list, 9, 2), L"不存在");
    EXPECT_EQ(CellText(list, 10, 1) + CellText(list, 10, 2), L"忽略");
    rows[6]->state = CompileFailed;
    Refresh();
    EXPECT_EQ(Counters(p), L"工程总数 12，不存在 1，忽略 2，编译失败 1，编译工程 5/9");

    PlanId_cl small = m_stores.plans.AddPlan(L"small", L"Debug|Win32");
    for (const wchar_t* name : {L"s0", L"s1", L"s2"})
        RowFor(L"Debug|Win32", small->rows, Project(name), m_stores.projects, m_stores.sequences);
    small->rows.First()->state = Compiled;
    Refresh(small.Serial());
    EXPECT_EQ(Counters(p), L"工程总数 3，编译工程 1/3");
    EXPECT_EQ(Column(list, 0), (std::vector<String_cl>{L"s0", L"s1", L"s2"}));
    m_settings.SendToWindow(PAGE_PROJECTS, UM_CLEAR_PROJECTS, 0);
    EXPECT_TRUE(Column(list, 0).empty());
    EXPECT_EQ(Counters(p), L"");
}

TEST_F(ProjectPageTest, ARefreshAfterOneRowChangedKeepsTheSelectionAndTheTopRow)
{
    ProjectPage p(m_main, m_stores, m_settings);
    Shown_tl<WHistoryPage_cl> history(m_main, m_stores, m_settings);
    std::vector<MProjectId_cl> rows;
    for (int i = 0; i < 80; ++i) rows.push_back(AddRow(L"row" + String_cl::FromInt(100 + i)));
    Refresh();
    const HWND list = p.Item(IDC_PROJECT_LIST);
    SendMessageW(list, LVM_ENSUREVISIBLE, 60, FALSE);
    const int top = int(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    ASSERT_GT(top, 30);
    SelectRow(list, top + 3);
    auto row = [&](int i) { return rows[size_t(i)]; };

    row(top + 5)->state = CompileFailed;
    Refresh();
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), top);
    EXPECT_EQ(SelectedRows(list), std::vector<int>{top + 3});
    EXPECT_EQ(CellText(list, top + 5, 2), L"编译失败");

    // Raised before the failed row two places up, the selected row takes its
    // selection along, in the list, the sequence and the history page.
    row(top + 1)->state = CompileFailed;
    Refresh();
    SendMessageW(p.hwnd, WM_COMMAND, ID_RAISE_PRIORITY, 0);
    EXPECT_EQ(SelectedRows(list), std::vector<int>{top + 1});
    EXPECT_EQ(CellText(list, top + 1, 0), row(top + 3)->project->name);
    EXPECT_EQ(CellText(list, top + 2, 0), row(top + 1)->project->name);
    EXPECT_EQ(SequencePaths()[size_t(top + 1)], row(top + 3)->project->path);
    EXPECT_EQ(Column(history.Item(IDC_SEQUENCE_LIST), 0), Column(list, 0));

    // A selected row that is gone is no longer selected.
    MProjectId_cl gone = row(top + 3);
    rows.erase(rows.begin() + top + 3);
    DropRow(gone, m_plan->rows, m_stores.projects);
    Refresh();
    EXPECT_TRUE(SelectedRows(list).empty());
    EXPECT_EQ(Column(list, 0).size(), 79u);
}

TEST_F(ProjectPageTest, PreviousAndNextFailedStopAtBothEndsAndFindIgnoresCase)
{
    ProjectPage p(m_main, m_stores, m_settings);
    for (int i = 0; i < 10; ++i) AddRow(L"f" + String_cl::FromInt(i))->state = (i == 2 || i == 7) ? CompileFailed : Compiled;
    AddRow(L"netUtil");
    Refresh();
    const HWND list = p.Item(IDC_PROJECT_LIST);
    std::vector<int> seen;
    // (row selected first, or -1; the button)
    for (auto [from, id] : std::vector<std::pair<int, int>>{{-1, IDC_NEXT_FAILED}, {-1, IDC_NEXT_FAILED},
                                                            {-1, IDC_NEXT_FAILED}, {-1, IDC_PREV_FAILED},
                                                            {-1, IDC_PREV_FAILED}, {10, IDC_NEXT_FAILED},
                                                            {0, IDC_PREV_FAILED}, {9, IDC_PREV_FAILED}}) {
        if (from >= 0) SelectRow(list, from);
        Test_ns::ClickButton(p.hwnd, id);
        const std::vector<int> s = SelectedRows(list);
        seen.push_back(s.size() == 1 ? s[0] : -1);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 7, 7, 2, 2, 10, 0, 7}));
    SetWindowTextW(p.Item(IDC_FIND_PROJECT), L"UTIL");
    EXPECT_EQ(SelectedRows(list), std::vector<int>{10});
    SetWindowTextW(p.Item(IDC_FIND_PROJECT), L"f");
    SetWindowTextW(p.Item(IDC_FIND_PROJECT), L"");
    EXPECT_EQ(SelectedRows(list), std::vector<int>{0});
}

TEST_F(ProjectPageTest, TheMenuGreysWhatTheRowAndARunningJobDoNotAllow)
{
    ProjectPage p(m_main, m_stores, m_settings);
    AddRow(L"plain");
    AddRow(L"logged")->log = m_dir / L"logged.log";
    MProjectId_cl skipped = AddRow(L"skipped");
    skipped->state = Ignored;
    MProjectId_cl x64 = AddRow(L"x64", L"Debug|x64");
    AddMissingRow(L"gone");
    Refresh();
    const HWND list = p.Item(IDC_PROJECT_LIST);
    EXPECT_EQ(p.page.ContextMenu(), nullptr);
    std::vector<MenuStates> states;
    for (int row = 0; row < 5; ++row) {
        SelectRow(list, row);
        states.push_back(States(p.page.ContextMenu()));
    }
    const String_cl g = L"grey";
    EXPECT_EQ(states[0], (MenuStates{{ID_SHOW_LOG, g}}));
    EXPECT_EQ(states[1], MenuStates{});
    EXPECT_EQ(states[2], (MenuStates{{ID_SHOW_LOG, g}, {ID_IGNORE, L"checked"}}));
    EXPECT_EQ(states[3], (MenuStates{{ID_SHOW_LOG, g}, {ID_IGNORE, L"greychecked"}}));
    EXPECT_EQ(states[4], (MenuStates{{ID_LOCATE, g}, {ID_OPEN, g}, {ID_REBUILD_ONE, g}, {ID_BUILD_ONE, g},
                                     {ID_SHOW_LOG, g}, {ID_IGNORE, g}, {ID_RAISE_PRIORITY, g}}));
    // Ignore brings an ignored row back only when it has a configuration.
    SelectRow(list, 2);
    SendMessageW(p.hwnd, WM_COMMAND, ID_IGNORE, 0);
    SelectRow(list, 3);
    SendMessageW(p.hwnd, WM_COMMAND, ID_IGNORE, 0);
    EXPECT_EQ(skipped->state, Normal);
    EXPECT_EQ(x64->state, Ignored);
    EXPECT_EQ(CellText(list, 2, 2), L"正常");

    p.page.SetBusy(true);
    SelectRow(list, 1);
    EXPECT_EQ(States(p.page.ContextMenu()),
              (MenuStates{{ID_REBUILD_ONE, g}, {ID_BUILD_ONE, g}, {ID_IGNORE, g}, {ID_RAISE_PRIORITY, g}}));
}

// The last build's report is one right click away, once a build wrote it.
TEST_F(ProjectPageTest, TheMenuOpensTheBuildReportOnceThereIsOne)
{
    OverrideModuleDirectory(m_dir.Path());
    ProjectPage p(m_main, m_stores, m_settings);
    AddRow(L"plain");
    Refresh();
    SelectRow(p.Item(IDC_PROJECT_LIST), 0);
    auto state = [&] {
        HMENU menu = p.page.ContextMenu();
        wchar_t text[64] = {};
        GetMenuStringW(GetSubMenu(menu, 0), ID_SHOW_REPORT, text, 64, MF_BYCOMMAND);
        const UINT s = GetMenuState(GetSubMenu(menu, 0), ID_SHOW_REPORT, MF_BYCOMMAND);
        DestroyMenu(menu);
        return String_cl(text) + (s & MF_GRAYED ? L" grey" : L"");
    };
    EXPECT_EQ(state(), L"查看编译报告(&H) grey");
    CreateDirectoryW(LogRoot().c_str(), nullptr);
    ASSERT_TRUE(Test_ns::WriteBytes(HtmlReportPath(), "<!DOCTYPE html>"));
    EXPECT_EQ(state(), L"查看编译报告(&H)");
    OverrideModuleDirectory(L"");
}

TEST_F(ProjectPageTest, WhileAJobRunsOnlyCommandsThatLeaveTheStoresAloneWork)
{
    ProjectPage p(m_main, m_stores, m_settings);
    MProjectId_cl a = AddRow(L"a");
    AddRow(L"b")->state = CompileFailed;
    Refresh();
    const HWND list = p.Item(IDC_PROJECT_LIST);
    const int controls[] = {IDC_LOG_FILE, IDC_CHOOSE_LOG_FILE, IDC_GENERATE_BATCH};
    p.page.SetBusy(true);
    for (int id : controls) EXPECT_FALSE(IsWindowEnabled(p.Item(id)));
    EXPECT_TRUE(IsWindowEnabled(list));
    SelectRow(list, 0);
    PressKey(list, VK_DELETE);
    for (int id : {ID_IGNORE, ID_RAISE_PRIORITY, ID_BUILD_ONE, ID_REBUILD_ONE}) SendMessageW(p.hwnd, WM_COMMAND, WPARAM(id), 0);
    Test_ns::ClickButton(p.hwnd, IDC_GENERATE_BATCH);
    Test_ns::PumpMessages();
    EXPECT_EQ(m_statuses, std::vector<String_cl>(6, BusyStatusText()));
    EXPECT_TRUE(m_buildOne.empty());
    EXPECT_EQ(a->state, Normal);
    TakeClipboardText();
    PressKey(list, 'C', true);
    EXPECT_EQ(TakeClipboardText(), a->project->path);
    Test_ns::ClickButton(p.hwnd, IDC_NEXT_FAILED);
    EXPECT_EQ(SelectedRows(list), std::vector<int>{1});

    p.page.SetBusy(false);
    for (int id : controls) EXPECT_TRUE(IsWindowEnabled(p.Item(id)));
    SelectRow(list, 0);
    SendMessageW(p.hwnd, WM_COMMAND, ID_BUILD_ONE, 0);
    SendMessageW(p.hwnd, WM_COMMAND, ID_REBUILD_ONE, 0);
    Test_ns::PumpMessages();
    using Post = std::pair<WPARAM, LPARAM>;
    EXPECT_EQ(m_buildOne, (std::vector<Post>{{a.Serial(), 1}, {a.Serial(), 0}}));
    PressKey(list, VK_DELETE);
    EXPECT_EQ(a->state, Ignored);
    EXPECT_EQ(Counters(p), L"工程总数 2，忽略 1，编译失败 1，编译工程 0/1");
}

// The status line says what the list cannot: why the selected row failed
// when its log does not say it (a project file that cannot be read, a line
// of the builder that cannot be read), and what of its project file could
// not be read when it is built all the same. Another row's selection takes
// it back, but never a running job's own text.
TEST_F(ProjectPageTest, TheStatusLineSaysWhyTheSelectedRowFailedOrWasNotReadWhole)
{
    ProjectPage p(m_main, m_stores, m_settings);
    AddRow(L"plain");
    const String_cl cut = m_dir / L"cut\\cut.vcproj";
    Test_ns::CreateFolders(cut);
    ASSERT_TRUE(Test_ns::WriteBytes(cut, "<VisualStudioProject Name=\"cut\"><Configurations>"));
    MProjectId_cl unreadable = RowFor(L"Debug|Win32", m_plan->rows, cut, m_stores.projects, m_stores.sequences);
    ASSERT_TRUE(FailWithoutBuild(unreadable, m_plan->rows));
    MProjectId_cl odd = RowFor(L"Profile|Win32", m_plan->rows, Project(L"odd"), m_stores.projects, m_stores.sequences,
                               m_dir / L"odd.sln");
    MProjectId_cl lineFailed = AddRow(L"line");
    lineFailed->state = CompileFailed;
    lineFailed->failReason = UnreadableSummaryReason(L"========== 生成: 全部完成 ==========");
    Refresh();
    const HWND list = p.Item(IDC_PROJECT_LIST);
    m_statuses.clear();
    SelectRow(list, 1);
    SelectRow(list, 2);
    SelectRow(list, 3);
    SelectRow(list, 0);
    ASSERT_EQ(m_statuses.size(), 4u);
    EXPECT_TRUE(m_statuses[0].StartsWith(L"cut：无法读取工程文件：")) << m_statuses[0].ToUtf8();
    EXPECT_NE(m_statuses[0].find(cut), String_cl::npos) << m_statuses[0].ToUtf8();
    EXPECT_EQ(m_statuses[1], L"odd：" + odd->readNote);
    EXPECT_NE(m_statuses[1].find(L"“Profile|Win32”"), String_cl::npos) << m_statuses[1].ToUtf8();
    EXPECT_EQ(m_statuses[2], L"line：无法读取生成程序的统计行：“========== 生成: 全部完成 ==========”");
    EXPECT_EQ(m_statuses[3], L"") << "a row without a note takes the note back";

    p.page.SetBusy(true);
    m_statuses.clear();
    SelectRow(list, 1);
    SelectRow(list, 0);
    EXPECT_EQ(m_statuses.size(), 1u) << "the job's own status stays";
    p.page.SetBusy(false);
}

TEST_F(ProjectPageTest, TheBatchFileIsDeletedOnlyAfterNotepadHasReadIt)
{
    const String_cl folder = m_dir / L"批处理 ünï";
    CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());
    const String_cl file = folder + L"\\批处理命令.bat";
    std::vector<String_cl> lines, texts;
    bool notepadReads = true;
    SetNotepadRunner([&](const String_cl& line) {
        lines.push_back(line);
        texts.push_back(Test_ns::ReadText(file));
        return notepadReads;
    });
    {
        ProjectPage p(m_main, m_stores, m_settings);
        const String_cl a = AddRow(L"a")->project->path;
        AddRow(L"x", L"Debug|x64");
        const String_cl gone = AddMissingRow(L"gone")->project->path;
        Refresh();
        Test_ns::ClickButton(p.hwnd, IDC_GENERATE_BATCH);
        EXPECT_FALSE(Test_ns::FileExists(file));
        SetWindowTextW(p.Item(IDC_LOG_FILE), L"C:\\logs\\all.log");
        notepadReads = false;
        Test_ns::ClickButton(p.hwnd, IDC_GENERATE_BATCH);
        EXPECT_TRUE(Test_ns::FileExists(file));
        // Notepad of the system folder, whatever the current folder holds.
        EXPECT_EQ(lines, std::vector<String_cl>(2, L"\"C:\\windows\\system32\\notepad.exe\" \"" + file + L"\""));
        EXPECT_EQ(texts, (std::vector<String_cl>{
                             L"devenv \"" + a + L"\" /build \"Debug|Win32\"\r\ndevenv \"" + gone + L"\" /build \"\"\r\n",
                             L"devenv \"" + a + L"\" /build \"Debug|Win32\" >> \"C:\\logs\\all.log\"\r\ndevenv \"" +
                                 gone + L"\" /build \"\" >> \"C:\\logs\\all.log\"\r\n"}));
        EXPECT_EQ(m_statuses, std::vector<String_cl>{L"记事本未能及时打开批处理命令，文件保留在" + file + L"。"});
    }
    SetNotepadRunner(nullptr);
    SetCurrentDirectoryW(previous);
}

TEST_F(ProjectPageTest, KeepsTheLogFileAndColumnWidthsForTheNextStart)
{
    ScriptedChooser_cl chooser;
    {
        ProjectPage p(m_main, m_stores, m_settings);
        SetWindowTextW(p.Item(IDC_LOG_FILE), L"C:\\old\\a.log");
        chooser.answer = L"D:\\new\\b.log";
        Test_ns::ClickButton(p.hwnd, IDC_CHOOSE_LOG_FILE);
        EXPECT_EQ(chooser.folders, std::vector<String_cl>{L"C:\\old"});
        SendMessageW(p.Item(IDC_PROJECT_LIST), LVM_SETCOLUMNWIDTH, 0, 111);
    }
    EXPECT_EQ(m_settings.GetRecords(kRecordLogPaths), std::vector<String_cl>{L"D:\\new\\b.log"});
    ProjectPage again(m_main, m_stores, m_settings);
    EXPECT_EQ(CTL_ns::CWindow(again.Item(IDC_LOG_FILE)).GetText(), L"D:\\new\\b.log");
    EXPECT_EQ(SendMessageW(again.Item(IDC_PROJECT_LIST), LVM_GETCOLUMNWIDTH, 0, 0), 111);
}

TEST_F(ProjectPageTest, Screenshot)
{
    ProjectPage p(m_main, m_stores, m_settings);
    const wchar_t* names[] = {L"基础库", L"CoreLib", L"NetUtil", L"图像处理", L"AppMain", L"Tests"};
    const int states[] = {Compiled, CompiledUnchanged, CompileFailed, LibraryDependency, Normal, Ignored};
    for (int i = 0; i < 6; ++i) AddRow(names[i])->state = states[i];
    AddRow(L"Win64Only", L"Debug|x64");
    AddMissingRow(L"已删除工程");
    Refresh();
    SetWindowTextW(p.Item(IDC_LOG_FILE), L"C:\\编译日志\\全部.log");
    SelectRow(p.Item(IDC_PROJECT_LIST), 2);
    // As a user widens the path column to read the paths whole.
    SendMessageW(p.Item(IDC_PROJECT_LIST), LVM_SETCOLUMNWIDTH, 3, LVSCW_AUTOSIZE);
    Test_ns::PumpMessages(200);
    EXPECT_FALSE(Test_ns::SaveScreenshot(m_main, L"page-130-projects").empty());
}
