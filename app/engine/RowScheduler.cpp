#include "app/engine/RowScheduler.h"
#include <algorithm>
#include <cmath>
#include <functional>
#include "app/engine/ProviderWait.h"
#include "app/engine/RowBuild.h"
#include "common/base/FileIdentity.h"

namespace Quorvane_ns {

namespace {

// Ties within this many seconds keep the row order: sums of equal weights
// need not come out bit for bit equal.
constexpr double kTie = 1e-6;

std::set<uint32_t> PendingRows(const MProjectPack_cl& rows)
{
    std::set<uint32_t> pending;
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next())
        if (IsPending(row->state) && !row->configuration.IsEmpty()) pending.insert(row.Serial());
    return pending;
}

} // namespace

RowScheduler_cl::RowScheduler_cl(MProjectPack_cl& rows, const ProjectPack_cl& projects, LearnedLinkPack_cl& links,
                                 const BuildTimePack_cl& times, const std::vector<DeclaredDependency_st>& declared)
    : m_rows(rows), m_links(links), m_graph(rows, projects, links, declared), m_reach(rows),
      m_todo(PendingRows(rows)), m_walked(m_todo), m_total(static_cast<int>(m_todo.size())),
      m_weights(rows, std::vector<uint32_t>(m_todo.begin(), m_todo.end()), times)
{
    // What a row's run could build is up to date before it starts.
    for (uint32_t row : m_todo)
        for (uint32_t other : m_reach.Rows(row)) m_graph.Add(row, other, String_cl(), EdgeKind_en::Declared);
}

void RowScheduler_cl::Restrict(const std::set<uint32_t>& rows)
{
    for (auto it = m_todo.begin(); it != m_todo.end();) {
        if (rows.count(*it)) {
            ++it;
            continue;
        }
        m_leftOut.insert(*it);
        it = m_todo.erase(it);
    }
    m_total = static_cast<int>(m_todo.size());
    m_ranks.clear();
    m_only = rows;
    m_restricted = true;
}

bool RowScheduler_cl::BuildsAlone(uint32_t row) const
{
    if (!m_restricted) return false;
    for (uint32_t other : m_reach.Rows(row))
        if (!m_only.count(other)) return true;
    return false;
}

bool RowScheduler_cl::SameSolution(uint32_t a, uint32_t b) const
{
    const String_cl& x = m_rows.FromSerial(a)->project->solution;
    const String_cl& y = m_rows.FromSerial(b)->project->solution;
    return !x.IsEmpty() && !y.IsEmpty() && Base_ns::IdentityOf(x).Same(Base_ns::IdentityOf(y));
}

bool RowScheduler_cl::Ready(uint32_t row) const
{
    for (uint32_t need : m_graph.Needs(row))
        if (m_todo.count(need)) return false;
    return true;
}

bool RowScheduler_cl::CollidesWithRunning(uint32_t row) const
{
    const auto builtOk = [this](uint32_t r) { return EndedWith(r, true); };
    const bool alone = BuildsAlone(row);
    for (uint32_t other : m_running) {
        if (m_graph.Collide(row, other) || m_reach.MayMeet(row, other, builtOk)) return true;
        if ((alone || BuildsAlone(other)) && SameSolution(row, other)) return true;
    }
    return false;
}

template<class Weight_t>
std::map<uint32_t, double> RowScheduler_cl::Chains(const Weight_t& weight) const
{
    // Users first: a row's chain is its weight and its heaviest user's chain.
    // Kahn's walk from the rows no one needs; rows in a circle of needs get
    // what their users outside the circle give them.
    std::map<uint32_t, std::vector<uint32_t>> users;
    std::map<uint32_t, int> waiting;
    for (uint32_t row : m_todo) {
        waiting[row];
        for (uint32_t need : m_graph.Needs(row)) {
            if (!m_todo.count(need) || need == row) continue;
            users[need].push_back(row);
            ++waiting[need];
        }
    }
    std::map<uint32_t, double> chains;
    auto settle = [&](uint32_t row) {
        double longest = 0;
        for (uint32_t user : users[row]) {
            auto c = chains.find(user);
            if (c != chains.end() && c->second > longest) longest = c->second;
        }
        chains[row] = weight(row) + longest;
    };
    std::vector<uint32_t> ready;
    for (const auto& [row, count] : waiting)
        if (count == 0) ready.push_back(row);
    while (!ready.empty()) {
        const uint32_t row = ready.back();
        ready.pop_back();
        settle(row);
        for (uint32_t need : m_graph.Needs(row))
            if (m_todo.count(need) && need != row && --waiting[need] == 0) ready.push_back(need);
    }
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next())
        if (m_todo.count(row.Serial()) && !chains.count(row.Serial())) settle(row.Serial());
    return chains;
}

const std::map<uint32_t, double>& RowScheduler_cl::Ranks() const
{
    if (m_ranks.empty() && !m_todo.empty())
        m_ranks = Chains([this](uint32_t row) { return m_weights.Of(row); });
    return m_ranks;
}

MProjectId_cl RowScheduler_cl::NextToStart() const
{
    const std::map<uint32_t, double>& ranks = Ranks();
    MProjectId_cl best;
    double bestRank = 0;
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next()) {
        const uint32_t serial = row.Serial();
        if (!m_todo.count(serial) || m_running.count(serial)) continue;
        if (!Ready(serial) || CollidesWithRunning(serial)) continue;
        const double rank = ranks.at(serial);
        if (best.IsEmpty() || rank > bestRank + kTie) {
            best = row;
            bestRank = rank;
        }
    }
    if (!best.IsEmpty() || !m_running.empty()) return best;
    // Nothing runs and nothing is ready: a circle of needs. Its first row
    // goes ahead; if it truly needs the others its link says so.
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next())
        if (m_todo.count(row.Serial())) return row;
    return MProjectId_cl();
}

void RowScheduler_cl::Started(const MProjectId_cl& row)
{
    m_running.insert(row.Serial());
    m_startedAt[row.Serial()] = ++m_events;
}

void RowScheduler_cl::Abandoned(const MProjectId_cl& row)
{
    m_running.erase(row.Serial());
    m_todo.erase(row.Serial());
    m_ranks.clear();
}

bool RowScheduler_cl::EndedWith(uint32_t row, bool ok) const
{
    // A row's state is its last build's once the walk is done with it.
    if (!m_walked.count(row) || m_todo.count(row) || m_leftOut.count(row)) return false;
    const int32_t state = m_rows.FromSerial(row)->state;
    return ok ? state == Compiled || state == CompiledUnchanged : state == CompileFailed;
}

uint32_t RowScheduler_cl::FailedDependency(const MProjectId_cl& row) const
{
    for (uint32_t other : m_reach.Rows(row.Serial()))
        if (EndedWith(other, false)) return other;
    return 0;
}

std::vector<MProjectId_cl> RowScheduler_cl::Running() const
{
    std::vector<MProjectId_cl> running;
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next())
        if (m_running.count(row.Serial())) running.push_back(row);
    return running;
}

void RowScheduler_cl::Took(const MProjectId_cl& row, double seconds)
{
    m_weights.Took(row.Serial(), seconds);
    m_ranks.clear();
}

double RowScheduler_cl::SecondsLeft(int lanes, const std::map<uint32_t, double>& elapsed) const
{
    if (!m_weights.AnyKnown()) return -1;
    auto weight = [&](uint32_t row) {
        const double expected = m_weights.Of(row);
        if (!m_running.count(row)) return expected;
        auto e = elapsed.find(row);
        const double left = e == elapsed.end() ? expected : expected - e->second;
        return left > 0 ? left : 0.0;
    };
    double longest = 0, work = 0;
    for (const auto& [row, chain] : Chains(weight)) {
        longest = chain > longest ? chain : longest;
        work += weight(row);
    }
    const double spread = work / (lanes > 0 ? lanes : 1);
    return longest > spread ? longest : spread;
}

std::vector<uint32_t> RowScheduler_cl::CriticalPath() const
{
    const std::map<uint32_t, double>& ranks = Ranks();
    std::map<uint32_t, std::vector<uint32_t>> users;
    for (const GraphEdge_st& e : m_graph.Edges())
        if (m_todo.count(e.from) && m_todo.count(e.to) && e.from != e.to) users[e.to].push_back(e.from);
    // The row with the longest chain starts it (no user's chain can be
    // longer than its own); each next row is the user that makes the chain.
    std::vector<uint32_t> path;
    uint32_t at = 0;
    double best = -1;
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next()) {
        auto r = ranks.find(row.Serial());
        if (r != ranks.end() && r->second > best + kTie) {
            at = row.Serial();
            best = r->second;
        }
    }
    std::set<uint32_t> seen;
    while (at != 0 && seen.insert(at).second) {
        path.push_back(at);
        // The user whose chain makes this row's: rank minus own weight.
        const double rest = ranks.at(at) - m_weights.Of(at);
        uint32_t next = 0;
        for (uint32_t user : users[at])
            if (!seen.count(user) && std::abs(ranks.at(user) - rest) <= kTie * (1 + rest)) {
                next = user;
                break;
            }
        at = next;
    }
    return path;
}

void RowScheduler_cl::PutProvidersFirst(SerialPack_cl& sequences)
{
    PutNeededFirst(m_rows, sequences, [this](uint32_t row) { return m_graph.Needs(row); });
}

void PutNeededFirst(MProjectPack_cl& rows, SerialPack_cl& sequences,
                    const std::function<std::vector<uint32_t>(uint32_t)>& needsOf)
{
    // Each row in its order, after the rows it needs that are not placed yet
    // (theirs first, and so on down): a depth-first walk that emits a row
    // once all it needs are out. A circle is cut where the walk meets it.
    std::map<uint32_t, int> index;
    std::vector<uint32_t> order;
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next()) {
        index[row.Serial()] = static_cast<int>(order.size());
        order.push_back(row.Serial());
    }
    std::vector<uint32_t> placed;
    std::set<uint32_t> done, open;
    for (uint32_t start : order) {
        std::vector<std::pair<uint32_t, size_t>> stack{{start, 0}};
        while (!stack.empty()) {
            auto& [row, next] = stack.back();
            if (next == 0) {
                if (done.count(row) || open.count(row)) {
                    stack.pop_back();
                    continue;
                }
                open.insert(row);
            }
            std::vector<uint32_t> needs = needsOf(row);
            std::sort(needs.begin(), needs.end(), [&](uint32_t a, uint32_t b) { return index[a] < index[b]; });
            if (next < needs.size()) {
                const uint32_t need = needs[next++];
                if (index.count(need) && !done.count(need) && !open.count(need)) stack.push_back({need, 0});
                continue;
            }
            open.erase(row);
            done.insert(row);
            placed.push_back(row);
            stack.pop_back();
        }
    }
    for (size_t i = 0; i < placed.size(); ++i) {
        const MProjectId_cl target = rows.At(static_cast<int>(i));
        if (target.Serial() == placed[i]) continue;
        MoveRowBefore(rows.FromSerial(placed[i]), target, rows, sequences);
    }
}

void PutReachFirst(MProjectPack_cl& rows, SerialPack_cl& sequences)
{
    const BuildReach_cl reach(rows);
    PutNeededFirst(rows, sequences, [&](uint32_t row) {
        std::vector<uint32_t> pending;
        if (!IsPending(rows.FromSerial(row)->state)) return pending;
        for (uint32_t other : reach.Rows(row))
            if (IsPending(rows.FromSerial(other)->state)) pending.push_back(other);
        return pending;
    });
}

bool RowScheduler_cl::Waits(uint32_t from, uint32_t to) const
{
    std::set<uint32_t> seen;
    std::vector<uint32_t> open{from};
    while (!open.empty()) {
        const uint32_t row = open.back();
        open.pop_back();
        if (row == to) return true;
        if (!seen.insert(row).second) continue;
        for (uint32_t need : m_graph.Needs(row))
            if (need == to || m_todo.count(need)) open.push_back(need);
    }
    return false;
}

namespace {

// The side-by-side walk knows which rows are still to build: a provider that
// is pending but no longer among them has failed in this walk.
class SideBySideWalk_cl : public WalkQuestions_cl {
public:
    SideBySideWalk_cl(const std::set<uint32_t>& todo, std::function<bool(uint32_t, uint32_t)> waits,
                      const std::map<uint32_t, uint64_t>& startedAt, const std::map<uint32_t, uint64_t>& endedAt)
        : m_todo(todo), m_waits(std::move(waits)), m_startedAt(startedAt), m_endedAt(endedAt)
    {
    }
    bool FailedInThisWalk(const MProjectId_cl& provider) const override { return !m_todo.count(provider.Serial()); }
    bool Waits(const MProjectId_cl& provider, const MProjectId_cl& row) const override
    {
        return m_waits(provider.Serial(), row.Serial());
    }
    // The provider's build ended after the row's started: it ran beside it.
    bool BuiltBeside(const MProjectId_cl& provider, const MProjectId_cl& row) const override
    {
        auto ended = m_endedAt.find(provider.Serial());
        auto started = m_startedAt.find(row.Serial());
        return ended != m_endedAt.end() && started != m_startedAt.end() && ended->second > started->second;
    }

private:
    const std::set<uint32_t>& m_todo;
    std::function<bool(uint32_t, uint32_t)> m_waits;
    const std::map<uint32_t, uint64_t>& m_startedAt;
    const std::map<uint32_t, uint64_t>& m_endedAt;
};

} // namespace

int32_t RowScheduler_cl::Ended(const MProjectId_cl& row, const LogResult_st& result, SerialPack_cl& sequences)
{
    const uint32_t serial = row.Serial();
    MProject_st& cur = *row;
    m_running.erase(serial);
    m_todo.erase(serial);
    m_ranks.clear();
    m_endedAt[serial] = ++m_events;
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = 0;
    cur.failReason = result.failReason;
    if (result.missingFile.IsEmpty()) return result.state;

    const SideBySideWalk_cl walk(m_todo, [this](uint32_t from, uint32_t to) { return Waits(from, to); }, m_startedAt,
                                 m_endedAt);
    const ProviderVerdict_st verdict = JudgeMissingLibrary(row, result.missingFile, m_rows, sequences, walk);
    if (!verdict.provider.IsEmpty() && verdict.provider != row) {
        // The link has shown the edge, whatever becomes of the row now.
        const bool named = m_graph.Names(serial, result.missingFile);
        if (!named) m_links.Learn(cur.project->path, cur.configuration, result.missingFile);
        m_graph.Add(serial, verdict.provider.Serial(), result.missingFile,
                    named ? EdgeKind_en::Named : EdgeKind_en::Learned);
    }
    if (verdict.state == LibraryDependency) m_todo.insert(serial);
    if (!verdict.provider.IsEmpty() && m_leftOut.count(verdict.provider.Serial())) {
        // Not a failure of the provider, which this build was not to build:
        // an edge nobody knew, between these rows and others.
        cur.failedBecauseOf = 0;
        cur.failReason = L"缺少库 " + result.missingFile + L"：它由工程 " + verdict.provider->project->name + L"（" +
                         verdict.provider->project->path + L"）编译，该工程不在本次编译的工程之内";
    }
    return verdict.state;
}

void LearnFromRowBuild(const MProjectId_cl& row, MProjectPack_cl& rows, const ProjectPack_cl& projects,
                       LearnedLinkPack_cl& links)
{
    const MProject_st& built = *row;
    // A row that failed unbuilt, because of a row its run would build, has
    // shown nothing of what it links.
    if (FailedUnbuilt(built)) return;
    String_cl library = built.awaitedLibrary;
    if (library.IsEmpty() && built.failedBecauseOf != 0) library = rows.FromSerial(built.failedBecauseOf)->output;
    if (library.IsEmpty()) return;
    if (const ConfigEntry_st* entry = projects.Entry(built.project, built.configuration))
        for (const String_cl& named : entry->libraries)
            if (Base_ns::EqualsNoCase(named, library)) return;
    links.Learn(built.project->path, built.configuration, library);
}

} // namespace Quorvane_ns
