#pragma once
// Paths between this program and a program of the system underneath it.
// Under Wine, MSBuild of the .NET SDK runs natively and sees Unix paths
// (/work/x/a.vcxproj) where this program sees Windows ones (Z:\work\x\a.vcxproj
// or C:\users\...\a.vcxproj inside the prefix); Wine's own kernel32 tells one
// from the other. On Windows both sides see the same path.
#include "common/base/String.h"

namespace Oracle_ns {

using Base_ns::String_cl;

// True when the program runs under Wine.
bool UnderWine();
// The path the system's programs know a Windows path by: the Unix path
// under Wine (without a trailing "/" unless the Windows path ends in "\"),
// the path itself on Windows. Empty when Wine cannot map it.
String_cl SystemPath(const String_cl& windowsPath);
// The Windows path of a path the system's programs print ("/" starting a
// Unix path under Wine), the path itself otherwise. Empty when Wine cannot
// map it.
String_cl WindowsPath(const String_cl& systemPath);

} // namespace Oracle_ns
