#include "common/sysinfo/SimulateInput.h"
#include <shellapi.h>
#include <cstring>
#include <iterator>
#include "common/base/Error.h"
#include "common/base/Path.h"

namespace SystemInfo_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\SystemInfo\\SimulateInput";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"等待时间不能为负。"},
    {2, L"窗口类名和窗口名不能同时为空。"},
    {3, L"打开剪贴板失败。"},
    {4, L"清空剪贴板失败。"},
    {5, L"剪贴板中没有字符串数据。"},
    {6, L"从剪贴板中取出字符串数据失败。"},
    {7, L"窗口句柄为空。"},
    {8, L"取得设备上下文失败。"},
    {9, L"创建设备上下文失败。"},
    {10, L"创建内存位图失败。"},
};

[[noreturn]] void Raise(int32_t code, int32_t line)
{
    throw Base_ns::SysError_cl(line, kSource, SimulateInput_cl::ClassName(), code, kErrors,
                               int(std::size(kErrors)), L"");
}

} // namespace

void SimulateInput_cl::CopyText(HWND owner, const Base_ns::String_cl& text)
{
    if (!::OpenClipboard(owner)) Raise(3, __LINE__);
    ::EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* data = block ? ::GlobalLock(block) : nullptr;
    if (!data) {
        if (block) ::GlobalFree(block);
        ::CloseClipboard();
        Raise(6, __LINE__);
    }
    std::memcpy(data, text.c_str(), bytes);
    ::GlobalUnlock(block);
    // The clipboard owns the block once it took it.
    if (!::SetClipboardData(CF_UNICODETEXT, block)) ::GlobalFree(block);
    ::CloseClipboard();
}

bool SimulateInput_cl::StartProgram(const Base_ns::String_cl& program, const Base_ns::String_cl& arguments,
                                    int show)
{
    // CreateProcessW may write into the command line.
    Base_ns::String_cl line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

void SimulateInput_cl::ShowInExplorer(const Base_ns::String_cl& path)
{
    StartProgram(Base_ns::WindowsFolder() + L"explorer.exe", L"/select,\"" + path + L"\"", SW_SHOW);
}

void SimulateInput_cl::OpenWithShell(const Base_ns::String_cl& path)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOW;
    ::ShellExecuteExW(&info);
    if (info.hProcess) ::CloseHandle(info.hProcess);
}

} // namespace SystemInfo_ns
