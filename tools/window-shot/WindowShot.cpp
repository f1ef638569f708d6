// Pictures of Quorvane's main window for the demo, taken from outside the
// program: waits until the window is up and idle (Build enabled, nothing
// being read), with --build presses Build and waits for the build to end,
// shows each of its three pages in turn as a click on its tab would, and
// writes each as a PNG file; then closes the window.
//
//     window-shot.exe <folder> [seconds to wait] [--build]
//
// Writes <folder>\方案.png, 编译工程.png and 历史顺序.png. Exit status 0 when
// all three were written.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cwchar>
#include "app/res/resource.h"
#include "tests/support/WindowPicture.h"

namespace {

BOOL CALLBACK FindMain(HWND w, LPARAM found)
{
    wchar_t caption[256] = {};
    GetWindowTextW(w, caption, 256);
    const size_t n = wcslen(caption);
    const wchar_t tail[] = L"Quorvane 0.3.2";
    const size_t t = wcslen(tail);
    if (IsWindowVisible(w) && n >= t && wcscmp(caption + n - t, tail) == 0) {
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
    }
    return TRUE;
}

bool Idle(HWND window)
{
    wchar_t status[256] = {};
    GetDlgItemTextW(window, IDC_STATUS, status, 256);
    return IsWindowEnabled(GetDlgItem(window, IDC_BUILD)) && wcsstr(status, L"正在") == nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: window-shot <folder> [seconds]\n");
        return 2;
    }
    std::wstring folder = argv[1];
    if (folder.back() != L'\\') folder += L'\\';
    const DWORD limit = (argc > 2 ? _wtoi(argv[2]) : 60) * 1000;
    const bool build = argc > 3 && wcscmp(argv[3], L"--build") == 0;
    const DWORD start = GetTickCount();
    HWND window = nullptr;
    while (!(window && Idle(window))) {
        if (GetTickCount() - start > limit) return 1;
        window = nullptr;
        EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&window));
        Sleep(200);
    }
    if (build) {
        SendMessageW(GetDlgItem(window, IDC_BUILD), BM_CLICK, 0, 0);
        Sleep(500);
        while (!Idle(window) || IsWindowEnabled(GetDlgItem(window, IDC_STOP))) {
            if (GetTickCount() - start > limit) return 1;
            Sleep(200);
        }
    }
    HWND tab = GetDlgItem(window, IDC_TAB);
    const wchar_t* names[] = {L"方案", L"编译工程", L"历史顺序"};
    int written = 0;
    for (int page = 0; page < 3; ++page) {
        // Without TCS_BUTTONS, moving the focus selects the tab and tells the
        // window, as a click on it does.
        SendMessageW(tab, TCM_SETCURFOCUS, page, 0);
        Sleep(700);
        if (Test_ns::SaveWindowPicture(window, folder + names[page] + L".png")) ++written;
    }
    SendMessageW(tab, TCM_SETCURFOCUS, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return written == 3 ? 0 : 1;
}
