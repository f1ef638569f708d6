#pragma once
// A job's progress on the window's taskbar button, through the shell's
// taskbar list (ITaskbarList3, Windows 7 and later). Where the system has no
// such list, or the button does not exist yet, nothing is shown and nothing
// fails: the status line says the same. Used on the window thread only,
// which has COM.
#include <windows.h>
#include <shobjidl.h>
#include <functional>
#include "common/base/ComPtr.h"

namespace Quorvane_ns {

class TaskbarProgress_cl {
public:
    // Makes the list: a new reference, or null. Tests give one that records
    // the calls; an empty function restores the shell's.
    using Factory_fn = std::function<ITaskbarList3*()>;
    static void SetFactory(Factory_fn factory);

    // done of total rows; total 0 shows a running job without a count.
    void Show(HWND window, int done, int total);
    // The button as it is without a job.
    void Clear(HWND window);

private:
    ITaskbarList3* List();

    Base_ns::ComPtr_tl<ITaskbarList3> m_list;
    bool m_tried = false;
};

} // namespace Quorvane_ns
