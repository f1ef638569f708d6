#include <gtest/gtest.h>
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"
#include "tests/store/StoreTestSupport.h"

using namespace Quorvane_ns;
using namespace StoreTest_ns;
using Test_ns::TempDir_cl;

namespace {

// Two solutions sharing core: a.sln (core, app), b.sln (util, core).
class PlanPackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteSharingSolutions(dir, a, b);
    }

    void AddTo(const PlanId_cl& plan, const String_cl& path)
    {
        plan->solutions.AddSolution(path, plan->configuration, plan->rows, stores.projects, stores.sequences);
    }

    ComScope_cl com;
    TempDir_cl dir;
    String_cl a = dir / L"a.sln";
    String_cl b = dir / L"b.sln";
    Stores_cl stores;
};

TEST_F(PlanPackTest, CopyPlanGivesOwnRowsAndSolutions)
{
    PlanId_cl source = stores.plans.AddPlan(L"每日", L"Debug|Win32");
    AddTo(source, a);
    AddTo(source, b);
    source->rows.At(1)->state = CompileFailed;   // copied along with the rows

    PlanId_cl copy = stores.plans.CopyPlan(L"副本", source);
    EXPECT_EQ(stores.plans.Count(), 2);
    EXPECT_EQ(copy->name, L"副本");
    EXPECT_EQ(copy->configuration, L"Debug|Win32");
    ASSERT_EQ(RowNames(copy->rows), RowNames(source->rows));
    for (int i = 0; i < copy->rows.Count(); ++i) {
        EXPECT_EQ(copy->rows.At(i).Serial(), source->rows.At(i).Serial());
        EXPECT_EQ(copy->rows.At(i)->state, source->rows.At(i)->state);
    }
    ASSERT_EQ(copy->solutions.Count(), 2);
    for (SolutionId_cl s = copy->solutions.First(); !s.IsEmpty(); s = s.Next()) {
        for (const auto& info : s->projects) {
            EXPECT_EQ(info.row.List(), &copy->rows) << "a copied solution still names the source's rows";
            EXPECT_TRUE(info.project == info.row->project);
        }
    }
    EXPECT_EQ(copy->solutions.First()->projects.First()->configurations.size(), 2u);

    // Removing a solution from the copy leaves the source as it was.
    SolutionId_cl first = copy->solutions.First();
    copy->solutions.RemoveSolution(first, copy->rows, stores.projects);
    EXPECT_EQ(RowNames(copy->rows), (std::vector<String_cl>{L"core.vcproj", L"util.vcproj"}));
    EXPECT_EQ(source->rows.Count(), 3);
    EXPECT_EQ(source->solutions.Count(), 2);
    // One plan builds core once, in the first solution that lists it; app
    // is still the source's.
    EXPECT_EQ(stores.projects.Count(), 3);
}

TEST_F(PlanPackTest, ConfigurationRemovalAndLookup)
{
    PlanId_cl one = stores.plans.AddPlan(L"One", L"Debug|Win32");
    PlanId_cl two = stores.plans.AddPlan(L"Two", L"Debug|Win32");
    AddTo(one, a);
    AddTo(two, b);
    // core is in both solutions, and read in the context of each.
    EXPECT_EQ(stores.projects.Count(), 4);

    stores.plans.SetPlanConfiguration(one, L"Release|Win32", stores.projects, stores.sequences);
    EXPECT_EQ(one->configuration, L"Release|Win32");
    EXPECT_EQ(one->rows.First()->configuration, L"Release|Win32");
    EXPECT_EQ(one->rows.At(1)->state, Ignored);   // app has no Release build line

    EXPECT_TRUE(stores.plans.FindPlan(L"Two") == two);
    EXPECT_TRUE(stores.plans.FindPlan(L"two").IsEmpty());
    EXPECT_TRUE(stores.plans.FindPlan(L"Three").IsEmpty());

    // Plan Two's records stay; One's core and app go with it.
    one = PlanId_cl();
    PlanId_cl gone = stores.plans.FindPlan(L"One");
    stores.plans.RemovePlan(gone, stores.projects);
    EXPECT_EQ(stores.plans.Count(), 1);
    EXPECT_EQ(stores.projects.Count(), 2);
    EXPECT_EQ(RowNames(two->rows), (std::vector<String_cl>{L"core.vcproj", L"util.vcproj"}));
}

TEST_F(PlanPackTest, PlansRoundTripThroughTheDataFile)
{
    String_cl data = dir / L"Quorvane.xml";
    {
        Stores_cl first;
        first.StartProgram(data);   // no file yet: the default plan
        PlanId_cl nightly = first.plans.AddPlan(L"夜间", L"Release|Win32");
        nightly->solutions.AddSolution(b, L"Release|Win32", nightly->rows, first.projects, first.sequences);
        nightly->solutions.AddSolution(a, L"Release|Win32", nightly->rows, first.projects, first.sequences);
        PlanId_cl lone = first.plans.AddPlan(L"Lone", L"Debug|Win32");
        lone->solutions.AddSolution(dir / L"app\\app.vcproj", L"Debug|Win32", lone->rows, first.projects,
                                    first.sequences);
        nightly = lone = PlanId_cl();
        EXPECT_TRUE(first.EndProgram(data));
        EXPECT_EQ(first.plans.Count(), 0);
        EXPECT_EQ(first.projects.Count(), 0);
        EXPECT_EQ(first.sequences.Count(), 0);
    }

    StartReport_st report = stores.StartProgram(data);
    EXPECT_TRUE(report.loaded);
    EXPECT_FALSE(report.addedDefaultPlan);
    ASSERT_EQ(stores.plans.Count(), 3);
    const wchar_t* names[] = {L"默认", L"夜间", L"Lone"};
    const wchar_t* configs[] = {L"Debug|Win32", L"Release|Win32", L"Debug|Win32"};
    for (int i = 0; i < 3; ++i) {
        PlanId_cl p = stores.plans.At(i);
        EXPECT_EQ(p->name, names[i]);
        EXPECT_EQ(p->configuration, configs[i]);
        EXPECT_EQ(p->rows.Count(), 0);
        EXPECT_EQ(p->solutions.Read(), 0);
    }
    PlanId_cl nightly = stores.plans.At(1);
    ASSERT_EQ(nightly->solutions.Count(), 2);
    EXPECT_EQ(nightly->solutions.First()->path, b);
    EXPECT_EQ(nightly->solutions.First().Next()->path, a);
    EXPECT_EQ(stores.plans.At(2)->solutions.First()->path, dir / L"app\\app.vcproj");
    // The learned order came back: util, core from b.sln, then app.
    ASSERT_EQ(stores.sequences.Count(), 3);
    EXPECT_EQ(GetFileName(stores.sequences.First()->path), L"util.vcproj");

    // Rows come back only when the plan is read.
    EXPECT_EQ(nightly->solutions.ReadSolutions(nightly->configuration, nightly->rows, stores.projects,
                                               stores.sequences), 1);
    EXPECT_EQ(RowNames(nightly->rows),
              (std::vector<String_cl>{L"util.vcproj", L"core.vcproj", L"app.vcproj"}));
    EXPECT_EQ(stores.plans.At(2)->rows.Count(), 0);

    // A copy of a plan that was never read reads its files when selected.
    PlanId_cl copy = stores.plans.CopyPlan(L"LoneCopy", stores.plans.At(2));
    EXPECT_EQ(copy->solutions.Read(), 0);
    EXPECT_EQ(copy->solutions.ReadSolutions(copy->configuration, copy->rows, stores.projects,
                                            stores.sequences), 1);
    EXPECT_EQ(RowNames(copy->rows), (std::vector<String_cl>{L"app.vcproj"}));
}

} // namespace
