#include "app/engine/projectfiles/ProjectFileCache.h"
#include <windows.h>
#include <iterator>
#include "app/engine/projectfiles/ProjectFileErrors.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {

namespace {

using Element_t = IO_ns::XMLFile_cl::ElementId_cl;

// What the evaluation of an MSBuild file looks at.
const wchar_t* const kMsBuildAttributes[] = {L"Condition", L"Include", L"Exclude", L"Remove", L"Project", L"Sdk"};
// What the reader of a Visual Studio 2005/2008 project looks at.
const wchar_t* const kVcProjectAttributes[] = {
    L"Name", L"ConfigurationType", L"OutputDirectory", L"IntermediateDirectory", L"OutputFile", L"ImportLibrary",
    L"ProgramDatabaseFile", L"GenerateDebugInformation", L"ProgramDataBaseFileName", L"AdditionalDependencies",
    L"RelativePathToProject"};

// Deeper than any project file is written; a guard for the recursion below.
constexpr int kMaxElementDepth = 200;

class TreeBuilder_cl {
public:
    TreeBuilder_cl(const String_cl& path, ProjectFileCache_cl::Dialect_en dialect) : m_path(path)
    {
        if (dialect == ProjectFileCache_cl::Dialect_en::MsBuild) {
            m_names = kMsBuildAttributes;
            m_count = std::size(kMsBuildAttributes);
        } else {
            m_names = kVcProjectAttributes;
            m_count = std::size(kVcProjectAttributes);
        }
    }

    void Fill(XmlNode_st& node, const Element_t& element, int depth) const
    {
        if (depth > kMaxElementDepth)
            throw ProjectFileError(103, __LINE__, m_path + L"：元素嵌套超过 " + String_cl::FromInt(kMaxElementDepth) + L" 层");
        node.name = element.Name();
        for (size_t i = 0; i < m_count; ++i) {
            IO_ns::XMLFile_cl::AttributeId_cl attribute = element.Attribute(m_names[i], false);
            if (!attribute.IsEmpty()) node.attributes.emplace_back(m_names[i], attribute.Text());
        }
        for (Element_t child = element.FirstChild(); !child.IsEmpty(); child.NextSibling()) {
            if (!child.IsElement()) continue;
            node.children.emplace_back();
            Fill(node.children.back(), child, depth + 1);
        }
        // A property's value is its text; a group's text is nobody's value.
        if (node.children.empty()) node.text = element.Text();
    }

private:
    String_cl m_path;
    const wchar_t* const* m_names = nullptr;
    size_t m_count = 0;
};

} // namespace

const String_cl* XmlNode_st::Attribute(std::wstring_view attribute) const
{
    for (const auto& [name, value] : attributes)
        if (name == attribute) return &value;
    return nullptr;
}

PathKind_en ProjectFileCache_cl::Kind(const String_cl& fullPath)
{
    const String_cl key = fullPath.Upper();
    if (auto found = m_kinds.find(key); found != m_kinds.end()) return found->second;
    const DWORD attributes = GetFileAttributesW(fullPath.c_str());
    const PathKind_en kind = attributes == INVALID_FILE_ATTRIBUTES        ? PathKind_en::Missing
                             : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind_en::Folder
                                                                            : PathKind_en::File;
    m_kinds.emplace(key, kind);
    return kind;
}

std::shared_ptr<const ProjectXml_st> ProjectFileCache_cl::Load(const String_cl& path, Dialect_en dialect)
{
    const String_cl key = (dialect == Dialect_en::MsBuild ? L"M|" : L"V|") + path.Upper();
    if (auto found = m_entries.find(key); found != m_entries.end()) {
        if (found->second.error) std::rethrow_exception(found->second.error);
        return found->second.tree;
    }
    Entry_st& entry = m_entries[key];
    try {
        entry.tree = Parse(path, dialect);
        return entry.tree;
    } catch (...) {
        entry.error = std::current_exception();
        throw;
    }
}

std::shared_ptr<const ProjectXml_st> ProjectFileCache_cl::Parse(const String_cl& path, Dialect_en dialect)
{
    ++m_parsed;
    IO_ns::XMLFile_cl document;
    document.Open(path);
    auto tree = std::make_shared<ProjectXml_st>();
    tree->path = path;
    TreeBuilder_cl(path, dialect).Fill(tree->root, document.Root(), 0);
    document.Close();
    return tree;
}

} // namespace Quorvane_ns
