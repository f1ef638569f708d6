#pragma once
// The console front end: the same data file, settings, log folders and jobs
// as the window, for unattended builds. A command line that is none of its
// commands is the window's list of plans: once every name in it is known to
// be a plan, it is handed to Quorvane.exe beside this program, which this
// program waits for.
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
    // The command line after the program name as it was typed: a list of
    // plans goes to the window unchanged, quotes and blanks included.
    void SetArgumentsText(const Base_ns::String_cl& text) { m_argumentsText = text; }

private:
    int RunWindow();

    ConsoleOutput_cl& m_out;
    ConsoleOutput_cl& m_err;
    Base_ns::String_cl m_argumentsText;
};

} // namespace Quorvane_ns
