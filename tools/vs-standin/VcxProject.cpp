#include "tools/vs-standin/VcxProject.h"
#include <windows.h>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>
#include "tools/vs-standin/StandinFiles.h"

namespace Standin_ns {

namespace {

// MSBuild's names of properties, item types and metadata ignore case.
struct NoCaseLess_st {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                    TRUE) == CSTR_LESS_THAN;
    }
};
using Table_t = std::map<std::wstring, std::wstring, NoCaseLess_st>;

// What the installation's props give the linker before the project adds to it.
const wchar_t* const kSystemLibraries = L"kernel32.lib;user32.lib;gdi32.lib;winspool.lib;comdlg32.lib;"
                                        L"advapi32.lib;shell32.lib;ole32.lib;oleaut32.lib;uuid.lib;odbc32.lib;"
                                        L"odbccp32.lib";

// Properties the installation gives a value when the project leaves them
// undefined or empty.
bool HasDefault(const std::wstring& name)
{
    for (const wchar_t* n : {L"ProjectName", L"ConfigurationType", L"TargetName", L"TargetExt", L"OutDir", L"IntDir"})
        if (EqualsNoCase(name, n)) return true;
    return false;
}

std::wstring Machine(const std::wstring& platform)
{
    if (EqualsNoCase(platform, L"Win32") || EqualsNoCase(platform, L"x86")) return L"x86";
    if (EqualsNoCase(platform, L"x64")) return L"x64";
    if (EqualsNoCase(platform, L"ARM64")) return L"ARM64";
    if (EqualsNoCase(platform, L"ARM")) return L"ARM";
    return platform;
}

// One evaluation of the project for one configuration.
class Evaluation_cl {
public:
    struct Item_st {
        std::wstring type;
        std::wstring include;
        Table_t metadata;
    };

    Evaluation_cl(Table_t globals, std::wstring projectName)
        : m_globals(std::move(globals)), m_projectName(std::move(projectName))
    {
    }

    // Properties and imports, in document order, from the project file down.
    void ReadFile(const XmlElement_st& project, const std::wstring& path)
    {
        files.push_back(path);
        const std::wstring outer = m_thisFolder;
        m_thisFolder = FolderOf(path);
        for (const auto& e : project.children) {
            if (e.name == L"PropertyGroup") {
                if (!Applies(e)) continue;
                for (const auto& p : e.children)
                    if (Applies(p) && m_globals.find(p.name) == m_globals.end())
                        m_properties[p.name] = Expand(Trim(p.text));
            } else if (e.name == L"Import") {
                Import(e);
            } else if (e.name == L"ImportGroup") {
                if (!Applies(e)) continue;
                for (const auto& i : e.children)
                    if (i.name == L"Import") Import(i);
            } else if (e.name == L"ItemDefinitionGroup") {
                m_definitionGroups.emplace_back(&e, m_thisFolder);
            } else if (e.name == L"ItemGroup") {
                m_itemGroups.emplace_back(&e, m_thisFolder);
            }
        }
        m_thisFolder = outer;
    }

    // After all properties: item definitions, then items, as MSBuild's later passes.
    void ReadItems()
    {
        // The build's own targets end both folders with a separator.
        for (const wchar_t* folder : {L"OutDir", L"IntDir"}) {
            auto p = m_properties.find(folder);
            if (p != m_properties.end() && !p->second.empty() && p->second.back() != L'\\' && p->second.back() != L'/')
                p->second += L'\\';
        }
        const std::wstring output = Expand(L"$(OutDir)$(TargetName)$(TargetExt)");
        m_definitions[L"Link"][L"OutputFile"] = output;
        m_definitions[L"Link"][L"AdditionalDependencies"] = kSystemLibraries;
        m_definitions[L"Lib"][L"OutputFile"] = output;
        m_definitions[L"ProjectReference"][L"LinkLibraryDependencies"] = L"true";
        for (const auto& [group, folder] : m_definitionGroups) {
            m_thisFolder = folder;
            if (!Applies(*group)) continue;
            for (const auto& type : group->children)
                if (Applies(type)) SetMetadata(type, m_definitions[type.name]);
        }
        for (const auto& [group, folder] : m_itemGroups) {
            m_thisFolder = folder;
            if (!Applies(*group)) continue;
            for (const auto& item : group->children) {
                const std::wstring* include = item.Attribute(L"Include");
                if (!include || !Applies(item)) continue;
                auto defined = m_definitions.find(item.name);
                Table_t metadata = defined == m_definitions.end() ? Table_t() : defined->second;
                SetMetadata(item, metadata);
                for (const auto& each : SplitList(Expand(*include), L";"))
                    items.push_back({item.name, each, metadata});
            }
        }
    }

    std::wstring Property(const std::wstring& name) const
    {
        std::wstring value;
        Lookup(name, value);
        return value;
    }

    // The item type's metadata as its definitions leave it.
    std::wstring Definition(const wchar_t* type, const wchar_t* name) const
    {
        auto t = m_definitions.find(type);
        if (t == m_definitions.end()) return std::wstring();
        auto m = t->second.find(name);
        return m == t->second.end() ? std::wstring() : m->second;
    }

    std::wstring Expand(const std::wstring& text) const
    {
        return ExpandMacros(text,
                            [this](const std::wstring& name, std::wstring& value) { return Lookup(name, value); });
    }

    std::vector<std::wstring> files; // the project file and what it imported, each once
    std::vector<Item_st> items;
    std::wstring missingImport;      // the first imported file that does not exist

private:
    bool Lookup(const std::wstring& name, std::wstring& value) const
    {
        if (EqualsNoCase(name, L"MSBuildThisFileDirectory")) {
            value = m_thisFolder;
            return true;
        }
        auto g = m_globals.find(name);
        if (g != m_globals.end()) {
            value = g->second;
            return true;
        }
        auto p = m_properties.find(name);
        if (p != m_properties.end() && !(p->second.empty() && HasDefault(name))) {
            value = p->second;
            return true;
        }
        return Default(name, value);
    }

    bool Default(const std::wstring& name, std::wstring& value) const
    {
        const bool win32 = EqualsNoCase(Property(L"Platform"), L"Win32");
        if (EqualsNoCase(name, L"ProjectName")) value = m_projectName;
        else if (EqualsNoCase(name, L"ConfigurationType")) value = L"Application";
        else if (EqualsNoCase(name, L"TargetName")) value = Property(L"ProjectName");
        else if (EqualsNoCase(name, L"OutDir"))
            value = Expand(win32 ? L"$(SolutionDir)$(Configuration)\\"
                                 : L"$(SolutionDir)$(Platform)\\$(Configuration)\\");
        else if (EqualsNoCase(name, L"IntDir"))
            value = Expand(win32 ? L"$(Configuration)\\" : L"$(Platform)\\$(Configuration)\\");
        else if (EqualsNoCase(name, L"ConfigurationName")) value = Property(L"Configuration");
        else if (EqualsNoCase(name, L"PlatformName")) value = Property(L"Platform");
        else if (EqualsNoCase(name, L"TargetExt")) {
            std::wstring type = Property(L"ConfigurationType");
            value = EqualsNoCase(type, L"Application")      ? L".exe"
                    : EqualsNoCase(type, L"DynamicLibrary") ? L".dll"
                    : EqualsNoCase(type, L"StaticLibrary")  ? L".lib"
                                                            : L"";
        } else {
            return false;
        }
        return true;
    }

    // Conditions comparing two quoted texts ('a'=='b', 'a'!='b'), or the
    // words true and false; whatever else a condition says, it does not hold.
    bool Applies(const XmlElement_st& e) const
    {
        const std::wstring* condition = e.Attribute(L"Condition");
        if (!condition) return true;
        const std::wstring c = Trim(*condition);
        if (c.empty() || EqualsNoCase(c, L"true")) return true;
        size_t pos = 0;
        auto skipSpace = [&] {
            while (pos < c.size() && (c[pos] == L' ' || c[pos] == L'\t')) ++pos;
        };
        auto quoted = [&](std::wstring& out) {
            if (pos >= c.size() || c[pos] != L'\'') return false;
            size_t end = c.find(L'\'', pos + 1);
            if (end == std::wstring::npos) return false;
            out = c.substr(pos + 1, end - pos - 1);
            pos = end + 1;
            return true;
        };
        std::wstring left, right;
        if (!quoted(left)) return false;
        skipSpace();
        if (pos + 2 > c.size() || (c.compare(pos, 2, L"==") != 0 && c.compare(pos, 2, L"!=") != 0)) return false;
        const bool equal = c[pos] == L'=';
        pos += 2;
        skipSpace();
        if (!quoted(right)) return false;
        skipSpace();
        if (pos != c.size()) return false;
        return EqualsNoCase(Expand(left), Expand(right)) == equal;
    }

    void Import(const XmlElement_st& import)
    {
        const std::wstring written = import.AttributeText(L"Project");
        // The installation's own files are not there to read.
        if (!Applies(import) || written.find(L"$(VCTargetsPath)") != std::wstring::npos) return;
        std::wstring path = Trim(Expand(written));
        if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return;
        path = FullPath(m_thisFolder, path);
        if (!FileExists(path)) {
            // MSBuild stops at an import that is not there (a condition such
            // as Exists() is how a project makes one optional).
            if (missingImport.empty()) missingImport = path;
            return;
        }
        for (const auto& f : files)
            if (EqualsNoCase(f, path)) return; // MSBuild imports a file once
        auto document = std::make_unique<XmlElement_st>();
        std::wstring error;
        if (!MiniXml_cl::Load(path, *document, error) || document->name != L"Project") return;
        m_imported.push_back(std::move(document));
        ReadFile(*m_imported.back(), path);
    }

    // Metadata children of an item or an item definition, each in turn;
    // %(Name) stands for the value so far.
    void SetMetadata(const XmlElement_st& item, Table_t& metadata) const
    {
        for (const auto& m : item.children) {
            if (!Applies(m)) continue;
            std::wstring text = Expand(Trim(m.text)), value;
            size_t pos = 0;
            for (;;) {
                size_t open = text.find(L"%(", pos);
                size_t close = open == std::wstring::npos ? open : text.find(L')', open + 2);
                if (close == std::wstring::npos) break;
                value.append(text, pos, open - pos);
                auto inherited = metadata.find(text.substr(open + 2, close - open - 2));
                if (inherited != metadata.end()) value += inherited->second;
                pos = close + 1;
            }
            value.append(text, pos, std::wstring::npos);
            metadata[m.name] = value;
        }
    }

    Table_t m_globals;
    Table_t m_properties;
    std::wstring m_projectName;
    std::wstring m_thisFolder; // of the file being read, for $(MSBuildThisFileDirectory)
    std::map<std::wstring, Table_t, NoCaseLess_st> m_definitions;
    std::vector<std::pair<const XmlElement_st*, std::wstring>> m_definitionGroups;
    std::vector<std::pair<const XmlElement_st*, std::wstring>> m_itemGroups;
    std::vector<std::unique_ptr<XmlElement_st>> m_imported;
};

// The properties a project is evaluated with before its own: the solution's
// and the project file's, and the configuration asked for (empty when only
// its configurations are wanted).
Table_t Globals(const std::wstring& path, const std::wstring& folder, const std::wstring& solutionPath,
                const std::wstring& configuration, const std::wstring& platform)
{
    // Built alone, a project stands in a solution of its own name in its folder.
    const std::wstring solution = solutionPath.empty() ? folder + StemOf(path) + L".sln" : solutionPath;
    std::wstring projectDirectory = folder;
    if (projectDirectory.size() > 3) projectDirectory.pop_back();
    Table_t globals{{L"SolutionDir", FolderOf(solution)},
                    {L"SolutionPath", solution},
                    {L"SolutionName", StemOf(solution)},
                    {L"SolutionFileName", FileNameOf(solution)},
                    {L"SolutionExt", ExtensionOf(solution)},
                    {L"ProjectDir", folder},
                    {L"ProjectPath", path},
                    {L"ProjectFileName", FileNameOf(path)},
                    {L"ProjectExt", ExtensionOf(path)},
                    {L"MSBuildProjectName", StemOf(path)},
                    {L"MSBuildProjectFile", FileNameOf(path)},
                    {L"MSBuildProjectFullPath", path},
                    {L"MSBuildProjectDirectory", projectDirectory},
                    {L"MSBuildProjectExtension", ExtensionOf(path)}};
    // Empty ones too: the defaults of the others are made of them.
    globals[L"Configuration"] = configuration;
    globals[L"Platform"] = platform;
    return globals;
}

} // namespace

bool VcxProject_cl::Load(const std::wstring& path, const std::wstring& solutionPath, std::wstring& error)
{
    m_path = FullPath(std::wstring(), path);
    m_folder = FolderOf(m_path);
    m_solutionPath = solutionPath.empty() ? std::wstring() : FullPath(std::wstring(), solutionPath);
    m_configurations.clear();
    if (!MiniXml_cl::Load(m_path, m_root, error)) return false;
    if (m_root.name != L"Project") {
        error = L"the root element is not Project";
        return false;
    }
    m_name = StemOf(m_path);
    for (const auto& group : m_root.children) {
        if (group.name == L"PropertyGroup" && !group.Attribute(L"Condition")) {
            if (const XmlElement_st* name = group.Child(L"ProjectName"))
                if (!Trim(name->text).empty()) m_name = Trim(name->text);
        } else if (group.name == L"ItemGroup") {
            for (const auto& item : group.children) {
                if (item.name != L"ProjectConfiguration") continue;
                Configuration_st c;
                c.name = Trim(item.AttributeText(L"Include"));
                size_t bar = c.name.find(L'|');
                const XmlElement_st* configuration = item.Child(L"Configuration");
                const XmlElement_st* platform = item.Child(L"Platform");
                c.configuration = configuration ? Trim(configuration->text) : c.name.substr(0, bar);
                c.platform = platform ? Trim(platform->text)
                                      : bar == std::wstring::npos ? std::wstring() : c.name.substr(bar + 1);
                if (!c.name.empty()) m_configurations.push_back(c);
            }
        }
    }
    // Configurations a sheet lists (one the solution's projects share): as
    // MSBuild finds them, through the imports, with no configuration set.
    try {
        Evaluation_cl ev(Globals(m_path, m_folder, m_solutionPath, std::wstring(), std::wstring()), m_name);
        ev.ReadFile(m_root, m_path);
        ev.ReadItems();
        for (const auto& item : ev.items) {
            if (!EqualsNoCase(item.type, L"ProjectConfiguration") || FindConfiguration(Trim(item.include))) continue;
            Configuration_st c;
            c.name = Trim(item.include);
            const size_t bar = c.name.find(L'|');
            auto configuration = item.metadata.find(L"Configuration");
            auto platform = item.metadata.find(L"Platform");
            c.configuration = configuration != item.metadata.end() ? Trim(configuration->second) : c.name.substr(0, bar);
            c.platform = platform != item.metadata.end()  ? Trim(platform->second)
                         : bar == std::wstring::npos ? std::wstring()
                                                     : c.name.substr(bar + 1);
            if (!c.name.empty()) m_configurations.push_back(c);
        }
    } catch (const std::length_error&) {
        // Values past what the builder holds: a configuration asked for fails to load.
    }
    return true;
}

const VcxProject_cl::Configuration_st* VcxProject_cl::FindConfiguration(const std::wstring& config) const
{
    bool withPlatform = config.find(L'|') != std::wstring::npos;
    for (const auto& c : m_configurations)
        if (EqualsNoCase(withPlatform ? c.name : c.configuration, config)) return &c;
    return nullptr;
}

bool VcxProject_cl::Plan(const std::wstring& config, const std::vector<std::wstring>& libraryFolders,
                         ProjectPlan_st& plan) const
{
    return Evaluate(config, libraryFolders, true, plan);
}

bool VcxProject_cl::Evaluate(const std::wstring& config, const std::vector<std::wstring>& libraryFolders,
                             bool withReferences, ProjectPlan_st& plan) const
{
    const Configuration_st* c = FindConfiguration(config);
    if (!c) return false;
    try {
        return EvaluateConfiguration(*c, libraryFolders, withReferences, plan);
    } catch (const std::length_error&) {
        plan = ProjectPlan_st();
        plan.config = c->name;
        plan.outOfMemory = true;
        return true;
    }
}

bool VcxProject_cl::EvaluateConfiguration(const Configuration_st& configuration,
                                          const std::vector<std::wstring>& libraryFolders, bool withReferences,
                                          ProjectPlan_st& plan) const
{
    const Configuration_st* c = &configuration;
    Evaluation_cl ev(Globals(m_path, m_folder, m_solutionPath, c->configuration, c->platform), m_name);
    ev.ReadFile(m_root, m_path);
    ev.ReadItems();

    plan = ProjectPlan_st();
    plan.config = c->name;
    plan.projectFiles = ev.files;
    if (!ev.missingImport.empty()) {
        plan.error = ev.missingImport;
        return true;
    }
    plan.machine = Machine(c->platform);
    const std::wstring intDir = ev.Property(L"IntDir");
    plan.intDir = WithSeparator(FullPath(m_folder, intDir));
    std::vector<std::wstring> references;
    for (const auto& item : ev.items) {
        auto excluded = item.metadata.find(L"ExcludedFromBuild");
        if (excluded != item.metadata.end() && EqualsNoCase(excluded->second, L"true")) continue;
        if (EqualsNoCase(item.type, L"ClCompile") || EqualsNoCase(item.type, L"ClInclude") ||
            EqualsNoCase(item.type, L"ResourceCompile")) {
            plan.sources.push_back({item.include, FullPath(m_folder, item.include)});
            if (plan.firstObject.empty() && EqualsNoCase(item.type, L"ClCompile"))
                plan.firstObject = intDir + StemOf(item.include) + L".obj";
        } else if (EqualsNoCase(item.type, L"ProjectReference")) {
            plan.references.push_back(FullPath(m_folder, item.include));
            auto link = item.metadata.find(L"LinkLibraryDependencies");
            if (link == item.metadata.end() || !EqualsNoCase(link->second, L"false"))
                references.push_back(FullPath(m_folder, item.include));
        }
    }
    if (plan.firstObject.empty()) plan.firstObject = intDir + ev.Property(L"TargetName") + L".obj";

    const std::wstring type = ev.Property(L"ConfigurationType");
    const bool library = EqualsNoCase(type, L"StaticLibrary");
    plan.linked = EqualsNoCase(type, L"Application") || EqualsNoCase(type, L"DynamicLibrary");
    if (!plan.linked && !library) return true; // Utility, Makefile: nothing to produce
    const wchar_t* tool = library ? L"Lib" : L"Link";
    std::wstring output = ev.Definition(tool, L"OutputFile");
    if (Trim(output).empty()) output = ev.Expand(L"$(OutDir)$(TargetName)$(TargetExt)");
    const std::wstring main = FullPath(m_folder, Trim(output));
    const std::wstring outputFolder = FolderOf(main);
    plan.outputs.push_back(main);
    if (plan.linked) {
        std::wstring import = Trim(ev.Definition(L"Link", L"ImportLibrary"));
        if (!import.empty()) plan.importLibrary = FullPath(m_folder, import);
        else if (EqualsNoCase(type, L"DynamicLibrary")) plan.importLibrary = outputFolder + StemOf(main) + L".lib";
        if (!plan.importLibrary.empty() && !EqualsNoCase(plan.importLibrary, main))
            plan.outputs.push_back(plan.importLibrary);
    }
    FindLibraries(SplitList(ev.Definition(tool, L"AdditionalDependencies"), L";"),
                  SplitList(ev.Definition(tool, L"AdditionalLibraryDirectories"), L";"), outputFolder, m_folder,
                  libraryFolders, plan);
    if (plan.linked && withReferences)
        for (const auto& lib : ReferencedLibraries(references, c->name, libraryFolders))
            plan.libraries.push_back({lib, FileExists(lib) ? lib : std::wstring()});
    return true;
}

std::vector<std::wstring> VcxProject_cl::ReferencedLibraries(const std::vector<std::wstring>& references,
                                                             const std::wstring& config,
                                                             const std::vector<std::wstring>& libraryFolders) const
{
    std::vector<std::wstring> libraries;
    for (const auto& path : references) {
        if (!IsMsbuildProject(path) || !FileExists(path)) continue; // MSBuild warns and goes on
        VcxProject_cl referenced;
        std::wstring error;
        ProjectPlan_st plan;
        // Its own references are its own link's business.
        if (!referenced.Load(path, m_solutionPath, error) ||
            !referenced.Evaluate(config, libraryFolders, false, plan) || !plan.error.empty() || plan.outOfMemory)
            continue;
        if (!LinkedLibrary(plan).empty()) libraries.push_back(LinkedLibrary(plan));
    }
    return libraries;
}

} // namespace Standin_ns
