// The grouping of a plan into CI jobs, measured by simulation: no agent and
// no build runs. For the layered workspace of bench_parallel (5 layers of
// 22 libraries, each linking two or three of the layer below, and a chain
// of ten) and the same with a chain of twenty, every project weighing a
// build time drawn once from 30 to 150 s (a fixed seed, so every run sees
// the same plan), with K = 2, 4, 8, 16 agents and a job overhead of 10 s
// and 60 s, it prints the estimated wall time of the pipeline the program
// generates against the bound max(longest chain + overhead, work / K +
// overhead), beside two plain groupings estimated the same way: one job
// per project, and one job per solution (a solution per layer, one for
// the chain).
//
// Goals: at most 1.25 x the bound at every K with 60 s overhead, and
// shorter than both plain groupings everywhere. Exit status 1 when one is
// missed.
//
//   bench_pipeline.exe [shortest longest]   (build times drawn from that range, default 30 150)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "app/engine/PipelineGrouping.h"

using namespace Quorvane_ns;

namespace {

struct Workspace_st {
    const char* name;
    GroupingInput_st graph;
    std::vector<int> solutionOf;  // per node
};

Workspace_st Layered(const char* name, int chain, int shortest, int longest)
{
    const int width = 22;
    Workspace_st w{name, {}, {}};
    uint32_t seed = 12345;
    auto draw = [&] {
        seed = seed * 1103515245u + 12345u;
        return shortest + static_cast<double>((seed >> 8) % static_cast<uint32_t>(longest - shortest + 1));
    };
    for (int layer = 0; layer < 5; ++layer) {
        for (int i = 0; i < width; ++i) {
            std::vector<int> needs;
            if (layer > 0) {
                const int below = (layer - 1) * width;
                needs = {below + i, below + (i + 1) % width};
                if (i % 2 == 0) needs.push_back(below + (i + 5) % width);
            }
            w.graph.seconds.push_back(draw());
            w.graph.needs.push_back(needs);
            w.solutionOf.push_back(layer);
        }
    }
    const int first = 5 * width;
    for (int i = 0; i < chain; ++i) {
        w.graph.seconds.push_back(draw());
        w.graph.needs.push_back(i > 0 ? std::vector<int>{first + i - 1} : std::vector<int>{});
        w.solutionOf.push_back(5);
    }
    return w;
}

std::vector<std::vector<int>> PerProject(const Workspace_st& w)
{
    std::vector<std::vector<int>> groups;
    for (size_t v = 0; v < w.graph.seconds.size(); ++v) groups.push_back({static_cast<int>(v)});
    return groups;
}

std::vector<std::vector<int>> PerSolution(const Workspace_st& w)
{
    std::vector<std::vector<int>> groups;
    for (size_t v = 0; v < w.solutionOf.size(); ++v) {
        if (static_cast<size_t>(w.solutionOf[v]) >= groups.size()) groups.resize(w.solutionOf[v] + 1);
        groups[w.solutionOf[v]].push_back(static_cast<int>(v));
    }
    return groups;
}

} // namespace

int main(int argc, char** argv)
{
    const int shortest = argc > 2 ? std::atoi(argv[1]) : 30;
    const int longest = argc > 2 ? std::atoi(argv[2]) : 150;
    if (shortest < 0 || longest < shortest) return 2;
    std::printf("build times %d to %d s a project\n", shortest, longest);
    bool met = true;
    std::printf("| workspace | K | overhead s | bound s | pipeline s | jobs | pipeline / bound | one job per project s | "
                "one job per solution s |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (Workspace_st w : {Layered("layered, chain of 10", 10, shortest, longest),
                           Layered("layered, chain of 20", 20, shortest, longest)}) {
        for (double overhead : {10.0, 60.0}) {
            for (int agents : {2, 4, 8, 16}) {
                w.graph.agents = agents;
                w.graph.jobOverhead = overhead;
                const Grouping_st g = GroupForPipeline(w.graph);
                const Grouping_st project = EstimateGrouping(w.graph, PerProject(w));
                const Grouping_st solution = EstimateGrouping(w.graph, PerSolution(w));
                const double ratio = g.wallSeconds / g.boundSeconds;
                const bool goal = (overhead < 60 || ratio <= 1.25) && g.wallSeconds < project.wallSeconds &&
                                  g.wallSeconds < solution.wallSeconds;
                met = met && goal;
                std::printf("| %s | %d | %.0f | %.0f | %.0f | %zu | %.3f | %.0f | %.0f |%s\n", w.name, agents, overhead,
                            g.boundSeconds, g.wallSeconds, g.jobs.size(), ratio, project.wallSeconds,
                            solution.wallSeconds, goal ? "" : " MISSED");
            }
        }
    }
    std::printf("%s\n", met ? "RESULT every goal met" : "RESULT a goal was missed");
    return met ? 0 : 1;
}
