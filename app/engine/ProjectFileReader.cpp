#include "app/engine/ProjectFileReader.h"

#include <windows.h>
#include <optional>
#include <utility>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/ProjectFileText.h"
#include "app/engine/VcxprojReader.h"
#include "common/base/Number.h"
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

// A path of the configuration as a full path, taken from the project's folder.
String_cl FullPath(const String_cl& path, const String_cl& vcPath)
{
    return FullPathIn(GetFileDirectory(vcPath, true), path, false);
}

// The tool element of that name in the configuration; empty when none.
IO_ns::XMLFile_cl::ElementId_cl FindTool(const IO_ns::XMLFile_cl::ElementId_cl& configuration, const wchar_t* name)
{
    for (IO_ns::XMLFile_cl::ElementId_cl tool = configuration.FirstChild(); !tool.IsEmpty(); tool.NextSibling())
        if (IsElement(tool) && OptionalText(tool, L"Name") == name) return tool;
    return IO_ns::XMLFile_cl::ElementId_cl();
}

String_cl ToolText(const IO_ns::XMLFile_cl::ElementId_cl& tool, const wchar_t* attribute)
{
    return tool.IsEmpty() ? String_cl() : OptionalText(tool, attribute);
}

// The full paths of the files the configuration's build writes where another
// build may meet them, with the macros and defaults of the builder: the
// output of the first of linker and librarian that names one (else the
// default of the configuration type), a DLL's import library, the linker's
// program database when it makes one, and the compiler's.
void WrittenFiles(const IO_ns::XMLFile_cl::ElementId_cl& configuration, int32_t type, const String_cl& vcPath,
                  Macros_t macros, ConfigEntry_st& entry)
{
    const IO_ns::XMLFile_cl::ElementId_cl linker = FindTool(configuration, L"VCLinkerTool");
    String_cl output;
    bool linked = type == 1 || type == 2;
    for (IO_ns::XMLFile_cl::ElementId_cl tool = configuration.FirstChild(); !tool.IsEmpty(); tool.NextSibling()) {
        if (!IsElement(tool)) continue;
        const String_cl name = OptionalText(tool, L"Name");
        if (name != L"VCLinkerTool" && name != L"VCLibrarianTool") continue;
        output = OptionalText(tool, L"OutputFile");
        if (output.empty()) continue;
        linked = name == L"VCLinkerTool";
        break;
    }
    if (output.empty()) {
        const wchar_t* extension = DefaultExtension(type);
        if (!extension) return;
        output = String_cl(L"$(OutDir)\\$(ProjectName)") + extension;
    }
    entry.outputFile = FullPath(ExpandMacros(output, macros), vcPath);
    macros.emplace_back(L"TargetName", FileTitle(entry.outputFile));
    macros.emplace_back(L"TargetDir", GetFileDirectory(entry.outputFile, true));
    macros.emplace_back(L"TargetPath", entry.outputFile);
    macros.emplace_back(L"TargetFileName", GetFileName(entry.outputFile));
    macros.emplace_back(L"TargetExt", L"." + GetFileExtension(entry.outputFile));

    String_cl import = ToolText(linker, L"ImportLibrary");
    if (import.empty() && type == 2 && linked) import = L"$(TargetDir)$(TargetName).lib";
    if (!import.empty()) entry.importLibrary = FullPath(ExpandMacros(import, macros), vcPath);

    String_cl database = ToolText(linker, L"ProgramDatabaseFile");
    if (database.empty() && linked && Base_ns::EqualsNoCase(ToolText(linker, L"GenerateDebugInformation"), L"true"))
        database = L"$(TargetDir)$(TargetName).pdb";
    if (!database.empty() && linked) entry.programDatabase = FullPath(ExpandMacros(database, macros), vcPath);

    // A folder (ending in a separator) holds the compiler's "vc90.pdb".
    String_cl compiler = ToolText(FindTool(configuration, L"VCCLCompilerTool"), L"ProgramDataBaseFileName");
    if (compiler.empty()) compiler = L"$(IntDir)\\";
    compiler = ExpandMacros(compiler, macros);
    if (compiler.empty() || compiler.back() == L'\\' || compiler.back() == L'/') compiler += L"vc90.pdb";
    entry.compilerDatabase = FullPath(compiler, vcPath);
}

// The projects the project file declares it depends on
// (References/ProjectReference), as full paths.
std::vector<String_cl> ProjectReferences(IO_ns::XMLFile_cl& document, const String_cl& vcPath)
{
    std::vector<String_cl> references;
    IO_ns::XMLFile_cl::ElementId_cl root = document.Root();
    for (IO_ns::XMLFile_cl::ElementId_cl section = root.FirstChild(); !section.IsEmpty(); section.NextSibling()) {
        if (!IsElement(section) || section.Name() != L"References") continue;
        for (IO_ns::XMLFile_cl::ElementId_cl r = section.FirstChild(); !r.IsEmpty(); r.NextSibling()) {
            if (!IsElement(r) || r.Name() != L"ProjectReference") continue;
            const String_cl relative = OptionalText(r, L"RelativePathToProject");
            if (!relative.empty()) references.push_back(FullPath(relative, vcPath));
        }
    }
    return references;
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
    project.references = ProjectReferences(document, vcPath);

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
            macros.emplace_back(L"IntDir", common.intermediateFolder);
            // Read leniently here: a malformed type is the output name's
            // business below, which reports it.
            const std::optional<int32_t> type = Base_ns::ParseNumber(OptionalText(configuration, L"ConfigurationType"));
            WrittenFiles(configuration, type.value_or(0), vcPath, macros, common);
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
