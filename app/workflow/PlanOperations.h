#pragma once
// What a user does to plans and their solutions between jobs, as the window's
// solution page and the console offer it. Each operation marks what it
// changes, so that the data file is written with it. None may run while a
// job works on the stores (the callers refuse them then).
#include <cstdint>
#include <vector>
#include "app/store/DataFile.h"
#include "common/base/String.h"

namespace Quorvane_ns {

// A copy of source under a new name (another plan may have that name too),
// with its configuration, rows and solutions; no file is read.
PlanId_cl SavePlanAs(Stores_cl& stores, const PlanId_cl& source, const String_cl& name);
// Empties the plan's solutions and rows and erases it.
void DeletePlan(Stores_cl& stores, PlanId_cl& plan);
// Applies a configuration typed or chosen by the user: false when it is
// empty or the plan's already. A configuration the build would refuse (a
// double quote, a line break) is refused now with the build's user error.
bool ChangePlanConfiguration(Stores_cl& stores, const PlanId_cl& plan, const String_cl& configuration);
// Removes the solutions with these keys, in order; an unknown key raises
// the container's lookup error, the ones before it staying removed.
void RemoveSolutions(Stores_cl& stores, const PlanId_cl& plan, const std::vector<uint32_t>& keys);
// Empties the plan's list of solutions and its rows.
void ClearSolutions(Stores_cl& stores, const PlanId_cl& plan);

} // namespace Quorvane_ns
