#include "app/ui/WSolutionPage.h"
#include <exception>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/res/resource.h"
#include "app/ui/WInputPlanDlg.h"
#include "app/ui/WindowMessages.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/PlanOperations.h"
#include "common/sysinfo/DragInfo.h"
#include "common/sysinfo/SimulateInput.h"

namespace Quorvane_ns {

namespace {

// Runs f, then brings the controls up to date whatever happened in it.
template <class F>
void ThenUpdate(WSolutionPage_cl& page, F f)
{
    try {
        f();
    } catch (...) {
        page.UpdatePageControls();
        throw;
    }
    page.UpdatePageControls();
}

} // namespace

HWND WSolutionPage_cl::Create(HWND parent) { return ModelessDialog_cl::Create(IDD_SOLUTION_PAGE, parent); }

bool WSolutionPage_cl::OnInit()
{
    m_plans.AttachDlgItem(m_hwnd, IDC_PLAN);
    m_configurations.AttachDlgItem(m_hwnd, IDC_CONFIGURATION);
    m_list.AttachDlgItem(m_hwnd, IDC_SOLUTION_LIST);
    m_layout.Init(m_hwnd, 0, 0);
    m_layout.AddByRatios(m_list, 0, 0, 1, 1);

    Container_ns::List_tl<String_cl> recent;
    for (const String_cl& c : m_settings.GetRecords(kRecordConfigurations)) recent.PushBack(c);
    if (recent.Count() > 0) m_configurations.AddStrings(recent);

    FillPlans();
    // Posts the selection change: the plan is shown and read once the page is up.
    m_plans.SelectString(m_settings.GetString(kKeyPlan, kDefaultPlanName));

    const CTL_ns::Report_cl::Column_st columns[] = {{L"名称", 30}, {L"路径", -1}};
    m_list.SetColumns(2, columns);
    m_list.SetColumnWidths(m_settings.GetString(kKeySolutionColumns, m_list.GetColumnWidths()));
    UpdatePageControls();
    return true;
}

void WSolutionPage_cl::OnDestroy()
{
    try {
        if (!m_plans.GetText().empty()) m_settings.SetString(kKeyPlan, m_plans.GetText());
        if (!m_configurations.GetText().empty()) m_settings.AddRecord(kRecordConfigurations, m_configurations.GetText());
        m_settings.SetString(kKeySolutionColumns, m_list.GetColumnWidths());
    } catch (...) {
        Base_ns::ShowCurrentException(m_hwnd, L"WSolutionPage", __LINE__);
    }
}

void WSolutionPage_cl::OnSize(UINT, int, int) { m_layout.Resize(); }

PlanId_cl WSolutionPage_cl::SelectedPlan() const
{
    return m_stores.plans.FromSerial(m_plans.GetItemData(m_plans.GetCurSel()));
}

void WSolutionPage_cl::FillPlans()
{
    m_plans.SendMsg(CB_RESETCONTENT);
    for (PlanId_cl plan = m_stores.plans.First(); !plan.IsEmpty(); plan = plan.Next())
        m_plans.AddString(plan->name, plan.Serial());
}

void WSolutionPage_cl::RefreshList()
{
    m_list.DeleteAll();
    if (!HasPlan()) return;
    const PlanId_cl plan = SelectedPlan();
    for (SolutionId_cl s = plan->solutions.First(); !s.IsEmpty(); s = s.Next()) {
        const String_cl texts[] = {GetFileTitle(s->path), s->path};
        m_list.SetItemData(m_list.AddItem(texts, 2), s.Serial());
    }
}

void WSolutionPage_cl::RefreshProjectPage() const
{
    m_settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, HasPlan() ? LPARAM(SelectedPlan().Serial()) : 0);
    // Rows made or dropped here register or release sequence entries too.
    m_settings.SendToWindow(PAGE_HISTORY, UM_REFRESH, 0);
}

bool WSolutionPage_cl::RefusedWhileBusy()
{
    if (m_busy) SendStatusText(m_hwnd, BusyStatusText().c_str());
    return m_busy;
}

void WSolutionPage_cl::LockPage()
{
    ParkFocus({IDC_PLAN, IDC_CONFIGURATION, IDC_SAVE_PLAN_AS, IDC_DELETE_PLAN, IDC_DELETE_SOLUTIONS,
               IDC_CLEAR_SOLUTIONS},
              m_list);
    m_plans.Enable(false);
    m_configurations.Enable(false);
    m_list.Enable(true);
    for (int id : {IDC_SAVE_PLAN_AS, IDC_DELETE_PLAN, IDC_DELETE_SOLUTIONS, IDC_CLEAR_SOLUTIONS})
        ::EnableWindow(GetDlgItem(id), FALSE);
    m_busy = true;
}

void WSolutionPage_cl::UpdatePageControls()
{
    const bool plan = HasPlan();
    m_plans.Enable(true);
    m_configurations.Enable(plan);
    m_list.Enable(true);
    ::EnableWindow(GetDlgItem(IDC_SAVE_PLAN_AS), plan);
    ::EnableWindow(GetDlgItem(IDC_DELETE_PLAN), plan);
    ::EnableWindow(GetDlgItem(IDC_DELETE_SOLUTIONS), m_list.GetSelectedCount() > 0);
    ::EnableWindow(GetDlgItem(IDC_CLEAR_SOLUTIONS), m_list.GetItemCount() > 0);
    m_busy = false;
    ReturnFocus();
}

void WSolutionPage_cl::OnPlanChanged()
{
    ThenUpdate(*this, [&] {
        m_list.DeleteAll();
        if (HasPlan()) m_configurations.AddRecent(SelectedPlan()->configuration);
        RefreshList();
        if (!HasPlan()) m_settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, 0);
        // The main window reads the plan chosen, or greys what needs one.
        ::PostMessageW(::GetAncestor(m_hwnd, GA_ROOT), UM_READ_PLAN, 0, 0);
    });
}

void WSolutionPage_cl::OnConfigurationChanged(const String_cl& text)
{
    if (!HasPlan() || m_busy) return;
    const PlanId_cl plan = SelectedPlan();
    if (!ChangePlanConfiguration(m_stores, plan, text)) return;
    RefreshProjectPage();
    m_configurations.AddRecent(text);
    m_settings.AddRecord(kRecordConfigurations, text);
}

void WSolutionPage_cl::OnSaveAs()
{
    if (!HasPlan() || RefusedWhileBusy()) return;
    WInputPlanDlg_cl dialog;
    if (dialog.Run(m_hwnd) != IDOK) return;
    // A job may have started while the dialog was open: the command line's
    // timer runs in its loop too.
    if (!HasPlan() || RefusedWhileBusy()) return;
    SavePlanAs(m_stores, SelectedPlan(), dialog.Name());
    FillPlans();
    // Notifies the page, so the copy is read.
    m_plans.SetCurSel(static_cast<int>(m_plans.SendMsg(CB_GETCOUNT)) - 1);
}

void WSolutionPage_cl::OnDeletePlan()
{
    if (!HasPlan() || RefusedWhileBusy()) return;
    PlanId_cl plan = SelectedPlan();
    DeletePlan(m_stores, plan);
    FillPlans();
    if (m_plans.SendMsg(CB_GETCOUNT) > 0)
        m_plans.SetCurSel(0);
    else
        ::PostMessageW(::GetAncestor(m_hwnd, GA_ROOT), UM_READ_PLAN, 0, 0);
    m_settings.SendToWindow(PAGE_HISTORY, UM_REFRESH, 0);
    UpdatePageControls();
}

void WSolutionPage_cl::OnDeleteSolutions()
{
    if (!HasPlan() || m_list.GetSelectedCount() == 0 || RefusedWhileBusy()) return;
    ThenUpdate(*this, [&] {
        std::vector<uint32_t> keys;
        const Base_ns::Trusteeship_tl<int32_t> rows = m_list.GetSelectedAll();
        for (int i = 0; i < rows.Size(); ++i) keys.push_back(m_list.GetItemData(rows[i]));
        const PlanId_cl plan = SelectedPlan();
        try {
            RemoveSolutions(m_stores, plan, keys);
        } catch (...) {
            RefreshList();
            throw;
        }
        RefreshList();
        RefreshProjectPage();
    });
}

void WSolutionPage_cl::OnClearList()
{
    if (!HasPlan() || RefusedWhileBusy()) return;
    ThenUpdate(*this, [&] {
        ClearSolutions(m_stores, SelectedPlan());
        RefreshList();
        RefreshProjectPage();
    });
}

void WSolutionPage_cl::OnDropFiles(HDROP drop)
{
    if (!HasPlan() || RefusedWhileBusy()) {
        ::DragFinish(drop);
        return;
    }
    LockPage();
    ThenUpdate(*this, [&] {
        std::vector<String_cl> names;
        SystemInfo_ns::DragInfo_cl dropped(drop);
        for (auto it = dropped.First(); !it.IsEmpty(); it = it.Next()) names.push_back(*it);
        const std::vector<AddOutcome_st> outcomes = AddFilesToPlan(m_stores, SelectedPlan(), names);
        RefreshList();
        RefreshProjectPage();
        // Files of other kinds are passed over without a word; a solution the
        // store refused says why.
        for (const AddOutcome_st& o : outcomes)
            if (o.error) std::rethrow_exception(o.error);
    });
}

String_cl WSolutionPage_cl::SelectedPath() const { return m_list.GetItemText(m_list.GetSelected(), 1); }

void WSolutionPage_cl::OnContextMenu()
{
    const int selected = m_list.GetSelectedCount();
    if (selected == 0) return;
    HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_SOLUTION_MENU));
    if (!menu) return;
    HMENU popup = ::GetSubMenu(menu, 0);
    if (selected > 1) {
        ::EnableMenuItem(popup, ID_LOCATE, MF_BYCOMMAND | MF_GRAYED);
        ::EnableMenuItem(popup, ID_OPEN, MF_BYCOMMAND | MF_GRAYED);
    }
    POINT at;
    ::GetCursorPos(&at);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr);
    ::DestroyMenu(menu);
}

bool WSolutionPage_cl::OnCommand(int code, int id, HWND)
{
    switch (id) {
    case IDC_PLAN:
        if (code == CBN_SELCHANGE) OnPlanChanged();
        return true;
    case IDC_CONFIGURATION:
        // A chosen item's text reaches the edit only after the selection
        // change is reported; what the user typed is the edit's text.
        if (code == CBN_SELCHANGE) OnConfigurationChanged(m_configurations.GetText());
        if (code == CBN_KILLFOCUS) OnConfigurationChanged(CTL_ns::CWindow(m_configurations).GetText());
        return true;
    case IDC_SAVE_PLAN_AS: OnSaveAs(); return true;
    case IDC_DELETE_PLAN: OnDeletePlan(); return true;
    case IDC_DELETE_SOLUTIONS:
    case ID_DELETE_SOLUTIONS: OnDeleteSolutions(); return true;
    case IDC_CLEAR_SOLUTIONS: OnClearList(); return true;
    case ID_LOCATE: SystemInfo_ns::SimulateInput_cl::ShowInExplorer(SelectedPath()); return true;
    case ID_OPEN: SystemInfo_ns::SimulateInput_cl::OpenWithShell(SelectedPath()); return true;
    case ID_COPY_PATH: SystemInfo_ns::SimulateInput_cl::CopyText(m_hwnd, SelectedPath()); return true;
    default: return false;
    }
}

bool WSolutionPage_cl::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id != IDC_SOLUTION_LIST) return false;
    switch (header->code) {
    case NM_CLICK:
        if (!m_busy) UpdatePageControls();
        return true;
    case NM_RCLICK: OnContextMenu(); return true;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        if (key == VK_DELETE) {
            OnDeleteSolutions();
        } else if (key == 'C' && ::GetKeyState(VK_CONTROL) < 0) {
            SystemInfo_ns::SimulateInput_cl::CopyText(m_hwnd, SelectedPath());
        }
        result = 0;
        return true;
    }
    default: return false;
    }
}

bool WSolutionPage_cl::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    if (message != WM_DROPFILES) return false;
    OnDropFiles(reinterpret_cast<HDROP>(wParam));
    result = 0;
    return true;
}

} // namespace Quorvane_ns
