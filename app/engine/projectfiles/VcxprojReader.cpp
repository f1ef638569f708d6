#include "app/engine/projectfiles/VcxprojReader.h"
#include <optional>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/projectfiles/MsBuildEvaluation.h"
#include "app/engine/projectfiles/OutputRules.h"

namespace Quorvane_ns {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

String_cl Trimmed(const String_cl& text)
{
    size_t first = 0, end = text.size();
    while (first < end && IsBlank(text[first])) ++first;
    while (end > first && IsBlank(text[end - 1])) --end;
    return text.substr(first, end - first);
}

void AddOnce(std::vector<String_cl>& list, const String_cl& text)
{
    for (const String_cl& known : list)
        if (Base_ns::EqualsNoCase(known, text)) return;
    list.push_back(text);
}

PropertyList_t SolutionGlobals(const SolutionContext_st& solution)
{
    return {{L"SolutionDir", solution.dir},
            {L"SolutionName", solution.name},
            {L"SolutionFileName", solution.fileName},
            {L"SolutionPath", solution.path},
            {L"SolutionExt", solution.ext}};
}

// The settings of one evaluated configuration, as the output rules take
// them; a value that could not be evaluated is std::nullopt and its causes
// are the entry's unknowns.
class SettingsReader_cl {
public:
    SettingsReader_cl(MsBuildEvaluation_cl& evaluation, ConfigurationSettings_st& settings)
        : m_e(evaluation), m_s(settings)
    {
    }

    std::optional<String_cl> Take(const Value_st& value)
    {
        if (!value.Known()) {
            for (uint32_t cause : value.causes) AddOnce(m_s.unknowns, m_e.Cause(cause));
            return std::nullopt;
        }
        return UnescapeMsBuild(Trimmed(value.text));
    }
    std::optional<String_cl> Property(const wchar_t* name) { return Take(m_e.PropertyValue(name)); }
    std::optional<String_cl> Setting(const wchar_t* type, const wchar_t* name) { return Take(m_e.Setting(type, name)); }

    // MSBuild separates a list by ";" alone; a library's path may hold blanks.
    std::optional<String_cl> Libraries(const wchar_t* tool)
    {
        const std::optional<String_cl> list = Setting(tool, L"AdditionalDependencies");
        return list ? std::optional<String_cl>(QuotedWords(*list)) : std::nullopt;
    }

    void Read()
    {
        m_s.outDir = Property(L"OutDir");
        m_s.intDir = Property(L"IntDir");
        m_s.compilerDatabase = Setting(L"ClCompile", L"ProgramDataBaseFileName");
        m_s.compilerDatabaseName = L"vc" + Property(L"PlatformToolsetVersion").value_or(String_cl()) + L".pdb";
        if (const std::optional<String_cl> type = Property(L"ConfigurationType")) {
            m_s.kind = Base_ns::EqualsNoCase(*type, L"Application")      ? OutputKind_en::Program
                       : Base_ns::EqualsNoCase(*type, L"DynamicLibrary") ? OutputKind_en::DynamicLibrary
                       : Base_ns::EqualsNoCase(*type, L"StaticLibrary")  ? OutputKind_en::StaticLibrary
                                                                          : OutputKind_en::Nothing;
        } else {
            m_s.kind = std::nullopt;
        }
        // Only what the configuration's kind uses: an unknown setting of a
        // tool that does not run is nobody's business.
        if (m_s.kind == OutputKind_en::StaticLibrary) {
            m_s.librarianOutput = Setting(L"Lib", L"OutputFile");
            m_s.librarianLibraries = Libraries(L"Lib");
        } else if (m_s.kind == OutputKind_en::Program || m_s.kind == OutputKind_en::DynamicLibrary) {
            m_s.linkerOutput = Setting(L"Link", L"OutputFile");
            m_s.linkerLibraries = Libraries(L"Link");
            m_s.programDatabase = Setting(L"Link", L"ProgramDatabaseFile");
            m_s.importLibrary = m_s.kind == OutputKind_en::DynamicLibrary ? Setting(L"Link", L"ImportLibrary") : String_cl();
        }
        for (uint32_t cause : m_e.General()) AddOnce(m_s.unknowns, m_e.Cause(cause));
    }

private:
    MsBuildEvaluation_cl& m_e;
    ConfigurationSettings_st& m_s;
};

} // namespace

void ReadVcxprojFile(Project_st& project, const SolutionContext_st& solution, ProjectFileCache_cl& cache)
{
    EvaluationBudget_cl budget(project.path);
    const String_cl folder = GetFileDirectory(project.path, true);
    const PropertyList_t globals = SolutionGlobals(solution);

    // The configurations, and the name, as the project shows them before one
    // is chosen; they may come from a sheet as well as from the file.
    const std::shared_ptr<const ProjectXml_st> tree = cache.Parse(project.path, ProjectFileCache_cl::Dialect_en::MsBuild);
    MsBuildEvaluation_cl declared({project.path, tree, globals, {L"ProjectConfiguration"}, {}}, cache, budget);
    if (!declared.IsMsBuildProject()) throw ProjectPackUserError(103, __LINE__, project.path);
    const Value_st name = declared.PropertyValue(L"ProjectName");
    project.name = name.Known() ? UnescapeMsBuild(Trimmed(name.text)) : String_cl();
    if (project.name.empty()) project.name = FileTitle(project.path);
    for (const String_cl& file : declared.FilesRead()) AddOnce(project.sheets, file);

    std::vector<String_cl> configurations;
    for (const Value_st& item : declared.Items(L"ProjectConfiguration"))
        if (item.Known()) AddOnce(configurations, UnescapeMsBuild(item.text));

    for (const String_cl& configuration : configurations) {
        const String_cl key = configuration.Upper();
        // A key met again (names differing only in case) keeps its first entry.
        if (project.configurations.Find(key)) continue;
        PropertyList_t these = globals;
        const size_t bar = configuration.find(L'|');
        these.emplace_back(L"Configuration", configuration.substr(0, bar));
        if (bar != String_cl::npos) these.emplace_back(L"Platform", configuration.substr(bar + 1));
        MsBuildEvaluation_cl evaluation(
            {project.path, tree, these, {L"ProjectReference"}, {L"Link", L"Lib", L"ClCompile"}}, cache, budget);

        ConfigurationSettings_st settings;
        settings.projectFolder = folder;
        SettingsReader_cl reader(evaluation, settings);
        reader.Read();
        for (const Value_st& reference : evaluation.Items(L"ProjectReference")) {
            if (const std::optional<String_cl> include = reader.Take(reference)) {
                String_cl path = *include;
                path.ReplaceAll(L"/", L"\\");
                // Items are relative to the project, wherever they are written.
                AddOnce(project.references, FullPathIn(folder, path, false));
            }
        }
        project.configurations.Insert(key, DecideOutputs(settings));
        for (const String_cl& file : evaluation.FilesRead()) AddOnce(project.sheets, file);
    }
}

} // namespace Quorvane_ns
