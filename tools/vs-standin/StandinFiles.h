#pragma once
// File and path helpers of the builder stand-in (plain Win32, no shell32, so
// that the many short runs of the stand-in start quickly).
#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

namespace Standin_ns {

bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);
std::wstring Trim(std::wstring_view text);

bool IsAbsolutePath(std::wstring_view path);
// The path made absolute against folder (when relative) and normalised:
// "/" becomes "\", "." and ".." segments are folded, doubled separators go.
std::wstring FullPath(const std::wstring& folder, const std::wstring& path);
// The folder part of a path, with its trailing backslash.
std::wstring FolderOf(const std::wstring& path);
std::wstring FileNameOf(const std::wstring& path);
// The file name without its last extension.
std::wstring StemOf(const std::wstring& path);
// The last extension with its dot, or empty.
std::wstring ExtensionOf(const std::wstring& path);

bool FileExists(const std::wstring& path);
// Last write time as a 64-bit count; false when the file does not exist.
bool FileTime(const std::wstring& path, unsigned long long& time);
// Creates the folder and every missing parent; true when it exists afterwards.
bool CreateFolders(const std::wstring& folder);
bool WriteSmallFile(const std::wstring& path, std::string_view bytes);
// Writes the file under a name of this process's own beside it, then puts it
// in place: another build reading it meanwhile finds the old file or the
// new one, never a part, and builds in other processes never meet the
// temporary name. False (and no temporary file left) when it cannot.
bool ReplaceSmallFile(const std::wstring& path, std::string_view bytes);

// The environment variable's value, empty when unset.
std::wstring EnvironmentValue(const wchar_t* name);
// A list such as "a;b,c" or "\"x y\";z" split at the separators, quotes removed,
// items trimmed, empty items dropped.
std::vector<std::wstring> SplitList(const std::wstring& text, std::wstring_view separators);
// Space-separated items; a double-quoted item may hold spaces.
std::vector<std::wstring> SplitQuotedWords(const std::wstring& text);

} // namespace Standin_ns
