// The row build: one devenv run for one row, the verdict of its log, and the
// choice of the row to build next, including the rescheduling of a library
// provider that the link showed to be missing.
#include "app/engine/MProjectPack.h"
#include <algorithm>
#include <atomic>
#include <vector>
#include "app/engine/BuildReach.h"
#include "app/engine/ProviderWait.h"
#include "app/engine/RowBuild.h"
#include "common/base/Path.h"

namespace Quorvane_ns {

namespace {

std::atomic<bool> g_renameCompile{true};

// The one-at-a-time walk goes down the rows: a failed provider standing
// before the row failed in this walk, and a provider waits for the row when
// the rows waiting for libraries lead from it to the row.
class SerialWalk_cl : public WalkQuestions_cl {
public:
    SerialWalk_cl(const MProjectPack_cl& rows, const MProjectId_cl& current) : m_rows(rows), m_current(current.Index()) {}

    bool FailedInThisWalk(const MProjectId_cl& provider) const override
    {
        return provider->state == CompileFailed && provider.Index() < m_current;
    }
    bool Waits(const MProjectId_cl& provider, const MProjectId_cl& row) const override
    {
        MProjectId_cl p = provider;
        for (int steps = m_rows.Count(); steps >= 0; --steps) {
            if (p == row) return true;
            if (p->state != LibraryDependency || p->awaitedLibrary.IsEmpty()) return false;
            p = FirstProvider(m_rows, p->awaitedLibrary);
            if (p.IsEmpty()) return false;
        }
        return false;  // a circle among other rows; theirs to find when they are built
    }

private:
    const MProjectPack_cl& m_rows;
    int m_current;
};

} // namespace

String_cl LogFileName(const ProjectPack_cl& projects, const ProjectId_cl& project)
{
    // The name comes from a project file someone else wrote and ends up in
    // a path and on cmd's command line: only a safe form of it is used.
    // The log folders are shared by every plan: a second project whose name
    // comes out the same (a "core" in two solutions) gets "core (2).log",
    // numbered by its place among the project records, which only ever grow
    // at the end.
    // A project read in two solutions' contexts is two records of one file:
    // one log name: the first record of the file decides it.
    const String_cl name = Base_ns::SafeFileName(project->name);
    const Base_ns::FileIdentity_st file = Base_ns::CachedIdentity(project->identity, project->path);
    ProjectId_cl first = projects.First();
    while (!first.IsEmpty() && first != project && !Base_ns::CachedIdentity(first->identity, first->path).Same(file))
        first = first.Next();
    std::vector<Base_ns::FileIdentity_st> others;
    for (ProjectId_cl p = projects.First(); !p.IsEmpty() && p != first; p = p.Next()) {
        if (!Base_ns::EqualsNoCase(Base_ns::SafeFileName(p->name), name)) continue;
        const Base_ns::FileIdentity_st& other = Base_ns::CachedIdentity(p->identity, p->path);
        if (std::none_of(others.begin(), others.end(), [&](const Base_ns::FileIdentity_st& o) { return o.Same(other); }))
            others.push_back(other);
    }
    const int same = static_cast<int>(others.size());
    if (same == 0) return name + L".log";
    return name + L" (" + String_cl::FromInt(same + 1) + L").log";
}

void SetRenameCompile(bool on) { g_renameCompile = on; }

bool RenameCompile() { return g_renameCompile; }

int CompileProject(SerialPack_cl& sequences, const String_cl& failedFolder, MProjectPack_cl& rows,
                   MProjectId_cl& row, ProjectPack_cl& projects, const String_cl& normalFolder,
                   const String_cl& vcDir, bool rebuild)
{
    const MProjectId_cl current = row;
    MProject_st& cur = *current;
    auto advance = [&] {
        MProjectId_cl next = current.Next();
        while (!next.IsEmpty() && !IsPending(next->state)) next = next.Next();
        row = next;
    };
    if (FailWithoutBuild(current, rows)) {
        advance();
        return 0;
    }

    // A row whose run would build a row that has failed (in this walk, or
    // before a single row is built) only builds that project again, its
    // errors in this row's log: it fails as a knock-on failure, unbuilt.
    if (!cur.configuration.IsEmpty()) {
        const BuildReach_cl reach(rows);
        for (uint32_t serial : reach.Rows(current.Serial())) {
            if (rows.FromSerial(serial)->state != CompileFailed) continue;
            rows.MarkModified(current);
            RowBuild_cl::ConcludeUnbuilt(current, serial, normalFolder, failedFolder, projects);
            advance();
            return 0;
        }
    }

    RowBuild_cl build(current, rows, projects, normalFolder, vcDir, rebuild, false);
    RunRowCommand(build.Command());
    const LogResult_st result = build.Finish(rows);

    int32_t state = result.state;
    cur.failReason = result.failReason;
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = 0;
    if (!result.missingFile.IsEmpty()) {
        const SerialWalk_cl walk(rows, current);
        const ProviderVerdict_st verdict = JudgeMissingLibrary(current, result.missingFile, rows, sequences, walk);
        state = verdict.state;
        if (state == LibraryDependency) row = verdict.provider;
    }

    // The log's place and the project store's record; the advance below only
    // moves the caller's identifier.
    build.Conclude(state, failedFolder, projects);

    if (state != LibraryDependency) advance();
    return state != CompileFailed ? 1 : 0;
}

} // namespace Quorvane_ns
