#pragma once
// Path helpers on plain strings. Both "\\" and "/" count as separators unless
// a helper says otherwise; nothing here touches the disk except the folders
// of the program and the system, and CreateDirectories.
#include "common/base/String.h"

namespace Base_ns {

// The folder of the running program file with its trailing "\\", read once.
// Whatever a front end or a test points the program's data at, libraries and
// the error log lie beside the program itself.
String_cl ProgramFolder();
// The system's folder (System32) and the Windows folder, each with its
// trailing "\\". Programs of the system are started by their full path
// there: by name alone, the program's own folder and the current folder are
// searched first, and a program of the same name there would run instead.
String_cl SystemFolder();
String_cl WindowsFolder();

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

// A name for a file of ours made from a text someone else wrote (a
// project's name from its project file): it names a file in whatever folder
// it is put in, never another folder, a device or a name Windows would
// change. Characters no file name may hold, separators and control
// characters become "_", and so do trailing dots and spaces; a device name
// (CON, NUL, COM1, LPT1, ... with any extension, in any case) gets a "_"
// after its stem; an empty text gives "_". At most maxLength characters, so
// that a long name still fits a path.
String_cl SafeFileName(std::wstring_view text, size_t maxLength = 100);

} // namespace Base_ns
