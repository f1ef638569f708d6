// The project file reader against real files in a temporary folder, loaded
// through the platform's MSXML the way the program loads them.
#include <gtest/gtest.h>
#include <objbase.h>
#include "app/engine/ProjectFileReader.h"
#include "app/engine/ProjectPack.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

class ProjectFileReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    // A project file as Visual Studio 2008 writes it on a Chinese system.
    String_cl WriteProject(const wchar_t* fileName, const String_cl& name, const String_cl& configurations)
    {
        String_cl text = L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"
                         L"<VisualStudioProject\r\n\tProjectType=\"Visual C++\"\r\n\tVersion=\"9.00\"\r\n"
                         L"\tName=\"" + name + L"\"\r\n\tRootNamespace=\"" + name + L"\"\r\n\t>\r\n"
                         L"\t<Platforms>\r\n\t\t<Platform Name=\"Win32\"/>\r\n\t</Platforms>\r\n"
                         L"\t<Configurations>\r\n" + configurations + L"\t</Configurations>\r\n"
                         L"\t<Files>\r\n\t</Files>\r\n</VisualStudioProject>\r\n";
        String_cl path = m_dir / fileName;
        EXPECT_TRUE(Test_ns::WriteBytes(path, text.ToMultiByte(936)));
        return path;
    }

    static String_cl Configuration(const String_cl& name, const String_cl& type, const String_cl& tools)
    {
        String_cl text = L"\t\t<Configuration\r\n\t\t\tName=\"" + name + L"\"\r\n"
                         L"\t\t\tOutputDirectory=\"$(SolutionDir)$(ConfigurationName)\"\r\n";
        if (!type.empty())
            text += L"\t\t\tConfigurationType=\"" + type + L"\"\r\n";
        return text + L"\t\t\t>\r\n" + tools + L"\t\t</Configuration>\r\n";
    }

    static String_cl Tool(const String_cl& name, const String_cl& attributes = String_cl())
    {
        return L"\t\t\t<Tool\r\n\t\t\t\tName=\"" + name + L"\"\r\n" + attributes + L"\t\t\t/>\r\n";
    }

    static String_cl Attr(const wchar_t* name, const wchar_t* value)
    {
        return String_cl(L"\t\t\t\t") + name + L"=\"" + value + L"\"\r\n";
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
    String_cl configurations =
        // A DLL is known by its import library, named after the target.
        Configuration(L"Debug|Win32", L"2",
                      Tool(L"VCCLCompilerTool", Attr(L"OutputFile", L"$(IntDir)\\compiled.obj")) +
                      Tool(L"VCLinkerTool", Attr(L"OutputFile", L"$(OutDir)\\$(ProjectName)D.dll") +
                                                Attr(L"ImportLibrary", L"$(OutDir)\\$(TargetName).lib"))) +
        // A program named only by its output file.
        Configuration(L"Release|Win32", L"1",
                      Tool(L"VCLinkerTool", Attr(L"OutputFile", L"$(OutDir)\\$(ProjectName).exe"))) +
        // No tool names anything: the type decides, a DLL is not taken for its .lib.
        Configuration(L"Plain|Win32", L"2", Tool(L"VCLinkerTool")) +
        Configuration(L"Static|Win32", L"4", Tool(L"VCLibrarianTool")) +
        Configuration(L"Program|Win32", L"1", String_cl()) +
        // A utility produces nothing to link against.
        Configuration(L"Utility|Win32", L"10", Tool(L"VCCustomBuildTool")) +
        // Forward slashes, and the first tool with an output wins.
        Configuration(L"Lib|x64", L"4",
                      Tool(L"VCLibrarianTool", Attr(L"OutputFile", L"..\\lib.x64/$(ProjectName)_s.lib")) +
                      Tool(L"VCLinkerTool", Attr(L"OutputFile", L"$(OutDir)\\other.dll") +
                                                Attr(L"ImportLibrary", L"$(OutDir)\\other.lib"))) +
        // Only the two macros are expanded; other text stays as written.
        Configuration(L"Odd|Win32", L"1",
                      Tool(L"VCLinkerTool", Attr(L"OutputFile", L"$(OutDir)\\$(ProjectName)-$(PlatformName).exe")));
    Project_st project = Read(WriteProject(L"core.vcproj", L"core", configurations));

    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(L"core", project.name);
    EXPECT_EQ(L"coreD.lib", Output(project, L"DEBUG|WIN32"));
    EXPECT_EQ(L"core.exe", Output(project, L"RELEASE|WIN32"));
    EXPECT_EQ(L"core.dll", Output(project, L"PLAIN|WIN32"));
    EXPECT_EQ(L"core.lib", Output(project, L"STATIC|WIN32"));
    EXPECT_EQ(L"core.exe", Output(project, L"PROGRAM|WIN32"));
    EXPECT_EQ(L"<none>", Output(project, L"UTILITY|WIN32"));
    EXPECT_EQ(L"core_s.lib", Output(project, L"LIB|X64"));
    EXPECT_EQ(L"core-$(PlatformName).exe", Output(project, L"ODD|WIN32"));
    EXPECT_EQ(7, project.configurations.Count());
    // Keys are upper case only: the mixed-case name is not a key.
    EXPECT_EQ(nullptr, project.configurations.Find(L"Debug|Win32"));
    for (auto& pair : project.configurations) {
        EXPECT_EQ(0, pair.second.state) << pair.first.ToUtf8();
        EXPECT_TRUE(pair.second.log.empty()) << pair.first.ToUtf8();
    }
}

TEST_F(ProjectFileReaderTest, ConfigurationNamesDifferingInCaseCollapseFirstWins)
{
    Project_st project = Read(WriteProject(
        L"dup.vcproj", L"dup",
        Configuration(L"Debug|Win32", L"4", Tool(L"VCLibrarianTool", Attr(L"OutputFile", L"first.lib"))) +
        Configuration(L"DEBUG|win32", L"4", Tool(L"VCLibrarianTool", Attr(L"OutputFile", L"second.lib"))) +
        Configuration(L"debug|WIN32", L"1", String_cl())));
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
    WriteProject(L"wrapped.vcproj", L"wrapped",
                 Configuration(L"Debug|Win32", L"4", Tool(L"VCLibrarianTool", Attr(L"OutputFile", L"w.lib"))));
    // The wrapper itself is never parsed: garbage in it changes nothing.
    String_cl icproj = m_dir / L"wrapped.icproj";
    ASSERT_TRUE(Test_ns::WriteBytes(icproj, "this is not XML <<<"));

    Project_st project = Read(icproj);
    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(icproj, project.path);
    EXPECT_EQ(L"wrapped", project.name);
    EXPECT_EQ(L"w.lib", Output(project, L"DEBUG|WIN32"));

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

TEST_F(ProjectFileReaderTest, MissingConfigurationTypeIsUserError103KeepingWhatWasRead)
{
    String_cl path = WriteProject(
        L"notype.vcproj", L"notype",
        Configuration(L"Debug|Win32", L"4", String_cl()) +
        // Resolved by a tool: the type is never asked for.
        Configuration(L"Tooled|Win32", String_cl(), Tool(L"VCLibrarianTool", Attr(L"OutputFile", L"t.lib"))) +
        Configuration(L"Release|Win32", String_cl(), Tool(L"VCLinkerTool")) +
        Configuration(L"Later|Win32", L"4", String_cl()));
    Project_st project;
    project.path = path;
    try {
        ReadProjectFile(project);
        FAIL() << "no error for a configuration without ConfigurationType";
    } catch (const Base_ns::Error_cl& error) {
        EXPECT_EQ(0, error.IsSystemError());
        EXPECT_EQ(103, error.Code());
        EXPECT_EQ(310, error.Line());
        EXPECT_EQ(L"VC工程错误，找不到配置类型。", error.Message());
        EXPECT_EQ(path, error.Note());
        EXPECT_EQ(L"ProjectPack_cl", error.ClassName());
        EXPECT_EQ(L"ProjectPack", error.File());
    }
    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(L"notype", project.name);
    EXPECT_EQ(L"notype.lib", Output(project, L"DEBUG|WIN32"));
    EXPECT_EQ(L"t.lib", Output(project, L"TOOLED|WIN32"));
    EXPECT_EQ(2, project.configurations.Count());
}

TEST_F(ProjectFileReaderTest, Gb2312ProjectWithChineseName)
{
    // Written as GBK bytes under the declaration Visual Studio uses.
    String_cl name = L"核心库";
    String_cl path = WriteProject(L"核心库.vcproj", name,
                                  Configuration(L"调试|Win32", L"4", Tool(L"VCLibrarianTool")) +
                                  Configuration(L"Release|Win32", L"2",
                                                Tool(L"VCLinkerTool", Attr(L"OutputFile", L"$(OutDir)\\$(ProjectName).dll") +
                                                                          Attr(L"ImportLibrary", L"$(OutDir)\\$(TargetName)导入.lib"))));
    std::string bytes = Test_ns::ReadBytes(path);
    ASSERT_NE(std::string::npos, bytes.find("\xBA\xCB\xD0\xC4\xBF\xE2")) << "not written as GBK";

    Project_st project = Read(path);
    EXPECT_EQ(1, project.exists);
    EXPECT_EQ(name, project.name);
    EXPECT_EQ(L"核心库.lib", Output(project, L"调试|WIN32"));
    EXPECT_EQ(L"核心库导入.lib", Output(project, L"RELEASE|WIN32"));
}

} // namespace
