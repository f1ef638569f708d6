#pragma once
// The program's side of SettingsHost.dll: loads the library from the
// program's folder, resolves its five exports, and offers the settings, the
// recent records and the window registry with String_cl in place of buffers.
#include <windows.h>
#include <vector>
#include "common/base/Error.h"
#include "common/base/String.h"
#include "settingshost/SettingsHost.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// Settings.
inline constexpr const wchar_t kKeyRenameCompile[] = L"更名编译";       // bool, true
inline constexpr const wchar_t kKeyStopOnError[] = L"遇错误停止";       // bool, true
inline constexpr const wchar_t kKeyAutoShutdown[] = L"自动关机";        // bool, false
inline constexpr const wchar_t kKeyVcDirectory[] = L"VC安装目录";       // text, empty
inline constexpr const wchar_t kKeyJobs[] = L"同时编译";                // text "1" to "64", "1"
inline constexpr const wchar_t kKeyPlan[] = L"方案";                    // text, "默认"
inline constexpr const wchar_t kKeySequenceFolder[] = L"序列文件目录";  // registered text, empty
// Column widths of the three lists.
inline constexpr const wchar_t kKeySolutionColumns[] = L"解决方案列表";
inline constexpr const wchar_t kKeyProjectColumns[] = L"工程列表";
inline constexpr const wchar_t kKeySequenceColumns[] = L"工程序列列表";
// Recent records.
inline constexpr const wchar_t kRecordConfigurations[] = L"编译方式";
inline constexpr const wchar_t kRecordLogPaths[] = L"日志路径";

// Ids in the window registry.
inline constexpr int PAGE_PROJECTS = 1;
inline constexpr int PAGE_HISTORY = 2;

inline constexpr const wchar_t kSettingsLibraryName[] = L"SettingsHost.dll";

// The library keeps one storage and one window registry per process, shared
// by every SettingsHost_cl. All operations may be called from any thread.
class SettingsHost_cl {
public:
    // Loads the library from the folder of the running program.
    SettingsHost_cl();
    // Loads it from folder (with or without its trailing "\").
    explicit SettingsHost_cl(const String_cl& folder);
    // Closes the storage if this object opened it. The library itself stays
    // loaded: worker threads that outlive the window may still call into it.
    ~SettingsHost_cl();
    SettingsHost_cl(const SettingsHost_cl&) = delete;
    SettingsHost_cl& operator=(const SettingsHost_cl&) = delete;

    const wchar_t* ClassName() const { return L"SettingsHost_cl"; }
    const String_cl& LibraryPath() const { return m_path; }

    // InitFileStorage / CloseFileStorage.
    void Open(const String_cl& productName);
    void Close();
    bool IsOpen() const { return m_open; }

    void RegisterString(const String_cl& key, const String_cl& defaultValue) const;
    void SetBool(const String_cl& key, bool value) const;
    void SetString(const String_cl& key, const String_cl& value) const;
    bool GetBool(const String_cl& key, bool defaultValue) const;
    String_cl GetString(const String_cl& key, const String_cl& defaultValue) const;
    // The value of a registered key (its registered default while none is stored).
    String_cl GetString(const String_cl& key) const;

    void AddRecord(const String_cl& key, const String_cl& value) const;
    // Newest first; empty when there are none.
    std::vector<String_cl> GetRecords(const String_cl& key) const;

    bool RegisterWindow(HWND window, int id) const;
    void UnregisterWindow(HWND window) const;
    // Returns after the window has handled the message; false, and nothing
    // sent, when no window is registered under id.
    bool SendToWindow(int id, UINT message, LPARAM param) const;

    // The library's objects themselves.
    CustomSettings* Custom() const { return m_custom; }
    RecentRecords* Recent() const { return m_recent; }
    UICommunication* Communication() const { return m_ui; }


private:
    void Load(const String_cl& folder);
    template <class Fn>
    Fn Resolve(const char* name) const;

    String_cl m_path;
    HMODULE m_module = nullptr;
    InitFileStorage_fn m_init = nullptr;
    CloseFileStorage_fn m_close = nullptr;
    CustomSettings* m_custom = nullptr;
    RecentRecords* m_recent = nullptr;
    UICommunication* m_ui = nullptr;
    bool m_open = false;
};

} // namespace Quorvane_ns
