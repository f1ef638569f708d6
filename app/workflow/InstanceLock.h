#pragma once
// One program instance per data file. The window and the console front end
// each load the data file, work on their copy and save the whole of it, so
// two of them at once would silently lose each other's plans and learned
// order. The first to start takes a named lock before it reads the file and
// holds it until it ends; the system lets go of it when the holder dies, so
// a killed program never leaves it behind. Beside the lock the holder keeps
// a small shared record of what it is, so that a second instance can say
// who has the file, and a second window can bring the first one forward.
#include <windows.h>
#include <cstdint>
#include "common/base/Handle.h"
#include "common/base/String.h"

namespace Quorvane_ns {

class InstanceLock_cl {
public:
    enum Kind_en : uint32_t { Unknown = 0, Console = 1, Window = 2 };
    struct Holder_st {
        Kind_en kind = Unknown;
        uint32_t process = 0;
        HWND window = nullptr;  // the holder's main window, once it has one
    };

    InstanceLock_cl() = default;
    ~InstanceLock_cl();
    InstanceLock_cl(const InstanceLock_cl&) = delete;
    InstanceLock_cl& operator=(const InstanceLock_cl&) = delete;

    // Takes the lock of the data file at dataPath for this process, however
    // the path is spelt (the file's folder and name as the file system knows
    // them). False when another instance holds it; Holder() then says which,
    // as far as it has published itself.
    bool Acquire(const Base_ns::String_cl& dataPath, Kind_en kind);
    // What the holder published (valid after a refused Acquire).
    const Holder_st& Holder() const { return m_holder; }
    // The holder makes its main window known to later instances.
    void PublishWindow(HWND window);
    void Release();

    // The refusal a second instance shows: the data file is in use by the
    // other instance, named by its kind.
    static Base_ns::String_cl RefusalText(const Base_ns::String_cl& dataPath, const Holder_st& holder);

private:
    Base_ns::Handle_cl m_mutex;
    Base_ns::Handle_cl m_mapping;
    Holder_st* m_shared = nullptr;
    Holder_st m_holder;
    bool m_held = false;
};

} // namespace Quorvane_ns
