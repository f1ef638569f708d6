#include "app/engine/ProjectFileReader.h"

#include <windows.h>
#include "app/ProgramPlaces.h"
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

// The file name without folder and last extension; unlike GetFileTitle on the
// whole path, a dot in a folder name does not empty it.
String_cl FileTitle(const String_cl& path)
{
    return GetFileTitle(GetFileName(path));
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

} // namespace

void ReadProjectFile(Project_st& project)
{
    if (!IsExistingFile(project.path)) {
        project.exists = 0;
        project.name = FileTitle(project.path);
        return;
    }
    project.exists = 1;

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
        String_cl key = configuration.Attribute(L"Name", true).Text().Upper();

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
            ConfigEntry_st entry;
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
            ConfigEntry_st entry;
            entry.output = project.name + extension;
            project.configurations.Insert(key, entry);
        }
        // Any other type (a utility, a makefile project) produces nothing to
        // link against; the configuration stays absent and its rows ignored.
    }
    document.Close();
}

} // namespace Quorvane_ns
