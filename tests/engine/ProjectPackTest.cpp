// The project store over real project files: one record per path whatever
// its letter case, states per configuration, and the refusals of SetResult.
#include <gtest/gtest.h>
#include <objbase.h>
#include "app/engine/ProjectPack.h"
#include "app/engine/RowState.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/FileSpellings.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

class ProjectPackTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    // "core": a static library in Debug|Win32, a utility in Tools|Win32.
    String_cl WriteCore(const wchar_t* fileName = L"Core.vcproj")
    {
        const Test_ns::VcProject_st core{
            L"core",
            {{L"Debug|Win32", 4, {Test_ns::Librarian(L"$(OutDir)\\$(ProjectName)d.lib")}}, {L"Tools|Win32", 10}}};
        String_cl path = m_dir / fileName;
        EXPECT_TRUE(Test_ns::WriteVcproj(path, core, 936));
        return path;
    }

    static void ExpectSysError(int code, int line, const Base_ns::Error_cl& error)
    {
        EXPECT_EQ(1, error.IsSystemError());
        EXPECT_EQ(code, error.Code());
        EXPECT_EQ(line, error.Line());
        EXPECT_EQ(L"ProjectPack_cl", error.ClassName());
        EXPECT_EQ(L"ProjectPack", error.File());
        EXPECT_TRUE(error.Note().empty());
    }

    Test_ns::TempDir_cl m_dir{L"qv-projects"};
    ProjectPack_cl m_projects;
};

TEST_F(ProjectPackTest, SamePathInAnyCaseIsOneRecord)
{
    String_cl path = WriteCore();
    m_projects.ClearModifiedFlags();

    ProjectId_cl first = m_projects.FindOrAdd(path);
    EXPECT_EQ(1, m_projects.Modified());
    EXPECT_TRUE(m_projects.NodeModified(first));
    EXPECT_EQ(path, first->path);
    EXPECT_EQ(L"core", first->name);
    EXPECT_TRUE(first->sequenceEntry.IsEmpty());

    // Found again, whatever the case, without touching the store.
    m_projects.ClearModifiedFlags();
    ProjectId_cl second = m_projects.FindOrAdd(path.Upper());
    ProjectId_cl third = m_projects.FindOrAdd(String_cl(path).substr(0, path.size() - 11) + L"cORE.VCPROJ");
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(first == third);
    EXPECT_EQ(1, m_projects.Count());
    EXPECT_EQ(0, m_projects.Modified());
    EXPECT_EQ(path, second->path);

    ProjectId_cl other = m_projects.FindOrAdd(m_dir / L"other.vcproj");
    EXPECT_FALSE(first == other);
    EXPECT_EQ(2, m_projects.Count());
}

// A record is one project file in one solution's context, both compared
// as files: other spellings of either find it; another solution, or none,
// is another record of the same file.
TEST_F(ProjectPackTest, OneRecordPerFileAndSolutionUnderAnySpelling)
{
    const String_cl path = WriteCore(L"Core Library.vcproj"), solution = m_dir / L"All Projects.sln";
    ASSERT_TRUE(Test_ns::WriteBytes(solution, ""));
    const ProjectId_cl record = m_projects.FindOrAdd(path, solution);
    std::vector<std::pair<String_cl, String_cl>> spellings{
        {m_dir / L"sub\\..\\core library.vcproj", m_dir / L".\\ALL PROJECTS.sln"},
        {L"\\\\?\\" + path, String_cl(m_dir.Path()).Upper() + L"All Projects.sln"}};
    const String_cl shortPath = Test_ns::ShortSpelling(path), shortSolution = Test_ns::ShortSpelling(solution);
    if (!shortPath.empty() && !shortSolution.empty()) spellings.push_back({shortPath, shortSolution});
    const String_cl unixPath = Test_ns::UnixDriveSpelling(path), unixSolution = Test_ns::UnixDriveSpelling(solution);
    if (!unixPath.empty()) spellings.push_back({unixPath, unixSolution});
    for (const auto& [p, s] : spellings)
        EXPECT_TRUE(m_projects.FindOrAdd(p, s) == record) << p.ToUtf8() << " in " << s.ToUtf8();
    EXPECT_EQ(1, m_projects.Count());

    EXPECT_FALSE(m_projects.FindOrAdd(path) == record);
    EXPECT_FALSE(m_projects.FindOrAdd(path, m_dir / L"Other.sln") == record);
    EXPECT_EQ(3, m_projects.Count());
}

TEST_F(ProjectPackTest, StatesByConfigurationIgnoringCase)
{
    ProjectId_cl core = m_projects.FindOrAdd(WriteCore());

    EXPECT_TRUE(m_projects.HasConfiguration(core, L"debug|win32"));
    EXPECT_EQ(Normal, m_projects.ProjectState(core, L"debug|win32"));
    EXPECT_EQ(L"cored.lib", m_projects.OutputName(core, L"DEBUG|win32"));
    EXPECT_TRUE(m_projects.LogPath(core, L"Debug|Win32").empty());

    // A utility builds but produces nothing to link; a configuration the
    // file does not declare has no entry, so the rows ignore it.
    EXPECT_TRUE(m_projects.HasConfiguration(core, L"Tools|Win32"));
    EXPECT_EQ(L"", m_projects.OutputName(core, L"tools|win32"));
    EXPECT_EQ(Ignored, m_projects.ProjectState(core, L"Release|Win32"));

    m_projects.ClearModifiedFlags();
    m_projects.SetResult(core, L"dEBUG|wIN32", CompileFailed, L"C:\\logs\\core.log");
    EXPECT_EQ(1, m_projects.Modified());
    EXPECT_TRUE(m_projects.NodeModified(core));
    EXPECT_EQ(CompileFailed, m_projects.ProjectState(core, L"Debug|Win32"));
    EXPECT_EQ(L"C:\\logs\\core.log", m_projects.LogPath(core, L"debug|win32"));

    // A reset (after a clean) forgets the state but keeps the log.
    m_projects.ClearModifiedFlags();
    m_projects.ResetState(core, L"DEBUG|WIN32");
    EXPECT_EQ(1, m_projects.Modified());
    EXPECT_EQ(Normal, m_projects.ProjectState(core, L"Debug|Win32"));
    EXPECT_EQ(L"C:\\logs\\core.log", m_projects.LogPath(core, L"Debug|Win32"));
    // A configuration the project lacks is no error for a reset.
    EXPECT_NO_THROW(m_projects.ResetState(core, L"Release|Win32"));
}

TEST_F(ProjectPackTest, SetResultRefusesDerivedStatesAndUnknownConfigurations)
{
    ProjectId_cl core = m_projects.FindOrAdd(WriteCore());
    m_projects.SetResult(core, L"Debug|Win32", Compiled, L"a.log");

    for (int32_t derived : {static_cast<int32_t>(Ignored), static_cast<int32_t>(NotExist)}) {
        try {
            m_projects.SetResult(core, L"Debug|Win32", derived, L"b.log");
            ADD_FAILURE() << "state " << derived << " was stored";
        } catch (const Base_ns::Error_cl& error) {
            ExpectSysError(4, 364, error);
            EXPECT_EQ(L"不允许直接设置不存在或忽略状态。", error.Message());
        }
    }
    try {
        m_projects.SetResult(core, L"Release|Win32", Compiled, L"b.log");
        ADD_FAILURE() << "a result for an unknown configuration was accepted";
    } catch (const Base_ns::Error_cl& error) {
        ExpectSysError(3, 377, error);
        EXPECT_EQ(L"不存在的编辑模式。", error.Message());
    }
    EXPECT_EQ(Compiled, m_projects.ProjectState(core, L"Debug|Win32"));
    EXPECT_EQ(L"a.log", m_projects.LogPath(core, L"Debug|Win32"));

    // Reading a configuration the project lacks is the dictionary's error.
    try {
        m_projects.OutputName(core, L"Release|Win32");
        ADD_FAILURE() << "no error for an absent configuration";
    } catch (const Base_ns::Error_cl& error) {
        EXPECT_EQ(1, error.IsSystemError());
        EXPECT_EQ(1, error.Code());
        EXPECT_EQ(L"Dictionary_tl", error.ClassName());
    }
    EXPECT_THROW(m_projects.LogPath(core, L"Release|Win32"), Base_ns::Error_cl);
}

TEST_F(ProjectPackTest, MissingProjectIsNotExistAndStoresNothing)
{
    ProjectId_cl missing = m_projects.FindOrAdd(m_dir / L"gone\\Renderer.vcproj");
    EXPECT_EQ(0, missing->exists);
    EXPECT_EQ(L"Renderer", missing->name);
    EXPECT_EQ(NotExist, m_projects.ProjectState(missing, L"Debug|Win32"));
    EXPECT_EQ(NotExist, m_projects.ProjectState(missing, L""));
    EXPECT_FALSE(m_projects.HasConfiguration(missing, L"Debug|Win32"));

    m_projects.ClearModifiedFlags();
    EXPECT_NO_THROW(m_projects.SetResult(missing, L"Debug|Win32", Compiled, L"x.log"));
    EXPECT_EQ(1, m_projects.Modified());
    EXPECT_EQ(0, missing->configurations.Count());
    EXPECT_EQ(NotExist, m_projects.ProjectState(missing, L"Debug|Win32"));
    // The derived states are refused before anything else.
    EXPECT_THROW(m_projects.SetResult(missing, L"Debug|Win32", Ignored, L"x.log"), Base_ns::SysError_cl);

    // The file appearing later does not change a record already made.
    WriteCore(L"gone.vcproj");
    EXPECT_TRUE(missing == m_projects.FindOrAdd(m_dir / L"GONE\\renderer.VCPROJ"));
    EXPECT_EQ(0, missing->exists);
}

TEST_F(ProjectPackTest, AFileThatCannotBeReadIsARecordThatSaysWhy)
{
    String_cl path = m_dir / L"broken.vcproj";
    ASSERT_TRUE(Test_ns::WriteBytes(path, "<VisualStudioProject Name=\"broken\">"));
    ProjectId_cl broken;
    ASSERT_NO_THROW(broken = m_projects.FindOrAdd(path));
    ASSERT_EQ(1, m_projects.Count());
    EXPECT_EQ(1, broken->exists);
    EXPECT_EQ(L"broken", broken->name);
    EXPECT_NE(String_cl::npos, broken->unreadable.find(path)) << broken->unreadable.c_str();
    EXPECT_EQ(0, broken->configurations.Count());

    // Later lookups find it without reading the file again.
    ASSERT_TRUE(Test_ns::WriteBytes(path, "not even the start of XML"));
    EXPECT_TRUE(broken == m_projects.FindOrAdd(path));
    EXPECT_EQ(1, m_projects.Count());
}

} // namespace
