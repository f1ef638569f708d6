// The grouping of a plan's graph into CI jobs, on graphs built in memory.
#include <gtest/gtest.h>
#include <set>
#include "app/engine/PipelineGrouping.h"

using namespace Quorvane_ns;

namespace {

GroupingInput_st Graph(int nodes, double seconds, int agents, double overhead)
{
    GroupingInput_st in;
    in.seconds.assign(nodes, seconds);
    in.needs.resize(nodes);
    in.agents = agents;
    in.jobOverhead = overhead;
    return in;
}

// Every node in exactly one job; each node after the nodes it needs in its
// own job, or in a job its job needs, which stands earlier; a job needs
// those jobs and no other, and never more than the limit.
void ExpectSound(const GroupingInput_st& in, const Grouping_st& g)
{
    std::vector<int> jobOf(in.seconds.size(), -1), place(in.seconds.size(), -1);
    for (size_t j = 0; j < g.jobs.size(); ++j)
        for (size_t i = 0; i < g.jobs[j].nodes.size(); ++i) {
            const int v = g.jobs[j].nodes[i];
            ASSERT_EQ(jobOf[v], -1) << "node " << v << " in two jobs";
            jobOf[v] = static_cast<int>(j);
            place[v] = static_cast<int>(i);
        }
    for (size_t v = 0; v < in.seconds.size(); ++v) ASSERT_GE(jobOf[v], 0) << "node " << v << " in no job";
    for (size_t j = 0; j < g.jobs.size(); ++j) {
        std::set<int> wanted;
        for (int v : g.jobs[j].nodes)
            for (int w : in.needs[v]) {
                if (jobOf[w] == static_cast<int>(j)) {
                    // A circle shares a job; otherwise the need comes first.
                    bool circle = false;
                    for (int x : in.needs[w]) circle = circle || x == v;
                    if (!circle) {
                        EXPECT_LT(place[w], place[v]) << "node " << w << " after its user " << v;
                    }
                } else {
                    wanted.insert(jobOf[w]);
                }
            }
        const std::set<int> needs(g.jobs[j].needs.begin(), g.jobs[j].needs.end());
        EXPECT_EQ(needs, wanted) << "job " << j;
        for (int n : needs) EXPECT_LT(n, static_cast<int>(j)) << "job " << j << " before a job it needs";
        EXPECT_LE(static_cast<int>(needs.size()), in.maxNeeds);
    }
    EXPECT_GT(g.wallSeconds, 0);
    EXPECT_GE(g.wallSeconds, g.boundSeconds - 1e-6);
}

} // namespace

// A chain gains nothing from a cut, which only adds an overhead; the order
// of its nodes is the chain's.
TEST(PipelineGrouping, ChainStaysOneJobInItsOrder)
{
    GroupingInput_st in = Graph(5, 100, 4, 60);
    for (int v = 1; v < 5; ++v) in.needs[v] = {v - 1};
    // Listed backwards: the order comes from the needs, not the list.
    std::reverse(in.needs.begin(), in.needs.end());
    for (auto& n : in.needs)
        for (int& w : n) w = 4 - w;
    const Grouping_st g = GroupForPipeline(in);
    ExpectSound(in, g);
    ASSERT_EQ(g.jobs.size(), 1u);
    EXPECT_EQ(g.jobs[0].nodes, (std::vector<int>{4, 3, 2, 1, 0}));
    EXPECT_DOUBLE_EQ(g.wallSeconds, 560);
    EXPECT_DOUBLE_EQ(g.chainSeconds, 500);
}

// Independent nodes spread over the agents; with fewer agents than nodes
// each job takes several, so only as many overheads are paid as agents run.
TEST(PipelineGrouping, WideLayerFillsTheAgents)
{
    for (int agents : {2, 4, 8}) {
        GroupingInput_st in = Graph(8, 100, agents, 60);
        const Grouping_st g = GroupForPipeline(in);
        ExpectSound(in, g);
        EXPECT_EQ(g.jobs.size(), static_cast<size_t>(agents)) << agents << " agents";
        EXPECT_DOUBLE_EQ(g.wallSeconds, 800.0 / agents + 60) << agents << " agents";
        EXPECT_DOUBLE_EQ(g.boundSeconds, 800.0 / agents + 60);
    }
}

// A diamond (a; b and c need a; d needs both): with a costly start one job
// is quickest; with a free start the two middle nodes run side by side.
TEST(PipelineGrouping, DiamondIsCutOnlyWhereItShortensTheEstimate)
{
    GroupingInput_st in = Graph(4, 100, 2, 60);
    in.needs = {{}, {0}, {0}, {1, 2}};
    Grouping_st g = GroupForPipeline(in);
    ExpectSound(in, g);
    EXPECT_EQ(g.jobs.size(), 1u);
    EXPECT_DOUBLE_EQ(g.wallSeconds, 460);

    in.jobOverhead = 0;
    g = GroupForPipeline(in);
    ExpectSound(in, g);
    EXPECT_GE(g.jobs.size(), 2u);
    EXPECT_DOUBLE_EQ(g.wallSeconds, 300);  // the chain a, b, d
    // With a small start the same: b and c are worth two agents.
    in.jobOverhead = 10;
    g = GroupForPipeline(in);
    ExpectSound(in, g);
    EXPECT_DOUBLE_EQ(g.wallSeconds, 10 + 100 + 10 + 100 + 10 + 100);
}

// A long chain beside wide work: the chain stays whole on one agent and the
// estimate keeps near the bound.
TEST(PipelineGrouping, LongChainBesideWideWork)
{
    GroupingInput_st in = Graph(40, 50, 4, 60);
    for (int v = 1; v < 20; ++v) in.needs[v] = {v - 1};
    const Grouping_st g = GroupForPipeline(in);
    ExpectSound(in, g);
    int chainJobs = 0;
    for (const PipelineJob_st& job : g.jobs)
        for (int v : job.nodes)
            if (v == 0) chainJobs = static_cast<int>(job.nodes.size());
    EXPECT_GE(chainJobs, 20);
    EXPECT_LE(g.wallSeconds, 1.25 * g.boundSeconds);
}

// One node that links sixty others, with agents for all: no job may need
// more than fifty, so jobs it needs are merged.
TEST(PipelineGrouping, NeedsLimitMergesWhatAJobNeeds)
{
    GroupingInput_st in = Graph(61, 100, 64, 10);
    for (int v = 0; v < 60; ++v) in.needs[60].push_back(v);
    in.maxNeeds = 50;
    const Grouping_st g = GroupForPipeline(in);
    ExpectSound(in, g);
    size_t most = 0;
    for (const PipelineJob_st& job : g.jobs) most = std::max(most, job.needs.size());
    EXPECT_GT(most, 10u);  // still spread: the limit, not one big job
    // A user of several jobs under the limit keeps them.
    in.maxNeeds = 80;
    const Grouping_st free = GroupForPipeline(in);
    ExpectSound(in, free);
    EXPECT_GE(g.wallSeconds, free.wallSeconds - 1e-6);
}

// Projects that need each other in a circle build in one job; given groups
// that split such a circle or need each other round are refused.
TEST(PipelineGrouping, CirclesShareAJobAndCircularGroupsAreRefused)
{
    GroupingInput_st in = Graph(3, 100, 4, 0);
    in.needs = {{1}, {0}, {1}};
    const Grouping_st g = GroupForPipeline(in);
    ExpectSound(in, g);
    for (const PipelineJob_st& job : g.jobs) {
        const std::set<int> nodes(job.nodes.begin(), job.nodes.end());
        EXPECT_EQ(nodes.count(0), nodes.count(1));
    }
    EXPECT_LT(EstimateGrouping(in, {{0}, {1}, {2}}).wallSeconds, 0);
    in.needs = {{}, {0}, {1}};
    EXPECT_LT(EstimateGrouping(in, {{0, 2}, {1}}).wallSeconds, 0);
    EXPECT_DOUBLE_EQ(EstimateGrouping(in, {{0, 1}, {2}}).wallSeconds, 300);
}
