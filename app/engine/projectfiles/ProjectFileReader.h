#pragma once
// Fills a new project record from its Visual C++ project file, in the
// solution the record names: whether the file is there, the project's name,
// the projects it references, the files it reads besides itself, and per
// configuration what the build produces and where it writes (the output
// file's name being what the build engine matches against the file a
// failed link could not open).
//
// The formats are read by their own readers (VcprojReader.h for 2005/2008
// and Intel's wrappers, VcxprojReader.h for 2010 to 2022, evaluated as
// MSBuild does); what a configuration produces is decided for both by the
// output rules (OutputRules.h).
#include "app/engine/ProjectPack.h"
#include "app/engine/projectfiles/ProjectFileCache.h"

namespace Quorvane_ns {

// Whether the path names a Visual C++ project file this program reads and
// builds: ".vcproj", ".icproj" (wrapping a ".vcproj") or ".vcxproj", any case.
bool IsVcProjectFile(const String_cl& path);

// project.path must be set, and project.solution when the project is read
// in a solution. A missing file or a folder gives exists = 0 and the file
// title as name. An ".icproj" is read through the ".vcproj" of the same
// folder and base name. Files are parsed through cache when one is given
// (the read of a plan shares one), else through a cache of this read
// alone. Errors of the XML document and the readers' own pass through,
// leaving the record as far as it got.
void ReadProjectFile(Project_st& project, ProjectFileCache_cl* cache = nullptr);

} // namespace Quorvane_ns
