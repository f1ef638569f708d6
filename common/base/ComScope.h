#pragma once
// COM for the lifetime of a scope on the current thread: every thread that
// reads or writes XML (the window, the jobs, the console) needs it. Balanced
// even when the thread had initialised COM before (S_FALSE counts too).
#include <objbase.h>

namespace Base_ns {

class ComScope_cl {
public:
    ComScope_cl() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope_cl()
    {
        if (m_ok) CoUninitialize();
    }
    ComScope_cl(const ComScope_cl&) = delete;
    ComScope_cl& operator=(const ComScope_cl&) = delete;
    // False when COM could not be initialised (another apartment model was chosen first).
    bool Initialised() const { return m_ok; }

private:
    bool m_ok;
};

} // namespace Base_ns
