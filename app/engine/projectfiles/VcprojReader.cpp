#include "app/engine/projectfiles/VcprojReader.h"
#include <optional>
#include <utility>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/projectfiles/OutputRules.h"
#include "common/base/Number.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {

namespace {

using Element_t = IO_ns::XMLFile_cl::ElementId_cl;
using Macros_t = std::vector<std::pair<String_cl, String_cl>>;

// The value of an optional attribute, empty when it is absent.
String_cl OptionalText(const Element_t& element, const wchar_t* name)
{
    if (element.IsEmpty()) return String_cl();
    IO_ns::XMLFile_cl::AttributeId_cl attribute = element.Attribute(name, false);
    return attribute.IsEmpty() ? String_cl() : attribute.Text();
}

// Every $(Name) replaced, names compared ignoring case as the builder
// compares them; a name it does not define comes from the environment.
String_cl Expand(const String_cl& text, const Macros_t& macros)
{
    return ExpandMacros(text, [&macros](const String_cl& name, String_cl& value) {
        for (const auto& m : macros) {
            if (Base_ns::EqualsNoCase(m.first, name)) {
                value = m.second;
                return true;
            }
        }
        return false;
    });
}

// The words of an "AdditionalDependencies", each expanded, quoted again so
// that a macro's blanks stay inside its word.
String_cl ExpandedWords(const String_cl& dependencies, const Macros_t& macros)
{
    String_cl out;
    for (const String_cl& word : DependencyWords(dependencies)) out += L"\"" + Expand(word, macros) + L"\";";
    return out;
}

// The first tool element of that name in the configuration; empty when none.
Element_t FindTool(const Element_t& configuration, const wchar_t* name)
{
    for (Element_t tool = configuration.FirstChild(); !tool.IsEmpty(); tool.NextSibling())
        if (tool.IsElement() && OptionalText(tool, L"Name") == name) return tool;
    return Element_t();
}

// The tool that names the configuration's output itself, the first in the
// file that does: a linker naming an import library or an output file, a
// librarian naming its output.
Producer_en NamingTool(const Element_t& configuration)
{
    for (Element_t tool = configuration.FirstChild(); !tool.IsEmpty(); tool.NextSibling()) {
        if (!tool.IsElement()) continue;
        const String_cl name = OptionalText(tool, L"Name");
        if (name == L"VCLinkerTool" &&
            (!OptionalText(tool, L"ImportLibrary").empty() || !OptionalText(tool, L"OutputFile").empty()))
            return Producer_en::Linker;
        if (name == L"VCLibrarianTool" && !OptionalText(tool, L"OutputFile").empty()) return Producer_en::Librarian;
    }
    return Producer_en::ByKind;
}

// "ConfigurationType": 1 a program, 2 a DLL, 4 a static library, 0 and 10
// (makefile, utility) and any other number nothing to link; absent, the
// builder's default, a program.
std::optional<OutputKind_en> KindOf(const Element_t& configuration)
{
    IO_ns::XMLFile_cl::AttributeId_cl attribute = configuration.Attribute(L"ConfigurationType", false);
    if (attribute.IsEmpty()) return OutputKind_en::Program;
    const std::optional<int32_t> type = Base_ns::ParseNumber(attribute.Text());
    if (!type) return std::nullopt;
    switch (*type) {
    case 1: return OutputKind_en::Program;
    case 2: return OutputKind_en::DynamicLibrary;
    case 4: return OutputKind_en::StaticLibrary;
    default: return OutputKind_en::Nothing;
    }
}

const wchar_t* DefaultExtension(OutputKind_en kind)
{
    return kind == OutputKind_en::DynamicLibrary ? L".dll" : kind == OutputKind_en::StaticLibrary ? L".lib" : L".exe";
}

// The macros of the builder for one configuration of a project read in a
// solution (its own or, alone, the builder's temporary one).
Macros_t BuilderMacros(const String_cl& vcPath, const String_cl& projectName, const String_cl& configuration,
                       const SolutionContext_st& solution)
{
    const String_cl folder = GetFileDirectory(vcPath, true);
    const size_t bar = configuration.find(L'|');
    return {{L"ProjectName", projectName},
            {L"ConfigurationName", configuration.substr(0, bar)},
            {L"PlatformName", bar == String_cl::npos ? String_cl(L"Win32") : configuration.substr(bar + 1)},
            {L"SolutionDir", solution.dir},
            {L"SolutionName", solution.name},
            {L"SolutionFileName", solution.fileName},
            {L"SolutionPath", solution.path},
            {L"SolutionExt", solution.ext},
            {L"ProjectDir", folder},
            {L"ProjectPath", vcPath},
            {L"ProjectFileName", GetFileName(vcPath)},
            {L"ProjectExt", L"." + GetFileExtension(vcPath)},
            {L"InputDir", folder},
            {L"InputPath", vcPath},
            {L"InputName", FileTitle(vcPath)},
            {L"InputFileName", GetFileName(vcPath)},
            {L"InputExt", L"." + GetFileExtension(vcPath)}};
}

// A folder of the configuration as a full path ending in "\".
String_cl Folder(const Element_t& configuration, const wchar_t* attribute, const wchar_t* fallback,
                 const String_cl& vcPath, const Macros_t& macros)
{
    IO_ns::XMLFile_cl::AttributeId_cl given = configuration.Attribute(attribute, false);
    return FullPathIn(GetFileDirectory(vcPath, true), Expand(given.IsEmpty() ? String_cl(fallback) : given.Text(), macros),
                      true);
}

ConfigurationSettings_st Settings(const Element_t& configuration, const String_cl& vcPath, const String_cl& projectName,
                                  const String_cl& compilerDatabaseName, const SolutionContext_st& solution)
{
    ConfigurationSettings_st s;
    s.projectFolder = GetFileDirectory(vcPath, true);
    s.knownByNamedImportLibraryOnly = true;
    Macros_t macros =
        BuilderMacros(vcPath, projectName, configuration.Attribute(L"Name", true).Text(), solution);
    s.outDir = Folder(configuration, L"OutputDirectory", L"$(SolutionDir)$(ConfigurationName)", vcPath, macros);
    macros.emplace_back(L"OutDir", *s.outDir);
    s.intDir = Folder(configuration, L"IntermediateDirectory", L"$(ConfigurationName)", vcPath, macros);
    macros.emplace_back(L"IntDir", *s.intDir);

    s.kind = KindOf(configuration);
    if (!s.kind)
        s.unknowns.push_back(L"配置类型无法识别：" + OptionalText(configuration, L"ConfigurationType"));
    s.producer = NamingTool(configuration);
    const Element_t linker = FindTool(configuration, L"VCLinkerTool");
    const Element_t librarian = FindTool(configuration, L"VCLibrarianTool");

    // An output file named with $(TargetName) takes the project's name.
    Macros_t outputMacros = macros;
    outputMacros.emplace_back(L"TargetName", projectName);
    const String_cl linkerOutput = OptionalText(linker, L"OutputFile");
    const String_cl librarianOutput = OptionalText(librarian, L"OutputFile");
    const OutputKind_en kind = s.kind.value_or(OutputKind_en::Nothing);
    s.linkerOutput = FullPathIn(s.projectFolder,
                                Expand(linkerOutput.empty() ? String_cl(L"$(OutDir)\\$(ProjectName)" + String_cl(DefaultExtension(kind)))
                                                            : linkerOutput,
                                       outputMacros),
                                false);
    s.librarianOutput = FullPathIn(
        s.projectFolder, Expand(librarianOutput.empty() ? String_cl(L"$(OutDir)\\$(ProjectName).lib") : librarianOutput, outputMacros),
        false);

    // The rest sees the target as the producing tool names it.
    const bool linked = s.producer == Producer_en::Linker ||
                        (s.producer == Producer_en::ByKind && kind != OutputKind_en::StaticLibrary);
    const String_cl& target = linked ? *s.linkerOutput : *s.librarianOutput;
    macros.emplace_back(L"TargetName", FileTitle(target));
    macros.emplace_back(L"TargetDir", GetFileDirectory(target, true));
    macros.emplace_back(L"TargetPath", target);
    macros.emplace_back(L"TargetFileName", GetFileName(target));
    macros.emplace_back(L"TargetExt", L"." + GetFileExtension(target));

    s.importLibrary = Expand(OptionalText(linker, L"ImportLibrary"), macros);
    String_cl database = OptionalText(linker, L"ProgramDatabaseFile");
    if (database.empty() && Base_ns::EqualsNoCase(OptionalText(linker, L"GenerateDebugInformation"), L"true"))
        database = L"$(TargetDir)$(TargetName).pdb";
    s.programDatabase = Expand(database, macros);
    String_cl compiler = OptionalText(FindTool(configuration, L"VCCLCompilerTool"), L"ProgramDataBaseFileName");
    s.compilerDatabase = Expand(compiler.empty() ? String_cl(L"$(IntDir)\\") : compiler, macros);
    s.compilerDatabaseName = compilerDatabaseName;
    s.linkerLibraries = ExpandedWords(OptionalText(linker, L"AdditionalDependencies"), macros);
    s.librarianLibraries = ExpandedWords(OptionalText(librarian, L"AdditionalDependencies"), macros);
    return s;
}

// The projects the project file declares it depends on
// (References/ProjectReference), as full paths.
std::vector<String_cl> ProjectReferences(IO_ns::XMLFile_cl& document, const String_cl& vcPath)
{
    std::vector<String_cl> references;
    for (Element_t section = document.Root().FirstChild(); !section.IsEmpty(); section.NextSibling()) {
        if (!section.IsElement() || section.Name() != L"References") continue;
        for (Element_t r = section.FirstChild(); !r.IsEmpty(); r.NextSibling()) {
            if (!r.IsElement() || r.Name() != L"ProjectReference") continue;
            const String_cl relative = OptionalText(r, L"RelativePathToProject");
            if (!relative.empty()) references.push_back(FullPathIn(GetFileDirectory(vcPath, true), relative, false));
        }
    }
    return references;
}

} // namespace

void ReadVcprojFile(Project_st& project, const String_cl& vcPath, const SolutionContext_st& solution)
{
    IO_ns::XMLFile_cl document;
    document.Open(vcPath);
    project.name = document.RootAttribute(L"Name").Text();
    project.references = ProjectReferences(document, vcPath);
    // The compiler names its program database after its version: 8.00 is
    // Visual Studio 2005's, 9.00 2008's.
    const String_cl version = OptionalText(document.Root(), L"Version");
    const String_cl compilerDatabaseName = version.StartsWith(L"8.") ? L"vc80.pdb" : L"vc90.pdb";

    Element_t configurations = document.RootChild(L"Configurations");
    for (Element_t configuration = configurations.FirstChild(); !configuration.IsEmpty(); configuration.NextSibling()) {
        if (!configuration.IsElement()) continue;
        const String_cl key = configuration.Attribute(L"Name", true).Text().Upper();
        // A key met again (names differing only in case) keeps its first entry.
        if (project.configurations.Find(key)) continue;
        project.configurations.Insert(
            key, DecideOutputs(Settings(configuration, vcPath, project.name, compilerDatabaseName, solution)));
    }
    document.Close();
}

} // namespace Quorvane_ns
