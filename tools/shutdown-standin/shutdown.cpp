// A stand-in for the system's "shutdown" command, for tests and the demo:
// copied over shutdown.exe in a Wine prefix's system folder, it runs instead
// of Wine's builtin where WINEDLLOVERRIDES says shutdown.exe=n (or the
// prefix's DllOverrides say native), and instead of shutting the machine
// down it appends its arguments as one line to "shutdown.txt" beside itself.
#include <windows.h>
#include <string>

int wmain()
{
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"shutdown.txt";
    std::wstring line = GetCommandLineW();
    // The arguments only: the program's own name (quoted or not) goes.
    const size_t start = line[0] == L'"' ? line.find(L'"', 1) + 1 : line.find(L' ');
    line = start == std::wstring::npos || start >= line.size() ? L"" : line.substr(start);
    while (!line.empty() && line[0] == L' ') line.erase(0, 1);
    const std::string bytes = std::string(line.begin(), line.end()) + "\r\n";
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return 0;
}
