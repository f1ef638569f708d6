#include <gtest/gtest.h>
#include "app/store/SolutionPack.h"
#include "app/ProgramPlaces.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/FileSpellings.h"

using namespace Quorvane_ns;
using namespace StoreTest_ns;
using Test_ns::TempDir_cl;

namespace {

// core and app in a.sln (app is not built in Release), core and util in b.sln.
class SolutionPackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteSharingSolutions(dir, a, b);
    }

    MProjectId_cl RowOf(const wchar_t* file)
    {
        for (MProjectId_cl r = s.rows.First(); !r.IsEmpty(); r = r.Next())
            if (GetFileName(r->project->path) == file) return r;
        return MProjectId_cl();
    }

    ComScope_cl com;
    TempDir_cl dir;
    String_cl a = dir / L"a.sln";
    String_cl b = dir / L"b.sln";
    PlanStores_st s;
};

TEST_F(SolutionPackTest, AddingAPathTwiceInAnyCaseMakesOneEntry)
{
    s.Add(a, L"Debug|Win32");
    ASSERT_EQ(s.solutions.Count(), 1);
    ASSERT_EQ(s.rows.Count(), 2);
    String_cl upper = a;
    for (auto& c : upper) c = towupper(c);
    s.Add(upper, L"Debug|Win32");
    s.Add(a, L"Release|Win32");
    EXPECT_EQ(s.solutions.Count(), 1);
    EXPECT_EQ(s.rows.Count(), 2);
    EXPECT_EQ(s.projects.Count(), 2);
    EXPECT_EQ(s.sequences.Count(), 2);
    SolutionId_cl entry = s.solutions.First();
    EXPECT_EQ(entry->path, a);
    EXPECT_EQ(entry->projects.Count(), 2);
}

// One file is one solution entry, one project record, one row and one
// sequence entry, however the user or the solution spells it; a dependency
// the solution declares through another spelling still joins the two rows.
TEST_F(SolutionPackTest, OneFileUnderEverySpellingIsOneEntryRecordRowAndEdge)
{
    WriteProject(dir / L"h13\\d\\dd.vcproj", L"dd");
    WriteProject(dir / L"h13\\app\\app.vcproj", L"app");
    const String_cl sln = dir / L"h13\\S.sln";
    WriteSolution(sln, {{L"dd", L"d\\dd.vcproj", L"{D1}", BothConfigs()},
                        {L"dd2", L"D\\..\\d\\DD.VCPROJ", L"{D2}", BothConfigs()},
                        {L"dd3", L"d/dd.vcproj", L"{D3}", BothConfigs()},
                        {L"app", L"app\\app.vcproj", L"{A1}", BothConfigs(), {L"{D2}"}}});
    s.Add(sln, L"Debug|Win32");

    String_cl slashes = sln;
    for (wchar_t& c : slashes)
        if (c == L'\\') c = L'/';
    const std::vector<std::pair<const char*, String_cl>> spellings{
        {"letter case", sln.Upper()},
        {"\\\\?\\ prefix", L"\\\\?\\" + sln},
        {"forward slashes", slashes},
        {"dot parts", dir / L"h13\\d\\..\\.\\S.sln"},
        {"8.3 short name", Test_ns::ShortSpelling(sln)},
        {"drive Z: (only under Wine)", Test_ns::UnixDriveSpelling(sln)},
        {"hard link", Test_ns::MakeHardLink(dir / L"S-link.sln", sln) ? dir / L"S-link.sln" : String_cl()},
    };
    for (const auto& [what, spelling] : spellings) {
        if (spelling.empty()) {
            std::printf("not spelt here: %s\n", what);
            continue;
        }
        s.Add(spelling, L"Debug|Win32");
        EXPECT_EQ(s.solutions.Count(), 1) << what;
        EXPECT_TRUE(s.solutions.FindSolution(spelling) == s.solutions.First()) << what;
    }
    EXPECT_EQ(s.solutions.First()->path, sln);
    EXPECT_EQ(s.solutions.First()->projects.Count(), 4);
    EXPECT_EQ(RowNames(s.rows), (std::vector<String_cl>{L"dd.vcproj", L"app.vcproj"}));
    EXPECT_EQ(s.projects.Count(), 2);
    EXPECT_EQ(s.sequences.Count(), 2);

    LearnedLinkPack_cl links;
    const BuildGraph_cl graph(s.rows, s.projects, links, DeclaredDependencies(s.solutions));
    ASSERT_EQ(graph.Edges().size(), 1u);
    EXPECT_EQ(graph.Edges()[0].from, RowOf(L"app.vcproj").Serial());
    EXPECT_EQ(graph.Edges()[0].to, RowOf(L"dd.vcproj").Serial());
    EXPECT_EQ(graph.Edges()[0].kind, EdgeKind_en::Declared);
}

TEST_F(SolutionPackTest, ProjectWithoutBuildLineStillGetsAnIgnoredRow)
{
    s.Add(a, L"release|win32");
    EXPECT_EQ(RowNames(s.rows), (std::vector<String_cl>{L"core.vcproj", L"app.vcproj"}));
    EXPECT_EQ(RowOf(L"core.vcproj")->configuration, L"Release|Win32");
    MProjectId_cl app = RowOf(L"app.vcproj");
    EXPECT_TRUE(app->configuration.empty());
    EXPECT_EQ(app->state, Ignored);
    // Each element holds its row and the row's project record.
    for (const auto& info : s.solutions.First()->projects) {
        EXPECT_EQ(info.row.List(), &s.rows);
        EXPECT_TRUE(info.project == info.row->project);
    }
}

TEST_F(SolutionPackTest, SolutionsShareRowsAndRemovingKeepsTheSharedOnes)
{
    s.Add(a, L"Debug|Win32");
    s.Add(b, L"Debug|Win32");
    EXPECT_EQ(s.rows.Count(), 3);   // core once, for both solutions
    MProjectId_cl core = RowOf(L"core.vcproj");
    EXPECT_TRUE(s.solutions.First()->projects.First()->row == core);
    EXPECT_TRUE(s.solutions.First().Next()->projects.Last()->row == core);
    core = MProjectId_cl();

    SolutionId_cl first = s.solutions.First();
    s.solutions.RemoveSolution(first, s.rows, s.projects);
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_EQ(RowNames(s.rows), (std::vector<String_cl>{L"core.vcproj", L"util.vcproj"}));
    EXPECT_EQ(s.projects.Count(), 2);   // app's record went with its row

    SolutionId_cl second = s.solutions.First();
    s.solutions.RemoveSolution(second, s.rows, s.projects);
    EXPECT_EQ(s.solutions.Count(), 0);
    EXPECT_EQ(s.rows.Count(), 0);
    EXPECT_EQ(s.projects.Count(), 0);
    EXPECT_EQ(s.sequences.Count(), 3);  // the learned order stays
}

TEST_F(SolutionPackTest, LoneProjectIsBuiltInThePlanConfigurationAsGiven)
{
    s.Add(dir / L"util\\util.vcproj", L"Release|Win32");
    ASSERT_EQ(s.rows.Count(), 1);
    EXPECT_EQ(s.rows.First()->configuration, L"Release|Win32");
    const ProjectInfo_st& info = *s.solutions.First()->projects.First();
    EXPECT_TRUE(info.configurations.empty());

    s.solutions.ChangeConfiguration(L"Debug|Win32", s.rows, s.projects, s.sequences);
    EXPECT_EQ(s.rows.First()->configuration, L"Debug|Win32");
}

TEST_F(SolutionPackTest, ChangingTheConfigurationReadsNoFileAgain)
{
    s.Add(a, L"Debug|Win32");
    uint32_t coreProject = RowOf(L"core.vcproj")->project.Serial();
    // Whatever happens to the file now, the table read before decides.
    ASSERT_TRUE(DeleteFileW(a.c_str()));

    s.solutions.ChangeConfiguration(L"Release|Win32", s.rows, s.projects, s.sequences);
    EXPECT_EQ(s.solutions.Read(), 1);
    ASSERT_EQ(s.rows.Count(), 2);
    EXPECT_EQ(RowOf(L"core.vcproj")->configuration, L"Release|Win32");
    EXPECT_EQ(RowOf(L"app.vcproj")->state, Ignored);
    // The project records are the same ones, not read again.
    EXPECT_EQ(RowOf(L"core.vcproj")->project.Serial(), coreProject);
    EXPECT_EQ(s.projects.Count(), 2);
}

TEST_F(SolutionPackTest, ReadSolutionsRefreshesWhenReadAndRereadsOtherwise)
{
    s.Add(a, L"Debug|Win32");
    MProjectId_cl core = RowOf(L"core.vcproj");
    s.projects.SetResult(core->project, L"Debug|Win32", Compiled, dir / L"core.log");
    EXPECT_EQ(core->state, Normal);
    EXPECT_EQ(s.solutions.ReadSolutions(L"Debug|Win32", s.rows, s.projects, s.sequences), 0);
    EXPECT_EQ(core->state, Compiled);
    core = MProjectId_cl();

    // The solution gained a project since it was added; a full read finds it.
    WriteSolution(a, {{L"util", L"util\\util.vcproj", L"{U0}", BothConfigs()},
                      {L"core", L"core\\core.vcproj", L"{C0}", BothConfigs()},
                      {L"app", L"app\\app.vcproj", L"{A0}", BothConfigs()}});
    s.solutions.SetRead(0);
    EXPECT_EQ(s.solutions.ReadSolutions(L"Release|Win32", s.rows, s.projects, s.sequences), 1);
    EXPECT_EQ(s.solutions.Read(), 1);
    EXPECT_EQ(s.rows.Count(), 3);
    EXPECT_EQ(s.solutions.First()->projects.Count(), 3);
    EXPECT_EQ(RowOf(L"app.vcproj")->configuration, L"Release|Win32");

    // A read that fails leaves the flag at 0, so the next read tries again.
    Test_ns::WriteBytes(a, "Project(\"{X}\") = \"cut\"");
    s.solutions.SetRead(0);
    EXPECT_THROW(s.solutions.ReadSolutions(L"Debug|Win32", s.rows, s.projects, s.sequences),
                 Base_ns::UserError_cl);
    EXPECT_EQ(s.solutions.Read(), 0);
    EXPECT_EQ(s.solutions.Count(), 1);   // the user's entry is not lost
}

// A solution file that can no longer be read (garbage, cut short, gone)
// costs its own rows only: the plan's other solutions are read and get their
// rows, the error names the file, and the plan stays unread so that the next
// read tries that file again.
TEST_F(SolutionPackTest, OneSolutionThatCannotBeReadCostsOnlyItsOwnRows)
{
    s.Add(a, L"Debug|Win32");
    s.Add(b, L"Debug|Win32");
    EXPECT_EQ(RowNames(s.rows), (std::vector<String_cl>{L"core.vcproj", L"app.vcproj", L"util.vcproj"}));
    const std::string whole = Test_ns::ReadBytes(a);
    for (const std::string& broken : {std::string("garbage, not a solution\r\n"), std::string(),
                                      whole.substr(0, whole.find("Global"))}) {
        SCOPED_TRACE(broken);
        ASSERT_TRUE(Test_ns::WriteBytes(a, broken));
        s.solutions.SetRead(0);
        std::vector<std::exception_ptr> refused;
        EXPECT_EQ(s.solutions.ReadSolutions(L"Debug|Win32", s.rows, s.projects, s.sequences, &refused), 1);
        ASSERT_EQ(refused.size(), 1u);
        try {
            std::rethrow_exception(refused.front());
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_TRUE(e.Code() == 104 || e.Code() == 105) << e.Code();
            EXPECT_NE(e.Note().find(a), String_cl::npos) << e.Note().ToUtf8();
        }
        // b's rows; app was a's alone.
        EXPECT_EQ(RowNames(s.rows), (std::vector<String_cl>{L"core.vcproj", L"util.vcproj"}));
        EXPECT_EQ(s.solutions.First()->projects.Count(), 0);
        EXPECT_EQ(s.solutions.Read(), 0);
    }
    // Without a place for the errors, the first is raised once all are read.
    s.solutions.SetRead(0);
    EXPECT_THROW(s.solutions.ReadSolutions(L"Debug|Win32", s.rows, s.projects, s.sequences), Base_ns::UserError_cl);
    EXPECT_EQ(s.rows.Count(), 2);
    ASSERT_TRUE(Test_ns::WriteBytes(a, whole));
    s.solutions.SetRead(0);
    std::vector<std::exception_ptr> none;
    s.solutions.ReadSolutions(L"Debug|Win32", s.rows, s.projects, s.sequences, &none);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(s.solutions.Read(), 1);
    EXPECT_EQ(RowNames(s.rows), (std::vector<String_cl>{L"core.vcproj", L"app.vcproj", L"util.vcproj"}));
}

// Which rows are built: the solution decides. A configuration it builds
// (its Build.0 line) that the project file does not have is built all the
// same and says so; one it does not build stays ignored, as does a lone
// project file without the configuration; what the reader could not
// evaluate is the row's note.
TEST_F(SolutionPackTest, RowsTheSolutionBuildsAreNeverIgnoredSilently)
{
    const String_cl odd = dir / L"odd.sln";
    WriteSolution(odd, {{L"core", L"core\\core.vcproj", L"{C0}", {{L"Debug|Win32", L"Profile|Win32"}}},
                        {L"app", L"app\\app.vcproj", L"{A0}", {{L"Release|Win32", L"Release|Win32"}}},
                        {L"util", L"util\\util.vcproj", L"{U0}", {{L"Debug|Win32", L"Debug|Win32"}}}});
    s.Add(odd, L"Debug|Win32");
    s.Add(dir / L"util\\util.vcproj", L"Profile|Win32");
    struct Expected_st {
        const wchar_t* file;
        const wchar_t* configuration;
        int32_t state;
        const wchar_t* note;  // a piece of the read note; empty: none
    } expected[] = {
        {L"core.vcproj", L"Profile|Win32", Normal, L"找不到解决方案要编译的配置“Profile|Win32”，读到的配置：DEBUG|WIN32，RELEASE|WIN32"},
        {L"app.vcproj", L"", Ignored, L""},
        {L"util.vcproj", L"Debug|Win32", Normal, L""},
    };
    for (const Expected_st& e : expected) {
        SCOPED_TRACE(String_cl(e.file).ToUtf8());
        const MProjectId_cl row = RowOf(e.file);
        ASSERT_FALSE(row.IsEmpty());
        EXPECT_EQ(row->configuration, e.configuration);
        EXPECT_EQ(row->state, e.state);
        if (*e.note) EXPECT_NE(row->readNote.find(e.note), String_cl::npos) << row->readNote.ToUtf8();
        else EXPECT_TRUE(row->readNote.empty()) << row->readNote.ToUtf8();
    }
    // The lone util.vcproj in a configuration it lacks: no solution decides.
    int loneRows = 0;
    for (MProjectId_cl r = s.rows.First(); !r.IsEmpty(); r = r.Next()) {
        if (!r->project->solution.empty()) continue;
        ++loneRows;
        EXPECT_EQ(r->state, Ignored);
        EXPECT_TRUE(r->configuration.empty());
    }
    EXPECT_EQ(loneRows, 1);
    // A row built without an entry of its own keeps its result through a
    // refresh, and a clean's reset makes it Normal again.
    MProjectId_cl core = RowOf(L"core.vcproj");
    core->state = CompileFailed;
    RefreshRowStates(s.rows, s.projects);
    EXPECT_EQ(core->state, CompileFailed);
    ResetRowState(core, s.rows, s.projects);
    EXPECT_EQ(core->state, Normal);
    core = MProjectId_cl();

    // What the reader could not evaluate, per configuration, is the note of
    // the rows made from it.
    ConfigEntry_st* entry = RowOf(L"util.vcproj")->project->configurations.Find(L"DEBUG|WIN32");
    ASSERT_NE(entry, nullptr);
    entry->unknowns = {L"$(Configuration.Foo())：不支持的属性函数", L"OutDir：值超过 65536 个字符"};
    s.solutions.ChangeConfiguration(L"Debug|Win32", s.rows, s.projects, s.sequences);
    EXPECT_EQ(RowOf(L"util.vcproj")->readNote,
              L"工程文件未能完整读取：$(Configuration.Foo())：不支持的属性函数；OutDir：值超过 65536 个字符");
}

TEST_F(SolutionPackTest, FailedAddLeavesNothingHalfAdded)
{
    String_cl bad = dir / L"bad.sln";
    Test_ns::WriteBytes(bad, "\xEF\xBB\xBFProject(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"core\", "
                             "\"core\\core.vcproj\", \"{C0}\"\r\n");
    try {
        s.Add(bad, L"Debug|Win32");
        FAIL() << "a solution without EndProject was accepted";
    } catch (const Base_ns::UserError_cl& e) {
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.Note(), bad);
    }
    EXPECT_EQ(s.solutions.Count(), 0);
    EXPECT_EQ(s.rows.Count(), 0);
    EXPECT_EQ(s.projects.Count(), 0);
    EXPECT_EQ(s.sequences.Count(), 0);

    // A project file that is not XML is that project's problem: the
    // solution is added with both rows, and the record says why.
    CreateDirectoryW((dir / L"broken").c_str(), nullptr);
    Test_ns::WriteBytes(dir / L"broken\\broken.vcproj", "this is not XML");
    String_cl mixed = dir / L"mixed.sln";
    WriteSolution(mixed, {{L"core", L"core\\core.vcproj", L"{C0}", BothConfigs()},
                          {L"broken", L"broken\\broken.vcproj", L"{B0}", BothConfigs()}});
    ASSERT_NO_THROW(s.Add(mixed, L"Debug|Win32"));
    EXPECT_EQ(s.solutions.Count(), 1);
    EXPECT_EQ(s.rows.Count(), 2);
    int unreadable = 0;
    for (ProjectId_cl p = s.projects.First(); !p.IsEmpty(); p = p.Next()) {
        EXPECT_EQ(p->solution, mixed);
        if (!p->unreadable.empty()) ++unreadable;
    }
    EXPECT_EQ(unreadable, 1);
}

// ------------------------------------------------------------------ clean

class SolutionCleanTest : public SolutionPackTest {
protected:
    void SetUp() override
    {
        SolutionPackTest::SetUp();
        OverrideModuleDirectory(dir.Path());
    }
    void TearDown() override { OverrideModuleDirectory(String_cl()); }

    String_cl Log() const { return dir / L"Temp.log"; }

    // An installation whose devenv answers every command with the given lines.
    String_cl FakeInstallation(const String_cl& answer)
    {
        String_cl vs = dir / L"fake vs\\";
        CreateDirectoryW(vs.c_str(), nullptr);
        CreateDirectoryW((vs + L"VC").c_str(), nullptr);
        Test_ns::WriteBytes(vs + L"VC\\vcvarsall.bat", "@set \"PATH=%~dp0;%PATH%\"\r\n@exit /b 0\r\n");
        Test_ns::WriteBytes(vs + L"VC\\devenv.bat", "@type \"%~dp0answer.txt\"\r\n");
        Test_ns::WriteBytes(vs + L"VC\\answer.txt", Test_ns::Ansi(answer));
        return vs;
    }

    // Sets core's result to Compiled so that the clean has a state to reset.
    void MarkCoreCompiled()
    {
        MProjectId_cl core = RowOf(L"core.vcproj");
        s.projects.SetResult(core->project, L"Debug|Win32", Compiled, dir / L"core.log");
        RefreshRowStates(s.rows, s.projects);
        ASSERT_EQ(core->state, Compiled);
    }

    void Clean(const String_cl& vs)
    {
        s.solutions.CleanSolution(s.solutions.First(), s.rows, s.projects, L"Debug|Win32", vs);
    }
};

TEST_F(SolutionCleanTest, StandinCleanResetsStatesAndDeletesItsLog)
{
    for (const wchar_t* edition : {L"en", L"zh"}) {
        SCOPED_TRACE(String_cl(edition).ToUtf8());
        if (s.solutions.Count() == 0) s.Add(a, L"Debug|Win32");
        MarkCoreCompiled();
        String_cl output = dir / L"core\\Debug\\core.lib";
        CreateDirectoryW((dir / L"core\\Debug").c_str(), nullptr);
        ASSERT_TRUE(Test_ns::WriteBytes(output, "!<arch>\n"));

        Clean(Test_ns::StandinDir(edition));
        EXPECT_FALSE(Test_ns::FileExists(output)) << "the stand-in did not clean core";
        EXPECT_FALSE(Test_ns::FileExists(Log()));
        MProjectId_cl core = RowOf(L"core.vcproj");
        EXPECT_EQ(core->state, Normal);
        EXPECT_EQ(s.projects.ProjectState(core->project, L"Debug|Win32"), Normal);
        EXPECT_EQ(RowOf(L"app.vcproj")->state, Normal);
    }
}

// A project that the solution builds in a configuration it lacks fails to clean.
TEST_F(SolutionCleanTest, StandinCleanFailureIsUserError102AndKeepsTheLog)
{
    String_cl broken = dir / L"broken.sln";
    WriteProject(dir / L"odd\\odd.vcproj", L"odd");
    WriteSolution(broken, {{L"core", L"core\\core.vcproj", L"{C0}", BothConfigs()},
                           {L"odd", L"odd\\odd.vcproj", L"{O0}", {{L"Debug|Win32", L"Profile|Win32"}}}});
    s.Add(broken, L"Debug|Win32");
    for (const wchar_t* edition : {L"en", L"zh"}) {
        SCOPED_TRACE(String_cl(edition).ToUtf8());
        // The Chinese edition's summary cannot be written in code page 1252;
        // a clean whose summary line is unreadable counts as done.
        if (String_cl(edition) == L"zh" && GetACP() != 936) continue;
        MarkCoreCompiled();
        try {
            Clean(Test_ns::StandinDir(edition));
            ADD_FAILURE() << "a failed clean was reported as success";
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_EQ(e.Code(), 102);
            EXPECT_EQ(e.Message(), L"清理失败。");
            EXPECT_EQ(e.Line(), 565);
            EXPECT_EQ(e.Note(), L"broken");
            EXPECT_EQ(e.ClassName(), L"SolutionPack_cl");
        }
        EXPECT_TRUE(Test_ns::FileExists(Log()));
        // The states were reset before the log was looked at. The solution
        // builds odd in a configuration its project file lacks: its row is
        // built all the same, and says so.
        EXPECT_EQ(RowOf(L"core.vcproj")->state, Normal);
        EXPECT_EQ(RowOf(L"odd.vcproj")->state, Normal);
        EXPECT_NE(RowOf(L"odd.vcproj")->readNote.find(L"“Profile|Win32”"), String_cl::npos);
    }
}

TEST_F(SolutionCleanTest, SummaryLinesOfBothEditionsAreChecked)
{
    s.Add(a, L"Debug|Win32");
    struct Case_st {
        const wchar_t* answer;
        int code;   // 0: accepted
        bool chinese;
    };
    const Case_st cases[] = {
        {L"========== Clean: 3 succeeded, 0 failed, 0 skipped ==========\r\n", 0, false},
        {L"========== Clean: 0 succeeded, 10 failed, 0 skipped ==========\r\n", 102, false},
        {L"Deleting intermediate files\r\nNo summary at all\r\n", 0, false},
        // The last summary line counts.
        {L"========== Clean: 0 succeeded, 1 failed, 0 skipped ==========\r\n"
         L"========== Clean: 1 succeeded, 0 failed, 0 skipped ==========\r\n", 0, false},
        // A summary line that cannot be read: the user learns which.
        {L"========== Clean: aborted ==========\r\n", 103, false},
        {L"========== 清理: 成功 1 个，失败 0 个，跳过 0 个 ==========\r\n", 0, true},
        {L"========== 清理: 成功 0 个，失败 2 个，跳过 0 个 ==========\r\n", 102, true},
        {L"========== 清理: 全部完成 ==========\r\n", 103, true},
        {L"========== 清理: 0 已成功, 1 已失败, 0 已跳过 ==========\r\n", 102, true},
        {L"========== 清理: 成功1 个，失败0 个，跳过0 个==========\r\n", 0, true},
    };
    for (const Case_st& c : cases) {
        SCOPED_TRACE(String_cl(c.answer).ToUtf8());
        if (c.chinese && GetACP() != 936) continue;   // not writable in this code page
        String_cl vs = FakeInstallation(c.answer);
        MarkCoreCompiled();
        int raised = 0;
        try {
            Clean(vs);
        } catch (const Base_ns::Error_cl& e) {
            raised = e.Code();
            if (e.Code() == 103) {
                EXPECT_EQ(e.IsSystemError(), 0);
                const String_cl line = String_cl(c.answer).substr(0, String_cl(c.answer).find(L'\r'));
                EXPECT_EQ(e.Note(), L"a\r\n无法读取生成程序的统计行：“" + line + L"”");
            } else {
                EXPECT_EQ(e.IsSystemError(), 0);
                EXPECT_EQ(e.Note(), L"a");
            }
        }
        EXPECT_EQ(raised, c.code);
        EXPECT_EQ(Test_ns::FileExists(Log()), c.code != 0);
        EXPECT_EQ(RowOf(L"core.vcproj")->state, Normal);
        DeleteFileW(Log().c_str());
    }
}

} // namespace
