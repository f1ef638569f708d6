#include "app/ui/WindowReporter.h"
#include "app/ui/WindowMessages.h"

namespace Quorvane_ns {

void WindowReporter_cl::Status(const Base_ns::String_cl& text)
{
    SendMessageW(m_window, UM_STATUS_TEXT, reinterpret_cast<WPARAM>(text.c_str()), 0);
}

void WindowReporter_cl::RefreshProjects(uint32_t planKey)
{
    m_settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, static_cast<LPARAM>(planKey));
}

void WindowReporter_cl::RefreshHistory() { m_settings.SendToWindow(PAGE_HISTORY, UM_REFRESH, 0); }

void WindowReporter_cl::ClearProjects() { m_settings.SendToWindow(PAGE_PROJECTS, UM_CLEAR_PROJECTS, 0); }

void WindowReporter_cl::Progress(const BuildProgress_st& progress)
{
    SendMessageW(m_window, UM_BUILD_PROGRESS, reinterpret_cast<WPARAM>(&progress), 0);
}

void WindowReporter_cl::BuildPhaseStarted() { SendMessageW(m_window, UM_BUILD_PHASE, 0, 0); }

void WindowReporter_cl::RowBuilt(const Plan_st&, const MProject_st&, int)
{
    SendMessageW(m_window, UM_ROW_BUILT, 0, 0);
}

void WindowReporter_cl::ShowError(const Base_ns::Error_cl& error)
{
    // A box opened here would belong to no window and could sit behind the
    // main window; the window thread shows it over itself.
    SendMessageW(m_window, UM_JOB_ERROR, reinterpret_cast<WPARAM>(&error), 0);
}

void WindowReporter_cl::Ended(const JobEnd_st& end)
{
    SendMessageW(m_window, UM_JOB_ENDED, reinterpret_cast<WPARAM>(&end), 0);
}

} // namespace Quorvane_ns
