#include "app/engine/ProviderWait.h"

namespace Quorvane_ns {

MProjectId_cl FirstProvider(const MProjectPack_cl& rows, const String_cl& library)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
        if (IsPending(it->state) && Base_ns::EqualsNoCase(it->output, library)) return it;
    return MProjectId_cl();
}

ProviderVerdict_st JudgeMissingLibrary(const MProjectId_cl& row, const String_cl& library, MProjectPack_cl& rows,
                                       SerialPack_cl& sequences, const WalkQuestions_cl& walk)
{
    MProject_st& cur = *row;
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = 0;
    ProviderVerdict_st verdict;
    verdict.provider = FirstProvider(rows, library);
    const MProjectId_cl& provider = verdict.provider;
    if (provider.IsEmpty() || provider == row) return verdict;
    if (walk.FailedInThisWalk(provider)) {
        cur.failedBecauseOf = provider.Serial();
        return verdict;
    }
    if (walk.Waits(provider, row)) return verdict;

    verdict.state = LibraryDependency;
    cur.awaitedLibrary = library;
    if (row.Index() < provider.Index()) MoveRowBefore(provider, row, rows, sequences);
    return verdict;
}

} // namespace Quorvane_ns
