#pragma once
// Pieces of text in Visual C++ project files that the readers of both
// formats (.vcproj, .vcxproj) take apart alike: macros, lists of libraries,
// paths relative to the project, and the solution a project is read in.
#include <functional>
#include <vector>
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// Every $(Name) replaced by what known gives for it (true: known); a name
// it does not know comes from the environment, as the builder takes it, and
// is empty there too when unset ($(NOINHERIT) in a list of libraries).
String_cl ExpandMacros(const String_cl& text, const std::function<bool(const String_cl& name, String_cl& value)>& known);

// Words of an "AdditionalDependencies" value as the 2005/2008 builder
// takes it: separated by blanks or ";", a word in double quotes may hold
// blanks.
std::vector<String_cl> DependencyWords(const String_cl& text);
// An MSBuild list (separated by ";" only: a path may hold blanks) written
// as such words, each in double quotes.
String_cl QuotedWords(const String_cl& list);

// Appends the file name of a library unless it is empty or named already
// (ignoring case).
void AddLibraryName(std::vector<String_cl>& libraries, const String_cl& path);

// path as a full path: "/" become "\", a relative one is taken from folder
// (which ends in "\"), "." and ".." are resolved. With trailingSeparator
// the result ends in "\" (a folder).
String_cl FullPathIn(const String_cl& folder, const String_cl& path, bool trailingSeparator);

// The file name without folder and last extension; unlike GetFileTitle on
// the whole path, a dot in a folder name does not empty it.
String_cl FileTitle(const String_cl& path);

// The solution whose $(SolutionDir), $(SolutionName), $(SolutionFileName),
// $(SolutionPath) and $(SolutionExt) a project sees.
struct SolutionContext_st {
    String_cl dir;       // its folder, ending in "\"
    String_cl name;      // its file title
    String_cl fileName;  // its file name
    String_cl path;      // its full path
    String_cl ext;       // ".sln"
};

// The solution the project is read in, or, for a project file listed alone
// (solution empty), the one the builder makes for a lone project: a
// temporary solution in the project's folder named after the project.
SolutionContext_st SolutionContextOf(const String_cl& projectPath, const String_cl& solution);

} // namespace Quorvane_ns
