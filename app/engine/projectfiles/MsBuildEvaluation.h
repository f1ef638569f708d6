#pragma once
// MSBuild's evaluation of a project file for one set of global properties
// (Configuration, Platform, the solution's), as far as this program needs
// it. MSBuild's passes:
//
//   1. properties, in document order through every import (each file
//      imported once: a second import of the same file is skipped, which
//      also ends circles), with Choose/When/Otherwise decided here; a
//      property's value is expanded where it is defined;
//   2. item definitions (ItemDefinitionGroup), with the final properties,
//      "%(Name)" standing for the definition so far;
//   3. items (ItemGroup) of the types asked for, with the final properties.
//
// Global properties cannot be changed by the project, MSBuild's reserved
// ones (MSBuildProjectDirectory, MSBuildThisFileDirectory, ...) are what
// MSBuild makes them, and an undefined property is the environment's
// variable of that name, as MSBuild takes it. The Visual C++ installation's
// sheets are not read: their documented evaluation stands in at the points
// the project imports them (VcInstallationSheets.h), Directory.Build.props
// and .targets included. Other imports are read when they exist; a missing
// one is noted.
//
// What cannot be evaluated (a property function not done here, a condition
// that names it) makes its value unknown rather than wrong: values carry
// causes, and Cause() gives each cause's line. Over the limits (a value
// past kMaxValueLength, the budget of a read, nesting) the reader's error
// is raised, naming the file.
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>
#include "app/engine/projectfiles/MsBuildExpander.h"
#include "app/engine/projectfiles/ProjectFileCache.h"
#include "app/engine/projectfiles/VcInstallationSheets.h"

namespace Quorvane_ns {

using PropertyList_t = std::vector<std::pair<String_cl, String_cl>>;

// What one read of a project may spend, over all its evaluations: far more
// than any real project and its sheets take, far less than a machine has.
class EvaluationBudget_cl {
public:
    explicit EvaluationBudget_cl(const String_cl& projectPath) : m_projectPath(projectPath) {}
    // Each raises the reader's error 102 when the read goes over.
    void Elements(size_t count);
    void Characters(size_t count);

private:
    String_cl m_projectPath;
    size_t m_elements = 0;
    size_t m_characters = 0;
};

class MsBuildEvaluation_cl : private ExpansionHost_cl {
public:
    struct Request_st {
        String_cl projectPath;             // full path of an existing project file
        // Its tree, parsed by the caller (who evaluates it more than once).
        std::shared_ptr<const ProjectXml_st> project;
        PropertyList_t globals;            // Configuration, Platform, SolutionDir, ...
        std::vector<String_cl> itemTypes;  // the item types whose items are wanted
        std::vector<String_cl> settingTypes;  // the item types whose definitions are wanted ("Link")
    };

    // Evaluates at once. The project file's own parse errors pass through,
    // and so do a sheet's: MSBuild does not load such a project either.
    MsBuildEvaluation_cl(const Request_st& request, ProjectFileCache_cl& cache, EvaluationBudget_cl& budget);

    // Whether the project file's root is MSBuild's "Project".
    bool IsMsBuildProject() const { return m_isProject; }
    // A property's final value (the environment's, or empty, when undefined).
    Value_st PropertyValue(const String_cl& name);
    // An item definition's final setting ("Link", "OutputFile"); empty when unset.
    Value_st Setting(const String_cl& itemType, const String_cl& name) const;
    // The items of a type asked for, in order: each Include's parts.
    std::vector<Value_st> Items(const String_cl& itemType) const;
    // Full paths of the files read besides the project file, first read first.
    const std::vector<String_cl>& FilesRead() const { return m_filesRead; }
    // The line a cause stands for.
    const String_cl& Cause(uint32_t index) const { return m_causeLines[index]; }
    // What could not be evaluated anywhere in the project: conditions that
    // could not be decided, imports that were not found.
    const Causes_t& General() const { return m_general; }

private:
    struct FileContext_st {
        String_cl path;
        String_cl folder;  // ends in "\"
    };
    // An item definition or item group, kept for its pass with the file it
    // was written in; or one of the installation's settings.
    struct Deferred_st {
        const XmlNode_st* group = nullptr;
        const SheetEntry_st* setting = nullptr;
        bool items = false;
        FileContext_st file;
    };

    // ExpansionHost_cl
    const Value_st* Property(const String_cl& name) override;
    bool Metadata(const String_cl& itemType, const String_cl& name, Value_st& value) override;
    uint32_t Unsupported(const String_cl& expression) override;
    const String_cl& ProjectFolder() const override { return m_projectFolder; }
    const String_cl& ThisFileFolder() const override { return m_file.folder; }
    PathKind_en Kind(const String_cl& fullPath) override { return m_cache.Kind(fullPath); }
    void Charge(size_t characters) override { m_budget.Characters(characters); }
    [[noreturn]] void OverLimit(int32_t code, const String_cl& what) override;

    // What a condition leaves of the element it guards: applied, skipped,
    // or not known (MSBuild would decide; here a value it names is
    // unknown), with the causes.
    struct Guard_st {
        enum class Outcome_en { Applies, Skipped, Unknown } outcome = Outcome_en::Applies;
        Causes_t causes;
    };
    uint32_t AddCause(const String_cl& line);
    // written: a condition of the project's files, named in its cause.
    Guard_st Guard(std::wstring_view condition, bool written);
    Guard_st Guard(const XmlNode_st& element);
    static Guard_st Both(const Guard_st& outer, const Guard_st& inner);
    // Whether an import, a branch or an item applies: one whose condition is
    // not known does not, and that is noted for the whole project.
    bool Holds(const Guard_st& guard);
    bool Holds(const XmlNode_st& element) { return Holds(Guard(element)); }
    // Expands text as the subject ("属性 " + name, "设置 " + type + "." +
    // name, ...), which causes and errors name; the views must outlive the
    // expansion.
    Value_st ExpandAs(const wchar_t* kind, std::wstring_view name, std::wstring_view member, std::wstring_view text);
    String_cl SubjectText() const;
    // The property set as a guard leaves it: unknown when the guard is.
    void SetProperty(std::wstring_view name, std::wstring_view text, const Guard_st& guard);
    void SetSetting(std::wstring_view itemType, std::wstring_view name, std::wstring_view text, const Guard_st& guard);
    // The upper-cased key of a name ("TYPE|NAME" with a member), built in
    // one buffer: a lookup allocates nothing. Valid until the next call.
    const std::wstring& Key(std::wstring_view name, std::wstring_view member = {}) const;

    void ReadFile(const ProjectXml_st& file, int depth);
    void ReadPart(const XmlNode_st& part, int depth);
    void ReadProperties(const XmlNode_st& group);
    void Choose(const XmlNode_st& choose, int depth);
    void Import(const XmlNode_st& import, int depth);
    void ImportPath(std::wstring_view written, int depth, bool installationFiltered);
    void ImportFile(const String_cl& path, int depth);
    void ApplySheet(InstallationSheet_en sheet, int depth);

    void DefinitionPass();
    void ItemPass();
    void ReadItems(const XmlNode_st& group);

    bool Wanted(const std::vector<String_cl>& types, std::wstring_view type) const;

    EvaluationBudget_cl& m_budget;
    ProjectFileCache_cl& m_cache;
    String_cl m_projectPath;
    String_cl m_projectFolder;  // ends in "\"
    bool m_isProject = false;
    std::vector<String_cl> m_itemTypes, m_settingTypes;  // upper case

    std::unordered_map<std::wstring, Value_st> m_globals;     // by upper-cased name
    std::unordered_map<std::wstring, Value_st> m_properties;  // by upper-cased name
    std::unordered_map<std::wstring, Value_st> m_settings;    // by "TYPE|NAME", upper-cased
    std::map<String_cl, std::vector<Value_st>> m_items;       // by upper-cased type

    FileContext_st m_file;    // the file being evaluated
    // What is being evaluated, for causes and errors: kind + name [+ "." + member].
    struct Subject_st {
        const wchar_t* kind = L"";
        std::wstring_view name, member;
    } m_subject;
    String_cl m_settingType;  // the item definition being evaluated, in pass 2
    Value_st m_scratch;       // a reserved property's value, handed out by pointer
    mutable std::wstring m_key;

    std::vector<std::shared_ptr<const ProjectXml_st>> m_trees;  // kept while evaluating
    std::unordered_set<std::wstring> m_imported;                // upper-cased full paths
    std::vector<String_cl> m_filesRead;
    bool m_applied[4] = {false, false, false, false};  // by InstallationSheet_en
    std::vector<Deferred_st> m_deferred;

    std::vector<String_cl> m_causeLines;
    std::map<String_cl, uint32_t> m_causeIndex;
    Causes_t m_general;
};

} // namespace Quorvane_ns
