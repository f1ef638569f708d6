#include "app/workflow/BuildLanes.h"
#include "app/workflow/BuildProgress.h"

namespace Quorvane_ns {

BuildLanes_cl::BuildLanes_cl(int count)
    : m_threads(count > 0 ? count : 1), m_busy(m_threads.size(), false), m_start(m_threads.size(), 0),
      m_end(m_threads.size(), 0)
{
}

BuildLanes_cl::~BuildLanes_cl()
{
    while (AnyBusy()) WaitForEnd();
}

int BuildLanes_cl::FreeLane() const
{
    for (size_t i = 0; i < m_busy.size(); ++i)
        if (!m_busy[i]) return static_cast<int>(i);
    return -1;
}

bool BuildLanes_cl::AnyBusy() const
{
    for (bool busy : m_busy)
        if (busy) return true;
    return false;
}

void BuildLanes_cl::Start(int lane, const RowCommand_st& command)
{
    m_start[lane] = SteadySeconds();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_end[lane] = 0;
    }
    m_threads[lane] = std::thread([this, lane, command] {
        try {
            RunRowCommand(command);
        } catch (...) {
            // Only texts are made here; a build that could not run leaves
            // no log, which the job's thread reports for its row.
        }
        const double end = SteadySeconds();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_end[lane] = end;
        m_ended.push_back(lane);
        m_changed.notify_all();
    });
    m_busy[lane] = true;
}

int BuildLanes_cl::WaitForEnd()
{
    int lane = -1;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_ended.empty(); });
        lane = m_ended.front();
        m_ended.pop_front();
    }
    m_threads[lane].join();
    m_busy[lane] = false;
    return lane;
}

double BuildLanes_cl::Seconds(int lane) const
{
    double end;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        end = m_end[lane];
    }
    return (end != 0 ? end : SteadySeconds()) - m_start[lane];
}

} // namespace Quorvane_ns
