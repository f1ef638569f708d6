// The row build: one devenv run for one row, the verdict of its log, and the
// choice of the row to build next, including the rescheduling of a library
// provider that the link showed to be missing.
#include "app/engine/MProjectPack.h"
#include <atomic>
#include "app/engine/RowBuild.h"
#include "common/base/Path.h"

namespace Quorvane_ns {

namespace {

std::atomic<bool> g_renameCompile{true};

bool IsPending(int32_t state)
{
    return state == Normal || state == LibraryDependency || state == CompileFailed;
}

// The first row still to build (Normal, LibraryDependency, CompileFailed)
// that produces file.
MProjectId_cl FindProvider(MProjectPack_cl& rows, const String_cl& file)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
        if (IsPending(it->state) && Base_ns::EqualsNoCase(it->output, file)) return it;
    return MProjectId_cl();
}

// Whether provider waits, directly or through other waiting rows, for what
// current produces. Scheduling it then would go round the circle for ever,
// one devenv run per turn; a project that needs its own output is the
// smallest such circle.
bool WaitsFor(MProjectPack_cl& rows, const MProjectId_cl& provider, const MProjectId_cl& current)
{
    MProjectId_cl p = provider;
    for (int steps = rows.Count(); steps >= 0; --steps) {
        if (p == current) return true;
        if (p->state != LibraryDependency || p->awaitedLibrary.IsEmpty()) return false;
        p = FindProvider(rows, p->awaitedLibrary);
        if (p.IsEmpty()) return false;
    }
    return false;  // a circle among other rows; theirs to find when they are built
}

} // namespace

String_cl LogFileName(const ProjectPack_cl& projects, const ProjectId_cl& project)
{
    // The name comes from a project file someone else wrote and ends up in
    // a path and on cmd's command line: only a safe form of it is used.
    // The log folders are shared by every plan: a second project whose name
    // comes out the same (a "core" in two solutions) gets "core (2).log",
    // numbered by its place among the project records, which only ever grow
    // at the end.
    const String_cl name = Base_ns::SafeFileName(project->name);
    int same = 0;
    for (ProjectId_cl p = projects.First(); !p.IsEmpty() && p != project; p = p.Next())
        if (Base_ns::EqualsNoCase(Base_ns::SafeFileName(p->name), name)) ++same;
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

    RowBuild_cl build(current, projects, normalFolder, vcDir, rebuild, false);
    RunRowCommand(build.Command());
    const LogResult_st result = build.Finish(rows);

    int32_t state = result.state;
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = 0;
    if (!result.missingFile.IsEmpty()) {
        MProjectId_cl provider = FindProvider(rows, result.missingFile);
        if (provider.IsEmpty()) {
            state = CompileFailed;
        } else if (provider->state == CompileFailed && provider.Index() < current.Index()) {
            state = CompileFailed;
            cur.failedBecauseOf = provider.Serial();
        } else if (WaitsFor(rows, provider, current)) {
            state = CompileFailed;
        } else {
            state = LibraryDependency;
            cur.awaitedLibrary = result.missingFile;
            if (current.Index() < provider.Index()) {
                rows.MoveBefore(provider, current);
                rows.MarkModified(provider);
                if (provider->sequenceEntry != cur.sequenceEntry)
                    sequences.MoveBefore(provider->sequenceEntry, cur.sequenceEntry);
            }
            row = provider;
        }
    }

    // The log's place and the project store's record; the advance below only
    // moves the caller's identifier.
    build.Conclude(state, failedFolder, projects);

    if (state != LibraryDependency) {
        MProjectId_cl next = current.Next();
        while (!next.IsEmpty() && !IsPending(next->state)) next = next.Next();
        row = next;
    }
    return state != CompileFailed ? 1 : 0;
}

} // namespace Quorvane_ns
