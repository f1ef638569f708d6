// The main window and the solution page driven by the messages a user's
// actions produce, with jobs on their worker threads building through the
// builder stand-in: plans chosen and read, files dropped, configurations
// typed, plans saved under new names, the controls while a job runs, Stop,
// and the unattended run of a list of plans from the command line.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <functional>
#include <string>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/res/resource.h"
#include "app/store/DataFile.h"
#include "app/ui/QuorvaneDlg.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/SettingsInterface.h"
#include "common/base/ComScope.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Test_ns::ClickButton;
using Test_ns::TempDir_cl;

namespace {

String_cl ItemText(HWND control, int id) { return CTL_ns::CWindow(GetDlgItem(control, id)).GetText(); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// The page of the tab control that holds a control of that id.
HWND PageWith(HWND dialog, int id)
{
    HWND tab = GetDlgItem(dialog, IDC_TAB);
    for (HWND child = GetWindow(tab, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, id)) return child;
    return nullptr;
}

// Pumps until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 30000)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        Test_ns::PumpMessages(20);
    }
    return true;
}

// The first visible top-level dialog of this thread.
HWND ShownDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0) {
                *reinterpret_cast<HWND*>(p) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs the main window modally; script runs once it is up, from inside its
// message loop, and may take as long as the jobs it waits for.
std::function<void(HWND)> g_script;
void CALLBACK StartScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = ShownDialog();
    if (!dialog || !g_script) return;
    KillTimer(nullptr, timer);
    std::function<void(HWND)> script = std::move(g_script);
    g_script = nullptr;
    script(dialog);
}

INT_PTR RunWindow(CQuorvaneDlg& window, std::function<void(HWND)> script)
{
    g_script = std::move(script);
    SetTimer(nullptr, 0, 50, &StartScript);
    return window.Run();
}

// A library project of its own folder, or a program linking libraries.
String_cl WriteProject(const String_cl& folder, const String_cl& name, const String_cl& libs = L"")
{
    const bool program = !libs.empty();
    const Test_ns::VcTool_st debug =
        program ? Test_ns::Linker(L"..\\bin\\$(ProjectName).exe").Dependencies(libs).LibraryFolders(L"..\\lib")
                : Test_ns::Librarian(L"..\\lib\\$(ProjectName).lib");
    const String_cl path = folder + name + L"\\" + name + L".vcproj";
    Test_ns::WriteVcprojAndSources(
        path,
        {name,
         {{L"Debug|Win32", program ? 1 : 4, {debug}},
          {L"Release|Win32", 4, {Test_ns::Librarian(L"..\\lib\\r\\$(ProjectName).lib")}}},
         {L"main.cpp"}},
        "int x;\r\n");
    return path;
}

// WM_DROPFILES as the shell sends it: a DROPFILES block of wide names.
void DropFiles(HWND window, const std::vector<String_cl>& names)
{
    std::wstring list;
    for (const String_cl& n : names) list += n + L'\0';
    list += L'\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

// Chooses a combo item as a user does: the selection, then the notification.
void ChooseItem(HWND page, int id, int index)
{
    SendDlgItemMessageW(page, id, CB_SETCURSEL, index, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

// Alt and a letter as the keyboard delivers them to the control with the
// focus, through the dialog manager as the window's own loop does. (The Alt
// key's own down and up add nothing here: the letter's are what count.)
void PressAlt(HWND dialog, wchar_t letter)
{
    const HWND focus = GetFocus();
    const LPARAM scan = LPARAM(MapVirtualKeyW(letter, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(focus, WM_SYSKEYDOWN, letter, 0x20000001 | scan);
    PostMessageW(focus, WM_SYSKEYUP, letter, LPARAM(0xE0000001) | scan);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// Shows a page as a click on its tab does.
HWND ShowPage(HWND dialog, int index, int idOnPage)
{
    SendDlgItemMessageW(dialog, IDC_TAB, TCM_SETCURSEL, index, 0);
    NMHDR header{GetDlgItem(dialog, IDC_TAB), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(dialog, WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
    return PageWith(dialog, idOnPage);
}

class Shutdowns_cl {
public:
    Shutdowns_cl()
    {
        SetShutdownRunner([this] { ++count; });
    }
    ~Shutdowns_cl() { SetShutdownRunner(nullptr); }
    int count = 0;
};

class QuorvaneDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every test starts from the settings of a fresh installation.
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quorvane");
        OverrideModuleDirectory(program.Path());
        vc = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en");
        SettingsHost_cl settings;
        settings.Open(kProductName);
        settings.SetString(kKeyVcDirectory, vc);
        settings.Close();
    }
    void TearDown() override
    {
        OverrideModuleDirectory(L"");
        SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", nullptr);
    }

    PlanId_cl Plan(const String_cl& name, const std::vector<String_cl>& files)
    {
        PlanId_cl plan = stores.plans.AddPlan(name, L"Debug|Win32");
        for (const String_cl& f : files)
            plan->solutions.AddSolution(f, plan->configuration, plan->rows, stores.projects, stores.sequences);
        return plan;
    }
    static bool Idle(const CQuorvaneDlg& window) { return window.CurrentJob() == JobIdle; }

    Base_ns::ComScope_cl com;
    TempDir_cl program{L"qv-window"};
    TempDir_cl ws{L"qv window ws"};
    String_cl vc;
    Stores_cl stores;
    Test_ns::RecordingPresenter_cl presenter;
};

} // namespace

// A plan chosen in the combo is read on a worker, the caption follows, and
// the status line counts its missing project files.
TEST_F(QuorvaneDlgTest, ChoosingAPlanReadsItAndTheCaptionFollows)
{
    Plan(L"默认", {WriteProject(ws.Path(), L"core")});
    Plan(L"第二", {WriteProject(ws.Path(), L"net"), ws / L"gone\\gone.vcproj", ws / L"lost\\lost.vcproj"});
    for (PlanId_cl p = stores.plans.First(); !p.IsEmpty(); p = p.Next()) p->solutions.SetRead(0);
    CQuorvaneDlg window(stores, L"");
    String_cl firstCaption, secondCaption, status;
    RunWindow(window, [&](HWND dialog) {
        Test_ns::PumpMessages(100);
        WaitFor([&] { return Idle(window) && Enabled(dialog, IDC_BUILD); });
        firstCaption = CTL_ns::CWindow(dialog).GetText();
        ChooseItem(PageWith(dialog, IDC_PLAN), IDC_PLAN, 1);
        Test_ns::PumpMessages(100);
        WaitFor([&] { return Idle(window); });
        secondCaption = CTL_ns::CWindow(dialog).GetText();
        status = ItemText(dialog, IDC_STATUS);
        Test_ns::SaveScreenshot(dialog, L"main-window-plan");
        ClickButton(dialog, IDC_EXIT);
    });
    EXPECT_EQ(firstCaption, L"默认 - Quorvane 0.3.2");
    EXPECT_EQ(secondCaption, L"第二 - Quorvane 0.3.2");
    EXPECT_EQ(status, L"2个工程文件不存在。");
    EXPECT_EQ(stores.plans.FindPlan(L"第二")->rows.Count(), 3);
    // The plan shown last is the one selected at the next start.
    SettingsHost_cl settings;
    settings.Open(kProductName);
    EXPECT_EQ(settings.GetString(kKeyPlan, L""), L"第二");
}

// Only solution and project files are taken from a drop; a configuration
// typed and left applies to the plan and becomes the newest recent one; a
// plan saved under a name the dialog refuses first, then accepts, is a copy.
TEST_F(QuorvaneDlgTest, DropConfigurationAndSaveAs)
{
    Plan(L"默认", {});
    const String_cl sln = ws / L"App\\App.SLN";
    CreateDirectories(sln);
    WriteProject(ws / L"App\\", L"app");
    Test_ns::WriteBytes(sln, "\xEF\xBB\xBF\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n"
                             "Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"app\", \"app\\app.vcproj\", "
                             "\"{11111111-1111-1111-1111-111111111111}\"\r\nEndProject\r\nGlobal\r\n"
                             "\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n"
                             "\t\tDebug|Win32 = Debug|Win32\r\n\t\tRelease|Win32 = Release|Win32\r\n"
                             "\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n"
                             "\t\t{11111111-1111-1111-1111-111111111111}.Debug|Win32.ActiveCfg = Debug|Win32\r\n"
                             "\t\t{11111111-1111-1111-1111-111111111111}.Release|Win32.ActiveCfg = Release|Win32\r\n"
                             "\tEndGlobalSection\r\nEndGlobal\r\n");
    Test_ns::WriteBytes(ws / L"notes.txt", "x");
    CQuorvaneDlg window(stores, L"");
    int rowsAfterDrop = -1;
    String_cl firstRecent;
    std::vector<size_t> shownDuringSaveAs;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return Idle(window); });
        HWND page = PageWith(dialog, IDC_PLAN);
        DropFiles(page, {ws / L"App", ws / L"notes.txt", sln});
        rowsAfterDrop = int(SendDlgItemMessageW(page, IDC_SOLUTION_LIST, LVM_GETITEMCOUNT, 0, 0));

        HWND combo = GetDlgItem(page, IDC_CONFIGURATION);
        SetWindowTextW(combo, L"Release|Win32");
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_CONFIGURATION, CBN_KILLFOCUS), reinterpret_cast<LPARAM>(combo));
        wchar_t first[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        firstRecent = first;

        Test_ns::ModalDriver_cl nameDialog([&](HWND d) {
            for (const wchar_t* name : {L"", L"9号", L"发布_2"}) {
                SetDlgItemTextW(d, IDC_PLAN_NAME, name);
                ClickButton(d, IDOK);
                shownDuringSaveAs.push_back(presenter.Shown().size());
            }
        });
        ClickButton(page, IDC_SAVE_PLAN_AS);
        WaitFor([&] { return Idle(window); });
        ClickButton(dialog, IDC_EXIT);
    });
    EXPECT_EQ(rowsAfterDrop, 1);
    EXPECT_EQ(firstRecent, L"Release|Win32");
    ASSERT_EQ(shownDuringSaveAs, (std::vector<size_t>{1, 2, 2}));
    EXPECT_EQ(presenter.Shown()[0].text, L"方案名不能为空。");
    EXPECT_EQ(presenter.Shown()[1].text, L"方案名的第一个字符只能为字母或中文字符。");
    const PlanId_cl original = stores.plans.FindPlan(L"默认");
    const PlanId_cl copy = stores.plans.FindPlan(L"发布_2");
    ASSERT_FALSE(copy.IsEmpty());
    EXPECT_EQ(original->configuration, L"Release|Win32");
    EXPECT_EQ(copy->configuration, L"Release|Win32");
    ASSERT_EQ(copy->solutions.Count(), 1);
    EXPECT_EQ(copy->solutions.First()->path, sln);
}

// Made larger, the window shows the controls that moved with its right and
// bottom edges at once, not only once the mouse has passed over them.
TEST_F(QuorvaneDlgTest, ControlsMovedByALargerWindowArePaintedAtOnce)
{
    Plan(L"默认", {});
    CQuorvaneDlg window(stores, L"");
    const int moved[] = {IDC_REBUILD, IDC_BUILD,  IDC_CLEAN, IDC_STOP,      IDC_RENAME_COMPILE, IDC_STOP_ON_ERROR,
                         IDC_SHUTDOWN, IDC_JOBS_LABEL, IDC_JOBS, IDC_JOBS_SPIN, IDC_VERSION, IDC_EXIT};
    std::vector<int> ink;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return Idle(window); });
        RECT r{};
        GetWindowRect(dialog, &r);
        // Where dragging the frame ends: one move to the new size.
        SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left + 240, r.bottom - r.top + 160,
                     SWP_NOMOVE | SWP_NOZORDER);
        Test_ns::PumpMessages(300);
        Test_ns::SaveScreenshot(dialog, L"main-window-larger", false);
        for (int id : moved) ink.push_back(Test_ns::InkPixels(GetDlgItem(dialog, id)));
        ClickButton(dialog, IDC_EXIT);
    });
    ASSERT_EQ(ink.size(), std::size(moved));
    // A painted button or box shows its frame and text; an unpainted one
    // only the background. The thresholds are far below what each shows.
    for (size_t i = 0; i < ink.size(); ++i) EXPECT_GT(ink[i], 30) << "control " << moved[i];
}

// With the focus in a page, Alt and a letter of the window's own controls
// press those (rebuild, clean, the rename box), never a page's button that
// had the same letter (delete the plan, empty its list, write the batch
// file); the page's buttons answer to letters of their own.
TEST_F(QuorvaneDlgTest, TheWindowsMnemonicsActWhereverTheFocusIs)
{
    Plan(L"默认", {WriteProject(ws.Path(), L"a")});
    int notepads = 0;
    SetNotepadRunner([&](const String_cl&) { return ++notepads > 0; });
    CQuorvaneDlg window(stores, L"");
    std::vector<int> clicked;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return Idle(window); });
        Test_ns::MessageRecorder_cl recorder(dialog, {WM_COMMAND});
        HWND page = PageWith(dialog, IDC_PLAN);
        // Even a page's button with a letter of the window's own does not
        // take it (the dialog manager looks from the focus on, and the plan
        // combo comes before every button of the page).
        SetDlgItemTextW(page, IDC_DELETE_PLAN, L"删除(&R)");
        for (wchar_t letter : {L'R', L'C'}) {
            SetFocus(GetDlgItem(page, IDC_PLAN));
            PressAlt(dialog, letter);
            WaitFor([&] { return Idle(window); });
        }
        SetFocus(GetDlgItem(ShowPage(dialog, 1, IDC_GENERATE_BATCH), IDC_LOG_FILE));
        PressAlt(dialog, L'A');
        for (const Test_ns::Received_st& r : recorder.Received())
            if (HIWORD(r.wParam) == BN_CLICKED) clicked.push_back(LOWORD(r.wParam));
        SetFocus(GetDlgItem(ShowPage(dialog, 0, IDC_PLAN), IDC_PLAN));
        PressAlt(dialog, L'L');
        ClickButton(dialog, IDC_EXIT);
    });
    SetNotepadRunner(nullptr);
    EXPECT_EQ(clicked, (std::vector<int>{IDC_REBUILD, IDC_CLEAN, IDC_RENAME_COMPILE}));
    EXPECT_EQ(notepads, 0);
    const PlanId_cl plan = stores.plans.FindPlan(L"默认");
    ASSERT_FALSE(plan.IsEmpty());
    EXPECT_EQ(plan->solutions.Count(), 0) << "the list was emptied by its own letter";
}

// A job started from the plan page (a plan chosen with the keyboard, the
// plan deleted) or by a button of the window greys the control that has the
// focus: the focus waits on a usable control meanwhile and goes back once
// the job has ended.
TEST_F(QuorvaneDlgTest, TheFocusOutlivesAJob)
{
    Plan(L"默认", {});
    Plan(L"第二", {});
    CQuorvaneDlg window(stores, L"");
    HWND combo = nullptr, remove = nullptr, clean = nullptr;
    HWND afterChoosing = nullptr, afterDeleting = nullptr, afterCleaning = nullptr;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return Idle(window); });
        HWND page = PageWith(dialog, IDC_PLAN);
        combo = GetDlgItem(page, IDC_PLAN);
        remove = GetDlgItem(page, IDC_DELETE_PLAN);
        SetFocus(combo);
        SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 1);
        Test_ns::PumpMessages(100);
        WaitFor([&] { return Idle(window); });
        afterChoosing = GetFocus();
        SetFocus(remove);
        ClickButton(page, IDC_DELETE_PLAN);
        Test_ns::PumpMessages(100);
        WaitFor([&] { return Idle(window); });
        afterDeleting = GetFocus();
        clean = GetDlgItem(dialog, IDC_CLEAN);
        SetFocus(clean);
        ClickButton(dialog, IDC_CLEAN);
        WaitFor([&] { return Idle(window); });
        afterCleaning = GetFocus();
        ClickButton(dialog, IDC_EXIT);
    });
    EXPECT_TRUE(stores.plans.FindPlan(L"第二").IsEmpty()) << "the plan chosen was deleted";
    EXPECT_EQ(afterChoosing, combo);
    EXPECT_EQ(afterDeleting, remove);
    EXPECT_EQ(afterCleaning, clean);
}

// While a slowed build runs: the controls as locked, closing and dropping
// refused; Stop ends the walk after the current row, and the controls come back.
TEST_F(QuorvaneDlgTest, ControlsWhileABuildRunsAndStopAfterTheCurrentRow)
{
    Plan(L"默认", {WriteProject(ws.Path(), L"a"), WriteProject(ws.Path(), L"b"), WriteProject(ws.Path(), L"c")});
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"1500");
    CQuorvaneDlg window(stores, L"");
    std::vector<bool> locked, unlocked;
    bool stayedOpen = false, focusUsable = false;
    String_cl refusal;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return Idle(window); });
        SetFocus(GetDlgItem(dialog, IDC_BUILD));
        ClickButton(dialog, IDC_BUILD);
        // The focus did not stay on the button that went grey.
        focusUsable = GetFocus() != nullptr && IsWindowEnabled(GetFocus());
        WaitFor([&] { return ItemText(dialog, IDC_STATUS).StartsWith(L"正在编译工程a"); });
        for (int id : {IDC_REBUILD, IDC_BUILD, IDC_CLEAN, IDC_STOP, IDC_VERSION, IDC_EXIT, IDC_VC_DIRECTORY})
            locked.push_back(Enabled(dialog, id));
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        stayedOpen = IsWindowVisible(dialog) != FALSE;
        DropFiles(PageWith(dialog, IDC_PLAN), {ws / L"a\\a.vcproj"});
        refusal = ItemText(dialog, IDC_STATUS);
        ClickButton(dialog, IDC_STOP);
        WaitFor([&] { return Idle(window); });
        for (int id : {IDC_REBUILD, IDC_BUILD, IDC_CLEAN, IDC_STOP, IDC_VERSION, IDC_EXIT, IDC_VC_DIRECTORY})
            unlocked.push_back(Enabled(dialog, id));
        ClickButton(dialog, IDC_EXIT);
    });
    EXPECT_EQ(locked, (std::vector<bool>{false, false, false, true, false, false, false}));
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(focusUsable);
    EXPECT_EQ(refusal, BusyStatusText());
    EXPECT_EQ(unlocked, (std::vector<bool>{true, true, true, false, true, true, true}));
    const PlanId_cl plan = stores.plans.FindPlan(L"默认");
    ASSERT_EQ(plan->rows.Count(), 3);
    EXPECT_EQ(plan->solutions.Count(), 3) << "nothing was added under the worker";
    std::vector<int32_t> states;
    for (MProjectId_cl r = plan->rows.First(); !r.IsEmpty(); r = r.Next()) states.push_back(r->state);
    // The row being built when Stop was pressed ended with its real state.
    EXPECT_EQ(states, (std::vector<int32_t>{Compiled, Normal, Normal}));
}

// A list of plans on the command line: each is selected, read and rebuilt
// in turn, and only after the last one does the shutdown run and the window
// close. The options the command line forced are not saved as the user's.
TEST_F(QuorvaneDlgTest, CommandLineRebuildsEachPlanThenShutsDown)
{
    Plan(L"一", {WriteProject(ws / L"one\\", L"app", L"core.lib"), WriteProject(ws / L"one\\", L"core")});
    Plan(L"二", {WriteProject(ws / L"two\\", L"net")});
    Shutdowns_cl shutdowns;
    CQuorvaneDlg window(stores, L"一,二");
    bool forcedStopOnError = true, forcedShutdown = false;
    RunWindow(window, [&](HWND dialog) {
        forcedStopOnError = IsDlgButtonChecked(dialog, IDC_STOP_ON_ERROR) == BST_CHECKED;
        forcedShutdown = IsDlgButtonChecked(dialog, IDC_SHUTDOWN) == BST_CHECKED;
        // The window closes itself after the shutdown command.
        WaitFor([&] { return !IsWindowVisible(dialog); }, 90000);
    });
    EXPECT_FALSE(forcedStopOnError);
    EXPECT_TRUE(forcedShutdown);
    EXPECT_EQ(shutdowns.count, 1);
    for (const wchar_t* name : {L"一", L"二"}) {
        const PlanId_cl plan = stores.plans.FindPlan(name);
        for (MProjectId_cl r = plan->rows.First(); !r.IsEmpty(); r = r.Next())
            EXPECT_EQ(r->state, Compiled) << r->project->name.ToUtf8();
    }
    // The order was learned: core before app.
    const PlanId_cl one = stores.plans.FindPlan(L"一");
    EXPECT_EQ(one->rows.First()->project->name, L"core");
    SettingsHost_cl settings;
    settings.Open(kProductName);
    EXPECT_TRUE(settings.GetBool(kKeyStopOnError, false));
    EXPECT_FALSE(settings.GetBool(kKeyAutoShutdown, true));
}

// The command line's timer runs in the plan-name dialog's loop too and can
// start a rebuild while the user types a name: the copy is then refused as
// every other change is while a job runs.
TEST_F(QuorvaneDlgTest, SaveAsIsRefusedWhenAJobStartedMeanwhile)
{
    Plan(L"默认", {WriteProject(ws.Path(), L"a")});
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"1000");
    Shutdowns_cl shutdowns;
    CQuorvaneDlg window(stores, L"默认");
    String_cl status;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return Idle(window); });
        Test_ns::ModalDriver_cl nameDialog([&](HWND d) {
            WaitFor([&] { return !Idle(window); }, 10000);
            SetDlgItemTextW(d, IDC_PLAN_NAME, L"副本");
            ClickButton(d, IDOK);
        });
        ClickButton(PageWith(dialog, IDC_PLAN), IDC_SAVE_PLAN_AS);
        status = ItemText(dialog, IDC_STATUS);
        WaitFor([&] { return !IsWindowVisible(dialog); }, 60000);
    });
    EXPECT_EQ(status, BusyStatusText());
    EXPECT_TRUE(stores.plans.FindPlan(L"副本").IsEmpty());
    EXPECT_EQ(shutdowns.count, 1) << "the rebuild ran to its end";
}

// The run ends there: the boxes show the user's states again, so the
// user's next rebuild does not end in the forced shutdown.
TEST_F(QuorvaneDlgTest, UnknownPlanOnTheCommandLineEndsTheRunWithError104)
{
    Plan(L"默认", {WriteProject(ws.Path(), L"a")});
    Shutdowns_cl shutdowns;
    CQuorvaneDlg window(stores, L"默认,没有这个");
    bool stopOnError = false, shutdown = true;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return presenter.Shown().size() > 0; }, 60000);
        WaitFor([&] { return Idle(window); });
        stopOnError = IsDlgButtonChecked(dialog, IDC_STOP_ON_ERROR) == BST_CHECKED;
        shutdown = IsDlgButtonChecked(dialog, IDC_SHUTDOWN) == BST_CHECKED;
        ClickButton(dialog, IDC_REBUILD);
        WaitFor([&] { return Idle(window); });
        ClickButton(dialog, IDC_EXIT);
    });
    ASSERT_FALSE(presenter.Shown().empty());
    EXPECT_EQ(presenter.Shown().back().text, L"方案不存在。\r\n没有这个");
    EXPECT_TRUE(stopOnError);
    EXPECT_FALSE(shutdown);
    EXPECT_EQ(shutdowns.count, 0);
    EXPECT_EQ(stores.plans.FindPlan(L"默认")->rows.First()->state, Compiled);
    EXPECT_TRUE(window.CommandLine().empty());
}

// The list is read by the console's rule: one comma at the end is harmless,
// an empty name anywhere else refuses the whole list before any plan of it
// is built (the console refuses it before the window starts).
TEST_F(QuorvaneDlgTest, AnEmptyNameOnTheCommandLineRefusesTheListBeforeAnyPlan)
{
    Plan(L"默认", {WriteProject(ws.Path(), L"a")});
    Shutdowns_cl shutdowns;
    CQuorvaneDlg window(stores, L"默认,,默认");
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return presenter.Shown().size() > 0; }, 60000);
        WaitFor([&] { return Idle(window); });
        ClickButton(dialog, IDC_EXIT);
    });
    ASSERT_EQ(presenter.Shown().size(), 1u);
    EXPECT_EQ(presenter.Shown().back().text, L"方案列表中有空的方案名：两个逗号之间或第一个逗号之前没有名字。\r\n默认,,默认");
    EXPECT_EQ(shutdowns.count, 0);
    EXPECT_EQ(stores.plans.FindPlan(L"默认")->rows.First()->state, Normal) << "nothing was built";
    EXPECT_TRUE(window.CommandLine().empty());
}

namespace {

// The shell's taskbar list as far as a job uses it: records each call, with
// the status line as it reads when the value is set.
class TaskbarRecorder_cl : public ITaskbarList3 {
public:
    std::vector<String_cl> calls;
    HWND dialog = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override
    {
        if (id == IID_IUnknown || id == IID_ITaskbarList || id == IID_ITaskbarList2 || id == IID_ITaskbarList3) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND window, ULONGLONG done, ULONGLONG total) override
    {
        calls.push_back(L"value " + String_cl::FromInt(static_cast<long long>(done)) + L"/" +
                        String_cl::FromInt(static_cast<long long>(total)) + L" " +
                        (window == dialog ? ItemText(dialog, IDC_STATUS) : String_cl(L"<another window>")));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG flags) override
    {
        calls.push_back(L"state " + String_cl::FromInt(flags));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return E_NOTIMPL; }

private:
    ULONG m_refs = 1;
};

} // namespace

// The status line counts the rows and tells the time left from the kept
// build times; the taskbar button shows the same count, and nothing once
// the job has ended.
TEST_F(QuorvaneDlgTest, TheStatusLineAndTheTaskbarButtonShowTheProgress)
{
    const String_cl a = WriteProject(ws.Path(), L"a"), b = WriteProject(ws.Path(), L"b");
    Plan(L"默认", {a, b});
    stores.times.Record(a, L"Debug|Win32", 200);
    stores.times.Record(b, L"Debug|Win32", 100);
    TaskbarRecorder_cl taskbar;
    TaskbarProgress_cl::SetFactory([&] {
        taskbar.AddRef();
        return static_cast<ITaskbarList3*>(&taskbar);
    });
    CQuorvaneDlg window(stores, L"");
    RunWindow(window, [&](HWND dialog) {
        taskbar.dialog = dialog;
        WaitFor([&] { return Idle(window); });
        ClickButton(dialog, IDC_BUILD);
        WaitFor([&] { return Idle(window); });
        ClickButton(dialog, IDC_EXIT);
    });
    TaskbarProgress_cl::SetFactory(nullptr);
    const String_cl normal = L"state " + String_cl::FromInt(TBPF_NORMAL);
    EXPECT_EQ(taskbar.calls, (std::vector<String_cl>{normal, L"value 0/2 正在编译工程a......（0/2，剩余约5分钟）", normal,
                                                     L"value 1/2 正在编译工程b......（1/2，剩余约2分钟）",
                                                     L"state " + String_cl::FromInt(TBPF_NOPROGRESS)}));
}

// The "..." button asks the installer's locator first and takes the
// installation it names, of the 2017-and-later layout, which the window's
// check accepts: a .vcxproj plan builds through it. Pressed again, with that
// folder already in the box, the button browses.
TEST_F(QuorvaneDlgTest, FolderButtonTakesTheLocatedInstallationThenBrowses)
{
    const String_cl vs2022 = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en", L"vs2022");
    Test_ns::LocatorStandin_cl locator;
    ASSERT_TRUE(locator.Ready());
    locator.Names(vs2022);
    Test_ns::VcxProject_st core;
    core.configurations = {{L"Debug|Win32", L"StaticLibrary"}};
    core.sources = {L"core.cpp"};
    const String_cl project = ws / L"新版\\core\\core.vcxproj";
    ASSERT_TRUE(Test_ns::WriteVcxprojAndSources(project, core));
    Plan(L"默认", {project});
    Test_ns::AnsweringChooser_cl chooser(ws / L"别的目录");

    CQuorvaneDlg window(stores, L"");
    String_cl located, browsed;
    size_t askedAfterLocating = 99;
    RunWindow(window, [&](HWND dialog) {
        WaitFor([&] { return Idle(window); });
        ClickButton(dialog, IDC_CHOOSE_VC_DIRECTORY);
        located = ItemText(dialog, IDC_VC_DIRECTORY);
        askedAfterLocating = chooser.Asked().size();
        ClickButton(dialog, IDC_BUILD);
        WaitFor([&] { return Idle(window); });
        ClickButton(dialog, IDC_CHOOSE_VC_DIRECTORY);
        browsed = ItemText(dialog, IDC_VC_DIRECTORY);
        ClickButton(dialog, IDC_EXIT);
    });
    EXPECT_EQ(Test_ns::Ansi(vs2022), Test_ns::Ansi(located));
    EXPECT_EQ(0u, askedAfterLocating);
    ASSERT_EQ(1u, chooser.Asked().size());
    EXPECT_EQ(Test_ns::Ansi(vs2022), Test_ns::Ansi(chooser.Asked()[0].initial));
    EXPECT_EQ(Test_ns::Ansi(ws / L"别的目录"), Test_ns::Ansi(browsed));
    for (const Test_ns::Shown_st& shown : presenter.Shown()) ADD_FAILURE() << Test_ns::Ansi(shown.text);
    const PlanId_cl plan = stores.plans.FindPlan(L"默认");
    ASSERT_EQ(1, plan->rows.Count());
    EXPECT_EQ(Compiled, plan->rows.First()->state);
    EXPECT_TRUE(Test_ns::FileExists(ws / L"新版\\core\\Debug\\core.lib"));
}
