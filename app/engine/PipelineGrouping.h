#pragma once
// Rows of a plan grouped into the jobs of a CI pipeline. Each job builds its
// rows one after another on one agent and starts when every job it needs
// has ended; starting a job costs an overhead (checkout, start, passing
// artifacts) on top of its rows' build times. Knows no threads and no
// clock: nodes are numbers with an expected time in seconds and the nodes
// they need, so the rules are tested on graphs built in memory.
//
// - A job needs the jobs that hold a node one of its nodes needs, and no
//   other. Nodes that need each other in a circle always share a job.
// - Where to cut: agents are played through in time, at most `agents` jobs
//   at once. A free agent starts a job with the most urgent node that may
//   start (the longest chain of expected seconds from it through the nodes
//   that need it) and keeps adding nodes whose needs are in the job or in
//   jobs that ended before it began: the most urgent, or (a variant) first
//   those that need what the job built, then the job's neighbours in the
//   plan's order. It ends the job when nothing more may join, or when nodes
//   of a longer chain wait only for what the job has built (and, in a
//   variant, an agent is free for them). In another variant a free agent
//   waits for the next job to end rather than start a job of little work.
//   Other groupings come in waves: the
//   longest chain whole, the rest by depth, each wave dealt to a number of
//   jobs. Then jobs are merged with a job they need or one beside them, and
//   single nodes moved to another job, wherever that shortens the estimate.
//   The grouping whose estimate is shortest wins; the same plan always
//   gives the same grouping.
// - The estimate: jobs on `agents` agents, a free agent taking the ready job
//   with the longest chain of job times after it; a job takes its overhead
//   plus its nodes' seconds.
// - No job needs more than maxNeeds jobs (GitLab's limit): jobs it needs
//   are merged until it does not.
#include <vector>

namespace Quorvane_ns {

struct GroupingInput_st {
    std::vector<double> seconds;           // per node, expected
    std::vector<std::vector<int>> needs;   // per node, the nodes it needs
    int agents = 4;
    double jobOverhead = 60;
    int maxNeeds = 50;
};

struct PipelineJob_st {
    std::vector<int> nodes;  // in the order they are built: each after the nodes of the job it needs
    std::vector<int> needs;  // jobs, ascending
    double seconds = 0;      // the overhead and the nodes' seconds
    double start = 0;        // in the estimate
    double end = 0;
};

struct Grouping_st {
    // In an order where every job stands after the jobs it needs.
    std::vector<PipelineJob_st> jobs;
    double wallSeconds = 0;      // the estimate
    double criticalSeconds = 0;  // the longest chain of jobs, overheads included
    double workSeconds = 0;      // all nodes' seconds
    double chainSeconds = 0;     // the longest chain of nodes
    // What no grouping can beat: max(chain + overhead, work / agents + overhead).
    double boundSeconds = 0;
};

// The grouping with the shortest estimate, as above.
Grouping_st GroupForPipeline(const GroupingInput_st& input);
// The estimate of given groups of nodes (each group's nodes put in an order
// that builds needs first); groups that need each other in a circle are
// refused with an empty result. For the benchmark's plain groupings too.
Grouping_st EstimateGrouping(const GroupingInput_st& input, const std::vector<std::vector<int>>& groups);

} // namespace Quorvane_ns
