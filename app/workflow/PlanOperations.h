#pragma once
// What a user does to plans and their solutions between jobs, as the window's
// solution page and the console offer it. Each operation marks what it
// changes, so that the data file is written with it. None may run while a
// job works on the stores (the callers refuse them then).
#include <cstdint>
#include <vector>
#include "app/store/DataFile.h"
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

// The rule for a new plan's name, wherever it is typed: a letter, "_" or a
// Chinese character first, then letters, digits, "_" and Chinese characters,
// where every code from 127 up counts as Chinese and letters and digits are
// ASCII ones; and no blank at either end, the ideographic space and the other
// blanks above 127 included. So no name holds the comma that separates plans
// on a command line, nor a blank a command line would lose. 0 when the name
// is valid, else the code of PlanNameError: 101 empty, 102 a bad first
// character, 103 a bad character after it, 104 a blank at either end.
int32_t CheckPlanName(const String_cl& name);
// The user error for a code of CheckPlanName, raised in the name of the
// class that checked.
Base_ns::UserError_cl PlanNameError(int32_t code, int32_t line, const wchar_t* source, const wchar_t* className);

// The names of a comma-separated list of plans, the one rule for the
// console's jobs and the window's command line: one comma at the very end
// is harmless ("A," is A); an empty name anywhere else (",A", "A,,B") is a
// typing error, refused as a whole with user error 106 of the main window
// before any plan is built.
std::vector<String_cl> SplitPlanList(const String_cl& list);

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
