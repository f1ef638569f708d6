// The .vcxproj reader on project trees laid out as real code bases lay them
// out: configurations and folders from a sheet the solution's folder names,
// Directory.Build.props and .targets, libraries under conditions on
// property functions in nested sheets, files as CMake and premake generate
// them, MSBuild's own macros, deep and repeated imports, and what cannot be
// evaluated. Each file is written as its generator or a person writes it
// and read through the platform's MSXML, in the solution it belongs to.
#include <gtest/gtest.h>
#include <objbase.h>
#include "app/engine/ProjectPack.h"
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "tests/engine/projectfiles/EntryText.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using namespace Test_ns;
using Base_ns::String_cl;

namespace {

std::string U8(const String_cl& text) { return text.ToUtf8(); }

const wchar_t kNamespace[] = L"xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"";

class VcxprojLayoutsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    // "@ROOT@" stands for the test's folder (without its trailing "\"),
    // "@NS@" for MSBuild's namespace attribute; the declaration is the
    // writer's.
    String_cl Write(const wchar_t* relative, const String_cl& text)
    {
        String_cl t = text.StartsWith(L"<?xml") ? String_cl(text.substr(text.find(L"?>") + 2)) : text;
        t.ReplaceAll(L"@ROOT@", Root());
        t.ReplaceAll(L"@NS@", kNamespace);
        const String_cl path = m_dir / relative;
        EXPECT_TRUE(WriteMsBuildFile(path, t));
        return path;
    }

    String_cl Root() const { return m_dir.Path().substr(0, m_dir.Path().size() - 1); }

    static Project_st Read(const String_cl& path, const String_cl& solution = String_cl())
    {
        Project_st project;
        project.path = path;
        project.solution = solution;
        ReadProjectFile(project);
        return project;
    }

    std::string Entry(const Project_st& project, const wchar_t* key) const { return EntryText(project, key, m_dir.Path()); }

    std::vector<String_cl> Under(std::initializer_list<const wchar_t*> relative) const
    {
        std::vector<String_cl> paths;
        for (const wchar_t* r : relative) paths.push_back(m_dir / r);
        return paths;
    }

    TempDir_cl m_dir{L"qv-layouts"};
};

// The skeleton Visual Studio writes around a project's own groups.
String_cl Skeleton(const String_cl& beforeDefaults, const String_cl& configuration, const String_cl& afterProps,
                   const String_cl& items = String_cl())
{
    return L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Project DefaultTargets=\"Build\" ToolsVersion=\"15.0\" @NS@>\r\n" +
           beforeDefaults + L"\r\n  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.Default.props\" />\r\n" + configuration +
           L"\r\n  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.props\" />\r\n" + afterProps + L"\r\n" + items +
           L"\r\n  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.targets\" />\r\n</Project>\r\n";
}

// Every example of a solution takes its configurations, type, folders,
// libraries and references from one sheet named through $(SolutionDir):
// read in its solution it has them all; read alone (the builder's
// temporary solution in its own folder) the sheet is not there.
TEST_F(VcxprojLayoutsTest, ConfigurationsFoldersAndReferencesFromASheetTheSolutionNames)
{
    Write(L"examples\\Examples.props", LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" @NS@>
  <ItemGroup Label="ProjectConfigurations">
    <ProjectConfiguration Include="Debug|Win32">
      <Configuration>Debug</Configuration>
      <Platform>Win32</Platform>
    </ProjectConfiguration>
    <ProjectConfiguration Include="Release|x64">
      <Configuration>Release</Configuration>
      <Platform>x64</Platform>
    </ProjectConfiguration>
  </ItemGroup>
  <PropertyGroup Label="Configuration">
    <ConfigurationType>Application</ConfigurationType>
    <CharacterSet>Unicode</CharacterSet>
  </PropertyGroup>
  <PropertyGroup>
    <OutDir>$(SolutionDir)bin\$(Platform)\$(Configuration)\</OutDir>
    <IntDir>$(SolutionDir)obj\$(MSBuildProjectName)\$(Platform)\$(Configuration)\</IntDir>
  </PropertyGroup>
  <ItemDefinitionGroup>
    <Link>
      <AdditionalDependencies>core.lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Link>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ProjectReference Include="$(SolutionDir)lib\core\core.vcxproj">
      <Project>{0B0C7E52-5A4D-4E7D-A0C3-8C0B1E2D3F40}</Project>
    </ProjectReference>
  </ItemGroup>
</Project>)xml");
    const String_cl hello = Write(L"examples\\hello\\hello.vcxproj",
                                  Skeleton(LR"xml(  <Import Project="$(SolutionDir)\examples\Examples.props" />
  <PropertyGroup Label="Globals">
    <ProjectGuid>{6E0D8C3A-3C7B-4B9E-9F1A-2D4C5B6A7E81}</ProjectGuid>
    <RootNamespace>hello</RootNamespace>
  </PropertyGroup>)xml",
                                           L"", L"", L"  <ItemGroup><ClCompile Include=\"hello.cpp\" /></ItemGroup>"));
    const String_cl solution = m_dir / L"Examples.sln";

    ProjectPack_cl projects;
    ProjectId_cl id = projects.FindOrAdd(hello, solution);
    const Project_st& project = id.Data();
    EXPECT_TRUE(project.unreadable.empty()) << U8(project.unreadable);
    EXPECT_EQ(2, project.configurations.Count());
    EXPECT_EQ("hello.exe|~\\bin\\Win32\\Debug\\hello.exe||~\\bin\\Win32\\Debug\\hello.pdb|~\\bin\\Win32\\Debug\\|"
              "~\\obj\\hello\\Win32\\Debug\\|core.lib ",
              Entry(project, L"DEBUG|WIN32"));
    EXPECT_EQ("hello.exe|~\\bin\\x64\\Release\\hello.exe||~\\bin\\x64\\Release\\hello.pdb|~\\bin\\x64\\Release\\|"
              "~\\obj\\hello\\x64\\Release\\|core.lib ",
              Entry(project, L"RELEASE|X64"));
    EXPECT_EQ(Under({L"lib\\core\\core.vcxproj"}), project.references);
    EXPECT_EQ(Under({L"examples\\Examples.props"}), project.sheets);

    // Alone, $(SolutionDir) is the project's own folder.
    const Project_st lone = Read(hello);
    EXPECT_EQ(0, lone.configurations.Count());
    EXPECT_TRUE(lone.sheets.empty());
}

// The nearest Directory.Build.props at or above the project, read where the
// project imports Microsoft.Cpp.Default.props (after its Globals, before its
// own settings), a sheet it names for after Microsoft.Cpp.props, and the
// nearest Directory.Build.targets where it imports Microsoft.Cpp.targets.
TEST_F(VcxprojLayoutsTest, DirectoryBuildFilesOfTheRepositoryAroundAnEditorsProject)
{
    Write(L"Directory.Build.props", L"<Project @NS@><PropertyGroup><OutDir>wrong\\</OutDir></PropertyGroup></Project>");
    Write(L"src\\Directory.Build.props", LR"xml(<Project @NS@>
  <PropertyGroup>
    <RepoRoot>$([MSBuild]::GetDirectoryNameOfFileAbove($(MSBuildThisFileDirectory), 'repo.root'))\</RepoRoot>
    <OutDir>$(RepoRoot)build\$(Platform)\$(Configuration)\</OutDir>
    <IntDir>$(RepoRoot)build\obj\$(MSBuildProjectName)\$(Platform)\$(Configuration)\</IntDir>
    <ForceImportAfterCppProps>$(MSBuildThisFileDirectory)Common.props</ForceImportAfterCppProps>
    <Suffix Condition="'$(Configuration)' == 'Debug'">$(DebugSuffix)</Suffix>
  </PropertyGroup>
  <ItemDefinitionGroup>
    <Link><AdditionalDependencies>ws2_32.lib;%(AdditionalDependencies)</AdditionalDependencies></Link>
  </ItemDefinitionGroup>
</Project>)xml");
    Write(L"src\\Common.props", LR"xml(<Project @NS@>
  <PropertyGroup><TargetName>$(ProjectName)$(Suffix)-$(PlatformToolset)</TargetName></PropertyGroup>
</Project>)xml");
    Write(L"src\\Directory.Build.targets", LR"xml(<Project @NS@>
  <ItemDefinitionGroup Condition="'$(ConfigurationType)' == 'DynamicLibrary'">
    <Link><AdditionalDependencies>%(AdditionalDependencies);version.lib</AdditionalDependencies></Link>
  </ItemDefinitionGroup>
</Project>)xml");
    ASSERT_TRUE(WriteBytes(m_dir / L"repo.root", ""));

    VcxProject_st net;
    net.globals = {{L"DebugSuffix", L"d"}};
    for (const wchar_t* name : {L"Debug|Win32", L"Release|x64"}) {
        net.configurations.push_back({name, L"DynamicLibrary"});
        net.configurations.back().link = {{L"AdditionalDependencies", L"zlib.lib;%(AdditionalDependencies)"}};
    }
    // The project's own later setting wins over the props.
    net.configurations[1].properties = {{L"IntDir", L"$(Platform)\\$(Configuration)\\"}};
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"src\\net\\net.vcxproj", VcxprojText(net)));

    const Project_st project = Read(m_dir / L"src\\net\\net.vcxproj", m_dir / L"All.sln");
    EXPECT_EQ("netd-v143.lib|~\\build\\Win32\\Debug\\netd-v143.dll|~\\build\\Win32\\Debug\\netd-v143.lib|"
              "~\\build\\Win32\\Debug\\netd-v143.pdb|~\\build\\Win32\\Debug\\|~\\build\\obj\\net\\Win32\\Debug\\|"
              "zlib.lib ws2_32.lib version.lib ",
              Entry(project, L"DEBUG|WIN32"));
    EXPECT_EQ("net-v143.lib|~\\build\\x64\\Release\\net-v143.dll|~\\build\\x64\\Release\\net-v143.lib|"
              "~\\build\\x64\\Release\\net-v143.pdb|~\\build\\x64\\Release\\|~\\src\\net\\x64\\Release\\|"
              "zlib.lib ws2_32.lib version.lib ",
              Entry(project, L"RELEASE|X64"));
    EXPECT_EQ(Under({L"src\\Directory.Build.props", L"src\\Common.props", L"src\\Directory.Build.targets"}),
              project.sheets);
    EXPECT_TRUE(project.configurations.Find(L"DEBUG|WIN32")->unknowns.empty());
}

// A library built as a DLL or a static library by configuration, in a
// shared folder named by its linkage, and a program that links it: which
// library and which folder follow from sheets named by the configuration,
// conditions on property functions ($(Configuration.IndexOf('DLL'))) and
// on properties those sheets set.
TEST_F(VcxprojLayoutsTest, NestedSheetsDecideLinkageLibrariesAndSharedFolders)
{
    Write(L"builds\\properties\\Common.props", LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="4.0" @NS@>
  <PropertyGroup>
    <DefaultLinkage Condition="$(Configuration.IndexOf('DLL')) != -1">dynamic</DefaultLinkage>
    <DefaultLinkage Condition="$(Configuration.IndexOf('LIB')) != -1">static</DefaultLinkage>
  </PropertyGroup>
  <PropertyGroup>
    <OutDir>$(ProjectDir)..\bin\$(PlatformName)\$(Configuration)\$(PlatformToolset)\$(DefaultLinkage)\</OutDir>
    <IntDir>$(ProjectDir)..\obj\$(ProjectName)\$(PlatformName)\$(Configuration)\</IntDir>
  </PropertyGroup>
  <ItemDefinitionGroup>
    <Link><AdditionalDependencies>Ws2_32.lib;%(AdditionalDependencies)</AdditionalDependencies></Link>
  </ItemDefinitionGroup>
</Project>)xml");
    for (const wchar_t* name : {L"DebugDLL", L"ReleaseLIB"})
        Write((String_cl(L"builds\\properties\\") + name + L".props").c_str(), LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="4.0" @NS@>
  <ImportGroup Label="PropertySheets">
    <Import Project="Common.props" />
  </ImportGroup>
  <PropertyGroup><_PropertySheetDisplayName>Build Settings</_PropertySheetDisplayName></PropertyGroup>
</Project>)xml");
    Write(L"builds\\zmq.import.props", LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="4.0" @NS@>
  <ItemDefinitionGroup>
    <ClCompile>
      <PreprocessorDefinitions Condition="'$(Linkage-zmq)' == 'static'">ZMQ_STATIC;%(PreprocessorDefinitions)</PreprocessorDefinitions>
    </ClCompile>
    <Link>
      <AdditionalDependencies Condition="'$(Linkage-zmq)' != ''">libzmq.lib;%(AdditionalDependencies)</AdditionalDependencies>
      <AdditionalLibraryDirectories Condition="$(Configuration.IndexOf('Debug')) != -1">$(ProjectDir)..\bin\$(PlatformName)\Debug\$(PlatformToolset)\$(Linkage-zmq)\;%(AdditionalLibraryDirectories)</AdditionalLibraryDirectories>
    </Link>
  </ItemDefinitionGroup>
</Project>)xml");
    const String_cl configurations = LR"xml(  <ItemGroup Label="ProjectConfigurations">
    <ProjectConfiguration Include="DebugDLL|x64"><Configuration>DebugDLL</Configuration><Platform>x64</Platform></ProjectConfiguration>
    <ProjectConfiguration Include="ReleaseLIB|x64"><Configuration>ReleaseLIB</Configuration><Platform>x64</Platform></ProjectConfiguration>
    <ProjectConfiguration Include="DebugDLL|Win32"><Configuration>DebugDLL</Configuration><Platform>Win32</Platform></ProjectConfiguration>
  </ItemGroup>
  <PropertyGroup Label="Globals">
    <PlatformToolset>v143</PlatformToolset>
  </PropertyGroup>)xml";
    const String_cl sheets = LR"xml(  <ImportGroup Label="PropertySheets">
    <Import Project="$(ProjectDir)..\properties\$(Configuration).props" />
  </ImportGroup>)xml";
    const String_cl library = Write(
        L"builds\\libzmq\\libzmq.vcxproj",
        Skeleton(configurations + L"\r\n  <PropertyGroup Label=\"Globals\"><ProjectName>zmq</ProjectName></PropertyGroup>",
                 LR"xml(  <PropertyGroup Condition="$(Configuration.IndexOf('DLL')) != -1" Label="Configuration">
    <ConfigurationType>DynamicLibrary</ConfigurationType>
  </PropertyGroup>
  <PropertyGroup Condition="$(Configuration.IndexOf('LIB')) != -1" Label="Configuration">
    <ConfigurationType>StaticLibrary</ConfigurationType>
  </PropertyGroup>)xml",
                 sheets + L"\r\n  <PropertyGroup><TargetName>lib$(ProjectName)</TargetName></PropertyGroup>"));
    const String_cl program = Write(
        L"builds\\perf\\perf.vcxproj",
        Skeleton(configurations, L"  <PropertyGroup Label=\"Configuration\"><ConfigurationType>Application</ConfigurationType></PropertyGroup>",
                 sheets + LR"xml(
  <PropertyGroup>
    <Linkage-zmq Condition="'$(DefaultLinkage)' == 'dynamic'">dynamic</Linkage-zmq>
    <Linkage-zmq Condition="'$(DefaultLinkage)' == 'static'">static</Linkage-zmq>
  </PropertyGroup>
  <ImportGroup Label="PropertySheets">
    <Import Project="..\zmq.import.props" />
  </ImportGroup>)xml"));

    const Project_st zmq = Read(library, m_dir / L"builds\\zmq.sln");
    EXPECT_EQ(L"zmq", zmq.name);
    EXPECT_EQ("libzmq.lib|~\\builds\\bin\\x64\\DebugDLL\\v143\\dynamic\\libzmq.dll|~\\builds\\bin\\x64\\DebugDLL\\v143\\dynamic\\libzmq.lib|"
              "~\\builds\\bin\\x64\\DebugDLL\\v143\\dynamic\\libzmq.pdb|~\\builds\\bin\\x64\\DebugDLL\\v143\\dynamic\\|"
              "~\\builds\\obj\\zmq\\x64\\DebugDLL\\|Ws2_32.lib ",
              Entry(zmq, L"DEBUGDLL|X64"));
    EXPECT_EQ("libzmq.lib|~\\builds\\bin\\x64\\ReleaseLIB\\v143\\static\\libzmq.lib|||"
              "~\\builds\\bin\\x64\\ReleaseLIB\\v143\\static\\|~\\builds\\obj\\zmq\\x64\\ReleaseLIB\\|",
              Entry(zmq, L"RELEASELIB|X64"));
    EXPECT_EQ("libzmq.lib|~\\builds\\bin\\Win32\\DebugDLL\\v143\\dynamic\\libzmq.dll|~\\builds\\bin\\Win32\\DebugDLL\\v143\\dynamic\\libzmq.lib|"
              "~\\builds\\bin\\Win32\\DebugDLL\\v143\\dynamic\\libzmq.pdb|~\\builds\\bin\\Win32\\DebugDLL\\v143\\dynamic\\|"
              "~\\builds\\obj\\zmq\\Win32\\DebugDLL\\|Ws2_32.lib ",
              Entry(zmq, L"DEBUGDLL|WIN32"));

    const Project_st perf = Read(program, m_dir / L"builds\\zmq.sln");
    EXPECT_EQ("perf.exe|~\\builds\\bin\\x64\\DebugDLL\\v143\\dynamic\\perf.exe||~\\builds\\bin\\x64\\DebugDLL\\v143\\dynamic\\perf.pdb|"
              "~\\builds\\bin\\x64\\DebugDLL\\v143\\dynamic\\|~\\builds\\obj\\perf\\x64\\DebugDLL\\|libzmq.lib Ws2_32.lib ",
              Entry(perf, L"DEBUGDLL|X64"));
    EXPECT_EQ("perf.exe|~\\builds\\bin\\x64\\ReleaseLIB\\v143\\static\\perf.exe||~\\builds\\bin\\x64\\ReleaseLIB\\v143\\static\\perf.pdb|"
              "~\\builds\\bin\\x64\\ReleaseLIB\\v143\\static\\|~\\builds\\obj\\perf\\x64\\ReleaseLIB\\|libzmq.lib Ws2_32.lib ",
              Entry(perf, L"RELEASELIB|X64"));
    // In the order first read: the import the project names itself comes
    // first, before any configuration is chosen.
    EXPECT_EQ(Under({L"builds\\zmq.import.props", L"builds\\properties\\DebugDLL.props", L"builds\\properties\\Common.props",
                     L"builds\\properties\\ReleaseLIB.props"}),
              perf.sheets);
}

// A build tree as CMake writes it for Visual Studio 2022, in a folder
// whose name holds a blank: absolute paths (some with "/"), libraries by
// full path in a list separated by ";" only, the platform among the Globals, an import library named
// for a program too, the compiler's database named per target, the
// ZERO_CHECK utility every target references.
TEST_F(VcxprojLayoutsTest, ProjectsAsCMakeGeneratesThem)
{
    const String_cl header = LR"xml(<?xml version="1.0" encoding="UTF-8"?>
<Project DefaultTargets="Build" ToolsVersion="17.0" @NS@>
  <PropertyGroup>
    <PreferredToolArchitecture>x64</PreferredToolArchitecture>
  </PropertyGroup>
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
    <ProjectGuid>{@GUID@}</ProjectGuid>
    <Keyword>Win32Proj</Keyword>
    <WindowsTargetPlatformVersion>10.0.22621.0</WindowsTargetPlatformVersion>
    <Platform>x64</Platform>
    <ProjectName>@NAME@</ProjectName>
    <VCProjectUpgraderObjectName>NoUpgrade</VCProjectUpgraderObjectName>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Debug|x64'" Label="Configuration">
    <ConfigurationType>@TYPE@</ConfigurationType>
    <CharacterSet>MultiByte</CharacterSet>
    <PlatformToolset>v143</PlatformToolset>
  </PropertyGroup>
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Release|x64'" Label="Configuration">
    <ConfigurationType>@TYPE@</ConfigurationType>
    <CharacterSet>MultiByte</CharacterSet>
    <PlatformToolset>v143</PlatformToolset>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
  <ImportGroup Label="ExtensionSettings">
  </ImportGroup>
  <ImportGroup Label="PropertySheets">
    <Import Project="$(UserRootDir)\Microsoft.Cpp.$(Platform).user.props" Condition="exists('$(UserRootDir)\Microsoft.Cpp.$(Platform).user.props')" Label="LocalAppDataPlatform" />
  </ImportGroup>
  <PropertyGroup Label="UserMacros" />
)xml";
    auto project = [&](const wchar_t* name, const wchar_t* type, const wchar_t* guid, const String_cl& body) {
        String_cl text = header + body + LR"xml(
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />
  <ImportGroup Label="ExtensionTargets">
  </ImportGroup>
</Project>)xml";
        text.ReplaceAll(L"@NAME@", name);
        text.ReplaceAll(L"@TYPE@", type);
        text.ReplaceAll(L"@GUID@", guid);
        return Write((String_cl(L"build dir\\") + name + L".vcxproj").c_str(), text);
    };
    const String_cl zeroCheck = project(L"ZERO_CHECK", L"Utility", L"1D0D7A8B-43D3-3B63-9A3B-0C2B5A6F7E01", LR"xml(
  <PropertyGroup>
    <_ProjectFileVersion>10.0.20506.1</_ProjectFileVersion>
    <IntDir Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">$(Platform)\$(Configuration)\$(ProjectName)\</IntDir>
    <IntDir Condition="'$(Configuration)|$(Platform)'=='Release|x64'">$(Platform)\$(Configuration)\$(ProjectName)\</IntDir>
  </PropertyGroup>
  <ItemGroup>
    <CustomBuild Include="@ROOT@\build dir\CMakeFiles\generate.stamp.rule">
      <UseUtf8Encoding>Always</UseUtf8Encoding>
      <Message Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">Checking Build System</Message>
      <Outputs Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">@ROOT@\build dir\CMakeFiles\generate.stamp</Outputs>
    </CustomBuild>
  </ItemGroup>)xml");
    const String_cl library = project(L"mylib", L"StaticLibrary", L"2A4E6B10-9C1D-3E6F-8A2B-4C5D6E7F8091", LR"xml(
  <PropertyGroup>
    <_ProjectFileVersion>10.0.20506.1</_ProjectFileVersion>
    <OutDir Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">@ROOT@\build dir\Debug\</OutDir>
    <IntDir Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">mylib.dir\Debug\</IntDir>
    <TargetName Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">mylib</TargetName>
    <TargetExt Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">.lib</TargetExt>
    <OutDir Condition="'$(Configuration)|$(Platform)'=='Release|x64'">@ROOT@\build dir\Release\</OutDir>
    <IntDir Condition="'$(Configuration)|$(Platform)'=='Release|x64'">mylib.dir\Release\</IntDir>
    <TargetName Condition="'$(Configuration)|$(Platform)'=='Release|x64'">mylib</TargetName>
    <TargetExt Condition="'$(Configuration)|$(Platform)'=='Release|x64'">.lib</TargetExt>
  </PropertyGroup>
  <ItemDefinitionGroup Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">
    <ClCompile>
      <AdditionalIncludeDirectories>@ROOT@\src;%(AdditionalIncludeDirectories)</AdditionalIncludeDirectories>
      <AssemblerListingLocation>$(IntDir)</AssemblerListingLocation>
      <PreprocessorDefinitions>%(PreprocessorDefinitions);WIN32;_WINDOWS;CMAKE_INTDIR="Debug"</PreprocessorDefinitions>
      <ProgramDataBaseFileName>@ROOT@/build dir/Debug/mylib.pdb</ProgramDataBaseFileName>
    </ClCompile>
    <Lib>
      <AdditionalOptions>%(AdditionalOptions) /machine:x64</AdditionalOptions>
    </Lib>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ClCompile Include="@ROOT@\src\mylib.cpp" />
  </ItemGroup>
  <ItemGroup>
    <ProjectReference Include="@ROOT@\build dir\ZERO_CHECK.vcxproj">
      <Project>{1D0D7A8B-43D3-3B63-9A3B-0C2B5A6F7E01}</Project>
      <Name>ZERO_CHECK</Name>
      <ReferenceOutputAssembly>false</ReferenceOutputAssembly>
      <CopyToOutputDirectory>Never</CopyToOutputDirectory>
    </ProjectReference>
  </ItemGroup>)xml");
    const String_cl program = project(L"app", L"Application", L"3B5F7C21-0D2E-3F70-9B3C-5D6E7F809102", LR"xml(
  <PropertyGroup>
    <_ProjectFileVersion>10.0.20506.1</_ProjectFileVersion>
    <OutDir Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">@ROOT@\build dir\Debug\</OutDir>
    <IntDir Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">app.dir\Debug\</IntDir>
    <TargetName Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">app</TargetName>
    <TargetExt Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">.exe</TargetExt>
    <LinkIncremental Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">true</LinkIncremental>
  </PropertyGroup>
  <ItemDefinitionGroup Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">
    <ClCompile>
      <ProgramDataBaseFileName>$(IntDir)</ProgramDataBaseFileName>
    </ClCompile>
    <Link>
      <AdditionalDependencies>@ROOT@\build dir\Debug\mylib.lib;kernel32.lib;user32.lib;gdi32.lib;winspool.lib;shell32.lib;ole32.lib;oleaut32.lib;uuid.lib;comdlg32.lib;advapi32.lib</AdditionalDependencies>
      <AdditionalLibraryDirectories>%(AdditionalLibraryDirectories)</AdditionalLibraryDirectories>
      <AdditionalOptions>%(AdditionalOptions) /machine:x64</AdditionalOptions>
      <GenerateDebugInformation>true</GenerateDebugInformation>
      <IgnoreSpecificDefaultLibraries>%(IgnoreSpecificDefaultLibraries)</IgnoreSpecificDefaultLibraries>
      <ImportLibrary>@ROOT@/build dir/Debug/app.lib</ImportLibrary>
      <ProgramDataBaseFile>@ROOT@/build dir/Debug/app.pdb</ProgramDataBaseFile>
      <SubSystem>Console</SubSystem>
    </Link>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ClCompile Include="@ROOT@\src\main.cpp" />
  </ItemGroup>
  <ItemGroup>
    <ProjectReference Include="@ROOT@\build dir\ZERO_CHECK.vcxproj">
      <Project>{1D0D7A8B-43D3-3B63-9A3B-0C2B5A6F7E01}</Project>
      <Name>ZERO_CHECK</Name>
    </ProjectReference>
    <ProjectReference Include="@ROOT@\build dir\mylib.vcxproj">
      <Project>{2A4E6B10-9C1D-3E6F-8A2B-4C5D6E7F8091}</Project>
      <Name>mylib</Name>
    </ProjectReference>
  </ItemGroup>)xml");
    const String_cl solution = m_dir / L"build dir\\demo.sln";

    const Project_st app = Read(program, solution);
    EXPECT_EQ(L"app", app.name);
    // A program is known by its output, whatever import library it names.
    EXPECT_EQ("app.exe|~\\build dir\\Debug\\app.exe||~\\build dir\\Debug\\app.pdb|~\\build dir\\Debug\\|~\\build dir\\app.dir\\Debug\\|"
              "mylib.lib kernel32.lib user32.lib gdi32.lib winspool.lib shell32.lib ole32.lib oleaut32.lib uuid.lib "
              "comdlg32.lib advapi32.lib ",
              Entry(app, L"DEBUG|X64"));
    EXPECT_EQ(m_dir / L"build dir\\app.dir\\Debug\\vc143.pdb", app.configurations.Find(L"DEBUG|X64")->compilerDatabase);
    EXPECT_EQ(Under({L"build dir\\ZERO_CHECK.vcxproj", L"build dir\\mylib.vcxproj"}), app.references);

    const Project_st mylib = Read(library, solution);
    EXPECT_EQ("mylib.lib|~\\build dir\\Release\\mylib.lib|||~\\build dir\\Release\\|~\\build dir\\mylib.dir\\Release\\|",
              Entry(mylib, L"RELEASE|X64"));
    EXPECT_EQ(m_dir / L"build dir\\Debug\\mylib.pdb", mylib.configurations.Find(L"DEBUG|X64")->compilerDatabase);

    // The utility builds and gives nothing to link.
    const Project_st check = Read(zeroCheck, solution);
    EXPECT_EQ("||||~\\build dir\\x64\\Debug\\|~\\build dir\\x64\\Debug\\ZERO_CHECK\\|", Entry(check, L"DEBUG|X64"));
    for (const Project_st* p : {&app, &mylib, &check})
        for (const auto& [key, entry] : p->configurations) EXPECT_TRUE(entry.unknowns.empty()) << U8(p->name + L" " + key);
}

// A workspace as premake writes it: folders relative to the project, a
// name and extension per configuration, a shared library with its import
// library named, and a property function in the Globals that this reader
// does not evaluate but that no output depends on.
TEST_F(VcxprojLayoutsTest, ProjectsAsPremakeGeneratesThem)
{
    const String_cl engine = Write(L"Engine\\Engine.vcxproj", LR"xml(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="4.0" @NS@>
  <ItemGroup Label="ProjectConfigurations">
    <ProjectConfiguration Include="Debug|x64">
      <Configuration>Debug</Configuration>
      <Platform>x64</Platform>
    </ProjectConfiguration>
    <ProjectConfiguration Include="Dist|x64">
      <Configuration>Dist</Configuration>
      <Platform>x64</Platform>
    </ProjectConfiguration>
  </ItemGroup>
  <PropertyGroup Label="Globals">
    <ProjectGuid>{DBC7D3B0-C769-FE86-B024-12DB9C6585D7}</ProjectGuid>
    <IgnoreWarnCompileDuplicatedFilename>true</IgnoreWarnCompileDuplicatedFilename>
    <Keyword>Win32Proj</Keyword>
    <RootNamespace>Engine</RootNamespace>
    <LatestTargetPlatformVersion>$([Microsoft.Build.Utilities.ToolLocationHelper]::GetLatestSDKTargetPlatformVersion('Windows', '10.0'))</LatestTargetPlatformVersion>
    <WindowsTargetPlatformVersion>$(LatestTargetPlatformVersion)</WindowsTargetPlatformVersion>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Debug|x64'" Label="Configuration">
    <ConfigurationType>DynamicLibrary</ConfigurationType>
    <UseDebugLibraries>true</UseDebugLibraries>
    <CharacterSet>Unicode</CharacterSet>
    <PlatformToolset>v143</PlatformToolset>
  </PropertyGroup>
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Dist|x64'" Label="Configuration">
    <ConfigurationType>StaticLibrary</ConfigurationType>
    <UseDebugLibraries>false</UseDebugLibraries>
    <CharacterSet>Unicode</CharacterSet>
    <PlatformToolset>v143</PlatformToolset>
  </PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
  <ImportGroup Label="ExtensionSettings">
  </ImportGroup>
  <ImportGroup Label="PropertySheets" Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">
    <Import Project="$(UserRootDir)\Microsoft.Cpp.$(Platform).user.props" Condition="exists('$(UserRootDir)\Microsoft.Cpp.$(Platform).user.props')" Label="LocalAppDataPlatform" />
  </ImportGroup>
  <PropertyGroup Label="UserMacros" />
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">
    <LinkIncremental>true</LinkIncremental>
    <OutDir>..\bin\Debug-windows-x86_64\Engine\</OutDir>
    <IntDir>..\bin-int\Debug-windows-x86_64\Engine\</IntDir>
    <TargetName>Engine</TargetName>
    <TargetExt>.dll</TargetExt>
  </PropertyGroup>
  <PropertyGroup Condition="'$(Configuration)|$(Platform)'=='Dist|x64'">
    <OutDir>..\bin\Dist-windows-x86_64\Engine\</OutDir>
    <IntDir>..\bin-int\Dist-windows-x86_64\Engine\</IntDir>
    <TargetName>Engine</TargetName>
    <TargetExt>.lib</TargetExt>
  </PropertyGroup>
  <ItemDefinitionGroup Condition="'$(Configuration)|$(Platform)'=='Debug|x64'">
    <ClCompile>
      <PrecompiledHeader>NotUsing</PrecompiledHeader>
      <WarningLevel>Level3</WarningLevel>
      <PreprocessorDefinitions>ENGINE_BUILD_DLL;%(PreprocessorDefinitions)</PreprocessorDefinitions>
      <AdditionalIncludeDirectories>src;vendor\GLFW\include;%(AdditionalIncludeDirectories)</AdditionalIncludeDirectories>
      <DebugInformationFormat>EditAndContinue</DebugInformationFormat>
      <Optimization>Disabled</Optimization>
    </ClCompile>
    <Link>
      <SubSystem>Windows</SubSystem>
      <GenerateDebugInformation>true</GenerateDebugInformation>
      <AdditionalDependencies>opengl32.lib;%(AdditionalDependencies)</AdditionalDependencies>
      <ImportLibrary>..\bin\Debug-windows-x86_64\Engine\Engine.lib</ImportLibrary>
    </Link>
    <PostBuildEvent>
      <Command>IF EXIST ..\bin\Debug-windows-x86_64\Engine\Engine.dll\ (xcopy /Q /E /Y /I ..\bin\Debug-windows-x86_64\Engine\Engine.dll ..\bin\Debug-windows-x86_64\Sandbox &gt; nul)</Command>
    </PostBuildEvent>
  </ItemDefinitionGroup>
  <ItemDefinitionGroup Condition="'$(Configuration)|$(Platform)'=='Dist|x64'">
    <Lib>
      <AdditionalDependencies>opengl32.lib;%(AdditionalDependencies)</AdditionalDependencies>
    </Lib>
  </ItemDefinitionGroup>
  <ItemGroup>
    <ClInclude Include="src\Engine.h" />
    <ClCompile Include="src\Engine.cpp" />
  </ItemGroup>
  <ItemGroup>
    <ProjectReference Include="vendor\GLFW\GLFW.vcxproj">
      <Project>{154B857C-0182-860D-AA6E-6C109684020F}</Project>
    </ProjectReference>
  </ItemGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />
  <ImportGroup Label="ExtensionTargets">
  </ImportGroup>
</Project>)xml");
    const Project_st project = Read(engine, m_dir / L"Workspace.sln");
    EXPECT_EQ("Engine.lib|~\\bin\\Debug-windows-x86_64\\Engine\\Engine.dll|~\\bin\\Debug-windows-x86_64\\Engine\\Engine.lib|"
              "~\\bin\\Debug-windows-x86_64\\Engine\\Engine.pdb|~\\bin\\Debug-windows-x86_64\\Engine\\|"
              "~\\bin-int\\Debug-windows-x86_64\\Engine\\|opengl32.lib ",
              Entry(project, L"DEBUG|X64"));
    EXPECT_EQ("Engine.lib|~\\bin\\Dist-windows-x86_64\\Engine\\Engine.lib|||~\\bin\\Dist-windows-x86_64\\Engine\\|"
              "~\\bin-int\\Dist-windows-x86_64\\Engine\\|opengl32.lib ",
              Entry(project, L"DIST|X64"));
    EXPECT_EQ(Under({L"Engine\\vendor\\GLFW\\GLFW.vcxproj"}), project.references);
    // What no output depends on is nobody's business.
    for (const auto& [key, entry] : project.configurations) EXPECT_TRUE(entry.unknowns.empty()) << U8(key);
}

// $(TargetDir), $(TargetPath), $(TargetFileName), $(PlatformShortName),
// $(PlatformTarget) and $(SolutionName) as MSBuild defines them, and
// folders written without their trailing backslash given one.
TEST_F(VcxprojLayoutsTest, MSBuildsOwnMacrosAndFoldersWithoutTheirBackslash)
{
    VcxProject_st p;
    p.globals = {{L"ProjectName", L"App"}};
    for (const wchar_t* name : {L"Debug|Win32", L"Release|x64"}) {
        p.configurations.push_back({name, L"DynamicLibrary"});
        VcxConfiguration_st& c = p.configurations.back();
        c.properties = {{L"OutDir", L"$(SolutionDir)bin\\$(PlatformShortName)"}, {L"IntDir", L"obj\\$(PlatformTarget)"}};
        c.link = {{L"OutputFile", L"$(TargetDir)$(TargetName)_$(PlatformTarget)$(TargetExt)"},
                  {L"ImportLibrary", L"$(SolutionDir)lib\\$(SolutionName)\\$(TargetName).lib"},
                  {L"ProgramDatabaseFile", L"$(TargetPath).pdb"}};
        c.compile = {{L"ProgramDataBaseFileName", L"$(IntDir)$(TargetFileName).pdb"}};
    }
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"src\\app\\app.vcxproj", VcxprojText(p)));
    const Project_st project = Read(m_dir / L"src\\app\\app.vcxproj", m_dir / L"All.sln");
    EXPECT_EQ("App.lib|~\\bin\\x86\\App_x86.dll|~\\lib\\All\\App.lib|~\\bin\\x86\\App.dll.pdb|~\\bin\\x86\\|"
              "~\\src\\app\\obj\\x86\\|",
              Entry(project, L"DEBUG|WIN32"));
    EXPECT_EQ("App.lib|~\\bin\\x64\\App_x64.dll|~\\lib\\All\\App.lib|~\\bin\\x64\\App.dll.pdb|~\\bin\\x64\\|"
              "~\\src\\app\\obj\\x64\\|",
              Entry(project, L"RELEASE|X64"));
    EXPECT_EQ(m_dir / L"src\\app\\obj\\x86\\App.dll.pdb", project.configurations.Find(L"DEBUG|WIN32")->compilerDatabase);
}

// Sheets that import each other: each file is imported once (MSBuild skips
// a second import), so fifteen sheets each importing the next four times
// read fifteen files, and a setting from the twentieth of a chain counts.
TEST_F(VcxprojLayoutsTest, SheetsImportedOnceAndChainsOfAnyDepth)
{
    for (int i = 0; i < 15; ++i) {
        const String_cl next = L"fan" + String_cl::FromInt(i + 1) + L".props";
        String_cl body = i == 14 ? String_cl(L"<PropertyGroup><Libs>$(Libs)last.lib;</Libs></PropertyGroup>") : String_cl();
        for (int k = 0; i < 14 && k < 4; ++k) body += L"<Import Project=\"" + next + L"\" />";
        Write((L"sheets\\fan" + String_cl::FromInt(i) + L".props").c_str(), L"<Project @NS@>" + body + L"</Project>");
    }
    for (int i = 1; i <= 25; ++i) {
        String_cl body = i < 25 ? L"<Import Project=\"chain" + String_cl::FromInt(i + 1) + L".props\" />" : String_cl();
        if (i == 20) body += L"<PropertyGroup><ConfigurationType>StaticLibrary</ConfigurationType><TargetName>deep</TargetName></PropertyGroup>";
        Write((L"sheets\\chain" + String_cl::FromInt(i) + L".props").c_str(), L"<Project @NS@>" + body + L"</Project>");
    }
    VcxProject_st p;
    p.configurations.push_back({L"Debug|Win32", L""});
    p.configurations.back().lib = {{L"AdditionalDependencies", L"$(Libs)"}};
    p.propertySheets = {L"..\\sheets\\fan0.props", L"..\\sheets\\fan0.props"};
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"app\\app.vcxproj", VcxprojText(p)));
    // Early enough for the type to name the output's extension.
    Write(L"app\\Directory.Build.props", L"<Project @NS@><Import Project=\"..\\sheets\\chain1.props\" /></Project>");

    const Project_st project = Read(m_dir / L"app\\app.vcxproj");
    EXPECT_EQ("deep.lib|~\\app\\Debug\\deep.lib|||~\\app\\Debug\\|~\\app\\Debug\\|last.lib ", Entry(project, L"DEBUG|WIN32"));
    EXPECT_EQ(41u, project.sheets.size());
}

// What this reader cannot evaluate stays empty and says so, naming the
// property and the expression; the other configurations, and what no
// output depends on, are read as usual.
TEST_F(VcxprojLayoutsTest, WhatCannotBeEvaluatedIsNamedNeverCutShort)
{
    Write(L"Directory.Build.props", LR"xml(<Project @NS@>
  <PropertyGroup><BuildYear>$([System.DateTime]::Now.Year)</BuildYear></PropertyGroup>
</Project>)xml");
    VcxProject_st p;
    p.configurations = {{L"Debug|Win32", L"DynamicLibrary"}, {L"Release|Win32", L"DynamicLibrary"}, {L"Tagged|Win32", L"StaticLibrary"}};
    p.configurations[0].properties = {{L"OutDir", L"$(SolutionDir)bin\\$([System.DateTime]::Now.ToString('yyyyMMdd'))\\"}};
    p.configurations[2].properties = {{L"TargetName", L"$(ProjectName)-$([System.Environment]::GetFolderPath(SpecialFolder.Desktop))"}};
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"net\\net.vcxproj", VcxprojText(p)));
    const Project_st project = Read(m_dir / L"net\\net.vcxproj", m_dir / L"All.sln");

    const ConfigEntry_st* debug = project.configurations.Find(L"DEBUG|WIN32");
    ASSERT_NE(nullptr, debug);
    EXPECT_EQ("|||||~\\net\\Debug\\|", Entry(project, L"DEBUG|WIN32"));
    EXPECT_EQ((std::vector<String_cl>{L"属性 OutDir 无法求值：$([System.DateTime]::Now.ToString('yyyyMMdd'))"}), debug->unknowns);
    const ConfigEntry_st* tagged = project.configurations.Find(L"TAGGED|WIN32");
    ASSERT_NE(nullptr, tagged);
    EXPECT_EQ("||||~\\Tagged\\|~\\net\\Tagged\\|", Entry(project, L"TAGGED|WIN32"));
    EXPECT_EQ((std::vector<String_cl>{L"属性 TargetName 无法求值：$([System.Environment]::GetFolderPath(SpecialFolder.Desktop))"}),
              tagged->unknowns);
    EXPECT_EQ("net.lib|~\\Release\\net.dll|~\\Release\\net.lib|~\\Release\\net.pdb|~\\Release\\|~\\net\\Release\\|",
              Entry(project, L"RELEASE|WIN32"));
    EXPECT_TRUE(project.configurations.Find(L"RELEASE|WIN32")->unknowns.empty());
}

} // namespace
