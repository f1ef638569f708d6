#include "app/workflow/RunRecord.h"
#include <windows.h>
#include <cstdio>
#include <map>
#include "app/engine/FirstErrorLine.h"
#include "app/store/PlanPack.h"

namespace Quorvane_ns {

Moment_t MomentNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<Moment_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

double SecondsBetween(Moment_t from, Moment_t to)
{
    return to > from ? static_cast<double>(to - from) / 1e7 : 0.0;
}

String_cl LocalTimeText(Moment_t moment, bool iso)
{
    FILETIME utc{static_cast<DWORD>(moment & 0xFFFFFFFFu), static_cast<DWORD>(moment >> 32)};
    SYSTEMTIME u{}, local{};
    if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) local = u;
    wchar_t text[32];
    swprintf(text, 32, iso ? L"%04u-%02u-%02uT%02u:%02u:%02u" : L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear,
             local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
    return text;
}

String_cl DurationText(double seconds)
{
    wchar_t text[48];
    if (seconds < 10) {
        swprintf(text, 48, L"%.1f 秒", seconds);
    } else if (seconds < 60) {
        swprintf(text, 48, L"%d 秒", static_cast<int>(seconds + 0.5));
    } else if (seconds < 3600) {
        const int s = static_cast<int>(seconds + 0.5);
        swprintf(text, 48, L"%d 分 %02d 秒", s / 60, s % 60);
    } else {
        const int m = static_cast<int>(seconds / 60 + 0.5);
        swprintf(text, 48, L"%d 小时 %02d 分", m / 60, m % 60);
    }
    return text;
}

RowFailure_st DescribeFailure(const Plan_st& plan, const MProject_st& row)
{
    RowFailure_st f;
    if (row.state != CompileFailed) return f;
    f.reason = row.failReason;
    f.firstError = FirstErrorLine(row.log);
    // A reason that is the log's own first error (a result collected from a
    // build elsewhere) is said once.
    if (f.firstError == f.reason) f.firstError.clear();
    if (row.failedBecauseOf != 0) {
        f.causeKey = row.failedBecauseOf;
        for (MProjectId_cl r = plan.rows.First(); !r.IsEmpty(); r = r.Next()) {
            if (r.Serial() == row.failedBecauseOf) {
                f.causeName = r->project->name;
                break;
            }
        }
    }
    return f;
}

const RowOutcome_st* RunRecord_st::Row(uint32_t key) const
{
    for (const RowOutcome_st& r : rows)
        if (r.key == key) return &r;
    return nullptr;
}

int RunRecord_st::Lanes() const
{
    int lanes = 1;
    for (const BuildSpan_st& b : builds)
        if (b.lane + 1 > lanes) lanes = b.lane + 1;
    return lanes;
}

namespace {

// The failed row at the end of the chain of causes; 0 when the chain leaves
// the failed rows or goes round in a circle.
uint32_t RootOf(const RunRecord_st& record, const RowOutcome_st& row)
{
    const RowOutcome_st* at = &row;
    for (size_t steps = 0; steps <= record.rows.size(); ++steps) {
        if (at->failure.causeKey == 0) return at == &row ? 0 : at->key;
        const RowOutcome_st* cause = record.Row(at->failure.causeKey);
        if (!cause || cause->state != CompileFailed) return at == &row ? 0 : at->key;
        at = cause;
    }
    return 0;
}

int DepthOf(const RunRecord_st& record, const RowOutcome_st& row, uint32_t root)
{
    int depth = 0;
    for (const RowOutcome_st* at = &row; at && at->key != root && depth <= static_cast<int>(record.rows.size());
         at = record.Row(at->failure.causeKey))
        ++depth;
    return depth;
}

} // namespace

String_cl SolutionRows_st::UnreadableReason() const
{
    return unreadable.IsEmpty() ? String_cl() : L"解决方案文件无法读取：" + unreadable;
}

void TakeRows(const Plan_st& plan, RunRecord_st& record)
{
    std::map<uint32_t, std::pair<int, double>> builds;
    std::map<uint32_t, Moment_t> firstStart;
    for (const BuildSpan_st& b : record.builds) {
        auto& sum = builds[b.rowKey];
        ++sum.first;
        sum.second += SecondsBetween(b.start, b.end);
        if (!firstStart.count(b.rowKey)) firstStart[b.rowKey] = b.start;
    }
    record.rows.clear();
    for (MProjectId_cl r = plan.rows.First(); !r.IsEmpty(); r = r.Next()) {
        RowOutcome_st o;
        o.key = r.Serial();
        o.name = r->project->name;
        o.configuration = r->configuration;
        o.path = r->project->path;
        o.state = r->state;
        o.log = r->log;
        o.failure = DescribeFailure(plan, *r);
        o.readNote = r->readNote;
        auto b = builds.find(o.key);
        if (b != builds.end()) {
            o.builds = b->second.first;
            o.seconds = b->second.second;
            o.firstStart = firstStart[o.key];
        }
        record.rows.push_back(o);
    }
    for (RowOutcome_st& o : record.rows) o.rootKey = RootOf(record, o);
    record.counts = Statistics(plan.rows);

    record.solutions.clear();
    for (SolutionId_cl s = plan.solutions.First(); !s.IsEmpty(); s = s.Next()) {
        SolutionRows_st sr;
        sr.path = s->path;
        sr.unreadable = s->unreadable;
        for (const ProjectInfo_st& p : s->projects)
            if (!p.row.IsEmpty()) sr.rowKeys.push_back(p.row.Serial());
        record.solutions.push_back(sr);
    }
}

std::vector<FailureGroup_st> FailureGroups(const RunRecord_st& record)
{
    std::vector<FailureGroup_st> groups;
    for (const RowOutcome_st& r : record.rows) {
        if (r.state != CompileFailed || r.rootKey != 0) continue;
        FailureGroup_st g;
        g.rootKey = r.key;
        for (const RowOutcome_st& k : record.rows)
            if (k.state == CompileFailed && k.rootKey == r.key) g.knockOns.push_back({k.key, DepthOf(record, k, r.key)});
        groups.push_back(g);
    }
    return groups;
}

} // namespace Quorvane_ns
