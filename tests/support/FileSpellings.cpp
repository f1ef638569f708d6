#include "tests/support/FileSpellings.h"
#include <windows.h>
#include <vector>
#include "common/base/Handle.h"

namespace Test_ns {
namespace {

using UnixName_fn = char*(__cdecl*)(const wchar_t*);

UnixName_fn UnixNameFunction()
{
    // Through void (*)(): the generic function type a FARPROC may become.
    return reinterpret_cast<UnixName_fn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

std::string UnixName(const String_cl& path)
{
    const UnixName_fn unixName = UnixNameFunction();
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return std::string();
    std::string text(name);
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

bool Exists(const String_cl& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Starts a Unix program through Wine (by its path on drive Z:).
void RunUnix(const String_cl& program, const String_cl& arguments)
{
    String_cl command = program + L" " + arguments;
    String_cl file = L"Z:" + program;
    for (wchar_t& c : file)
        if (c == L'/') c = L'\\';
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(file.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                        &pi))
        return;
    Base_ns::Handle_cl process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.Get(), 30000);
}

} // namespace

bool UnderWine() { return UnixNameFunction() != nullptr; }

String_cl UnixDriveSpelling(const String_cl& path)
{
    const std::string name = UnixName(path);
    if (name.empty()) return String_cl();
    String_cl spelt = L"Z:" + String_cl::FromUtf8(name);
    for (wchar_t& c : spelt)
        if (c == L'/') c = L'\\';
    return spelt;
}

String_cl ShortSpelling(const String_cl& path)
{
    std::vector<wchar_t> buf(32768);
    const DWORD n = GetShortPathNameW(path.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0 || n >= buf.size()) return String_cl();
    const String_cl shortPath(buf.data(), n);
    return Base_ns::EqualsNoCase(shortPath, path) ? String_cl() : shortPath;
}

bool MakeHardLink(const String_cl& link, const String_cl& target)
{
    return CreateHardLinkW(link.c_str(), target.c_str(), nullptr) != 0;
}

SymbolicLink_cl::SymbolicLink_cl(const String_cl& link, const String_cl& target)
{
    // Without the right to make links (no administrator, no developer mode)
    // Windows 10 and later still make one when asked to allow that.
    const DWORD allowUnprivileged = 0x2;
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(), allowUnprivileged))
        CreateSymbolicLinkW(link.c_str(), target.c_str(), 0);
    if (Exists(link) || !UnderWine()) {
        if (Exists(link)) m_path = link;
        return;
    }
    const std::string from = UnixName(link), to = UnixName(target);
    if (from.empty() || to.empty()) return;
    RunUnix(L"/bin/ln", L"-s \"" + String_cl::FromUtf8(to) + L"\" \"" + String_cl::FromUtf8(from) + L"\"");
    // Wine does not follow a Unix program to its end: its handle may be
    // signalled before the link is there.
    for (int waited = 0; !Exists(link) && waited < 10000; waited += 20) Sleep(20);
    if (!Exists(link)) return;
    m_path = link;
    m_unix = true;
}

SymbolicLink_cl::~SymbolicLink_cl()
{
    if (m_path.empty()) return;
    if (!m_unix) {
        DeleteFileW(m_path.c_str());
        return;
    }
    RunUnix(L"/bin/rm", L"-f \"" + String_cl::FromUtf8(UnixName(m_path)) + L"\"");
    for (int waited = 0; Exists(m_path) && waited < 10000; waited += 20) Sleep(20);
}

} // namespace Test_ns
