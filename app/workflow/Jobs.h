#pragma once
// The background jobs, independent of any window: read a plan, clean its
// solutions, build its rows (all pending rows or one), and rebuild (clean,
// then build). The main window runs each on a worker thread of its own; the
// console front end runs them in turn. Every job catches the system's errors
// around its whole body, reports them, and ends normally.
#include <atomic>
#include <cstdint>
#include <functional>
#include "app/workflow/JobReporter.h"
#include "common/base/String.h"

namespace Quorvane_ns {

class Stores_cl;
class PlanId_cl;

struct BuildRequest_st {
    Base_ns::String_cl vcDirectory;  // checked by the caller, ends with "\"
    uint32_t singleRow = 0;          // serial of the one row to build; 0 for all pending rows
    bool rebuildEach = false;        // the builder's /rebuild switch for every row built
};

// Reads the plan's solutions the first time, later refreshes the rows'
// states. Returns how many of the plan's project files do not exist (0 after
// an error).
int RunReadJob(Stores_cl& stores, const PlanId_cl& plan, JobReporter_cl& reporter);

// Builds from the first pending row (or the single row) while running is
// not 0; a failed row clears running when the reporter says stop on error.
// Returns true when the walk reached the end of the rows (the condition for
// an automatic shutdown); false after a stop or an error.
bool RunBuildJob(Stores_cl& stores, const PlanId_cl& plan, const BuildRequest_st& request,
                 std::atomic<int>& running, JobReporter_cl& reporter);

// Cleans every solution of the plan in order, testing running after each.
// Returns false when an error ended the walk. The caller ends the job (a
// clean on its own clears the status line; a rebuild goes on to build).
bool RunCleanJob(Stores_cl& stores, const PlanId_cl& plan, const Base_ns::String_cl& vcDirectory,
                 std::atomic<int>& running, JobReporter_cl& reporter);

// Clean, then (while running is still set, also after a clean error) a
// build of all pending rows with the plain build switch. Returns the build's
// reached-end; false when stopped during the clean.
bool RunRebuildJob(Stores_cl& stores, const PlanId_cl& plan, const Base_ns::String_cl& vcDirectory,
                   std::atomic<int>& running, JobReporter_cl& reporter);

// The status texts of the jobs.
Base_ns::String_cl BuildingStatusText(const Base_ns::String_cl& projectName);
Base_ns::String_cl CleaningStatusText(const Base_ns::String_cl& solutionPath);
Base_ns::String_cl ReadingStatusText();
Base_ns::String_cl MissingFilesStatusText(int missing);

// The forced shutdown after 300 seconds that follows a finished unattended
// run. Tests replace the runner so that nothing is ever shut down.
void RunShutdownCommand();
void SetShutdownRunner(std::function<void()> runner);

} // namespace Quorvane_ns
