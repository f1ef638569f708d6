#include "app/engine/RenameJournal.h"
#include <windows.h>
#include <mutex>
#include <string>
#include <utility>
#include "app/ProgramPlaces.h"
#include "app/engine/OneProjectSolution.h"
#include "common/base/Error.h"
#include "common/base/Handle.h"

namespace Quorvane_ns {

namespace {

std::mutex g_pathMutex;
String_cl g_path;       // empty: the default beside the data file
String_cl g_setAside;   // guarded by g_pathMutex: where a damaged record was moved

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
        m_mutex.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
        // WAIT_ABANDONED: a holder died; the record itself is always whole.
        if (m_mutex.Valid()) WaitForSingleObject(m_mutex.Get(), INFINITE);
    }
    ~JournalLock_cl()
    {
        if (m_mutex.Valid()) ReleaseMutex(m_mutex.Get());
    }
    JournalLock_cl(const JournalLock_cl&) = delete;
    JournalLock_cl& operator=(const JournalLock_cl&) = delete;

private:
    Base_ns::Handle_cl m_mutex;
};

uint64_t ProcessStart(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Running, and the same process as the one that wrote the entry (ids are
// reused). A process we may not look at is taken for running: better to leave
// a file alone than to pull it from under a build. Our own id is no
// exception: a killed program's successor often gets its id (under Wine the
// first program of a session always does), so its start time decides too.
bool StillRunning(const Entry_st& e)
{
    if (e.process == 0) return false;
    if (e.process == GetCurrentProcessId())
        return e.processStart == 0 || e.processStart == ProcessStart(GetCurrentProcess());
    Base_ns::Handle_cl h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.process));
    if (!h.Valid()) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    bool running = GetExitCodeProcess(h.Get(), &code) && code == STILL_ACTIVE;
    if (running && e.processStart != 0 && ProcessStart(h.Get()) != e.processStart) running = false;
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

bool ToNumber(const String_cl& text, uint64_t& n)
{
    n = 0;
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        n = n * 10 + uint64_t(c - L'0');
    }
    return true;
}

// What the record holds. damaged: it is there but is not a record this
// program wrote (no mark, a cut-off or foreign line); its entries may name
// temporary files that only the user can now sort out, so nothing of it is
// acted on or written over. busy: it could not be opened at all just now.
struct Record_st {
    std::vector<Entry_st> entries;
    bool damaged = false;
    bool busy = false;
};

Record_st ReadRecord(const String_cl& path)
{
    Record_st record;
    Base_ns::Handle_cl h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) {
        const DWORD e = GetLastError();
        record.busy = e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND;
        return record;
    }
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    while (ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    h.Reset();
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
        record.damaged = true;
        return record;
    }
    String_cl text;
    text.resize((bytes.size() - 2) / 2);
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = wchar_t(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                          (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
    for (String_cl& line : Split(text, L'\n')) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<String_cl> f = Split(line, L'\t');
        Entry_st e;
        uint64_t attributes = 0, process = 0;
        if (f.size() != 6 || f[0].empty() || f[1].empty() || !ToNumber(f[2], attributes) ||
            !ToNumber(f[4], process) || !ToNumber(f[5], e.processStart)) {
            record.damaged = true;
            record.entries.clear();
            return record;
        }
        e.original = f[0];
        e.temporary = f[1];
        e.attributes = static_cast<uint32_t>(attributes);
        e.wrapper = f[3];
        e.process = static_cast<uint32_t>(process);
        record.entries.push_back(e);
    }
    return record;
}

// Moves a damaged record out of the way under a name that says so, keeping
// every byte of it for the user; false when it could not be moved.
bool SetAside(const String_cl& path)
{
    const String_cl stamp = Base_ns::TimeStampText();
    for (int n = 1; n < 100; ++n) {
        String_cl aside = path + L".无法读取-" + stamp + (n == 1 ? String_cl() : L"-" + String_cl::FromInt(n));
        if (MoveFileExW(path.c_str(), aside.c_str(), 0)) {
            std::lock_guard<std::mutex> lock(g_pathMutex);
            g_setAside = aside;
            return true;
        }
        const DWORD e = GetLastError();
        if (e != ERROR_ALREADY_EXISTS && e != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

// The record's entries for a change; false when it must not be written:
// it could not be read, or it is damaged and could not be moved aside.
bool ReadForChange(const String_cl& path, std::vector<Entry_st>& entries)
{
    Record_st record = ReadRecord(path);
    if (record.busy) return false;
    if (record.damaged && !SetAside(path)) return false;
    entries = std::move(record.entries);
    return true;
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
    Base_ns::Handle_cl h(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return false;
    DWORD written = 0;
    bool ok = WriteFile(h.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = FlushFileBuffers(h.Get()) && ok;
    ok = h.Reset() && ok;
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
    std::vector<Entry_st> entries;
    if (!ReadForChange(path, entries)) return false;
    entries.push_back(entry);
    return WriteRecord(path, entries);
}

bool RenameJournal_cl::Remove(const String_cl& original, const String_cl& temporary)
{
    String_cl path = Path();
    JournalLock_cl lock(path);
    std::vector<Entry_st> entries;
    if (!ReadForChange(path, entries)) return false;
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
    return ReadRecord(path).entries;
}

String_cl RenameJournal_cl::TakeSetAsidePath()
{
    std::lock_guard<std::mutex> lock(g_pathMutex);
    return std::exchange(g_setAside, String_cl());
}

int RenameJournal_cl::RestorePending()
{
    String_cl path = Path();
    JournalLock_cl lock(path);
    std::vector<Entry_st> entries;
    // A damaged record is moved aside untouched: acting on half of it could
    // move a file onto a name the user has meanwhile used.
    if (!ReadForChange(path, entries) || entries.empty()) return 0;

    std::vector<Entry_st> kept;
    int restored = 0;
    for (const Entry_st& e : entries) {
        if (StillRunning(e)) {
            kept.push_back(e);
            continue;
        }
        // A wrapper under the original name is a copy of ours standing in
        // for the user's file (a solution that builds one project only);
        // it goes first, unless the user has put a file of their own there.
        const bool copyInPlace = !e.wrapper.IsEmpty() && e.wrapper.EqualsNoCase(e.original);
        const bool temporaryThere = Exists(e.temporary);
        if (copyInPlace && temporaryThere && Exists(e.original) && LinesLeftOutOf(e.original, e.temporary))
            DeleteFileW(e.original.c_str());
        const bool originalThere = Exists(e.original);
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
        if (!e.wrapper.IsEmpty() && !copyInPlace) DeleteFileW(e.wrapper.c_str());
    }
    WriteRecord(path, kept);
    return restored;
}

} // namespace Quorvane_ns
