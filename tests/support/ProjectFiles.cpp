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

namespace {

const wchar_t kMsBuildNamespace[] = L"http://schemas.microsoft.com/developer/msbuild/2003";

String_cl Indent(size_t depth) { return String_cl(depth * 2, L' '); }

String_cl ConditionFor(const String_cl& configuration)
{
    return L"'$(Configuration)|$(Platform)'=='" + configuration + L"'";
}

String_cl Element(size_t depth, const String_cl& name, const String_cl& value, const String_cl& condition = String_cl())
{
    if (name.empty()) return Indent(depth) + value + L"\r\n";
    String_cl t = Indent(depth) + L"<" + name;
    if (!condition.empty()) t += L" Condition=\"" + Escaped(condition) + L"\"";
    return t + L">" + Escaped(value) + L"</" + name + L">\r\n";
}

String_cl Elements(size_t depth, const XmlElements_t& elements)
{
    String_cl t;
    for (const auto& [name, value] : elements) t += Element(depth, name, value);
    return t;
}

// <name attributes>children</name>, or <name attributes /> without children.
String_cl Group(size_t depth, const String_cl& name, const String_cl& attributes, const String_cl& children)
{
    const String_cl open = Indent(depth) + L"<" + name + (attributes.empty() ? L"" : L" " + attributes);
    if (children.empty()) return open + L" />\r\n";
    return open + L">\r\n" + children + Indent(depth) + L"</" + name + L">\r\n";
}

String_cl Conditioned(const String_cl& configuration, const wchar_t* label = nullptr)
{
    String_cl a = L"Condition=\"" + Escaped(ConditionFor(configuration)) + L"\"";
    if (label) a += String_cl(L" Label=\"") + label + L"\"";
    return a;
}

String_cl Import(size_t depth, const String_cl& project, const String_cl& more = String_cl())
{
    return Indent(depth) + L"<Import Project=\"" + Escaped(project) + L"\"" + (more.empty() ? L"" : L" " + more) +
           L" />\r\n";
}

String_cl Tools(const VcxConfiguration_st& c, VcxEdition_en edition)
{
    String_cl compiler = Element(3, L"WarningLevel", L"Level3") + Element(3, L"Optimization", L"Disabled");
    if (edition == VcxEdition_en::Vs2022) compiler += Element(3, L"SDLCheck", L"true");
    compiler += Element(3, L"PreprocessorDefinitions", L"WIN32;_DEBUG;%(PreprocessorDefinitions)");
    compiler += Elements(3, c.compile);
    String_cl t = Group(2, L"ClCompile", L"", compiler);
    XmlElements_t link = c.link;
    link.insert(link.begin(), {{L"SubSystem", L"Windows"}, {L"GenerateDebugInformation", L"true"}});
    t += Group(2, L"Link", L"", Elements(3, link));
    if (!c.lib.empty()) t += Group(2, L"Lib", L"", Elements(3, c.lib));
    return t;
}

} // namespace

String_cl VcxprojText(const VcxProject_st& p)
{
    const VcxEdition_en e = p.edition;
    const wchar_t* tools = e == VcxEdition_en::Vs2010 ? L"4.0" : e == VcxEdition_en::Vs2015 ? L"14.0" : L"17.0";
    String_cl body;

    String_cl configurations;
    for (const VcxConfiguration_st& c : p.configurations) {
        const size_t bar = c.name.find(L'|');
        configurations += Group(2, L"ProjectConfiguration", L"Include=\"" + Escaped(c.name) + L"\"",
                                Element(3, L"Configuration", c.name.substr(0, bar)) +
                                    Element(3, L"Platform", bar == String_cl::npos ? L"" : c.name.substr(bar + 1)));
    }
    body += Group(1, L"ItemGroup", L"Label=\"ProjectConfigurations\"", configurations);

    XmlElements_t globals;
    if (e == VcxEdition_en::Vs2022) globals.emplace_back(L"VCProjectVersion", L"17.0");
    globals.insert(globals.end(), {{L"ProjectGuid", p.guid}, {L"Keyword", L"Win32Proj"}, {L"RootNamespace", L"demo"}});
    if (e == VcxEdition_en::Vs2015) globals.emplace_back(L"WindowsTargetPlatformVersion", L"8.1");
    if (e == VcxEdition_en::Vs2022) globals.emplace_back(L"WindowsTargetPlatformVersion", L"10.0");
    globals.insert(globals.end(), p.globals.begin(), p.globals.end());
    body += Group(1, L"PropertyGroup", L"Label=\"Globals\"", Elements(2, globals));
    body += Import(1, L"$(VCTargetsPath)\\Microsoft.Cpp.Default.props");

    for (const VcxConfiguration_st& c : p.configurations) {
        String_cl settings;
        if (!c.type.empty()) settings += Element(2, L"ConfigurationType", c.type);
        settings += Element(2, L"UseDebugLibraries", L"true");
        if (e != VcxEdition_en::Vs2010)
            settings += Element(2, L"PlatformToolset", e == VcxEdition_en::Vs2015 ? L"v140" : L"v143");
        settings += Element(2, L"CharacterSet", L"Unicode");
        body += Group(1, L"PropertyGroup", Conditioned(c.name, L"Configuration"), settings);
    }
    body += Import(1, L"$(VCTargetsPath)\\Microsoft.Cpp.props");
    body += Group(1, L"ImportGroup", L"Label=\"ExtensionSettings\"", L"");
    if (e != VcxEdition_en::Vs2010) body += Group(1, L"ImportGroup", L"Label=\"Shared\"", L"");
    for (const VcxConfiguration_st& c : p.configurations) {
        String_cl sheets = Import(2, L"$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props",
                                  L"Condition=\"exists('$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props')\" "
                                  L"Label=\"LocalAppDataPlatform\"");
        for (const String_cl& sheet : p.propertySheets) sheets += Import(2, sheet);
        body += Group(1, L"ImportGroup", L"Label=\"PropertySheets\" " + Conditioned(c.name), sheets);
    }
    body += Group(1, L"PropertyGroup", L"Label=\"UserMacros\"", L"");

    if (e == VcxEdition_en::Vs2010) {
        // One group; each property carries its configuration's condition.
        String_cl properties = Element(2, L"_ProjectFileVersion", L"10.0.30319.1");
        for (const VcxConfiguration_st& c : p.configurations)
            for (const auto& [name, value] : c.properties)
                properties += name.empty() ? Element(2, name, value) : Element(2, name, value, ConditionFor(c.name));
        body += Group(1, L"PropertyGroup", L"", properties);
    } else {
        for (const VcxConfiguration_st& c : p.configurations) {
            XmlElements_t properties = c.properties;
            if (e == VcxEdition_en::Vs2015) properties.insert(properties.begin(), {L"LinkIncremental", L"true"});
            if (!properties.empty()) body += Group(1, L"PropertyGroup", Conditioned(c.name), Elements(2, properties));
        }
    }
    for (const VcxConfiguration_st& c : p.configurations)
        body += Group(1, L"ItemDefinitionGroup", Conditioned(c.name), Tools(c, e));

    String_cl sources;
    for (const String_cl& s : p.sources) sources += Indent(2) + L"<ClCompile Include=\"" + Escaped(s) + L"\" />\r\n";
    if (!sources.empty()) body += Group(1, L"ItemGroup", L"", sources);
    String_cl references;
    for (size_t i = 0; i < p.references.size(); ++i)
        references += Group(2, L"ProjectReference", L"Include=\"" + Escaped(p.references[i]) + L"\"",
                            Element(3, L"Project", L"{6A2B3C4D-0000-4000-8000-1000000000" +
                                                       String_cl::FromInt(10 + static_cast<int>(i)) + L"}"));
    if (!references.empty()) body += Group(1, L"ItemGroup", L"", references);
    body += Import(1, L"$(VCTargetsPath)\\Microsoft.Cpp.targets");
    body += Group(1, L"ImportGroup", L"Label=\"ExtensionTargets\"", L"");

    return L"<Project DefaultTargets=\"Build\" ToolsVersion=\"" + String_cl(tools) + L"\" xmlns=\"" + kMsBuildNamespace +
           L"\">\r\n" + body + L"</Project>";
}

String_cl PropsText(const XmlElements_t& properties, const XmlElements_t& link, const XmlElements_t& lib,
                    const std::vector<String_cl>& imports)
{
    String_cl sheets;
    for (const String_cl& i : imports) sheets += Import(2, i);
    String_cl tools;
    if (!link.empty()) tools += Group(2, L"Link", L"", Elements(3, link));
    if (!lib.empty()) tools += Group(2, L"Lib", L"", Elements(3, lib));
    return L"<Project ToolsVersion=\"4.0\" xmlns=\"" + String_cl(kMsBuildNamespace) + L"\">\r\n" +
           Group(1, L"ImportGroup", L"Label=\"PropertySheets\"", sheets) +
           Group(1, L"PropertyGroup", L"Label=\"UserMacros\"", L"") + Group(1, L"PropertyGroup", L"", Elements(2, properties)) +
           Group(1, L"ItemDefinitionGroup", L"", tools) + Group(1, L"ItemGroup", L"", L"") + L"</Project>";
}

bool WriteMsBuildFile(const String_cl& path, const String_cl& text)
{
    CreateFolders(path);
    return WriteBytes(path, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n" + text.ToUtf8());
}

bool WriteVcxprojAndSources(const String_cl& path, const VcxProject_st& project, const std::string& sources)
{
    const String_cl folder = path.substr(0, path.find_last_of(L'\\') + 1);
    bool written = WriteMsBuildFile(path, VcxprojText(project));
    for (const String_cl& source : project.sources) {
        CreateFolders(folder + source);
        written = WriteBytes(folder + source, sources) && written;
    }
    return written;
}

} // namespace Test_ns
