#pragma once
// The order of a side-by-side build: which row may start now and what a
// finished build means for the others. Knows no threads: the job asks it on
// its own thread, starts the builds, and tells it of each one that ended.
//
// - A row is to be built when the walk begins in state Normal,
//   LibraryDependency or CompileFailed, as the one-at-a-time walk takes them.
// - It may start when no row it needs (BuildGraph_cl) is still to be built,
//   and no running build writes to one of its folders; among such rows the
//   row order, which is the learned sequence, decides.
// - A link that fails for the library of a row still to be built (waiting or
//   running) makes the row wait for that row (LibraryDependency): the edge is
//   learned, the provider's row and sequence entry move before the row as
//   the one-at-a-time walk moves them, and the row is built again after it.
//   A provider that has failed in this walk makes the row fail, naming it in
//   failedBecauseOf; so does a provider that waits for the row itself.
// - When nothing runs and no row may start, the rows left need each other in
//   a circle: the first of them starts all the same, and its link decides.
#include <cstdint>
#include <set>
#include <vector>
#include "app/engine/BuildGraph.h"
#include "app/engine/BuildRunner.h"
#include "app/engine/LearnedLinkPack.h"
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

class RowScheduler_cl {
public:
    RowScheduler_cl(MProjectPack_cl& rows, const ProjectPack_cl& projects, LearnedLinkPack_cl& links);

    // No row is left to build.
    bool Done() const { return m_todo.empty(); }
    bool Idle() const { return m_running.empty(); }
    // The row to start next; empty when none may start now.
    MProjectId_cl NextToStart() const;
    void Started(const MProjectId_cl& row);
    // The row's build ended in an error of its own: it is not built again.
    void Abandoned(const MProjectId_cl& row);
    // The state the row takes after its log's verdict; sets the row's
    // awaited library and failedBecauseOf, learns, and moves as said above.
    int32_t Ended(const MProjectId_cl& row, const LogResult_st& result, SerialPack_cl& sequences);
    // The rows being built, in row order.
    std::vector<MProjectId_cl> Running() const;

private:
    bool Ready(uint32_t row) const;
    bool CollidesWithRunning(uint32_t row) const;
    // Whether from waits for to through rows still to be built.
    bool Waits(uint32_t from, uint32_t to) const;
    MProjectId_cl Provider(const String_cl& library) const;

    MProjectPack_cl& m_rows;
    const ProjectPack_cl& m_projects;
    LearnedLinkPack_cl& m_links;
    BuildGraph_cl m_graph;
    std::set<uint32_t> m_todo;     // still to be built, the running ones included
    std::set<uint32_t> m_running;
};

// After a one-at-a-time row build: learns the library its failed link showed
// (the one it waits for, or the failed row's it failed because of) unless
// its project file names it.
void LearnFromRowBuild(const MProjectId_cl& row, MProjectPack_cl& rows, const ProjectPack_cl& projects,
                       LearnedLinkPack_cl& links);

} // namespace Quorvane_ns
