#include "app/ui/QuorvaneApp.h"
#include <commctrl.h>
#include "app/ProgramPlaces.h"
#include "app/ui/QuorvaneDlg.h"
#include "app/workflow/InstanceLock.h"
#include "common/base/ComScope.h"
#include "common/base/Presenter.h"

namespace Quorvane_ns {

namespace {

// A second instance on the same data file: the first one's window comes
// forward; a console front end holding the file is named instead.
void DeferToHolder(const InstanceLock_cl& lock)
{
    const InstanceLock_cl::Holder_st& holder = lock.Holder();
    if (holder.kind == InstanceLock_cl::Window && holder.window && ::IsWindow(holder.window)) {
        if (::IsIconic(holder.window)) ::ShowWindow(holder.window, SW_RESTORE);
        ::SetForegroundWindow(holder.window);
        return;
    }
    Base_ns::ShowMessage(nullptr, InstanceLock_cl::RefusalText(DataFilePath(), holder), kProductName,
                         MB_OK | MB_ICONINFORMATION);
}

} // namespace

int CQuorvaneApp::Run(const Base_ns::String_cl& commandLine)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    Base_ns::ComScope_cl com;
    try {
        InstanceLock_cl lock;
        if (!lock.Acquire(DataFilePath(), InstanceLock_cl::Window)) {
            DeferToHolder(lock);
            return 0;
        }
        ShowStartReport(m_stores.StartProgram(DataFilePath()), nullptr);
        CQuorvaneDlg dialog(m_stores, commandLine, &lock);
        dialog.Run();
        // Saved and emptied while the window object still exists; it closes
        // the settings library when it goes.
        m_stores.EndProgram(DataFilePath());
    } catch (const Base_ns::Error_cl& e) {
        // A window that could not be made (no display), or a data file that
        // could not be saved: whoever started the program unattended, the
        // console front end or a build server, learns it from the status.
        e.Show(::GetDesktopWindow());
        return e.IsSystemError() ? 3 : 2;
    } catch (...) {
        Base_ns::ShowCurrentException(::GetDesktopWindow(), L"QuorvaneApp", __LINE__);
        return 3;
    }
    return 0;
}

} // namespace Quorvane_ns
