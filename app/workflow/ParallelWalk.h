#pragma once
// The build walk with several builds at once, along the dependencies the
// program reads, is told and learns (RowScheduler_cl). It reports as the
// one-at-a-time walk does: BuildPlanned first, RowStarted when a build
// begins (with its lane), RowBuilt and the two refreshes when it has ended,
// Progress naming every row being built with the count and the time left;
// all from the job's own thread, the only one that touches the stores. Each
// build's time is kept as the row's weight for the next walk. Stop and
// stop-on-error start nothing new and let the running builds end. An error
// of one row's build also lets the others end, and is raised then. At the
// end every provider the walk knows moves before its users, in the rows and
// the sequence.
#include <atomic>
#include "app/workflow/JobReporter.h"
#include "app/workflow/Jobs.h"

namespace Quorvane_ns {

class Stores_cl;
class PlanId_cl;

// Returns true when no row is left to build (the condition for an
// automatic shutdown); false when nothing was to be built, or rows are left.
bool ParallelBuildWalk(Stores_cl& stores, const PlanId_cl& plan, const BuildRequest_st& request,
                       std::atomic<int>& running, JobReporter_cl& reporter);

} // namespace Quorvane_ns
