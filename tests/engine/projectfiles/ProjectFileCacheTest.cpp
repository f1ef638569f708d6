// Sheets shared by the projects of one read of a plan are parsed once; a
// sheet changed on disk between two reads is read again.
#include <gtest/gtest.h>
#include <objbase.h>
#include "app/engine/ProjectPack.h"
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using namespace Test_ns;
using Base_ns::String_cl;

namespace {

class ProjectFileCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(WriteMsBuildFile(m_dir / L"Directory.Build.props", PropsText({{L"OutDir", L"$(SolutionDir)bin\\"}})));
        WriteSheet(L"v1");
        ASSERT_TRUE(WriteMsBuildFile(m_dir / L"shared\\b.props", PropsText({}, {{L"AdditionalDependencies", L"b.lib"}})));
        for (const wchar_t* name : {L"p0", L"p1", L"p2"}) {
            VcxProject_st p;
            p.configurations = {{L"Debug|Win32", L"StaticLibrary"}, {L"Release|Win32", L"StaticLibrary"}};
            p.propertySheets = {L"..\\shared\\a.props", L"..\\shared\\b.props"};
            ASSERT_TRUE(WriteMsBuildFile(m_dir / (String_cl(name) + L"\\" + name + L".vcxproj"), VcxprojText(p)));
        }
    }
    void TearDown() override { CoUninitialize(); }

    void WriteSheet(const wchar_t* tag)
    {
        ASSERT_TRUE(WriteMsBuildFile(m_dir / L"shared\\a.props", PropsText({{L"TargetName", L"$(ProjectName)_" + String_cl(tag)}})));
    }

    String_cl Project(const wchar_t* name) const { return m_dir / (String_cl(name) + L"\\" + name + L".vcxproj"); }

    TempDir_cl m_dir{L"qv-cache"};
};

TEST_F(ProjectFileCacheTest, SheetsSharedByTheProjectsOfOneReadAreParsedOnce)
{
    ProjectFileCache_cl cache;
    for (const wchar_t* name : {L"p0", L"p1", L"p2"}) {
        Project_st project;
        project.path = Project(name);
        ReadProjectFile(project, &cache);
        EXPECT_EQ(String_cl(name) + L"_v1.lib", project.configurations.Find(L"RELEASE|WIN32")->output);
        EXPECT_EQ(3u, project.sheets.size());
    }
    // Three projects, two sheets and the Directory.Build.props, each once,
    // though each project evaluates them for two configurations and more.
    EXPECT_EQ(6u, cache.Parsed());
}

TEST_F(ProjectFileCacheTest, ASheetChangedBetweenTwoReadsIsReadAgain)
{
    ProjectPack_cl projects;
    {
        ProjectPack_cl::ReadScope_cl read(projects);
        EXPECT_EQ(L"p0_v1.lib", projects.OutputName(projects.FindOrAdd(Project(L"p0")), L"Debug|Win32"));
        WriteSheet(L"v2");
        // The same read: the sheet as it was parsed.
        EXPECT_EQ(L"p1_v1.lib", projects.OutputName(projects.FindOrAdd(Project(L"p1")), L"Debug|Win32"));
    }
    ProjectPack_cl::ReadScope_cl next(projects);
    EXPECT_EQ(L"p2_v2.lib", projects.OutputName(projects.FindOrAdd(Project(L"p2")), L"Debug|Win32"));
}

} // namespace
