#include "app/workflow/BuildProgress.h"
#include <cmath>
#include "app/workflow/Jobs.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

String_cl TimeLeftText(double seconds)
{
    if (seconds < 60) return L"剩余不到1分钟";
    const long long minutes = std::llround(seconds / 60);
    if (minutes < 60) return L"剩余约" + String_cl::FromInt(minutes) + L"分钟";
    String_cl text = L"剩余约" + String_cl::FromInt(minutes / 60) + L"小时";
    if (minutes % 60 != 0) text += String_cl::FromInt(minutes % 60) + L"分钟";
    return text;
}

BuildProgress_st MakeProgress(const std::vector<String_cl>& names, int done, int total, double secondsLeft)
{
    BuildProgress_st p;
    p.building = BuildingStatusText(names);
    p.done = done;
    p.total = total;
    p.secondsLeft = secondsLeft;
    p.text = p.building + L"（" + String_cl::FromInt(done) + L"/" + String_cl::FromInt(total);
    if (secondsLeft >= 0) p.text += L"，" + TimeLeftText(secondsLeft);
    p.text += L"）";
    return p;
}

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double WalkProgress_cl::Built(const MProjectId_cl& row, double seconds)
{
    const uint32_t key = row.Serial();
    const double spent = m_spent[key] += seconds > 0 ? seconds : 0;
    if (row->state == LibraryDependency) return -1;
    m_finished.insert(key);
    m_spent.erase(key);
    if (row->state != Compiled && row->state != CompileFailed) return -1;
    // A row that failed without a build took no builder's time.
    if (!UnreadableReason(*row).IsEmpty()) return -1;
    m_times.Record(row->project->path, row->configuration, spent);
    return spent;
}

} // namespace Quorvane_ns
