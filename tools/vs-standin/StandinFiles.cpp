#include "tools/vs-standin/StandinFiles.h"
#include <cwctype>

namespace Standin_ns {

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix)
{
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::wstring Trim(std::wstring_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && std::iswspace(text[b])) ++b;
    while (e > b && std::iswspace(text[e - 1])) --e;
    return std::wstring(text.substr(b, e - b));
}

bool IsAbsolutePath(std::wstring_view path)
{
    if (path.size() >= 2 && path[1] == L':') return true;
    return !path.empty() && (path[0] == L'\\' || path[0] == L'/');
}

std::wstring FullPath(const std::wstring& folder, const std::wstring& path)
{
    std::wstring joined;
    if (IsAbsolutePath(path) || folder.empty()) {
        joined = path;
    } else {
        joined = folder;
        if (joined.back() != L'\\' && joined.back() != L'/') joined += L'\\';
        joined += path;
    }
    for (auto& c : joined)
        if (c == L'/') c = L'\\';
    wchar_t small[MAX_PATH];
    DWORD n = GetFullPathNameW(joined.c_str(), MAX_PATH, small, nullptr);
    if (n == 0) return joined;
    if (n < MAX_PATH) return std::wstring(small, n);
    std::wstring big(n, L'\0');
    n = GetFullPathNameW(joined.c_str(), n, big.data(), nullptr);
    big.resize(n);
    return big;
}

std::wstring FolderOf(const std::wstring& path)
{
    size_t p = path.find_last_of(L"\\/");
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p + 1);
}

std::wstring FileNameOf(const std::wstring& path)
{
    size_t p = path.find_last_of(L"\\/");
    return p == std::wstring::npos ? path : path.substr(p + 1);
}

std::wstring StemOf(const std::wstring& path)
{
    std::wstring name = FileNameOf(path);
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring ExtensionOf(const std::wstring& path)
{
    std::wstring name = FileNameOf(path);
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

bool FileExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileTime(const std::wstring& path, unsigned long long& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    time = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool CreateFolders(const std::wstring& folder)
{
    std::wstring f = folder;
    while (f.size() > 3 && (f.back() == L'\\' || f.back() == L'/')) f.pop_back();
    if (f.empty()) return false;
    DWORD a = GetFileAttributesW(f.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring parent = FolderOf(f);
    if (!parent.empty() && parent.size() < f.size()) CreateFolders(parent);
    return CreateDirectoryW(f.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteSmallFile(const std::wstring& path, std::string_view bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool ReplaceSmallFile(const std::wstring& path, std::string_view bytes)
{
    const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    if (WriteSmallFile(temporary, bytes) &&
        MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    wchar_t small[256];
    DWORD n = GetEnvironmentVariableW(name, small, 256);
    if (n == 0) return std::wstring();
    if (n < 256) return std::wstring(small, n);
    std::wstring big(n, L'\0');
    n = GetEnvironmentVariableW(name, big.data(), n);
    big.resize(n);
    return big;
}

std::vector<std::wstring> SplitList(const std::wstring& text, std::wstring_view separators)
{
    std::vector<std::wstring> items;
    std::wstring current;
    bool quoted = false;
    auto finish = [&] {
        std::wstring t = Trim(current);
        if (!t.empty()) items.push_back(t);
        current.clear();
    };
    for (wchar_t c : text) {
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && separators.find(c) != std::wstring_view::npos) {
            finish();
        } else {
            current += c;
        }
    }
    finish();
    return items;
}

std::vector<std::wstring> SplitQuotedWords(const std::wstring& text)
{
    return SplitList(text, L" \t");
}

} // namespace Standin_ns
