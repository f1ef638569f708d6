#pragma once
// Reads a Visual C++ project of Visual Studio 2005 or 2008 (".vcproj", XML
// of the project engine): the project's name, its references, and per
// configuration the settings its builder would use, with the builder's
// macros ($(ProjectName), $(ConfigurationName), $(PlatformName), the
// solution's $(SolutionDir) and its kin, $(OutDir), $(IntDir), $(TargetName),
// $(TargetDir), $(TargetPath), ...; other names from the environment) and
// defaults. What the configuration produces is then decided by the output
// rules (OutputRules.h) shared with the .vcxproj reader. Inherited property
// sheets (.vsprops) are not read.
#include "app/engine/ProjectPack.h"
#include "app/engine/projectfiles/ProjectFileText.h"

namespace Quorvane_ns {

// vcPath names the .vcproj to read (the record's own file, or the one an
// ".icproj" wraps). A file that cannot be loaded raises the XML reader's
// error; a missing "Name" or "Configurations" the XML reader's lookup
// errors, leaving the record as far as it got.
void ReadVcprojFile(Project_st& project, const String_cl& vcPath, const SolutionContext_st& solution);

} // namespace Quorvane_ns
