#include "app/workflow/Jobs.h"
#include "common/base/ComScope.h"
#include <windows.h>
#include <objbase.h>
#include <mutex>
#include "app/engine/MProjectPack.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"

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

int RunReadJob(Stores_cl& stores, const PlanId_cl& planId, JobReporter_cl& reporter)
{
    reporter.Status(ReadingStatusText());
    reporter.ClearProjects();
    int missing = 0;
    {
        Base_ns::ComScope_cl com;
        try {
            Plan_st& plan = planId.Data();
            MarkPlanChanged(stores, planId);
            plan.solutions.ReadSolutions(plan.configuration, plan.rows, stores.projects,
                                         stores.sequences);
            reporter.RefreshProjects(planId.Serial());
            reporter.RefreshHistory();
            missing = CountNotExist(plan.rows);
        } catch (const Base_ns::Error_cl& e) {
            reporter.ShowError(e);
            missing = 0;
        }
    }
    reporter.Status(MissingFilesStatusText(missing));
    return missing;
}

bool RunBuildJob(Stores_cl& stores, const PlanId_cl& planId, const BuildRequest_st& request,
                 std::atomic<int>& running, JobReporter_cl& reporter)
{
    Base_ns::ComScope_cl com;
    bool reachedEnd = false;
    try {
        Plan_st& plan = planId.Data();
        MProjectId_cl row = request.singleRow != 0
                                ? MProjectId_cl(plan.rows.FromSerial(request.singleRow))
                                : FirstPending(plan.rows);
        // With nothing to build the walk never started, so it did not reach
        // an end either: no shutdown follows an empty build.
        if (row.IsEmpty()) {
            running = 0;
            reporter.Status(String_cl());
            return false;
        }
        // The first row is always built: that is what makes a single-row
        // request (started with running cleared) build exactly one row.
        while (!row.IsEmpty()) {
            reporter.Status(BuildingStatusText(row->project->name));
            MProjectId_cl built = row;
            int ok = BuildStep(stores, plan, planId, row, request.vcDirectory, request.rebuildEach);
            reporter.RowBuilt(plan, *built, ok);
            reporter.RefreshProjects(planId.Serial());
            reporter.RefreshHistory();
            if (ok == 0 && reporter.StopOnError()) running = 0;
            if (running == 0) break;
        }
        reachedEnd = row.IsEmpty();
    } catch (const Base_ns::Error_cl& e) {
        reporter.ShowError(e);
        reachedEnd = false;
    }
    running = 0;
    reporter.Status(String_cl());
    return reachedEnd;
}

bool RunCleanJob(Stores_cl& stores, const PlanId_cl& planId, const String_cl& vcDirectory,
                 std::atomic<int>& running, JobReporter_cl& reporter)
{
    try {
        Plan_st& plan = planId.Data();
        for (SolutionId_cl s = plan.solutions.First(); !s.IsEmpty();) {
            reporter.Status(CleaningStatusText(s->path));
            MarkPlanChanged(stores, planId);
            plan.solutions.CleanSolution(s, plan.rows, stores.projects, plan.configuration,
                                         vcDirectory);
            reporter.SolutionCleaned(plan, s->path);
            reporter.RefreshProjects(planId.Serial());
            s = s.Next();
            if (running == 0) break;
        }
    } catch (const Base_ns::Error_cl& e) {
        reporter.ShowError(e);
        return false;
    }
    return true;
}

bool RunRebuildJob(Stores_cl& stores, const PlanId_cl& plan, const String_cl& vcDirectory,
                   std::atomic<int>& running, JobReporter_cl& reporter)
{
    RunCleanJob(stores, plan, vcDirectory, running, reporter);
    if (running == 0) {
        reporter.Status(String_cl());
        return false;
    }
    BuildRequest_st request;
    request.vcDirectory = vcDirectory;
    return RunBuildJob(stores, plan, request, running, reporter);
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
    WinExec("shutdown -f -s -t 300", SW_HIDE);
}

} // namespace Quorvane_ns
