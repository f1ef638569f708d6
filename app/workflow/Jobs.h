#pragma once
// The background jobs, independent of any window: read a plan, clean its
// solutions, build its rows (all pending rows or one), and rebuild (clean,
// then build), plus the user operations the window and the console share.
// Every job catches every exception around its whole body (an Error_cl, or
// anything else as a system error), reports it, and ends normally through
// JobReporter_cl::Ended.
//
// Threads. A job runs on one thread at a time (the console's main thread, or
// a worker of the window) and is then the only writer of the stores. While a
// job runs, any other thread reads the stores only inside the job's own
// reporter calls, which a front end delivers synchronously (the job waits
// until the window has handled them): that is where the window copies what
// its pages show. Between those calls the window works on its copies and
// refuses every command that would read or change a store. The containers'
// identifier counts are therefore never touched by two threads at once.
// Only running (a job's stop flag) and the reporter's StopOnError cross
// threads freely.
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <vector>
#include "app/workflow/JobReporter.h"
#include "common/base/String.h"

namespace Quorvane_ns {

class Stores_cl;
class PlanId_cl;

struct BuildRequest_st {
    Base_ns::String_cl vcDirectory;  // checked by the caller, ends with "\"
    uint32_t singleRow = 0;          // serial of the one row to build; 0 for all pending rows
    bool rebuildEach = false;        // the builder's /rebuild switch for every row built
    // How many rows may build at once. 1 is the walk of one row after the
    // other; a single row is always built that way.
    int jobs = 1;
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
// Returns false when an error ended the walk.
bool RunCleanJob(Stores_cl& stores, const PlanId_cl& plan, const Base_ns::String_cl& vcDirectory,
                 std::atomic<int>& running, JobReporter_cl& reporter);

// Clean, then (while running is still set, also after a clean error) a
// build of all pending rows with the plain build switch, jobs rows at once.
// Returns the build's reached-end; false when stopped during the clean.
bool RunRebuildJob(Stores_cl& stores, const PlanId_cl& plan, const Base_ns::String_cl& vcDirectory,
                   std::atomic<int>& running, JobReporter_cl& reporter, int jobs = 1);

// The status texts of the jobs.
Base_ns::String_cl BuildingStatusText(const Base_ns::String_cl& projectName);
// The rows being built side by side: "正在编译工程a, b, c......".
Base_ns::String_cl BuildingStatusText(const std::vector<Base_ns::String_cl>& projectNames);
Base_ns::String_cl CleaningStatusText(const Base_ns::String_cl& solutionPath);
Base_ns::String_cl ReadingStatusText();
Base_ns::String_cl MissingFilesStatusText(int missing);

// What became of one file handed to AddFilesToPlan.
struct AddOutcome_st {
    enum Kind_en { Added, AlreadyInPlan, NotSolutionFile, Missing, Refused };
    Base_ns::String_cl path;
    Kind_en kind = Added;
    std::exception_ptr error;  // Refused: the user error the store raised
};

// Adds solution and project files (extensions sln, vcproj, icproj, vcxproj, any case)
// to the plan, in order, as dropping them on the plan's list does. Files of
// other kinds, folders and missing files are passed over; a user error of
// one file is kept in its outcome and the rest are still added. A system
// error names the file in its note and ends the call.
std::vector<AddOutcome_st> AddFilesToPlan(Stores_cl& stores, const PlanId_cl& plan,
                                          const std::vector<Base_ns::String_cl>& paths);
bool IsSolutionOrProjectFile(const Base_ns::String_cl& path);

// How many rows may build at once as a setting or an option gives it: a
// whole number from 1 to kMaxJobs; 0 for any other text.
inline constexpr int kMaxJobs = 64;
int ParseJobs(const Base_ns::String_cl& text);

// The forced shutdown after 300 seconds that follows a finished unattended
// run. Tests replace the runner so that nothing is ever shut down.
void RunShutdownCommand();
void SetShutdownRunner(std::function<void()> runner);

} // namespace Quorvane_ns
