#include "common/base/Error.h"
#include "common/base/Path.h"
#include "common/base/Presenter.h"
#include <cwchar>
#include <exception>
#include <mutex>

namespace Base_ns {
namespace {

std::mutex g_logMutex;
String_cl g_logPath;   // guarded by g_logMutex

String_cl CutAfterLastBackslash(std::wstring_view path)
{
    size_t p = path.find_last_of(L'\\');
    return String_cl(p == std::wstring_view::npos ? path : path.substr(p + 1));
}

} // namespace

Error_cl::Error_cl(int32_t line, std::wstring_view sourcePath, std::wstring_view className,
                   int32_t code, const ErrorEntry_st* table, int tableSize, std::wstring_view note)
    : m_line(line), m_file(CutAfterLastBackslash(sourcePath)), m_className(className),
      m_message(L"Unexpected Error."), m_note(note), m_code(code)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    m_time = ErrorTimeText(t);
    for (int i = 0; table && i < tableSize; ++i) {
        if (table[i].code == code) {
            m_message = table[i].message ? table[i].message : L"";
            break;
        }
    }
}

String_cl ErrorTimeText(const SYSTEMTIME& t)
{
    wchar_t buf[64];
    swprintf(buf, 64, L"%u-%u-%u %u:%u:%u:%u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, t.wMilliseconds);
    return String_cl(buf);
}

String_cl TimeStampText()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    if (t.wYear < 1 || t.wYear > 9999) return String_cl(L"Invalid DateTime");
    wchar_t buf[64];
    swprintf(buf, 64, L"%04u-%02u-%02u-%02u-%02u-%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return String_cl(buf);
}

String_cl SysError_cl::Text() const
{
    String_cl s;
    s += L"时间:    " + Time() + L"\r\n";
    s += L"信息:    " + Message() + L"\r\n";
    if (!Note().empty()) {
        String_cl note = Note();
        note.ReplaceAll(L"\r\n", L"\r\n         ");
        s += L"备注:    " + note + L"\r\n";
    }
    s += L"行号:    " + String_cl::FromInt(Line()) + L"\r\n";
    if (!ClassName().empty()) s += L"类名:    " + ClassName() + L"\r\n";
    s += L"文件:    " + File();
    return s;
}

String_cl SysError_cl::LogPath()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    return g_logPath.empty() ? ProgramFolder() + L"Error.log" : g_logPath;
}

void SysError_cl::SetLogPath(const String_cl& path)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_logPath = path;
}

bool SysError_cl::AppendToLog() const
{
    String_cl path = LogPath();
    // One record at a time, so records of two threads never interleave.
    std::lock_guard<std::mutex> lock(g_logMutex);
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // Each record is UTF-16LE and starts with its own byte-order mark.
    String_cl record(1, wchar_t(0xFEFF));
    record += Text();
    record += L"\r\n\r\n";
    DWORD written = 0;
    WriteFile(h, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(h);
    return true;
}

void SysError_cl::Show(HWND owner) const
{
    if (!AppendToLog()) return;
    ShowMessage(owner, L"出现严重错误，详细信息请看日志。", L"系统错误", MB_OK);
}

String_cl UserError_cl::Text() const
{
    if (Note().empty()) return Message();
    return Message() + L"\r\n" + Note();
}

void UserError_cl::Show(HWND owner) const
{
    ShowMessage(owner, Text(), L"用户错误", MB_OK);
}

SysError_cl UnexpectedError(std::wstring_view source, int32_t line)
{
    static const ErrorEntry_st kTable[] = {{0, L"程序出现意外的异常。"}};
    String_cl note = L"未知的异常";
    try {
        if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
    } catch (const std::exception& e) {
        note = String_cl::FromMultiByte(e.what(), CP_ACP);
    } catch (...) {
    }
    return SysError_cl(line, source, L"Unexpected", 0, kTable, 1, note);
}

void ShowCurrentException(HWND owner, std::wstring_view source, int32_t line)
{
    try {
        if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
    } catch (const Error_cl& e) {
        e.Show(owner);
    } catch (...) {
        UnexpectedError(source, line).Show(owner);
    }
}

} // namespace Base_ns
