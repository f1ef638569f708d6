#pragma once
// How a job tells the world what it is doing. The main window turns these
// calls into its status line, page refreshes and message boxes; the console
// front end prints them. Jobs call them on their own thread.
#include <cstdint>
#include <vector>
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

struct Plan_st;
struct MProject_st;

// Where a build walk stands: for the status line, the taskbar button and a
// console's title.
struct BuildProgress_st {
    Base_ns::String_cl building;  // the rows being built: "正在编译工程a, b......"
    // building with the count and the time left: "正在编译工程a, b......（12/120，剩余约3分钟）"
    Base_ns::String_cl text;
    int done = 0;               // rows this walk has finished
    int total = 0;              // rows it set out to build
    double secondsLeft = -1;    // estimated; negative when unknown
};

// What a build walk expects as it begins.
struct BuildPlan_st {
    int lanes = 1;
    double seconds = 0;                  // the estimate of the whole walk
    std::vector<uint32_t> criticalPath;  // keys of the longest chain's rows, first to last; empty one at a time
};

// The job kinds of the main window, in its numbering.
enum JobKind { JobIdle = 0, JobRead = 1, JobRebuild = 2, JobBuild = 3, JobClean = 4 };

// How a job ended, handed to JobReporter_cl::Ended.
struct JobEnd_st {
    JobKind kind = JobIdle;
    // A build walk went past the last row (the condition for an automatic
    // shutdown); false after a stop, an error, or with nothing to build.
    bool reachedEnd = false;
    bool error = false;  // an error ended the job (it has been reported)
    int missing = 0;     // a read: project files that do not exist
};

class JobReporter_cl {
public:
    virtual ~JobReporter_cl() = default;

    // The status line: before each item, and at the end of a job (empty, or
    // the missing-file count of a read).
    virtual void Status(const Base_ns::String_cl& text) = 0;
    // The project page should show the plan's rows afresh.
    virtual void RefreshProjects(uint32_t planKey) {}
    // The history page should show the sequence afresh.
    virtual void RefreshHistory() {}
    // The project page should drop its rows before a read replaces them.
    virtual void ClearProjects() {}
    // Before each row's build, and as builds start and end side by side.
    // Without a front end of its own for it, the rows being built are the
    // status line, as they were before there was a count.
    virtual void Progress(const BuildProgress_st& progress) { Status(progress.building); }
    // A build walk begins, with what it expects.
    virtual void BuildPlanned(const BuildPlan_st& plan) {}
    // A row's build begins. lane: which of the builds that run side by side
    // it is (0 when they run one at a time).
    virtual void RowStarted(const Plan_st& plan, const MProject_st& row, int lane) {}
    // A row has been built; ok is what the row build returned.
    virtual void RowBuilt(const Plan_st& plan, const MProject_st& row, int ok) {}
    // A solution has been cleaned without an error.
    virtual void SolutionCleaned(const Plan_st& plan, const Base_ns::String_cl& path) {}
    // A rebuild's clean phase is over and its build phase begins.
    virtual void BuildPhaseStarted() {}
    // An error ended the job's loop. Called on the job's thread: a window
    // shows it on its own thread with itself as owner; a console prints it.
    virtual void ShowError(const Base_ns::Error_cl& error) = 0;
    // Read after every row, so that a change during a build counts from the next one.
    virtual bool StopOnError() = 0;
    // The very last call of every job, after its last status text: the one
    // place where a front end unlocks, comes forward and shuts down.
    virtual void Ended(const JobEnd_st& end) {}
};

} // namespace Quorvane_ns
