#pragma once
// Path helpers on plain strings, and the places beside the program where it
// keeps its data file and its build logs. Both "\" and "/" count as
// separators unless a helper says otherwise; nothing here touches the disk
// except ModuleDirectory and CreateDirectories.
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

inline constexpr const wchar_t kProductName[] = L"Quorvane";
inline constexpr const wchar_t kProductVersion[] = L"0.3.2";

// The folder of the running program with its trailing "\", taken once.
String_cl ModuleDirectory();
// Points every program place (data file, logs) at another folder; tests and
// the console front end use it. A missing trailing "\" is added; an empty
// text goes back to the program's own folder.
void OverrideModuleDirectory(const String_cl& folder);

String_cl DataFilePath();        // ModuleDirectory + "Quorvane.xml"
String_cl LogRoot();             // ModuleDirectory + "编译日志\"
String_cl FailedLogDirectory();  // LogRoot + "错误\"
String_cl GoodLogDirectory();    // LogRoot + "正常\"

// The text before the last separator, with it when keepSeparator is set.
// A drive root ("C:\x") keeps its backslash either way; no separator: empty.
String_cl GetFileDirectory(const String_cl& path, bool keepSeparator);
// The text after the last separator; the whole path without one.
String_cl GetFileName(const String_cl& path);
// The file name without the last extension; empty when the last "." of the
// path lies in a folder name.
String_cl GetFileTitle(const String_cl& path);
// The text after the last "." of the path, without the dot.
String_cl GetFileExtension(const String_cl& path);
bool HasExtension(const String_cl& path, const String_cl& extension);
// Replaces the text after the last "."; appends "." + extension without one.
String_cl ReplaceExtension(const String_cl& path, const String_cl& extension);
// Creates every folder on the path; the part after the last separator is a
// file name and is not created. Failures (existing folders too) are ignored.
void CreateDirectories(const String_cl& path);
// Resolves relative against the folder base, as solution files write their
// project paths: leading "..\" parts climb base; a path with ":" is taken as
// already absolute. Empty when relative climbs above base's root.
String_cl MakeAbsolutePath(const String_cl& base, const String_cl& relative);

} // namespace Quorvane_ns
