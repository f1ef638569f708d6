// Quorvane.exe: the window.
#include <windows.h>
#include "app/ui/QuorvaneApp.h"
#include "common/base/CommandLine.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    Quorvane_ns::CQuorvaneApp app;
    return app.Run(Base_ns::ArgumentsText(::GetCommandLineW()));
}
