#pragma once
// The application object: it takes the data file for this instance, loads
// the stores, runs the main window modally, and saves the stores afterwards.
#include <windows.h>
#include "app/store/DataFile.h"
#include "common/base/String.h"

namespace Quorvane_ns {

class CQuorvaneApp {
public:
    const wchar_t* ClassName() const { return L"CQuorvaneApp"; }
    // commandLine: the program's command line after its name. The exit code
    // is 0, or, after an error that ended the program (shown, and logged when
    // it is a system error), 3 for a system error and 2 for a user error.
    int Run(const Base_ns::String_cl& commandLine);

private:
    Stores_cl m_stores;
};

} // namespace Quorvane_ns
