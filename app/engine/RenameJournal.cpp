#include "app/engine/RenameJournal.h"
#include <windows.h>
#include <mutex>
#include <string>
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {

namespace {

std::mutex g_pathMutex;
String_cl g_path;  // empty: the default beside the data file

using Entry_st = RenameJournal_cl::Entry_st;

// Serialises the read-modify-write of the record between the threads of this
// process and between processes (the window and the console front end may
// run side by side on one program folder).
class JournalLock_cl {
public:
    explicit JournalLock_cl(const String_cl& path)
    {
        // A mutex name cannot hold "\": name it after a hash of the path.
        uint64_t h = 1469598103934665603ull;
        for (wchar_t c : Base_ns::ToUpper(path)) {
            h ^= static_cast<uint16_t>(c);
            h *= 1099511628211ull;
        }
        String_cl name = L"Local\\Quorvane.renames." + String_cl::FromUnsigned(h);
        m_mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        // WAIT_ABANDONED: a holder died; the record itself is always whole.
        if (m_mutex) WaitForSingleObject(m_mutex, INFINITE);
    }
    ~JournalLock_cl()
    {
        if (!m_mutex) return;
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
    JournalLock_cl(const JournalLock_cl&) = delete;
    JournalLock_cl& operator=(const JournalLock_cl&) = delete;

private:
    HANDLE m_mutex;
};

uint64_t ProcessStart(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Running, and the same process as the one that wrote the entry (ids are
// reused). A process we may not look at is taken for running: better to leave
// a file alone than to pull it from under a build.
bool StillRunning(const Entry_st& e)
{
    if (e.process == 0) return false;
    if (e.process == GetCurrentProcessId()) return true;
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.process);
    if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    if (running && e.processStart != 0 && ProcessStart(h) != e.processStart) running = false;
    CloseHandle(h);
    return running;
}

bool Exists(const String_cl& path)
{
    return !path.IsEmpty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<String_cl> Split(const String_cl& text, wchar_t separator)
{
    std::vector<String_cl> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end == String_cl::npos ? String_cl::npos : end - start));
        if (end == String_cl::npos) break;
        start = end + 1;
    }
    return parts;
}

uint64_t ToNumber(const String_cl& text)
{
    uint64_t n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        n = n * 10 + uint64_t(c - L'0');
    }
    return n;
}

std::vector<Entry_st> ReadRecord(const String_cl& path)
{
    std::vector<Entry_st> entries;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return entries;
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(h);
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return entries;
    String_cl text;
    text.resize((bytes.size() - 2) / 2);
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = wchar_t(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                          (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
    for (String_cl& line : Split(text, L'\n')) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<String_cl> f = Split(line, L'\t');
        if (f.size() < 6 || f[0].empty() || f[1].empty()) continue;
        Entry_st e;
        e.original = f[0];
        e.temporary = f[1];
        e.attributes = static_cast<uint32_t>(ToNumber(f[2]));
        e.wrapper = f[3];
        e.process = static_cast<uint32_t>(ToNumber(f[4]));
        e.processStart = ToNumber(f[5]);
        entries.push_back(e);
    }
    return entries;
}

bool WriteRecord(const String_cl& path, const std::vector<Entry_st>& entries)
{
    if (entries.empty()) return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;

    String_cl text(1, wchar_t(0xFEFF));
    for (const Entry_st& e : entries) {
        text += e.original + L"\t" + e.temporary + L"\t" + String_cl::FromUnsigned(e.attributes) +
                L"\t" + e.wrapper + L"\t" + String_cl::FromUnsigned(e.process) + L"\t" +
                String_cl::FromUnsigned(e.processStart) + L"\r\n";
    }
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (wchar_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char((c >> 8) & 0xFF));
    }

    String_cl temp = path + L"." + String_cl::FromUnsigned(GetCurrentProcessId()) + L".tmp";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = FlushFileBuffers(h) && ok;
    CloseHandle(h);
    if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

} // namespace

void RenameJournal_cl::SetPath(const String_cl& path)
{
    std::lock_guard<std::mutex> lock(g_pathMutex);
    g_path = path;
}

String_cl RenameJournal_cl::Path()
{
    {
        std::lock_guard<std::mutex> lock(g_pathMutex);
        if (!g_path.IsEmpty()) return g_path;
    }
    return ModuleDirectory() + kProductName + L".renames";
}

bool RenameJournal_cl::Add(const String_cl& original, const String_cl& temporary,
                           uint32_t attributes, const String_cl& wrapper)
{
    Entry_st e;
    e.original = original;
    e.temporary = temporary;
    e.attributes = attributes;
    e.wrapper = wrapper;
    e.process = GetCurrentProcessId();
    e.processStart = ProcessStart(GetCurrentProcess());
    return AddEntry(e);
}

bool RenameJournal_cl::AddEntry(const Entry_st& entry)
{
    String_cl path = Path();
    JournalLock_cl lock(path);
    std::vector<Entry_st> entries = ReadRecord(path);
    entries.push_back(entry);
    return WriteRecord(path, entries);
}

bool RenameJournal_cl::Remove(const String_cl& original, const String_cl& temporary)
{
    String_cl path = Path();
    JournalLock_cl lock(path);
    std::vector<Entry_st> entries = ReadRecord(path);
    std::vector<Entry_st> kept;
    for (const Entry_st& e : entries)
        if (!Base_ns::EqualsNoCase(e.original, original) ||
            (!temporary.IsEmpty() && !Base_ns::EqualsNoCase(e.temporary, temporary)))
            kept.push_back(e);
    if (kept.size() == entries.size()) return true;
    return WriteRecord(path, kept);
}

std::vector<RenameJournal_cl::Entry_st> RenameJournal_cl::Entries()
{
    String_cl path = Path();
    JournalLock_cl lock(path);
    return ReadRecord(path);
}

int RenameJournal_cl::RestorePending()
{
    String_cl path = Path();
    JournalLock_cl lock(path);
    std::vector<Entry_st> entries = ReadRecord(path);
    if (entries.empty()) return 0;

    std::vector<Entry_st> kept;
    int restored = 0;
    for (const Entry_st& e : entries) {
        if (StillRunning(e)) {
            kept.push_back(e);
            continue;
        }
        const bool temporaryThere = Exists(e.temporary), originalThere = Exists(e.original);
        if (temporaryThere && !originalThere) {
            if (!MoveFileW(e.temporary.c_str(), e.original.c_str())) {
                kept.push_back(e);
                continue;
            }
            ++restored;
            if (e.attributes != INVALID_FILE_ATTRIBUTES)
                SetFileAttributesW(e.original.c_str(), e.attributes);
        } else if (!temporaryThere && originalThere) {
            // The process died between clearing the attributes and the move.
            if (e.attributes != INVALID_FILE_ATTRIBUTES)
                SetFileAttributesW(e.original.c_str(), e.attributes);
        }
        // Both there: a file at the original name (the user put one back) is
        // never replaced, and the temporary one stays for the user to see.
        if (!e.wrapper.IsEmpty()) DeleteFileW(e.wrapper.c_str());
    }
    WriteRecord(path, kept);
    return restored;
}

} // namespace Quorvane_ns
