// The five exports and the three objects behind them. The objects are
// process-wide and live as long as the library; they only forward to the
// store and the window registry, which do their own locking.
#include "settingshost/SettingsHost.h"
#include "settingshost/RegistryStore.h"
#include "settingshost/WindowRegistry.h"
#include <cwchar>
#include <string>
#include <vector>

namespace SettingsHost_ns {
namespace {

RegistryStore_cl g_store;
WindowRegistry_cl g_windows;

// No exception may reach a caller built with another compiler: a failure
// inside (out of memory, a lock that cannot be taken) becomes the fallback.
template <class R, class F>
R Guarded(R fallback, F&& body)
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

// The caller-buffer convention of the header: the size needed, then the text
// only when all of it fits.
int CopyOut(const std::wstring& text, wchar_t* buffer, int bufferLength)
{
    int needed = static_cast<int>(text.size()) + 1;
    if (buffer && bufferLength > 0) {
        if (bufferLength >= needed) {
            wmemcpy(buffer, text.data(), text.size());
            buffer[text.size()] = L'\0';
        } else {
            buffer[0] = L'\0';
            if (bufferLength > 1) buffer[1] = L'\0';   // an empty list, for GetRecords
        }
    }
    return needed;
}

class CustomSettings_cl final : public CustomSettings {
public:
    bool RegisterString(const wchar_t* key, const wchar_t* defaultValue) override
    {
        if (!key || !*key) return false;
        return Guarded(false, [&] {
            g_store.RegisterString(key, defaultValue ? defaultValue : L"");
            return true;
        });
    }
    bool SetBool(const wchar_t* key, bool value) override
    {
        return Guarded(false, [&] { return g_store.SetBool(key, value); });
    }
    bool SetString(const wchar_t* key, const wchar_t* value) override
    {
        return Guarded(false, [&] { return g_store.SetString(key, value); });
    }
    bool GetBool(const wchar_t* key, bool defaultValue) override
    {
        return Guarded(defaultValue, [&] { return g_store.GetBool(key, defaultValue); });
    }
    int GetString(const wchar_t* key, const wchar_t* defaultValue, wchar_t* buffer,
                  int bufferLength) override
    {
        return Guarded(0, [&] {
            std::wstring value;
            if (!g_store.ReadString(key, value)) value = defaultValue ? defaultValue : L"";
            return CopyOut(value, buffer, bufferLength);
        });
    }
    int GetRegisteredString(const wchar_t* key, wchar_t* buffer, int bufferLength) override
    {
        return Guarded(0, [&] { return CopyOut(g_store.RegisteredString(key), buffer, bufferLength); });
    }
};

class RecentRecords_cl final : public RecentRecords {
public:
    bool AddRecord(const wchar_t* key, const wchar_t* value) override
    {
        return Guarded(false, [&] { return g_store.AddRecord(key, value); });
    }
    int GetRecords(const wchar_t* key, wchar_t* buffer, int bufferLength) override
    {
        return Guarded(0, [&] {
            // Entries joined by NUL; CopyOut adds the list's final NUL.
            std::wstring joined;
            for (const std::wstring& e : g_store.Records(key)) {
                joined += e;
                joined += L'\0';
            }
            return CopyOut(joined, buffer, bufferLength);
        });
    }
    int MaxRecords() override { return RegistryStore_cl::kMaxRecords; }
};

class UICommunication_cl final : public UICommunication {
public:
    bool RegisterWindow(HWND window, int id) override
    {
        return Guarded(false, [&] { return g_windows.Register(window, id); });
    }
    void UnregisterWindow(HWND window) override
    {
        Guarded(false, [&] {
            g_windows.Unregister(window);
            return true;
        });
    }
    bool SendToWindow(int id, UINT message, LPARAM param) override
    {
        return Guarded(false, [&] { return g_windows.Send(id, message, param); });
    }
};

CustomSettings_cl g_custom;
RecentRecords_cl g_recent;
UICommunication_cl g_ui;

} // namespace
} // namespace SettingsHost_ns

SETTINGSHOST_API bool InitFileStorage(const wchar_t* name)
{
    using namespace SettingsHost_ns;
    return Guarded(false, [&] { return g_store.Open(name); });
}

SETTINGSHOST_API void CloseFileStorage()
{
    using namespace SettingsHost_ns;
    Guarded(false, [] {
        g_store.Close();
        return true;
    });
}

SETTINGSHOST_API CustomSettings* GetCustomFromFile() { return &SettingsHost_ns::g_custom; }

SETTINGSHOST_API RecentRecords* GetRecentRecordFromFile() { return &SettingsHost_ns::g_recent; }

SETTINGSHOST_API UICommunication* GetUICommunication() { return &SettingsHost_ns::g_ui; }
