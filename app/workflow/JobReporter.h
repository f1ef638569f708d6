#pragma once
// How a job tells the world what it is doing. The main window turns these
// calls into its status line, page refreshes and message boxes; the console
// front end prints them. Jobs call them on their own thread.
#include <cstdint>
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

struct Plan_st;
struct MProject_st;

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
