#pragma once
// What a configuration's build produces and where it writes, decided in one
// place for both formats from what their readers evaluated: the readers
// know the files (a .vcproj's tools and macros, a .vcxproj's evaluation
// with the installation's defaults), these rules know the builds:
//
// - folders are full paths ending in "\", taken from the project's folder;
// - a Utility, Makefile or unknown type builds but produces nothing another
//   project links; a configuration without a type is an application, the
//   builder's default;
// - the output is the linker's for programs and DLLs, the librarian's for
//   static libraries (a 2005/2008 configuration whose tools name an output
//   themselves: the first such tool's);
// - a DLL's import library is the one the linker names, else the linker's
//   default: the output's base name with ".lib", beside the output;
// - the name a project is known by when a link fails is its output's file
//   name, and a DLL's import library's. The 2005/2008 builder's projects
//   keep what their readers always recorded: known by the import library
//   only where the linker names one (then whatever their type);
// - the linker's program database only where the linker runs; the
//   compiler's in a folder named for it takes the compiler's default name;
// - the libraries are those the producing tool is told to link;
// - whatever could not be evaluated stays empty, and the entry says why.
#include <optional>
#include <vector>
#include "app/engine/ProjectPack.h"

namespace Quorvane_ns {

enum class OutputKind_en { Program, DynamicLibrary, StaticLibrary, Nothing };
enum class Producer_en { ByKind, Linker, Librarian };

// A configuration's evaluated settings; std::nullopt: could not be
// evaluated (unknowns says why).
struct ConfigurationSettings_st {
    String_cl projectFolder;  // ends in "\"
    std::optional<OutputKind_en> kind = OutputKind_en::Program;
    Producer_en producer = Producer_en::ByKind;
    // The 2005/2008 builder's naming (see above).
    bool knownByNamedImportLibraryOnly = false;
    // As evaluated: full, or relative to the project's folder.
    std::optional<String_cl> outDir, intDir;
    std::optional<String_cl> linkerOutput, librarianOutput;  // the builder's default where unset
    std::optional<String_cl> importLibrary;                  // empty: the linker's default
    std::optional<String_cl> programDatabase;                // the linker's; empty: none
    std::optional<String_cl> compilerDatabase;               // a file, or a folder ending in "\"
    String_cl compilerDatabaseName;                          // in such a folder: "vc90.pdb"
    std::optional<String_cl> linkerLibraries, librarianLibraries;  // AdditionalDependencies
    std::vector<String_cl> unknowns;
};

ConfigEntry_st DecideOutputs(const ConfigurationSettings_st& settings);

} // namespace Quorvane_ns
