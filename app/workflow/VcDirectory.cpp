#include "app/workflow/VcDirectory.h"
#include <windows.h>
#include <iterator>
#include <string>
#include "app/engine/VcInstallation.h"
#include "common/base/Handle.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

namespace {
const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"没有设置VC安装目录。"},
    {102, L"VC安装目录是错误的。"},
    {104, L"方案不存在。"},
    {106, L"方案列表中有空的方案名：两个逗号之间或第一个逗号之前没有名字。"},
    {105, L"没有找到VC安装目录：Visual Studio安装程序的vswhere.exe不存在，或者没有报告带VC的安装。"},
};

// How long the locator may take; it answers in well under a second.
constexpr DWORD kLocatorTimeoutMs = 5000;

String_cl LocatorPath()
{
    // The installer keeps its locator in the 32-bit program folder; a 32-bit
    // Windows has only the one.
    for (const wchar_t* variable : {L"ProgramFiles(x86)", L"ProgramFiles"}) {
        wchar_t folder[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(variable, folder, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            return String_cl(folder, n) + L"\\Microsoft Visual Studio\\Installer\\vswhere.exe";
    }
    return String_cl();
}

// What the process wrote to its standard output until it ended; empty when
// it could not start or did not end in time (it is then ended).
std::string RunForOutput(const String_cl& program, const String_cl& arguments)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return std::string();
    Base_ns::Handle_cl reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    Base_ns::Handle_cl nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inheritable, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.Get();
    startup.hStdOutput = writeEnd;
    startup.hStdError = nul.Get();
    String_cl commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return std::string();
    Base_ns::Handle_cl processHandle(process.hProcess);
    Base_ns::Handle_cl thread(process.hThread);
    writer.Reset();

    // Read while it runs, so that a long answer cannot fill the pipe and
    // stall it; give up at the time limit.
    std::string output;
    const ULONGLONG deadline = GetTickCount64() + kLocatorTimeoutMs;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;  // ended, pipe closed
        if (available > 0) {
            char buffer[4096];
            DWORD read = 0;
            if (!ReadFile(readEnd, buffer, sizeof buffer < available ? sizeof buffer : available, &read, nullptr))
                break;
            output.append(buffer, read);
            continue;
        }
        if (WaitForSingleObject(processHandle.Get(), 20) == WAIT_OBJECT_0) {
            // Whatever it wrote last is in the pipe now.
            if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
            break;
        }
        if (GetTickCount64() > deadline) {
            TerminateProcess(processHandle.Get(), 1);
            return std::string();
        }
    }
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(processHandle.Get(), &exitCode) || exitCode != 0) return std::string();
    return output;
}

// The locator writes in the ANSI code page, or in UTF-8 when asked; a text
// that is valid UTF-8 is taken as that.
String_cl DecodeOutput(const std::string& bytes)
{
    if (bytes.empty()) return String_cl();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    return String_cl::FromMultiByte(bytes, n > 0 ? CP_UTF8 : CP_ACP);
}

} // namespace

Base_ns::UserError_cl MainWindowUserError(int32_t code, int32_t line, const String_cl& note)
{
    return Base_ns::UserError_cl(line, L"QuorvaneDlg", L"CQuorvaneDlg", code, kUserErrors,
                                 static_cast<int>(std::size(kUserErrors)), note);
}

String_cl NormalizeVcDirectory(const String_cl& text)
{
    String_cl dir = text;
    for (wchar_t& c : dir)
        if (c == L'/') c = L'\\';
    if (dir.empty()) throw MainWindowUserError(101, 248, L"");
    if (dir.back() != L'\\') dir += L'\\';
    return dir;
}

void CheckVcDirectory(const String_cl& directory)
{
    if (!VcInstallation_cl(directory).Exists()) throw MainWindowUserError(102, 263, L"");
}

String_cl LocateVcInstallation()
{
    const String_cl locator = LocatorPath();
    const DWORD a = locator.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(locator.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return String_cl();
    const String_cl text = DecodeOutput(RunForOutput(locator, L"-latest -property installationPath"));
    // The first line is the folder.
    const size_t end = text.find_first_of(L"\r\n");
    String_cl folder = text.substr(0, end);
    while (!folder.empty() && (folder.back() == L' ' || folder.back() == L'\t')) folder.pop_back();
    if (folder.empty() || folder.find(L'"') != String_cl::npos) return String_cl();
    folder = NormalizeVcDirectory(folder);
    // An installation without the C++ tools has no environment script.
    return VcInstallation_cl(folder).Exists() ? folder : String_cl();
}

} // namespace Quorvane_ns
