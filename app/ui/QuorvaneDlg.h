#pragma once
// The program's only top-level window: the three pages on a tab control,
// the job buttons, the options, the Visual C++ folder and the status line.
// It starts the jobs on worker threads, keeps the options in the settings
// library, and works through a list of plans given on the command line.
//
// Threads: every handler runs on the window thread. A job runs on a worker
// of its own; its reports come back here synchronously (WindowReporter_cl),
// and only then are the stores read for the pages. While a job runs, the
// window cannot be closed and nothing that changes a store is accepted.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <thread>
#include "app/store/DataFile.h"
#include "app/ui/WHistoryPage.h"
#include "app/ui/WProjectPage.h"
#include "app/ui/WSolutionPage.h"
#include "app/ui/TaskbarProgress.h"
#include "app/ui/WindowReporter.h"
#include "app/workflow/InstanceLock.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/JobReporter.h"
#include "app/workflow/SettingsInterface.h"
#include "common/ctl/Dialog.h"
#include "common/ctl/TabCtrl.h"
#include "common/sysinfo/AutoSize.h"

namespace Quorvane_ns {

class CQuorvaneDlg : public CTL_ns::ModalDialog_cl {
public:
    // commandLine: the program's command line after its name (a list of plans
    // to rebuild unattended, or empty). lock: the data file's lock, through
    // which a second instance finds this window; may be null.
    CQuorvaneDlg(Stores_cl& stores, const String_cl& commandLine, InstanceLock_cl* lock = nullptr);
    ~CQuorvaneDlg() override;
    const wchar_t* ClassName() const override { return L"CQuorvaneDlg"; }

    INT_PTR Run(HWND parent = nullptr);

    JobKind CurrentJob() const { return static_cast<JobKind>(m_jobKind.load()); }
    const String_cl& CommandLine() const { return m_commandLine; }

    // The Visual C++ folder as typed, with backslashes and one at the end;
    // user error 101 when it is empty.
    String_cl GetVcDirectory() const;
    void UpdateCaption();
    void ShowVersion();
    void LockUi();
    void UnlockUi();

private:
    static constexpr UINT_PTR kCommandLineTimer = 0;

    bool OnInit() override;
    bool OnCommand(int code, int id, HWND control) override;
    void OnSize(UINT type, int width, int height) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override;
    void OnCancel() override;
    bool PreTranslateMessage(MSG& msg) override;

    // A job that changes the stores: the checks, the fields, LockUi, the thread.
    void StartJob(JobKind kind, uint32_t singleRow = 0, bool rebuildEach = false);
    void StartRead();
    // The job's thread, after the last one's has returned; unlocks again
    // when no thread can be made.
    void StartWorker(JobOrder_st& order);
    void JoinWorker();
    void OnJobEnded(const JobEnd_st& end);
    void OnStop();
    void OnChooseVcDirectory();
    void OnCommandLineTick();
    // The list of plans is done with, worked through or not: the timer
    // stops, and the boxes the command line set show the user's states again.
    void EndUnattended();
    void SaveOptions();
    // Writes the data file. loud: a failure is shown, and a data file that
    // another program changed is told; otherwise (after each row, at the end
    // of the session, when no box may wait for anyone) a system error is
    // only logged and the next loud save tells the rest.
    void SaveData(bool loud);
    // Rebuild, build and clean need a plan: grey without one.
    void EnableJobButtons();
    // The spin box "同时编译": how many rows may build at once.
    int Jobs();
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);
    // True when a job runs; the status line then says why the command waits.
    bool RefusedWhileBusy();

    Stores_cl& m_stores;
    SettingsHost_cl m_settings;
    InstanceLock_cl* m_lock;
    WSolutionPage_cl m_solutionPage;
    WProjectPage_cl m_projectPage;
    WHistoryPage_cl m_historyPage;
    CTL_ns::TabCtrl_cl m_tab;
    SystemInfo_ns::AutoSize_cl m_layout;
    HICON m_icon = nullptr;

    std::atomic<int> m_jobKind{JobIdle};
    std::atomic<int> m_running{0};
    uint32_t m_singleRow = 0;
    bool m_rebuildEach = false;
    String_cl m_commandLine;
    // The stop-on-error box as the worker reads it after every row.
    std::atomic<bool> m_stopOnError{true};
    WindowReporter_cl m_reporter;
    TaskbarProgress_cl m_taskbar;
    // The last job's thread: it has reported its end once the window is
    // idle, and is joined before the next one starts and before the window goes.
    std::thread m_worker;

    // A command line unchecks stop-on-error and checks shutdown for its run
    // only; the user's own states are what is saved and what the boxes show
    // once the run is over, unless the user changes a box meanwhile.
    bool m_forcedStopOnError = false;
    bool m_forcedShutdown = false;
    bool m_userStopOnError = true;
    bool m_userShutdown = false;
};

} // namespace Quorvane_ns
