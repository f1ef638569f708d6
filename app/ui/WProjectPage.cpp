#include "app/ui/WProjectPage.h"
#include "common/ctl/Choosers.h"
#include "common/sysinfo/SimulateInput.h"
#include "app/engine/RowState.h"
#include "app/res/resource.h"
#include "app/store/DataFile.h"
#include "app/ui/WindowMessages.h"
#include "app/workflow/HtmlReport.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {
namespace {

using SystemInfo_ns::SimulateInput_cl;

const CTL_ns::Report_cl::Column_st kColumns[] = {
    {L"名称", 30}, {L"编译模式", 20}, {L"状态", 20}, {L"路径", -1}};
const int kColumnCount = 4;

const wchar_t kBatchFileName[] = L"批处理命令.bat";
const wchar_t kLogFilter[] = L"日志文件 (*.log)|*.log|";
// Long enough for a machine busy with builds, short enough that the page
// is not frozen for long when Notepad never gets there.
const DWORD kNotepadWaitMs = 5000;

// Set by tests before they use a page; read on the window thread.
NotepadRunner_fn g_notepadRunner;

bool RunNotepad(const String_cl& commandLine)
{
    String_cl line = commandLine;  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // Notepad reads the file before it first waits for input.
    const DWORD waited = ::WaitForInputIdle(process.hProcess, kNotepadWaitMs);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return waited == 0;
}

bool OpenInNotepad(const String_cl& commandLine)
{
    return g_notepadRunner ? g_notepadRunner(commandLine) : RunNotepad(commandLine);
}

String_cl CurrentDirectory()
{
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    String_cl folder(needed, L'\0');
    folder.resize(::GetCurrentDirectoryW(needed, folder.data()));
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

void Grey(HMENU menu, UINT id, bool grey)
{
    if (grey) ::EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
}

} // namespace

void SetNotepadRunner(NotepadRunner_fn runner)
{
    g_notepadRunner = std::move(runner);
}

WProjectPage_cl::WProjectPage_cl(Stores_cl& stores, const SettingsHost_cl& settings)
    : m_stores(stores), m_settings(settings), m_rows(m_list, kColumnCount)
{
}

HWND WProjectPage_cl::Create(HWND parent) { return ModelessDialog_cl::Create(IDD_PROJECT_PAGE, parent); }

void WProjectPage_cl::SetBusy(bool busy)
{
    m_busy = busy ? 1 : 0;
    if (busy) ParkFocus({IDC_LOG_FILE, IDC_CHOOSE_LOG_FILE, IDC_GENERATE_BATCH}, m_list);
    for (int id : {IDC_LOG_FILE, IDC_CHOOSE_LOG_FILE, IDC_GENERATE_BATCH}) ::EnableWindow(GetDlgItem(id), !busy);
    m_list.Enable(true);
    if (!busy) ReturnFocus();
}

bool WProjectPage_cl::OnInit()
{
    m_list.AttachDlgItem(m_hwnd, IDC_PROJECT_LIST);
    m_logFile.AttachDlgItem(m_hwnd, IDC_LOG_FILE);
    m_group.AttachDlgItem(m_hwnd, IDC_BATCH_GROUP);
    m_layout.Init(m_hwnd, 0, 0);
    m_layout.AddByRatios(m_list, 0, 0, 1, 1);
    m_layout.AddByRatios(GetDlgItem(IDC_COUNTERS), 1, 1, 1, 1);

    Container_ns::List_tl<String_cl> logFiles;
    for (const String_cl& file : m_settings.GetRecords(kRecordLogPaths)) logFiles.PushBack(file);
    if (!logFiles.IsEmpty()) m_logFile.AddStrings(logFiles);

    m_list.SetColumns(kColumnCount, kColumns);
    try {
        m_list.SetColumnWidths(m_settings.GetString(kKeyProjectColumns, m_list.GetColumnWidths()));
    } catch (const Base_ns::Error_cl& e) {
        // Damaged widths must not keep the page out of the registry.
        e.Show(m_hwnd);
    }
    m_settings.RegisterWindow(m_hwnd, PAGE_PROJECTS);
    return true;
}

void WProjectPage_cl::OnDestroy()
{
    m_settings.UnregisterWindow(m_hwnd);
    const String_cl logFile = m_logFile.CWindow::GetText();
    if (!logFile.IsEmpty()) m_settings.AddRecord(kRecordLogPaths, logFile);
    m_settings.SetString(kKeyProjectColumns, m_list.GetColumnWidths());
}

void WProjectPage_cl::OnSize(UINT, int, int) { m_layout.Resize(); }

bool WProjectPage_cl::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result)
{
    if (message == UM_REFRESH) {
        result = 0;
        RefreshList(static_cast<uint32_t>(lParam));
        return true;
    }
    if (message == UM_CLEAR_PROJECTS) {
        result = 0;
        ClearList();
        return true;
    }
    return false;
}

bool WProjectPage_cl::OnCommand(int code, int id, HWND control)
{
    if (!control) return OnMenuCommand(id);
    switch (id) {
    case IDC_CHOOSE_LOG_FILE:
        if (code == BN_CLICKED) ChooseLogFile();
        return true;
    case IDC_GENERATE_BATCH:
        if (code == BN_CLICKED) GenerateBatch();
        return true;
    case IDC_PREV_FAILED:
        if (code == BN_CLICKED) SelectFailed(-1);
        return true;
    case IDC_NEXT_FAILED:
        if (code == BN_CLICKED) SelectFailed(1);
        return true;
    case IDC_FIND_PROJECT:
        if (code == EN_CHANGE) FindProject();
        return true;
    default:
        return false;
    }
}

bool WProjectPage_cl::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id != IDC_PROJECT_LIST) return false;
    if (header->code == NM_RCLICK) {
        ShowContextMenu();
        return true;
    }
    if (header->code == LVN_KEYDOWN) {
        OnListKey(reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey);
        return true;
    }
    if (header->code == LVN_ITEMCHANGED) {
        // A row that has just become selected.
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
            ShowSelectedNote();
        return false;
    }
    return false;
}

void WProjectPage_cl::ShowSelectedNote()
{
    // Why the selected row failed, or what of its project file could not be
    // read, when its log does not say it. Taken back when another row is
    // selected, but never over a job's own status text.
    const String_cl note = m_rows.HasSelection() ? m_rows.Selected().note : String_cl();
    if (!note.IsEmpty()) {
        Status(note);
        m_noteShown = true;
    } else if (m_noteShown) {
        m_noteShown = false;
        if (!m_busy) Status(String_cl());
    }
}

bool WProjectPage_cl::OnMenuCommand(int id)
{
    if (id == ID_SHOW_REPORT) {
        SimulateInput_cl::OpenWithShell(HtmlReportPath());
        return true;
    }
    if (!m_rows.HasSelection()) return false;
    switch (id) {
    case ID_LOCATE: SimulateInput_cl::ShowInExplorer(m_rows.Selected().path); return true;
    case ID_OPEN: SimulateInput_cl::OpenWithShell(m_rows.Selected().path); return true;
    case ID_REBUILD_ONE: BuildOne(false); return true;
    case ID_BUILD_ONE: BuildOne(true); return true;
    case ID_SHOW_LOG: SimulateInput_cl::OpenWithShell(m_rows.Selected().log); return true;
    case ID_IGNORE: ToggleIgnoreSelected(); return true;
    case ID_RAISE_PRIORITY: RaiseSelectedPriority(); return true;
    case ID_COPY_PATH: SimulateInput_cl::CopyText(m_hwnd, m_rows.Selected().path); return true;
    default: return false;
    }
}

void WProjectPage_cl::OnListKey(WORD key)
{
    if (!m_rows.HasSelection()) return;
    if (key == VK_DELETE) MarkSelectedIgnored();
    else if (key == 'C' && ::GetKeyState(VK_CONTROL) < 0) SimulateInput_cl::CopyText(m_hwnd, m_rows.Selected().path);
}

void WProjectPage_cl::RefreshList(uint32_t planKey)
{
    m_planKey = planKey;
    if (planKey == 0) {
        ClearList();
        return;
    }
    PlanId_cl plan;
    try {
        plan = m_stores.plans.FromSerial(planKey);
    } catch (...) {
        // What the list showed belonged to a plan that is gone.
        ClearList();
        throw;
    }
    ProjectRowViews(plan->rows, m_rows.Next());
    m_rows.ShowNext();
    ::SetDlgItemTextW(m_hwnd, IDC_COUNTERS, CountersText(Statistics(plan->rows)).c_str());
}

void WProjectPage_cl::ClearList()
{
    m_rows.Clear();
    ::SetDlgItemTextW(m_hwnd, IDC_COUNTERS, L"");
}

void WProjectPage_cl::ChooseLogFile()
{
    const String_cl current = m_logFile.CWindow::GetText();
    const String_cl file = CTL_ns::ChooseSaveFile(L"log", kLogFilter, GetFileDirectory(current, false));
    if (!file.IsEmpty()) m_logFile.SetText(file);
}

void WProjectPage_cl::GenerateBatch()
{
    if (RefusedWhileBusy() || m_planKey == 0) return;
    const String_cl logFile = m_logFile.CWindow::GetText();
    PlanId_cl plan = m_stores.plans.FromSerial(m_planKey);
    const String_cl path = CurrentDirectory() + kBatchFileName;
    WriteBatchFile(path, plan->rows, logFile);
    // The file goes once Notepad has read it; one that Notepad may still
    // want stays, and the user is told where.
    const String_cl notepad = Base_ns::SystemFolder() + L"notepad.exe";
    if (OpenInNotepad(L"\"" + notepad + L"\" \"" + path + L"\"")) ::DeleteFileW(path.c_str());
    else Status(L"记事本未能及时打开批处理命令，文件保留在" + path + L"。");
}

HMENU WProjectPage_cl::ContextMenu() const
{
    if (!m_rows.HasSelection()) return nullptr;
    const ProjectRowView_st& row = m_rows.Selected();
    HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_PROJECT_MENU));
    if (!menu) return nullptr;
    HMENU popup = ::GetSubMenu(menu, 0);
    Grey(popup, ID_SHOW_LOG, row.log.IsEmpty());
    const DWORD report = ::GetFileAttributesW(HtmlReportPath().c_str());
    Grey(popup, ID_SHOW_REPORT, report == INVALID_FILE_ATTRIBUTES || (report & FILE_ATTRIBUTE_DIRECTORY));
    if (row.state == NotExist) {
        for (UINT id : {ID_LOCATE, ID_OPEN, ID_REBUILD_ONE, ID_BUILD_ONE, ID_IGNORE, ID_RAISE_PRIORITY})
            Grey(popup, id, true);
    } else {
        if (row.state == Ignored) ::CheckMenuItem(popup, ID_IGNORE, MF_BYCOMMAND | MF_CHECKED);
        Grey(popup, ID_IGNORE, row.configuration.IsEmpty());
    }
    if (m_busy) {
        for (UINT id : {ID_REBUILD_ONE, ID_BUILD_ONE, ID_IGNORE, ID_RAISE_PRIORITY}) Grey(popup, id, true);
    }
    return menu;
}

void WProjectPage_cl::ShowContextMenu()
{
    HMENU menu = ContextMenu();
    if (!menu) return;
    POINT at{};
    ::GetCursorPos(&at);
    ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr);
    ::DestroyMenu(menu);
}

void WProjectPage_cl::BuildOne(bool build)
{
    if (RefusedWhileBusy()) return;
    ::PostMessageW(::GetAncestor(m_hwnd, GA_ROOT), UM_BUILD_ONE, m_rows.Selected().key, build ? 1 : 0);
}

void WProjectPage_cl::ToggleIgnoreSelected()
{
    if (RefusedWhileBusy()) return;
    ToggleIgnore(m_stores, m_planKey, m_rows.Selected().key);
    RefreshAfterChange(false);
}

void WProjectPage_cl::MarkSelectedIgnored()
{
    if (RefusedWhileBusy()) return;
    if (MarkIgnored(m_stores, m_planKey, m_rows.Selected().key)) RefreshAfterChange(false);
}

void WProjectPage_cl::RaiseSelectedPriority()
{
    if (RefusedWhileBusy()) return;
    RaiseRowPriority(m_stores, m_planKey, m_rows.Selected().key);
    RefreshAfterChange(true);
}

void WProjectPage_cl::RefreshAfterChange(bool history)
{
    // Through the registry, as a job refreshes; directly when this page is
    // not registered, so that the list never shows the state before a change.
    if (!m_settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, static_cast<LPARAM>(m_planKey))) RefreshList(m_planKey);
    if (history) m_settings.SendToWindow(PAGE_HISTORY, UM_REFRESH, 0);
}

void WProjectPage_cl::SelectFailed(int step)
{
    const int count = m_rows.Count();
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    int i = selected >= 0 ? selected + step : (step < 0 ? count - 1 : 0);
    for (; i >= 0 && i < count; i += step) {
        if (m_rows.At(i).stateText == RowStateText(CompileFailed)) {
            SelectOnly(i);
            return;
        }
    }
}

void WProjectPage_cl::FindProject()
{
    const String_cl text = CWindow(GetDlgItem(IDC_FIND_PROJECT)).GetText().Upper();
    if (text.IsEmpty()) return;
    for (int i = 0; i < m_rows.Count(); ++i) {
        if (m_rows.At(i).name.Upper().find(text) != String_cl::npos) {
            SelectOnly(i);
            return;
        }
    }
}

void WProjectPage_cl::SelectOnly(int index)
{
    m_list.ClearSelection();
    m_list.Select(index);
    m_list.EnsureVisible(index, false);
}

void WProjectPage_cl::Status(const String_cl& text) const
{
    ::SendMessageW(::GetAncestor(m_hwnd, GA_ROOT), UM_STATUS_TEXT, reinterpret_cast<WPARAM>(text.c_str()), 0);
}

bool WProjectPage_cl::RefusedWhileBusy() const
{
    if (m_busy) Status(BusyStatusText());
    return m_busy != 0;
}

} // namespace Quorvane_ns
