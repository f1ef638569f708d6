#pragma once
// Owns one kernel handle and closes it once. Win32 reports a failed open
// either as null or as INVALID_HANDLE_VALUE depending on the call; both read
// as "no handle" here, so callers test Valid() whatever produced it.
#include <windows.h>
#include <utility>

namespace Base_ns {

class Handle_cl {
public:
    Handle_cl() = default;
    explicit Handle_cl(HANDLE h) : m_h(h) {}
    ~Handle_cl() { Reset(); }
    Handle_cl(Handle_cl&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    Handle_cl& operator=(Handle_cl&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_h = std::exchange(other.m_h, nullptr);
        }
        return *this;
    }
    Handle_cl(const Handle_cl&) = delete;
    Handle_cl& operator=(const Handle_cl&) = delete;

    bool Valid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    // Gives the handle up without closing it: the caller owns it now.
    HANDLE Detach() { return std::exchange(m_h, nullptr); }
    // Closes the handle; false when CloseHandle failed (a file whose last
    // write could not be flushed reports it here).
    bool Reset(HANDLE h = nullptr)
    {
        bool ok = true;
        if (Valid()) ok = CloseHandle(m_h) != 0;
        m_h = h;
        return ok;
    }

private:
    HANDLE m_h = nullptr;
};

} // namespace Base_ns
