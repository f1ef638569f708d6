#pragma once
// Why a build failed, in one line: the first line of a builder's log that
// carries an error code of the compiler, the linker, the resource compiler
// or the project system ("error C2065", "fatal error C1189", "LINK : fatal
// error LNK1104", "error PRJ0019"), in either edition of the builder.
#include <string_view>
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// Whether the line reports an error with its code: "error" or "错误" as a
// word of its own, then (after optional spaces) one to four capital
// letters and four or five digits that end there. Counts such as
// "0 error(s)" or "1 个错误，0 个警告" and warnings carry no such code.
bool IsErrorLine(std::wstring_view line);

// The first such line of the log, trimmed; empty when the log has none or
// cannot be read (a report must not fail for a log that is gone).
String_cl FirstErrorLine(const String_cl& logPath);

} // namespace Quorvane_ns
