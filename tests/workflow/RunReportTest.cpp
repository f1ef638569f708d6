// The record a build job leaves for its reports, and the HTML page made
// from it, with builds that overlap on two lanes as parallel builds will
// report them: times from a clock the test moves, rows the engine made from
// project files, failures set as the row build sets them.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <map>
#include "app/engine/RowState.h"
#include "app/ProgramPlaces.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/workflow/HtmlReport.h"
#include "app/workflow/JUnitReport.h"
#include "app/workflow/ReportFile.h"
#include "common/base/Handle.h"
#include "app/workflow/RunRecorder.h"
#include "common/io/XMLFile.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

class Silent_cl : public JobReporter_cl {
public:
    void Status(const String_cl&) override {}
    void ShowError(const Base_ns::Error_cl& e) override { errors.push_back(e.Text()); }
    bool StopOnError() override { return false; }
    void Ended(const JobEnd_st&) override { ++ends; }
    std::vector<String_cl> errors;
    int ends = 0;
};

const Moment_t kSecond = 10000000;

class RunReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        OverrideModuleDirectory(m_dir.Path());
        m_plan = m_stores.plans.AddPlan(L"夜间", L"Debug|Win32");
    }
    void TearDown() override
    {
        m_plan = PlanId_cl();
        m_stores.plans.Clear();
        OverrideModuleDirectory(L"");
        CoUninitialize();
    }
    MProjectId_cl AddProject(const String_cl& name)
    {
        const String_cl path = m_dir / (L"ws\\" + name + L"\\" + name + L".vcproj");
        Test_ns::WriteVcproj(path, {name, {{L"Debug|Win32", 4}}});
        m_plan->solutions.AddSolution(path, m_plan->configuration, m_plan->rows, m_stores.projects, m_stores.sequences);
        for (MProjectId_cl r = m_plan->rows.First(); !r.IsEmpty(); r = r.Next())
            if (r->project->name == name) return r;
        return MProjectId_cl();
    }
    // The run's record of the plan as it stands, as the job takes it at its end.
    RunRecord_st RecordOfPlan()
    {
        RunRecord_st record;
        record.planName = m_plan->name;
        record.configuration = m_plan->configuration;
        TakeRows(*m_plan, record);
        return record;
    }
    // A failed row's log in the failed folder, as the row build leaves it.
    void Fail(MProjectId_cl& row, const String_cl& errorLine, uint32_t because = 0)
    {
        row->state = CompileFailed;
        row->failedBecauseOf = because;
        row->log = FailedLogDirectory() + row->project->name + L".log";
        CreateDirectories(row->log);
        Test_ns::WriteBytes(row->log, Test_ns::Ansi(L"Compiling...\r\n" + errorLine + L"\r\n"));
    }

    Test_ns::TempDir_cl m_dir{L"run-report"};
    Stores_cl m_stores;
    PlanId_cl m_plan;
    Moment_t m_now = 133000000000000000ull;
};

// The x, width and lane of each bar of the timeline, by project name.
struct Bar_st {
    double x = 0, width = 0;
    int lane = -1;
};
std::map<String_cl, Bar_st> Bars(const String_cl& html)
{
    std::map<String_cl, Bar_st> bars;
    auto number = [&](size_t from, const wchar_t* attr) {
        size_t at = html.find(attr, from);
        return at == String_cl::npos ? -1.0 : _wtof(html.c_str() + at + wcslen(attr));
    };
    for (size_t at = html.find(L"<g class=\"bar\""); at != String_cl::npos; at = html.find(L"<g class=\"bar\"", at + 1)) {
        const size_t title = html.find(L"<title>", at) + 7;
        const String_cl name = html.substr(title, html.find(L"：", title) - title);
        Bar_st b;
        b.lane = static_cast<int>(number(at, L"data-lane=\""));
        const size_t rect = html.find(L"<rect", at);
        b.x = number(rect, L" x=\"");
        b.width = number(rect, L" width=\"");
        bars[name] = b;
    }
    return bars;
}

} // namespace

TEST_F(RunReportTest, BuildsOnTwoLanesOverlapAndAKnockOnChainHangsUnderItsRoot)
{
    MProjectId_cl a = AddProject(L"A"), b = AddProject(L"B"), c = AddProject(L"C"), d = AddProject(L"D"),
                  e = AddProject(L"E");
    Silent_cl inner;
    RunRecorder_cl recorder(inner, m_plan, JobBuild, 0, [this] { return m_now; });
    bool finished = false;
    recorder.OnFinished([&](const RunRecord_st&) { finished = true; });
    Plan_st& plan = *m_plan;
    // Lane 0: A 0-10 s, then B 10-14 s, then C 14-15 s. Lane 1: D 2-12 s, E 12-13 s.
    recorder.RowStarted(plan, *a, 0);
    m_now += 2 * kSecond;
    recorder.RowStarted(plan, *d, 1);
    m_now += 8 * kSecond;
    Fail(a, L"c:\\ws\\A\\A.cpp(2) : fatal error C1189: #error :  A 没写完");
    recorder.RowBuilt(plan, *a, 0);
    recorder.RowStarted(plan, *b, 0);
    m_now += 2 * kSecond;
    d->state = Compiled;
    recorder.RowBuilt(plan, *d, 1);
    recorder.RowStarted(plan, *e, 1);
    m_now += 1 * kSecond;
    e->state = CompiledUnchanged;
    recorder.RowBuilt(plan, *e, 1);
    m_now += 1 * kSecond;
    Fail(b, L"LINK : fatal error LNK1104: 无法打开文件“A.lib”", a.Serial());
    recorder.RowBuilt(plan, *b, 0);
    recorder.RowStarted(plan, *c, 0);
    m_now += 1 * kSecond;
    Fail(c, L"LINK : fatal error LNK1104: 无法打开文件“B.lib”", b.Serial());
    recorder.RowBuilt(plan, *c, 0);
    JobEnd_st end;
    end.kind = JobBuild;
    end.reachedEnd = true;
    recorder.Ended(end);
    EXPECT_TRUE(finished);
    EXPECT_EQ(inner.ends, 1) << "the wrapped reporter hears of the end";
    EXPECT_TRUE(inner.errors.empty());

    const RunRecord_st record = recorder.Record();
    EXPECT_EQ(record.Lanes(), 2);
    ASSERT_EQ(record.builds.size(), 5u);
    EXPECT_DOUBLE_EQ(SecondsBetween(record.start, record.end), 15.0);
    const RowOutcome_st& rowA = *record.Row(a.Serial());
    EXPECT_EQ(rowA.failure.firstError, L"c:\\ws\\A\\A.cpp(2) : fatal error C1189: #error :  A 没写完");
    EXPECT_DOUBLE_EQ(rowA.seconds, 10.0);
    EXPECT_EQ(record.Row(c.Serial())->failure.causeName, L"B");
    EXPECT_EQ(record.Row(c.Serial())->rootKey, a.Serial());
    // A is the only root; B and C hang under it, C one step further down.
    const std::vector<FailureGroup_st> groups = FailureGroups(record);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].rootKey, a.Serial());
    const std::vector<std::pair<uint32_t, int>> chain{{b.Serial(), 1}, {c.Serial(), 2}};
    EXPECT_EQ(groups[0].knockOns, chain);

    WriteHtmlReport(record);
    const String_cl html = String_cl::FromUtf8(Test_ns::ReadBytes(m_dir / L"编译日志\\报告.html"));
    ASSERT_FALSE(html.empty());
    for (const wchar_t* outside : {L"<script", L"http:", L"https:", L"@import", L"@font-face", L"url("})
        EXPECT_EQ(html.find(outside), String_cl::npos) << Test_ns::Ansi(outside);
    EXPECT_NE(html.find(L"工程总数 5，编译失败 3，编译工程 2/5"), String_cl::npos);
    EXPECT_NE(html.find(L"因工程 B 编译失败而缺少它的库"), String_cl::npos);
    EXPECT_NE(html.find(L"（根源：A）"), String_cl::npos);
    EXPECT_NE(html.find(L"最多 2 个同时进行"), String_cl::npos);
    // The logs are linked relative to the page: the folder goes with them.
    EXPECT_NE(html.find(L"href=\"%E9%94%99%E8%AF%AF/A.log\""), String_cl::npos) << "错误/A.log, encoded";

    // Each build a bar on its own lane, where and as long as it ran: D
    // (lane 1, 2-12 s) overlaps A (lane 0, 0-10 s).
    const std::map<String_cl, Bar_st> bars = Bars(html);
    ASSERT_EQ(bars.size(), 5u);
    const Bar_st& barA = bars.at(L"A");
    const Bar_st& barD = bars.at(L"D");
    EXPECT_EQ(barA.lane, 0);
    EXPECT_EQ(barD.lane, 1);
    EXPECT_EQ(bars.at(L"E").lane, 1);
    EXPECT_EQ(bars.at(L"C").lane, 0);
    const double perSecond = barA.width / 10.0;
    EXPECT_NEAR(barD.x - barA.x, 2 * perSecond, 0.2);
    EXPECT_NEAR(barD.width, 10 * perSecond, 0.2);
    EXPECT_LT(barD.x, barA.x + barA.width) << "the two lanes overlap in time";
    EXPECT_NEAR(bars.at(L"C").x + bars.at(L"C").width, barA.x + 15 * perSecond, 0.2);
}

TEST_F(RunReportTest, AReportThatCannotBeWrittenIsShownAndTheJobStillEnds)
{
    AddProject(L"A");
    // A folder where the page should be: it cannot replace it.
    CreateDirectoryW((m_dir / L"编译日志").c_str(), nullptr);
    CreateDirectoryW((m_dir / L"编译日志\\报告.html").c_str(), nullptr);
    Silent_cl inner;
    RunRecorder_cl recorder(inner, m_plan, JobBuild);
    recorder.OnFinished(WriteHtmlReport);
    JobEnd_st end;
    end.kind = JobBuild;
    recorder.Ended(end);
    EXPECT_EQ(inner.ends, 1);
    ASSERT_EQ(inner.errors.size(), 1u);
    EXPECT_NE(inner.errors[0].find(L"无法写入报告文件。"), String_cl::npos) << Test_ns::Ansi(inner.errors[0]);
    EXPECT_FALSE(Test_ns::FileExists(m_dir / L"编译日志\\报告.html.partial"));
}

// The rows of the longest chain, which the walk started first, are outlined
// in the timeline, and the walk's estimate stands beside its actual time.
TEST_F(RunReportTest, TheCriticalPathIsOutlinedAndTheEstimateStandsBesideTheTime)
{
    MProjectId_cl a = AddProject(L"A"), b = AddProject(L"B"), c = AddProject(L"C");
    Silent_cl inner;
    RunRecorder_cl recorder(inner, m_plan, JobRebuild, 0, [this] { return m_now; });
    Plan_st& plan = *m_plan;
    m_now += 5 * kSecond;  // the clean
    BuildPlan_st expected;
    expected.lanes = 2;
    expected.seconds = 90;
    expected.criticalPath = {a.Serial(), c.Serial()};
    recorder.BuildPlanned(expected);
    recorder.RowStarted(plan, *a, 0);
    recorder.RowStarted(plan, *b, 1);
    m_now += 60 * kSecond;
    for (MProjectId_cl* r : {&a, &b}) {
        (*r)->state = Compiled;
        recorder.RowBuilt(plan, **r, 1);
    }
    recorder.RowStarted(plan, *c, 0);
    m_now += 40 * kSecond;
    c->state = Compiled;
    recorder.RowBuilt(plan, *c, 1);
    JobEnd_st end;
    end.kind = JobBuild;
    end.reachedEnd = true;
    recorder.Ended(end);

    const String_cl html = HtmlReportText(recorder.Record(), m_dir.Path());
    EXPECT_NE(html.find(L"约 1 分 30 秒<span class=\"note\">（实际 1 分 40 秒）"), String_cl::npos);
    std::vector<String_cl> outlined;
    for (size_t at = html.find(L"<g class=\"bar critical\""); at != String_cl::npos;
         at = html.find(L"<g class=\"bar critical\"", at + 1)) {
        const size_t title = html.find(L"<title>", at) + 7;
        outlined.push_back(html.substr(title, html.find(L"：", title) - title));
    }
    EXPECT_EQ(outlined, (std::vector<String_cl>{L"A", L"C"}));
    EXPECT_NE(html.find(L">关键路径</text>"), String_cl::npos) << "the legend names the outline";
}

// Names and error lines come from files others wrote and may hold tabs and
// line ends; a build server's XML reader must get them back as they were.
TEST_F(RunReportTest, TabsAndLineEndsInTheJUnitFileSurviveAnXmlReader)
{
    RunRecord_st run;
    run.planName = L"夜\t间";
    run.configuration = L"Debug|Win32";
    RowOutcome_st row;
    row.key = 1;
    row.name = L"A\r\nB";
    row.configuration = run.configuration;
    row.state = CompileFailed;
    row.failure.firstError = L"a.cpp(2) :\terror C2065: 'x'\t未定义";
    run.rows.push_back(row);
    run.solutions.push_back({m_dir / L"x.sln", {1}});
    const String_cl path = m_dir / L"junit.xml";
    WriteJUnitReport(path, {run});

    IO_ns::XMLFile_cl xml;
    xml.Open(path);
    const IO_ns::XMLFile_cl::ElementId_cl suite = xml.Root().Child(L"testsuite");
    const IO_ns::XMLFile_cl::ElementId_cl testcase = suite.Child(L"testcase");
    EXPECT_EQ(suite.Attribute(L"package", true).Text(), run.planName);
    EXPECT_EQ(testcase.Attribute(L"name", true).Text(), L"A\r\nB (Debug|Win32)");
    EXPECT_EQ(testcase.Child(L"failure").Attribute(L"message", true).Text(), row.failure.firstError);
    xml.Close();
}

// Whether a report can be written is known before the build: a file another
// program holds without letting it be written or replaced is refused with
// the writer's own error; one that can be written is left as it was, and a
// missing one is not left behind.
TEST_F(RunReportTest, AReportFileIsCheckedWithoutBeingWritten)
{
    const String_cl held = m_dir / L"tx\\held.xml", shared = m_dir / L"tx\\shared.xml", missing = m_dir / L"new\\r.xml";
    Test_ns::CreateFolders(held);
    ASSERT_TRUE(Test_ns::WriteBytes(held, "<held/>"));
    ASSERT_TRUE(Test_ns::WriteBytes(shared, "<shared/>"));
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    for (DWORD share : {DWORD(0), DWORD(FILE_SHARE_READ), all}) {
        Base_ns::Handle_cl holder(CreateFileW(held.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.Valid());
        String_cl refusal;
        try {
            CheckReportFileWritable(held);
        } catch (const Base_ns::Error_cl& e) {
            refusal = e.Message() + L" " + e.Note();
        }
        EXPECT_EQ(share != all, refusal == L"无法写入报告文件。 " + held) << "share " << share << ": " << refusal.ToUtf8();
        if (share == all) {
            EXPECT_TRUE(refusal.empty()) << refusal.ToUtf8();
        }
    }
    CheckReportFileWritable(shared);
    CheckReportFileWritable(missing);
    EXPECT_EQ("<held/>", Test_ns::ReadBytes(held));
    EXPECT_EQ("<shared/>", Test_ns::ReadBytes(shared));
    EXPECT_FALSE(Test_ns::FileExists(missing));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((m_dir / L"new").c_str())) << "folders on the way are made";
}

// A failure the log does not explain (a line of the builder that cannot be
// read) is the JUnit failure's message and leads the report's reason, the
// log's first error under it; a row built although its project file was not
// read whole says so in both, whatever its state; an ordinary failure keeps
// its first error line.
TEST_F(RunReportTest, ReasonsAndReadNotesReachTheJUnitFileAndTheReport)
{
    MProjectId_cl a = AddProject(L"A");
    MProjectId_cl b = AddProject(L"B");
    MProjectId_cl c = AddProject(L"C");
    const String_cl log = m_dir / L"a.log";
    Test_ns::WriteBytes(log, "a.cpp(2) : error C2065: 'x' : undeclared identifier\r\n");
    a->state = CompileFailed;
    a->log = log;
    a->failReason = L"无法读取生成程序的统计行：“========== 生成: 全部完成 ==========”";
    b->state = Compiled;
    b->readNote = L"工程文件未能完整读取：OutDir：不支持的属性函数";
    c->state = CompileFailed;
    c->log = log;
    const RunRecord_st record = RecordOfPlan();

    const String_cl junit = JUnitText({record}, L"host");
    const size_t caseA = junit.find(L"name=\"A (Debug|Win32)\"");
    ASSERT_NE(caseA, String_cl::npos) << junit.ToUtf8();
    EXPECT_NE(junit.find(L"<failure message=\"" + a->failReason + L"\"", caseA), String_cl::npos) << junit.ToUtf8();
    EXPECT_NE(junit.find(L"首个错误：a.cpp(2) : error C2065", caseA), String_cl::npos) << junit.ToUtf8();
    const size_t caseB = junit.find(L"name=\"B (Debug|Win32)\"");
    ASSERT_NE(caseB, String_cl::npos);
    EXPECT_EQ(junit.find(L"<failure", caseB), junit.find(L"<failure", junit.find(L"name=\"C (Debug|Win32)\"")))
        << "B passes";
    EXPECT_NE(junit.find(L"<system-out>读取说明：" + b->readNote + L"</system-out>", caseB), String_cl::npos)
        << junit.ToUtf8();
    const size_t caseC = junit.find(L"name=\"C (Debug|Win32)\"");
    EXPECT_NE(junit.find(L"<failure message=\"a.cpp(2) : error C2065", caseC), String_cl::npos) << junit.ToUtf8();

    const String_cl html = HtmlReportText(record, m_dir.Path());
    const size_t rowA = html.find(L"<td title=\"" + a->project->path + L"\">A</td>");
    ASSERT_NE(rowA, String_cl::npos) << html.ToUtf8();
    const size_t reason = html.find(L"<span class=\"fail-reason\">" + a->failReason + L"</span>", rowA);
    const size_t firstError = html.find(L"<code>a.cpp(2) : error C2065", rowA);
    EXPECT_NE(reason, String_cl::npos) << html.ToUtf8();
    EXPECT_LT(reason, firstError);
    const size_t rowB = html.find(L"<td title=\"" + b->project->path + L"\">B</td>");
    EXPECT_NE(html.find(L"<span class=\"note read-note\">" + b->readNote + L"</span>", rowB), String_cl::npos)
        << html.ToUtf8();
}

// A solution file that can no longer be read (here cut down to a merge's
// conflict text) has no rows to fail: the JUnit file counts it as an error
// of its own, naming the file and why, and the report lists it first among
// the failures, beside the rows of the plan's other files.
TEST_F(RunReportTest, ASolutionThatCannotBeReadIsAnErrorInBothReports)
{
    AddProject(L"A");
    AddProject(L"B");
    const String_cl sln = m_dir / L"ws\\S\\S.sln";
    ASSERT_TRUE(Test_ns::WriteVcproj(m_dir / L"ws\\S\\c\\c.vcproj", {L"c", {{L"Debug|Win32", 4}}}));
    ASSERT_TRUE(Test_ns::WriteBytes(
        sln, "\xEF\xBB\xBF\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n# Visual Studio 2008\r\n"
             "Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"c\", \"c\\c.vcproj\", "
             "\"{11111111-2222-3333-4444-555555555555}\"\r\nEndProject\r\nGlobal\r\n"
             "\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n\t\tDebug|Win32 = Debug|Win32\r\n"
             "\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n"
             "\t\t{11111111-2222-3333-4444-555555555555}.Debug|Win32.ActiveCfg = Debug|Win32\r\n"
             "\t\t{11111111-2222-3333-4444-555555555555}.Debug|Win32.Build.0 = Debug|Win32\r\n"
             "\tEndGlobalSection\r\nEndGlobal\r\n"));
    m_plan->solutions.AddSolution(sln, m_plan->configuration, m_plan->rows, m_stores.projects, m_stores.sequences);
    ASSERT_EQ(m_plan->rows.Count(), 3);
    ASSERT_TRUE(Test_ns::WriteBytes(sln, "<<<<<<< HEAD\r\n=======\r\n>>>>>>> theirs\r\n"));
    m_plan->solutions.SetRead(0);
    std::vector<std::exception_ptr> refused;
    m_plan->solutions.ReadSolutions(m_plan->configuration, m_plan->rows, m_stores.projects, m_stores.sequences,
                                    &refused);
    ASSERT_EQ(refused.size(), 1u);
    const RunRecord_st record = RecordOfPlan();

    const String_cl junit = JUnitText({record}, L"host");
    const size_t suite = junit.find(L"<testsuite name=\"S.sln\"");
    ASSERT_NE(suite, String_cl::npos) << junit.ToUtf8();
    EXPECT_EQ(junit.find(L"errors=\"1\"", suite), junit.find(L"errors=", suite)) << junit.ToUtf8();
    const size_t error = junit.find(L"<error message=\"解决方案文件无法读取：", suite);
    ASSERT_NE(error, String_cl::npos) << junit.ToUtf8();
    EXPECT_NE(junit.find(sln, error), String_cl::npos) << junit.ToUtf8();
    EXPECT_NE(junit.find(L"<testsuites name=\"Quorvane\" tests=\"3\" failures=\"0\" errors=\"1\""), String_cl::npos)
        << junit.ToUtf8();

    const String_cl html = HtmlReportText(record, m_dir.Path());
    EXPECT_EQ(html.find(L"没有编译失败的工程"), String_cl::npos);
    EXPECT_NE(html.find(L">S.sln</b> <span class=\"fail-reason\">解决方案文件无法读取："), String_cl::npos)
        << html.ToUtf8();
}
