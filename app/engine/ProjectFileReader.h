#pragma once
// Fills a new project record from its Visual C++ project file: whether the
// file is there, the project's name, and per configuration the file name of
// the library or program it produces, which is what the build engine matches
// against the file a failed link could not open.
#include "app/engine/ProjectPack.h"

namespace Quorvane_ns {

// Whether the path names a Visual C++ project file this program reads and
// builds: ".vcproj", ".icproj" (wrapping a ".vcproj") or ".vcxproj", any case.
bool IsVcProjectFile(const String_cl& path);

// project.path must be set. A missing file or a folder gives exists = 0 and
// the file title as name. A ".vcxproj" is read by ReadVcxprojFile. An
// ".icproj" is read through the ".vcproj" of the same folder and base name. A configuration that no tool resolves and that
// lacks "ConfigurationType" raises user error 103 of ProjectPack_cl; errors
// of the XML document pass through, leaving the record as far as it got.
void ReadProjectFile(Project_st& project);

} // namespace Quorvane_ns
