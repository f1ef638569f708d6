#pragma once
// Solutions and MSBuild project files (.vcxproj) laid out the way the tools
// that write them in the field lay them out, for tests that read or build
// projects as users have them:
//
// - "hand": a library and a program written by hand around property sheets:
//   one ImportGroup "PropertySheets" per configuration, sheets imported
//   through $(SolutionDir), $(ProjectDir), $(MSBuildThisFileDirectory) and by
//   relative paths, one named after the configuration, nested sheets, a
//   sheet imported twice (MSBuild reads it once), the configuration type
//   chosen by $(Configuration.IndexOf('DLL')) != -1, Choose/When/Otherwise,
//   the libraries a program links coming from a sheet under conditions on
//   other properties, a program database named by $(TargetDir); two
//   examples that take their configurations, type, output folder and
//   project reference from one sheet imported before anything else; a DLL
//   of the 2010 editor with configurations named with dots
//   (Release.MT|Win32), unquoted and Exists/HasTrailingSlash conditions;
// - "cmake": what CMake's Visual Studio generators write: a build folder
//   apart from the sources (its name has a blank), absolute paths, OutDir per
//   configuration, ALL_BUILD and ZERO_CHECK utility projects, references by
//   absolute path with their GUIDs, libraries by full path followed by
//   %(AdditionalDependencies), a DLL with its ImportLibrary;
// - "premake": what premake5 writes: bin\Debug\ relative output folders,
//   TargetName and TargetExt per configuration, references to sibling
//   projects, a utility project;
// - "dirbuild": a tree with Directory.Build.props (output folders by
//   $(SolutionName), a prefix the projects use), a nearer
//   Directory.Build.props importing it, and Directory.Build.targets (a debug
//   suffix, a property a project's reference names before it is defined); a
//   DLL without ImportLibrary whose linker output, named by
//   $(TargetFileName), goes to a subfolder;
// - "writers": the files this repository's own test writers (ProjectFiles.h)
//   make for the 2010, 2015 and 2022 editors, in a folder with a Chinese name.
//
// Every project is listed in a solution; some are also read alone, as a plan
// may list a project file by itself.
#include <vector>
#include "common/base/String.h"

namespace Test_ns {

using Base_ns::String_cl;

struct CorpusCase_st {
    String_cl style;    // "hand", "cmake", "premake", "dirbuild", "writers"
    String_cl project;  // full path of the .vcxproj
    String_cl solution; // full path of the solution it is read in; empty: read alone
};

// Writes the whole corpus into folder (a full path ending in "\"), creating
// the folders it needs, and returns its cases: every project in its solution,
// then the projects also read alone. False in written when a file could not
// be written.
std::vector<CorpusCase_st> WriteGeneratorCorpus(const String_cl& folder, bool* written = nullptr);

} // namespace Test_ns
