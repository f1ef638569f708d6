#pragma once
// A job's reports delivered to the main window. Every call is synchronous:
// the worker waits until the window thread has handled it, so the window
// reads the stores only while the job stands still (the threading rule of
// the jobs). Errors are shown there too, with the window as owner.
#include <windows.h>
#include <atomic>
#include "app/workflow/JobReporter.h"
#include "app/workflow/SettingsInterface.h"

namespace Quorvane_ns {

class WindowReporter_cl : public JobReporter_cl {
public:
    // stopOnError mirrors the window's check box; the window keeps it current.
    WindowReporter_cl(const SettingsHost_cl& settings, const std::atomic<bool>& stopOnError)
        : m_settings(settings), m_stopOnError(stopOnError)
    {
    }
    // The main window, once it exists.
    void SetWindow(HWND window) { m_window = window; }

    void Status(const Base_ns::String_cl& text) override;
    void RefreshProjects(uint32_t planKey) override;
    void RefreshHistory() override;
    void ClearProjects() override;
    void Progress(const BuildProgress_st& progress) override;
    void BuildPhaseStarted() override;
    void RowBuilt(const Plan_st& plan, const MProject_st& row, int ok) override;
    void ShowError(const Base_ns::Error_cl& error) override;
    bool StopOnError() override { return m_stopOnError.load(); }
    void Ended(const JobEnd_st& end) override;

private:
    HWND m_window = nullptr;
    const SettingsHost_cl& m_settings;
    const std::atomic<bool>& m_stopOnError;
};

} // namespace Quorvane_ns
