#include "app/engine/ProviderWait.h"
#include "common/base/Path.h"

namespace Quorvane_ns {

bool Produces(const MProject_st& row, const String_cl& library)
{
    if (row.configuration.IsEmpty() || library.IsEmpty()) return false;
    if (Base_ns::EqualsNoCase(row.output, library)) return true;
    const ConfigEntry_st* entry = row.project->configurations.Find(row.configuration.Upper());
    return entry && !entry->importLibrary.IsEmpty() && Base_ns::EqualsNoCase(Base_ns::GetFileName(entry->importLibrary), library);
}

MProjectId_cl FirstProvider(const MProjectPack_cl& rows, const String_cl& library)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
        if (IsPending(it->state) && Produces(*it, library)) return it;
    return MProjectId_cl();
}

namespace {

// A row that built well beside row and produces library; empty when none.
MProjectId_cl BuiltBesideProvider(const MProjectPack_cl& rows, const MProjectId_cl& row, const String_cl& library,
                                  const WalkQuestions_cl& walk)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
        if (it != row && (it->state == Compiled || it->state == CompiledUnchanged) && Produces(*it, library) &&
            walk.BuiltBeside(it, row))
            return it;
    return MProjectId_cl();
}

} // namespace

ProviderVerdict_st JudgeMissingLibrary(const MProjectId_cl& row, const String_cl& library, MProjectPack_cl& rows,
                                       SerialPack_cl& sequences, const WalkQuestions_cl& walk)
{
    MProject_st& cur = *row;
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = 0;
    ProviderVerdict_st verdict;
    verdict.provider = FirstProvider(rows, library);
    const bool beside = verdict.provider.IsEmpty();
    if (beside) verdict.provider = BuiltBesideProvider(rows, row, library, walk);
    const MProjectId_cl& provider = verdict.provider;
    if (provider.IsEmpty() || provider == row) return verdict;
    if (!beside && walk.FailedInThisWalk(provider)) {
        cur.failedBecauseOf = provider.Serial();
        return verdict;
    }
    if (!beside && walk.Waits(provider, row)) return verdict;

    verdict.state = LibraryDependency;
    cur.awaitedLibrary = library;
    if (row.Index() < provider.Index()) MoveRowBefore(provider, row, rows, sequences);
    return verdict;
}

} // namespace Quorvane_ns
