#pragma once
// SettingsHost.dll: named settings, per-key lists of recently used values, and
// a registry through which any thread sends a message to a window known by an
// integer id.
//
// The boundary is kept plain so that a program built by MSVC can use a library
// built by MinGW and the other way round:
// - five extern "C" exports without name decoration;
// - three pure abstract classes with only virtual functions of plain
//   parameter types (const wchar_t*, wchar_t*, bool, int, HWND, UINT, LPARAM),
//   besides one inline forwarder compiled into the caller; no
//   standard-library type and no exception crosses the boundary;
// - no overloaded virtual functions (MSVC lays overloads out in the vtable in
//   a different order than GCC) and no virtual destructors (their vtable slots
//   differ too); the objects belong to the library and are never deleted by
//   the caller, so their destructors are protected.
//
// Strings come back through caller buffers. Every getter of text has the form
//     int Get...(..., wchar_t* buffer, int bufferLength)
// and returns the buffer size the whole result needs, in characters including
// the terminating NUL. The result is copied only when it fits; otherwise, and
// when buffer is null, the buffer (if any) receives an empty text. Callers
// retry with the returned size when it exceeds theirs. Nothing handed out
// depends on the calling thread or on a later call.
//
// All functions may be called from any thread at any time, also before
// InitFileStorage and after CloseFileStorage: getters then return their
// defaults and setters return false.
#include <windows.h>

#if defined(SETTINGSHOST_BUILD)
#define SETTINGSHOST_API extern "C" __declspec(dllexport)
#else
#define SETTINGSHOST_API extern "C" __declspec(dllimport)
#endif

// Settings of the product, each a bool or a text under a key.
class CustomSettings {
public:
    // Declares a text key and the value GetRegisteredString gives while none
    // is stored. A later registration of the same key replaces the default.
    // Registrations last until CloseFileStorage; nothing is written.
    virtual bool RegisterString(const wchar_t* key, const wchar_t* defaultValue) = 0;
    // Store the value at once; false when no storage is open or the write failed.
    virtual bool SetBool(const wchar_t* key, bool value) = 0;
    virtual bool SetString(const wchar_t* key, const wchar_t* value) = 0;
    // The stored value, or defaultValue when none of that kind is stored.
    virtual bool GetBool(const wchar_t* key, bool defaultValue) = 0;
    virtual int GetString(const wchar_t* key, const wchar_t* defaultValue, wchar_t* buffer,
                          int bufferLength) = 0;
    // The stored value of a text key, else its registered default, else empty.
    virtual int GetRegisteredString(const wchar_t* key, wchar_t* buffer, int bufferLength) = 0;

    // GetString(key) of a registered key, under its customary name.
    int GetString(const wchar_t* key, wchar_t* buffer, int bufferLength)
    {
        return GetRegisteredString(key, buffer, bufferLength);
    }

protected:
    ~CustomSettings() = default;
};

// Per key, the most recently used values, newest first.
class RecentRecords {
public:
    // Makes value the newest entry of key. An entry equal to it ignoring case
    // is dropped first; only the newest MaxRecords entries are kept. An empty
    // value records nothing and succeeds. false when no storage is open or
    // the write failed.
    virtual bool AddRecord(const wchar_t* key, const wchar_t* value) = 0;
    // The entries newest first, each NUL-terminated, followed by one more NUL
    // ("b\0a\0\0"); with no entries the list is a single NUL (size 1).
    virtual int GetRecords(const wchar_t* key, wchar_t* buffer, int bufferLength) = 0;
    // The bound of every list.
    virtual int MaxRecords() = 0;

protected:
    ~RecentRecords() = default;
};

// Which window answers to which id, shared by all threads of the process.
class UICommunication {
public:
    // window answers to id from now on, replacing any window registered under
    // it before. false for a null window.
    virtual bool RegisterWindow(HWND window, int id) = 0;
    // Forgets every id under which window is registered.
    virtual void UnregisterWindow(HWND window) = 0;
    // Sends (SendMessage, wParam 0, lParam param) message to the window
    // registered under id and returns after that window has handled it, so a
    // worker never changes data while the window is reading it. Nothing
    // happens, and false is returned, when no window is registered under id.
    // The registry is not locked while the message is handled: the window may
    // register, unregister and send in turn.
    virtual bool SendToWindow(int id, UINT message, LPARAM param) = 0;

protected:
    ~UICommunication() = default;
};

// Opens the storage of the product name. Opening again switches to the new
// name; a failed opening leaves none open. false when the storage cannot be
// opened or the name is unusable:
// empty, longer than 200 characters, or holding '\\', '/' or a control
// character.
SETTINGSHOST_API bool InitFileStorage(const wchar_t* name);
// Makes everything stored durable and closes the storage.
SETTINGSHOST_API void CloseFileStorage();
// The library's objects; always the same ones, valid while the library is loaded.
SETTINGSHOST_API CustomSettings* GetCustomFromFile();
SETTINGSHOST_API RecentRecords* GetRecentRecordFromFile();
SETTINGSHOST_API UICommunication* GetUICommunication();

// For programs that load the library with LoadLibrary/GetProcAddress.
typedef bool (*InitFileStorage_fn)(const wchar_t* name);
typedef void (*CloseFileStorage_fn)();
typedef CustomSettings* (*GetCustomFromFile_fn)();
typedef RecentRecords* (*GetRecentRecordFromFile_fn)();
typedef UICommunication* (*GetUICommunication_fn)();
