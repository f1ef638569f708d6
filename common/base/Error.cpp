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
std::mutex g_appendMutex;

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

void Error_cl::AppendNote(std::wstring_view text)
{
    if (!m_note.empty()) m_note += L"\r\n";
    m_note += text;
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

namespace {

// Records of every process that shares the log (the window, the console
// front end, a second program folder's instance pointed at the same file)
// go in one at a time, whole: a process-wide lock would not keep two
// programs' records from interleaving.
class LogLock_cl {
public:
    explicit LogLock_cl(const String_cl& path)
    {
        uint64_t h = 1469598103934665603ull;
        for (wchar_t c : ToUpper(path)) {
            h ^= static_cast<uint16_t>(c);
            h *= 1099511628211ull;
        }
        m_mutex = CreateMutexW(nullptr, FALSE, (L"Local\\Quorvane.errorlog." + String_cl::FromUnsigned(h)).c_str());
        // A holder that died leaves WAIT_ABANDONED: the lock is ours all the same.
        if (m_mutex && WaitForSingleObject(m_mutex, 5000) == WAIT_TIMEOUT) {
            CloseHandle(m_mutex);
            m_mutex = nullptr;
        }
    }
    ~LogLock_cl()
    {
        if (!m_mutex) return;
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
    LogLock_cl(const LogLock_cl&) = delete;
    LogLock_cl& operator=(const LogLock_cl&) = delete;

private:
    HANDLE m_mutex = nullptr;
};

} // namespace

bool SysError_cl::AppendToLog() const
{
    const String_cl path = LogPath();
    std::lock_guard<std::mutex> lock(g_appendMutex);
    LogLock_cl processes(path);
    // Shared for writing too: another program appending its own record, or a
    // viewer that has the log open, must not make this record vanish.
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 20 && h == INVALID_HANDLE_VALUE; ++attempt) {
        h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        // A sharing violation passes (a program without our lock holds it
        // for a moment); anything else (a read-only folder) does not.
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) break;
        if (h == INVALID_HANDLE_VALUE) Sleep(50);
    }
    if (h == INVALID_HANDLE_VALUE) return false;
    // Each record is UTF-16LE and starts with its own byte-order mark.
    String_cl record(1, wchar_t(0xFEFF));
    record += Text();
    record += L"\r\n\r\n";
    DWORD written = 0;
    const bool ok = WriteFile(h, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written,
                              nullptr) &&
                    written == record.size() * sizeof(wchar_t);
    CloseHandle(h);
    return ok;
}

void SysError_cl::Show(HWND owner) const
{
    if (AppendToLog()) {
        ShowMessage(owner, L"出现严重错误，详细信息请看日志。", L"系统错误", MB_OK);
        return;
    }
    // The log cannot take the record: the user sees the record itself, and
    // where the log should have been.
    ShowMessage(owner, L"出现严重错误，且无法写入错误日志：\r\n" + LogPath() + L"\r\n\r\n" + Text(), L"系统错误",
                MB_OK);
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
