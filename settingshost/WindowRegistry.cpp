#include "settingshost/WindowRegistry.h"

namespace SettingsHost_ns {

bool WindowRegistry_cl::Register(HWND window, int id)
{
    if (!window) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_windows[id] = window;
    return true;
}

void WindowRegistry_cl::Unregister(HWND window)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        it = it->second == window ? m_windows.erase(it) : std::next(it);
    }
}

bool WindowRegistry_cl::Send(int id, UINT message, LPARAM param)
{
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_windows.find(id);
        if (it == m_windows.end()) return false;
        window = it->second;
    }
    // A window destroyed since the look-up makes SendMessage fail harmlessly.
    SendMessageW(window, message, 0, param);
    return true;
}

} // namespace SettingsHost_ns
