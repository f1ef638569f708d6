#pragma once
// Visual C++ project files for the tests, laid out as Visual Studio 2008
// (".vcproj") and 2010, 2015 and 2022 (".vcxproj") save them and encoded as
// they do on the system they stand for, so that the project reader and the
// builder stand-in meet the files they meet in use.
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

// ---- MSBuild projects (.vcxproj) and property sheets (.props) --------------

// The editions differ in where they put a configuration's properties: 2010
// writes them into one group, each with its own condition; 2015 and 2022
// write a group per configuration. Every edition writes the settings of the
// compiler, the linker and the librarian per configuration, and saves UTF-8
// with its mark.
enum class VcxEdition_en { Vs2010, Vs2015, Vs2022 };

// Elements with a text, in order: (name, value); an empty name is raw XML
// written as it stands (for conditions of other forms).
using XmlElements_t = std::vector<std::pair<String_cl, String_cl>>;

struct VcxConfiguration_st {
    String_cl name = L"Debug|Win32";
    String_cl type = L"StaticLibrary";  // ConfigurationType; empty leaves it out
    XmlElements_t properties;           // OutDir, IntDir, TargetName, TargetExt, ...
    XmlElements_t compile;              // the compiler's settings (ClCompile), beside the editor's own
    XmlElements_t link;                 // the linker's settings (Link)
    XmlElements_t lib;                  // the librarian's settings (Lib)
};

struct VcxProject_st {
    VcxEdition_en edition = VcxEdition_en::Vs2022;
    std::vector<VcxConfiguration_st> configurations;
    XmlElements_t globals;                 // beside the edition's own (ProjectName, ...)
    std::vector<String_cl> propertySheets; // imported for every configuration, as written
    std::vector<String_cl> references;     // ProjectReference, as written
    std::vector<String_cl> sources;        // ClCompile, relative to the project
    String_cl guid = L"{6A2B3C4D-0000-4000-8000-000000000001}";
};

String_cl VcxprojText(const VcxProject_st& project);
// A property sheet as the property manager writes it: its properties in one
// group, its linker and librarian settings in one item definition group.
String_cl PropsText(const XmlElements_t& properties, const XmlElements_t& link = {}, const XmlElements_t& lib = {},
                    const std::vector<String_cl>& imports = {});
// UTF-8 with its mark, creating the folders of the path.
bool WriteMsBuildFile(const String_cl& path, const String_cl& text);
// Then every source of the project with the bytes given.
bool WriteVcxprojAndSources(const String_cl& path, const VcxProject_st& project,
                            const std::string& sources = "int f() { return 0; }\r\n");

} // namespace Test_ns
