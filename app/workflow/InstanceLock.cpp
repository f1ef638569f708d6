#include "app/workflow/InstanceLock.h"
#include "common/base/FileIdentity.h"
#include "common/base/Path.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

namespace {

uint64_t Hash(const String_cl& text)
{
    uint64_t h = 1469598103934665603ull;
    for (wchar_t c : text) {
        h ^= static_cast<uint16_t>(c);
        h *= 1099511628211ull;
    }
    return h;
}

// The lock is named after the data file's final path: every spelling of
// the path (letter case, an 8.3 name, another drive letter onto the same
// folder, a symbolic link) names one lock, whether the file exists yet or
// not (a missing file's final path is its folder's, with its name). Object
// names cannot hold "\" (nor be as long as a path may be): hence the hash.
String_cl LockKey(const String_cl& dataPath)
{
    return L"f" + String_cl::FromUnsigned(Hash(Base_ns::IdentityOf(dataPath).finalPath));
}

String_cl ObjectName(const String_cl& key, const wchar_t* suffix)
{
    return L"Local\\Quorvane.data." + key + suffix;
}

} // namespace

InstanceLock_cl::~InstanceLock_cl() { Release(); }

bool InstanceLock_cl::Acquire(const String_cl& dataPath, Kind_en kind)
{
    Release();
    const String_cl key = LockKey(dataPath);
    m_mutex.Reset(CreateMutexW(nullptr, FALSE, ObjectName(key, L"").c_str()));
    // Without a lock object there is nothing to share; go on as the only one.
    if (!m_mutex.Valid()) {
        m_held = true;
        return true;
    }
    const DWORD wait = WaitForSingleObject(m_mutex.Get(), 0);
    // WAIT_ABANDONED: the last holder died holding it; it is ours now.
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        m_mutex.Reset();
        m_holder = Holder_st();
        Base_ns::Handle_cl mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, ObjectName(key, L".holder").c_str()));
        if (mapping.Valid()) {
            if (void* view = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(Holder_st))) {
                m_holder = *static_cast<const Holder_st*>(view);
                UnmapViewOfFile(view);
            }
        }
        return false;
    }
    m_held = true;
    m_mapping.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Holder_st),
                                       ObjectName(key, L".holder").c_str()));
    if (m_mapping.Valid())
        m_shared = static_cast<Holder_st*>(MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(Holder_st)));
    if (m_shared) {
        Holder_st self;
        self.kind = kind;
        self.process = GetCurrentProcessId();
        *m_shared = self;
    }
    return true;
}

void InstanceLock_cl::PublishWindow(HWND window)
{
    if (m_shared) m_shared->window = window;
}

void InstanceLock_cl::Release()
{
    if (m_shared) {
        UnmapViewOfFile(m_shared);
        m_shared = nullptr;
    }
    m_mapping.Reset();
    if (m_held && m_mutex.Valid()) ReleaseMutex(m_mutex.Get());
    m_mutex.Reset();
    m_held = false;
}

String_cl InstanceLock_cl::RefusalText(const String_cl& dataPath, const Holder_st& holder)
{
    String_cl who;
    switch (holder.kind) {
    case Window: who = L"窗口程序 Quorvane.exe"; break;
    case Console: who = L"命令行程序 Quorvane.com"; break;
    default: who = L"另一个 Quorvane"; break;
    }
    if (holder.process != 0) who += L"（进程 " + String_cl::FromUnsigned(holder.process) + L"）";
    return L"数据文件正由" + who + L"使用：\r\n" + dataPath + L"\r\n请等它结束后再试。";
}

} // namespace Quorvane_ns
