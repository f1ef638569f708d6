#pragma once
// A reporter around another one: passes every call on and keeps, with the
// times, what the reports of a build job need (RunRecord_st). RunJob wraps
// the front end's reporter in one for each build or rebuild job.
//
// Threads: the calls come from the job's thread (builds that run side by
// side report through it too); the record is kept under a lock so that
// another thread may take a copy while the job runs. The plan's rows are
// read in Ended, before the wrapped reporter hears of the end (the job is
// then still the stores' only user), and the recorder lets go of the plan
// there, so that the front end may drop the plan as soon as it hears.
#include <functional>
#include <mutex>
#include "app/store/PlanPack.h"
#include "app/workflow/JobReporter.h"
#include "app/workflow/RunRecord.h"

namespace Quorvane_ns {

class RunRecorder_cl : public JobReporter_cl {
public:
    using Clock_fn = std::function<Moment_t()>;
    // Called once the record is complete, before the wrapped reporter's
    // Ended; an error it raises is shown through the wrapped reporter.
    using Finished_fn = std::function<void(const RunRecord_st&)>;

    // kind: JobBuild or JobRebuild; singleRow: the key of a single-row
    // build, 0 for the plan's pending rows. clock: MomentNow unless given.
    RunRecorder_cl(JobReporter_cl& inner, const PlanId_cl& plan, JobKind kind, uint32_t singleRow = 0,
                   Clock_fn clock = Clock_fn());
    void OnFinished(Finished_fn finished) { m_finished = std::move(finished); }
    // A copy: safe while builds may still report.
    RunRecord_st Record() const;

    void Status(const Base_ns::String_cl& text) override { m_inner.Status(text); }
    void RefreshProjects(uint32_t planKey) override { m_inner.RefreshProjects(planKey); }
    void RefreshHistory() override { m_inner.RefreshHistory(); }
    void ClearProjects() override { m_inner.ClearProjects(); }
    void RowStarted(const Plan_st& plan, const MProject_st& row, int lane) override;
    void RowBuilt(const Plan_st& plan, const MProject_st& row, int ok) override;
    void SolutionCleaned(const Plan_st& plan, const Base_ns::String_cl& path) override
    {
        m_inner.SolutionCleaned(plan, path);
    }
    void BuildPhaseStarted() override;
    void ShowError(const Base_ns::Error_cl& error) override { m_inner.ShowError(error); }
    bool StopOnError() override { return m_inner.StopOnError(); }
    void Ended(const JobEnd_st& end) override;

private:
    Moment_t Now() const { return m_clock ? m_clock() : MomentNow(); }

    JobReporter_cl& m_inner;
    PlanId_cl m_plan;
    Clock_fn m_clock;
    Finished_fn m_finished;
    mutable std::mutex m_mutex;
    RunRecord_st m_record;
};

} // namespace Quorvane_ns
