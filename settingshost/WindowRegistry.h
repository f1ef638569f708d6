#pragma once
// Which window answers to which id. Looked up under a lock, sent without it:
// the receiving window may register, unregister or send again while it
// handles the message, and a worker blocked in SendMessage must not hold a
// lock the window thread could be waiting for.
#include <windows.h>
#include <iterator>
#include <map>
#include <mutex>

namespace SettingsHost_ns {

class WindowRegistry_cl {
public:
    bool Register(HWND window, int id);
    void Unregister(HWND window);
    bool Send(int id, UINT message, LPARAM param);

private:
    std::mutex m_mutex;
    std::map<int, HWND> m_windows;
};

} // namespace SettingsHost_ns
