#pragma once
// Project files and property sheets as plain trees of elements, parsed once
// per read of a plan however many projects import them.
//
// A sheet shared by a thousand projects is parsed once and walked a thousand
// times: the walk is cheap, the parse (MSXML, a COM call per node) is not.
// The trees hold no COM object, so a cache may outlive the thread's
// documents; it lives as long as one read of a plan (ProjectPack_cl's read
// scope), so a file changed between two reads is read again. It keeps the
// files projects import, not the projects' own files, which one read of a
// plan reads once each.
#include <exception>
#include <map>
#include <memory>
#include <utility>
#include <vector>
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct XmlNode_st {
    String_cl name;  // the element's base name, without its namespace prefix
    // Only the attributes the file's dialect asks for (see Dialect_en), in
    // the order asked.
    std::vector<std::pair<String_cl, String_cl>> attributes;
    // The text of an element without child elements, as the parser gives it;
    // empty for an element with children.
    String_cl text;
    std::vector<XmlNode_st> children;  // elements only

    // The attribute's value, or nullptr when the element has none.
    const String_cl* Attribute(std::wstring_view attribute) const;
};

struct ProjectXml_st {
    String_cl path;  // full path as loaded
    XmlNode_st root;
};

enum class PathKind_en { Missing, File, Folder };

class ProjectFileCache_cl {
public:
    // The attributes a tree keeps: MSBuild's elements (Condition, Include,
    // Project, ...) or those of a Visual Studio 2005/2008 project file.
    enum class Dialect_en { MsBuild, VcProject };

    // The file's tree, parsed now or earlier in this cache's life. A file
    // that cannot be parsed raises the XML reader's error, now and on every
    // later load of it (it is not parsed again).
    std::shared_ptr<const ProjectXml_st> Load(const String_cl& path, Dialect_en dialect);
    // The file's tree, parsed now and not kept: a project's own file, read
    // once per read of a plan, whose tree the cache would only hold on to.
    std::shared_ptr<const ProjectXml_st> Parse(const String_cl& path, Dialect_en dialect);
    // How many files were parsed: for the benchmark.
    size_t Parsed() const { return m_parsed; }
    // Whether a full path names a file, a folder or nothing, asked of the
    // file system once in the cache's life: a thousand projects look for
    // the same Directory.Build.props in the same folders.
    PathKind_en Kind(const String_cl& fullPath);

private:
    struct Entry_st {
        std::shared_ptr<const ProjectXml_st> tree;
        std::exception_ptr error;
    };
    std::map<String_cl, Entry_st> m_entries;  // by dialect and upper-cased path
    std::map<String_cl, PathKind_en> m_kinds;  // by upper-cased path
    size_t m_parsed = 0;
};

} // namespace Quorvane_ns
