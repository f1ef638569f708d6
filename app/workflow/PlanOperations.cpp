#include "app/workflow/PlanOperations.h"
#include "app/engine/BuildRunner.h"

namespace Quorvane_ns {

PlanId_cl SavePlanAs(Stores_cl& stores, const PlanId_cl& source, const String_cl& name)
{
    stores.plans.MarkModified(source);
    return stores.plans.CopyPlan(name, source);
}

void DeletePlan(Stores_cl& stores, PlanId_cl& plan)
{
    stores.plans.MarkModified(plan);
    stores.plans.RemovePlan(plan, stores.projects);
}

bool ChangePlanConfiguration(Stores_cl& stores, const PlanId_cl& plan, const String_cl& configuration)
{
    if (configuration.empty() || configuration == plan->configuration) return false;
    CheckBuildConfiguration(configuration);
    stores.plans.MarkModified(plan);
    stores.plans.SetPlanConfiguration(plan, configuration, stores.projects, stores.sequences);
    return true;
}

void RemoveSolutions(Stores_cl& stores, const PlanId_cl& plan, const std::vector<uint32_t>& keys)
{
    for (uint32_t key : keys) {
        SolutionId_cl solution = plan->solutions.FromSerial(key);
        stores.plans.MarkModified(plan);
        plan->solutions.RemoveSolution(solution, plan->rows, stores.projects);
    }
}

void ClearSolutions(Stores_cl& stores, const PlanId_cl& plan)
{
    stores.plans.MarkModified(plan);
    // The solutions hold the rows they made; they go first so that the rows
    // (and the project records only they used) can go.
    plan->solutions.Clear();
    ClearRows(plan->rows, stores.projects);
}

} // namespace Quorvane_ns
