#pragma once
// The Visual C++ installation folder as the user typed it, made usable: the
// window and the console front end check it the same way before a job starts.
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

// "/" become "\" and exactly one "\" ends the text; empty → user error 101.
Base_ns::String_cl NormalizeVcDirectory(const Base_ns::String_cl& text);
// directory + "VC\vcvarsall.bat" must be a file, else user error 102.
void CheckVcDirectory(const Base_ns::String_cl& directory);

// The main window's user errors (class "CQuorvaneDlg"): 101 no VC folder,
// 102 wrong VC folder, 104 no such plan (note: the plan name).
Base_ns::UserError_cl MainWindowUserError(int32_t code, int32_t line, const Base_ns::String_cl& note);

} // namespace Quorvane_ns
