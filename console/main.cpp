// Quorvane.com: the console front end.
#include <windows.h>
#include <shellapi.h>
#include <vector>
#include "common/base/CommandLine.h"
#include "console/ConsoleApp.h"

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<Base_ns::String_cl> args;
    for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
    if (argv) LocalFree(argv);
    Quorvane_ns::ConsoleOutput_cl out(STD_OUTPUT_HANDLE);
    Quorvane_ns::ConsoleOutput_cl err(STD_ERROR_HANDLE);
    Quorvane_ns::ConsoleApp_cl app(out, err);
    app.SetArgumentsText(Base_ns::ArgumentsText(GetCommandLineW()));
    return app.Run(args);
}
