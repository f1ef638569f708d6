#pragma once
// A window as it is on the screen (BitBlt from the screen, so its children
// are in the picture too), written as a PNG file through WIC. Used by the
// GUI tests and by the demo's picture tool; it needs no test framework.
#include <windows.h>
#include "common/base/String.h"

namespace Test_ns {

using Base_ns::String_cl;

// False when the window has no size or the file could not be written.
bool SaveWindowPicture(HWND window, const String_cl& path);

} // namespace Test_ns
