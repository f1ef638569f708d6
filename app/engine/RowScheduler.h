#pragma once
// The order of a side-by-side build: which row may start now and what a
// finished build means for the others. Knows no threads and no clock: the
// job asks it on its own thread, starts the builds, and tells it of each
// one that ended.
//
// Which rows may build together. Two rows never run at once when their
// builds would meet in one file (BuildGraph_cl::Collide): the same project
// file; one intermediate folder (objects, the compiler's program database,
// BuildLog.htm); or a file one writes (output, import library, either
// program database) that the other writes too or that lies in the other's
// intermediate folder. Paths are compared resolved and case-folded. Sharing
// a project folder or an output folder ("lib\Debug") is safe: the files
// differ. Rename-compile's temporary project files carry a number of their
// own, so two projects of one folder never take the same temporary name.
//
// - A row is to be built when the walk begins in state Normal,
//   LibraryDependency or CompileFailed, as the one-at-a-time walk takes them.
// - A row of a solution is built there, where the builder first brings up to
//   date the projects it depends on (BuildReach_cl): the row needs every row
//   its run could build; two runs that could build one project (other than a
//   row built successfully in this walk) collide; a row whose run would build
//   a row that failed in this walk is not started (FailedDependency) but
//   fails as a knock-on failure.
// - It may start when no row it needs (named, declared or learned; see
//   BuildGraph_cl) is still to be built, and no running build collides with
//   it. Among such rows the one with the longest remaining chain starts
//   first: the heaviest path from it through the rows that need it, each
//   weighing its expected seconds (RowWeights_cl); ties keep the row order,
//   which is the learned sequence.
// - A link that fails for the library of a row still to be built (waiting
//   or running) makes the row wait for it (JudgeMissingLibrary): the edge is
//   learned, and the row is built again after the provider. So does a link
//   that fails for the library of a row whose build ended well while the
//   row's was running (it wrote the library too late for the link): the
//   row is built again at once.
// - When nothing runs and no row may start, the rows left need each other in
//   a circle: the first of them starts all the same, and its link decides.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>
#include "app/engine/BuildGraph.h"
#include "app/engine/BuildReach.h"
#include "app/engine/BuildRunner.h"
#include "app/engine/BuildTimePack.h"
#include "app/engine/LearnedLinkPack.h"
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

class RowScheduler_cl {
public:
    RowScheduler_cl(MProjectPack_cl& rows, const ProjectPack_cl& projects, LearnedLinkPack_cl& links,
                    const BuildTimePack_cl& times, const std::vector<DeclaredDependency_st>& declared = {});

    // Only these rows (by serial) are built; the others are left as they
    // are. A link that fails for the library of a row left out fails the
    // row, naming the library and the row that builds it, and teaches the
    // edge (the row must wait for it next time).
    void Restrict(const std::set<uint32_t>& rows);
    // Whether the row is built in a copy of its solution that builds its
    // project alone (RowBuild_cl): restricted to some rows, a row whose run
    // could build a row outside them. Those are another machine's or the
    // user's to build, and the builder would build them again wherever it
    // finds them out of date: "these and nothing else". Such a run never
    // runs beside another row of its solution, which stands in its place
    // meanwhile.
    bool BuildsAlone(uint32_t row) const;

    // No row is left to build.
    bool Done() const { return m_todo.empty(); }
    // How many rows were to be built when the walk began.
    int Total() const { return m_total; }
    // The row to start next; empty when none may start now.
    MProjectId_cl NextToStart() const;
    void Started(const MProjectId_cl& row);
    // The row's build ended in an error of its own: it is not built again.
    void Abandoned(const MProjectId_cl& row);
    // A row its run would build that failed in this walk (a serial), or 0:
    // the row is not built but fails as its knock-on failure (then Abandoned).
    uint32_t FailedDependency(const MProjectId_cl& row) const;
    // The state the row takes after its log's verdict; sets the row's
    // awaited library and failedBecauseOf, learns, and moves as said above.
    int32_t Ended(const MProjectId_cl& row, const LogResult_st& result, SerialPack_cl& sequences);
    // The rows being built, in row order.
    std::vector<MProjectId_cl> Running() const;

    // A build of row, finished, took seconds: a weight known from now on.
    void Took(const MProjectId_cl& row, double seconds);
    // The seconds the rows still to build will take on lanes builds at once:
    // max(longest remaining chain, remaining work / lanes), a running row
    // counting what is left of its expected time after elapsed seconds
    // (by serial; a row missing there has just started). Negative while no
    // build time is known.
    double SecondsLeft(int lanes, const std::map<uint32_t, double>& elapsed) const;
    // The rows of the longest chain still to build, first to last.
    std::vector<uint32_t> CriticalPath() const;

    // After a walk: moves rows (and their sequence entries) so that every
    // row the graph knows a row needs stands before it. A provider moves to
    // just before its first user; rows without an edge keep their order.
    void PutProvidersFirst(SerialPack_cl& sequences);

private:
    // The walk is done with the row, which compiled or was up to date (ok),
    // or failed (not ok).
    bool EndedWith(uint32_t row, bool ok) const;
    bool Ready(uint32_t row) const;
    bool CollidesWithRunning(uint32_t row) const;
    // Both rows come from one solution file.
    bool SameSolution(uint32_t a, uint32_t b) const;
    // Whether from waits for to through rows still to be built.
    bool Waits(uint32_t from, uint32_t to) const;
    // For every row still to build, the heaviest path from it through the
    // rows still to build that need it, rows weighing weight(serial).
    template<class Weight_t>
    std::map<uint32_t, double> Chains(const Weight_t& weight) const;
    const std::map<uint32_t, double>& Ranks() const;

    MProjectPack_cl& m_rows;
    LearnedLinkPack_cl& m_links;
    BuildGraph_cl m_graph;
    BuildReach_cl m_reach;
    std::set<uint32_t> m_todo;     // still to be built, the running ones included
    std::set<uint32_t> m_walked;   // to be built when the walk began
    std::set<uint32_t> m_running;
    // When each row's last build started and ended, as numbers of the
    // walk's events: which builds ran beside which.
    uint64_t m_events = 0;
    std::map<uint32_t, uint64_t> m_startedAt;
    std::map<uint32_t, uint64_t> m_endedAt;
    std::set<uint32_t> m_leftOut;  // pending rows Restrict left out
    std::set<uint32_t> m_only;     // the rows Restrict kept; empty when not restricted
    bool m_restricted = false;
    int m_total = 0;
    RowWeights_cl m_weights;
    mutable std::map<uint32_t, double> m_ranks;  // Chains by m_weights; empty when stale
};

// Moves rows (and their sequence entries) so that every row stands after the
// rows needsOf names for it, with theirs before them; rows without such
// needs keep their order, and a circle is cut where it is met.
void PutNeededFirst(MProjectPack_cl& rows, SerialPack_cl& sequences,
                    const std::function<std::vector<uint32_t>(uint32_t)>& needsOf);

// Before a one-at-a-time walk: every row still to build after the rows
// still to build that its run would build (BuildReach_cl), so that those
// are built, or have failed, when it starts.
void PutReachFirst(MProjectPack_cl& rows, SerialPack_cl& sequences);

// After a one-at-a-time row build: learns the library its failed link showed
// (the one it waits for, or the failed row's it failed because of) unless
// its project file names it.
void LearnFromRowBuild(const MProjectId_cl& row, MProjectPack_cl& rows, const ProjectPack_cl& projects,
                       LearnedLinkPack_cl& links);

} // namespace Quorvane_ns
