#include "tests/support/GeneratorCorpus.h"
#include <initializer_list>
#include <utility>
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

namespace Test_ns {

namespace {

// The project type of C++ projects in a solution.
const wchar_t kCppProjectType[] = L"{8BC9CEB8-8B4A-11D0-8D11-00A0C91F3942}";

String_cl Guid(int n)
{
    wchar_t text[48];
    swprintf(text, 48, L"{5C1E0A77-3B2D-4F60-9A1E-%012d}", n);
    return text;
}

// Every {NAME} of the text replaced by its value; raw text with "\n" line
// ends becomes "\r\n" as every generator here writes.
String_cl Fill(String_cl text, std::initializer_list<std::pair<const wchar_t*, String_cl>> values = {})
{
    for (const auto& [name, value] : values) text.ReplaceAll(name, value);
    text.ReplaceAll(L"\r\n", L"\n");
    text.ReplaceAll(L"\n", L"\r\n");
    return text;
}

class Writer_cl {
public:
    explicit Writer_cl(const String_cl& root) : m_root(root) {}

    const String_cl& Root() const { return m_root; }

    // UTF-8 with the mark (Visual Studio, premake) or without (CMake).
    void Write(const String_cl& relative, const String_cl& text, bool mark = true)
    {
        const String_cl path = m_root + relative;
        CreateFolders(path);
        m_ok = WriteBytes(path, (mark ? "\xEF\xBB\xBF" : "") + text.ToUtf8()) && m_ok;
    }

    void Source(const String_cl& relative) { Write(relative, L"int f(void) { return 0; }\r\n", false); }

    void Case(const wchar_t* style, const String_cl& project, const String_cl& solution = String_cl())
    {
        m_cases.push_back({style, m_root + project, solution.empty() ? String_cl() : m_root + solution});
    }

    bool Ok() const { return m_ok; }
    std::vector<CorpusCase_st>& Cases() { return m_cases; }

private:
    String_cl m_root;
    bool m_ok = true;
    std::vector<CorpusCase_st> m_cases;
};

// ---- solutions ---------------------------------------------------------

struct SlnProject_st {
    String_cl name;
    String_cl path; // relative to the solution, with backslashes
    String_cl guid;
    // The project's configuration in each configuration of the solution, in
    // its order; built there unless it is marked with a leading "-".
    std::vector<String_cl> configurations;
    std::vector<String_cl> dependencies; // GUIDs
};

String_cl SolutionText(const wchar_t* header, const std::vector<String_cl>& configurations,
                       const std::vector<SlnProject_st>& projects)
{
    String_cl t = L"\r\n" + Fill(header);
    for (const SlnProject_st& p : projects) {
        t += L"Project(\"" + String_cl(kCppProjectType) + L"\") = \"" + p.name + L"\", \"" + p.path + L"\", \"" +
             p.guid + L"\"\r\n";
        if (!p.dependencies.empty()) {
            t += L"\tProjectSection(ProjectDependencies) = postProject\r\n";
            for (const String_cl& d : p.dependencies) t += L"\t\t" + d + L" = " + d + L"\r\n";
            t += L"\tEndProjectSection\r\n";
        }
        t += L"EndProject\r\n";
    }
    t += L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n";
    for (const String_cl& c : configurations) t += L"\t\t" + c + L" = " + c + L"\r\n";
    t += L"\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n";
    for (const SlnProject_st& p : projects)
        for (size_t i = 0; i < configurations.size() && i < p.configurations.size(); ++i) {
            const bool built = !p.configurations[i].StartsWith(L"-");
            const String_cl cfg = built ? p.configurations[i] : String_cl(p.configurations[i].substr(1));
            t += L"\t\t" + p.guid + L"." + configurations[i] + L".ActiveCfg = " + cfg + L"\r\n";
            if (built) t += L"\t\t" + p.guid + L"." + configurations[i] + L".Build.0 = " + cfg + L"\r\n";
        }
    t += L"\tEndGlobalSection\r\n\tGlobalSection(SolutionProperties) = preSolution\r\n"
         L"\t\tHideSolutionNode = FALSE\r\n\tEndGlobalSection\r\nEndGlobal\r\n";
    return t;
}

const wchar_t kVs2022Header[] = L"Microsoft Visual Studio Solution File, Format Version 12.00\n"
                                L"# Visual Studio Version 17\n"
                                L"VisualStudioVersion = 17.5.33516.290\n"
                                L"MinimumVisualStudioVersion = 10.0.40219.1\n";
const wchar_t kVs2010Header[] = L"Microsoft Visual Studio Solution File, Format Version 11.00\n"
                                L"# Visual Studio 2010\n";

// The ProjectConfiguration items every project writes, with its Label.
String_cl ProjectConfigurations(std::initializer_list<const wchar_t*> names, const wchar_t* indent = L"  ")
{
    const String_cl in = indent;
    String_cl t = in + L"<ItemGroup Label=\"ProjectConfigurations\">\n";
    for (const wchar_t* n : names) {
        const String_cl name = n;
        const size_t bar = name.find(L'|');
        t += in + L"  <ProjectConfiguration Include=\"" + name + L"\">\n" + in + L"    <Configuration>" +
             name.substr(0, bar) + L"</Configuration>\n" + in + L"    <Platform>" + name.substr(bar + 1) +
             L"</Platform>\n" + in + L"  </ProjectConfiguration>\n";
    }
    return t + in + L"</ItemGroup>\n";
}

// One ImportGroup "PropertySheets" per configuration, each with the user's
// own sheet every editor and generator adds, then more (Import lines). The
// 2015 and later editors put the Label first, the 2010 editor and CMake the
// Condition.
String_cl PropertySheetGroups(const std::vector<String_cl>& configurations, bool labelFirst,
                              const String_cl& more = String_cl())
{
    String_cl t;
    for (const String_cl& c : configurations) {
        const String_cl condition = L"Condition=\"'$(Configuration)|$(Platform)'=='" + c + L"'\"";
        t += L"  <ImportGroup " +
             (labelFirst ? L"Label=\"PropertySheets\" " + condition : condition + L" Label=\"PropertySheets\"") +
             L">\n    <Import Project=\"$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props\" "
             L"Condition=\"exists('$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props')\" "
             L"Label=\"LocalAppDataPlatform\" />\n" +
             more + L"  </ImportGroup>\n";
    }
    return t;
}

// ---- hand-written, around property sheets ------------------------------

void WriteHand(Writer_cl& w)
{
    // Settings every project of the solution shares. Its OutDir is replaced
    // by Output.props, which imports this sheet again: MSBuild skips a file
    // imported a second time, so the later OutDir stands.
    w.Write(L"hand\\props\\Common.props", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <ImportGroup Label="PropertySheets" />
  <PropertyGroup Label="UserMacros">
    <BuildRoot>$(SolutionDir)build\</BuildRoot>
  </PropertyGroup>
  <PropertyGroup>
    <DefaultLinkage Condition="$(Configuration.IndexOf('DLL')) != -1">dynamic</DefaultLinkage>
    <DefaultLinkage Condition="$(Configuration.IndexOf('LIB')) != -1">static</DefaultLinkage>
    <OutDir>$(BuildRoot)common\</OutDir>
    <IntDir>$(BuildRoot)obj\$(ProjectName)\$(Configuration)\$(PlatformShortName)\</IntDir>
  </PropertyGroup>
  <ItemDefinitionGroup>
    <ClCompile>
      <WarningLevel>Level4</WarningLevel>
    </ClCompile>
  </ItemDefinitionGroup>
</Project>
)xml"));
    w.Write(L"hand\\props\\Output.props", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <PropertyGroup>
    <OutDir>$(BuildRoot)bin\$(Platform)\$(Configuration.ToLower())\$(DefaultLinkage)\</OutDir>
  </PropertyGroup>
  <ImportGroup Label="PropertySheets">
    <Import Project="Common.props" />
  </ImportGroup>
  <Choose>
    <When Condition="'$(ConfigurationType)' == 'Application'">
      <PropertyGroup>
        <TargetName>$(ProjectName)$(TargetSuffix)</TargetName>
      </PropertyGroup>
    </When>
    <When Condition="'$(DefaultLinkage)' == 'dynamic'">
      <PropertyGroup>
        <TargetName>lib$(ProjectName)$(TargetSuffix)</TargetName>
      </PropertyGroup>
    </When>
    <Otherwise>
      <PropertyGroup>
        <TargetName>lib$(ProjectName)_s$(TargetSuffix)</TargetName>
      </PropertyGroup>
    </Otherwise>
  </Choose>
</Project>
)xml"));
    // One sheet per configuration name, two of them importing a third.
    const String_cl debugSheet = Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <ImportGroup Label="PropertySheets">
    <Import Project="$(MSBuildThisFileDirectory)Debug.props" />
  </ImportGroup>
</Project>
)xml");
    w.Write(L"hand\\props\\DebugDLL.props", debugSheet);
    w.Write(L"hand\\props\\DebugLIB.props", debugSheet);
    w.Write(L"hand\\props\\Debug.props", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <PropertyGroup Label="UserMacros">
    <TargetSuffix>d</TargetSuffix>
  </PropertyGroup>
  <PropertyGroup>
    <UseDebugLibraries>true</UseDebugLibraries>
  </PropertyGroup>
</Project>
)xml"));
    const String_cl releaseSheet = Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <PropertyGroup>
    <WholeProgramOptimization>true</WholeProgramOptimization>
  </PropertyGroup>
</Project>
)xml");
    w.Write(L"hand\\props\\ReleaseDLL.props", releaseSheet);
    w.Write(L"hand\\props\\ReleaseLIB.props", releaseSheet);
    // What a program that uses the library links: the import library or the
    // static library, chosen by a property the program may set before.
    w.Write(L"hand\\props\\core.import.props", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <PropertyGroup>
    <Linkage-core Condition="'$(Linkage-core)' == ''">$(DefaultLinkage)</Linkage-core>
  </PropertyGroup>
  <ItemDefinitionGroup Condition="'$(Linkage-core)' == 'dynamic'">
    <Link>
      <AdditionalDependencies>libcore$(TargetSuffix).lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Link>
  </ItemDefinitionGroup>
  <ItemDefinitionGroup Condition="'$(Linkage-core)' == 'static' and '$(Platform)' != 'Win32'">
    <Link>
      <AdditionalDependencies>libcore_s$(TargetSuffix).lib;ws2_32.lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Link>
  </ItemDefinitionGroup>
  <ItemDefinitionGroup Condition="'$(Linkage-core)' == 'static' and '$(Platform)' == 'Win32'">
    <Link>
      <AdditionalDependencies>libcore_s$(TargetSuffix).lib;wsock32.lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Link>
  </ItemDefinitionGroup>
</Project>
)xml"));

    const String_cl coreConfigurations =
        ProjectConfigurations({L"DebugDLL|Win32", L"ReleaseDLL|x64", L"DebugLIB|Win32", L"ReleaseLIB|x64"});
    const String_cl sheets = L"    <Import Project=\"$(ProjectDir)..\\props\\$(Configuration).props\" />\n"
                             L"    <Import Project=\"$(SolutionDir)\\props\\Common.props\" />\n"
                             L"    <Import Project=\"..\\props\\Output.props\" />\n";
    const String_cl coreSheets =
        PropertySheetGroups({L"DebugDLL|Win32", L"ReleaseDLL|x64", L"DebugLIB|Win32", L"ReleaseLIB|x64"}, true, sheets);
    const String_cl toolSheets =
        PropertySheetGroups({L"DebugDLL|Win32", L"ReleaseDLL|x64", L"DebugLIB|Win32", L"ReleaseLIB|x64"}, true,
                            sheets + L"    <Import Project=\"$(SolutionDir)\\props\\core.import.props\" />\n");
    w.Write(L"hand\\core\\core.vcxproj", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="14.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
{CONFIGURATIONS}  <PropertyGroup Label="Globals">
    <ProjectGuid>{GUID}</ProjectGuid>
    <ProjectName>core</ProjectName>
    <RootNamespace>core</RootNamespace>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <PropertyGroup Condition="$(Configuration.IndexOf('DLL')) != -1" Label="Configuration">
    <ConfigurationType>DynamicLibrary</ConfigurationType>
  </PropertyGroup>
  <PropertyGroup Condition="$(Configuration.IndexOf('LIB')) != -1" Label="Configuration">
    <ConfigurationType>StaticLibrary</ConfigurationType>
  </PropertyGroup>
  <PropertyGroup Label="Configuration">
    <PlatformToolset>v140</PlatformToolset>
    <CharacterSet>Unicode</CharacterSet>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
  <ImportGroup Label="ExtensionSettings">
  </ImportGroup>
{SHEETS}  <PropertyGroup Label="UserMacros" />
  <ItemDefinitionGroup>
    <ClCompile>
      <PreprocessorDefinitions>CORE_EXPORTS;%(PreprocessorDefinitions)</PreprocessorDefinitions>
    </ClCompile>
    <Link Condition="'$(ConfigurationType)' == 'DynamicLibrary'">
      <AdditionalDependencies>ws2_32.lib;%(AdditionalDependencies)</AdditionalDependencies>
      <SubSystem>Windows</SubSystem>
    </Link>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ClCompile Include="core.c" />
  </ItemGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />
  <ImportGroup Label="ExtensionTargets">
  </ImportGroup>
</Project>
)xml",
                                                    {{L"{CONFIGURATIONS}", coreConfigurations},
                                                     {L"{GUID}", Guid(1)},
                                                     {L"{SHEETS}", coreSheets}}));
    w.Source(L"hand\\core\\core.c");
    // Links the library through its import sheet and an old library of the
    // solution's by full path.
    w.Write(L"hand\\tool\\tool.vcxproj", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="14.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
{CONFIGURATIONS}  <PropertyGroup Label="Globals">
    <ProjectGuid>{GUID}</ProjectGuid>
    <RootNamespace>tool</RootNamespace>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <PropertyGroup Label="Configuration">
    <ConfigurationType>Application</ConfigurationType>
    <PlatformToolset>v140</PlatformToolset>
    <CharacterSet>Unicode</CharacterSet>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
  <ImportGroup Label="ExtensionSettings">
  </ImportGroup>
{SHEETS}  <PropertyGroup Label="UserMacros" />
  <ItemDefinitionGroup>
    <Link>
      <AdditionalDependencies>$(SolutionDir)$(Platform)\$(Configuration)\zlib.lib;%(AdditionalDependencies)</AdditionalDependencies>
      <ProgramDatabaseFile>$(TargetDir)$(TargetName).pdb</ProgramDatabaseFile>
      <SubSystem>Console</SubSystem>
    </Link>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ClCompile Include="tool.c" />
  </ItemGroup>
  <ItemGroup>
    <ProjectReference Include="..\core\core.vcxproj">
      <Project>{CORE}</Project>
    </ProjectReference>
  </ItemGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />
  <ImportGroup Label="ExtensionTargets">
  </ImportGroup>
</Project>
)xml",
                                                    {{L"{CONFIGURATIONS}", coreConfigurations},
                                                     {L"{GUID}", Guid(2)},
                                                     {L"{CORE}", Guid(1)},
                                                     {L"{SHEETS}", toolSheets}}));
    w.Source(L"hand\\tool\\tool.c");

    // The examples take everything from one sheet imported first, which
    // names the library by $(SolutionDir).
    w.Write(L"hand\\examples\\Examples.props", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
{CONFIGURATIONS}  <PropertyGroup Label="Configuration">
    <ConfigurationType>Application</ConfigurationType>
    <CharacterSet>Unicode</CharacterSet>
  </PropertyGroup>
  <PropertyGroup>
    <OutDir>$(SolutionDir)bin\examples\$(Configuration)\</OutDir>
    <IntDir>$(SolutionDir)obj\examples\$(MSBuildProjectName)\$(Configuration)\</IntDir>
  </PropertyGroup>
  <ItemDefinitionGroup>
    <Link>
      <AdditionalDependencies>examples_common.lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Link>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ProjectReference Include="$(SolutionDir)core\core.vcxproj">
      <Project>{CORE}</Project>
    </ProjectReference>
  </ItemGroup>
</Project>
)xml",
                                                          {{L"{CONFIGURATIONS}", coreConfigurations},
                                                           {L"{CORE}", Guid(1)}}));
    const wchar_t* example = LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="15.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <Import Project="$(SolutionDir)\examples\Examples.props" />
  <PropertyGroup Label="Globals">
    <ProjectGuid>{GUID}</ProjectGuid>
    <RootNamespace>{NAME}</RootNamespace>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
{MORE}  <ItemGroup>
    <ClCompile Include="{NAME}.c" />
  </ItemGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />
</Project>
)xml";
    w.Write(L"hand\\examples\\hello\\hello.vcxproj", Fill(example, {{L"{GUID}", Guid(3)}, {L"{NAME}", L"hello"}, {L"{MORE}", L""}}));
    w.Source(L"hand\\examples\\hello\\hello.c");
    w.Write(L"hand\\examples\\stats\\stats.vcxproj",
            Fill(example, {{L"{GUID}", Guid(4)},
                           {L"{NAME}", L"stats"},
                           {L"{MORE}", L"  <Import Project=\"..\\local.props\" Condition=\"Exists('..\\local.props')\" />\n"
                                       L"  <PropertyGroup Condition=\"'$(Platform)' == 'x64'\">\n"
                                       L"    <TargetName>$(ProjectName)64</TargetName>\n"
                                       L"  </PropertyGroup>\n"}}));
    w.Source(L"hand\\examples\\stats\\stats.c");

    // Written by the 2010 editor: one group of properties, each with its
    // configuration's condition; configurations named with a dot.
    w.Write(L"hand\\legacy\\legacy.vcxproj", Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
{CONFIGURATIONS}  <PropertyGroup Label="Globals">
    <ProjectGuid>{GUID}</ProjectGuid>
    <RootNamespace>legacy</RootNamespace>
    <Keyword>Win32Proj</Keyword>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Debug|Win32'" Label="Configuration">
    <ConfigurationType>DynamicLibrary</ConfigurationType>
    <UseDebugLibraries>true</UseDebugLibraries>
  </PropertyGroup>
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Release|Win32'" Label="Configuration">
    <ConfigurationType>DynamicLibrary</ConfigurationType>
    <WholeProgramOptimization>true</WholeProgramOptimization>
  </PropertyGroup>
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Release.MT|Win32'" Label="Configuration">
    <ConfigurationType>StaticLibrary</ConfigurationType>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
  <ImportGroup Label="ExtensionSettings">
  </ImportGroup>
{SHEETS}  <PropertyGroup Label="UserMacros" />
  <PropertyGroup>
    <_ProjectFileVersion>10.0.30319.1</_ProjectFileVersion>
    <OutDir Condition="'$(Configuration)|$(Platform)'=='Debug|Win32'">$(SolutionDir)$(Configuration)\</OutDir>
    <IntDir Condition="'$(Configuration)|$(Platform)'=='Debug|Win32'">$(Configuration)\</IntDir>
    <OutDir Condition="'$(Configuration)|$(Platform)'=='Release|Win32'">$(SolutionDir)$(Configuration)</OutDir>
    <IntDir Condition="'$(Configuration)|$(Platform)'=='Release|Win32'">$(Configuration)\</IntDir>
    <OutDir Condition="$(Configuration) == 'Release.MT'">$(SolutionDir)lib\</OutDir>
    <IntDir Condition="$(Configuration) == 'Release.MT'">obj/$(Configuration)</IntDir>
    <TargetName Condition="'$(Configuration)|$(Platform)'=='Release.MT|Win32'">$(ProjectName)_mt</TargetName>
    <TargetName Condition="'$(Configuration)|$(Platform)'=='Debug|Win32' and !Exists('$(SolutionDir)no-such.props')">$(ProjectName)_d</TargetName>
    <LinkIncremental Condition="'$(Configuration)|$(Platform)'=='Debug|Win32'">true</LinkIncremental>
    <TargetName Condition="$(UseDebugLibraries) == true and $(Platform) == Win32">$(TargetName)_dbg</TargetName>
  </PropertyGroup>
  <ItemDefinitionGroup Condition="'$(Configuration)|$(Platform)'=='Debug|Win32'">
    <Link>
      <GenerateDebugInformation>true</GenerateDebugInformation>
      <ImportLibrary>$(SolutionDir)lib\$(Configuration)\legacy.lib</ImportLibrary>
      <AdditionalDependencies>version.lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Link>
  </ItemDefinitionGroup>
  <ItemDefinitionGroup Condition="'$(Configuration)|$(Platform)'=='Release|Win32'">
    <Link>
      <GenerateDebugInformation>true</GenerateDebugInformation>
      <ImportLibrary Condition="HasTrailingSlash('$(OutDir)')">$(OutDir)legacy_imp.lib</ImportLibrary>
      <ImportLibrary Condition="!HasTrailingSlash('$(OutDir)')">$(OutDir)\legacy_imp.lib</ImportLibrary>
      <AdditionalDependencies>version.lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Link>
  </ItemDefinitionGroup>
  <ItemDefinitionGroup Condition="'$(Configuration)|$(Platform)'=='Release.MT|Win32'">
    <Lib>
      <AdditionalDependencies>version.lib</AdditionalDependencies>
    </Lib>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ClCompile Include="legacy.c" />
  </ItemGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />
  <ImportGroup Label="ExtensionTargets">
  </ImportGroup>
</Project>
)xml",
                                                      {{L"{CONFIGURATIONS}",
                                                        ProjectConfigurations({L"Debug|Win32", L"Release|Win32", L"Release.MT|Win32"})},
                                                       {L"{GUID}", Guid(5)},
                                                       {L"{SHEETS}", PropertySheetGroups({L"Debug|Win32", L"Release|Win32",
                                                                                          L"Release.MT|Win32"},
                                                                                         false)}}));
    w.Source(L"hand\\legacy\\legacy.c");

    const std::vector<String_cl> solutionConfigurations{L"DebugDLL|x86", L"DebugLIB|x86", L"ReleaseDLL|x64",
                                                        L"ReleaseLIB|x64", L"Release.MT|x86"};
    const std::vector<String_cl> libraryConfigurations{L"DebugDLL|Win32", L"DebugLIB|Win32", L"ReleaseDLL|x64",
                                                       L"ReleaseLIB|x64", L"-ReleaseLIB|x64"};
    w.Write(L"hand\\Hand.sln",
            SolutionText(kVs2022Header, solutionConfigurations,
                         {{L"core", L"core\\core.vcxproj", Guid(1), libraryConfigurations, {}},
                          {L"tool", L"tool\\tool.vcxproj", Guid(2), libraryConfigurations, {}},
                          {L"hello", L"examples\\hello\\hello.vcxproj", Guid(3), libraryConfigurations, {}},
                          {L"stats", L"examples\\stats\\stats.vcxproj", Guid(4), libraryConfigurations, {}},
                          {L"legacy",
                           L"legacy\\legacy.vcxproj",
                           Guid(5),
                           {L"Debug|Win32", L"-Debug|Win32", L"-Release|Win32", L"-Release|Win32", L"Release.MT|Win32"},
                           {}}}));
    for (const wchar_t* p : {L"core\\core.vcxproj", L"tool\\tool.vcxproj", L"examples\\hello\\hello.vcxproj",
                             L"examples\\stats\\stats.vcxproj", L"legacy\\legacy.vcxproj"})
        w.Case(L"hand", L"hand\\" + String_cl(p), L"hand\\Hand.sln");
}

// ---- CMake -------------------------------------------------------------

void WriteCmake(Writer_cl& w)
{
    const String_cl source = w.Root() + L"cmake\\src";
    const String_cl build = w.Root() + L"cmake\\build dir";
    String_cl buildSlash = build;
    buildSlash.ReplaceAll(L"\\", L"/");
    const std::vector<String_cl> configurations{L"Debug", L"Release", L"MinSizeRel", L"RelWithDebInfo"};

    struct Target_st {
        const wchar_t* name;
        const wchar_t* type;  // ConfigurationType
        const wchar_t* ext;   // TargetExt
        int guid;
        const wchar_t* postfix; // DEBUG_POSTFIX
        std::vector<const wchar_t*> links; // other targets it links
    };
    const std::vector<Target_st> targets{
        {L"core", L"DynamicLibrary", L".dll", 11, L"", {}},
        {L"util", L"StaticLibrary", L".lib", 12, L"d", {}},
        {L"app", L"Application", L".exe", 13, L"", {L"core", L"util"}},
    };
    auto postfixOf = [&](const String_cl& name, const String_cl& configuration) {
        for (const Target_st& t : targets)
            if (name == t.name) return configuration == L"Debug" ? String_cl(t.postfix) : String_cl();
        return String_cl();
    };
    auto header = [&](int guid, const String_cl& name) {
        String_cl t = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      L"<Project DefaultTargets=\"Build\" ToolsVersion=\"17.0\" "
                      L"xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
                      L"  <PropertyGroup>\n    <PreferredToolArchitecture>x64</PreferredToolArchitecture>\n"
                      L"  </PropertyGroup>\n  <ItemGroup Label=\"ProjectConfigurations\">\n";
        for (const String_cl& c : configurations)
            t += L"    <ProjectConfiguration Include=\"" + c + L"|x64\">\n      <Configuration>" + c +
                 L"</Configuration>\n      <Platform>x64</Platform>\n    </ProjectConfiguration>\n";
        t += L"  </ItemGroup>\n  <PropertyGroup Label=\"Globals\">\n    <ProjectGuid>" + Guid(guid) +
             L"</ProjectGuid>\n    <WindowsTargetPlatformVersion>10.0.22621.0</WindowsTargetPlatformVersion>\n"
             L"    <Keyword>Win32Proj</Keyword>\n    <Platform>x64</Platform>\n    <ProjectName>" +
             name + L"</ProjectName>\n    <VCProjectUpgraderObjectName>NoUpgrade</VCProjectUpgraderObjectName>\n"
                    L"  </PropertyGroup>\n  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.Default.props\" />\n";
        return t;
    };
    auto configurationGroups = [&](const String_cl& type) {
        String_cl t;
        for (const String_cl& c : configurations)
            t += L"  <PropertyGroup Condition=\"'$(Configuration)|$(Platform)'=='" + c +
                 L"|x64'\" Label=\"Configuration\">\n    <ConfigurationType>" + type +
                 L"</ConfigurationType>\n    <CharacterSet>MultiByte</CharacterSet>\n"
                 L"    <PlatformToolset>v143</PlatformToolset>\n  </PropertyGroup>\n";
        t += L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.props\" />\n"
             L"  <ImportGroup Label=\"ExtensionSettings\">\n  </ImportGroup>\n";
        std::vector<String_cl> names;
        for (const String_cl& c : configurations) names.push_back(c + L"|x64");
        return t + PropertySheetGroups(names, false) + L"  <PropertyGroup Label=\"UserMacros\" />\n";
    };
    auto reference = [&](const String_cl& name, int guid) {
        return L"    <ProjectReference Include=\"" + build + L"\\" + name + L".vcxproj\">\n      <Project>" + Guid(guid) +
               L"</Project>\n      <Name>" + name +
               L"</Name>\n      <ReferenceOutputAssembly>false</ReferenceOutputAssembly>\n"
               L"      <CopyToOutputDirectory>Never</CopyToOutputDirectory>\n    </ProjectReference>\n";
    };
    auto cmakeRule = [&](const String_cl& file) {
        String_cl t = L"  <ItemGroup>\n    <CustomBuild Include=\"" + source + L"\\" + file + L"\">\n";
        for (const String_cl& c : configurations)
            t += L"      <Message Condition=\"'$(Configuration)|$(Platform)'=='" + c +
                 L"|x64'\">Building Custom Rule " + source + L"/" + file +
                 L"</Message>\n      <Outputs Condition=\"'$(Configuration)|$(Platform)'=='" + c + L"|x64'\">" + build +
                 L"\\CMakeFiles\\generate.stamp</Outputs>\n";
        return t + L"    </CustomBuild>\n  </ItemGroup>\n";
    };
    const String_cl footer = L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.targets\" />\n"
                             L"  <ImportGroup Label=\"ExtensionTargets\">\n  </ImportGroup>\n</Project>";

    for (const Target_st& target : targets) {
        String_cl t = header(target.guid, target.name) + configurationGroups(target.type);
        t += L"  <PropertyGroup>\n    <_ProjectFileVersion>10.0.20506.1</_ProjectFileVersion>\n";
        for (const String_cl& c : configurations) {
            const String_cl cond = L" Condition=\"'$(Configuration)|$(Platform)'=='" + c + L"|x64'\"";
            t += L"    <OutDir" + cond + L">" + build + L"\\" + c + L"\\</OutDir>\n";
            t += L"    <IntDir" + cond + L">" + target.name + L".dir\\" + c + L"\\</IntDir>\n";
            t += L"    <TargetName" + cond + L">" + target.name + postfixOf(target.name, c) + L"</TargetName>\n";
            t += L"    <TargetExt" + cond + L">" + target.ext + L"</TargetExt>\n";
        }
        t += L"  </PropertyGroup>\n";
        for (const String_cl& c : configurations) {
            t += L"  <ItemDefinitionGroup Condition=\"'$(Configuration)|$(Platform)'=='" + c + L"|x64'\">\n"
                 L"    <ClCompile>\n      <AdditionalIncludeDirectories>" + source +
                 L";%(AdditionalIncludeDirectories)</AdditionalIncludeDirectories>\n"
                 L"      <ObjectFileName>$(IntDir)</ObjectFileName>\n    </ClCompile>\n";
            if (String_cl(target.type) == L"StaticLibrary") {
                t += L"    <Lib>\n      <AdditionalOptions>%(AdditionalOptions) /machine:x64</AdditionalOptions>\n"
                     L"    </Lib>\n";
            } else {
                String_cl libraries;
                for (const wchar_t* l : target.links)
                    libraries += build + L"\\" + c + L"\\" + l + postfixOf(l, c) + L".lib;";
                t += L"    <Link>\n      <AdditionalDependencies>" + libraries +
                     L"kernel32.lib;user32.lib;gdi32.lib;winspool.lib;shell32.lib;ole32.lib;oleaut32.lib;uuid.lib;"
                     L"comdlg32.lib;advapi32.lib;%(AdditionalDependencies)</AdditionalDependencies>\n"
                     L"      <AdditionalLibraryDirectories>%(AdditionalLibraryDirectories)</AdditionalLibraryDirectories>\n"
                     L"      <AdditionalOptions>%(AdditionalOptions) /machine:x64</AdditionalOptions>\n"
                     L"      <GenerateDebugInformation>true</GenerateDebugInformation>\n"
                     L"      <IgnoreSpecificDefaultLibraries>%(IgnoreSpecificDefaultLibraries)</IgnoreSpecificDefaultLibraries>\n"
                     L"      <ImportLibrary>" + buildSlash + L"/" + c + L"/" + target.name + postfixOf(target.name, c) +
                     L".lib</ImportLibrary>\n      <ProgramDataBaseFile>" + buildSlash + L"/" + c + L"/" + target.name +
                     postfixOf(target.name, c) + L".pdb</ProgramDataBaseFile>\n      <SubSystem>Console</SubSystem>\n"
                     L"    </Link>\n";
            }
            t += L"  </ItemDefinitionGroup>\n";
        }
        t += cmakeRule(L"CMakeLists.txt");
        t += L"  <ItemGroup>\n    <ClCompile Include=\"" + source + L"\\" + target.name + L".c\" />\n  </ItemGroup>\n";
        t += L"  <ItemGroup>\n" + reference(L"ZERO_CHECK", 10);
        for (const wchar_t* l : target.links)
            for (const Target_st& other : targets)
                if (String_cl(other.name) == l) t += reference(l, other.guid);
        t += L"  </ItemGroup>\n" + footer;
        w.Write(L"cmake\\build dir\\" + String_cl(target.name) + L".vcxproj", Fill(t), false);
        w.Source(L"cmake\\src\\" + String_cl(target.name) + L".c");
    }
    // The utility projects: ZERO_CHECK reruns CMake, ALL_BUILD builds all.
    for (const auto& [name, guid] : {std::pair<const wchar_t*, int>{L"ZERO_CHECK", 10}, {L"ALL_BUILD", 14}}) {
        String_cl t = header(guid, name) + configurationGroups(L"Utility");
        t += L"  <PropertyGroup>\n    <_ProjectFileVersion>10.0.20506.1</_ProjectFileVersion>\n";
        for (const String_cl& c : configurations)
            t += L"    <IntDir Condition=\"'$(Configuration)|$(Platform)'=='" + c + L"|x64'\">$(Platform)\\$(Configuration)\\$(ProjectName)\\</IntDir>\n";
        t += L"  </PropertyGroup>\n";
        t += cmakeRule(L"CMakeLists.txt");
        if (String_cl(name) == L"ALL_BUILD") {
            t += L"  <ItemGroup>\n" + reference(L"ZERO_CHECK", 10);
            for (const Target_st& target : targets) t += reference(target.name, target.guid);
            t += L"  </ItemGroup>\n";
        }
        w.Write(L"cmake\\build dir\\" + String_cl(name) + L".vcxproj", Fill(t + footer), false);
    }
    w.Write(L"cmake\\src\\CMakeLists.txt",
            L"cmake_minimum_required(VERSION 3.20)\r\nproject(Demo C)\r\nadd_library(core SHARED core.c)\r\n"
            L"add_library(util STATIC util.c)\r\nset_target_properties(util PROPERTIES DEBUG_POSTFIX d)\r\n"
            L"add_executable(app app.c)\r\ntarget_link_libraries(app core util)\r\n",
            false);

    std::vector<String_cl> solutionConfigurations;
    for (const String_cl& c : configurations) solutionConfigurations.push_back(c + L"|x64");
    auto all = [&](bool built) {
        std::vector<String_cl> v;
        for (const String_cl& c : solutionConfigurations) v.push_back((built ? L"" : L"-") + c);
        return v;
    };
    w.Write(L"cmake\\build dir\\Demo.sln",
            SolutionText(kVs2022Header, solutionConfigurations,
                         {{L"ALL_BUILD", L"ALL_BUILD.vcxproj", Guid(14), all(true), {Guid(10), Guid(11), Guid(12), Guid(13)}},
                          {L"ZERO_CHECK", L"ZERO_CHECK.vcxproj", Guid(10), all(true), {}},
                          {L"app", L"app.vcxproj", Guid(13), all(true), {Guid(10), Guid(11), Guid(12)}},
                          {L"core", L"core.vcxproj", Guid(11), all(true), {Guid(10)}},
                          {L"util", L"util.vcxproj", Guid(12), all(true), {Guid(10)}}}),
            false);
    for (const wchar_t* p : {L"ALL_BUILD", L"ZERO_CHECK", L"app", L"core", L"util"})
        w.Case(L"cmake", L"cmake\\build dir\\" + String_cl(p) + L".vcxproj", L"cmake\\build dir\\Demo.sln");
}

// ---- premake -------------------------------------------------------------

void WritePremake(Writer_cl& w)
{
    struct Project_st {
        const wchar_t* name;
        const wchar_t* type;
        const wchar_t* ext;
        int guid;
        String_cl extra;      // per configuration, {CFG} for the configuration
        String_cl references; // ItemGroup content
    };
    const std::vector<Project_st> projects{
        {L"Core", L"DynamicLibrary", L".dll", 21,
         L"    <Link>\n      <SubSystem>Windows</SubSystem>\n      <GenerateDebugInformation>true</GenerateDebugInformation>\n"
         L"      <ImportLibrary>bin\\{CFG}\\Core.lib</ImportLibrary>\n    </Link>\n",
         L""},
        {L"App", L"Application", L".exe", 22,
         L"    <Link>\n      <SubSystem>Console</SubSystem>\n      <GenerateDebugInformation>true</GenerateDebugInformation>\n"
         L"      <AdditionalDependencies>ws2_32.lib;%(AdditionalDependencies)</AdditionalDependencies>\n"
         L"      <AdditionalLibraryDirectories>..\\vendor\\lib;%(AdditionalLibraryDirectories)</AdditionalLibraryDirectories>\n"
         L"    </Link>\n",
         L"    <ProjectReference Include=\"Core.vcxproj\">\n      <Project>" + Guid(21) +
             L"</Project>\n    </ProjectReference>\n"},
        {L"Docs", L"Utility", L"", 23, L"", L""},
    };
    for (const Project_st& p : projects) {
        String_cl t = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      L"<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" "
                      L"xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n" +
                      ProjectConfigurations({L"Debug|x64", L"Release|x64"}) +
                      L"  <PropertyGroup Label=\"Globals\">\n    <ProjectGuid>" + Guid(p.guid) +
                      L"</ProjectGuid>\n    <IgnoreWarnCompileDuplicatedFilename>true</IgnoreWarnCompileDuplicatedFilename>\n"
                      L"    <Keyword>Win32Proj</Keyword>\n    <RootNamespace>" + p.name +
                      L"</RootNamespace>\n  </PropertyGroup>\n"
                      L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.Default.props\" />\n";
        for (const wchar_t* c : {L"Debug", L"Release"})
            t += L"  <PropertyGroup Condition=\"'$(Configuration)|$(Platform)'=='" + String_cl(c) +
                 L"|x64'\" Label=\"Configuration\">\n    <ConfigurationType>" + p.type +
                 L"</ConfigurationType>\n    <UseDebugLibraries>" + (String_cl(c) == L"Debug" ? L"true" : L"false") +
                 L"</UseDebugLibraries>\n    <CharacterSet>Unicode</CharacterSet>\n    <PlatformToolset>v142</PlatformToolset>\n"
                 L"  </PropertyGroup>\n";
        t += L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.props\" />\n"
             L"  <ImportGroup Label=\"ExtensionSettings\">\n  </ImportGroup>\n";
        t += PropertySheetGroups({L"Debug|x64", L"Release|x64"}, true) + L"  <PropertyGroup Label=\"UserMacros\" />\n";
        for (const wchar_t* c : {L"Debug", L"Release"}) {
            t += L"  <PropertyGroup Condition=\"'$(Configuration)|$(Platform)'=='" + String_cl(c) + L"|x64'\">\n";
            if (String_cl(p.type) != L"Utility")
                t += L"    <LinkIncremental>" + String_cl(String_cl(c) == L"Debug" ? L"true" : L"false") +
                     L"</LinkIncremental>\n";
            t += L"    <OutDir>bin\\" + String_cl(c) + L"\\</OutDir>\n    <IntDir>obj\\" + c + L"\\" + p.name +
                 L"\\</IntDir>\n";
            if (String_cl(p.type) != L"Utility")
                t += L"    <TargetName>" + String_cl(p.name) + L"</TargetName>\n    <TargetExt>" + p.ext +
                     L"</TargetExt>\n";
            t += L"  </PropertyGroup>\n";
        }
        if (String_cl(p.type) != L"Utility")
            for (const wchar_t* c : {L"Debug", L"Release"}) {
                String_cl extra = p.extra;
                extra.ReplaceAll(L"{CFG}", c);
                t += L"  <ItemDefinitionGroup Condition=\"'$(Configuration)|$(Platform)'=='" + String_cl(c) +
                     L"|x64'\">\n    <ClCompile>\n      <PrecompiledHeader>NotUsing</PrecompiledHeader>\n"
                     L"      <WarningLevel>Level3</WarningLevel>\n    </ClCompile>\n" +
                     extra + L"  </ItemDefinitionGroup>\n";
            }
        if (String_cl(p.type) != L"Utility")
            t += L"  <ItemGroup>\n    <ClCompile Include=\"src\\" + String_cl(p.name) + L".c\" />\n  </ItemGroup>\n";
        if (!p.references.empty()) t += L"  <ItemGroup>\n" + p.references + L"  </ItemGroup>\n";
        t += L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.targets\" />\n"
             L"  <ImportGroup Label=\"ExtensionTargets\">\n  </ImportGroup>\n</Project>";
        w.Write(L"premake\\" + String_cl(p.name) + L".vcxproj", Fill(t));
        if (String_cl(p.type) != L"Utility") w.Source(L"premake\\src\\" + String_cl(p.name) + L".c");
    }
    const std::vector<String_cl> both{L"Debug|x64", L"Release|x64"};
    w.Write(L"premake\\Workspace.sln",
            SolutionText(L"Microsoft Visual Studio Solution File, Format Version 12.00\n# Visual Studio Version 16\n",
                         both,
                         {{L"Core", L"Core.vcxproj", Guid(21), both, {}},
                          {L"App", L"App.vcxproj", Guid(22), both, {}},
                          {L"Docs", L"Docs.vcxproj", Guid(23), both, {}}}));
    for (const wchar_t* p : {L"Core", L"App", L"Docs"})
        w.Case(L"premake", L"premake\\" + String_cl(p) + L".vcxproj", L"premake\\Workspace.sln");
}

// ---- Directory.Build.props / .targets ------------------------------------

void WriteDirectoryBuild(Writer_cl& w)
{
    w.Write(L"dirbuild\\Directory.Build.props", Fill(LR"xml(<Project>
  <PropertyGroup>
    <AcmeRoot>$(MSBuildThisFileDirectory)</AcmeRoot>
    <OutDir>$(AcmeRoot)out\$(Platform)\$(Configuration)\</OutDir>
    <IntDir>$(AcmeRoot)out\obj\$(SolutionName)\$(MSBuildProjectName)\$(Platform)\$(Configuration)\</IntDir>
    <LibPrefix>acme_</LibPrefix>
  </PropertyGroup>
</Project>
)xml"));
    w.Write(L"dirbuild\\src\\Directory.Build.props", Fill(LR"xml(<Project>
  <Import Project="$([MSBuild]::GetPathOfFileAbove('Directory.Build.props', '$(MSBuildThisFileDirectory)../'))" />
  <PropertyGroup>
    <AcmeSources>$(MSBuildThisFileDirectory)</AcmeSources>
  </PropertyGroup>
</Project>
)xml"));
    w.Write(L"dirbuild\\Directory.Build.targets", Fill(LR"xml(<Project>
  <PropertyGroup Condition="'$(Configuration)' == 'Debug' and '$(ConfigurationType)' != 'Application'">
    <TargetName>$(TargetName)_d</TargetName>
  </PropertyGroup>
  <PropertyGroup>
    <AcmeAudioProject>$(MSBuildThisFileDirectory)src\audio\audio.vcxproj</AcmeAudioProject>
  </PropertyGroup>
</Project>
)xml"));
    const String_cl project = Fill(LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <ItemGroup Label="ProjectConfigurations">
    <ProjectConfiguration Include="Debug|x64">
      <Configuration>Debug</Configuration>
      <Platform>x64</Platform>
    </ProjectConfiguration>
    <ProjectConfiguration Include="Release|x64">
      <Configuration>Release</Configuration>
      <Platform>x64</Platform>
    </ProjectConfiguration>
  </ItemGroup>
  <PropertyGroup Label="Globals">
    <VCProjectVersion>17.0</VCProjectVersion>
    <ProjectGuid>{GUID}</ProjectGuid>
    <RootNamespace>{NAME}</RootNamespace>
    <WindowsTargetPlatformVersion>10.0</WindowsTargetPlatformVersion>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <PropertyGroup Label="Configuration">
    <ConfigurationType>{TYPE}</ConfigurationType>
    <PlatformToolset>v143</PlatformToolset>
    <CharacterSet>Unicode</CharacterSet>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
  <ImportGroup Label="ExtensionSettings">
  </ImportGroup>
  <ImportGroup Label="Shared">
  </ImportGroup>
{SHEETS}  <PropertyGroup Label="UserMacros" />
{MORE}  <ItemGroup>
    <ClCompile Include="{NAME}.cpp" />
  </ItemGroup>
{REFERENCES}  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />
  <ImportGroup Label="ExtensionTargets">
  </ImportGroup>
</Project>
)xml",
                                   {{L"{SHEETS}", PropertySheetGroups({L"Debug|x64", L"Release|x64"}, true)}});
    w.Write(L"dirbuild\\src\\engine\\engine.vcxproj",
            Fill(project, {{L"{GUID}", Guid(31)},
                           {L"{NAME}", L"engine"},
                           {L"{TYPE}", L"StaticLibrary"},
                           {L"{MORE}", L"  <PropertyGroup>\n    <TargetName>$(LibPrefix)$(ProjectName)</TargetName>\n  </PropertyGroup>\n"},
                           {L"{REFERENCES}", L""}}));
    // A DLL without ImportLibrary whose linker puts it into a subfolder.
    w.Write(L"dirbuild\\src\\audio\\audio.vcxproj",
            Fill(project, {{L"{GUID}", Guid(32)},
                           {L"{NAME}", L"audio"},
                           {L"{TYPE}", L"DynamicLibrary"},
                           {L"{MORE}", L"  <PropertyGroup>\n    <TargetName>$(LibPrefix)$(ProjectName)</TargetName>\n  </PropertyGroup>\n"
                                       L"  <ItemDefinitionGroup>\n    <Link>\n"
                                       L"      <OutputFile>$(OutDir)plugins\\$(TargetFileName)</OutputFile>\n"
                                       L"      <AdditionalDependencies>winmm.lib;%(AdditionalDependencies)</AdditionalDependencies>\n"
                                       L"    </Link>\n  </ItemDefinitionGroup>\n"},
                           {L"{REFERENCES}", L""}}));
    // Its own output folder, written without the trailing backslash, wins
    // over Directory.Build.props.
    w.Write(L"dirbuild\\src\\player\\player.vcxproj",
            Fill(project,
                 {{L"{GUID}", Guid(33)},
                  {L"{NAME}", L"player"},
                  {L"{TYPE}", L"Application"},
                  {L"{MORE}", L"  <PropertyGroup>\n    <OutDir>$(AcmeRoot)out\\bin</OutDir>\n  </PropertyGroup>\n"
                              L"  <ItemDefinitionGroup Condition=\"'$(Configuration)|$(Platform)'=='Debug|x64'\">\n"
                              L"    <Link>\n      <AdditionalDependencies>$(LibPrefix)engine_d.lib;$(LibPrefix)audio_d.lib;%(AdditionalDependencies)</AdditionalDependencies>\n"
                              L"    </Link>\n  </ItemDefinitionGroup>\n"
                              L"  <ItemDefinitionGroup Condition=\"'$(Configuration)|$(Platform)'=='Release|x64'\">\n"
                              L"    <Link>\n      <AdditionalDependencies>$(LibPrefix)engine.lib;$(LibPrefix)audio.lib;%(AdditionalDependencies)</AdditionalDependencies>\n"
                              L"    </Link>\n  </ItemDefinitionGroup>\n"},
                  {L"{REFERENCES}", L"  <ItemGroup>\n    <ProjectReference Include=\"..\\engine\\engine.vcxproj\">\n"
                                    L"      <Project>" + Guid(31) + L"</Project>\n    </ProjectReference>\n"
                                    L"    <ProjectReference Include=\"$(AcmeAudioProject)\">\n"
                                    L"      <Project>" + Guid(32) + L"</Project>\n    </ProjectReference>\n  </ItemGroup>\n"}}));
    for (const wchar_t* s : {L"engine", L"audio", L"player"})
        w.Source(L"dirbuild\\src\\" + String_cl(s) + L"\\" + s + L".cpp");
    const std::vector<String_cl> both{L"Debug|x64", L"Release|x64"};
    w.Write(L"dirbuild\\Acme.sln", SolutionText(kVs2022Header, both,
                                                {{L"engine", L"src\\engine\\engine.vcxproj", Guid(31), both, {}},
                                                 {L"audio", L"src\\audio\\audio.vcxproj", Guid(32), both, {}},
                                                 {L"player", L"src\\player\\player.vcxproj", Guid(33), both, {}}}));
    for (const wchar_t* p : {L"engine", L"audio", L"player"})
        w.Case(L"dirbuild", L"dirbuild\\src\\" + String_cl(p) + L"\\" + p + L".vcxproj", L"dirbuild\\Acme.sln");
}

// ---- this repository's own test writers ----------------------------------

void WriteWriters(Writer_cl& w)
{
    const String_cl folder = L"writers\\编辑器\\";
    w.Write(folder + L"shared\\common.props",
            PropsText({{L"OutDir", L"$(MSBuildThisFileDirectory)out\\$(Configuration)\\"}},
                      {{L"AdditionalDependencies", L"shared.lib;%(AdditionalDependencies)"}}));
    struct Edition_st {
        VcxEdition_en edition;
        const wchar_t* name;
    };
    std::vector<SlnProject_st> entries;
    int guid = 41;
    for (const Edition_st& e : {Edition_st{VcxEdition_en::Vs2010, L"app2010"}, Edition_st{VcxEdition_en::Vs2015, L"lib2015"},
                                Edition_st{VcxEdition_en::Vs2022, L"dll2022"}}) {
        VcxProject_st p;
        p.edition = e.edition;
        p.guid = Guid(guid);
        p.propertySheets = {L"..\\shared\\common.props"};
        p.sources = {String_cl(e.name) + L".c"};
        VcxConfiguration_st debug, release;
        debug.name = L"Debug|Win32";
        release.name = L"Release|x64";
        const String_cl type = e.edition == VcxEdition_en::Vs2010   ? L"Application"
                               : e.edition == VcxEdition_en::Vs2015 ? L"StaticLibrary"
                                                                    : L"DynamicLibrary";
        debug.type = release.type = type;
        debug.properties = {{L"TargetName", L"$(ProjectName)_d"}};
        release.properties = {{L"IntDir", L"$(Platform)\\build\\$(Configuration)\\"}};
        if (e.edition == VcxEdition_en::Vs2010) {
            debug.link = {{L"AdditionalDependencies", L"lib2015.lib;dll2022.lib;%(AdditionalDependencies)"}};
            release.link = debug.link;
            p.references = {L"..\\lib2015\\lib2015.vcxproj", L"..\\dll2022\\dll2022.vcxproj"};
        }
        if (e.edition == VcxEdition_en::Vs2022)
            release.link = {{L"ImportLibrary", L"$(OutDir)imports\\$(TargetName).lib"}};
        p.configurations = {debug, release};
        const String_cl path = folder + e.name + L"\\" + e.name + L".vcxproj";
        w.Write(path, L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n" + VcxprojText(p));
        w.Source(folder + e.name + L"\\" + e.name + L".c");
        entries.push_back({e.name, String_cl(e.name) + L"\\" + e.name + L".vcxproj", Guid(guid), {L"Debug|Win32", L"Release|x64"}, {}});
        ++guid;
    }
    w.Write(folder + L"编辑器.sln", SolutionText(kVs2010Header, {L"Debug|Win32", L"Release|x64"}, entries));
    for (const SlnProject_st& e : entries) w.Case(L"writers", folder + e.path, folder + L"编辑器.sln");
}

} // namespace

std::vector<CorpusCase_st> WriteGeneratorCorpus(const String_cl& folder, bool* written)
{
    Writer_cl w(folder);
    WriteHand(w);
    WriteCmake(w);
    WritePremake(w);
    WriteDirectoryBuild(w);
    WriteWriters(w);
    // Listed alone in a plan: the builder makes the project its own solution.
    w.Case(L"hand", L"hand\\legacy\\legacy.vcxproj");
    w.Case(L"premake", L"premake\\App.vcxproj");
    w.Case(L"dirbuild", L"dirbuild\\src\\player\\player.vcxproj");
    if (written) *written = w.Ok();
    return w.Cases();
}

} // namespace Test_ns
