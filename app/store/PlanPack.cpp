#include "app/store/PlanPack.h"
#include <new>

namespace Quorvane_ns {

String_cl PlanPack_cl::StorageProcess_cl::ElementName() { return String_cl(L"方案"); }

void PlanPack_cl::StorageProcess_cl::WriteItem(IO_ns::XMLFile_cl& file,
                                               IO_ns::XMLFile_cl::ElementId_cl& element,
                                               const Plan_st& item)
{
    file.SetAttribute(element, L"名称", item.name);
    file.SetAttribute(element, L"编译方式", item.configuration);
    // Saving clears the solution store's modified marks; the solutions
    // themselves are not changed.
    const_cast<SolutionPack_cl&>(item.solutions).SaveSolutions(file, element);
}

int32_t PlanPack_cl::StorageProcess_cl::ReadItem(IO_ns::XMLFile_cl& file,
                                                 IO_ns::XMLFile_cl::ElementId_cl& element,
                                                 Plan_st& item)
{
    item.name = element.Attribute(L"名称", true).Text();
    item.configuration = element.Attribute(L"编译方式", true).Text();
    item.solutions.LoadSolutions(file, element);
    return 1;
}

PlanPack_cl::~PlanPack_cl()
{
    try {
        Clear();
    } catch (const Base_ns::Error_cl&) {
    }
}

Plan_st* PlanPack_cl::NewData() { return new (std::nothrow) Plan_st; }

void PlanPack_cl::DeleteData(Plan_st* data) { delete data; }

PlanId_cl PlanPack_cl::AddPlan(const String_cl& name, const String_cl& config)
{
    PlanId_cl plan = PushBackNew();
    plan->name = name;
    plan->configuration = config;
    return plan;
}

PlanId_cl PlanPack_cl::CopyPlan(const String_cl& name, const PlanId_cl& source)
{
    PlanId_cl plan = AddPlan(name, source->configuration);
    try {
        plan->rows.Assign(source->rows);
        plan->solutions.CopySolutions(source->solutions, source->rows, plan->rows);
    } catch (...) {
        // The copied rows share their project records with the source's rows,
        // so letting go of them erases no project.
        try {
            plan->solutions.Clear();
            plan->rows.Clear();
            Erase(plan);
        } catch (...) {
        }
        throw;
    }
    return plan;
}

void PlanPack_cl::SetPlanConfiguration(const PlanId_cl& plan, const String_cl& config,
                                       ProjectPack_cl& projects, SerialPack_cl& sequences)
{
    plan->configuration = config;
    MarkModified(plan);
    plan->solutions.ChangeConfiguration(config, plan->rows, projects, sequences);
}

void PlanPack_cl::SavePlans(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl adaptor;
    WriteXML(file, parent, adaptor);
}

void PlanPack_cl::LoadPlans(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl adaptor;
    ReadXML(file, parent, adaptor);
}

void PlanPack_cl::RemovePlan(PlanId_cl& plan, ProjectPack_cl& projects)
{
    plan->solutions.Clear();
    ClearRows(plan->rows, projects);
    Erase(plan);
}

PlanId_cl PlanPack_cl::FindPlan(const String_cl& name) const
{
    for (PlanId_cl plan = First(); !plan.IsEmpty(); plan = plan.Next()) {
        if (plan->name == name) return plan;
    }
    return PlanId_cl();
}

} // namespace Quorvane_ns
