#pragma once
// How far a build walk has come, for both walks: the rows finished of the
// rows to build, the time each row's builds took (kept as its weight for
// the next walk), and the progress text with the time left.
//
// A row that waited for a library is built again later; its builds add up,
// and it counts as finished once its state is final. An up-to-date build
// says nothing about how long building the project takes: it keeps the
// time kept before.
#include <chrono>
#include <map>
#include <set>
#include <vector>
#include "app/engine/BuildTimePack.h"
#include "app/engine/MProjectPack.h"
#include "app/workflow/JobReporter.h"

namespace Quorvane_ns {

// "剩余不到1分钟", "剩余约3分钟", "剩余约2小时5分钟".
Base_ns::String_cl TimeLeftText(double seconds);
// The rows being built with the count and, when known, the time left:
// "正在编译工程a, b......（12/120，剩余约3分钟）".
BuildProgress_st MakeProgress(const std::vector<Base_ns::String_cl>& names, int done, int total,
                              double secondsLeft);

// Seconds on a clock that only goes forward, for the lengths of builds.
double SteadySeconds();

class WalkProgress_cl {
public:
    WalkProgress_cl(BuildTimePack_cl& times, int total) : m_times(times), m_total(total) {}

    // A build of row ended after seconds, leaving the row in its state.
    // Returns the time kept for the row (all its builds in the walk), or a
    // negative number when none is kept.
    double Built(const MProjectId_cl& row, double seconds);
    // The row ended without a build (it failed before one could start):
    // finished, and no time is kept for it.
    void Unbuilt(const MProjectId_cl& row)
    {
        m_finished.insert(row.Serial());
        m_spent.erase(row.Serial());
    }
    bool Finished(uint32_t row) const { return m_finished.count(row) != 0; }
    BuildProgress_st Report(const std::vector<Base_ns::String_cl>& names, double secondsLeft) const
    {
        return MakeProgress(names, static_cast<int>(m_finished.size()), m_total, secondsLeft);
    }

private:
    BuildTimePack_cl& m_times;
    int m_total;
    std::map<uint32_t, double> m_spent;
    std::set<uint32_t> m_finished;
};

} // namespace Quorvane_ns
