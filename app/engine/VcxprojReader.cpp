#include "app/engine/VcxprojReader.h"
#include <windows.h>
#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/ProjectFileText.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {

namespace {

using Element_t = IO_ns::XMLFile_cl::ElementId_cl;

// Property sheets may import each other; deeper than this is a circle or
// a file nobody writes by hand.
constexpr int kMaxImportDepth = 16;

String_cl Trimmed(const String_cl& text)
{
    const wchar_t* blanks = L" \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == String_cl::npos) return String_cl();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The value of an optional attribute, empty when it is absent.
String_cl AttributeText(const Element_t& element, const wchar_t* name)
{
    IO_ns::XMLFile_cl::AttributeId_cl attribute = element.Attribute(name, false);
    return attribute.IsEmpty() ? String_cl() : attribute.Text();
}

// Calls f for every element child of parent, in document order.
template <class F>
void EachElement(const Element_t& parent, F f)
{
    for (Element_t child = parent.FirstChild(); !child.IsEmpty(); child.NextSibling())
        if (child.IsElement()) f(child);
}

// Replaces every "%(name)" (name compared ignoring case) by with.
String_cl ReplaceMetadata(const String_cl& text, const String_cl& name, const String_cl& with)
{
    const String_cl marker = Base_ns::ToUpper(L"%(" + name + L")");
    const String_cl upper = text.Upper();
    String_cl out;
    size_t pos = 0;
    for (size_t at = upper.find(marker); at != String_cl::npos; at = upper.find(marker, pos)) {
        out.append(text, pos, at - pos);
        out += with;
        pos = at + marker.size();
    }
    out.append(text, pos, String_cl::npos);
    return out;
}

// The text without any "%(…)": references to settings of the installation's
// own defaults, or to an item's own metadata, that nothing here stands for.
String_cl WithoutMetadata(const String_cl& text)
{
    String_cl out;
    size_t pos = 0;
    for (size_t at = text.find(L"%("); at != String_cl::npos; at = text.find(L"%(", pos)) {
        const size_t close = text.find(L')', at);
        if (close == String_cl::npos) break;
        out.append(text, pos, at - pos);
        pos = close + 1;
    }
    out.append(text, pos, String_cl::npos);
    return out;
}

bool IsAbsolute(const String_cl& path)
{
    return path.find(L':') != String_cl::npos || path.StartsWith(L"\\") || path.StartsWith(L"/");
}

bool IsFile(const String_cl& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The project file and its property sheets, each loaded once however many
// configurations read them.
class Documents_cl {
public:
    IO_ns::XMLFile_cl& Load(const String_cl& path)
    {
        const String_cl key = path.Upper();
        for (auto& [loaded, file] : m_files)
            if (loaded == key) return *file;
        auto file = std::make_unique<IO_ns::XMLFile_cl>();
        file->Open(path);
        m_files.emplace_back(key, std::move(file));
        return *m_files.back().second;
    }

    std::vector<String_cl> sheets;  // the files imported, in the order first met

private:
    std::vector<std::pair<String_cl, std::unique_ptr<IO_ns::XMLFile_cl>>> m_files;
};

// What MSBuild would make of the project for one configuration, as far as
// the program needs it (see the header).
class Evaluation_cl {
public:
    Evaluation_cl(const String_cl& projectPath, const String_cl& configuration, Documents_cl& documents)
        : m_projectFolder(GetFileDirectory(projectPath, true)), m_projectTitle(FileTitle(projectPath)),
          m_documents(documents)
    {
        const size_t bar = configuration.find(L'|');
        m_configuration = configuration.substr(0, bar);
        m_platform = bar == String_cl::npos ? String_cl(L"Win32") : configuration.substr(bar + 1);
        ReadFile(projectPath, 0);
    }

    // A property's value: the project's, else its default, else the
    // environment's, else empty.
    String_cl Property(const String_cl& name) const { return Expand(L"$(" + name + L")"); }

    String_cl Expand(const String_cl& text) const
    {
        return ExpandMacros(text, [this](const String_cl& name, String_cl& value) { return Lookup(name, value); });
    }

    // A setting of an item definition ("Link", "OutputFile"), expanded with
    // the final properties; empty when the project does not set it.
    String_cl Setting(const wchar_t* item, const wchar_t* name) const
    {
        auto found = m_settings.find(SettingKey(item, name));
        return found == m_settings.end() ? String_cl() : Trimmed(Expand(WithoutMetadata(found->second)));
    }

    const std::vector<String_cl>& References() const { return m_references; }

private:
    static String_cl SettingKey(const String_cl& item, const String_cl& name) { return Base_ns::ToUpper(item + L"|" + name); }

    bool IsWin32() const { return Base_ns::EqualsNoCase(m_platform, L"Win32"); }

    // The names the project cannot change (the builder sets them for the
    // whole build), then the project's own, then the documented defaults.
    bool Lookup(const String_cl& name, String_cl& value) const
    {
        const String_cl key = name.Upper();
        if (key == L"CONFIGURATION") value = m_configuration;
        else if (key == L"PLATFORM") value = m_platform;
        else if (key == L"SOLUTIONDIR" || key == L"PROJECTDIR") value = m_projectFolder;
        else if (key == L"MSBUILDPROJECTDIRECTORY") value = GetFileDirectory(m_projectFolder, false);
        else if (key == L"MSBUILDPROJECTNAME") value = m_projectTitle;
        else if (key == L"MSBUILDTHISFILEDIRECTORY") value = m_thisFileFolder;
        else if (auto found = m_properties.find(key); found != m_properties.end()) value = found->second;
        else return Default(key, value);
        return true;
    }

    bool Default(const String_cl& key, String_cl& value) const
    {
        if (key == L"PROJECTNAME") {
            value = m_projectTitle;
        } else if (key == L"TARGETNAME") {
            value = Property(L"ProjectName");
        } else if (key == L"CONFIGURATIONTYPE") {
            value = L"Application";
        } else if (key == L"TARGETEXT") {
            const String_cl type = Property(L"ConfigurationType");
            value = Base_ns::EqualsNoCase(type, L"Application")      ? L".exe"
                    : Base_ns::EqualsNoCase(type, L"DynamicLibrary") ? L".dll"
                    : Base_ns::EqualsNoCase(type, L"StaticLibrary")  ? L".lib"
                                                                     : L"";
        } else if (key == L"OUTDIR" || key == L"INTDIR") {
            value = key == L"OUTDIR" ? m_projectFolder : String_cl();
            if (!IsWin32()) value += m_platform + L"\\";
            value += m_configuration + L"\\";
        } else {
            return false;
        }
        return true;
    }

    // 'left' == 'right' or 'left' != 'right', where each side is plain text,
    // $(Configuration) and $(Platform). Anything else does not hold.
    bool Holds(const String_cl& condition) const
    {
        const String_cl c = Trimmed(condition);
        size_t pos = 0;
        auto quoted = [&](String_cl& text) {
            if (pos >= c.size() || c[pos] != L'\'') return false;
            const size_t close = c.find(L'\'', pos + 1);
            if (close == String_cl::npos) return false;
            text = c.substr(pos + 1, close - pos - 1);
            pos = close + 1;
            return true;
        };
        auto blanks = [&] {
            while (pos < c.size() && (c[pos] == L' ' || c[pos] == L'\t' || c[pos] == L'\r' || c[pos] == L'\n')) ++pos;
        };
        String_cl left, right;
        if (!quoted(left)) return false;
        blanks();
        const String_cl op = c.substr(pos, 2);
        if (op != L"==" && op != L"!=") return false;
        pos += 2;
        blanks();
        if (!quoted(right) || pos != c.size()) return false;

        bool other = false;
        auto side = [&](const String_cl& text) {
            return ExpandMacros(text, [&](const String_cl& name, String_cl& value) {
                if (Base_ns::EqualsNoCase(name, L"Configuration")) value = m_configuration;
                else if (Base_ns::EqualsNoCase(name, L"Platform")) value = m_platform;
                else other = true;
                return true;
            });
        };
        const bool equal = Base_ns::EqualsNoCase(side(left), side(right));
        // Item lists and metadata are no texts this evaluation knows either.
        for (const String_cl* s : {&left, &right})
            other = other || s->find(L"%(") != String_cl::npos || s->find(L"@(") != String_cl::npos;
        if (other) return false;
        return op == L"==" ? equal : !equal;
    }

    bool Applies(const Element_t& element) const
    {
        IO_ns::XMLFile_cl::AttributeId_cl condition = element.Attribute(L"Condition", false);
        return condition.IsEmpty() || Holds(condition.Text());
    }

    void ReadFile(const String_cl& path, int depth)
    {
        const String_cl key = path.Upper();
        for (const String_cl& reading : m_reading)
            if (reading == key) return;
        IO_ns::XMLFile_cl& document = m_documents.Load(path);
        Element_t root = document.Root();
        if (root.Name() != L"Project") return;
        m_reading.push_back(key);
        const String_cl outerFolder = m_thisFileFolder;
        m_thisFileFolder = GetFileDirectory(path, true);
        EachElement(root, [&](const Element_t& part) {
            if (!Applies(part)) return;
            const String_cl kind = part.Name();
            if (kind == L"PropertyGroup") ReadProperties(part);
            else if (kind == L"ItemDefinitionGroup") ReadItemDefinitions(part);
            else if (kind == L"ItemGroup") ReadItems(part);
            else if (kind == L"Import") Import(part, depth);
            else if (kind == L"ImportGroup")
                EachElement(part, [&](const Element_t& import) {
                    if (import.Name() == L"Import" && Applies(import)) Import(import, depth);
                });
        });
        m_thisFileFolder = outerFolder;
        m_reading.pop_back();
    }

    void ReadProperties(const Element_t& group)
    {
        EachElement(group, [&](const Element_t& property) {
            if (!Applies(property)) return;
            const String_cl value = Expand(Trimmed(property.Text()));
            const String_cl key = property.Name().Upper();
            // The builder's own names keep their values.
            if (key == L"CONFIGURATION" || key == L"PLATFORM" || key == L"SOLUTIONDIR" || key == L"PROJECTDIR" ||
                key.StartsWith(L"MSBUILD"))
                return;
            m_properties[key] = value;
        });
    }

    void ReadItemDefinitions(const Element_t& group)
    {
        EachElement(group, [&](const Element_t& item) {
            if (!Applies(item)) return;
            const String_cl itemName = item.Name();
            EachElement(item, [&](const Element_t& setting) {
                if (!Applies(setting)) return;
                const String_cl key = SettingKey(itemName, setting.Name());
                // "%(AdditionalDependencies)" in a later definition stands
                // for what the earlier ones made of it.
                auto earlier = m_settings.find(key);
                m_settings[key] = ReplaceMetadata(Trimmed(setting.Text()), setting.Name(),
                                                  earlier == m_settings.end() ? String_cl() : earlier->second);
            });
        });
    }

    void ReadItems(const Element_t& group)
    {
        EachElement(group, [&](const Element_t& item) {
            if (item.Name() != L"ProjectReference" || !Applies(item)) return;
            const String_cl include = Trimmed(Expand(AttributeText(item, L"Include")));
            if (include.empty()) return;
            // Items are relative to the project, wherever they are written.
            const String_cl path = FullPathIn(m_projectFolder, include, false);
            for (const String_cl& known : m_references)
                if (Base_ns::EqualsNoCase(known, path)) return;
            m_references.push_back(path);
        });
    }

    // The project's own property sheets only: a relative path, or one in
    // the project's folders, of an existing ".props" file.
    void Import(const Element_t& import, int depth)
    {
        const String_cl written = Trimmed(AttributeText(import, L"Project"));
        bool own = !written.empty() && !IsAbsolute(written) && !written.StartsWith(L"$(");
        for (std::wstring_view folder : {L"$(SolutionDir)", L"$(ProjectDir)", L"$(MSBuildThisFileDirectory)"})
            own = own || Base_ns::EqualsNoCase(std::wstring_view(written).substr(0, folder.size()), folder);
        if (!own || depth >= kMaxImportDepth) return;
        String_cl path = Expand(written);
        path.ReplaceAll(L"/", L"\\");
        path = FullPathIn(m_thisFileFolder, path, false);
        if (!HasExtension(path, L"props") || !IsFile(path)) return;
        if (std::find(m_documents.sheets.begin(), m_documents.sheets.end(), path) == m_documents.sheets.end()) m_documents.sheets.push_back(path);
        ReadFile(path, depth + 1);
    }

    String_cl m_projectFolder;   // ends in "\"
    String_cl m_projectTitle;
    String_cl m_configuration;   // "Debug"
    String_cl m_platform;        // "Win32"
    String_cl m_thisFileFolder;  // of the file being read, ends in "\"
    std::map<String_cl, String_cl> m_properties;  // by upper-cased name, expanded
    std::map<String_cl, String_cl> m_settings;    // by "ITEM|NAME", as written
    std::vector<String_cl> m_references;
    std::vector<String_cl> m_reading;  // upper-cased paths of the files being read
    Documents_cl& m_documents;
};

// The configurations the project declares, in document order.
std::vector<String_cl> DeclaredConfigurations(IO_ns::XMLFile_cl& document)
{
    std::vector<String_cl> configurations;
    EachElement(document.Root(), [&](const Element_t& part) {
        if (part.Name() != L"ItemGroup") return;
        EachElement(part, [&](const Element_t& item) {
            if (item.Name() != L"ProjectConfiguration") return;
            const String_cl name = Trimmed(AttributeText(item, L"Include"));
            if (!name.empty()) configurations.push_back(name);
        });
    });
    return configurations;
}

void AddLibraries(std::vector<String_cl>& libraries, const String_cl& dependencies)
{
    for (const String_cl& word : DependencyWords(dependencies)) AddLibraryName(libraries, word);
}

// What one configuration produces and where its build writes.
ConfigEntry_st Entry(const Evaluation_cl& e, const String_cl& projectFolder)
{
    ConfigEntry_st entry;
    entry.outputFolder = FullPathIn(projectFolder, e.Property(L"OutDir"), true);
    entry.intermediateFolder = FullPathIn(projectFolder, e.Property(L"IntDir"), true);
    // Every configuration type compiles; a folder (ending in a separator)
    // holds "vc<toolset>.pdb", as the installation's defaults name it.
    String_cl compiler = e.Setting(L"ClCompile", L"ProgramDataBaseFileName");
    if (compiler.empty()) compiler = e.Expand(L"$(IntDir)");
    if (compiler.empty() || compiler.back() == L'\\' || compiler.back() == L'/') {
        String_cl toolset = e.Property(L"PlatformToolset");
        if (!toolset.empty() && (toolset.front() == L'v' || toolset.front() == L'V')) toolset.erase(0, 1);
        compiler += L"vc" + toolset + L".pdb";
    }
    entry.compilerDatabase = FullPathIn(projectFolder, compiler, false);

    const String_cl type = e.Property(L"ConfigurationType");
    const bool program = Base_ns::EqualsNoCase(type, L"Application");
    const bool dll = Base_ns::EqualsNoCase(type, L"DynamicLibrary");
    const bool library = Base_ns::EqualsNoCase(type, L"StaticLibrary");
    // Utility and makefile projects (and kinds unknown here) build, but
    // produce nothing another project links.
    if (!program && !dll && !library) return entry;

    const wchar_t* tool = library ? L"Lib" : L"Link";
    String_cl output = e.Setting(tool, L"OutputFile");
    if (output.empty()) output = e.Expand(L"$(OutDir)$(TargetName)$(TargetExt)");
    entry.outputFile = FullPathIn(projectFolder, output, false);
    entry.output = GetFileName(entry.outputFile);
    AddLibraries(entry.libraries, e.Setting(tool, L"AdditionalDependencies"));
    if (library) return entry;

    String_cl database = e.Setting(L"Link", L"ProgramDatabaseFile");
    if (database.empty()) database = e.Expand(L"$(OutDir)$(TargetName).pdb");
    entry.programDatabase = FullPathIn(projectFolder, database, false);
    if (dll) {
        // Consumers link the import library, so the DLL is known by it.
        String_cl importLibrary = e.Setting(L"Link", L"ImportLibrary");
        entry.importLibrary = importLibrary.empty()
                                  ? ReplaceExtension(entry.outputFile, L"lib")
                                  : FullPathIn(projectFolder, importLibrary, false);
        entry.output = GetFileName(entry.importLibrary);
    }
    return entry;
}

} // namespace

void ReadVcxprojFile(Project_st& project)
{
    Documents_cl documents;
    IO_ns::XMLFile_cl& document = documents.Load(project.path);
    if (document.Root().Name() != L"Project") throw ProjectPackUserError(103, __LINE__, project.path);

    const std::vector<String_cl> configurations = DeclaredConfigurations(document);
    const String_cl folder = GetFileDirectory(project.path, true);
    project.name = Evaluation_cl(project.path, configurations.empty() ? String_cl() : configurations.front(), documents)
                       .Property(L"ProjectName");
    for (const String_cl& configuration : configurations) {
        Evaluation_cl evaluation(project.path, configuration, documents);
        // A key met again (names differing only in case) keeps its first entry.
        project.configurations.Insert(configuration.Upper(), Entry(evaluation, folder));
        for (const String_cl& reference : evaluation.References()) {
            bool known = false;
            for (const String_cl& r : project.references) known = known || Base_ns::EqualsNoCase(r, reference);
            if (!known) project.references.push_back(reference);
        }
    }
    project.sheets = documents.sheets;
}

} // namespace Quorvane_ns
