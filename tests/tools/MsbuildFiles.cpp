#include "tests/tools/MsbuildFiles.h"
#include "tests/support/TestSupport.h"

namespace StandinTest_ns {

namespace {

String_cl Condition(const String_cl& configuration)
{
    return L" Condition=\"'$(Configuration)|$(Platform)'=='" + configuration + L"'\"";
}

} // namespace

String_cl MsbuildProjectText(const MsbuildProject_st& p)
{
    const bool vs2010 = p.editor == 2010;
    String_cl t = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Project DefaultTargets=\"Build\" ToolsVersion=\"" +
                  String_cl(vs2010             ? L"4.0"
                            : p.editor == 2015 ? L"14.0"
                                               : L"17.0") +
                  L"\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
                  L"  <ItemGroup Label=\"ProjectConfigurations\">\r\n";
    for (const auto& c : p.configurations) {
        const size_t bar = c.name.find(L'|');
        t += L"    <ProjectConfiguration Include=\"" + c.name + L"\">\r\n      <Configuration>" +
             c.name.substr(0, bar) + L"</Configuration>\r\n      <Platform>" + c.name.substr(bar + 1) +
             L"</Platform>\r\n    </ProjectConfiguration>\r\n";
    }
    t += L"  </ItemGroup>\r\n  <PropertyGroup Label=\"Globals\">\r\n";
    if (p.editor == 2022) t += L"    <VCProjectVersion>17.0</VCProjectVersion>\r\n";
    t += L"    <ProjectGuid>{6D3C5A7E-0B1F-4C2A-9E8D-3F4A5B6C7D8E}</ProjectGuid>\r\n"
         L"    <Keyword>Win32Proj</Keyword>\r\n  </PropertyGroup>\r\n"
         L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.Default.props\" />\r\n";
    for (const auto& c : p.configurations) {
        t += L"  <PropertyGroup" + Condition(c.name) + L" Label=\"Configuration\">\r\n    <ConfigurationType>" +
             c.type + L"</ConfigurationType>\r\n    <UseDebugLibraries>true</UseDebugLibraries>\r\n";
        if (!vs2010)
            t += String_cl(L"    <PlatformToolset>") + (p.editor == 2015 ? L"v140" : L"v143") +
                 L"</PlatformToolset>\r\n";
        t += L"    <CharacterSet>Unicode</CharacterSet>\r\n  </PropertyGroup>\r\n";
    }
    t += L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.props\" />\r\n"
         L"  <ImportGroup Label=\"ExtensionSettings\">\r\n  </ImportGroup>\r\n";
    for (const auto& c : p.configurations)
        t += L"  <ImportGroup Label=\"PropertySheets\"" + Condition(c.name) +
             L">\r\n    <Import Project=\"$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props\" "
             L"Condition=\"exists('$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props')\" "
             L"Label=\"LocalAppDataPlatform\" />\r\n" +
             p.sheets + L"  </ImportGroup>\r\n";
    t += L"  <PropertyGroup Label=\"UserMacros\" />\r\n";
    if (vs2010) {
        t += L"  <PropertyGroup>\r\n    <_ProjectFileVersion>10.0.30319.1</_ProjectFileVersion>\r\n";
        for (const auto& c : p.configurations)
            for (const auto& [name, value] : c.properties)
                t += L"    <" + name + Condition(c.name) + L">" + value + L"</" + name + L">\r\n";
        t += L"  </PropertyGroup>\r\n";
    } else {
        for (const auto& c : p.configurations) {
            if (c.properties.empty()) continue;
            t += L"  <PropertyGroup" + Condition(c.name) + L">\r\n";
            for (const auto& [name, value] : c.properties)
                t += L"    <" + name + L">" + value + L"</" + name + L">\r\n";
            t += L"  </PropertyGroup>\r\n";
        }
    }
    for (const auto& c : p.configurations)
        t += L"  <ItemDefinitionGroup" + Condition(c.name) +
             L">\r\n    <ClCompile>\r\n      <WarningLevel>Level3</WarningLevel>\r\n"
             L"    </ClCompile>\r\n" +
             c.definitions + L"  </ItemDefinitionGroup>\r\n";
    t += L"  <ItemGroup>\r\n" + p.items +
         L"  </ItemGroup>\r\n"
         L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.targets\" />\r\n"
         L"  <ImportGroup Label=\"ExtensionTargets\">\r\n  </ImportGroup>\r\n</Project>";
    return t;
}

bool WriteMsbuildProject(const String_cl& path, const MsbuildProject_st& project)
{
    Test_ns::CreateFolders(path);
    return WriteUtf8Text(path, MsbuildProjectText(project));
}

bool WriteUtf8Text(const String_cl& path, const String_cl& text)
{
    Test_ns::CreateFolders(path);
    return Test_ns::WriteBytes(path, "\xEF\xBB\xBF" + text.ToUtf8());
}

} // namespace StandinTest_ns
