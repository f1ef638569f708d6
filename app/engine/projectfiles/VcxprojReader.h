#pragma once
// Reads a Visual C++ project of Visual Studio 2010 to 2022 (".vcxproj", an
// MSBuild project) as MSBuild evaluates it (MsBuildEvaluation.h), in the
// solution the project is read in: the configurations are the
// "ProjectConfiguration" items, then each configuration is evaluated with
// its Configuration and Platform, and what it produces is decided by the
// output rules (OutputRules.h) shared with the .vcproj reader.
//
// Evaluated per configuration: ConfigurationType, OutDir, IntDir,
// TargetName, TargetExt, the platform's toolset, the linker's and the
// librarian's OutputFile and AdditionalDependencies, the linker's
// ImportLibrary and ProgramDatabaseFile, the compiler's
// ProgramDataBaseFileName, and the ProjectReference items; what could not
// be evaluated is left empty and named in the entry's unknowns.
#include "app/engine/ProjectPack.h"
#include "app/engine/projectfiles/ProjectFileCache.h"
#include "app/engine/projectfiles/ProjectFileText.h"

namespace Quorvane_ns {

// project.path names an existing ".vcxproj"; project.exists is set. A file
// that cannot be parsed raises the XML reader's error, one whose root is no
// MSBuild "Project" user error 103 of ProjectPack_cl, one over the readers'
// limits the reader's error (ProjectFileErrors.h).
void ReadVcxprojFile(Project_st& project, const SolutionContext_st& solution, ProjectFileCache_cl& cache);

} // namespace Quorvane_ns
