#include "common/base/FileIdentity.h"
#include <windows.h>
#include <string>
#include <unordered_map>
#include <vector>
#include "common/base/Handle.h"

namespace Base_ns {
namespace {

struct Memo_st {
    int depth = 0;
    std::unordered_map<std::wstring, FileIdentity_st> identities;
};

Memo_st& ThreadMemo()
{
    thread_local Memo_st memo;
    return memo;
}

bool StartsWithNoCase(const String_cl& text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(std::wstring_view(text).substr(0, prefix.size()), prefix);
}

// "\\?\C:\x" as "C:\x", "\\?\UNC\server\share" as "\\server\share"; the
// same for the kernel's "\??\" and a drive through "\\.\". Separators are
// "\" already.
String_cl WithoutPrefix(const String_cl& path)
{
    for (const wchar_t* unc : {L"\\\\?\\UNC\\", L"\\??\\UNC\\"})
        if (StartsWithNoCase(path, unc)) return L"\\\\" + path.substr(8);
    for (const wchar_t* local : {L"\\\\?\\", L"\\??\\"})
        if (StartsWithNoCase(path, local)) return path.substr(4);
    // "\\.\C:\x" reaches the file; "\\.\PIPE\x" and the like are devices.
    if (path.size() >= 6 && path.compare(0, 4, L"\\\\.\\") == 0 && path[5] == L':') return path.substr(4);
    return path;
}

// A drive's root keeps its separator; any other trailing one goes.
String_cl WithoutTrailingSeparator(String_cl path)
{
    while (path.size() > 1 && path.back() == L'\\' && !(path.size() == 3 && path[1] == L':')) path.pop_back();
    return path;
}

String_cl FullPathName(const String_cl& path)
{
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
        if (n == 0) return path;
        if (n < buf.size()) return String_cl(buf.data(), n);
        buf.resize(n + 1);
    }
}

// A path too long for the plain Win32 form is opened through "\\?\".
String_cl OpenForm(const String_cl& full)
{
    if (full.size() < MAX_PATH - 12) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

String_cl FinalPathOf(HANDLE file)
{
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file, buf.data(), static_cast<DWORD>(buf.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return String_cl();
        if (n < buf.size()) return WithoutPrefix(String_cl(buf.data(), n));
        buf.resize(n + 1);
    }
}

// Where the root of a full path ends: "C:\" (3), "\\server\share" (up to
// the separator after the share); 0 when the path has no root of either kind.
size_t RootLength(const String_cl& full)
{
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return 3;
    if (full.compare(0, 2, L"\\\\") != 0) return 0;
    const size_t server = full.find(L'\\', 2);
    if (server == String_cl::npos) return full.size();
    const size_t share = full.find(L'\\', server + 1);
    return share == String_cl::npos ? full.size() : share;
}

// The full path as GetFullPathNameW makes it ("/" as "\", "." and ".."
// folded, relative to the current folder), without a "\\?\" prefix
// ("\\?\UNC\server\share" as "\\server\share"). Case is kept.
String_cl NormalPath(const String_cl& path)
{
    String_cl text = path;
    for (wchar_t& c : text)
        if (c == L'/') c = L'\\';
    return WithoutPrefix(FullPathName(WithoutPrefix(text)));
}

FileIdentity_st TakeIdentity(const String_cl& path);

FileIdentity_st LookUp(const String_cl& path)
{
    Memo_st& memo = ThreadMemo();
    if (memo.depth == 0) return TakeIdentity(path);
    auto found = memo.identities.find(path);
    if (found != memo.identities.end()) return found->second;
    FileIdentity_st identity = TakeIdentity(path);
    memo.identities.emplace(path, identity);
    return identity;
}

FileIdentity_st TakeIdentity(const String_cl& path)
{
    FileIdentity_st identity;
    if (path.empty()) return identity;
    const String_cl full = WithoutTrailingSeparator(NormalPath(path));
    // A device is not opened: it is no file of anyone's, and opening some
    // (a pipe, a port) can wait or change their state.
    if (full.compare(0, 4, L"\\\\.\\") == 0) {
        identity.finalPath = ToUpper(full);
        return identity;
    }
    Handle_cl file(CreateFileW(OpenForm(full).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.Valid()) {
        identity.exists = true;
        FILE_STANDARD_INFO standard;
        if (GetFileInformationByHandleEx(file.Get(), FileStandardInfo, &standard, sizeof standard)) {
            identity.links = standard.NumberOfLinks;
            BY_HANDLE_FILE_INFORMATION info;
            // A folder has one name however many links Wine counts for it.
            if (!standard.Directory && standard.NumberOfLinks > 1 && GetFileInformationByHandle(file.Get(), &info)) {
                identity.volume = info.dwVolumeSerialNumber;
                identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
                // A file system without file indexes (some network servers)
                // gives 0 to every file; then only the path tells files apart.
                identity.indexed = identity.index != 0;
            }
        }
        const String_cl final = FinalPathOf(file.Get());
        identity.finalPath = ToUpper(WithoutTrailingSeparator(final.empty() ? full : final));
        return identity;
    }
    // Missing: the folder as the file system names it, and the rest as written.
    const size_t root = RootLength(full);
    const size_t separator = full.find_last_of(L'\\');
    if (root == 0 || separator == String_cl::npos || separator < root || full.size() <= root) {
        identity.finalPath = ToUpper(full);
        return identity;
    }
    const String_cl folder = LookUp(full.substr(0, separator == root - 1 ? root : separator)).finalPath;
    identity.finalPath = folder;
    if (identity.finalPath.empty() || identity.finalPath.back() != L'\\') identity.finalPath += L'\\';
    identity.finalPath += ToUpper(std::wstring_view(full).substr(separator + 1));
    return identity;
}

} // namespace

bool FileIdentity_st::Same(const FileIdentity_st& other) const
{
    if (indexed && other.indexed && volume == other.volume && index == other.index) return true;
    if (finalPath.empty() || finalPath.size() != other.finalPath.size()) return false;
    // Stores compare one path with every record's, and paths of one plan
    // share their folders: they differ near the end, where this starts.
    for (size_t i = finalPath.size(); i-- > 0;)
        if (finalPath[i] != other.finalPath[i]) return false;
    return true;
}

bool FileIdentity_st::Inside(const FileIdentity_st& folder) const
{
    const String_cl& f = folder.finalPath;
    if (f.empty() || finalPath.size() <= f.size() || finalPath.compare(0, f.size(), f) != 0) return false;
    return f.back() == L'\\' || finalPath[f.size()] == L'\\';
}

FileIdentity_st IdentityOf(const String_cl& path) { return LookUp(path); }

const FileIdentity_st& CachedIdentity(FileIdentity_st& cache, const String_cl& path)
{
    if (cache.Empty() && !path.empty()) cache = IdentityOf(path);
    return cache;
}

IdentityScope_cl::IdentityScope_cl() { ++ThreadMemo().depth; }

IdentityScope_cl::~IdentityScope_cl()
{
    Memo_st& memo = ThreadMemo();
    if (--memo.depth == 0) memo.identities.clear();
}

} // namespace Base_ns
