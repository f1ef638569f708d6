#include "app/workflow/RunRecorder.h"

namespace Quorvane_ns {
namespace {

// The row's key: the row is one of the plan's rows, which are its list.
uint32_t KeyOf(const Plan_st& plan, const MProject_st& row)
{
    for (MProjectId_cl r = plan.rows.First(); !r.IsEmpty(); r = r.Next())
        if (&*r == &row) return r.Serial();
    return 0;
}

} // namespace

RunRecorder_cl::RunRecorder_cl(JobReporter_cl& inner, const PlanId_cl& plan, JobKind kind, uint32_t singleRow,
                               Clock_fn clock)
    : m_inner(inner), m_plan(plan), m_clock(std::move(clock))
{
    m_record.kind = kind;
    m_record.singleRow = singleRow;
    m_record.start = Now();
    if (!m_plan.IsEmpty()) {
        m_record.planName = m_plan->name;
        m_record.configuration = m_plan->configuration;
    }
}

RunRecord_st RunRecorder_cl::Record() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_record;
}

void RunRecorder_cl::RowStarted(const Plan_st& plan, const MProject_st& row, int lane)
{
    {
        BuildSpan_st span;
        span.name = row.project->name;
        span.lane = lane < 0 ? 0 : lane;
        span.start = Now();
        span.rowKey = KeyOf(plan, row);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_record.builds.push_back(span);
    }
    m_inner.RowStarted(plan, row, lane);
}

void RunRecorder_cl::RowBuilt(const Plan_st& plan, const MProject_st& row, int ok)
{
    {
        const Moment_t now = Now();
        const uint32_t key = KeyOf(plan, row);
        std::lock_guard<std::mutex> lock(m_mutex);
        // The open build of this row: a row is built on one lane at a time.
        for (auto b = m_record.builds.rbegin(); b != m_record.builds.rend(); ++b) {
            if (b->end == 0 && b->rowKey == key) {
                b->end = now > b->start ? now : b->start;
                b->state = row.state;
                b->causeKey = row.failedBecauseOf;
                break;
            }
        }
    }
    m_inner.RowBuilt(plan, row, ok);
}

void RunRecorder_cl::BuildPhaseStarted()
{
    {
        const Moment_t now = Now();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_record.buildPhase = now;
    }
    m_inner.BuildPhaseStarted();
}

void RunRecorder_cl::Ended(const JobEnd_st& end)
{
    try {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_record.end = Now();
        m_record.ended = end;
        // A walk that built something and did not reach the end was stopped
        // (by the user, or at a failure); one with nothing to build was not.
        m_record.stopped = !end.reachedEnd && !end.error && m_record.singleRow == 0 && !m_record.builds.empty();
        if (!m_plan.IsEmpty()) TakeRows(*m_plan, m_record);
        // The front end may drop the plan as soon as it hears of the end.
        m_plan.Reset();
        RunRecord_st record = m_record;
        lock.unlock();
        if (m_finished) m_finished(record);
    } catch (const Base_ns::Error_cl& e) {
        m_inner.ShowError(e);
    } catch (...) {
        m_inner.ShowError(Base_ns::UnexpectedError(L"RunRecorder", __LINE__));
    }
    m_inner.Ended(end);
}

} // namespace Quorvane_ns
