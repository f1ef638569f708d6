#include "app/workflow/ParallelWalk.h"
#include <exception>
#include <map>
#include <memory>
#include <vector>
#include "app/engine/RowScheduler.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/workflow/BuildLanes.h"
#include "app/workflow/BuildProgress.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {

namespace {

int Restricted(RowScheduler_cl& scheduler, const BuildRequest_st& request)
{
    if (!request.only.empty()) scheduler.Restrict(request.only);
    return scheduler.Total();
}

class Walk_cl {
public:
    Walk_cl(Stores_cl& stores, const PlanId_cl& planId, const BuildRequest_st& request, std::atomic<int>& running,
            JobReporter_cl& reporter)
        : m_stores(stores), m_planId(planId), m_plan(planId.Data()), m_request(request), m_running(running),
          m_reporter(reporter),
          m_scheduler(m_plan.rows, stores.projects, stores.links, stores.times, DeclaredDependencies(m_plan.solutions)),
          m_builds(request.jobs > 0 ? request.jobs : 1), m_lanes(request.jobs),
          m_progress(stores.times, Restricted(m_scheduler, request))
    {
    }

    bool Run()
    {
        // With nothing to build the walk never started, so it did not reach
        // an end either: no shutdown follows an empty build.
        if (m_scheduler.Done()) return false;
        BuildPlan_st expected;
        expected.lanes = static_cast<int>(m_builds.size());
        expected.seconds = m_scheduler.SecondsLeft(expected.lanes, {});
        expected.criticalPath = m_scheduler.CriticalPath();
        m_reporter.BuildPlanned(expected);
        for (;;) {
            if (!m_error && m_running != 0) StartWhatMayStart();
            try {
                ShowRunning();
            } catch (...) {
                Remember(std::current_exception());
            }
            if (!m_lanes.AnyBusy()) break;
            EndNextBuild();
        }
        try {
            // What the builds side by side showed (or the project files say)
            // is what the next one-at-a-time build, the batch file and the
            // history page go by.
            m_scheduler.PutProvidersFirst(m_stores.sequences);
            m_reporter.RefreshProjects(m_planId.Serial());
            m_reporter.RefreshHistory();
        } catch (...) {
            Remember(std::current_exception());
        }
        if (m_error) std::rethrow_exception(m_error);
        return m_scheduler.Done();
    }

private:
    void StartWhatMayStart()
    {
        for (int lane = m_lanes.FreeLane(); lane >= 0 && m_running != 0; lane = m_lanes.FreeLane()) {
            const MProjectId_cl row = m_scheduler.NextToStart();
            if (row.IsEmpty()) return;
            if (FailWithoutBuild(row, m_plan.rows)) {
                Unbuilt(row, lane);
                continue;
            }
            if (const uint32_t cause = m_scheduler.FailedDependency(row)) {
                if (!KnockOn(row, cause)) return;
                Unbuilt(row, lane);
                continue;
            }
            m_scheduler.Started(row);
            try {
                ShowRunning();
                m_reporter.RowStarted(m_plan, *row, lane);
                m_stores.plans.MarkModified(m_planId);
                m_builds[lane] = std::make_unique<RowBuild_cl>(row, m_plan.rows, m_stores.projects, GoodLogDirectory(),
                                                               m_request.vcDirectory, m_request.rebuildEach, true,
                                                               m_scheduler.BuildsAlone(row.Serial()));
                m_lanes.Start(lane, m_builds[lane]->Command());
            } catch (...) {
                // The project file goes back at once; the builds that run end first.
                m_builds[lane].reset();
                m_scheduler.Abandoned(row);
                Remember(std::current_exception());
                return;
            }
        }
    }

    // A row whose run would build a row that failed is not started: it
    // fails at once as that row's knock-on failure. False after an error.
    bool KnockOn(const MProjectId_cl& row, uint32_t cause)
    {
        try {
            m_plan.rows.MarkModified(row);
            RowBuild_cl::ConcludeUnbuilt(row, cause, GoodLogDirectory(), FailedLogDirectory(), m_stores.projects);
            return true;
        } catch (...) {
            m_scheduler.Abandoned(row);
            Remember(std::current_exception());
            return false;
        }
    }

    // A row that fails without a build (its project file cannot be read, or
    // its run would build a row that failed) is reported as one that started
    // and ended at once on the lane; it took no time to keep.
    void Unbuilt(const MProjectId_cl& row, int lane)
    {
        m_scheduler.Abandoned(row);
        try {
            m_stores.plans.MarkModified(m_planId);
            m_progress.Unbuilt(row);
            m_reporter.RowStarted(m_plan, *row, lane);
            m_reporter.RowBuilt(m_plan, *row, 0);
            m_reporter.RefreshProjects(m_planId.Serial());
            if (m_reporter.StopOnError()) m_running = 0;
        } catch (...) {
            Remember(std::current_exception());
        }
    }

    void EndNextBuild()
    {
        const int lane = m_lanes.WaitForEnd();
        std::unique_ptr<RowBuild_cl> build = std::move(m_builds[lane]);
        const MProjectId_cl row = build->Row();
        try {
            const LogResult_st result = build->Finish(m_plan.rows);
            m_stores.plans.MarkModified(m_planId);
            const int32_t state = m_scheduler.Ended(row, result, m_stores.sequences);
            build->Conclude(state, FailedLogDirectory(), m_stores.projects);
            build.reset();
            const double took = m_progress.Built(row, m_lanes.Seconds(lane));
            if (took >= 0) m_scheduler.Took(row, took);
            const int ok = state != CompileFailed ? 1 : 0;
            m_reporter.RowBuilt(m_plan, *row, ok);
            m_reporter.RefreshProjects(m_planId.Serial());
            m_reporter.RefreshHistory();
            if (ok == 0 && m_reporter.StopOnError()) m_running = 0;
        } catch (...) {
            build.reset();
            m_scheduler.Abandoned(row);
            Remember(std::current_exception());
        }
    }

    // The status line names every row being built, with the count and the
    // time left, once per change.
    void ShowRunning()
    {
        std::vector<String_cl> names;
        std::map<uint32_t, double> elapsed;
        for (const MProjectId_cl& row : m_scheduler.Running()) names.push_back(row->project->name);
        if (names.empty()) return;
        for (size_t lane = 0; lane < m_builds.size(); ++lane)
            if (m_builds[lane]) elapsed[m_builds[lane]->Row().Serial()] = m_lanes.Seconds(static_cast<int>(lane));
        const BuildProgress_st progress =
            m_progress.Report(names, m_scheduler.SecondsLeft(static_cast<int>(m_builds.size()), elapsed));
        if (progress.text == m_shown) return;
        m_shown = progress.text;
        m_reporter.Progress(progress);
    }

    // The first error is the one reported; nothing new starts after it.
    void Remember(std::exception_ptr error)
    {
        if (!m_error) m_error = error;
    }

    Stores_cl& m_stores;
    const PlanId_cl& m_planId;
    Plan_st& m_plan;
    const BuildRequest_st& m_request;
    std::atomic<int>& m_running;
    JobReporter_cl& m_reporter;
    RowScheduler_cl m_scheduler;
    std::vector<std::unique_ptr<RowBuild_cl>> m_builds;  // by lane
    BuildLanes_cl m_lanes;  // after m_builds: its end waits for the builds before their files go back
    WalkProgress_cl m_progress;
    std::exception_ptr m_error;
    String_cl m_shown;
};

} // namespace

bool ParallelBuildWalk(Stores_cl& stores, const PlanId_cl& plan, const BuildRequest_st& request,
                       std::atomic<int>& running, JobReporter_cl& reporter)
{
    Walk_cl walk(stores, plan, request, running, reporter);
    return walk.Run();
}

} // namespace Quorvane_ns
