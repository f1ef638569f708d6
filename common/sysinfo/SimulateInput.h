#pragma once
// Shell and clipboard helpers, despite the name: nothing here simulates
// input. What the pages do with a path besides showing it: put it on the
// clipboard, select it in Explorer, open it with its program; and starting a
// program by its full path. The name and the class name in its errors are
// kept because stored error logs and the error tables carry them. Paths go
// to the system as wide text throughout, so a name outside the ANSI code
// page survives.
#include <windows.h>
#include "common/base/String.h"

namespace SystemInfo_ns {

class SimulateInput_cl {
public:
    static const wchar_t* ClassName() { return L"SimulateInput_cl"; }

    // As CF_UNICODETEXT; the system derives the ANSI and OEM forms for
    // programs that ask for them. owner: the window that copies, which then
    // owns the clipboard (with none, Windows refuses the data).
    static void CopyText(HWND owner, const Base_ns::String_cl& text);
    // "explorer /select," with the path in double quotes; the Explorer of
    // the Windows folder.
    static void ShowInExplorer(const Base_ns::String_cl& path);
    // The path's associated program, shown normally.
    static void OpenWithShell(const Base_ns::String_cl& path);
    // Starts the program of that full path with the arguments (quoted where
    // needed) without waiting; false when it could not be started. Nothing
    // is searched for: a program of the system is named by its place there.
    static bool StartProgram(const Base_ns::String_cl& program, const Base_ns::String_cl& arguments, int show);
};

} // namespace SystemInfo_ns
