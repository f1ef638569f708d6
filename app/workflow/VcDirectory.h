#pragma once
// The Visual C++ installation folder as the user typed it, made usable: the
// window and the console front end check it the same way before a job starts.
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

// "/" become "\" and exactly one "\" ends the text; empty → user error 101.
Base_ns::String_cl NormalizeVcDirectory(const Base_ns::String_cl& text);
// The environment script of either layout must be a file there
// (VC\vcvarsall.bat up to 2015, VC\Auxiliary\Build\vcvarsall.bat from 2017
// on), else user error 102.
void CheckVcDirectory(const Base_ns::String_cl& directory);

// The latest Visual Studio installation as the installer's own locator
// names it (vswhere.exe -latest -property installationPath, in
// "%ProgramFiles(x86)%\Microsoft Visual Studio\Installer"), normalized, when it has
// an environment script; empty when there is no locator, it fails, takes
// longer than a few seconds, or names no such folder.
Base_ns::String_cl LocateVcInstallation();

// The main window's user errors (class "CQuorvaneDlg"): 101 no VC folder,
// 102 wrong VC folder, 104 no such plan (note: the plan name), 105 no
// installation found by the locator.
Base_ns::UserError_cl MainWindowUserError(int32_t code, int32_t line, const Base_ns::String_cl& note);

} // namespace Quorvane_ns
