#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

namespace Test_ns {

namespace {

String_cl Tabs(size_t depth) { return String_cl(depth, L'\t'); }

String_cl Escaped(String_cl value)
{
    // The ampersand first: the others bring ampersands of their own.
    value.ReplaceAll(L"&", L"&amp;");
    value.ReplaceAll(L"<", L"&lt;");
    value.ReplaceAll(L">", L"&gt;");
    value.ReplaceAll(L"\"", L"&quot;");
    // Written as they are, a parser would read them as spaces.
    value.ReplaceAll(L"\t", L"&#9;");
    value.ReplaceAll(L"\r", L"&#13;");
    value.ReplaceAll(L"\n", L"&#10;");
    return value;
}

// Visual Studio 2008 puts every attribute on a line of its own, closes a
// start tag on a line one level deeper and an empty element on its own level;
// an element without attributes takes one line. It leaves out empty values.
String_cl Open(size_t depth, const wchar_t* element, const XmlAttributes_t& attributes = {}, bool empty = false)
{
    if (attributes.empty()) return Tabs(depth) + L"<" + element + (empty ? L"/>\r\n" : L">\r\n");
    String_cl t = Tabs(depth) + L"<" + element + L"\r\n";
    for (const auto& [name, value] : attributes)
        if (!value.empty()) t += Tabs(depth + 1) + name + L"=\"" + Escaped(value) + L"\"\r\n";
    return t + (empty ? Tabs(depth) + L"/>\r\n" : Tabs(depth + 1) + L">\r\n");
}

String_cl Close(size_t depth, const wchar_t* element) { return Tabs(depth) + L"</" + element + L">\r\n"; }

String_cl FileText(size_t depth, const VcFile_st& file)
{
    String_cl t = Open(depth, L"File", {{L"RelativePath", file.relativePath}});
    for (const String_cl& configuration : file.excludedFrom)
        t += Open(depth + 1, L"FileConfiguration", {{L"Name", configuration}, {L"ExcludedFromBuild", L"true"}}) +
             Close(depth + 1, L"FileConfiguration");
    return t + Close(depth, L"File");
}

XmlAttributes_t Named(const String_cl& name, const XmlAttributes_t& more)
{
    XmlAttributes_t attributes{{L"Name", name}};
    attributes.insert(attributes.end(), more.begin(), more.end());
    return attributes;
}

} // namespace

VcTool_st VcTool_st::With(const String_cl& attribute, const String_cl& value) const
{
    VcTool_st changed = *this;
    changed.attributes.emplace_back(attribute, value);
    return changed;
}

VcTool_st Compiler() { return {L"VCCLCompilerTool"}; }

VcTool_st Librarian(const String_cl& file) { return VcTool_st{L"VCLibrarianTool"}.With(L"OutputFile", file); }

VcTool_st Linker(const String_cl& file) { return VcTool_st{L"VCLinkerTool"}.With(L"OutputFile", file); }

String_cl VcprojText(const VcProject_st& project)
{
    String_cl t = Open(0, L"VisualStudioProject",
                       {{L"ProjectType", L"Visual C++"}, {L"Version", L"9.00"}, {L"Name", project.name}});
    t += Open(1, L"Platforms") + Open(2, L"Platform", {{L"Name", L"Win32"}}, true) + Close(1, L"Platforms");
    t += Open(1, L"ToolFiles") + Close(1, L"ToolFiles") + Open(1, L"Configurations");
    for (const VcConfiguration_st& c : project.configurations) {
        XmlAttributes_t attributes = Named(c.name, c.attributes);
        if (c.type != kNoType) attributes.emplace_back(L"ConfigurationType", String_cl::FromInt(c.type));
        t += Open(2, L"Configuration", attributes);
        for (const VcTool_st& tool : c.tools) t += Open(3, L"Tool", Named(tool.name, tool.attributes), true);
        t += Close(2, L"Configuration");
    }
    t += Close(1, L"Configurations") + Open(1, L"References");
    for (size_t i = 0; i < project.references.size(); ++i) {
        wchar_t guid[48];
        swprintf(guid, 48, L"{6D0A5B3E-1F2C-4E8D-9A7B-%012u}", static_cast<unsigned>(i + 1));
        t += Open(2, L"ProjectReference",
                  {{L"ReferencedProjectIdentifier", guid}, {L"RelativePathToProject", project.references[i]}}, true);
    }
    t += Close(1, L"References") + Open(1, L"Files");
    if (!project.filter.empty()) t += Open(2, L"Filter", {{L"Name", project.filter}});
    for (const VcFile_st& file : project.files) t += FileText(project.filter.empty() ? 2 : 3, file);
    if (!project.filter.empty()) t += Close(2, L"Filter");
    return t + Close(1, L"Files") + Open(1, L"Globals") + Close(1, L"Globals") + Close(0, L"VisualStudioProject");
}

String_cl WrapperText(const String_cl& nestedFile)
{
    XmlAttributes_t attributes{{L"ProjectCreator", L"Intel C++"}, {L"Version", L"11.0"}};
    if (!nestedFile.empty()) attributes.emplace_back(L"VCNestedProjectFileName", nestedFile);
    return Open(0, L"VisualStudioProject", attributes) + Close(0, L"VisualStudioProject");
}

bool WriteXml(const String_cl& path, const String_cl& text, unsigned codePage)
{
    if (codePage != 936 && codePage != 1252) codePage = 65001;
    const char* encoding = codePage == 936 ? "gb2312" : codePage == 1252 ? "Windows-1252" : "UTF-8";
    CreateFolders(path);
    return WriteBytes(path, std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n" +
                                text.ToMultiByte(codePage));
}

bool WriteVcproj(const String_cl& path, const VcProject_st& project, unsigned codePage)
{
    return WriteXml(path, VcprojText(project), codePage);
}

bool WriteVcprojAndSources(const String_cl& path, const VcProject_st& project, const std::string& sources,
                           unsigned codePage)
{
    const String_cl folder = path.substr(0, path.find_last_of(L'\\') + 1);
    bool written = WriteVcproj(path, project, codePage);
    for (const VcFile_st& file : project.files) {
        CreateFolders(folder + file.relativePath);
        written = WriteBytes(folder + file.relativePath, sources) && written;
    }
    return written;
}

} // namespace Test_ns
