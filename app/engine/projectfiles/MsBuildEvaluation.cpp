#include "app/engine/projectfiles/MsBuildEvaluation.h"
#include <windows.h>
#include <algorithm>
#include <optional>
#include "app/ProgramPlaces.h"
#include "app/engine/projectfiles/MsBuildCondition.h"
#include "app/engine/projectfiles/ProjectFileErrors.h"
#include "app/engine/projectfiles/ProjectFileText.h"

namespace Quorvane_ns {

namespace {

// Sheets importing sheets: real trees are a few levels deep; every file is
// imported once, so this only guards the recursion.
constexpr int kMaxImportDepth = 128;
// Over all evaluations of one project read (every configuration).
constexpr size_t kMaxElements = 4'000'000;
constexpr size_t kMaxCharacters = 64 * 1024 * 1024;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring_view Trim(std::wstring_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

String_cl WithoutTrailingSeparator(const String_cl& folder)
{
    // "C:\" stays a root.
    if (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) return folder.substr(0, folder.size() - 1);
    return folder;
}

String_cl WithoutRoot(const String_cl& folder)
{
    if (folder.size() >= 3 && folder[1] == L':') return folder.substr(3);
    return folder;
}

// The parts of an item's Include (or Remove, Exclude): separated by ";".
std::vector<String_cl> IncludeParts(const String_cl& text)
{
    std::vector<String_cl> parts;
    size_t start = 0;
    for (;;) {
        const size_t semicolon = text.find(L';', start);
        const std::wstring_view part = Trim(std::wstring_view(text).substr(start, semicolon == String_cl::npos ? String_cl::npos : semicolon - start));
        if (!part.empty()) parts.emplace_back(part);
        if (semicolon == String_cl::npos) break;
        start = semicolon + 1;
    }
    return parts;
}

// A wildcard in an import's file name: the matching files, sorted as
// MSBuild sorts them.
std::vector<String_cl> MatchingFiles(const String_cl& pattern)
{
    std::vector<String_cl> files;
    const String_cl folder = GetFileDirectory(pattern, true);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(files.begin(), files.end(), [](const String_cl& a, const String_cl& b) { return a.Upper() < b.Upper(); });
    return files;
}

} // namespace

void EvaluationBudget_cl::Elements(size_t count)
{
    m_elements += count;
    if (m_elements > kMaxElements)
        throw ProjectFileError(102, __LINE__, m_projectPath + L"：求值经过的元素超过 " + String_cl::FromInt(kMaxElements) + L" 个");
}

void EvaluationBudget_cl::Characters(size_t count)
{
    m_characters += count;
    if (m_characters > kMaxCharacters)
        throw ProjectFileError(102, __LINE__, m_projectPath + L"：展开的文字超过 " + String_cl::FromInt(kMaxCharacters) + L" 个字符");
}

MsBuildEvaluation_cl::MsBuildEvaluation_cl(const Request_st& request, ProjectFileCache_cl& cache, EvaluationBudget_cl& budget)
    : m_budget(budget), m_cache(cache), m_projectPath(request.projectPath),
      m_projectFolder(GetFileDirectory(request.projectPath, true))
{
    for (const String_cl& t : request.itemTypes) m_itemTypes.push_back(t.Upper());
    for (const String_cl& t : request.settingTypes) m_settingTypes.push_back(t.Upper());
    for (const auto& [name, value] : request.globals) m_globals[name.Upper()] = Value_st{value, {}};

    const std::shared_ptr<const ProjectXml_st> project =
        request.project ? request.project : m_cache.Parse(m_projectPath, ProjectFileCache_cl::Dialect_en::MsBuild);
    m_trees.push_back(project);
    m_isProject = project->root.name == L"Project";
    if (!m_isProject) return;
    m_imported.insert(m_projectPath.Upper());
    ReadFile(*project, 0);
    // A project that never imports the installation's sheets still gets
    // their defaults, after everything it says itself.
    for (InstallationSheet_en sheet :
         {InstallationSheet_en::CppDefaultProps, InstallationSheet_en::CppProps, InstallationSheet_en::CppTargets})
        if (!m_applied[static_cast<int>(sheet)]) ApplySheet(sheet, 0);
    DefinitionPass();
    ItemPass();
}

// --- the host of expansions ---------------------------------------------------

const std::wstring& MsBuildEvaluation_cl::Key(std::wstring_view name, std::wstring_view member) const
{
    m_key.assign(name);
    if (!member.empty()) {
        m_key += L'|';
        m_key.append(member);
    }
    bool ascii = true;
    for (wchar_t& c : m_key) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
        else if (c >= 0x80) ascii = false;
    }
    if (!ascii) CharUpperBuffW(m_key.data(), static_cast<DWORD>(m_key.size()));
    return m_key;
}

const Value_st* MsBuildEvaluation_cl::Property(const String_cl& name)
{
    const std::wstring& key = Key(name);
    if (key.size() > 7 && key.compare(0, 7, L"MSBUILD") == 0) {
        const FileContext_st project{m_projectPath, m_projectFolder};
        bool reserved = true;
        auto about = [&](const FileContext_st& file, std::wstring_view what) {
            if (what == L"DIRECTORY") m_scratch.text = WithoutTrailingSeparator(file.folder);
            else if (what == L"DIRECTORYNOROOT") m_scratch.text = WithoutRoot(WithoutTrailingSeparator(file.folder));
            else if (what == L"FILE") m_scratch.text = GetFileName(file.path);
            else if (what == L"EXTENSION") m_scratch.text = L"." + GetFileExtension(file.path);
            else if (what == L"FULLPATH") m_scratch.text = file.path;
            else if (what == L"NAME") m_scratch.text = FileTitle(file.path);
            else reserved = false;
        };
        if (key.compare(7, 7, L"PROJECT") == 0) {
            about(project, std::wstring_view(key).substr(14));
        } else if (key.compare(7, 8, L"THISFILE") == 0) {
            const std::wstring_view what = std::wstring_view(key).substr(15);
            if (what.empty()) m_scratch.text = GetFileName(m_file.path);
            else if (what == L"DIRECTORY") m_scratch.text = m_file.folder;
            else if (what == L"DIRECTORYNOROOT") m_scratch.text = WithoutRoot(m_file.folder);
            else about(m_file, what);
        } else {
            reserved = false;
        }
        if (reserved) {
            m_scratch.causes.clear();
            return &m_scratch;
        }
    }
    if (auto g = m_globals.find(key); g != m_globals.end()) return &g->second;
    if (auto p = m_properties.find(key); p != m_properties.end()) return &p->second;
    // The toolset's own folders are no environment's business: an open
    // developer prompt must not bring in the installation's files.
    for (const wchar_t* installation : {L"VCTARGETSPATH", L"MSBUILDEXTENSIONSPATH", L"MSBUILDEXTENSIONSPATH32",
                                        L"MSBUILDEXTENSIONSPATH64", L"MSBUILDTOOLSPATH", L"MSBUILDBINPATH",
                                        L"MSBUILDSDKSPATH", L"USERROOTDIR"})
        if (key == installation) {
            m_scratch = Value_st();
            return &m_scratch;
        }
    return nullptr;
}

bool MsBuildEvaluation_cl::Metadata(const String_cl& itemType, const String_cl& name, Value_st& value)
{
    if (m_settingType.empty()) return false;
    auto found = m_settings.find(Key(itemType.empty() ? std::wstring_view(m_settingType) : std::wstring_view(itemType), name));
    value = found == m_settings.end() ? Value_st() : found->second;
    return true;
}

uint32_t MsBuildEvaluation_cl::Unsupported(const String_cl& expression)
{
    return AddCause(SubjectText() + L" 无法求值：" + expression);
}

void MsBuildEvaluation_cl::OverLimit(int32_t code, const String_cl& what)
{
    throw ProjectFileError(code, __LINE__, m_file.path + L"：" + SubjectText() + L"：" + what);
}

uint32_t MsBuildEvaluation_cl::AddCause(const String_cl& line)
{
    auto found = m_causeIndex.find(line);
    if (found != m_causeIndex.end()) return found->second;
    const uint32_t index = static_cast<uint32_t>(m_causeLines.size());
    m_causeLines.push_back(line);
    m_causeIndex.emplace(line, index);
    return index;
}

Value_st MsBuildEvaluation_cl::ExpandAs(const wchar_t* kind, std::wstring_view name, std::wstring_view member,
                                        std::wstring_view text)
{
    m_subject = Subject_st{kind, name, member};
    return ExpandText(text, *this);
}

String_cl MsBuildEvaluation_cl::SubjectText() const
{
    String_cl text = m_subject.kind;
    text += m_subject.name;
    if (!m_subject.member.empty()) text += L"." + String_cl(m_subject.member);
    return text;
}

MsBuildEvaluation_cl::Guard_st MsBuildEvaluation_cl::Guard(std::wstring_view condition, bool written)
{
    m_subject = Subject_st{L"条件 ", condition, {}};
    const ConditionResult_st result = EvaluateCondition(condition, *this);
    Guard_st guard;
    if (result.decided) {
        guard.outcome = result.holds ? Guard_st::Outcome_en::Applies : Guard_st::Outcome_en::Skipped;
        return guard;
    }
    guard.outcome = Guard_st::Outcome_en::Unknown;
    // The installation's own conditions need no line: the values they name
    // carry their causes.
    if (written || result.causes.empty()) guard.causes.push_back(AddCause(L"条件无法求值：" + String_cl(condition)));
    AddCauses(guard.causes, result.causes);
    return guard;
}

MsBuildEvaluation_cl::Guard_st MsBuildEvaluation_cl::Guard(const XmlNode_st& element)
{
    m_budget.Elements(1);
    const String_cl* condition = element.Attribute(L"Condition");
    return condition ? Guard(*condition, true) : Guard_st();
}

MsBuildEvaluation_cl::Guard_st MsBuildEvaluation_cl::Both(const Guard_st& outer, const Guard_st& inner)
{
    using Outcome = Guard_st::Outcome_en;
    // A condition that does not hold decides, whatever the other one is.
    if (outer.outcome == Outcome::Skipped || inner.outcome == Outcome::Skipped) return Guard_st{Outcome::Skipped, {}};
    Guard_st both = outer;
    if (inner.outcome == Outcome::Unknown) both.outcome = Outcome::Unknown;
    AddCauses(both.causes, inner.causes);
    return both;
}

bool MsBuildEvaluation_cl::Holds(const Guard_st& guard)
{
    if (guard.outcome == Guard_st::Outcome_en::Unknown) AddCauses(m_general, guard.causes);
    return guard.outcome == Guard_st::Outcome_en::Applies;
}

void MsBuildEvaluation_cl::SetProperty(std::wstring_view name, std::wstring_view text, const Guard_st& guard)
{
    if (guard.outcome == Guard_st::Outcome_en::Skipped) return;
    {
        const std::wstring& key = Key(name);
        // Global properties keep the builder's values; reserved ones MSBuild's.
        if (m_globals.count(key)) return;
        if (key.size() > 7 && key.compare(0, 7, L"MSBUILD") == 0 && Property(String_cl(name)) == &m_scratch) return;
    }
    Value_st value = guard.outcome == Guard_st::Outcome_en::Unknown ? Value_st{String_cl(), guard.causes}
                                                                    : ExpandAs(L"属性 ", name, {}, text);
    m_properties[Key(name)] = std::move(value);
}

void MsBuildEvaluation_cl::SetSetting(std::wstring_view itemType, std::wstring_view name, std::wstring_view text,
                                      const Guard_st& guard)
{
    if (guard.outcome == Guard_st::Outcome_en::Skipped) return;
    Value_st value = guard.outcome == Guard_st::Outcome_en::Unknown ? Value_st{String_cl(), guard.causes}
                                                                    : ExpandAs(L"设置 ", itemType, name, text);
    m_settings[Key(m_settingType, name)] = std::move(value);
}

// --- pass 1: properties and imports ---------------------------------------------

void MsBuildEvaluation_cl::ReadFile(const ProjectXml_st& file, int depth)
{
    const FileContext_st outer = m_file;
    m_file = FileContext_st{file.path, GetFileDirectory(file.path, true)};
    for (const XmlNode_st& part : file.root.children) ReadPart(part, depth);
    m_file = outer;
}

void MsBuildEvaluation_cl::ReadPart(const XmlNode_st& part, int depth)
{
    const String_cl& kind = part.name;
    if (kind == L"PropertyGroup") {
        ReadProperties(part);
    } else if (kind == L"ItemDefinitionGroup") {
        m_deferred.push_back(Deferred_st{&part, nullptr, false, m_file});
    } else if (kind == L"ItemGroup") {
        m_deferred.push_back(Deferred_st{&part, nullptr, true, m_file});
    } else if (kind == L"Import") {
        Import(part, depth);
    } else if (kind == L"ImportGroup") {
        if (!Holds(part)) return;
        for (const XmlNode_st& import : part.children)
            if (import.name == L"Import") Import(import, depth);
    } else if (kind == L"Choose") {
        Choose(part, depth);
    }
}

void MsBuildEvaluation_cl::ReadProperties(const XmlNode_st& group)
{
    const Guard_st outer = Guard(group);
    if (outer.outcome == Guard_st::Outcome_en::Skipped) return;
    for (const XmlNode_st& property : group.children) SetProperty(property.name, property.text, Both(outer, Guard(property)));
}

void MsBuildEvaluation_cl::Choose(const XmlNode_st& choose, int depth)
{
    for (const XmlNode_st& branch : choose.children) {
        const bool when = branch.name == L"When";
        if (!when && branch.name != L"Otherwise") continue;
        if (when && !Holds(branch)) continue;
        // The branch's properties now; its definitions and items in their passes.
        for (const XmlNode_st& part : branch.children)
            if (part.name != L"Import" && part.name != L"ImportGroup") ReadPart(part, depth + 1);
        return;
    }
}

void MsBuildEvaluation_cl::Import(const XmlNode_st& import, int depth)
{
    if (!Holds(import) || import.Attribute(L"Sdk")) return;
    if (const String_cl* project = import.Attribute(L"Project")) ImportPath(*project, depth, true);
}

void MsBuildEvaluation_cl::ImportPath(std::wstring_view written, int depth, bool installationFiltered)
{
    const String_cl text(Trim(written));
    if (text.empty()) return;
    if (installationFiltered) {
        const InstallationSheet_en sheet = InstallationSheetOf(text);
        if (sheet != InstallationSheet_en::None) {
            if (!m_applied[static_cast<int>(sheet)]) ApplySheet(sheet, depth);
            return;
        }
        if (IsInstallationImport(text)) return;
    }
    const Value_st expanded = ExpandAs(L"导入的路径", {}, {}, text);
    if (!expanded.Known()) {
        AddCauses(m_general, expanded.causes);
        return;
    }
    String_cl path = UnescapeMsBuild(Trim(expanded.text));
    if (path.empty()) return;
    path.ReplaceAll(L"/", L"\\");
    path = FullPathIn(m_file.folder, path, false);
    if (GetFileName(path).find_first_of(L"*?") != String_cl::npos) {
        for (const String_cl& match : MatchingFiles(path)) ImportFile(match, depth);
        return;
    }
    ImportFile(path, depth);
}

void MsBuildEvaluation_cl::ImportFile(const String_cl& path, int depth)
{
    // MSBuild imports a file once; a second import (a circle too) is skipped.
    if (!m_imported.insert(path.Upper()).second) return;
    if (m_cache.Kind(path) != PathKind_en::File) {
        m_general.push_back(AddCause(L"找不到导入的文件：" + path));
        return;
    }
    if (depth + 1 > kMaxImportDepth) {
        m_subject = Subject_st{L"导入 ", path, {}};
        OverLimit(103, L"导入嵌套超过 " + String_cl::FromInt(kMaxImportDepth) + L" 层");
    }
    std::shared_ptr<const ProjectXml_st> tree = m_cache.Load(path, ProjectFileCache_cl::Dialect_en::MsBuild);
    m_trees.push_back(tree);
    m_filesRead.push_back(path);
    if (tree->root.name != L"Project") {
        m_general.push_back(AddCause(L"导入的文件不是 MSBuild 工程：" + path));
        return;
    }
    ReadFile(*tree, depth + 1);
}

void MsBuildEvaluation_cl::ApplySheet(InstallationSheet_en sheet, int depth)
{
    m_applied[static_cast<int>(sheet)] = true;
    for (const SheetEntry_st& entry : InstallationSheetEntries(sheet)) {
        switch (entry.kind) {
        case SheetEntry_st::Kind_en::Property:
            SetProperty(entry.name, entry.value, Guard(entry.condition, false));
            break;
        case SheetEntry_st::Kind_en::Import:
            if (Holds(Guard(entry.condition, false))) ImportPath(entry.value, depth, false);
            break;
        case SheetEntry_st::Kind_en::Setting:
            m_deferred.push_back(Deferred_st{nullptr, &entry, false, m_file});
            break;
        }
    }
}

// --- pass 2: item definitions --------------------------------------------------

bool MsBuildEvaluation_cl::Wanted(const std::vector<String_cl>& types, std::wstring_view type) const
{
    const std::wstring& key = Key(type);
    for (const String_cl& t : types)
        if (t == key) return true;
    return false;
}

void MsBuildEvaluation_cl::DefinitionPass()
{
    for (const Deferred_st& d : m_deferred) {
        if (d.items) continue;
        m_file = d.file;
        if (d.setting) {
            if (!Wanted(m_settingTypes, d.setting->itemType)) continue;
            m_settingType = String_cl(d.setting->itemType).Upper();
            SetSetting(d.setting->itemType, d.setting->name, d.setting->value, Guard(d.setting->condition, false));
            m_settingType.clear();
            continue;
        }
        std::optional<Guard_st> group;
        for (const XmlNode_st& item : d.group->children) {
            if (!Wanted(m_settingTypes, item.name)) continue;
            if (!group) group = Guard(*d.group);
            if (group->outcome == Guard_st::Outcome_en::Skipped) break;
            m_settingType = item.name.Upper();
            const Guard_st outer = Both(*group, Guard(item));
            if (outer.outcome != Guard_st::Outcome_en::Skipped)
                for (const XmlNode_st& setting : item.children)
                    SetSetting(item.name, setting.name, setting.text, Both(outer, Guard(setting)));
            m_settingType.clear();
        }
    }
}

// --- pass 3: items -------------------------------------------------------------

void MsBuildEvaluation_cl::ItemPass()
{
    for (const Deferred_st& d : m_deferred) {
        if (!d.items) continue;
        m_file = d.file;
        ReadItems(*d.group);
    }
}

void MsBuildEvaluation_cl::ReadItems(const XmlNode_st& group)
{
    std::optional<bool> groupHolds;
    for (const XmlNode_st& item : group.children) {
        if (!Wanted(m_itemTypes, item.name)) continue;
        if (!groupHolds) groupHolds = Holds(group);
        if (!*groupHolds) return;
        if (!Holds(item)) continue;
        std::vector<Value_st>& items = m_items[item.name.Upper()];
        if (const String_cl* remove = item.Attribute(L"Remove")) {
            const Value_st removed = ExpandAs(L"项 ", item.name, {}, *remove);
            for (const String_cl& part : IncludeParts(removed.text))
                items.erase(std::remove_if(items.begin(), items.end(),
                                           [&](const Value_st& v) { return Base_ns::EqualsNoCase(v.text, part); }),
                            items.end());
        }
        const String_cl* include = item.Attribute(L"Include");
        if (!include) continue;
        const Value_st included = ExpandAs(L"项 ", item.name, {}, *include);
        std::vector<String_cl> excluded;
        if (const String_cl* exclude = item.Attribute(L"Exclude")) excluded = IncludeParts(ExpandAs(L"项 ", item.name, {}, *exclude).text);
        for (const String_cl& part : IncludeParts(included.text)) {
            bool skip = false;
            for (const String_cl& e : excluded) skip = skip || Base_ns::EqualsNoCase(e, part);
            if (!skip) items.push_back(Value_st{part, included.causes});
        }
    }
}

// --- results -------------------------------------------------------------------

Value_st MsBuildEvaluation_cl::PropertyValue(const String_cl& name)
{
    if (const Value_st* v = Property(name)) return *v;
    m_subject = Subject_st{L"属性 ", name, {}};
    return ExpandText(L"$(" + name + L")", *this);
}

Value_st MsBuildEvaluation_cl::Setting(const String_cl& itemType, const String_cl& name) const
{
    auto found = m_settings.find(Key(itemType, name));
    return found == m_settings.end() ? Value_st() : found->second;
}

std::vector<Value_st> MsBuildEvaluation_cl::Items(const String_cl& itemType) const
{
    auto found = m_items.find(itemType.Upper());
    return found == m_items.end() ? std::vector<Value_st>() : found->second;
}

} // namespace Quorvane_ns
