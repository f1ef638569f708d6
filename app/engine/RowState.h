#pragma once
// The state of one build row, kept per row and per project configuration.
// States 5 and 6 come from the project store, never from a build.
#include <cstdint>

namespace Quorvane_ns {

enum RowState : int32_t {
    Normal = 0,             // not built in this plan yet
    CompiledUnchanged = 1,  // built, nothing to do (0 succeeded, 0 failed)
    Compiled = 2,           // built, at least one project succeeded
    LibraryDependency = 3,  // link wants a library another row makes; waits for it
    CompileFailed = 4,
    Ignored = 5,            // the project has no such configuration
    NotExist = 6            // the project file could not be read
};

// The text the project list shows for a state; an unknown value reads as
// "编译失败".
const wchar_t* RowStateText(int32_t state);

// Whether a build walk takes a row in this state: Normal, LibraryDependency
// or CompileFailed.
inline bool IsPending(int32_t state)
{
    return state == Normal || state == LibraryDependency || state == CompileFailed;
}

} // namespace Quorvane_ns
