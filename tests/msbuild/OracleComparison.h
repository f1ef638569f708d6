#pragma once
// Compares what the project reader records for a project with what MSBuild
// made of the same project file (through the stand-in VC files), one
// configuration at a time, field by field:
//
//   type              ConfigurationType; the record shows it by what it holds:
//                     no output file (Utility, Makefile), an import library
//                     (DLL), no linker's program database (static library),
//                     else a program
//   OutDir, IntDir    the output and intermediate folders, as full paths
//   target name       TargetName against the title of the recorded output
//                     file, where MSBuild's own output file is named after it
//   output file       the linker's or the librarian's OutputFile
//   import library    the linker's ImportLibrary, for a DLL
//   program database  the linker's ProgramDatabaseFile, for a program or DLL
//   libraries         the file names in AdditionalDependencies (of the linker,
//                     or of the librarian for a static library), as sets
//   references        the ProjectReference items, as full paths, against the
//                     record's references (which are the project's, not a
//                     configuration's)
//
// MSBuild's values are taken as MSBuild printed them: a path relative to the
// project is made full from the project's folder, one MSBuild on Unix
// printed is mapped back to Windows, "." and ".." are resolved; the
// record's values are taken as they are, compared ignoring case.
#include <functional>
#include <map>
#include <vector>
#include "app/engine/ProjectPack.h"

namespace Oracle_ns {

using Base_ns::String_cl;
using Quorvane_ns::ConfigEntry_st;
using Quorvane_ns::Project_st;

// The values the oracle's report target prints for one configuration, by
// name: ConfigurationType, OutDir, IntDir, TargetName, Link.OutputFile,
// Link.ImportLibrary, Link.ProgramDatabaseFile, Link.AdditionalDependencies,
// Lib.OutputFile, Lib.AdditionalDependencies, ProjectReference, ...
using MsbuildValues_t = std::map<String_cl, String_cl>;

// The Windows path of a path MSBuild printed with a Unix root.
using ToWindows_t = std::function<String_cl(const String_cl& systemPath)>;

struct Check_st {
    String_cl field;
    bool compared = false; // false: the field does not apply (note says why)
    bool agree = false;
    String_cl reader;  // the record's value
    String_cl msbuild; // MSBuild's value, as a Windows full path where it is one
    String_cl note;
};

// path with "/" as "\", doubled separators once, "." and ".." resolved
// (never above the root: a drive "C:", a share "\\server\share", or "\");
// folder: ending in "\".
String_cl CanonicalPath(const String_cl& path, bool folder);

// A path as MSBuild printed it, as a Windows full path: one starting with
// "/" (a Unix root) through toWindows, a relative one from projectFolder
// (ending in "\"); then canonical. Empty stays empty.
String_cl MsbuildPath(const String_cl& value, const String_cl& projectFolder, const ToWindows_t& toWindows,
                      bool folder);

// Every field of one configuration, the first being "configuration": that
// the record has it. entry is the record's configuration of that name (null:
// the record lacks it, which is then the only check, as is a record of a
// file the reader could not read).
std::vector<Check_st> CompareConfiguration(const MsbuildValues_t& msbuild, const Project_st& project,
                                           const ConfigEntry_st* entry, const ToWindows_t& toWindows);

// The record's configurations against MSBuild's ProjectConfiguration items
// (names as "Debug|Win32"): one check named "configurations".
Check_st CompareConfigurationNames(const std::vector<String_cl>& msbuildNames, const Project_st& project);

} // namespace Oracle_ns
