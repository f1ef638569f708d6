#pragma once
// A window as it is on the screen (BitBlt from the screen, so its children
// are in the picture too), written as a PNG file through WIC. Used by the
// GUI tests and by the demo's picture tool; it needs no test framework.
#include <windows.h>
#include <vector>
#include "common/base/String.h"

namespace Test_ns {

using Base_ns::String_cl;

// False when the window has no size or the file could not be written.
bool SaveWindowPicture(HWND window, const String_cl& path);
// The window's pixels as they are on the screen, top row first, each blue,
// green, red and a padding byte; empty when the window has no size.
std::vector<BYTE> WindowPixels(HWND window, int& width, int& height);

} // namespace Test_ns
