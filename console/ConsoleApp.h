#pragma once
// The console front end's commands: the same data file, settings, log
// folders and jobs as the window, for unattended builds.
#include <vector>
#include "common/base/String.h"
#include "console/ConsoleOutput.h"

namespace Quorvane_ns {

class ConsoleApp_cl {
public:
    enum Exit_en { ExitOk = 0, ExitFailed = 1, ExitUserError = 2, ExitSystemError = 3 };

    ConsoleApp_cl(ConsoleOutput_cl& out, ConsoleOutput_cl& err) : m_out(out), m_err(err) {}
    // args: the words after the program name.
    int Run(const std::vector<Base_ns::String_cl>& args);
    // The command line after the program name as it was typed; a command line
    // that is none of the commands (the window's list of plans) is handed
    // to Quorvane.exe beside this program unchanged.
    void SetArgumentsText(const Base_ns::String_cl& text) { m_argumentsText = text; }

private:
    ConsoleOutput_cl& m_out;
    ConsoleOutput_cl& m_err;
    Base_ns::String_cl m_argumentsText;
};

} // namespace Quorvane_ns
