#pragma once
// What one build job did, as the reports tell it: every build of a row
// with its lane and times (rows overlap in time when builds run side by
// side, and a row waiting for a library is built again later), and the
// plan's rows as the job left them, each with why it failed: the first
// error line of its log, or the failed row whose missing library made it
// fail (a knock-on failure).
#include <cstdint>
#include <vector>
#include "common/base/String.h"
#include "app/engine/MProjectPack.h"
#include "app/workflow/JobReporter.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct Plan_st;

// A point in time: 100 ns units since 1601 in UTC, as the system counts.
using Moment_t = uint64_t;
Moment_t MomentNow();
// Seconds from one moment to a later one (0 when it is not later).
double SecondsBetween(Moment_t from, Moment_t to);
// Local time as "2024-05-01 21:07:33"; with iso "2024-05-01T21:07:33".
String_cl LocalTimeText(Moment_t moment, bool iso = false);
// "0.4 秒", "12 秒", "3 分 05 秒", "2 小时 03 分".
String_cl DurationText(double seconds);

// Why a failed row failed.
struct RowFailure_st {
    // Why it failed when its log does not say it (its project file could not
    // be read, a line of the builder could not be read); empty otherwise.
    String_cl reason;
    String_cl firstError;      // first error line of its log; may be empty
    uint32_t causeKey = 0;     // knock-on: the failed row whose library was missing
    String_cl causeName;
};
// For a row in state CompileFailed; nothing for other states.
RowFailure_st DescribeFailure(const Plan_st& plan, const MProject_st& row);

// One run of the builder on one row.
struct BuildSpan_st {
    uint32_t rowKey = 0;
    String_cl name;
    int lane = 0;
    Moment_t start = 0;
    Moment_t end = 0;        // 0 while it runs, or when the job ended during it
    int32_t state = Normal;  // the row's state after this build
    uint32_t causeKey = 0;   // knock-on failure of this build
};

// One row of the plan as the job left it.
struct RowOutcome_st {
    uint32_t key = 0;
    String_cl name;
    String_cl configuration;
    String_cl path;
    int32_t state = Normal;
    String_cl log;
    RowFailure_st failure;   // state CompileFailed only
    // What of its project file could not be read (the row was built all the
    // same, or failed because of it); empty when it was read whole.
    String_cl readNote;
    uint32_t rootKey = 0;    // knock-on: the root failure at the end of the chain of causes
    int builds = 0;          // builds of this row in the job
    Moment_t firstStart = 0; // of its first build in the job; 0 when not built
    double seconds = 0;      // all its builds in the job together
};

// The rows of one solution of the plan, as keys into RunRecord_st::rows.
struct SolutionRows_st {
    String_cl path;
    std::vector<uint32_t> rowKeys;
    // Not empty when the file could not be read: the reader's message. Its
    // projects are no rows, so the reports name the file itself.
    String_cl unreadable;
    // What both reports say of such a file; empty for a file that was read.
    String_cl UnreadableReason() const;
};

struct RunRecord_st {
    String_cl planName;
    String_cl configuration;
    JobKind kind = JobBuild;       // JobBuild or JobRebuild
    uint32_t singleRow = 0;        // a single-row build: its key
    Moment_t start = 0;
    Moment_t buildPhase = 0;       // a rebuild: when its clean ended and its builds began
    Moment_t end = 0;
    // When the build walk began, what it expected to take, and the rows of
    // the longest chain it started first; estimatedSeconds is negative when
    // no walk began.
    Moment_t planned = 0;
    double estimatedSeconds = -1;
    std::vector<uint32_t> criticalPath;
    JobEnd_st ended;
    bool stopped = false;          // the walk did not reach its end without an error
    std::vector<BuildSpan_st> builds;   // in the order they started
    std::vector<RowOutcome_st> rows;    // in the plan's order
    std::vector<SolutionRows_st> solutions;
    RowStatistics_st counts;

    const RowOutcome_st* Row(uint32_t key) const;
    int Lanes() const;
};

// The plan's rows and solutions into record, with the failures explained and
// the builds of each row added up.
void TakeRows(const Plan_st& plan, RunRecord_st& record);

// A failed row and the rows that failed because of it, directly or further
// down the chain, each with its depth (1: caused by the root).
struct FailureGroup_st {
    uint32_t rootKey = 0;
    std::vector<std::pair<uint32_t, int>> knockOns;
};
// Root failures in the plan's order, each followed by its knock-on
// failures. A knock-on whose chain of causes leads to no failed row (its
// cause is no longer failed) is a group of its own.
std::vector<FailureGroup_st> FailureGroups(const RunRecord_st& record);

} // namespace Quorvane_ns
