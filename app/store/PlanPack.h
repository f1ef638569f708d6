#pragma once
// The plans (方案): named sets of solutions with the configuration they are
// built in and the project-list rows that result. All plans of the program
// live in one store, kept in the data file together with the build-order
// sequence.
#include <cstdint>
#include "common/base/String.h"
#include "common/container/CommonContainer.h"
#include "common/container/DList.h"
#include "common/io/XMLFile.h"
#include "app/engine/MProjectPack.h"
#include "app/engine/ProjectPack.h"
#include "app/engine/SerialPack.h"
#include "app/store/SolutionPack.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct Plan_st {
    String_cl name;
    String_cl configuration;   // e.g. "Debug|Win32"; stored as "编译方式"
    MProjectPack_cl rows;      // never stored; rebuilt by the plan's first read
    SolutionPack_cl solutions;

    Plan_st() = default;
    // Copies the name and the configuration only. Rows and solutions are tied
    // to each other by identifiers (a solution's projects name rows of this
    // very plan), so a plain member-wise copy would leave the copy's
    // solutions pointing at the source's rows; CopyPlan copies them together.
    Plan_st& operator=(const Plan_st& other)
    {
        if (this != &other) {
            name = other.name;
            configuration = other.configuration;
        }
        return *this;
    }
    Plan_st(const Plan_st&) = delete;
};

class PlanId_cl : public Container_ns::DList_tl<Plan_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<Plan_st>::Identifier_cl;
    PlanId_cl() = default;
    PlanId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"PlanId_cl"; }
};

class PlanPack_cl : public Container_ns::CommonContainer_tl<Container_ns::DList_tl<Plan_st>, Plan_st> {
public:
    using Persistent_cl = Container_ns::CommonContainer_tl<Container_ns::DList_tl<Plan_st>, Plan_st>;

    // A plan is one element with "名称" and "编译方式" and, inside it, the
    // plan's solutions. A loaded plan has no rows and an unread solution
    // store, so its first read job parses its solution files.
    class StorageProcess_cl : public Persistent_cl::XMLStorageProcess_cl {
    public:
        String_cl ElementName() override;
        void WriteItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                       const Plan_st& item) override;
        int32_t ReadItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                         Plan_st& item) override;
        const wchar_t* ClassName() const override { return L"PlanPack_cl::StorageProcess_cl"; }
    };

    PlanPack_cl() = default;
    ~PlanPack_cl() override;

    Plan_st* NewData() override;
    void DeleteData(Plan_st* data) override;
    const wchar_t* ClassName() const override { return L"PlanPack_cl"; }

    // A new plan at the end, with no rows and no solutions.
    PlanId_cl AddPlan(const String_cl& name, const String_cl& config);
    // A new plan at the end with the source's configuration, a copy of its
    // rows (same serial numbers) and its solutions re-pointed at those rows.
    // Reads no file.
    PlanId_cl CopyPlan(const String_cl& name, const PlanId_cl& source);
    // Sets the configuration and derives the plan's rows for it.
    void SetPlanConfiguration(const PlanId_cl& plan, const String_cl& config, ProjectPack_cl& projects,
                              SerialPack_cl& sequences);
    void SavePlans(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
    // Replaces the plans by those stored under parent; a failed load leaves
    // the store empty.
    void LoadPlans(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
    // Empties the plan's solutions and rows (erasing project records no other
    // row uses), then erases the plan; plan becomes empty.
    void RemovePlan(PlanId_cl& plan, ProjectPack_cl& projects);
    // The first plan whose name equals name exactly; empty when none.
    PlanId_cl FindPlan(const String_cl& name) const;
};

} // namespace Quorvane_ns
