#pragma once
// MSBuild project files (.vcxproj) for the stand-in's tests, laid out as the
// project editors of Visual Studio 2010, 2015 and 2022 write them, in UTF-8
// with its mark.
#include <utility>
#include <vector>
#include "common/base/String.h"

namespace StandinTest_ns {

using Base_ns::String_cl;

struct MsbuildConfiguration_st {
    String_cl name; // "Debug|Win32"
    String_cl type; // ConfigurationType: Application, DynamicLibrary, StaticLibrary, Utility
    // Properties such as OutDir or TargetName: 2010 writes each with the
    // configuration's condition, the later editors in a group with it.
    std::vector<std::pair<String_cl, String_cl>> properties;
    String_cl definitions; // XML in the configuration's ItemDefinitionGroup (<Link>, <Lib>)
};

struct MsbuildProject_st {
    int editor = 2022; // 2010, 2015 or 2022
    std::vector<MsbuildConfiguration_st> configurations;
    String_cl sheets; // Import elements, in every configuration's PropertySheets group
    String_cl items;  // XML in the project's ItemGroup (ClCompile, ProjectReference, ...)
};

String_cl MsbuildProjectText(const MsbuildProject_st& project);
// Creates the folders of the path.
bool WriteMsbuildProject(const String_cl& path, const MsbuildProject_st& project);
// Any text (a property sheet, a solution) in UTF-8 with its mark, as Visual Studio writes them.
bool WriteUtf8Text(const String_cl& path, const String_cl& text);

} // namespace StandinTest_ns
