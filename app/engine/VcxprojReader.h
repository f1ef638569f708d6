#pragma once
// Fills a project record from a Visual C++ project file of Visual Studio
// 2010 to 2022 (".vcxproj", an MSBuild project), evaluating what MSBuild
// would for the few properties the program needs, per configuration:
//
// - the configurations are the "ProjectConfiguration" items ("Debug|Win32");
// - properties (PropertyGroup) and the linker's and librarian's settings
//   (ItemDefinitionGroup: Link, Lib) are taken in document order, the later
//   definition winning; a property's value is expanded where it is defined,
//   an item setting's once every property is known, and "%(Name)" in a
//   setting stands for its earlier value (the installation's own defaults,
//   which are not read, count as empty);
// - a Condition is evaluated when it compares two quoted texts made of
//   $(Configuration), $(Platform) and plain text with == or != (ignoring
//   case, as MSBuild compares); an element with any other condition is not
//   applied;
// - the project's own property sheets (an Import of a relative ".props" path
//   that exists, taken from the importing file's folder) are read in their
//   place; the installation's imports are not;
// - absent properties take their documented defaults: ConfigurationType
//   Application, OutDir $(SolutionDir)$(Configuration)\ for Win32 and
//   $(SolutionDir)$(Platform)\$(Configuration)\ otherwise, IntDir the same
//   without the solution folder, TargetName $(ProjectName), TargetExt by the
//   type, the linker's and librarian's output $(OutDir)$(TargetName)$(TargetExt),
//   the import library beside the DLL, the program database
//   $(OutDir)$(TargetName).pdb;
// - $(SolutionDir) and $(ProjectDir) are the project's folder (this program
//   builds each project on its own), $(ProjectName) the file title unless
//   the project names itself; other names come from the project's own
//   properties, then from the environment.
//
// Unknown elements are ignored; a file that cannot be parsed raises the XML
// reader's error, and a file whose root is no MSBuild "Project" user error
// 103 of ProjectPack_cl.
#include "app/engine/ProjectPack.h"

namespace Quorvane_ns {

// project.path names an existing ".vcxproj"; project.exists is set.
void ReadVcxprojFile(Project_st& project);

} // namespace Quorvane_ns
