// A stand-in for the Visual Studio installer's locator, for tests: asked
// as the program asks it ("-latest -property installationPath") it writes
// the bytes of "installationPath.txt" beside itself, as they are (so a test
// chooses their encoding), and nothing when that file is missing, as the
// real one does on a machine without an installation. Other arguments are
// refused the way the real one refuses unknown ones (exit code 87).
#include <windows.h>
#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4 || std::wstring(argv[1]) != L"-latest" || std::wstring(argv[2]) != L"-property" ||
        std::wstring(argv[3]) != L"installationPath") {
        std::fputs("Error 0x57: unexpected arguments\n", stderr);
        return 87;
    }
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"installationPath.txt";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    char buffer[4096];
    DWORD read = 0;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        DWORD written = 0;
        WriteFile(out, buffer, read, &written, nullptr);
    }
    CloseHandle(h);
    return 0;
}
