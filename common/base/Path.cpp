#include "common/base/Path.h"
#include <windows.h>
#include <mutex>
#include <vector>

namespace Base_ns {
namespace {

// Index of the later of the last "\" and the last "/", or npos.
size_t LastSeparator(const String_cl& path) { return path.find_last_of(L"\\/"); }

String_cl ReadProgramFolder()
{
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return String_cl();
        if (n < buf.size()) {
            String_cl path(buf.data(), n);
            size_t p = path.find_last_of(L'\\');
            return p == String_cl::npos ? String_cl() : String_cl(path.substr(0, p + 1));
        }
        buf.resize(buf.size() * 2);
    }
}

bool IsForbiddenInFileName(wchar_t c)
{
    return c < 32 || c == 127 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

// Whether Win32 opens the name as a device: its stem (the text before the
// first dot, trailing spaces dropped) is one of the reserved names.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (EqualsNoCase(stem, device)) return true;
    if (stem.size() != 4) return false;
    const bool port = EqualsNoCase(stem.substr(0, 3), L"COM") || EqualsNoCase(stem.substr(0, 3), L"LPT");
    const wchar_t digit = stem[3];
    return port && ((digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

// A folder of the system as GetSystemDirectoryW and its kin give it, with
// its trailing backslash; empty when the call fails.
String_cl WithSeparator(UINT(WINAPI* get)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH];
    const UINT n = get(folder, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? String_cl() : String_cl(folder, n) + L"\\";
}

} // namespace

String_cl ProgramFolder()
{
    static std::once_flag once;
    static String_cl folder;
    std::call_once(once, [] { folder = ReadProgramFolder(); });
    return folder;
}

String_cl SystemFolder() { return WithSeparator(GetSystemDirectoryW); }

String_cl WindowsFolder() { return WithSeparator(GetWindowsDirectoryW); }

String_cl GetFileDirectory(const String_cl& path, bool keepSeparator)
{
    size_t s = LastSeparator(path);
    if (s == String_cl::npos) return String_cl();
    // "C:\" without its backslash would be "C:", the current folder of drive C.
    if (keepSeparator || s == 2) return path.substr(0, s + 1);
    return path.substr(0, s);
}

String_cl GetFileName(const String_cl& path)
{
    size_t s = LastSeparator(path);
    return s == String_cl::npos ? path : String_cl(path.substr(s + 1));
}

String_cl GetFileTitle(const String_cl& path)
{
    size_t s = LastSeparator(path);
    size_t start = s == String_cl::npos ? 0 : s + 1;
    size_t dot = path.find_last_of(L'.');
    if (dot == String_cl::npos) return path.substr(start);
    if (dot < start) return String_cl();
    return path.substr(start, dot - start);
}

String_cl GetFileExtension(const String_cl& path)
{
    size_t dot = path.find_last_of(L'.');
    return dot == String_cl::npos ? String_cl() : String_cl(path.substr(dot + 1));
}

bool HasExtension(const String_cl& path, const String_cl& extension)
{
    return GetFileExtension(path).EqualsNoCase(extension);
}

String_cl ReplaceExtension(const String_cl& path, const String_cl& extension)
{
    size_t dot = path.find_last_of(L'.');
    if (dot == String_cl::npos) return path + L"." + extension;
    return path.substr(0, dot + 1) + extension;
}

void CreateDirectories(const String_cl& path)
{
    String_cl p = path;
    p.ReplaceAll(L"/", L"\\");
    for (size_t i = p.find(L'\\'); i != String_cl::npos; i = p.find(L'\\', i + 1)) {
        // Pieces such as "C:" or an existing folder simply fail.
        if (i > 0) CreateDirectoryW(p.substr(0, i).c_str(), nullptr);
    }
}

String_cl MakeAbsolutePath(const String_cl& base, const String_cl& relative)
{
    if (relative.find(L':') != String_cl::npos) return relative;
    String_cl b = base;
    b.ReplaceAll(L"/", L"\\");
    if (b.empty() || b.back() != L'\\') b += L'\\';
    String_cl r = relative;
    r.ReplaceAll(L"/", L"\\");
    size_t d = b.size() - 1;
    size_t offset = 0;
    while (r.compare(offset, 3, L"..\\") == 0) {
        if (d == 0) return String_cl();
        size_t prev = b.find_last_of(L'\\', d - 1);
        if (prev == String_cl::npos) return String_cl();
        d = prev;
        offset += 3;
    }
    // The rest keeps the separators it was written with.
    return b.substr(0, d + 1) + relative.substr(offset);
}

String_cl SafeFileName(std::wstring_view text, size_t maxLength)
{
    if (maxLength < 2) maxLength = 2;
    String_cl name(text.substr(0, maxLength - 1));
    // Never half a surrogate pair at the cut.
    if (name.size() < text.size() && !name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF)
        name.pop_back();
    for (wchar_t& c : name)
        if (IsForbiddenInFileName(c)) c = L'_';
    // Windows drops them from the end of a name: "a." and "a" are one file.
    for (size_t i = name.size(); i > 0 && (name[i - 1] == L'.' || name[i - 1] == L' '); --i) name[i - 1] = L'_';
    if (name.empty()) return L"_";
    if (IsDeviceName(name)) name.insert(name.find(L'.') == String_cl::npos ? name.size() : name.find(L'.'), 1, L'_');
    return name;
}

} // namespace Base_ns
