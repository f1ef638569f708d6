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
// refuses every command that would read or change a store. Only running (a
// job's stop flag), the reporter's StopOnError and the identifiers' counts
// cross threads freely: the job holds the plan by an identifier, which the
// window thread also copies and drops, so the counts change atomically.
// RunJob lets go of every identifier of the job before the reporter hears
// Ended, so that a front end may drop or delete the plan as soon as it does.
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <set>
#include <thread>
#include <vector>
#include "app/store/PlanPack.h"
#include "app/workflow/JobReporter.h"
#include "common/base/String.h"

namespace Quorvane_ns {

class Stores_cl;
struct RunRecord_st;

struct BuildRequest_st {
    Base_ns::String_cl vcDirectory;  // checked by the caller, ends with "\"
    uint32_t singleRow = 0;          // serial of the one row to build; 0 for all pending rows
    bool rebuildEach = false;        // the builder's /rebuild switch for every row built
    // How many rows may build at once. 1 is the walk of one row after the
    // other; a single row is always built that way.
    int jobs = 1;
    // Serials of the only rows to build ("build these and nothing else");
    // empty for all pending rows. Built in the graph's order, as the
    // side-by-side walk orders them.
    std::set<uint32_t> only;
};

// A job as a front end asks for it.
struct JobOrder_st {
    JobKind kind = JobBuild;  // JobRead, JobClean, JobBuild or JobRebuild
    PlanId_cl plan;
    // vcDirectory for all but a read; for a rebuild also jobs; for a build
    // all of it.
    BuildRequest_st request;
};

// Runs the job the order names on this thread, the one way both front ends
// start a job. A build or a rebuild is recorded and leaves the build report
// (编译日志\报告.html); record, when given, receives what was recorded. The
// order's plan is let go (order.plan is empty) before the reporter hears
// Ended, the recorder's copy too. running is cleared at the end of every job
// but a read. Whatever goes wrong is reported and the job still ends.
JobEnd_st RunJob(Stores_cl& stores, JobOrder_st& order, std::atomic<int>& running, JobReporter_cl& reporter,
                 RunRecord_st* record = nullptr);
// RunJob on a thread of its own (with COM), for a window that must stay
// responsive. The thread takes the order over: order.plan is empty when this
// returns. Nothing escapes the thread, which only returns after Ended; join
// it before the next one and before the stores go. Raises std::system_error
// when no thread can be made.
std::thread StartJobThread(Stores_cl& stores, JobOrder_st& order, std::atomic<int>& running,
                           JobReporter_cl& reporter);

// The jobs one by one; the caller holds the plan and lets go of it itself.
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
// whole number from 1 to kMaxJobs, or "0" for one build per logical
// processor; 0 for any other text.
inline constexpr int kMaxJobs = 64;
int ParseJobs(const Base_ns::String_cl& text);
// The logical processors of the machine, at most kMaxJobs.
int LogicalProcessors();

// The forced shutdown after 300 seconds that follows a finished unattended
// run. Tests replace the runner so that nothing is ever shut down.
void RunShutdownCommand();
void SetShutdownRunner(std::function<void()> runner);

} // namespace Quorvane_ns
