#pragma once
// Where the settings live: the current user's registry,
//     HKEY_CURRENT_USER\Software\<product>\Settings   one value per key:
//                                                      REG_DWORD 0/1 or REG_SZ
//     HKEY_CURRENT_USER\Software\<product>\Recent     one REG_MULTI_SZ per key,
//                                                      newest entry first
// Why the registry and not a file of our own:
// - each value is written on its own and atomically, so a crash at any moment
//   leaves every value either old or new, never a half-written store, with no
//   temporary files or replace dance of ours;
// - every Set reaches the registry at once; nothing waits for
//   CloseFileStorage, so a program that dies keeps what it had set (Windows
//   writes the hive lazily but always consistently; Close flushes it);
// - it is per user and writable where the program's folder (under Program
//   Files) is not, and the registry API is safe to call from any thread;
// - a recent list as REG_MULTI_SZ is one value, so it too changes atomically.
// One lock serialises our own read-modify-write steps (recent lists) and
// keeps Close from pulling the keys away from a thread that is using them.
#include <windows.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace SettingsHost_ns {

class RegistryStore_cl {
public:
    static constexpr int kMaxRecords = 20;

    RegistryStore_cl() = default;
    RegistryStore_cl(const RegistryStore_cl&) = delete;
    RegistryStore_cl& operator=(const RegistryStore_cl&) = delete;
    ~RegistryStore_cl();

    // false for an unusable name or when the keys cannot be created.
    bool Open(const wchar_t* productName);
    void Close();

    bool SetBool(const wchar_t* key, bool value);
    bool SetString(const wchar_t* key, const wchar_t* value);
    bool GetBool(const wchar_t* key, bool defaultValue);
    // false (out untouched) when no text is stored under key.
    bool ReadString(const wchar_t* key, std::wstring& out);

    void RegisterString(const std::wstring& key, const std::wstring& defaultValue);
    // The stored text, else the registered default, else empty.
    std::wstring RegisteredString(const wchar_t* key);

    bool AddRecord(const wchar_t* key, const wchar_t* value);
    std::vector<std::wstring> Records(const wchar_t* key);

    static bool IsUsableName(const wchar_t* name);

private:
    void CloseLocked();
    std::vector<std::wstring> RecordsLocked(const wchar_t* key);

    std::mutex m_mutex;
    HKEY m_settings = nullptr;
    HKEY m_recent = nullptr;
    std::map<std::wstring, std::wstring> m_registered;
};

} // namespace SettingsHost_ns
