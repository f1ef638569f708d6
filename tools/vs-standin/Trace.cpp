#include "tools/vs-standin/Trace.h"
#include <windows.h>
#include "tools/vs-standin/StandinFiles.h"

namespace Standin_ns {

namespace {

using PreciseTime_t = VOID(WINAPI*)(LPFILETIME);

// GetSystemTimePreciseAsFileTime exists from Windows 8 on; before, the plain
// system time (about 1 to 16 ms steps) is what there is.
PreciseTime_t PreciseClock()
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC f = kernel ? GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime") : nullptr;
    return f ? reinterpret_cast<PreciseTime_t>(reinterpret_cast<void*>(f)) : &GetSystemTimeAsFileTime;
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

} // namespace

Trace_cl Trace_cl::FromEnvironment()
{
    Trace_cl trace;
    trace.m_path = EnvironmentValue(L"QV_STANDIN_TRACE");
    return trace;
}

unsigned long long Trace_cl::Now()
{
    static const PreciseTime_t now = PreciseClock();
    FILETIME t;
    now(&t);
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void Trace_cl::Append(const std::wstring& project, const std::wstring& config, unsigned long long start,
                      unsigned long long end, const std::wstring& outcome, const std::wstring& asked) const
{
    if (m_path.empty()) return;
    const std::string line = Utf8(project + L"\t" + config + L"\t" + std::to_wstring(start) + L"\t" +
                                  std::to_wstring(end) + L"\t" + std::to_wstring(GetCurrentProcessId()) + L"\t" +
                                  outcome + L"\t" + asked + L"\r\n");
    HANDLE h = CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    // The lock covers every offset, so the end of the file found under it is
    // where this line goes, whoever else is appending.
    OVERLAPPED whole{};
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        LARGE_INTEGER zero{};
        DWORD written = 0;
        if (SetFilePointerEx(h, zero, nullptr, FILE_END))
            WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        UnlockFileEx(h, 0, MAXDWORD, MAXDWORD, &whole);
    }
    CloseHandle(h);
}

} // namespace Standin_ns
