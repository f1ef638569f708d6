#pragma once
// The tab page "编译工程": the build rows of the plan shown, in build order,
// with their state, a counters line, single-row commands (build, rebuild,
// ignore, raise priority, log, Explorer, clipboard), jumps between failed
// rows, find as you type, and the plan's devenv lines as a batch file.
//
// Threads: while a job runs (SetBusy(true)) the page reads the stores only in
// its UM_REFRESH and UM_CLEAR_PROJECTS handlers, which the job sends and waits
// for. Everything else works on the texts copied there, and every command
// that would change a store is refused with a status text to the main window.
#include <windows.h>
#include <functional>
#include "common/ctl/ComboBox.h"
#include "common/ctl/Dialog.h"
#include "common/ctl/GroupBox.h"
#include "common/ctl/Report.h"
#include "common/sysinfo/AutoSize.h"
#include "app/ui/ListRows.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/SettingsInterface.h"

namespace Quorvane_ns {

class Stores_cl;

class WProjectPage_cl : public CTL_ns::ModelessDialog_cl {
public:
    WProjectPage_cl(Stores_cl& stores, const SettingsHost_cl& settings);
    const wchar_t* ClassName() const override { return L"WProjectPage_cl"; }

    // The page (dialog 130) as a child of parent, the tab control; hidden
    // until the tab control shows it.
    HWND Create(HWND parent);
    // The main window's LockUi (true) and UnlockUi (false) for this page.
    void SetBusy(bool busy);
    // The menu a right click shows for the selected row, greyed and checked
    // for that row and for a running job; its pop-up is sub-menu 0. Null
    // with no row selected. The caller destroys it.
    HMENU ContextMenu() const;

protected:
    bool OnInit() override;
    bool OnCommand(int code, int id, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void RefreshList(uint32_t planKey);
    void ClearList();
    void ChooseLogFile();
    void GenerateBatch();
    void ShowContextMenu();
    bool OnMenuCommand(int id);
    void BuildOne(bool build);
    void ToggleIgnoreSelected();
    void MarkSelectedIgnored();
    void RaiseSelectedPriority();
    void OnListKey(WORD key);
    void SelectFailed(int step);
    void FindProject();
    void SelectOnly(int index);
    // The main window's status line.
    void Status(const String_cl& text) const;
    // The selected row's note (ProjectRowView_st::note) on the status line.
    void ShowSelectedNote();
    // While a job runs: tells the user so and returns true.
    bool RefusedWhileBusy() const;
    void RefreshAfterChange(bool history);

    Stores_cl& m_stores;
    const SettingsHost_cl& m_settings;
    CTL_ns::Report_cl m_list;
    CTL_ns::ComboBox_cl m_logFile;
    CTL_ns::GroupBox_cl m_group;
    SystemInfo_ns::AutoSize_cl m_layout;
    ListRows_tl<ProjectRowView_st> m_rows;
    uint32_t m_planKey = 0;
    int32_t m_busy = 0;
    bool m_noteShown = false;  // the status line shows a row's note
};

// Shows the generated batch file: starts Notepad with commandLine and returns
// true once Notepad has read the file (it may be deleted then), false when
// Notepad did not start or did not get that far within a few seconds. Tests
// install their own; an empty function restores the real one.
using NotepadRunner_fn = std::function<bool(const String_cl& commandLine)>;
void SetNotepadRunner(NotepadRunner_fn runner);

} // namespace Quorvane_ns
