#pragma once
// A solution built by the stand-in the way Visual Studio builds one: each
// project after the projects it depends on there (the solution's
// ProjectDependencies and the project file's own references to projects of
// the solution), in the project configuration the solution configuration
// gives it. With /project, only that project is asked for: the projects it
// depends on are built first (brought up to date, rebuilt or cleaned with
// it, as the verb says), those the solution configuration does not build are
// skipped with the builder's line saying so, and /projectconfig, when given,
// is the configuration of the project asked for.
#include <string>
#include "tools/vs-standin/Builder.h"
#include "tools/vs-standin/Messages.h"

namespace Standin_ns {

// The exit code of the run: 0, or 1 when something failed or could not be
// found (the solution, its configuration, the project /project names).
int BuildSolution(Builder_cl& builder, const Messages_cl& messages, const std::wstring& path,
                  const std::wstring& config, const std::wstring& project, const std::wstring& projectConfig);

} // namespace Standin_ns
