#pragma once
// The project file readers' own errors: a file that is well-formed XML but
// goes past what the readers take (a value grown past any real path, an
// evaluation that would not end in reasonable time, nesting no tool writes).
// Each is the file's fault: the project becomes an unreadable record, and
// only its rows fail.
#include <cstdint>
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

// The longest value a property, a setting or an item may reach: no real
// path or list of libraries comes near it.
inline constexpr size_t kMaxValueLength = 64 * 1024;

// User errors 101-103 of class "ProjectFileReader_cl", source
// "ProjectFileReader": 101 a value too long, 102 too much work, 103 nested
// too deeply. The note names the file and what went over.
Base_ns::UserError_cl ProjectFileError(int32_t code, int32_t line, const Base_ns::String_cl& note);

} // namespace Quorvane_ns
