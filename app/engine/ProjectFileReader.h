#pragma once
// Fills a new project record from its Visual C++ project file: whether the
// file is there, the project's name, and per configuration the file name of
// the library or program it produces, which is what the build engine matches
// against the file a failed link could not open.
#include "app/engine/ProjectPack.h"

namespace Quorvane_ns {

// project.path must be set. A missing file or a folder gives exists = 0 and
// the file title as name. An ".icproj" is read through the ".vcproj" of the
// same folder and base name. A configuration that no tool resolves and that
// lacks "ConfigurationType" raises user error 103 of ProjectPack_cl; errors
// of the XML document pass through, leaving the record as far as it got.
void ReadProjectFile(Project_st& project);

} // namespace Quorvane_ns
