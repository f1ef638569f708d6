// The jobs end to end through the builder stand-in: what they report, when
// they stop, and when a finished run may shut the machine down.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include "app/engine/RowState.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"
#include "app/workflow/BuildProgress.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PlanOperations.h"
#include "app/workflow/RunRecord.h"
#include "app/workflow/VcDirectory.h"
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include "common/base/Path.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

class Recorder_cl : public JobReporter_cl {
public:
    std::vector<String_cl> statuses;
    std::vector<String_cl> built;  // "name:state"
    std::vector<String_cl> errors;
    std::vector<String_cl> cleaned;
    int clears = 0;
    int projectRefreshes = 0;
    int historyRefreshes = 0;
    bool stopOnError = false;
    std::atomic<int>* stopAfterFirstClean = nullptr;

    std::vector<String_cl> progress;

    void Status(const String_cl& text) override { statuses.push_back(text); }
    void Progress(const BuildProgress_st& p) override
    {
        progress.push_back(p.text);
        JobReporter_cl::Progress(p);
    }
    void RefreshProjects(uint32_t) override { ++projectRefreshes; }
    void RefreshHistory() override { ++historyRefreshes; }
    void ClearProjects() override { ++clears; }
    void RowBuilt(const Plan_st&, const MProject_st& row, int) override
    {
        built.push_back(row.project->name + L":" + String_cl::FromInt(row.state));
    }
    void SolutionCleaned(const Plan_st&, const String_cl& path) override
    {
        cleaned.push_back(GetFileTitle(path));
        if (stopAfterFirstClean) *stopAfterFirstClean = 0;
    }
    void ShowError(const Base_ns::Error_cl& e) override { errors.push_back(e.Text()); }
    bool StopOnError() override { return stopOnError; }
    void Ended(const JobEnd_st& end) override
    {
        ends.push_back(end);
        statusesAtEnd = statuses.size();
    }

    std::vector<JobEnd_st> ends;
    size_t statusesAtEnd = 0;
};

String_cl Built(const wchar_t* name, int state) { return String_cl(name) + L":" + String_cl::FromInt(state); }

class JobsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        OverrideModuleDirectory(m_dir.Path());
        m_vc = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en");
        m_plan = m_stores.plans.AddPlan(L"p", L"Debug|Win32");
    }
    void TearDown() override
    {
        m_plan = PlanId_cl();
        m_stores.plans.Clear();
        OverrideModuleDirectory(L"");
        CoUninitialize();
    }

    // A project in its own folder; a library, or a program linking libs.
    String_cl Project(const String_cl& name, int type, const String_cl& libs = L"",
                      bool broken = false)
    {
        const Test_ns::VcTool_st tool =
            type == 4 ? Test_ns::Librarian(L"$(OutDir)\\$(ProjectName).lib")
                      : Test_ns::Linker(L"$(OutDir)\\$(ProjectName).exe").Dependencies(libs).LibraryFolders(L"..\\lib");
        const String_cl path = m_dir / (L"ws\\" + name + L"\\" + name + L".vcproj");
        Test_ns::WriteVcprojAndSources(
            path, {name, {{L"Debug|Win32", type, {tool}, {{L"OutputDirectory", L"..\\lib"}}}}, {L"main.cpp"}},
            broken ? "#error broken on purpose\n" : "int x;\n");
        return path;
    }
    void Add(const String_cl& path)
    {
        m_plan->solutions.AddSolution(path, m_plan->configuration, m_plan->rows, m_stores.projects,
                                      m_stores.sequences);
    }
    bool Build(Recorder_cl& r, uint32_t single = 0, bool rebuildEach = false, int running = 1)
    {
        BuildRequest_st req;
        req.vcDirectory = m_vc;
        req.singleRow = single;
        req.rebuildEach = rebuildEach;
        m_running = running;
        return RunBuildJob(m_stores, m_plan, req, m_running, r);
    }

    Test_ns::TempDir_cl m_dir{L"jobs"};
    Stores_cl m_stores;
    PlanId_cl m_plan;
    String_cl m_vc;
    std::atomic<int> m_running{0};
};

} // namespace

TEST_F(JobsTest, ReadReportsItsStatusAndTheMissingFiles)
{
    Add(Project(L"core", 4));
    Add(m_dir / L"ws\\gone1\\gone1.vcproj");
    Add(m_dir / L"ws\\gone2\\gone2.vcproj");
    m_plan->solutions.SetRead(0);  // as after loading the data file
    Recorder_cl r;
    EXPECT_EQ(RunReadJob(m_stores, m_plan, r), 2);
    EXPECT_EQ(r.clears, 1);
    ASSERT_EQ(r.statuses.size(), 2u);
    EXPECT_EQ(r.statuses[0], L"正在读取解决方案和工程......");
    EXPECT_EQ(r.statuses[1], L"2个工程文件不存在。");
    EXPECT_EQ(r.projectRefreshes, 1);
    EXPECT_EQ(r.historyRefreshes, 1);
    EXPECT_EQ(m_plan->rows.Count(), 3);

    Recorder_cl again;
    m_stores.projects.SetResult(m_plan->rows.First()->project, L"Debug|Win32", Compiled, L"");
    EXPECT_EQ(RunReadJob(m_stores, m_plan, again), 2);
    // The second read only refreshes: the row takes the stored result.
    EXPECT_EQ(m_plan->rows.First()->state, Compiled);
}

TEST_F(JobsTest, BuildLearnsTheOrderAndReachesTheEnd)
{
    Add(Project(L"app", 1, L"core.lib"));
    Add(Project(L"core", 4));
    Recorder_cl r;
    EXPECT_TRUE(Build(r));
    EXPECT_EQ(r.built, (std::vector<String_cl>{Built(L"app", LibraryDependency), Built(L"core", Compiled),
                                                Built(L"app", Compiled)}));
    ASSERT_EQ(r.statuses.size(), 4u);
    EXPECT_EQ(r.statuses[0], L"正在编译工程app......");
    EXPECT_EQ(r.statuses[1], L"正在编译工程core......");
    EXPECT_EQ(r.statuses.back(), L"");
    EXPECT_EQ(m_running, 0);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(Test_ns::FileExists(m_dir / L"编译日志\\正常\\app.log"));
}

TEST_F(JobsTest, StopOnErrorEndsTheWalkAndForfeitsTheEnd)
{
    Add(Project(L"a", 4));
    Add(Project(L"b", 4, L"", true));
    Add(Project(L"c", 4));
    Recorder_cl stop;
    stop.stopOnError = true;
    EXPECT_FALSE(Build(stop));
    EXPECT_EQ(stop.built, (std::vector<String_cl>{Built(L"a", Compiled), Built(L"b", CompileFailed)}));
    EXPECT_EQ(m_plan->rows.At(2)->state, Normal);

    // Switched off, the walk goes on past the failure and reaches the end.
    Recorder_cl keep;
    EXPECT_TRUE(Build(keep));
    EXPECT_EQ(keep.built, (std::vector<String_cl>{Built(L"b", CompileFailed), Built(L"c", Compiled)}));
    EXPECT_TRUE(Test_ns::FileExists(m_dir / L"编译日志\\错误\\b.log"));
}

TEST_F(JobsTest, StoppedBuildKeepsTheRestPending)
{
    Add(Project(L"a", 4));
    Add(Project(L"b", 4));
    Recorder_cl r;
    // Stop pressed before the job looked at the flag: the first row is still built.
    EXPECT_FALSE(Build(r, 0, false, 0));
    EXPECT_EQ(r.built, (std::vector<String_cl>{Built(L"a", Compiled)}));
    EXPECT_EQ(m_plan->rows.At(1)->state, Normal);
}

TEST_F(JobsTest, SingleRowIsBuiltWhateverItsStateAndOnlyIt)
{
    Add(Project(L"a", 4));
    Add(Project(L"b", 4));
    Recorder_cl first;
    ASSERT_TRUE(Build(first));
    Add(Project(L"c", 4));  // pending, after the two compiled rows

    Recorder_cl one;
    // A rebuild of the compiled first row: built again, and nothing after it;
    // the pending row behind it means the walk did not reach the end.
    EXPECT_FALSE(Build(one, m_plan->rows.First().Serial(), true, 0));
    EXPECT_EQ(one.built, (std::vector<String_cl>{Built(L"a", Compiled)}));
    EXPECT_EQ(m_plan->rows.At(2)->state, Normal);

    Recorder_cl last;
    // The last row: its build leaves nothing behind it, so the end is reached.
    EXPECT_TRUE(Build(last, m_plan->rows.At(2).Serial(), false, 0));
    EXPECT_EQ(last.built, (std::vector<String_cl>{Built(L"c", Compiled)}));

    Recorder_cl unknown;
    EXPECT_FALSE(Build(unknown, 9999, false, 0));
    EXPECT_EQ(unknown.errors.size(), 1u);
    EXPECT_TRUE(unknown.built.empty());
}

TEST_F(JobsTest, NothingPendingBuildsNothingAndDoesNotReachAnEnd)
{
    Add(Project(L"a", 4));
    Recorder_cl first;
    ASSERT_TRUE(Build(first));
    Recorder_cl r;
    EXPECT_FALSE(Build(r));
    EXPECT_TRUE(r.built.empty());
    EXPECT_EQ(r.statuses, (std::vector<String_cl>{L""}));
}

TEST_F(JobsTest, RebuildCleansEverySolutionThenBuilds)
{
    Add(Project(L"app", 1, L"core.lib"));
    Add(Project(L"core", 4));
    Recorder_cl first;
    ASSERT_TRUE(Build(first));

    Recorder_cl r;
    m_running = 1;
    EXPECT_TRUE(RunRebuildJob(m_stores, m_plan, m_vc, m_running, r));
    EXPECT_EQ(r.cleaned, (std::vector<String_cl>{L"app", L"core"}));
    EXPECT_EQ(r.statuses[0], L"正在清理解决方案app......");
    EXPECT_EQ(r.statuses[1], L"正在清理解决方案core......");
    // The learned order holds: the library first, no dependency detour.
    EXPECT_EQ(r.built, (std::vector<String_cl>{Built(L"core", Compiled), Built(L"app", Compiled)}));
}

TEST_F(JobsTest, RebuildStoppedDuringTheCleanDoesNotBuild)
{
    Add(Project(L"a", 4));
    Add(Project(L"b", 4));
    Recorder_cl r;
    r.stopAfterFirstClean = &m_running;
    m_running = 1;
    EXPECT_FALSE(RunRebuildJob(m_stores, m_plan, m_vc, m_running, r));
    EXPECT_EQ(r.cleaned, (std::vector<String_cl>{L"a"}));
    EXPECT_TRUE(r.built.empty());
    EXPECT_EQ(r.statuses.back(), L"");
}

TEST_F(JobsTest, ABuildThatLeavesNoLogIsAnErrorNotASuccess)
{
    Add(Project(L"a", 4));
    // A file where the log folder belongs: the log can never be written.
    ASSERT_TRUE(Test_ns::WriteBytes(m_dir / L"编译日志", "x"));
    Recorder_cl r;
    EXPECT_FALSE(Build(r));
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0], L"命令行编译VC工程失败。");
    EXPECT_EQ(m_plan->rows.First()->state, Normal);
    EXPECT_TRUE(Test_ns::FileExists(m_dir / L"Cmd.txt"));
    EXPECT_EQ(r.statuses.back(), L"");
}

TEST_F(JobsTest, AFailingEnvironmentScriptFailsTheRow)
{
    Add(Project(L"a", 4));
    m_vc = m_dir / L"no-such-vs\\";
    Recorder_cl r;
    Build(r);
    // Whatever the shell leaves behind, the row is never reported as built.
    if (r.errors.empty())
        EXPECT_EQ(r.built, (std::vector<String_cl>{Built(L"a", CompileFailed)}));
    else
        EXPECT_EQ(r.errors[0], L"命令行编译VC工程失败。");
}

TEST_F(JobsTest, EveryJobEndsOnceThroughTheEndHookAfterItsLastStatus)
{
    Add(Project(L"app", 1, L"core.lib"));
    Add(Project(L"core", 4));
    Recorder_cl read, build, clean, rebuild;
    RunReadJob(m_stores, m_plan, read);
    Build(build);
    m_running = 1;
    RunCleanJob(m_stores, m_plan, m_vc, m_running, clean);
    m_running = 1;
    RunRebuildJob(m_stores, m_plan, m_vc, m_running, rebuild);
    for (Recorder_cl* r : {&read, &build, &clean, &rebuild}) {
        ASSERT_EQ(r->ends.size(), 1u);
        EXPECT_EQ(r->statusesAtEnd, r->statuses.size()) << "nothing after the end hook";
        EXPECT_FALSE(r->ends[0].error);
    }
    EXPECT_EQ(read.ends[0].kind, JobRead);
    EXPECT_EQ(build.ends[0].kind, JobBuild);
    EXPECT_TRUE(build.ends[0].reachedEnd);
    EXPECT_EQ(clean.ends[0].kind, JobClean);
    EXPECT_FALSE(clean.ends[0].reachedEnd);
    // A rebuild ends as the build it handed over to.
    EXPECT_EQ(rebuild.ends[0].kind, JobBuild);
    EXPECT_TRUE(rebuild.ends[0].reachedEnd);
}

// A front end's failure that is not one of our errors (out of memory in a
// string) ends the job like any error: reported as a logged system error,
// the project file back under its name, the job ended, the process alive.
TEST_F(JobsTest, AnyExceptionEndsTheJobCleanlyAsASystemError)
{
    class Throwing_cl : public Recorder_cl {
    public:
        void RefreshProjects(uint32_t) override { throw std::bad_alloc(); }
    };
    const String_cl path = Project(L"a", 4);
    Add(path);
    Base_ns::SysError_cl::SetLogPath(m_dir / L"Error.log");
    Throwing_cl r;
    EXPECT_FALSE(Build(r));
    Base_ns::SysError_cl::SetLogPath(L"");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find(L"bad_alloc"), String_cl::npos) << r.errors[0].ToUtf8();
    ASSERT_EQ(r.ends.size(), 1u);
    EXPECT_TRUE(r.ends[0].error);
    EXPECT_FALSE(r.ends[0].reachedEnd);
    EXPECT_EQ(r.statuses.back(), L"");
    EXPECT_TRUE(Test_ns::FileExists(path));
    EXPECT_EQ(m_running, 0);
}

// The window's threading rule: while a build runs on its own thread, another
// thread reads the rows only inside the job's reports, which it answers
// synchronously (as a window answers a sent message), and otherwise works on
// the texts it copied then. Many rows, many refreshes: the copies always
// match the rows as they were, and the last copy the rows at the end.
TEST_F(JobsTest, RowsCopiedInsideSynchronousReportsWhileABuildRuns)
{
    class Handover_cl : public Recorder_cl {
    public:
        explicit Handover_cl(const Plan_st& plan) : m_plan(plan) {}
        // Runs on the job's thread and waits until the reader has copied.
        void RefreshProjects(uint32_t) override
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_request = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return !m_request; });
        }
        void Ended(const JobEnd_st& end) override
        {
            Recorder_cl::Ended(end);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_ended = true;
            m_changed.notify_all();
        }
        // The reader's loop: answers requests; between them reads its copy.
        void Serve()
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            while (!m_ended) {
                if (m_request) {
                    copy.clear();
                    for (MProjectId_cl row = m_plan.rows.First(); !row.IsEmpty(); row = row.Next())
                        copy.push_back(row->project->name + L":" + String_cl::FromInt(row->state));
                    ++copies;
                    m_request = false;
                    m_changed.notify_all();
                } else {
                    lock.unlock();
                    size_t built = 0;
                    for (int i = 0; i < 200; ++i)
                        for (const String_cl& text : copy) built += text.back() == L'2';
                    reads += built > 0 ? 1 : 0;
                    lock.lock();
                    m_changed.wait_for(lock, std::chrono::milliseconds(1));
                }
            }
        }
        std::vector<String_cl> copy;
        int copies = 0;
        int reads = 0;

    private:
        const Plan_st& m_plan;
        std::mutex m_mutex;
        std::condition_variable m_changed;
        bool m_request = false;
        bool m_ended = false;
    };

    // Listed consumers first, so the walk moves rows while the reader reads.
    for (int i = 0; i < 6; ++i)
        Add(Project(L"app" + String_cl::FromInt(i), 1, L"lib" + String_cl::FromInt(i) + L".lib"));
    for (int i = 0; i < 6; ++i) Add(Project(L"lib" + String_cl::FromInt(i), 4));
    Handover_cl h(*m_plan);
    BuildRequest_st req;
    req.vcDirectory = m_vc;
    m_running = 1;
    bool reached = false;
    std::thread job([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        reached = RunBuildJob(m_stores, m_plan, req, m_running, h);
        CoUninitialize();
    });
    h.Serve();
    job.join();
    EXPECT_TRUE(reached);
    EXPECT_EQ(h.copies, 18);  // 12 rows and 6 rebuilt after their library
    ASSERT_EQ(h.copy.size(), 12u);
    for (const String_cl& text : h.copy) EXPECT_TRUE(text.EndsWith(L":2")) << text.ToUtf8();
    EXPECT_GT(h.reads, 0);
}

// As soon as a front end hears that a job ended it may close (the stores are
// emptied) or delete the plan: neither the job, nor its recorder, nor the
// thread it ran on may still hold the plan then.
TEST_F(JobsTest, ThePlanIsLetGoBeforeTheEndIsReported)
{
    class Deleting_cl : public Recorder_cl {
    public:
        explicit Deleting_cl(Stores_cl& stores) : m_stores(stores) {}
        void Ended(const JobEnd_st& end) override
        {
            Recorder_cl::Ended(end);
            PlanId_cl plan = m_stores.plans.FindPlan(L"p");
            try {
                DeletePlan(m_stores, plan);
            } catch (const Base_ns::Error_cl& e) {
                errors.push_back(e.Text());
            }
        }

    private:
        Stores_cl& m_stores;
    };
    const String_cl core = Project(L"core", 4);
    for (JobKind kind : {JobBuild, JobRead}) {
        if (m_plan.IsEmpty()) m_plan = m_stores.plans.AddPlan(L"p", L"Debug|Win32");
        Add(core);
        JobOrder_st order;
        order.kind = kind;
        order.plan = m_plan;
        order.request.vcDirectory = m_vc;
        m_plan.Reset();
        Deleting_cl r(m_stores);
        m_running = 1;
        if (kind == JobBuild) {
            RunRecord_st record;
            RunJob(m_stores, order, m_running, r, &record);
            EXPECT_EQ(record.rows.size(), 1u);
        } else {
            StartJobThread(m_stores, order, m_running, r).join();
        }
        EXPECT_TRUE(r.errors.empty()) << r.errors[0].ToUtf8();
        EXPECT_EQ(r.ends.size(), 1u);
        EXPECT_TRUE(m_stores.plans.FindPlan(L"p").IsEmpty()) << kind;
    }
}

TEST(VcDirectoryTest, NormalisesSeparatorsAndChecksTheScript)
{
    EXPECT_EQ(NormalizeVcDirectory(L"C:/VS9/"), L"C:\\VS9\\");
    EXPECT_EQ(NormalizeVcDirectory(L"C:/VS9"), L"C:\\VS9\\");
    try {
        NormalizeVcDirectory(L"");
        ADD_FAILURE() << "an empty folder was accepted";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Text(), L"没有设置VC安装目录。");
    }
    EXPECT_NO_THROW(CheckVcDirectory(Test_ns::StandinDir(L"en")));
    Test_ns::TempDir_cl dir;
    try {
        CheckVcDirectory(dir.Path());
        ADD_FAILURE() << "a folder without VC\\vcvarsall.bat was accepted";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Text(), L"VC安装目录是错误的。");
        EXPECT_EQ(e.ClassName(), L"CQuorvaneDlg");
    }
}

TEST(ShutdownTest, TheRunnerReplacesTheRealCommand)
{
    int calls = 0;
    SetShutdownRunner([&] { ++calls; });
    RunShutdownCommand();
    SetShutdownRunner(nullptr);
    EXPECT_EQ(calls, 1);
}

// The shutdown is the system's own program: one of the same name in the
// program's folder or in the current folder is never run instead. A
// recording stand-in waits in each of the three places; Wine's overrides
// make the one in the system folder run instead of Wine's builtin.
TEST(ShutdownTest, TheSystemsShutdownRunsNotOneBesideTheProgramOrHere)
{
    Test_ns::TempDir_cl here;
    const String_cl places[] = {Base_ns::SystemFolder(), Test_ns::ExeDirectory(), here.Path()};
    const String_cl builtin = here / L"builtin-shutdown.exe";
    const String_cl standin = Test_ns::ExeDirectory() + L"..\\tools\\shutdown.exe";
    ASSERT_TRUE(CopyFileW((places[0] + L"shutdown.exe").c_str(), builtin.c_str(), FALSE));
    for (const String_cl& folder : places)
        EXPECT_TRUE(CopyFileW(standin.c_str(), (folder + L"shutdown.exe").c_str(), FALSE)) << folder.ToUtf8();
    const wchar_t overrides[] = L"Software\\Wine\\DllOverrides", native[] = L"native";
    RegSetKeyValueW(HKEY_CURRENT_USER, overrides, L"shutdown.exe", REG_SZ, native, sizeof native);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(here.Path().c_str());
    RunShutdownCommand();
    // Started, not waited for: whichever ran writes its record shortly.
    const std::vector<std::string> none(3);
    std::vector<std::string> records = none;
    for (int i = 0; i < 200 && records == none; ++i) {
        Sleep(50);
        for (int p = 0; p < 3; ++p) records[p] = Test_ns::ReadBytes(places[p] + L"shutdown.txt");
    }
    SetCurrentDirectoryW(previous);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, overrides, L"shutdown.exe");
    CopyFileW(builtin.c_str(), (places[0] + L"shutdown.exe").c_str(), FALSE);
    DeleteFileW((places[1] + L"shutdown.exe").c_str());
    for (const String_cl& folder : places) DeleteFileW((folder + L"shutdown.txt").c_str());
    EXPECT_EQ(records, (std::vector<std::string>{"-f -s -t 300\r\n", "", ""}));
}

// The one rule for a list of plans, on the console and on the window's
// command line: names between commas, one comma at the end harmless, an
// empty name anywhere else a typing error that refuses the whole list.
TEST(PlanListTest, AnEmptyNameRefusesTheListAndOneCommaAtTheEndIsHarmless)
{
    const struct {
        const wchar_t* list;
        std::vector<String_cl> names;  // empty: refused
    } lists[] = {
        {L"A", {L"A"}},
        {L"A,", {L"A"}},
        {L"A,B", {L"A", L"B"}},
        {L"方案1,方案2,", {L"方案1", L"方案2"}},
        {L"A,,B", {}},
        {L",A", {}},
        {L"A,,", {}},
        {L",", {}},
        {L"", {}},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(String_cl(l.list).ToUtf8());
        try {
            EXPECT_EQ(SplitPlanList(l.list), l.names);
            EXPECT_FALSE(l.names.empty()) << "accepted";
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_TRUE(l.names.empty()) << "refused";
            EXPECT_EQ(e.Code(), 106);
            EXPECT_EQ(e.Note(), String_cl(l.list));
        }
    }
}

TEST(StatusTextTest, TextsOfTheJobs)
{
    EXPECT_EQ(BuildingStatusText(L"核心"), L"正在编译工程核心......");
    EXPECT_EQ(CleaningStatusText(L"C:\\a\\b.c\\演示.sln"), L"正在清理解决方案演示......");
    EXPECT_EQ(MissingFilesStatusText(0), L"");
    EXPECT_EQ(MissingFilesStatusText(12), L"12个工程文件不存在。");
}

// One at a time, the time left is the kept times of the rows not finished;
// each build keeps its own time, and an up-to-date build keeps the one before.
TEST_F(JobsTest, ProgressCountsTheRowsAndTheTimeLeftComesFromKeptTimes)
{
    const String_cl core = Project(L"core", 4), util = Project(L"util", 4), app = Project(L"app", 1, L"core.lib util.lib");
    for (const String_cl& p : {core, util, app}) Add(p);
    m_stores.times.Record(core, L"Debug|Win32", 120);
    m_stores.times.Record(util, L"Debug|Win32", 60);
    m_stores.times.Record(app, L"Debug|Win32", 90);
    Recorder_cl r;
    EXPECT_TRUE(Build(r));
    EXPECT_EQ(r.progress, (std::vector<String_cl>{L"正在编译工程core......（0/3，剩余约5分钟）",
                                                   L"正在编译工程util......（1/3，剩余约3分钟）",
                                                   L"正在编译工程app......（2/3，剩余约2分钟）"}));
    EXPECT_EQ(r.statuses.front(), L"正在编译工程core......") << "the status without the count, as before";
    const double built = m_stores.times.Seconds(core, L"Debug|Win32");
    EXPECT_GT(built, 0);
    EXPECT_LT(built, 60) << "the build's own time replaces the kept one";

    Recorder_cl again;
    for (MProjectId_cl row = m_plan->rows.First(); !row.IsEmpty(); row = row.Next()) row->state = Normal;
    EXPECT_TRUE(Build(again));
    EXPECT_EQ(m_stores.times.Seconds(core, L"Debug|Win32"), built) << "up to date says nothing of a build's time";

    EXPECT_EQ(TimeLeftText(59), L"剩余不到1分钟");
    EXPECT_EQ(TimeLeftText(3725), L"剩余约1小时2分钟");
    EXPECT_EQ(TimeLeftText(7190), L"剩余约2小时");
}
