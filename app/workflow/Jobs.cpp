#include "app/workflow/Jobs.h"
#include "common/base/ComScope.h"
#include <windows.h>
#include <objbase.h>
#include <memory>
#include <mutex>
#include <optional>
#include "app/engine/MProjectPack.h"
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "app/engine/RowBuild.h"
#include "app/engine/RowScheduler.h"
#include "app/engine/VcInstallation.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"
#include "app/workflow/BuildProgress.h"
#include "app/workflow/HtmlReport.h"
#include "app/workflow/ParallelWalk.h"
#include "app/workflow/RunRecorder.h"
#include "common/base/Path.h"
#include "common/sysinfo/SimulateInput.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

namespace {

std::mutex g_shutdownMutex;
std::function<void()> g_shutdownRunner;

void MarkPlanChanged(Stores_cl& stores, const PlanId_cl& plan)
{
    stores.plans.MarkModified(plan);
}

// One row through the row build; leaves row on the next row to build.
int BuildStep(Stores_cl& stores, Plan_st& plan, const PlanId_cl& planId, MProjectId_cl& row,
              const String_cl& vcDirectory, bool rebuild)
{
    String_cl failed = LogRoot() + L"错误\\";
    String_cl good = LogRoot() + L"正常\\";
    MarkPlanChanged(stores, planId);
    return CompileProject(stores.sequences, failed, plan.rows, row, stores.projects, good,
                          vcDirectory, rebuild);
}

} // namespace

String_cl BuildingStatusText(const String_cl& projectName)
{
    return L"正在编译工程" + projectName + L"......";
}

String_cl BuildingStatusText(const std::vector<String_cl>& projectNames)
{
    String_cl names;
    for (const String_cl& name : projectNames) names += (names.empty() ? L"" : L", ") + name;
    return BuildingStatusText(names);
}

int ParseJobs(const String_cl& text)
{
    if (text.empty() || text.size() > 2) return 0;
    int n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        n = n * 10 + (c - L'0');
    }
    if (n == 0) return LogicalProcessors();
    return n <= kMaxJobs ? n : 0;
}

int LogicalProcessors()
{
    const DWORD count = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    if (count < 1) return 1;
    return count > static_cast<DWORD>(kMaxJobs) ? kMaxJobs : static_cast<int>(count);
}

String_cl CleaningStatusText(const String_cl& solutionPath)
{
    return L"正在清理解决方案" + GetFileTitle(solutionPath) + L"......";
}

String_cl ReadingStatusText() { return L"正在读取解决方案和工程......"; }

String_cl MissingFilesStatusText(int missing)
{
    if (missing < 1) return String_cl();
    return String_cl::FromInt(missing) + L"个工程文件不存在。";
}

namespace {

// Reports what a job's catch caught: an Error_cl as itself, anything else
// (std::bad_alloc, a library's own exception) as a system error, so that no
// exception ends the program with a project file still renamed.
void ReportCurrentException(JobReporter_cl& reporter, int line)
{
    try {
        if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
    } catch (const Base_ns::Error_cl& e) {
        reporter.ShowError(e);
    } catch (...) {
        reporter.ShowError(Base_ns::UnexpectedError(L"Jobs", line));
    }
}

// The last calls of a job; a front end that fails here must not take the
// job's thread down with it.
void EndJob(JobReporter_cl& reporter, const JobEnd_st& end)
{
    try {
        reporter.Status(end.kind == JobRead ? MissingFilesStatusText(end.missing) : String_cl());
        reporter.Ended(end);
    } catch (...) {
    }
}

// A plan builds with one installation: a project file whose builder era
// differs (a ".vcxproj" given Visual Studio 2005/2008, a ".vcproj" given a
// later one, which would want to convert it) is reported before anything is
// cleaned or built. False then.
bool InstallationFits(const PlanId_cl& planId, const String_cl& vcDirectory, JobReporter_cl& reporter)
{
    try {
        const VcInstallation_cl installation(vcDirectory);
        const Plan_st& plan = planId.Data();
        // A row whose project file cannot be read is never built.
        for (MProjectId_cl row = plan.rows.First(); !row.IsEmpty(); row = row.Next())
            if (!row->configuration.IsEmpty() && UnreadableReason(*row).IsEmpty())
                installation.CheckProjectFile(row->project->path);
        return true;
    } catch (...) {
        ReportCurrentException(reporter, __LINE__);
        return false;
    }
}

// The build walk without its ending; the rebuild runs it after its clean.
bool BuildWalk(Stores_cl& stores, const PlanId_cl& planId, const BuildRequest_st& request,
               std::atomic<int>& running, JobReporter_cl& reporter, bool& error)
{
    Base_ns::ComScope_cl com;
    try {
        // Rows rebuilt one by one go one at a time: a project of a solution
        // rebuilt alone has a copy of the solution in its place meanwhile.
        if ((request.jobs > 1 || !request.only.empty()) && request.singleRow == 0 && !request.rebuildEach)
            return ParallelBuildWalk(stores, planId, request, running, reporter);
        Plan_st& plan = planId.Data();
        // The rows a row's run would build go before it: it then finds them
        // built, or fails as their knock-on failure without building them.
        if (request.singleRow == 0) PutReachFirst(plan.rows, stores.sequences);
        MProjectId_cl row = request.singleRow != 0
                                ? MProjectId_cl(plan.rows.FromSerial(request.singleRow))
                                : FirstPending(plan.rows);
        // With nothing to build the walk never started, so it did not reach
        // an end either: no shutdown follows an empty build.
        if (row.IsEmpty()) return false;
        // One at a time, what is left is the sum of the rows not finished.
        std::vector<uint32_t> todo;
        if (request.singleRow != 0) todo.push_back(row.Serial());
        for (MProjectId_cl r = plan.rows.First(); request.singleRow == 0 && !r.IsEmpty(); r = r.Next())
            if (IsPending(r->state) && !r->configuration.IsEmpty()) todo.push_back(r.Serial());
        RowWeights_cl weights(plan.rows, todo, stores.times);
        WalkProgress_cl progress(stores.times, static_cast<int>(todo.size()));
        auto left = [&] {
            double sum = 0;
            for (uint32_t key : todo)
                if (!progress.Finished(key)) sum += weights.Of(key);
            return weights.AnyKnown() ? sum : -1.0;
        };
        BuildPlan_st expected;
        expected.seconds = left();
        reporter.BuildPlanned(expected);
        // The first row is always built: that is what makes a single-row
        // request (started with running cleared) build exactly one row.
        while (!row.IsEmpty()) {
            reporter.Progress(progress.Report({row->project->name}, left()));
            reporter.RowStarted(plan, *row, 0);
            MProjectId_cl built = row;
            const double start = SteadySeconds();
            int ok = BuildStep(stores, plan, planId, row, request.vcDirectory, request.rebuildEach);
            // Not built at all: no time to keep.
            const bool unbuilt = FailedUnbuilt(*built);
            if (unbuilt) progress.Unbuilt(built);
            const double took = unbuilt ? -1 : progress.Built(built, SteadySeconds() - start);
            if (took >= 0) weights.Took(built.Serial(), took);
            LearnFromRowBuild(built, plan.rows, stores.projects, stores.links);
            reporter.RowBuilt(plan, *built, ok);
            reporter.RefreshProjects(planId.Serial());
            reporter.RefreshHistory();
            if (ok == 0 && reporter.StopOnError()) running = 0;
            if (running == 0) break;
        }
        return row.IsEmpty();
    } catch (...) {
        ReportCurrentException(reporter, __LINE__);
        error = true;
        return false;
    }
}

bool CleanWalk(Stores_cl& stores, const PlanId_cl& planId, const String_cl& vcDirectory,
               std::atomic<int>& running, JobReporter_cl& reporter)
{
    try {
        Plan_st& plan = planId.Data();
        for (SolutionId_cl s = plan.solutions.First(); !s.IsEmpty();) {
            // A solution file the read could not take (and said so) builds no
            // row: cleaning it would only throw away outputs nothing rebuilds.
            if (!s->unreadable.empty()) {
                s = s.Next();
                continue;
            }
            reporter.Status(CleaningStatusText(s->path));
            MarkPlanChanged(stores, planId);
            plan.solutions.CleanSolution(s, plan.rows, stores.projects, plan.configuration,
                                         vcDirectory);
            reporter.SolutionCleaned(plan, s->path);
            reporter.RefreshProjects(planId.Serial());
            s = s.Next();
            if (running == 0) break;
        }
    } catch (...) {
        ReportCurrentException(reporter, __LINE__);
        return false;
    }
    return true;
}

// The jobs without their ending: what EndJob reports.
JobEnd_st ReadPlan(Stores_cl& stores, const PlanId_cl& planId, JobReporter_cl& reporter)
{
    JobEnd_st end;
    end.kind = JobRead;
    try {
        reporter.Status(ReadingStatusText());
        reporter.ClearProjects();
        Base_ns::ComScope_cl com;
        Plan_st& plan = planId.Data();
        MarkPlanChanged(stores, planId);
        // A solution file that cannot be read is reported, named; the
        // plan's other solutions are read and their rows built all the same.
        std::vector<std::exception_ptr> refused;
        plan.solutions.ReadSolutions(plan.configuration, plan.rows, stores.projects,
                                     stores.sequences, &refused);
        for (const std::exception_ptr& error : refused) {
            try {
                std::rethrow_exception(error);
            } catch (...) {
                ReportCurrentException(reporter, __LINE__);
            }
        }
        reporter.RefreshProjects(planId.Serial());
        reporter.RefreshHistory();
        end.missing = CountNotExist(plan.rows);
    } catch (...) {
        ReportCurrentException(reporter, __LINE__);
        end.error = true;
        end.missing = 0;
    }
    return end;
}

JobEnd_st BuildPlan(Stores_cl& stores, const PlanId_cl& planId, const BuildRequest_st& request,
                    std::atomic<int>& running, JobReporter_cl& reporter)
{
    JobEnd_st end;
    end.kind = JobBuild;
    if (InstallationFits(planId, request.vcDirectory, reporter))
        end.reachedEnd = BuildWalk(stores, planId, request, running, reporter, end.error);
    else
        end.error = true;
    return end;
}

JobEnd_st CleanPlan(Stores_cl& stores, const PlanId_cl& planId, const String_cl& vcDirectory,
                    std::atomic<int>& running, JobReporter_cl& reporter)
{
    JobEnd_st end;
    end.kind = JobClean;
    end.error = !InstallationFits(planId, vcDirectory, reporter) ||
                !CleanWalk(stores, planId, vcDirectory, running, reporter);
    return end;
}

JobEnd_st RebuildPlan(Stores_cl& stores, const PlanId_cl& plan, const String_cl& vcDirectory,
                      std::atomic<int>& running, JobReporter_cl& reporter, int jobs)
{
    JobEnd_st end;
    end.kind = JobRebuild;
    // A clean that failed still hands over to the build while running is set.
    const bool fits = InstallationFits(plan, vcDirectory, reporter);
    end.error = !fits || !CleanWalk(stores, plan, vcDirectory, running, reporter);
    if (fits && running != 0) {
        try {
            reporter.BuildPhaseStarted();
        } catch (...) {
        }
        end.kind = JobBuild;
        BuildRequest_st request;
        request.vcDirectory = vcDirectory;
        request.jobs = jobs;
        bool buildError = false;
        end.reachedEnd = BuildWalk(stores, plan, request, running, reporter, buildError);
        end.error = buildError;
    }
    return end;
}

JobEnd_st OrderedJob(Stores_cl& stores, const JobOrder_st& order, std::atomic<int>& running,
                     JobReporter_cl& reporter)
{
    switch (order.kind) {
    case JobRead: return ReadPlan(stores, order.plan, reporter);
    case JobClean: return CleanPlan(stores, order.plan, order.request.vcDirectory, running, reporter);
    case JobRebuild:
        return RebuildPlan(stores, order.plan, order.request.vcDirectory, running, reporter, order.request.jobs);
    default: return BuildPlan(stores, order.plan, order.request, running, reporter);
    }
}

} // namespace

int RunReadJob(Stores_cl& stores, const PlanId_cl& planId, JobReporter_cl& reporter)
{
    const JobEnd_st end = ReadPlan(stores, planId, reporter);
    EndJob(reporter, end);
    return end.missing;
}

bool RunBuildJob(Stores_cl& stores, const PlanId_cl& planId, const BuildRequest_st& request,
                 std::atomic<int>& running, JobReporter_cl& reporter)
{
    const JobEnd_st end = BuildPlan(stores, planId, request, running, reporter);
    running = 0;
    EndJob(reporter, end);
    return end.reachedEnd;
}

bool RunCleanJob(Stores_cl& stores, const PlanId_cl& planId, const String_cl& vcDirectory,
                 std::atomic<int>& running, JobReporter_cl& reporter)
{
    const JobEnd_st end = CleanPlan(stores, planId, vcDirectory, running, reporter);
    running = 0;
    EndJob(reporter, end);
    return !end.error;
}

bool RunRebuildJob(Stores_cl& stores, const PlanId_cl& plan, const String_cl& vcDirectory,
                   std::atomic<int>& running, JobReporter_cl& reporter, int jobs)
{
    const JobEnd_st end = RebuildPlan(stores, plan, vcDirectory, running, reporter, jobs);
    running = 0;
    EndJob(reporter, end);
    return end.reachedEnd;
}

JobEnd_st RunJob(Stores_cl& stores, JobOrder_st& order, std::atomic<int>& running, JobReporter_cl& reporter,
                 RunRecord_st* record)
{
    JobEnd_st end;
    end.kind = order.kind;
    std::optional<RunRecorder_cl> recorder;
    JobReporter_cl* target = &reporter;
    try {
        if (order.kind == JobBuild || order.kind == JobRebuild) {
            recorder.emplace(reporter, order.plan, order.kind, order.request.singleRow);
            recorder->OnFinished(WriteHtmlReport);
            target = &*recorder;
        }
        end = OrderedJob(stores, order, running, *target);
    } catch (...) {
        ReportCurrentException(*target, __LINE__);
        end.error = true;
    }
    if (order.kind != JobRead) running = 0;
    order.plan.Reset();
    EndJob(*target, end);
    if (record && recorder) *record = recorder->Record();
    return end;
}

std::thread StartJobThread(Stores_cl& stores, JobOrder_st& order, std::atomic<int>& running,
                           JobReporter_cl& reporter)
{
    // The caller lets go of the plan before the thread can start, so that
    // the job's end never comes while the caller still holds it.
    auto taken = std::make_shared<JobOrder_st>(order);
    order.plan.Reset();
    return std::thread([&stores, &running, &reporter, taken] {
        try {
            Base_ns::ComScope_cl com;
            RunJob(stores, *taken, running, reporter);
        } catch (...) {
            // RunJob reports and ends its job whatever happens; an exception
            // here could not be reported anywhere, and must not end the program.
        }
    });
}

bool IsSolutionOrProjectFile(const String_cl& path)
{
    return HasExtension(path, L"sln") || IsVcProjectFile(path);
}

std::vector<AddOutcome_st> AddFilesToPlan(Stores_cl& stores, const PlanId_cl& planId,
                                          const std::vector<String_cl>& paths)
{
    std::vector<AddOutcome_st> outcomes;
    Plan_st& plan = planId.Data();
    for (const String_cl& path : paths) {
        AddOutcome_st o;
        o.path = path;
        const DWORD a = GetFileAttributesW(path.c_str());
        if (!IsSolutionOrProjectFile(path)) {
            o.kind = AddOutcome_st::NotSolutionFile;
        } else if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) {
            o.kind = AddOutcome_st::Missing;
        } else {
            try {
                const int before = plan.solutions.Count();
                MarkPlanChanged(stores, planId);
                plan.solutions.AddSolution(path, plan.configuration, plan.rows, stores.projects,
                                           stores.sequences);
                o.kind = plan.solutions.Count() > before ? AddOutcome_st::Added
                                                         : AddOutcome_st::AlreadyInPlan;
            } catch (Base_ns::Error_cl& e) {
                e.AppendNote(L"文件：" + path);
                if (e.IsSystemError()) throw;
                o.kind = AddOutcome_st::Refused;
                o.error = std::current_exception();
            }
        }
        outcomes.push_back(o);
    }
    return outcomes;
}

void SetShutdownRunner(std::function<void()> runner)
{
    std::lock_guard<std::mutex> lock(g_shutdownMutex);
    g_shutdownRunner = std::move(runner);
}

void RunShutdownCommand()
{
    std::function<void()> runner;
    {
        std::lock_guard<std::mutex> lock(g_shutdownMutex);
        runner = g_shutdownRunner;
    }
    if (runner) {
        runner();
        return;
    }
    SystemInfo_ns::SimulateInput_cl::StartProgram(Base_ns::SystemFolder() + L"shutdown.exe", L"-f -s -t 300",
                                                  SW_HIDE);
}

} // namespace Quorvane_ns
