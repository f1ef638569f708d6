#pragma once
// What a link that could not open a library means for the row being built:
// the one decision both build walks make (the one-at-a-time walk in
// CompileProject, the side-by-side walk in RowScheduler_cl).
//
// - The provider is the first row still to build (Normal, LibraryDependency
//   or CompileFailed) that produces the library (Produces).
// - Without one, a row whose build ended well while the row's own build ran
//   (the walk says which: WalkQuestions_cl::BuiltBeside) wrote the library
//   too late for this link: the row waits for it all the same, which, the
//   provider being done, builds the row again at once.
// - Without a provider, or when it is the row itself, the row fails.
// - A provider that has failed in this walk makes the row fail, named in its
//   failedBecauseOf (a knock-on failure).
// - A provider that waits for the row would go round the circle for ever,
//   one devenv run per turn: the row fails.
// - Otherwise the row waits for the provider (LibraryDependency, with the
//   library in awaitedLibrary); a provider standing after the row moves right
//   before it, in the rows and in the sequence, so the order is remembered.
//
// What "failed in this walk" and "waits for" mean is the walk's to say.
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

class WalkQuestions_cl {
public:
    virtual ~WalkQuestions_cl() = default;
    virtual bool FailedInThisWalk(const MProjectId_cl& provider) const = 0;
    virtual bool Waits(const MProjectId_cl& provider, const MProjectId_cl& row) const = 0;
    // Whether provider's build ended well while row's was running.
    virtual bool BuiltBeside(const MProjectId_cl& provider, const MProjectId_cl& row) const
    {
        (void)provider;
        (void)row;
        return false;
    }
};

// Whether the row's build writes the library a link names (a file name,
// compared ignoring case): its output, or the import library beside its DLL
// (a 2008 DLL that names none is known by "core.dll" while its users link
// the linker's default "core.lib").
bool Produces(const MProject_st& row, const String_cl& library);
// The first row still to build that produces library; empty when none.
MProjectId_cl FirstProvider(const MProjectPack_cl& rows, const String_cl& library);

struct ProviderVerdict_st {
    int32_t state = CompileFailed;  // LibraryDependency or CompileFailed
    MProjectId_cl provider;         // empty when no row produces the library
};

// Sets the row's awaitedLibrary and failedBecauseOf (cleared otherwise), and
// moves the provider as said above; the row's state is the caller's to set.
ProviderVerdict_st JudgeMissingLibrary(const MProjectId_cl& row, const String_cl& library, MProjectPack_cl& rows,
                                       SerialPack_cl& sequences, const WalkQuestions_cl& walk);

} // namespace Quorvane_ns
