#pragma once
// A solution in which one configuration builds one project only.
//
// Asked to rebuild one project of a solution (/rebuild with /project), the
// builder rebuilds the projects it depends on too. In a copy of the solution
// whose configuration has no "Build.0" line for any other project, the
// builder skips them instead ("not selected to build for this solution
// configuration") and still resolves the project's references to their
// outputs, so only the project is rebuilt. The copy stands under the
// solution's own name for that build (RowBuild_cl), so that $(SolutionDir),
// $(SolutionName) and the rest stay the solution's.
#include <string>
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// The bytes of the solution file solution (read from solutionPath) without
// the "Build.0" lines of solutionConfiguration (compared ignoring case) of
// every project but project (a full path, compared as the file system
// compares it); every other byte as it was, in the file's own encoding
// (UTF-16 with its mark, UTF-8, or the ANSI code page). False when no entry
// of the solution names project.
bool OneProjectSolutionText(const std::string& solution, const String_cl& solutionPath, const String_cl& project,
                            const String_cl& solutionConfiguration, std::string& text);
// The same from the file at solutionPath; false too when it cannot be read.
bool OneProjectSolutionFile(const String_cl& solutionPath, const String_cl& project,
                            const String_cl& solutionConfiguration, std::string& text);

// Whether the file at copy is the file at source with some of its lines left
// out (each line with its end; a UTF-16 file's lines as UTF-16 lines): such
// a copy of ours, rather than a file the user has put in its place since.
bool LinesLeftOutOf(const String_cl& copy, const String_cl& source);

} // namespace Quorvane_ns
