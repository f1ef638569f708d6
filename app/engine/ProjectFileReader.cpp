#include "app/engine/ProjectFileReader.h"

#include <windows.h>
#include <utility>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/ProjectFileText.h"
#include "app/engine/VcxprojReader.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {

namespace {

const wchar_t kProjectNameMacro[] = L"$(ProjectName)";
const wchar_t kTargetNameMacro[] = L"$(TargetName)";

bool IsExistingFile(const String_cl& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The value of an optional attribute, empty when it is absent.
String_cl OptionalText(const IO_ns::XMLFile_cl::ElementId_cl& element, const wchar_t* name)
{
    IO_ns::XMLFile_cl::AttributeId_cl attribute = element.Attribute(name, false);
    return attribute.IsEmpty() ? String_cl() : attribute.Text();
}

// Comments or stray text between the elements carry no name; only elements count.
bool IsElement(const IO_ns::XMLFile_cl::ElementId_cl& node)
{
    if (node.IsEmpty())
        return false;
    String_cl name = node.Name();
    return !name.empty() && name[0] != L'#';
}

const wchar_t* DefaultExtension(int32_t configurationType)
{
    switch (configurationType) {
    case 1: return L".exe";
    case 2: return L".dll";
    case 4: return L".lib";
    default: return nullptr;
    }
}

// What one tool element says the configuration produces; empty when nothing.
String_cl ToolOutput(const IO_ns::XMLFile_cl::ElementId_cl& tool, const String_cl& projectName)
{
    String_cl library, target, output;
    String_cl toolName = OptionalText(tool, L"Name");
    if (toolName == L"VCLinkerTool") {
        String_cl importLibrary = OptionalText(tool, L"ImportLibrary");
        if (!importLibrary.empty())
            library = GetFileName(importLibrary);
        String_cl outputFile = OptionalText(tool, L"OutputFile");
        if (!outputFile.empty()) {
            target = FileTitle(outputFile);
            output = GetFileName(outputFile);
        }
    } else if (toolName == L"VCLibrarianTool") {
        String_cl outputFile = OptionalText(tool, L"OutputFile");
        if (!outputFile.empty())
            library = GetFileName(outputFile);
    }

    // A DLL is known by its import library, since that is what consumers link.
    if (!library.empty()) {
        if (!target.empty())
            target.ReplaceAll(kProjectNameMacro, projectName);
        library.ReplaceAll(kProjectNameMacro, projectName);
        if (!target.empty())
            library.ReplaceAll(kTargetNameMacro, target);
        return library;
    }
    if (!output.empty()) {
        if (!target.empty())
            output.ReplaceAll(kTargetNameMacro, target);
        output.ReplaceAll(kProjectNameMacro, projectName);
        return output;
    }
    return String_cl();
}

// The macros a configuration's folders and library names are written with,
// as the builder defines them for a project built on its own: the project's
// folder then stands for the solution's.
using Macros_t = std::vector<std::pair<String_cl, String_cl>>;

Macros_t ConfigurationMacros(const String_cl& vcPath, const String_cl& projectName, const String_cl& configuration)
{
    const String_cl folder = GetFileDirectory(vcPath, true);
    const size_t bar = configuration.find(L'|');
    Macros_t macros;
    macros.emplace_back(L"ProjectName", projectName);
    macros.emplace_back(L"ConfigurationName", configuration.substr(0, bar));
    macros.emplace_back(L"PlatformName", bar == String_cl::npos ? String_cl(L"Win32") : configuration.substr(bar + 1));
    macros.emplace_back(L"SolutionDir", folder);
    macros.emplace_back(L"ProjectDir", folder);
    macros.emplace_back(L"InputDir", folder);
    macros.emplace_back(L"SolutionName", FileTitle(vcPath));
    return macros;
}

// Every $(Name) replaced, names compared ignoring case as the builder
// compares them.
String_cl ExpandMacros(const String_cl& text, const Macros_t& macros)
{
    return Quorvane_ns::ExpandMacros(text, [&macros](const String_cl& name, String_cl& value) {
        for (const auto& m : macros) {
            if (Base_ns::EqualsNoCase(m.first, name)) {
                value = m.second;
                return true;
            }
        }
        return false;
    });
}

// A folder of the configuration as a full path ending in "\", so that two
// projects' folders compare as texts (ignoring case).
String_cl ConfigurationFolder(const IO_ns::XMLFile_cl::ElementId_cl& configuration, const wchar_t* attribute,
                              const wchar_t* fallback, const String_cl& vcPath, const Macros_t& macros)
{
    IO_ns::XMLFile_cl::AttributeId_cl given = configuration.Attribute(attribute, false);
    const String_cl folder = ExpandMacros(given.IsEmpty() ? String_cl(fallback) : given.Text(), macros);
    return FullPathIn(GetFileDirectory(vcPath, true), folder, true);
}

// The libraries that the linker and the librarian of the configuration name,
// by file name, as the link-failure analysis names what it could not open.
std::vector<String_cl> LinkedLibraries(const IO_ns::XMLFile_cl::ElementId_cl& configuration, const Macros_t& macros)
{
    std::vector<String_cl> libraries;
    for (IO_ns::XMLFile_cl::ElementId_cl tool = configuration.FirstChild(); !tool.IsEmpty(); tool.NextSibling()) {
        if (!IsElement(tool)) continue;
        const String_cl toolName = OptionalText(tool, L"Name");
        if (toolName != L"VCLinkerTool" && toolName != L"VCLibrarianTool") continue;
        for (const String_cl& word : DependencyWords(OptionalText(tool, L"AdditionalDependencies")))
            AddLibraryName(libraries, ExpandMacros(word, macros));
    }
    return libraries;
}

} // namespace

bool IsVcProjectFile(const String_cl& path)
{
    return HasExtension(path, L"vcproj") || HasExtension(path, L"icproj") || HasExtension(path, L"vcxproj");
}

void ReadProjectFile(Project_st& project)
{
    if (!IsExistingFile(project.path)) {
        project.exists = 0;
        project.name = FileTitle(project.path);
        return;
    }
    project.exists = 1;
    if (HasExtension(project.path, L"vcxproj")) {
        ReadVcxprojFile(project);
        return;
    }

    // An Intel C++ project only wraps the Visual C++ project beside it.
    String_cl vcPath = HasExtension(project.path, L"vcproj") ? project.path
                                                              : ReplaceExtension(project.path, L"vcproj");
    IO_ns::XMLFile_cl document;
    document.Open(vcPath);
    project.name = document.RootAttribute(L"Name").Text();

    IO_ns::XMLFile_cl::ElementId_cl configurations = document.RootChild(L"Configurations");
    for (IO_ns::XMLFile_cl::ElementId_cl configuration = configurations.FirstChild();
         !configuration.IsEmpty(); configuration.NextSibling()) {
        if (!IsElement(configuration))
            continue;
        const String_cl configurationName = configuration.Attribute(L"Name", true).Text();
        String_cl key = configurationName.Upper();
        // What every entry of this configuration shares, whichever tool names its output.
        ConfigEntry_st common;
        {
            Macros_t macros = ConfigurationMacros(vcPath, project.name, configurationName);
            common.libraries = LinkedLibraries(configuration, macros);
            common.outputFolder = ConfigurationFolder(configuration, L"OutputDirectory",
                                                      L"$(SolutionDir)$(ConfigurationName)", vcPath, macros);
            macros.emplace_back(L"OutDir", common.outputFolder);
            common.intermediateFolder = ConfigurationFolder(configuration, L"IntermediateDirectory",
                                                            L"$(ConfigurationName)", vcPath, macros);
        }

        bool resolved = false;
        for (IO_ns::XMLFile_cl::ElementId_cl tool = configuration.FirstChild(); !tool.IsEmpty();
             tool.NextSibling()) {
            if (!IsElement(tool))
                continue;
            String_cl output = ToolOutput(tool, project.name);
            if (output.empty())
                continue;
            // The first tool that names an output wins; a key met again
            // (names differing only in case) keeps its first entry.
            ConfigEntry_st entry = common;
            entry.output = output;
            project.configurations.Insert(key, entry);
            resolved = true;
        }
        if (resolved)
            continue;

        IO_ns::XMLFile_cl::AttributeId_cl type = configuration.Attribute(L"ConfigurationType", false);
        if (type.IsEmpty())
            throw ProjectPackUserError(103, 310, project.path);
        if (const wchar_t* extension = DefaultExtension(type.Number())) {
            ConfigEntry_st entry = common;
            entry.output = project.name + extension;
            project.configurations.Insert(key, entry);
        }
        // Any other type (a utility, a makefile project) produces nothing to
        // link against; the configuration stays absent and its rows ignored.
    }
    document.Close();
}

} // namespace Quorvane_ns
