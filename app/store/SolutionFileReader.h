#pragma once
// Reads a Visual Studio solution file (.sln) into the list of the Visual C++
// projects it contains, with the project configuration the solution builds
// for each solution configuration. Other project kinds, solution folders and
// every section but the project configurations are skipped.
#include "common/container/List.h"
#include "app/store/SolutionPack.h"

namespace Quorvane_ns {

// Appends one entry per ".vcproj", ".icproj" or ".vcxproj" project (solutions
// of Visual Studio 2005 to 2022 list them alike), in file order. raiser is
// the store on whose behalf the file is read; it names the class of its user
// errors, each with the path as note: 101 when the file ends inside a
// project entry or inside the configuration section, 104 for a file that is
// no solution at all (empty, garbage: neither the header line nor a project
// entry), 105 for one cut short before the end of its Global section (the
// entries appended before stay in out). Errors of the text input stream
// pass through.
void ReadSolutionFile(Container_ns::List_tl<SolutionPack_cl::ProjectOriInfo_st>& out,
                      const String_cl& path, const SolutionPack_cl& raiser);

} // namespace Quorvane_ns
