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

namespace {

class BuildTimesTest : public ::testing::Test {
protected:
    void SetUp() override { RenameJournal_cl::SetPath(dir / L"Quorvane.renames"); }
    void TearDown() override { RenameJournal_cl::SetPath(String_cl()); }

    ComScope_cl com;
    TempDir_cl dir;
    const String_cl data = dir / L"Quorvane.xml";
    const String_cl app = L"C:\\ws\\app\\app.vcproj", core = L"C:\\ws\\core\\core.vcproj";
};

} // namespace

TEST_F(BuildTimesTest, TimesSurviveARestartAndThePredecessorStillLoadsTheFile)
{
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
}

// One entry of the build times that lacks a value, or whose time is no plain
// number of milliseconds, or that is no entry at all: that entry is dropped
// and the user told, the rest of the data file loads as it is.
TEST_F(BuildTimesTest, ABadEntryIsDroppedAloneAndTold)
{
    struct Case_st {
        const char* name;
        const wchar_t* entry;
    };
    const Case_st cases[] = {
        {"no 毫秒", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 编译方式=\"Debug|Win32\"/>"},
        {"no 路径", L"<耗时2 编译方式=\"Debug|Win32\" 毫秒=\"5\"/>"},
        {"no 编译方式", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 毫秒=\"5\"/>"},
        {"an unknown element", L"<备注>手写的说明</备注>"},
        {"1e30", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 编译方式=\"Debug|Win32\" 毫秒=\"1e30\"/>"},
        {"ff", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 编译方式=\"Debug|Win32\" 毫秒=\"ff\"/>"},
        {"negative", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 编译方式=\"Debug|Win32\" 毫秒=\"-5\"/>"},
        {"a fraction", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 编译方式=\"Debug|Win32\" 毫秒=\"12.5\"/>"},
        {"past 32 bits", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 编译方式=\"Debug|Win32\" 毫秒=\"2147483648\"/>"},
        {"empty", L"<耗时2 路径=\"C:\\ws\\core\\core.vcproj\" 编译方式=\"Debug|Win32\" 毫秒=\"\"/>"},
    };
    for (const Case_st& c : cases) {
        SCOPED_TRACE(c.name);
        const String_cl text = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Quorvane><序列/><方案><方案1 名称=\"甲\" "
                               L"编译方式=\"Debug|Win32\"><解决方案><解决方案1 路径=\"" + app + L"\"/><解决方案2 路径=\"" +
                               core + L"\"/></解决方案></方案1></方案><耗时><耗时1 路径=\"" + app +
                               L"\" 编译方式=\"Debug|Win32\" 毫秒=\"12000\"/>" + c.entry + L"</耗时></Quorvane>";
        ASSERT_TRUE(Test_ns::WriteBytes(data, text.ToUtf8()));
        Stores_cl stores;
        const StartReport_st report = stores.StartProgram(data);
        EXPECT_TRUE(report.loaded) << report.errorText.ToUtf8();
        EXPECT_FALSE(report.unreadable);
        EXPECT_EQ(report.droppedTimes, 1);
        ASSERT_EQ(stores.plans.Count(), 1);
        EXPECT_EQ(stores.plans.First()->name, L"甲");
        EXPECT_EQ(stores.times.Count(), 1);
        EXPECT_DOUBLE_EQ(stores.times.Seconds(app, L"Debug|Win32"), 12);
        EXPECT_LT(stores.times.Seconds(core, L"Debug|Win32"), 0);
        Test_ns::RecordingPresenter_cl presenter;
        ShowStartReport(report, nullptr);
        ASSERT_EQ(presenter.Shown().size(), 1u);
        EXPECT_EQ(presenter.Shown()[0].text, DroppedTimesText(report));
        EXPECT_NE(presenter.Shown()[0].text.find(data), String_cl::npos);
    }
}
