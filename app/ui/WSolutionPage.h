#pragma once
// The first tab page, "方案": the user picks the plan every job works on,
// saves it under a new name or deletes it, sets its configuration, and fills
// its list of solutions by dropping solution and project files on it.
// Choosing a plan makes the main window read it.
#include <windows.h>
#include <shellapi.h>
#include <cstdint>
#include "app/store/DataFile.h"
#include "app/workflow/SettingsInterface.h"
#include "common/ctl/ComboBox.h"
#include "common/ctl/Dialog.h"
#include "common/ctl/Report.h"
#include "common/sysinfo/AutoSize.h"

namespace Quorvane_ns {

class WSolutionPage_cl : public CTL_ns::ModelessDialog_cl {
public:
    WSolutionPage_cl(Stores_cl& stores, const SettingsHost_cl& settings) : m_stores(stores), m_settings(settings) {}
    const wchar_t* ClassName() const override { return L"WSolutionPage_cl"; }

    // The page, as a child of the main window's tab control.
    HWND Create(HWND parent);

    // While a job runs: only the list stays usable (and has the focus if a
    // greyed control had it), and nothing that would change the plan under
    // the worker is accepted.
    void LockPage();
    // After a job and after every change here: each control by what it can
    // do now; the focus goes back to where LockPage found it.
    void UpdatePageControls();

    // The plan combo, for the main window.
    String_cl PlanText() const { return m_plans.GetText(); }
    bool HasPlan() const { return ::SendMessageW(m_plans, CB_GETCURSEL, 0, 0) != CB_ERR; }
    // The selected plan; the combo's no-selection error when there is none.
    PlanId_cl SelectedPlan() const;
    // Selects the plan of that name (the first one) as a user's choice would,
    // so that it is read; false when no plan has the name.
    bool SelectPlan(const String_cl& name) { return m_plans.SelectString(name); }

protected:
    bool OnInit() override;
    bool OnCommand(int code, int id, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void FillPlans();
    void RefreshList();
    void OnPlanChanged();
    // text: the chosen item's, or what the user typed in the edit.
    void OnConfigurationChanged(const String_cl& text);
    void OnSaveAs();
    void OnDeletePlan();
    void OnDeleteSolutions();
    void OnClearList();
    void OnDropFiles(HDROP drop);
    void OnContextMenu();
    // The path of the one selected row (the list's error with several).
    String_cl SelectedPath() const;
    // A command that would change the plan while a job works on it is
    // refused: the status line says why. True when refused.
    bool RefusedWhileBusy();
    // The project page shows the plan afresh, the history page the sequence.
    void RefreshProjectPage() const;

    Stores_cl& m_stores;
    const SettingsHost_cl& m_settings;
    CTL_ns::ComboBox_cl m_plans;
    CTL_ns::ComboBox_cl m_configurations;
    CTL_ns::Report_cl m_list;
    SystemInfo_ns::AutoSize_cl m_layout;
    bool m_busy = false;
};

} // namespace Quorvane_ns
