#pragma once
// The tab page "历史顺序": the remembered build order, one entry per project
// file, with import and export as a text file and deletion of entries that
// no build row uses any more.
//
// Threads: while a job runs (SetBusy(true)) the page reads the sequence only
// in its UM_REFRESH handler, which the job sends and waits for; import,
// export and deletion are refused with a status text to the main window, and
// the buttons stay disabled whatever a refresh does.
#include <windows.h>
#include "common/ctl/Dialog.h"
#include "common/ctl/Report.h"
#include "common/sysinfo/AutoSize.h"
#include "app/ui/ListRows.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/SettingsInterface.h"

namespace Quorvane_ns {

class Stores_cl;

class WHistoryPage_cl : public CTL_ns::ModelessDialog_cl {
public:
    WHistoryPage_cl(Stores_cl& stores, const SettingsHost_cl& settings);
    const wchar_t* ClassName() const override { return L"WHistoryPage_cl"; }

    // The page (dialog 131) as a child of parent, the tab control; hidden
    // until the tab control shows it.
    HWND Create(HWND parent);
    // The main window's LockUi (true) and UnlockUi (false) for this page.
    void SetBusy(bool busy);

protected:
    bool OnInit() override;
    bool OnCommand(int code, int id, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void RefreshList();
    void Import();
    void Export();
    void DeleteSelected();
    void CopySelectedPath();
    // The list always; import and export unless a job runs.
    void EnableControls();
    // While a job runs: tells the user so and returns true.
    bool RefusedWhileBusy() const;

    Stores_cl& m_stores;
    const SettingsHost_cl& m_settings;
    CTL_ns::Report_cl m_list;
    SystemInfo_ns::AutoSize_cl m_layout;
    ListRows_tl<SequenceRowView_st> m_rows;
    bool m_askBeforeDelete = true;
    int32_t m_busy = 0;
};

} // namespace Quorvane_ns
