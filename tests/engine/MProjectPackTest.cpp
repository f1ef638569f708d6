// Build rows: creation in sequence order, lookups, refresh, dropping rows
// with their project records, statistics, priority raising and the batch
// lines. Project files are real files read through the project store.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <vector>
#include "app/engine/MProjectPack.h"
#include "app/ProgramPlaces.h"
#include "common/io/FileStream.h"
#include "common/io/WTextOStream.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Test_ns::TempDir_cl;

namespace {

// A static library project with the configurations given (each builds
// <name>.lib into ..\lib).
bool WriteLibrary(const String_cl& path, const String_cl& name, const std::vector<String_cl>& configurations)
{
    Test_ns::VcProject_st project{name};
    for (const String_cl& c : configurations)
        project.configurations.push_back({c, 4, {Test_ns::Librarian(L"..\\lib\\$(ProjectName).lib")}});
    return Test_ns::WriteVcproj(path, project, 1252);
}

class RowsTest : public ::testing::Test {
protected:
    void SetUp() override { m_com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override
    {
        ClearRows(rows, projects);
        if (m_com) CoUninitialize();
    }

    // <temp>\<name>\<name>.vcproj, written with the given configurations.
    String_cl Project(const wchar_t* name,
                      const std::vector<String_cl>& configurations = {L"Debug|Win32", L"Release|Win32"})
    {
        String_cl path = dir / name + L"\\" + name + L".vcproj";
        EXPECT_TRUE(WriteLibrary(path, name, configurations));
        return path;
    }

    std::vector<String_cl> RowNames()
    {
        std::vector<String_cl> names;
        for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
            names.push_back(it->project->name + L"/" + it->configuration);
        return names;
    }

    std::vector<String_cl> SequenceNames()
    {
        std::vector<String_cl> names;
        int expected = 1;
        for (SerialId_cl it = sequences.First(); !it.IsEmpty(); it = it.Next(), ++expected) {
            EXPECT_EQ(it->order, expected) << "the sequence is numbered 1, 2, 3, ...";
            names.push_back(GetFileTitle(it->path));
        }
        return names;
    }

    // A row in the given state, made directly (no project file needed).
    MProjectId_cl AddStateRow(const wchar_t* name, int32_t state)
    {
        MProjectId_cl row = RowFor(L"Debug|Win32", rows, Project(name), projects, sequences);
        row->state = state;
        return row;
    }

    TempDir_cl dir{L"qv-rows"};
    SerialPack_cl sequences;
    ProjectPack_cl projects;
    MProjectPack_cl rows;

private:
    bool m_com = false;
};

using Names = std::vector<String_cl>;

TEST_F(RowsTest, NewRowsFollowTheSequenceWhateverOrderTheyArriveIn)
{
    String_cl a = Project(L"a"), b = Project(L"b"), c = Project(L"c"), d = Project(L"d");
    sequences.Register(a);
    sequences.Register(b);
    sequences.Register(c);

    RowFor(L"Debug|Win32", rows, c, projects, sequences);
    RowFor(L"Debug|Win32", rows, a, projects, sequences);
    MProjectId_cl rowD = RowFor(L"Debug|Win32", rows, d, projects, sequences);
    RowFor(L"Debug|Win32", rows, b, projects, sequences);

    EXPECT_EQ(RowNames(), (Names{L"a/Debug|Win32", L"b/Debug|Win32", L"c/Debug|Win32", L"d/Debug|Win32"}));
    // A path the sequence did not know is appended to it.
    EXPECT_EQ(SequenceNames(), (Names{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(rowD->sequenceEntry->order, 4);
    EXPECT_EQ(rowD->output, L"d.lib");
    EXPECT_EQ(rowD->state, Normal);
    EXPECT_EQ(rowD->configuration, L"Debug|Win32");
    EXPECT_TRUE(rowD->log.IsEmpty());
}

TEST_F(RowsTest, SameProjectAndConfigurationGivesTheFirstRowAnotherConfigurationAShare)
{
    String_cl a = Project(L"a"), b = Project(L"b");
    MProjectId_cl first = RowFor(L"Debug|Win32", rows, a, projects, sequences);
    RowFor(L"Debug|Win32", rows, b, projects, sequences);

    String_cl upper = a;
    CharUpperBuffW(upper.data(), DWORD(upper.size()));
    MProjectId_cl again = RowFor(L"DEBUG|win32", rows, upper, projects, sequences);
    EXPECT_TRUE(again == first);
    EXPECT_EQ(rows.Count(), 2);
    EXPECT_TRUE(FindRow(rows, upper, L"debug|WIN32") == first);
    EXPECT_TRUE(FindRow(rows, a, L"Release|Win32").IsEmpty());

    // The other configuration shares the record and, with an equal sequence
    // number, goes after the row already there.
    MProjectId_cl release = RowFor(L"Release|Win32", rows, a, projects, sequences);
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(projects.Count(), 2);
    EXPECT_TRUE(release->project == first->project);
    EXPECT_TRUE(release->sequenceEntry == first->sequenceEntry);
    EXPECT_EQ(RowNames(), (Names{L"a/Debug|Win32", L"a/Release|Win32", L"b/Debug|Win32"}));
}

TEST_F(RowsTest, FindRowComparesPathsAsWindowsComparesFileNames)
{
    String_cl path = dir / L"Über Ärger\\Proj1.vcproj";
    ASSERT_TRUE(WriteLibrary(path, L"Proj1", {L"Debug|Win32"}));
    MProjectId_cl row = RowFor(L"Debug|Win32", rows, path, projects, sequences);

    EXPECT_TRUE(FindRow(rows, dir / L"über ärger\\PROJ1.VCPROJ", L"debug|win32") == row);
    // Windows drops a name's trailing blanks and dots when it opens it.
    EXPECT_TRUE(FindRow(rows, dir / L"Über Ärger\\Proj1.vcproj ", L"Debug|Win32") == row);
    EXPECT_TRUE(FindRow(rows, dir / L"Uber Ärger\\Proj1.vcproj", L"Debug|Win32").IsEmpty());
    EXPECT_TRUE(FindRow(rows, dir / L"Über Ärger\\Proj2.vcproj", L"Debug|Win32").IsEmpty());
    EXPECT_TRUE(FindRow(rows, path, L"Debug|Win64").IsEmpty());
    EXPECT_TRUE(FindRow(rows, path, L"Debug|Win32 ").IsEmpty());
    EXPECT_EQ(rows.Count(), 1);
}

TEST_F(RowsTest, MissingConfigurationAndMissingFileGiveRowsThatAreNeverBuilt)
{
    String_cl onlyRelease = Project(L"r", {L"Release|Win32"});
    String_cl missing = dir / L"gone\\gone.vcproj";

    MProjectId_cl ignored = RowFor(L"Debug|Win32", rows, onlyRelease, projects, sequences);
    EXPECT_EQ(ignored->state, Ignored);
    EXPECT_TRUE(ignored->configuration.IsEmpty());
    EXPECT_TRUE(ignored->output.IsEmpty());

    MProjectId_cl gone = RowFor(L"Debug|Win32", rows, missing, projects, sequences);
    EXPECT_EQ(gone->state, NotExist);
    EXPECT_TRUE(gone->configuration.IsEmpty());
    EXPECT_EQ(CountNotExist(rows), 1);

    EXPECT_TRUE(FirstPending(rows).IsEmpty());
    MProjectId_cl pending = RowFor(L"Release|Win32", rows, onlyRelease, projects, sequences);
    EXPECT_TRUE(FirstPending(rows) == pending);
}

TEST_F(RowsTest, RowForProjectFindsTheSameRecordAndMarksTheRowsItWalks)
{
    String_cl a = Project(L"a"), b = Project(L"b");
    MProjectId_cl rowA = RowFor(L"Debug|Win32", rows, a, projects, sequences);
    MProjectId_cl rowB = RowFor(L"Debug|Win32", rows, b, projects, sequences);
    ProjectId_cl projectB = rowB->project;

    rows.ClearModifiedFlags();
    EXPECT_TRUE(RowForProject(projectB, L"debug|win32", rows, projects, sequences) == rowB);
    EXPECT_TRUE(rows.NodeModified(rowA));
    EXPECT_TRUE(rows.NodeModified(rowB));
    EXPECT_EQ(rows.Modified(), 1);

    MProjectId_cl release = RowForProject(projectB, L"Release|Win32", rows, projects, sequences);
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_TRUE(release->project == projectB);
    EXPECT_EQ(release->output, L"b.lib");
}

TEST_F(RowsTest, RefreshTakesStateAndLogFromTheProjectStore)
{
    MProjectId_cl row = RowFor(L"Debug|Win32", rows, Project(L"a"), projects, sequences);
    MProjectId_cl ignored = RowFor(L"Debug|Win32", rows, Project(L"r", {L"Release|Win32"}), projects, sequences);
    projects.SetResult(row->project, L"Debug|Win32", Compiled, L"C:\\logs\\a.log");
    EXPECT_EQ(row->state, Normal);

    rows.ClearModifiedFlags();
    RefreshRowStates(rows, projects);
    EXPECT_EQ(row->state, Compiled);
    EXPECT_EQ(row->log, L"C:\\logs\\a.log");
    EXPECT_EQ(ignored->state, Ignored);
    EXPECT_TRUE(rows.NodeModified(ignored));

    // A new row of the same project and configuration starts from the store too.
    MProjectPack_cl other;
    {
        MProjectId_cl copy = RowFor(L"Debug|Win32", other, row->project->path, projects, sequences);
        EXPECT_EQ(copy->state, Compiled);
        EXPECT_EQ(copy->log, L"C:\\logs\\a.log");
    }
    ClearRows(other, projects);
}

TEST_F(RowsTest, DroppingTheLastRowOfAProjectRemovesTheProject)
{
    String_cl a = Project(L"a"), b = Project(L"b");
    MProjectId_cl debugA = RowFor(L"Debug|Win32", rows, a, projects, sequences);
    MProjectId_cl releaseA = RowFor(L"Release|Win32", rows, a, projects, sequences);
    MProjectId_cl rowB = RowFor(L"Debug|Win32", rows, b, projects, sequences);
    ASSERT_EQ(projects.Count(), 2);

    DropRow(debugA, rows, projects);
    EXPECT_TRUE(debugA.IsEmpty());
    EXPECT_EQ(rows.Count(), 2);
    EXPECT_EQ(projects.Count(), 2) << "the Release row still uses a";

    DropRow(releaseA, rows, projects);
    EXPECT_EQ(projects.Count(), 1);
    EXPECT_TRUE(Base_ns::EqualsNoCase(projects.First()->path, b));

    // A handle held elsewhere (a solution entry holds one) keeps the record.
    ProjectId_cl held = rowB->project;
    DropRow(rowB, rows, projects);
    EXPECT_EQ(projects.Count(), 1);
    EXPECT_EQ(rows.Count(), 0);
    // The sequence keeps every path: it is the remembered order.
    EXPECT_EQ(sequences.Count(), 2);
}

TEST_F(RowsTest, DroppingAHeldRowIsRefusedAndChangesNothing)
{
    MProjectId_cl row = RowFor(L"Debug|Win32", rows, Project(L"a"), projects, sequences);
    MProjectId_cl second = row;
    try {
        DropRow(row, rows, projects);
        FAIL() << "a row that another identifier holds was erased";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 27);
        EXPECT_EQ(e.ClassName(), L"MProjectPack_cl");
    }
    EXPECT_EQ(rows.Count(), 1);
    EXPECT_EQ(projects.Count(), 1);
    EXPECT_FALSE(row.IsEmpty());
}

TEST_F(RowsTest, ClearRowsKeepsProjectsThatAnotherPlanUses)
{
    String_cl a = Project(L"a"), b = Project(L"b");
    RowFor(L"Debug|Win32", rows, a, projects, sequences);
    RowFor(L"Debug|Win32", rows, b, projects, sequences);
    MProjectPack_cl otherPlan;
    RowFor(L"Release|Win32", otherPlan, b, projects, sequences);

    ClearRows(rows, projects);
    EXPECT_EQ(rows.Count(), 0);
    ASSERT_EQ(projects.Count(), 1);
    EXPECT_TRUE(Base_ns::EqualsNoCase(projects.First()->path, b));

    ClearRows(otherPlan, projects);
    EXPECT_EQ(projects.Count(), 0);
}

TEST_F(RowsTest, StatisticsCountEachStateOnce)
{
    const wchar_t* names[] = {L"s0", L"s1", L"s2", L"s3", L"s4", L"s5", L"s6"};
    for (int32_t state = 0; state <= 6; ++state) AddStateRow(names[state], state);
    RowStatistics_st s = Statistics(rows);
    EXPECT_EQ(s.total, 7);
    EXPECT_EQ(s.compiled, 2);
    EXPECT_EQ(s.failed, 1);
    EXPECT_EQ(s.ignored, 1);
    EXPECT_EQ(s.notExist, 1);
    EXPECT_EQ(CountNotExist(rows), 1);
    // The first row still to build is the Normal one; without it the
    // LibraryDependency one, then the failed one.
    EXPECT_EQ(FirstPending(rows)->project->name, L"s0");
    rows.First()->state = Compiled;
    EXPECT_EQ(FirstPending(rows)->project->name, L"s3");

    RowStatistics_st none = Statistics(MProjectPack_cl());
    EXPECT_EQ(none.total, 0);
}

TEST_F(RowsTest, RaisePriorityMovesRowAndSequenceEntryAboveTheNearestFailedRow)
{
    AddStateRow(L"a", CompileFailed);
    AddStateRow(L"b", Compiled);
    AddStateRow(L"c", CompileFailed);
    AddStateRow(L"d", Normal);
    MProjectId_cl e = AddStateRow(L"e", Normal);
    const Names before{L"a/Debug|Win32", L"b/Debug|Win32", L"c/Debug|Win32", L"d/Debug|Win32", L"e/Debug|Win32"};
    ASSERT_EQ(RowNames(), before);

    rows.ClearModifiedFlags();
    RaisePriority(e, rows, sequences);
    EXPECT_EQ(RowNames(), (Names{L"a/Debug|Win32", L"b/Debug|Win32", L"e/Debug|Win32", L"c/Debug|Win32",
                                 L"d/Debug|Win32"}));
    EXPECT_EQ(SequenceNames(), (Names{L"a", L"b", L"e", L"c", L"d"}));
    EXPECT_TRUE(rows.NodeModified(e));
    EXPECT_TRUE(rows.NodeModified(e.Next()));

    // Again: now the nearest failed row above is a.
    RaisePriority(e, rows, sequences);
    EXPECT_EQ(RowNames(), (Names{L"e/Debug|Win32", L"a/Debug|Win32", L"b/Debug|Win32", L"c/Debug|Win32",
                                 L"d/Debug|Win32"}));
    EXPECT_EQ(SequenceNames(), (Names{L"e", L"a", L"b", L"c", L"d"}));

    // Nothing failed above: nothing moves.
    RaisePriority(e, rows, sequences);
    MProjectId_cl b = rows.At(2);
    RaisePriority(b, rows, sequences);  // a above b failed: b goes above a
    EXPECT_EQ(RowNames(), (Names{L"e/Debug|Win32", L"b/Debug|Win32", L"a/Debug|Win32", L"c/Debug|Win32",
                                 L"d/Debug|Win32"}));
    MProjectId_cl first = rows.First();
    rows.ClearModifiedFlags();
    RaisePriority(first, rows, sequences);
    EXPECT_EQ(rows.Modified(), 0);
    EXPECT_EQ(SequenceNames(), (Names{L"e", L"b", L"a", L"c", L"d"}));
}

TEST_F(RowsTest, BatchLinesBuildEachRowAsTheBuildDoesAndSkipIgnoredRows)
{
    String_cl a = dir / L"with space\\a.vcproj";
    ASSERT_TRUE(WriteLibrary(a, L"a", {L"Debug|Win32"}));
    RowFor(L"Debug|Win32", rows, a, projects, sequences);
    RowFor(L"Debug|Win32", rows, Project(L"r", {L"Release|Win32"}), projects, sequences);
    MProjectId_cl done = RowFor(L"Debug|Win32", rows, Project(L"b"), projects, sequences);
    done->state = Compiled;  // written all the same, always with /build
    // A project of a solution, in a folder a batch file would read as a
    // variable: built in its solution; a batch file writes "%" as "%%".
    const String_cl solution = dir / L"100%PATH%\\all.sln", c = dir / L"100%PATH%\\c\\c.vcproj";
    ASSERT_TRUE(WriteLibrary(c, L"c", {L"Release|x64"}));
    MProjectId_cl inSolution = RowFor(L"Release|x64", rows, c, projects, sequences, solution);
    inSolution->solutionConfiguration = L"Release|Mixed Platforms";
    const String_cl cLine = L"devenv \"" + dir / L"100%%PATH%%\\all.sln\" /build \"Release|Mixed Platforms\" /project \"" +
                            dir / L"100%%PATH%%\\c\\c.vcproj\" /projectconfig \"Release|x64\"";

    String_cl withLog = dir / L"with-log.bat", without = dir / L"without.bat";
    {
        IO_ns::FileStream_tl<IO_ns::WTextOStream_cl> out;
        out.Open(withLog);
        WriteBatchCommands(rows, out, L"D:\\out put.log");
        out.Close();
    }
    {
        IO_ns::FileStream_tl<IO_ns::WTextOStream_cl> out;
        out.Open(without);
        WriteBatchCommands(rows, out, String_cl());
        out.Close();
    }
    const String_cl b = done->project->path;
    EXPECT_EQ(Test_ns::ReadText(withLog),
              L"devenv \"" + a + L"\" /build \"Debug|Win32\" >> \"D:\\out put.log\"\r\n" + L"devenv \"" + b +
                  L"\" /build \"Debug|Win32\" >> \"D:\\out put.log\"\r\n" + cLine + L" >> \"D:\\out put.log\"\r\n");
    EXPECT_EQ(Test_ns::ReadText(without), L"devenv \"" + a + L"\" /build \"Debug|Win32\"\r\n" + L"devenv \"" + b +
                                              L"\" /build \"Debug|Win32\"\r\n" + cLine + L"\r\n");
    std::string bytes = Test_ns::ReadBytes(without);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2)) << "UTF-16LE with its mark";
}

} // namespace
