#include "app/ui/QuorvaneDlg.h"
#include <commctrl.h>
#include <thread>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/MProjectPack.h"
#include "app/res/resource.h"
#include "app/ui/WindowMessages.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PlanOperations.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/VcDirectory.h"
#include "common/base/Presenter.h"
#include "common/ctl/Choosers.h"

namespace Quorvane_ns {

namespace {

// Anchors of the main window's controls (left, top, right, bottom).
struct Anchor_st {
    int id;
    double left, top, right, bottom;
};
const Anchor_st kAnchors[] = {
    {IDC_TAB, 0, 0, 1, 1},
    {IDC_REBUILD, 1, 0, 1, 0},
    {IDC_BUILD, 1, 0, 1, 0},
    {IDC_CLEAN, 1, 0, 1, 0},
    {IDC_STOP, 1, 0, 1, 0},
    {IDC_RENAME_COMPILE, 1, 0, 1, 0},
    {IDC_STOP_ON_ERROR, 1, 0, 1, 0},
    {IDC_SHUTDOWN, 1, 0, 1, 0},
    {IDC_JOBS_LABEL, 1, 0, 1, 0},
    {IDC_JOBS, 1, 0, 1, 0},
    {IDC_JOBS_SPIN, 1, 0, 1, 0},
    {IDC_VERSION, 1, 1, 1, 1},
    {IDC_EXIT, 1, 1, 1, 1},
    {IDC_VC_DIRECTORY, 0, 0, 1, 0},
    {IDC_CHOOSE_VC_DIRECTORY, 1, 0, 1, 0},
    {IDC_STATUS, 0, 1, 1, 1},
};

// What a job locks and unlocking gives back (Stop goes the other way).
const std::vector<int> kJobLockedControls = {IDC_VC_DIRECTORY, IDC_CHOOSE_VC_DIRECTORY, IDC_REBUILD,
                                             IDC_CLEAN,        IDC_BUILD,               IDC_VERSION,
                                             IDC_EXIT,         IDC_JOBS,                IDC_JOBS_SPIN};

const wchar_t kContactLine[] = L"问题反馈：请附上 Error.log 和编译日志";
const wchar_t kCloseRefusedText[] = L"任务正在进行，请先停止或等它结束再关闭窗口。";

} // namespace

CQuorvaneDlg::CQuorvaneDlg(Stores_cl& stores, const String_cl& commandLine, InstanceLock_cl* lock)
    : m_stores(stores), m_lock(lock), m_solutionPage(stores, m_settings), m_projectPage(stores, m_settings),
      m_historyPage(stores, m_settings), m_commandLine(commandLine), m_reporter(m_settings, m_stopOnError)
{
    m_icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_settings.Open(kProductName);
}

CQuorvaneDlg::~CQuorvaneDlg()
{
    try {
        JoinWorker();
        m_settings.Close();
    } catch (...) {
    }
}

INT_PTR CQuorvaneDlg::Run(HWND parent) { return DoModal(IDD_QUORVANE_DIALOG, parent); }

bool CQuorvaneDlg::Checked(int id) const { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }

void CQuorvaneDlg::SetChecked(int id, bool checked)
{
    ::CheckDlgButton(m_hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CQuorvaneDlg::OnInit()
{
    m_reporter.SetWindow(m_hwnd);
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));

    m_tab.AttachDlgItem(m_hwnd, IDC_TAB);
    m_tab.AddPage(L"方案", m_solutionPage.Create(m_tab));
    m_tab.AddPage(L"编译工程", m_projectPage.Create(m_tab));
    m_tab.AddPage(L"历史顺序", m_historyPage.Create(m_tab));
    m_layout.Init(m_hwnd, 0, 0);
    for (const Anchor_st& a : kAnchors) m_layout.AddByRatios(GetDlgItem(a.id), a.left, a.top, a.right, a.bottom);

    SetChecked(IDC_RENAME_COMPILE, m_settings.GetBool(kKeyRenameCompile, true));
    SetRenameCompile(Checked(IDC_RENAME_COMPILE));
    m_userStopOnError = m_settings.GetBool(kKeyStopOnError, true);
    m_userShutdown = m_settings.GetBool(kKeyAutoShutdown, false);
    SetChecked(IDC_STOP_ON_ERROR, m_userStopOnError);
    SetChecked(IDC_SHUTDOWN, m_userShutdown);
    ::SetDlgItemTextW(m_hwnd, IDC_VC_DIRECTORY, m_settings.GetString(kKeyVcDirectory, L"").c_str());
    ::SendDlgItemMessageW(m_hwnd, IDC_JOBS_SPIN, UDM_SETRANGE32, 1, kMaxJobs);
    const int savedJobs = ParseJobs(m_settings.GetString(kKeyJobs, L"1"));
    ::SendDlgItemMessageW(m_hwnd, IDC_JOBS_SPIN, UDM_SETPOS32, 0, savedJobs > 0 ? savedJobs : 1);

    if (!m_commandLine.empty()) {
        SetTimer(kCommandLineTimer, 2000);
        SetChecked(IDC_STOP_ON_ERROR, false);
        SetChecked(IDC_SHUTDOWN, true);
        m_forcedStopOnError = m_forcedShutdown = true;
    }
    m_stopOnError = Checked(IDC_STOP_ON_ERROR);
    if (m_lock) m_lock->PublishWindow(m_hwnd);
    UpdateCaption();
    UnlockUi();
    return true;
}

void CQuorvaneDlg::OnSize(UINT, int, int) { m_layout.Resize(); }

void CQuorvaneDlg::OnDestroy()
{
    try {
        KillTimer(kCommandLineTimer);
        if (CurrentJob() == JobIdle) JoinWorker();
        SaveOptions();
    } catch (...) {
        Base_ns::ShowCurrentException(m_hwnd, L"QuorvaneDlg", __LINE__);
    }
}

void CQuorvaneDlg::SaveOptions()
{
    m_settings.SetBool(kKeyRenameCompile, Checked(IDC_RENAME_COMPILE));
    m_settings.SetBool(kKeyStopOnError, m_forcedStopOnError ? m_userStopOnError : Checked(IDC_STOP_ON_ERROR));
    m_settings.SetBool(kKeyAutoShutdown, m_forcedShutdown ? m_userShutdown : Checked(IDC_SHUTDOWN));
    m_settings.SetString(kKeyVcDirectory, CWindow(GetDlgItem(IDC_VC_DIRECTORY)).GetText());
    m_settings.SetString(kKeyJobs, String_cl::FromInt(Jobs()));
}

int CQuorvaneDlg::Jobs()
{
    // Typed text outside the spin box's range is taken as its nearest end.
    BOOL read = FALSE;
    const int typed = static_cast<int>(::GetDlgItemInt(m_hwnd, IDC_JOBS, &read, FALSE));
    const int jobs = !read || typed < 1 ? 1 : typed > kMaxJobs ? kMaxJobs : typed;
    if (!read || jobs != typed) ::SendDlgItemMessageW(m_hwnd, IDC_JOBS_SPIN, UDM_SETPOS32, 0, jobs);
    return jobs;
}

String_cl CQuorvaneDlg::GetVcDirectory() const
{
    return NormalizeVcDirectory(CWindow(GetDlgItem(IDC_VC_DIRECTORY)).GetText());
}

void CQuorvaneDlg::UpdateCaption()
{
    const String_cl product = String_cl(kProductName) + L" " + kProductVersion;
    const String_cl plan = m_solutionPage.PlanText();
    SetText(plan.empty() ? product : String_cl(plan + L" - " + product));
}

void CQuorvaneDlg::ShowVersion()
{
    Base_ns::ShowMessage(m_hwnd,
                         String_cl(kProductName) + L"\r\n\r\n" + kProductVersion + L"\r\n\r\nOstrel工作室制作\r\n\r\n" +
                             kContactLine,
                         kProductName, MB_OK);
}

void CQuorvaneDlg::LockUi()
{
    // The focus leaves what goes grey (for the tab control) and comes back
    // with UnlockUi; the pages do the same with their own controls.
    ParkFocus(kJobLockedControls, GetDlgItem(IDC_TAB));
    for (int id : kJobLockedControls) ::EnableWindow(GetDlgItem(id), FALSE);
    ::EnableWindow(GetDlgItem(IDC_STOP), CurrentJob() != JobIdle);
    ::EnableMenuItem(::GetSystemMenu(m_hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    m_solutionPage.LockPage();
    m_projectPage.SetBusy(true);
    m_historyPage.SetBusy(true);
}

void CQuorvaneDlg::UnlockUi()
{
    for (int id : kJobLockedControls)
        if (id != IDC_BUILD) ::EnableWindow(GetDlgItem(id), TRUE);
    ::EnableWindow(GetDlgItem(IDC_BUILD), m_solutionPage.HasPlan());
    ParkFocus({IDC_STOP}, GetDlgItem(IDC_TAB));
    ::EnableWindow(GetDlgItem(IDC_STOP), FALSE);
    ReturnFocus();
    ::EnableMenuItem(::GetSystemMenu(m_hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    m_solutionPage.UpdatePageControls();
    m_projectPage.SetBusy(false);
    m_historyPage.SetBusy(false);
}

bool CQuorvaneDlg::RefusedWhileBusy()
{
    if (CurrentJob() == JobIdle) return false;
    ::SetDlgItemTextW(m_hwnd, IDC_STATUS, BusyStatusText().c_str());
    return true;
}

void CQuorvaneDlg::StartJob(JobKind kind, uint32_t singleRow, bool rebuildEach)
{
    if (RefusedWhileBusy()) return;
    JobOrder_st order;
    order.kind = kind;
    order.request.vcDirectory = GetVcDirectory();
    CheckVcDirectory(order.request.vcDirectory);
    order.plan = m_solutionPage.SelectedPlan();
    order.request.jobs = Jobs();

    m_running = kind == JobBuild && singleRow != 0 ? 0 : 1;
    m_jobKind = kind;
    if (kind != JobClean) {
        m_singleRow = singleRow;
        m_rebuildEach = rebuildEach;
    }
    order.request.singleRow = m_singleRow;
    order.request.rebuildEach = m_rebuildEach;
    LockUi();
    StartWorker(order);
}

void CQuorvaneDlg::StartRead()
{
    if (CurrentJob() != JobIdle) return;
    UpdateCaption();
    if (!m_solutionPage.HasPlan()) return;
    JobOrder_st order;
    order.kind = JobRead;
    order.plan = m_solutionPage.SelectedPlan();
    LockUi();
    // Set after LockUi, so that Stop stays disabled while a plan is read.
    m_jobKind = JobRead;
    StartWorker(order);
}

void CQuorvaneDlg::StartWorker(JobOrder_st& order)
{
    try {
        JoinWorker();
        m_worker = StartJobThread(m_stores, order, m_running, m_reporter);
    } catch (...) {
        m_running = 0;
        m_jobKind = JobIdle;
        UnlockUi();
        throw;
    }
}

void CQuorvaneDlg::JoinWorker()
{
    // The window is idle only after the job has reported its end; its thread
    // then only returns, so this never waits for the window itself.
    if (m_worker.joinable()) m_worker.join();
}

void CQuorvaneDlg::OnJobEnded(const JobEnd_st& end)
{
    m_running = 0;
    m_jobKind = JobIdle;
    UnlockUi();
    m_taskbar.Clear(m_hwnd);
    ::SetForegroundWindow(m_hwnd);
    if (end.kind == JobBuild && end.reachedEnd && m_commandLine.empty() && Checked(IDC_SHUTDOWN)) {
        RunShutdownCommand();
        ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    }
    // The last plan's job has ended, and with it the unattended run.
    if (m_commandLine.empty()) EndUnattended();
}

void CQuorvaneDlg::EndUnattended()
{
    KillTimer(kCommandLineTimer);
    m_commandLine.clear();
    // A box the user has changed meanwhile keeps the user's choice.
    if (m_forcedStopOnError) SetChecked(IDC_STOP_ON_ERROR, m_userStopOnError);
    if (m_forcedShutdown) SetChecked(IDC_SHUTDOWN, m_userShutdown);
    m_forcedStopOnError = m_forcedShutdown = false;
    m_stopOnError = Checked(IDC_STOP_ON_ERROR);
}

void CQuorvaneDlg::OnStop()
{
    // The user takes over: no forced shutdown after the job that runs now.
    EndUnattended();
    m_running = 0;
    ParkFocus({IDC_STOP}, GetDlgItem(IDC_TAB));
    ::EnableWindow(GetDlgItem(IDC_STOP), FALSE);
}

void CQuorvaneDlg::OnChooseVcDirectory()
{
    const String_cl current = CWindow(GetDlgItem(IDC_VC_DIRECTORY)).GetText();
    // The installer's own locator first. Once the box holds what it found,
    // the button browses, so that another installation can still be chosen.
    const String_cl located = LocateVcInstallation();
    if (!located.empty() && (current.empty() || !Base_ns::EqualsNoCase(NormalizeVcDirectory(current), located))) {
        ::SetDlgItemTextW(m_hwnd, IDC_VC_DIRECTORY, located.c_str());
        return;
    }
    const String_cl chosen = CTL_ns::ChooseFolder(L"选择VC的安装目录", current);
    if (!chosen.empty()) ::SetDlgItemTextW(m_hwnd, IDC_VC_DIRECTORY, chosen.c_str());
}

void CQuorvaneDlg::OnCommandLineTick()
{
    if (CurrentJob() != JobIdle) return;
    if (m_commandLine.empty()) {
        EndUnattended();
        return;
    }
    // The list as the console reads it: an empty name refuses it whole,
    // before any plan of it is built.
    try {
        SplitPlanList(m_commandLine);
    } catch (...) {
        EndUnattended();
        throw;
    }
    const size_t comma = m_commandLine.find(L',');
    const String_cl name = m_commandLine.substr(0, comma);
    const String_cl rest = comma == String_cl::npos ? String_cl() : m_commandLine.substr(comma + 1);
    if (name == m_solutionPage.PlanText()) {
        // The name is taken even when the job cannot start.
        m_commandLine = rest;
        StartJob(JobRebuild);
        return;
    }
    if (!m_solutionPage.SelectPlan(name)) {
        EndUnattended();
        throw MainWindowUserError(104, __LINE__, name);
    }
}

void CQuorvaneDlg::OnTimer(UINT_PTR id)
{
    if (id == kCommandLineTimer) OnCommandLineTick();
}

void CQuorvaneDlg::OnOK()
{
    // The stores and the worker must outlive each other: no closing while a
    // job runs (Enter, Exit, Esc, the taskbar's Close).
    if (RefusedWhileBusy()) {
        ::SetDlgItemTextW(m_hwnd, IDC_STATUS, kCloseRefusedText);
        return;
    }
    End(IDOK);
}

void CQuorvaneDlg::OnCancel()
{
    if (RefusedWhileBusy()) {
        ::SetDlgItemTextW(m_hwnd, IDC_STATUS, kCloseRefusedText);
        return;
    }
    End(IDCANCEL);
}

bool CQuorvaneDlg::PreTranslateMessage(MSG& msg)
{
    // The window's own Alt+letters act wherever the focus is: the dialog
    // manager would click the first control with the letter after the focus,
    // which from inside a page is the page's own.
    return msg.message == WM_SYSCHAR && PressOwnMnemonic(static_cast<wchar_t>(msg.wParam));
}

bool CQuorvaneDlg::OnCommand(int code, int id, HWND)
{
    switch (id) {
    case IDC_REBUILD: StartJob(JobRebuild); return true;
    case IDC_BUILD: StartJob(JobBuild); return true;
    case IDC_CLEAN: StartJob(JobClean); return true;
    case IDC_STOP: OnStop(); return true;
    case IDC_VERSION: ShowVersion(); return true;
    case IDC_EXIT: OnOK(); return true;
    case IDC_CHOOSE_VC_DIRECTORY: OnChooseVcDirectory(); return true;
    case IDC_RENAME_COMPILE:
        SetRenameCompile(Checked(IDC_RENAME_COMPILE));
        return true;
    case IDC_STOP_ON_ERROR:
        if (code == BN_CLICKED) m_forcedStopOnError = false;
        m_stopOnError = Checked(IDC_STOP_ON_ERROR);
        return true;
    case IDC_SHUTDOWN:
        if (code == BN_CLICKED) m_forcedShutdown = false;
        return true;
    default: return false;
    }
}

bool CQuorvaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    // Minimised, the window shows the icon given with WM_SETICON and paints
    // no client area of its own; a drag shows the same icon.
    case WM_QUERYDRAGICON: result = reinterpret_cast<INT_PTR>(m_icon); return true;
    case WM_HELP: ShowVersion(); result = TRUE; return true;
    case UM_BUILD_ONE:
        StartJob(JobBuild, static_cast<uint32_t>(wParam), lParam == 0);
        result = 0;
        return true;
    case UM_READ_PLAN: StartRead(); result = 0; return true;
    case UM_STATUS_TEXT:
        ::SetDlgItemTextW(m_hwnd, IDC_STATUS, reinterpret_cast<const wchar_t*>(wParam));
        ::SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, 0);
        result = TRUE;
        return true;
    case UM_BUILD_PROGRESS: {
        // The status line and the taskbar button say the same.
        const BuildProgress_st& progress = *reinterpret_cast<const BuildProgress_st*>(wParam);
        ::SetDlgItemTextW(m_hwnd, IDC_STATUS, progress.text.c_str());
        m_taskbar.Show(m_hwnd, progress.done, progress.total);
        result = TRUE;
        return true;
    }
    case UM_JOB_ERROR: reinterpret_cast<const Base_ns::Error_cl*>(wParam)->Show(m_hwnd); result = TRUE; return true;
    case UM_BUILD_PHASE:
        m_jobKind = JobBuild;
        m_singleRow = 0;
        m_rebuildEach = false;
        result = TRUE;
        return true;
    case UM_JOB_ENDED: OnJobEnded(*reinterpret_cast<const JobEnd_st*>(wParam)); result = TRUE; return true;
    default: return false;
    }
}

} // namespace Quorvane_ns
