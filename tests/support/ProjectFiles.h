#pragma once
// Visual C++ project files for the tests, laid out as Visual Studio 2008
// saves them and encoded as it does on the system they stand for, so that the
// project reader and the builder stand-in meet the files they meet in use.
#include <string>
#include <utility>
#include <vector>
#include "common/base/String.h"

namespace Test_ns {

using Base_ns::String_cl;
// Values as meant: quotes, ampersands, angle brackets, tabs and line breaks
// are escaped when written; an empty value leaves its attribute out, as
// Visual Studio does.
using XmlAttributes_t = std::vector<std::pair<String_cl, String_cl>>;

// A Tool element. The setters return a changed copy, so that a tool is
// described in one expression: Linker(output).Dependencies(libraries).
struct [[nodiscard]] VcTool_st {
    String_cl name;
    XmlAttributes_t attributes;

    VcTool_st With(const String_cl& attribute, const String_cl& value) const;
    VcTool_st ImportLibrary(const String_cl& file) const { return With(L"ImportLibrary", file); }
    // Separated by spaces.
    VcTool_st Dependencies(const String_cl& libraries) const { return With(L"AdditionalDependencies", libraries); }
    // Separated by semicolons.
    VcTool_st LibraryFolders(const String_cl& folders) const { return With(L"AdditionalLibraryDirectories", folders); }
};

// Without an output file the type of the configuration names the output.
VcTool_st Compiler();
VcTool_st Librarian(const String_cl& outputFile = String_cl());
VcTool_st Linker(const String_cl& outputFile = String_cl());

// As ConfigurationType: leaves the attribute out.
constexpr int kNoType = -1;

struct VcConfiguration_st {
    String_cl name = L"Debug|Win32";
    int type = 4; // 1 program, 2 DLL, 4 static library, 10 utility
    std::vector<VcTool_st> tools;
    XmlAttributes_t attributes; // OutputDirectory, IntermediateDirectory, ...
};

struct VcFile_st {
    VcFile_st(const wchar_t* path) : relativePath(path) {}
    // std::wstring, not String_cl: what String_cl's operator+ returns.
    VcFile_st(const std::wstring& path, std::vector<String_cl> excluded = {})
        : relativePath(path), excludedFrom(std::move(excluded))
    {
    }

    String_cl relativePath;              // to the project's folder
    std::vector<String_cl> excludedFrom; // configurations that leave it out of the build
};

struct VcProject_st {
    String_cl name;
    std::vector<VcConfiguration_st> configurations;
    std::vector<VcFile_st> files;
    String_cl filter; // when given, the files lie in a filter of that name ("Source Files")
    std::vector<String_cl> references; // ProjectReference: paths relative to the project's folder
};

// The XML without its declaration.
String_cl VcprojText(const VcProject_st& project);
// An Intel C++ wrapper; without a nested file it stands for the project of its own base name.
String_cl WrapperText(const String_cl& nestedFile = String_cl());

// Writes the declaration Visual Studio writes for the code page (936:
// gb2312, 1252: Windows-1252, otherwise UTF-8) and the text in that code
// page, creating the folders of the path.
bool WriteXml(const String_cl& path, const String_cl& text, unsigned codePage = 65001);
bool WriteVcproj(const String_cl& path, const VcProject_st& project, unsigned codePage = 65001);
// Then every file of the project, relative to the folder of the path, with the bytes given.
bool WriteVcprojAndSources(const String_cl& path, const VcProject_st& project,
                           const std::string& sources = "int f() { return 0; }\r\n", unsigned codePage = 65001);

} // namespace Test_ns
