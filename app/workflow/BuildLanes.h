#pragma once
// The external builds that run side by side, one worker thread each. A
// worker only runs its build (RunRowCommand, on copies of its two texts) and
// says when it has ended; the job's own thread starts the builds, waits here
// for the next one to end, and alone touches the stores and the reporter.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>
#include "app/engine/RowBuild.h"

namespace Quorvane_ns {

class BuildLanes_cl {
public:
    explicit BuildLanes_cl(int count);
    // Waits for every build still running: a job never leaves one behind.
    ~BuildLanes_cl();
    BuildLanes_cl(const BuildLanes_cl&) = delete;
    BuildLanes_cl& operator=(const BuildLanes_cl&) = delete;

    // A lane without a build, or -1.
    int FreeLane() const;
    bool AnyBusy() const;
    // Raises std::system_error when no thread can be made; the lane stays free.
    void Start(int lane, const RowCommand_st& command);
    // Blocks until a build ends; returns its lane, free again.
    int WaitForEnd();
    // How long the build on lane has run, or, once WaitForEnd returned the
    // lane, how long it took: measured by the lane's own thread, so a job
    // thread that was busy when it ended adds nothing.
    double Seconds(int lane) const;

private:
    std::vector<std::thread> m_threads;
    std::vector<bool> m_busy;
    std::vector<double> m_start;  // SteadySeconds at the start, by lane
    std::vector<double> m_end;    // at the end; 0 while it runs (under m_mutex)
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<int> m_ended;
};

} // namespace Quorvane_ns
