#include "app/engine/PipelineGrouping.h"
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <set>

namespace Quorvane_ns {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
// Estimates within this many seconds count as equal: sums in another order
// need not come out bit for bit the same.
constexpr double kTie = 1e-6;
// How many estimates each improving pass may make: it must stay quick on
// plans of thousands of rows, where each estimate walks every job and edge.
int Budget(const GroupingInput_st& in)
{
    size_t size = in.seconds.size();
    for (const std::vector<int>& n : in.needs) size += n.size();
    return static_cast<int>(std::min<size_t>(20000, 10000000 / (size + 1)));
}

// The nodes as units: nodes in a circle of needs form one unit, which no
// cut may split. Units stand in an order that puts needs first, keeping the
// nodes' order where the needs allow.
struct Dag_st {
    std::vector<int> unitOf;                  // per node
    std::vector<std::vector<int>> members;    // per unit, ascending
    std::vector<double> seconds;              // per unit
    std::vector<std::vector<int>> needs;      // per unit
    std::vector<std::vector<int>> users;      // per unit
    std::vector<double> chain;                // per unit: its seconds and its heaviest user's chain
};

// Tarjan's strongly connected components, without recursion.
std::vector<int> Components(const GroupingInput_st& in, int& count)
{
    const int n = static_cast<int>(in.seconds.size());
    std::vector<int> index(n, -1), low(n, 0), component(n, -1), stack;
    std::vector<char> onStack(n, 0);
    int next = 0;
    count = 0;
    for (int start = 0; start < n; ++start) {
        if (index[start] >= 0) continue;
        std::vector<std::pair<int, size_t>> work{{start, 0}};
        while (!work.empty()) {
            auto& [v, i] = work.back();
            if (i == 0 && index[v] < 0) {
                index[v] = low[v] = next++;
                stack.push_back(v);
                onStack[v] = 1;
            }
            const std::vector<int>& needs = in.needs[v];
            if (i < needs.size()) {
                const int w = needs[i++];
                if (w < 0 || w >= n) continue;
                if (index[w] < 0)
                    work.push_back({w, 0});
                else if (onStack[w])
                    low[v] = std::min(low[v], index[w]);
                continue;
            }
            if (low[v] == index[v]) {
                for (;;) {
                    const int w = stack.back();
                    stack.pop_back();
                    onStack[w] = 0;
                    component[w] = count;
                    if (w == v) break;
                }
                ++count;
            }
            const int done = v;
            work.pop_back();
            if (!work.empty()) low[work.back().first] = std::min(low[work.back().first], low[done]);
        }
    }
    return component;
}

Dag_st MakeDag(const GroupingInput_st& in)
{
    const int n = static_cast<int>(in.seconds.size());
    int count = 0;
    const std::vector<int> component = Components(in, count);
    // Components into an order with needs first, the lowest first node first.
    std::vector<std::set<int>> needs(count), users(count);
    std::vector<int> first(count, n);
    for (int v = 0; v < n; ++v) {
        first[component[v]] = std::min(first[component[v]], v);
        for (int w : in.needs[v])
            if (w >= 0 && w < n && component[w] != component[v]) {
                needs[component[v]].insert(component[w]);
                users[component[w]].insert(component[v]);
            }
    }
    std::vector<int> waiting(count), order;
    std::priority_queue<std::pair<int, int>, std::vector<std::pair<int, int>>, std::greater<>> ready;
    for (int c = 0; c < count; ++c) {
        waiting[c] = static_cast<int>(needs[c].size());
        if (waiting[c] == 0) ready.push({first[c], c});
    }
    while (!ready.empty()) {
        const int c = ready.top().second;
        ready.pop();
        order.push_back(c);
        for (int u : users[c])
            if (--waiting[u] == 0) ready.push({first[u], u});
    }
    std::vector<int> unitOfComponent(count);
    for (int i = 0; i < count; ++i) unitOfComponent[order[i]] = i;

    Dag_st dag;
    dag.unitOf.resize(n);
    dag.members.resize(count);
    dag.seconds.assign(count, 0);
    dag.needs.resize(count);
    dag.users.resize(count);
    for (int v = 0; v < n; ++v) {
        const int u = unitOfComponent[component[v]];
        dag.unitOf[v] = u;
        dag.members[u].push_back(v);
        dag.seconds[u] += in.seconds[v] > 0 ? in.seconds[v] : 0;
    }
    for (int c = 0; c < count; ++c) {
        for (int w : needs[c]) dag.needs[unitOfComponent[c]].push_back(unitOfComponent[w]);
        for (int w : users[c]) dag.users[unitOfComponent[c]].push_back(unitOfComponent[w]);
    }
    dag.chain.assign(count, 0);
    for (int u = count - 1; u >= 0; --u) {
        double longest = 0;
        for (int user : dag.users[u]) longest = std::max(longest, dag.chain[user]);
        dag.chain[u] = dag.seconds[u] + longest;
    }
    return dag;
}

// Groups of units, played through on agents.
using UnitGroups_t = std::vector<std::vector<int>>;

struct Estimate_st {
    bool valid = false;
    double wall = 0;
    double critical = 0;
    std::vector<std::vector<int>> needs;  // per group
    std::vector<double> seconds, start, end;
};

Estimate_st Estimate(const Dag_st& dag, const UnitGroups_t& groups, int agents, double overhead)
{
    const int count = static_cast<int>(groups.size());
    Estimate_st e;
    std::vector<int> groupOf(dag.seconds.size(), -1);
    for (int g = 0; g < count; ++g)
        for (int u : groups[g]) groupOf[u] = g;
    std::vector<std::set<int>> needs(count), users(count);
    e.seconds.assign(count, overhead);
    for (int g = 0; g < count; ++g) {
        for (int u : groups[g]) {
            e.seconds[g] += dag.seconds[u];
            for (int w : dag.needs[u])
                if (groupOf[w] != g) {
                    needs[g].insert(groupOf[w]);
                    users[groupOf[w]].insert(g);
                }
        }
    }
    // Job chains, users first; a circle between groups leaves some unsettled.
    std::vector<int> waiting(count);
    std::vector<int> order;
    for (int g = 0; g < count; ++g) waiting[g] = static_cast<int>(users[g].size());
    for (int g = 0; g < count; ++g)
        if (waiting[g] == 0) order.push_back(g);
    for (size_t i = 0; i < order.size(); ++i)
        for (int need : needs[order[i]])
            if (--waiting[need] == 0) order.push_back(need);
    if (static_cast<int>(order.size()) != count) return e;
    std::vector<double> chain(count, 0);
    for (int g : order) {
        double longest = 0;
        for (int user : users[g]) longest = std::max(longest, chain[user]);
        chain[g] = e.seconds[g] + longest;
        e.critical = std::max(e.critical, chain[g]);
    }
    // List scheduling: a free agent takes the ready job with the longest chain.
    e.start.assign(count, 0);
    e.end.assign(count, 0);
    std::vector<int> left(count);
    auto before = [&](int a, int b) { return chain[a] < chain[b] - kTie || (chain[a] <= chain[b] + kTie && a > b); };
    std::priority_queue<int, std::vector<int>, decltype(before)> ready(before);
    for (int g = 0; g < count; ++g) {
        left[g] = static_cast<int>(needs[g].size());
        if (left[g] == 0) ready.push(g);
    }
    using Running_t = std::pair<double, int>;
    std::priority_queue<Running_t, std::vector<Running_t>, std::greater<>> running;
    double now = 0;
    const int lanes = agents > 0 ? agents : 1;
    int finished = 0;
    while (finished < count) {
        while (!ready.empty() && static_cast<int>(running.size()) < lanes) {
            const int g = ready.top();
            ready.pop();
            e.start[g] = now;
            e.end[g] = now + e.seconds[g];
            running.push({e.end[g], g});
        }
        if (running.empty()) return e;
        now = running.top().first;
        // Every job that ends now frees its agent before the next start.
        while (!running.empty() && running.top().first <= now) {
            const int g = running.top().second;
            running.pop();
            ++finished;
            e.wall = std::max(e.wall, e.end[g]);
            for (int user : users[g])
                if (--left[user] == 0) ready.push(user);
        }
    }
    e.needs.resize(count);
    for (int g = 0; g < count; ++g) e.needs[g].assign(needs[g].begin(), needs[g].end());
    e.valid = true;
    return e;
}

// One way of cutting, played through on the agents (see the header).
// A job ends for waiting nodes when the most urgent of them has a chain
// longer than ratio times that of the node that would join; with
// whenFree, only while an agent has nothing to do. With near, a node that
// needs what the job has built joins before any other. A free agent waits
// for the next job to end, while others run, when what may start now comes
// to less than gather times the overhead: a short job pays its overhead for
// little.
UnitGroups_t Play(const Dag_st& dag, int agents, double overhead, double ratio, bool whenFree, bool near,
                  double gather)
{
    const int units = static_cast<int>(dag.seconds.size());
    struct Job_st {
        std::vector<int> units;
        double start = 0;
        double end = 0;
        bool closed = false;
    };
    std::vector<Job_st> jobs;
    std::vector<int> jobOf(units, -1);
    struct Lane_st {
        int job = -1;
        double free = 0;
    };
    std::vector<Lane_st> lanes(agents > 0 ? agents : 1);
    int left = units;

    // Whether every need of u is built: in job `within`, or in a job that
    // ended by `by`.
    auto satisfied = [&](int u, int within, double by) {
        for (int w : dag.needs[u]) {
            const int j = jobOf[w];
            if (j < 0) return false;
            if (j == within) continue;
            if (!jobs[j].closed || jobs[j].end > by + kTie) return false;
        }
        return true;
    };
    auto best = [&](auto&& accept) {
        int found = -1;
        for (int u = 0; u < units; ++u)
            if (jobOf[u] < 0 && accept(u) && (found < 0 || dag.chain[u] > dag.chain[found] + kTie)) found = u;
        return found;
    };
    auto anyIdle = [&](size_t except) {
        for (size_t l = 0; l < lanes.size(); ++l)
            if (l != except && lanes[l].job < 0) return true;
        return false;
    };

    for (;;) {
        size_t lane = lanes.size();
        for (size_t l = 0; l < lanes.size(); ++l)
            if (lanes[l].free < kNever && (lane == lanes.size() || lanes[l].free < lanes[lane].free)) lane = l;
        if (lane == lanes.size()) break;
        Lane_st& at = lanes[lane];
        const double now = at.free;
        if (at.job >= 0) {
            Job_st& job = jobs[at.job];
            const int id = at.job;
            int next = -1;
            if (near)
                next = best([&](int u) {
                    bool builds = false;
                    for (int w : dag.needs[u]) builds = builds || jobOf[w] == id;
                    return builds && satisfied(u, id, job.start);
                });
            if (next < 0 && near) {
                // Else the neighbour of what the job built first, in the plan's order.
                int closest = -1;
                for (int u = 0; u < units; ++u)
                    if (jobOf[u] < 0 && satisfied(u, id, job.start) &&
                        (closest < 0 || std::abs(u - job.units.front()) < std::abs(closest - job.units.front())))
                        closest = u;
                next = closest;
            }
            if (next < 0) next = best([&](int u) { return satisfied(u, id, job.start); });
            bool end = next < 0;
            if (!end) {
                const int waiting = best([&](int u) { return !satisfied(u, -1, now) && satisfied(u, id, now); });
                end = waiting >= 0 && dag.chain[waiting] > ratio * dag.chain[next] + kTie &&
                      (!whenFree || anyIdle(lane));
            }
            if (!end) {
                job.units.push_back(next);
                jobOf[next] = id;
                --left;
                at.free = now + dag.seconds[next];
                continue;
            }
            job.closed = true;
            job.end = now;
            at.job = -1;
            for (Lane_st& other : lanes)
                if (other.free == kNever) other.free = now;
        }
        const int first = left > 0 ? best([&](int u) { return satisfied(u, -1, now); }) : -1;
        if (first >= 0 && gather > 0) {
            double ready = 0;
            bool others = false;
            for (int u = 0; u < units; ++u)
                if (jobOf[u] < 0 && satisfied(u, -1, now)) ready += dag.seconds[u];
            for (const Lane_st& other : lanes) others = others || other.job >= 0;
            if (others && ready < gather * overhead) {
                at.free = kNever;
                continue;
            }
        }
        if (first < 0) {
            at.free = kNever;
            continue;
        }
        Job_st job;
        job.start = now;
        job.units.push_back(first);
        jobOf[first] = static_cast<int>(jobs.size());
        --left;
        at.job = static_cast<int>(jobs.size());
        at.free = now + overhead + dag.seconds[first];
        jobs.push_back(job);
    }
    UnitGroups_t groups;
    for (const Job_st& job : jobs) groups.push_back(job.units);
    // A circle the play could not resolve cannot happen between units; any
    // unit left over still gets a job of its own.
    for (int u = 0; u < units; ++u)
        if (jobOf[u] < 0) groups.push_back({u});
    return groups;
}

// Another way of cutting: the longest chain whole in one job, and the rest
// in waves by depth (a unit one deeper than the deepest it needs), each
// wave's units dealt to `width` jobs, heaviest first onto the lightest.
UnitGroups_t Waves(const Dag_st& dag, int width)
{
    const int units = static_cast<int>(dag.seconds.size());
    std::vector<char> inChain(units, 0);
    int at = -1;
    for (int u = 0; u < units; ++u)
        if (at < 0 || dag.chain[u] > dag.chain[at] + kTie) at = u;
    UnitGroups_t groups;
    if (at >= 0 && dag.needs[at].empty()) {
        std::vector<int> chain;
        while (at >= 0) {
            chain.push_back(at);
            inChain[at] = 1;
            int next = -1;
            for (int user : dag.users[at])
                if (std::abs(dag.chain[user] - (dag.chain[at] - dag.seconds[at])) <= kTie * (1 + dag.chain[at]) &&
                    dag.needs[user].size() == 1)
                    next = user;
            at = next;
        }
        groups.push_back(chain);
    }
    std::vector<int> depth(units, 0);
    int deepest = 0;
    for (int u = 0; u < units; ++u) {
        for (int w : dag.needs[u]) depth[u] = std::max(depth[u], depth[w] + 1);
        deepest = std::max(deepest, depth[u]);
    }
    for (int d = 0; d <= deepest; ++d) {
        std::vector<int> wave;
        for (int u = 0; u < units; ++u)
            if (!inChain[u] && depth[u] == d) wave.push_back(u);
        const int jobs = std::min<int>(width, static_cast<int>(wave.size()));
        std::vector<std::vector<int>> dealt(jobs);
        std::sort(wave.begin(), wave.end(), [&](int a, int b) { return dag.seconds[a] > dag.seconds[b]; });
        std::vector<double> load(jobs, 0);
        for (int u : wave) {
            const int j = static_cast<int>(std::min_element(load.begin(), load.end()) - load.begin());
            dealt[j].push_back(u);
            load[j] += dag.seconds[u];
        }
        for (std::vector<int>& g : dealt) {
            std::sort(g.begin(), g.end());
            groups.push_back(g);
        }
    }
    return groups;
}

// Whether a path leads from group a to group b through at least one other group.
bool LeadsAround(const std::vector<std::vector<int>>& needs, int a, int b)
{
    std::vector<char> seen(needs.size(), 0);
    std::vector<int> open;
    for (int n : needs[a])
        if (n != b) open.push_back(n);
    while (!open.empty()) {
        const int g = open.back();
        open.pop_back();
        if (g == b) return true;
        if (seen[g]) continue;
        seen[g] = 1;
        for (int n : needs[g]) open.push_back(n);
    }
    return false;
}

UnitGroups_t Merged(const UnitGroups_t& groups, int a, int b)
{
    UnitGroups_t out;
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        if (g == b) continue;
        out.push_back(groups[g]);
        if (g == a) {
            out.back().insert(out.back().end(), groups[b].begin(), groups[b].end());
            std::sort(out.back().begin(), out.back().end());
        }
    }
    return out;
}

bool MayMerge(const std::vector<std::vector<int>>& needs, int a, int b)
{
    return !LeadsAround(needs, a, b) && !LeadsAround(needs, b, a);
}

// Merges a job with one it needs wherever that shortens the estimate.
void MergeWhereShorter(const Dag_st& dag, int agents, double overhead, UnitGroups_t& groups, Estimate_st& estimate,
                       int& budget)
{
    bool merged = true;
    while (merged && budget > 0) {
        merged = false;
        // A job and one it needs first; then two jobs side by side, which
        // saves an overhead where the agents are all busy.
        for (int pass = 0; pass < 2 && !merged; ++pass) {
            for (int a = 0; a < static_cast<int>(groups.size()) && !merged && budget > 0; ++a) {
                std::vector<int> others;
                if (pass == 0) {
                    others = estimate.needs[a];
                } else {
                    for (int b = a + 1; b < static_cast<int>(groups.size()); ++b) others.push_back(b);
                }
                for (int b : others) {
                    if (--budget < 0) break;
                    if (!MayMerge(estimate.needs, a, b)) continue;
                    UnitGroups_t trial = Merged(groups, a, b);
                    Estimate_st e = Estimate(dag, trial, agents, overhead);
                    if (e.valid && e.wall < estimate.wall + (pass == 0 ? kTie : -kTie)) {
                        groups = std::move(trial);
                        estimate = std::move(e);
                        merged = true;
                        break;
                    }
                }
            }
        }
    }
}

// Moves single units to another job wherever that shortens the estimate.
void MoveWhereShorter(const Dag_st& dag, int agents, double overhead, UnitGroups_t& groups, Estimate_st& estimate,
                      int& budget)
{
    bool moved = true;
    while (moved && budget > 0) {
        moved = false;
        for (int a = 0; a < static_cast<int>(groups.size()) && budget > 0; ++a) {
            if (groups[a].size() < 2) continue;
            for (size_t i = 0; i < groups[a].size() && budget > 0; ++i) {
                for (int b = 0; b < static_cast<int>(groups.size()) && budget > 0; ++b) {
                    if (b == a) continue;
                    --budget;
                    UnitGroups_t trial = groups;
                    const int u = trial[a][i];
                    trial[a].erase(trial[a].begin() + static_cast<long>(i));
                    trial[b].insert(std::upper_bound(trial[b].begin(), trial[b].end(), u), u);
                    Estimate_st e = Estimate(dag, trial, agents, overhead);
                    if (e.valid && e.wall < estimate.wall - kTie) {
                        groups = std::move(trial);
                        estimate = std::move(e);
                        moved = true;
                        break;
                    }
                }
                if (moved) break;
            }
            if (moved) break;
        }
    }
}

// Merges jobs a job needs (or the job with one of them) until no job needs
// more than maxNeeds.
void KeepNeedsLimit(const Dag_st& dag, int agents, double overhead, int maxNeeds, UnitGroups_t& groups,
                    Estimate_st& estimate)
{
    if (maxNeeds < 1) return;
    for (;;) {
        int over = -1;
        for (int g = 0; g < static_cast<int>(groups.size()) && over < 0; ++g)
            if (static_cast<int>(estimate.needs[g].size()) > maxNeeds) over = g;
        if (over < 0) return;
        // The two lightest jobs it needs that may become one; else the job
        // takes in the lightest one it may.
        const std::vector<int>& needs = estimate.needs[over];
        std::vector<int> light(needs.begin(), needs.end());
        std::sort(light.begin(), light.end(),
                  [&](int x, int y) { return estimate.seconds[x] < estimate.seconds[y] || (estimate.seconds[x] == estimate.seconds[y] && x < y); });
        int a = -1, b = -1;
        for (size_t i = 0; i < light.size() && a < 0; ++i)
            for (size_t j = i + 1; j < light.size(); ++j)
                if (MayMerge(estimate.needs, light[i], light[j])) {
                    a = light[i];
                    b = light[j];
                    break;
                }
        if (a < 0)
            for (int n : light)
                if (MayMerge(estimate.needs, over, n)) {
                    a = over;
                    b = n;
                    break;
                }
        if (a < 0) return;  // cannot happen: a job and the first job it needs always may
        groups = Merged(groups, std::min(a, b), std::max(a, b));
        estimate = Estimate(dag, groups, agents, overhead);
    }
}

Grouping_st Result(const GroupingInput_st& in, const Dag_st& dag, const UnitGroups_t& groups,
                   const Estimate_st& e)
{
    Grouping_st r;
    for (double s : dag.seconds) r.workSeconds += s;
    for (double c : dag.chain) r.chainSeconds = std::max(r.chainSeconds, c);
    const double lanes = in.agents > 0 ? in.agents : 1;
    r.boundSeconds = std::max(r.chainSeconds, r.workSeconds / lanes) + in.jobOverhead;
    if (!e.valid) {
        r.wallSeconds = -1;
        return r;
    }
    r.wallSeconds = e.wall;
    r.criticalSeconds = e.critical;
    // Jobs by their start in the estimate, needs always first (jobs of no
    // seconds start together with the jobs they need).
    const int count = static_cast<int>(groups.size());
    std::vector<int> order, left(count);
    std::vector<std::vector<int>> users(count);
    using Ready_t = std::pair<double, int>;
    std::priority_queue<Ready_t, std::vector<Ready_t>, std::greater<>> ready;
    for (int g = 0; g < count; ++g) {
        left[g] = static_cast<int>(e.needs[g].size());
        for (int n : e.needs[g]) users[n].push_back(g);
        if (left[g] == 0) ready.push({e.start[g], g});
    }
    while (!ready.empty()) {
        const int g = ready.top().second;
        ready.pop();
        order.push_back(g);
        for (int u : users[g])
            if (--left[u] == 0) ready.push({e.start[u], u});
    }
    std::vector<int> place(groups.size());
    for (size_t i = 0; i < order.size(); ++i) place[order[i]] = static_cast<int>(i);
    for (int g : order) {
        PipelineJob_st job;
        std::vector<int> units = groups[g];
        std::sort(units.begin(), units.end());
        for (int u : units) job.nodes.insert(job.nodes.end(), dag.members[u].begin(), dag.members[u].end());
        for (int n : e.needs[g]) job.needs.push_back(place[n]);
        std::sort(job.needs.begin(), job.needs.end());
        job.seconds = e.seconds[g];
        job.start = e.start[g];
        job.end = e.end[g];
        r.jobs.push_back(std::move(job));
    }
    return r;
}

} // namespace

Grouping_st EstimateGrouping(const GroupingInput_st& input, const std::vector<std::vector<int>>& groups)
{
    const Dag_st dag = MakeDag(input);
    // Groups of nodes into groups of units; a unit split between groups is a
    // circle between them.
    UnitGroups_t unitGroups;
    std::vector<int> groupOfUnit(dag.seconds.size(), -1);
    bool split = false;
    for (const std::vector<int>& group : groups) {
        std::set<int> units;
        for (int v : group)
            if (v >= 0 && v < static_cast<int>(dag.unitOf.size())) units.insert(dag.unitOf[v]);
        for (int u : units) {
            if (groupOfUnit[u] >= 0) split = true;
            groupOfUnit[u] = static_cast<int>(unitGroups.size());
        }
        unitGroups.emplace_back(units.begin(), units.end());
    }
    for (int g : groupOfUnit)
        if (g < 0) split = true;
    Estimate_st e;
    if (!split) e = Estimate(dag, unitGroups, input.agents, input.jobOverhead);
    return Result(input, dag, unitGroups, e);
}

Grouping_st GroupForPipeline(const GroupingInput_st& input)
{
    const Dag_st dag = MakeDag(input);
    const int agents = input.agents > 0 ? input.agents : 1;
    UnitGroups_t bestGroups;
    Estimate_st best;
    auto consider = [&](UnitGroups_t groups) {
        Estimate_st e = Estimate(dag, groups, agents, input.jobOverhead);
        if (!e.valid) return;
        if (!best.valid || e.wall < best.wall - kTie ||
            (e.wall <= best.wall + kTie && groups.size() < bestGroups.size())) {
            best = std::move(e);
            bestGroups = std::move(groups);
        }
    };
    for (double gather : {0.0, 1.0, 2.0, 4.0})
        for (bool near : {false, true}) {
            for (double ratio : {0.0, 0.5, 1.0, 2.0}) {
                consider(Play(dag, agents, input.jobOverhead, ratio, true, near, gather));
                consider(Play(dag, agents, input.jobOverhead, ratio, false, near, gather));
            }
            consider(Play(dag, agents, input.jobOverhead, kNever, true, near, gather));
        }
    for (int width = 1; width <= agents; width *= 2) consider(Waves(dag, width));
    if (agents > 1) consider(Waves(dag, agents - 1));
    consider(Waves(dag, agents));
    if (!best.valid) return Result(input, dag, bestGroups, best);
    int budget = Budget(input);
    MergeWhereShorter(dag, agents, input.jobOverhead, bestGroups, best, budget);
    budget = Budget(input);
    MoveWhereShorter(dag, agents, input.jobOverhead, bestGroups, best, budget);
    budget = Budget(input);
    MergeWhereShorter(dag, agents, input.jobOverhead, bestGroups, best, budget);
    budget = Budget(input);
    MergeWhereShorter(dag, agents, input.jobOverhead, bestGroups, best, budget);
    KeepNeedsLimit(dag, agents, input.jobOverhead, input.maxNeeds, bestGroups, best);
    return Result(input, dag, bestGroups, best);
}

} // namespace Quorvane_ns
