#include "bench/BenchSupport.h"
#include <windows.h>
#include <algorithm>
#include "common/base/Path.h"

namespace Bench_ns {

String_cl TempFolder(const wchar_t* name)
{
    wchar_t tmp[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, tmp);
    const String_cl folder =
        String_cl(tmp, n) + L"qv-bench-" + name + L"-" + String_cl::FromUnsigned(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string LibraryProjectXml(const std::string& name)
{
    return "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
           "<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"" + name + "\">\r\n"
           "  <Platforms><Platform Name=\"Win32\"/></Platforms>\r\n"
           "  <Configurations>\r\n"
           "    <Configuration Name=\"Debug|Win32\" OutputDirectory=\"out\" IntermediateDirectory=\"out\" "
           "ConfigurationType=\"4\">\r\n"
           "      <Tool Name=\"VCCLCompilerTool\"/>\r\n"
           "      <Tool Name=\"VCLibrarianTool\" OutputFile=\"out\\$(ProjectName).lib\"/>\r\n"
           "    </Configuration>\r\n"
           "  </Configurations>\r\n"
           "  <Files></Files>\r\n"
           "</VisualStudioProject>\r\n";
}

double Now()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

bool WriteFileBytes(const String_cl& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(h);
    return ok;
}

void RemoveTree(const String_cl& folder)
{
    String_cl base = folder;
    while (!base.empty() && base.back() == L'\\') base.pop_back();
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((base + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const String_cl name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const String_cl path = base + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(base.c_str());
}

String_cl StandinDirectory()
{
    return Base_ns::ProgramFolder() + L"..\\vs\\" + (GetACP() == 936 ? L"zh" : L"en") + L"\\";
}

double Mean(const std::vector<double>& values)
{
    double sum = 0;
    for (double x : values) sum += x;
    return values.empty() ? 0 : sum / double(values.size());
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace Bench_ns
