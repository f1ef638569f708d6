// How long each project's last build took, kept in the data file: what a
// later start reads back, the weights the rows get from it, and a file that
// the version before this one still loads.
#include <gtest/gtest.h>
#include "app/engine/RenameJournal.h"
#include "app/store/DataFile.h"
#include "tests/store/StoreTestSupport.h"

using namespace Quorvane_ns;
using namespace StoreTest_ns;
using Test_ns::TempDir_cl;

TEST(BuildTimesTest, TimesSurviveARestartAndThePredecessorStillLoadsTheFile)
{
    ComScope_cl com;
    TempDir_cl dir;
    RenameJournal_cl::SetPath(dir / L"Quorvane.renames");
    const String_cl data = dir / L"Quorvane.xml";
    const String_cl app = L"C:\\ws\\app\\app.vcproj", core = L"C:\\ws\\core\\core.vcproj";
    {
        Stores_cl stores;
        stores.StartProgram(data);
        {
            // Times are kept for the projects a plan holds.
            PlanId_cl plan = stores.plans.First();
            for (const String_cl& project : {core, app})
                plan->solutions.AddSolution(project, plan->configuration, plan->rows, stores.projects, stores.sequences);
        }
        stores.times.Record(app, L"Debug|Win32", 12.3456);
        stores.times.Record(core, L"Debug|Win32", 80);
        stores.times.Record(L"c:\\WS\\CORE\\core.vcproj", L"debug|win32", 30.5);  // the same, built again
        stores.times.Record(core, L"Release|Win32", 45);
        ASSERT_TRUE(stores.EndProgram(data));
    }
    Stores_cl later;
    ASSERT_TRUE(later.StartProgram(data).loaded);
    EXPECT_EQ(later.times.Count(), 3);
    EXPECT_DOUBLE_EQ(later.times.Seconds(app, L"DEBUG|WIN32"), 12.346);
    EXPECT_DOUBLE_EQ(later.times.Seconds(core, L"Debug|Win32"), 30.5);
    EXPECT_DOUBLE_EQ(later.times.Seconds(core, L"Release|Win32"), 45);
    EXPECT_LT(later.times.Seconds(core, L"Debug|x64"), 0) << "never built";

    SerialPack_cl sequences;
    PlanPack_cl plans;
    EXPECT_EQ(LoadAsThePredecessor(data, sequences, plans), (std::vector<String_cl>{L"序列", L"方案", L"耗时"}));
    ASSERT_EQ(sequences.Count(), 2);
    EXPECT_EQ(sequences.First()->path, core);
    ASSERT_EQ(plans.Count(), 1);
    RenameJournal_cl::SetPath(String_cl());
}
