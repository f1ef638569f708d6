#include "console/ConsoleApp.h"
#include <windows.h>
#include <iterator>
#include "common/base/ComScope.h"
#include "common/base/Path.h"
#include "app/ProgramPlaces.h"
#include "app/workflow/PlanOperations.h"
#include "console/ConsoleCommands.h"
#include "console/Session.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

namespace {

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"找不到窗口程序 Quorvane.exe。"},
    {2, L"无法启动窗口程序 Quorvane.exe。"},
};

[[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note)
{
    throw Base_ns::SysError_cl(line, L"ConsoleApp", L"ConsoleApp_cl", code, kErrors, int(std::size(kErrors)), note);
}

// The window's unattended mode, started the way the IDE's console launcher
// starts its window: Quorvane.exe gets the command line unchanged, and this
// program waits for it and ends with its exit status.
int HandOverToWindow(const String_cl& argumentsText)
{
    const String_cl exe = Base_ns::ProgramFolder() + L"Quorvane.exe";
    const DWORD a = GetFileAttributesW(exe.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) Raise(1, __LINE__, exe);
    String_cl commandLine = L"\"" + exe + L"\" " + argumentsText;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        Raise(2, __LINE__, exe + L"\r\n" + String_cl::FromUnsigned(GetLastError()));
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// --data-dir: the data file, the logs, the rename record and Error.log in a
// folder of the caller's (several CI jobs on one machine, each with its own).
void UseDataFolder(const String_cl& folder)
{
    if (folder.empty()) return;
    wchar_t buf[4096];
    const DWORD n = GetFullPathNameW(folder.c_str(), 4096, buf, nullptr);
    String_cl full = n > 0 && n < 4096 ? String_cl(buf, n) : folder;
    if (full.back() != L'\\') full += L'\\';
    Base_ns::CreateDirectories(full);
    OverrideModuleDirectory(full);
    Base_ns::SysError_cl::SetLogPath(full + L"Error.log");
}

} // namespace

// Every name is checked here, as the window will read it, before the window
// starts: a name that is no plan would otherwise surface as a box that waits
// for someone, or no window at all, while this program waits for the window.
int ConsoleApp_cl::RunWindow()
{
    std::vector<String_cl> unknown;
    {
        Invocation_st none;
        Session_cl session(m_out, m_err, none);
        if (const int refused = session.FindUnknownPlans(SplitPlanList(m_argumentsText), unknown)) return refused;
    }  // the data file is let go here: the window takes it
    if (unknown.empty()) {
        const int code = HandOverToWindow(m_argumentsText);
        // The window shows what went wrong in a box, which nobody may see here.
        if (code != ExitOk)
            m_err.Line(L"窗口程序 Quorvane.exe 的退出码为 " + String_cl::FromInt(code) +
                       (code == ExitSystemError ? L"，错误记录在 Error.log 中。" : L"。"));
        return code;
    }
    for (const String_cl& name : unknown) m_err.Line(L"既不是命令也不是方案：“" + ConsoleOutput_cl::Field(name) + L"”");
    m_err.Line(UsageText());
    return ExitUserError;
}

int ConsoleApp_cl::Run(const std::vector<String_cl>& args)
{
    Session_cl::CatchInterrupts();
    ConsolePresenter_cl presenter(m_err);
    Base_ns::Presenter_cl* previous = Base_ns::CurrentPresenter();
    Base_ns::SetPresenter(&presenter);
    Base_ns::ComScope_cl com;
    int code = ExitOk;
    try {
        const Invocation_st line = ParseCommandLine(args);
        if (line.help) {
            m_out.Line(UsageText());
        } else if (line.version) {
            m_out.Line(String_cl(kProductName) + L" " + kProductVersion);
        } else if (!line.command) {
            code = RunWindow();
        } else {
            UseDataFolder(line.dataDir);
            Session_cl session(m_out, m_err, line);
            code = session.Run();
        }
    } catch (const UsageError_st& e) {
        m_err.Line(e.message);
        m_err.Line(UsageText());
        code = ExitUserError;
    } catch (const Base_ns::Error_cl& e) {
        e.Show(nullptr);
        code = e.IsSystemError() ? ExitSystemError : ExitUserError;
    } catch (...) {
        // Anything else (std::bad_alloc, ...) is a fault of the program: logged
        // and announced like any system error.
        Base_ns::ShowCurrentException(nullptr, L"ConsoleApp", __LINE__);
        code = ExitSystemError;
    }
    Base_ns::SetPresenter(previous);
    return code;
}

} // namespace Quorvane_ns
