#pragma once
// Every private window message of the program, in one place. The first five
// have fixed values that the pages, the main window and the jobs share;
// the rest carry a job's reports to the window thread.
#include <windows.h>

namespace Quorvane_ns {

// To the project page (lParam: plan key) or the history page (0), through
// the settings library's window registry.
inline constexpr UINT UM_REFRESH = 0x3779;
// UM_BUILD_ONE and UM_CLEAR_PROJECTS share one value, so the receiver
// decides what it means, and each has exactly one receiver:
// - UM_BUILD_ONE is posted by the project page to its root window, the main
//   window, and only to it: wParam row key, lParam 1 build, 0 rebuild.
// - UM_CLEAR_PROJECTS is sent through the registry to PAGE_PROJECTS, which
//   only the project page registers as: drop the rows before a read.
// The main window registers under no id, and the project page is never a
// root window, so neither ever gets the other's message.
inline constexpr UINT UM_BUILD_ONE = 0x377A;
inline constexpr UINT UM_CLEAR_PROJECTS = 0x377A;
// Posted by the solution page to the main window: read the selected plan
// (with none chosen, the window greys what needs one).
inline constexpr UINT UM_READ_PLAN = 0x377B;
// Sent to the main window: wParam points at the status text.
inline constexpr UINT UM_STATUS_TEXT = 0x377C;

// Sent by a worker to the main window: wParam points at the Error_cl that
// ended its job, to be shown with the window as owner.
inline constexpr UINT UM_JOB_ERROR = 0x377D;
// Sent by a worker to the main window: wParam points at the JobEnd_st of
// the job that has just ended.
inline constexpr UINT UM_JOB_ENDED = 0x377E;
// Sent by a worker: a rebuild's clean phase is over and its build begins.
inline constexpr UINT UM_BUILD_PHASE = 0x377F;
// Sent by a worker: wParam points at the BuildProgress_st of its build walk,
// for the status line and the taskbar button.
inline constexpr UINT UM_BUILD_PROGRESS = 0x3780;
// Sent by a worker when a row has been built, its results recorded: the
// window keeps the data file up to date while the job stands still.
inline constexpr UINT UM_ROW_BUILT = 0x3781;

// Puts text into the main window's status line from any window of the
// program (a page finds the main window as its root).
inline void SendStatusText(HWND window, const wchar_t* text)
{
    ::SendMessageW(::GetAncestor(window, GA_ROOT), UM_STATUS_TEXT, reinterpret_cast<WPARAM>(text), 0);
}

} // namespace Quorvane_ns
