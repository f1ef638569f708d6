// The project file reader against real files in a temporary folder, loaded
// through the platform's MSXML the way the program loads them.
#include <gtest/gtest.h>
#include <objbase.h>
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "app/ProgramPlaces.h"
#include "app/engine/ProjectPack.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using namespace Test_ns;
using Base_ns::String_cl;

namespace {

std::string U8(const String_cl& text) { return text.ToUtf8(); }

class ProjectFileReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    // A project file as Visual Studio 2008 writes it on a Chinese system.
    String_cl WriteProject(const wchar_t* fileName, const String_cl& name,
                           const std::vector<VcConfiguration_st>& configurations)
    {
        String_cl path = m_dir / fileName;
        EXPECT_TRUE(Test_ns::WriteVcproj(path, {name, configurations}, 936));
        return path;
    }

    static VcConfiguration_st Configuration(const String_cl& name, int type, std::vector<VcTool_st> tools = {})
    {
        return {name, type, tools, {{L"OutputDirectory", L"$(SolutionDir)$(ConfigurationName)"}}};
    }

    static Project_st Read(const String_cl& path)
    {
        Project_st project;
        project.path = path;
        ReadProjectFile(project);
        return project;
    }

    static String_cl Output(Project_st& project, const wchar_t* key)
    {
        ConfigEntry_st* entry = project.configurations.Find(key);
        return entry ? entry->output : String_cl(L"<none>");
    }

    Test_ns::TempDir_cl m_dir{L"qv-reader"};
};

TEST_F(ProjectFileReaderTest, OutputNamesFollowTheToolsMacrosAndTypes)
{
    const std::vector<VcConfiguration_st> configurations{
        // A DLL is known by its import library, named after the target.
        Configuration(L"Debug|Win32", 2,
                      {Compiler().With(L"OutputFile", L"$(IntDir)\\compiled.obj"),
                       Linker(L"$(OutDir)\\$(ProjectName)D.dll").ImportLibrary(L"$(OutDir)\\$(TargetName).lib")}),
        // A program named only by its output file.
        Configuration(L"Release|Win32", 1, {Linker(L"$(OutDir)\\$(ProjectName).exe")}),
        // No tool names anything: the type decides, a DLL is not taken for its .lib.
        Configuration(L"Plain|Win32", 2, {Linker()}),
        Configuration(L"Static|Win32", 4, {Librarian()}),
        Configuration(L"Program|Win32", 1),
        // A utility builds, but produces nothing to link against.
        Configuration(L"Utility|Win32", 10, {VcTool_st{L"VCCustomBuildTool"}}),
        // Forward slashes, and the first tool with an output wins.
        Configuration(L"Lib|x64", 4,
                      {Librarian(L"..\\lib.x64/$(ProjectName)_s.lib"),
                       Linker(L"$(OutDir)\\other.dll").ImportLibrary(L"$(OutDir)\\other.lib")}),
        // Every macro of the builder is expanded, as the builder names the file.
        Configuration(L"Odd|Win32", 1, {Linker(L"$(OutDir)\\$(ProjectName)-$(PlatformName).exe")})};
    Project_st project = Read(WriteProject(L"core.vcproj", L"core", configurations));

    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(L"core", project.name);
    EXPECT_EQ(L"coreD.lib", Output(project, L"DEBUG|WIN32"));
    EXPECT_EQ(L"core.exe", Output(project, L"RELEASE|WIN32"));
    EXPECT_EQ(L"core.dll", Output(project, L"PLAIN|WIN32"));
    EXPECT_EQ(L"core.lib", Output(project, L"STATIC|WIN32"));
    EXPECT_EQ(L"core.exe", Output(project, L"PROGRAM|WIN32"));
    EXPECT_EQ(L"", Output(project, L"UTILITY|WIN32"));
    EXPECT_EQ(L"core_s.lib", Output(project, L"LIB|X64"));
    EXPECT_EQ(L"core-Win32.exe", Output(project, L"ODD|WIN32"));
    EXPECT_EQ(8, project.configurations.Count());
    // Keys are upper case only: the mixed-case name is not a key.
    EXPECT_EQ(nullptr, project.configurations.Find(L"Debug|Win32"));
    for (auto& pair : project.configurations) {
        EXPECT_EQ(0, pair.second.state) << pair.first.ToUtf8();
        EXPECT_TRUE(pair.second.log.empty()) << pair.first.ToUtf8();
    }
}

// Full paths of what each configuration's build writes, with the builder's
// macros and defaults, and of the projects it references: what tells which
// builds may run side by side and which must wait.
TEST_F(ProjectFileReaderTest, FilesTheBuildWritesAndReferencedProjectsAsFullPaths)
{
    const String_cl folder = m_dir / L"src\\core\\";
    VcProject_st project{L"core",
                         {// A DLL into a shared bin folder: its import library and program database beside it.
                          {L"Debug|Win32", 2,
                           {Compiler(), Linker(L"$(OutDir)/$(ProjectName)D.dll").With(L"GenerateDebugInformation", L"true")},
                           {{L"OutputDirectory", L"..\\..\\bin\\$(ConfigurationName)"},
                            {L"IntermediateDirectory", L"$(ConfigurationName)"}}},
                          // A static library whose compiler database goes to the shared lib folder.
                          {L"Release|Win32", 4,
                           {Compiler().With(L"ProgramDataBaseFileName", L"$(OutDir)\\"),
                            Librarian(L"$(OutDir)\\$(ProjectName).lib")},
                           {{L"OutputDirectory", L"$(SolutionDir)..\\..\\lib\\$(ConfigurationName)"}}}}};
    project.references = {L"..\\util\\util.vcproj", L"../../third/zlib.vcproj"};
    ASSERT_TRUE(Test_ns::WriteVcproj(folder + L"core.vcproj", project, 936));
    Project_st read = Read(folder + L"core.vcproj");

    const String_cl root = m_dir.Path();
    const ConfigEntry_st* debug = read.configurations.Find(L"DEBUG|WIN32");
    ASSERT_NE(debug, nullptr);
    EXPECT_EQ(debug->outputFile, root + L"bin\\Debug\\coreD.dll");
    EXPECT_EQ(debug->importLibrary, root + L"bin\\Debug\\coreD.lib");
    EXPECT_EQ(debug->programDatabase, root + L"bin\\Debug\\coreD.pdb");
    EXPECT_EQ(debug->intermediateFolder, folder + L"Debug\\");
    EXPECT_EQ(debug->compilerDatabase, folder + L"Debug\\vc90.pdb");
    const ConfigEntry_st* release = read.configurations.Find(L"RELEASE|WIN32");
    ASSERT_NE(release, nullptr);
    EXPECT_EQ(release->outputFile, root + L"lib\\Release\\core.lib");
    EXPECT_TRUE(release->importLibrary.empty());
    EXPECT_TRUE(release->programDatabase.empty());
    EXPECT_EQ(release->compilerDatabase, root + L"lib\\Release\\vc90.pdb");
    EXPECT_EQ(read.references, (std::vector<String_cl>{root + L"src\\util\\util.vcproj", root + L"third\\zlib.vcproj"}));
}

TEST_F(ProjectFileReaderTest, ConfigurationNamesDifferingInCaseCollapseFirstWins)
{
    Project_st project = Read(WriteProject(L"dup.vcproj", L"dup",
                                           {Configuration(L"Debug|Win32", 4, {Librarian(L"first.lib")}),
                                            Configuration(L"DEBUG|win32", 4, {Librarian(L"second.lib")}),
                                            Configuration(L"debug|WIN32", 1)}));
    EXPECT_EQ(1, project.configurations.Count());
    EXPECT_EQ(L"first.lib", Output(project, L"DEBUG|WIN32"));
}

TEST_F(ProjectFileReaderTest, MissingFileOrFolderIsNotExistingWithTheFileTitleAsName)
{
    Project_st missing = Read(m_dir / L"absent.d\\engine.core.vcproj");
    EXPECT_EQ(0, missing.exists);
    EXPECT_EQ(L"engine.core", missing.name);
    EXPECT_EQ(0, missing.configurations.Count());

    String_cl folder = m_dir / L"folder.vcproj";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Project_st directory = Read(folder);
    EXPECT_EQ(0, directory.exists);
    EXPECT_EQ(L"folder", directory.name);
    EXPECT_EQ(0, directory.configurations.Count());
}

TEST_F(ProjectFileReaderTest, IntelProjectIsReadThroughTheWrappedVcproj)
{
    WriteProject(L"wrapped.vcproj", L"wrapped", {Configuration(L"Debug|Win32", 4, {Librarian(L"w.lib")})});
    // The wrapper itself is never parsed: garbage in it changes nothing.
    String_cl icproj = m_dir / L"wrapped.icproj";
    ASSERT_TRUE(Test_ns::WriteBytes(icproj, "this is not XML <<<"));

    Project_st project = Read(icproj);
    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(icproj, project.path);
    EXPECT_EQ(L"wrapped", project.name);
    EXPECT_EQ(L"w.lib", Output(project, L"DEBUG|WIN32"));
    // The wrapped project is a file the plan reads besides the record's own.
    EXPECT_EQ(std::vector<String_cl>{m_dir / L"wrapped.vcproj"}, project.sheets);

    // A wrapper whose Visual C++ project is gone exists, but cannot be read.
    String_cl lonely = m_dir / L"lonely.icproj";
    ASSERT_TRUE(Test_ns::WriteBytes(lonely, "<Project/>"));
    Project_st orphan;
    orphan.path = lonely;
    EXPECT_THROW(ReadProjectFile(orphan), Base_ns::Error_cl);
    EXPECT_EQ(1, orphan.exists);
    EXPECT_TRUE(orphan.name.empty());
}

TEST_F(ProjectFileReaderTest, UnparsableFileExistsWithoutNameOrEntries)
{
    String_cl path = m_dir / L"broken.vcproj";
    ASSERT_TRUE(Test_ns::WriteBytes(path, "<?xml version=\"1.0\"?>\r\n<VisualStudioProject Name=\"broken\"><Configurations>"));
    Project_st project;
    project.path = path;
    try {
        ReadProjectFile(project);
        FAIL() << "a truncated project file was accepted";
    } catch (const Base_ns::Error_cl& error) {
        EXPECT_EQ(0, error.IsSystemError());
    }
    EXPECT_EQ(1, project.exists);
    EXPECT_TRUE(project.name.empty());
    EXPECT_EQ(0, project.configurations.Count());
}

// A configuration without "ConfigurationType" is what the builder makes of
// it, a program (MSBuild's default too), not a project that cannot be read.
TEST_F(ProjectFileReaderTest, MissingConfigurationTypeIsAProgramAsTheBuilderTakesIt)
{
    Project_st project = Read(WriteProject(L"notype.vcproj", L"notype",
                                           {Configuration(L"Debug|Win32", 4),
                                            // Named by its tool, whatever the type.
                                            Configuration(L"Tooled|Win32", kNoType, {Librarian(L"t.lib")}),
                                            Configuration(L"Release|Win32", kNoType, {Linker()}),
                                            Configuration(L"Later|Win32", 4)}));
    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(L"notype", project.name);
    EXPECT_EQ(L"notype.lib", Output(project, L"DEBUG|WIN32"));
    EXPECT_EQ(L"t.lib", Output(project, L"TOOLED|WIN32"));
    EXPECT_EQ(L"notype.exe", Output(project, L"RELEASE|WIN32"));
    EXPECT_EQ(L"notype.lib", Output(project, L"LATER|WIN32"));
    EXPECT_EQ(4, project.configurations.Count());
}

TEST_F(ProjectFileReaderTest, Gb2312ProjectWithChineseName)
{
    // Written as GBK bytes under the declaration Visual Studio uses.
    String_cl name = L"核心库";
    String_cl path = WriteProject(
        L"核心库.vcproj", name,
        {Configuration(L"调试|Win32", 4, {Librarian()}),
         Configuration(L"Release|Win32", 2,
                       {Linker(L"$(OutDir)\\$(ProjectName).dll")
                            .ImportLibrary(L"$(OutDir)\\$(TargetName)导入.lib")})});
    std::string bytes = Test_ns::ReadBytes(path);
    ASSERT_NE(std::string::npos, bytes.find("\xBA\xCB\xD0\xC4\xBF\xE2")) << "not written as GBK";

    Project_st project = Read(path);
    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(name, project.name);
    EXPECT_EQ(L"核心库.lib", Output(project, L"调试|WIN32"));
    EXPECT_EQ(L"核心库导入.lib", Output(project, L"RELEASE|WIN32"));
}

// The builder's solution macros: the solution's the project is read in, or,
// for a project listed alone, those of the temporary solution the builder
// makes in the project's folder, named after the project.
TEST_F(ProjectFileReaderTest, SolutionMacrosAreTheSolutionsOrTheLoneProjects)
{
    const String_cl folder = m_dir / L"src\\core\\";
    const VcProject_st core{
        L"core",
        {{L"Debug|Win32", 2,
          {Linker(L"$(OutDir)\\$(SolutionName)_$(ProjectName)$(SolutionExt).dll")},
          {{L"OutputDirectory", L"$(SolutionDir)bin\\$(ConfigurationName)"},
           {L"IntermediateDirectory", L"$(SolutionDir)obj\\$(SolutionFileName)\\$(ProjectName)"}}}}};
    ASSERT_TRUE(Test_ns::WriteVcproj(folder + L"core.vcproj", core, 936));

    Project_st inSolution;
    inSolution.path = folder + L"core.vcproj";
    inSolution.solution = m_dir / L"All.sln";
    ReadProjectFile(inSolution);
    const ConfigEntry_st* debug = inSolution.configurations.Find(L"DEBUG|WIN32");
    ASSERT_NE(nullptr, debug);
    EXPECT_EQ(m_dir / L"bin\\Debug\\All_core.sln.dll", debug->outputFile);
    EXPECT_EQ(m_dir / L"obj\\All.sln\\core\\", debug->intermediateFolder);

    const Project_st alone = Read(folder + L"core.vcproj");
    debug = alone.configurations.Find(L"DEBUG|WIN32");
    ASSERT_NE(nullptr, debug);
    EXPECT_EQ(folder + L"bin\\Debug\\core_core.sln.dll", debug->outputFile);
    EXPECT_EQ(folder + L"obj\\core.sln\\core\\", debug->intermediateFolder);
}

// A DLL whose linker names no import library writes the linker's default
// one, its output's base name with ".lib" beside it, tools or not: what its
// users link. It is still known by its output's name, as it always was.
TEST_F(ProjectFileReaderTest, ADllWithoutAnImportLibraryHasTheLinkersDefaultOne)
{
    Project_st project = Read(WriteProject(
        L"core.vcproj", L"core",
        {{L"NoTools|Win32", 2, {}, {{L"OutputDirectory", L"..\\bin"}}},
         {L"Named|Win32", 2, {Compiler(), Linker(L"$(OutDir)\\$(ProjectName)_n.dll")}, {{L"OutputDirectory", L"..\\bin"}}},
         {L"Import|Win32", 2,
          {Linker(L"$(OutDir)\\$(ProjectName)_i.dll").ImportLibrary(L"..\\lib\\$(TargetName).lib")},
          {{L"OutputDirectory", L"..\\bin"}}}}));
    const String_cl up = GetFileDirectory(m_dir.Path().substr(0, m_dir.Path().size() - 1), true);
    struct Case_st {
        const wchar_t* key;
        const wchar_t* output;
        String_cl outputFile, importLibrary;
    } cases[] = {{L"NOTOOLS|WIN32", L"core.dll", up + L"bin\\core.dll", up + L"bin\\core.lib"},
                 {L"NAMED|WIN32", L"core_n.dll", up + L"bin\\core_n.dll", up + L"bin\\core_n.lib"},
                 {L"IMPORT|WIN32", L"core_i.lib", up + L"bin\\core_i.dll", up + L"lib\\core_i.lib"}};
    for (const Case_st& c : cases) {
        const ConfigEntry_st* e = project.configurations.Find(c.key);
        ASSERT_NE(nullptr, e) << U8(c.key);
        EXPECT_EQ(c.output, e->output) << U8(c.key);
        EXPECT_EQ(c.outputFile, e->outputFile) << U8(c.key);
        EXPECT_EQ(c.importLibrary, e->importLibrary) << U8(c.key);
    }
}

} // namespace
