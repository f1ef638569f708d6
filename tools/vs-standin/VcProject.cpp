#include "tools/vs-standin/VcProject.h"
#include "tools/vs-standin/StandinFiles.h"
#include <utility>

namespace Standin_ns {

namespace {

using Macros_t = std::vector<std::pair<std::wstring, std::wstring>>;

void SetMacro(Macros_t& macros, const wchar_t* name, const std::wstring& value)
{
    for (auto& m : macros)
        if (m.first == name) {
            m.second = value;
            return;
        }
    macros.emplace_back(name, value);
}

// Names compare ignoring case, as the IDE compares them.
std::wstring Expand(const std::wstring& text, const Macros_t& macros)
{
    return ExpandMacros(text, [&](const std::wstring& name, std::wstring& value) {
        for (const auto& m : macros)
            if (EqualsNoCase(m.first, name)) {
                value = m.second;
                return true;
            }
        return false;
    });
}

const XmlElement_st* FindTool(const XmlElement_st& configuration, const wchar_t* toolName)
{
    for (const auto& t : configuration.children)
        if (t.name == L"Tool" && t.AttributeText(L"Name") == toolName) return &t;
    return nullptr;
}

} // namespace

bool VcProject_cl::Load(const std::wstring& path, const std::wstring& solutionPath, std::wstring& error)
{
    std::wstring full = FullPath(std::wstring(), path);
    std::wstring vcproj = full;
    m_projectFiles.clear();
    if (!EndsWithNoCase(full, L".vcproj")) {
        // An Intel wrapper names the project it wraps; without the attribute
        // it wraps the one beside it with the same base name.
        XmlElement_st wrapper;
        if (!MiniXml_cl::Load(full, wrapper, error)) return false;
        std::wstring nested = Trim(wrapper.AttributeText(L"VCNestedProjectFileName"));
        vcproj = nested.empty() ? full.substr(0, full.size() - ExtensionOf(full).size()) + L".vcproj"
                                : FullPath(FolderOf(full), nested);
        m_projectFiles.push_back(full);
        if (!FileExists(vcproj)) {
            error = L"the wrapped project " + vcproj + L" does not exist";
            return false;
        }
    }
    m_projectFiles.push_back(vcproj);
    if (!MiniXml_cl::Load(vcproj, m_root, error)) return false;
    m_folder = FolderOf(vcproj);
    m_name = m_root.AttributeText(L"Name");
    if (m_name.empty()) m_name = StemOf(vcproj);
    m_solutionPath = solutionPath.empty() ? vcproj : FullPath(std::wstring(), solutionPath);
    return true;
}

const XmlElement_st* VcProject_cl::FindConfiguration(const std::wstring& config) const
{
    const XmlElement_st* configurations = m_root.Child(L"Configurations");
    if (!configurations) return nullptr;
    bool withPlatform = config.find(L'|') != std::wstring::npos;
    for (const auto& c : configurations->children) {
        if (c.name != L"Configuration") continue;
        std::wstring name = c.AttributeText(L"Name");
        if (!withPlatform) name = name.substr(0, name.find(L'|'));
        if (EqualsNoCase(name, config)) return &c;
    }
    return nullptr;
}

void VcProject_cl::CollectFiles(const XmlElement_st& parent, const std::wstring& config,
                                std::vector<SourceFile_st>& out) const
{
    for (const auto& e : parent.children) {
        if (e.name == L"Filter") {
            CollectFiles(e, config, out);
        } else if (e.name == L"File") {
            std::wstring written = e.AttributeText(L"RelativePath");
            bool excluded = false;
            for (const auto& fc : e.children)
                if (fc.name == L"FileConfiguration" && EqualsNoCase(fc.AttributeText(L"Name"), config) &&
                    EqualsNoCase(fc.AttributeText(L"ExcludedFromBuild"), L"true"))
                    excluded = true;
            if (!written.empty() && !excluded) out.push_back({written, FullPath(m_folder, written)});
            CollectFiles(e, config, out);
        }
    }
}

std::vector<LibraryRef_st> VcProject_cl::ReferencedLibraries(const std::wstring& config,
                                                            const std::vector<std::wstring>& libraryFolders) const
{
    std::vector<LibraryRef_st> libraries;
    const XmlElement_st* references = m_root.Child(L"References");
    if (!references) return libraries;
    // Built on its own, a project stands for its solution; so does each
    // project it references.
    const bool alone = EqualsNoCase(m_solutionPath, m_projectFiles.back());
    for (const auto& r : references->children) {
        if (r.name != L"ProjectReference") continue;
        const std::wstring relative = Trim(r.AttributeText(L"RelativePathToProject"));
        if (relative.empty()) continue;
        VcProject_cl referenced;
        ProjectPlan_st plan;
        std::wstring error;
        if (!referenced.Load(FullPath(m_folder, relative), alone ? std::wstring() : m_solutionPath, error) ||
            !referenced.Evaluate(config, libraryFolders, false, plan))
            continue;
        const std::wstring library = LinkedLibrary(plan);
        if (library.empty()) continue;
        libraries.push_back({FileNameOf(library), FileExists(library) ? library : std::wstring()});
    }
    return libraries;
}

bool VcProject_cl::Evaluate(const std::wstring& config, const std::vector<std::wstring>& libraryFolders,
                            bool withReferences, ProjectPlan_st& plan) const
{
    const XmlElement_st* configuration = FindConfiguration(config);
    if (!configuration) return false;
    plan = ProjectPlan_st();
    plan.config = configuration->AttributeText(L"Name");
    plan.projectFiles = m_projectFiles;
    std::wstring configName = plan.config.substr(0, plan.config.find(L'|'));
    size_t bar = plan.config.find(L'|');
    std::wstring platform = bar == std::wstring::npos ? L"Win32" : plan.config.substr(bar + 1);

    Macros_t macros;
    SetMacro(macros, L"ProjectName", m_name);
    SetMacro(macros, L"ConfigurationName", configName);
    SetMacro(macros, L"PlatformName", platform);
    SetMacro(macros, L"SolutionDir", FolderOf(m_solutionPath));
    SetMacro(macros, L"SolutionPath", m_solutionPath);
    SetMacro(macros, L"SolutionFileName", FileNameOf(m_solutionPath));
    SetMacro(macros, L"SolutionName", StemOf(m_solutionPath));
    SetMacro(macros, L"SolutionExt", ExtensionOf(m_solutionPath));
    SetMacro(macros, L"ProjectDir", m_folder);
    SetMacro(macros, L"ProjectPath", m_projectFiles.back());
    SetMacro(macros, L"ProjectFileName", FileNameOf(m_projectFiles.back()));
    SetMacro(macros, L"ProjectExt", ExtensionOf(m_projectFiles.back()));
    SetMacro(macros, L"InputDir", m_folder);
    SetMacro(macros, L"TargetName", m_name);

    const std::wstring* outDirAttr = configuration->Attribute(L"OutputDirectory");
    const std::wstring* intDirAttr = configuration->Attribute(L"IntermediateDirectory");
    std::wstring outDir = Expand(outDirAttr ? *outDirAttr : std::wstring(L"$(SolutionDir)$(ConfigurationName)"), macros);
    std::wstring intDir = Expand(intDirAttr ? *intDirAttr : std::wstring(L"$(ConfigurationName)"), macros);
    SetMacro(macros, L"OutDir", outDir);
    SetMacro(macros, L"IntDir", intDir);
    plan.intDir = WithSeparator(FullPath(m_folder, intDir));

    const XmlElement_st* linker = FindTool(*configuration, L"VCLinkerTool");
    const XmlElement_st* librarian = FindTool(*configuration, L"VCLibrarianTool");
    std::wstring typeText = configuration->AttributeText(L"ConfigurationType");
    int type = typeText.empty() ? 1 : _wtoi(typeText.c_str());

    // The main output: the first of the linker and the librarian (in document
    // order) that names one, else the default of the configuration type.
    std::wstring mainOutput;
    for (const auto& t : configuration->children) {
        if (&t != linker && &t != librarian) continue;
        std::wstring o = Trim(t.AttributeText(L"OutputFile"));
        if (!o.empty()) {
            mainOutput = o;
            plan.linked = &t == linker;
            break;
        }
    }
    if (mainOutput.empty()) {
        if (type == 1) mainOutput = L"$(OutDir)\\$(ProjectName).exe";
        else if (type == 2) mainOutput = L"$(OutDir)\\$(ProjectName).dll";
        else if (type == 4) mainOutput = L"$(OutDir)\\$(ProjectName).lib";
        plan.linked = type == 1 || type == 2;
    }
    std::wstring outputFolder;
    if (!mainOutput.empty()) {
        std::wstring main = FullPath(m_folder, Expand(mainOutput, macros));
        plan.outputs.push_back(main);
        outputFolder = FolderOf(main);
        SetMacro(macros, L"TargetName", StemOf(main));
        SetMacro(macros, L"TargetExt", ExtensionOf(main));
        SetMacro(macros, L"TargetFileName", FileNameOf(main));
        SetMacro(macros, L"TargetDir", outputFolder);
        SetMacro(macros, L"TargetPath", main);
        std::wstring import = linker ? Trim(linker->AttributeText(L"ImportLibrary")) : std::wstring();
        if (!import.empty()) {
            plan.importLibrary = FullPath(m_folder, Expand(import, macros));
        } else if (type == 2 && plan.linked) {
            plan.importLibrary = outputFolder + StemOf(main) + L".lib";
        }
        if (!plan.importLibrary.empty() && !EqualsNoCase(plan.importLibrary, main))
            plan.outputs.push_back(plan.importLibrary);
    }

    if (const XmlElement_st* files = m_root.Child(L"Files")) CollectFiles(*files, plan.config, plan.sources);
    if (const XmlElement_st* references = m_root.Child(L"References"))
        for (const auto& r : references->children) {
            const std::wstring relative = Trim(r.AttributeText(L"RelativePathToProject"));
            if (r.name == L"ProjectReference" && !relative.empty()) plan.references.push_back(FullPath(m_folder, relative));
        }

    for (const XmlElement_st* tool : {linker, librarian}) {
        if (!tool) continue;
        std::vector<std::wstring> libraries;
        for (const auto& word : SplitQuotedWords(tool->AttributeText(L"AdditionalDependencies")))
            libraries.push_back(Expand(word, macros));
        FindLibraries(libraries, SplitList(Expand(tool->AttributeText(L"AdditionalLibraryDirectories"), macros), L";,"),
                      outputFolder, m_folder, libraryFolders, plan);
    }
    // Visual Studio links what the referenced projects produce ("Link Library
    // Dependencies"): the linker unless told not to, the librarian only when
    // told to.
    const bool linksReferences =
        (plan.linked && !(linker && EqualsNoCase(Trim(linker->AttributeText(L"LinkLibraryDependencies")), L"false"))) ||
        (librarian && !plan.linked && EqualsNoCase(Trim(librarian->AttributeText(L"LinkLibraryDependencies")), L"true"));
    if (withReferences && linksReferences)
        for (const LibraryRef_st& lib : ReferencedLibraries(plan.config, libraryFolders)) plan.libraries.push_back(lib);
    return true;
}

} // namespace Standin_ns
