// The data file as two installs of the program meet it: one on MSXML 6
// writes it, one where only MSXML 4.0 is (an older install, an older system)
// reads it back unchanged and writes the very same bytes. Each half runs in
// a process of its own with the other MSXML turned off (cmake/wine-run.sh):
// tests/store/CMakeLists.txt runs the writer, then the reader; neither runs
// with the rest of the program's tests.
#include <gtest/gtest.h>
#include "app/engine/RenameJournal.h"
#include "app/store/DataFile.h"
#include "common/io/XMLFile.h"
#include "tests/store/StoreTestSupport.h"

using namespace Quorvane_ns;
using namespace StoreTest_ns;

namespace {

const String_cl kCore = L"C:\\ws\\核心 & 工具\\core.vcproj";
const String_cl kApp = L"C:\\ws\\app\\app.vcxproj";

String_cl HandoverFolder() { return Test_ns::ExeDirectory() + L"msxml-handover\\"; }
String_cl HandoverFile() { return HandoverFolder() + L"Quorvane.xml"; }

class DataFileAcrossMsxml : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(HandoverFolder().c_str(), nullptr);
        RenameJournal_cl::SetPath(HandoverFolder() + L"Quorvane.renames");
    }
    void TearDown() override { RenameJournal_cl::SetPath(String_cl()); }

    static String_cl MadeBy()
    {
        IO_ns::XMLFile_cl probe;
        return probe.ProgramId();
    }

    ComScope_cl com;
};

} // namespace

TEST_F(DataFileAcrossMsxml, DISABLED_WrittenThroughMsxml6)
{
    ASSERT_EQ(MadeBy(), L"Msxml2.DOMDocument.6.0");
    DeleteFileW(HandoverFile().c_str());
    Stores_cl stores;
    stores.StartProgram(HandoverFile());
    PlanId_cl second = stores.plans.AddPlan(L"第二 \"夜间\" <全部>", L"Release|x64");
    for (const String_cl& project : {kCore, kApp})
        second->solutions.AddSolution(project, second->configuration, second->rows, stores.projects, stores.sequences);
    stores.links.Learn(kApp, L"Release|x64", L"core.lib");
    stores.times.Record(kCore, L"Release|x64", 81.25);
    stores.times.Record(kApp, L"Release|x64", 3);
    ASSERT_TRUE(stores.SaveDataFile(HandoverFile()));
}

TEST_F(DataFileAcrossMsxml, DISABLED_ReadBackThroughMsxml4)
{
    ASSERT_EQ(MadeBy(), L"Msxml2.DOMDocument.4.0");
    const std::string written = Test_ns::ReadBytes(HandoverFile());
    ASSERT_FALSE(written.empty()) << "the writer has not run";
    Stores_cl stores;
    const StartReport_st report = stores.StartProgram(HandoverFile());
    ASSERT_TRUE(report.loaded) << report.errorText.ToUtf8();
    ASSERT_EQ(stores.plans.Count(), 2);
    EXPECT_EQ(stores.plans.At(0)->name, L"默认");
    PlanId_cl second = stores.plans.At(1);
    EXPECT_EQ(second->name, L"第二 \"夜间\" <全部>");
    EXPECT_EQ(second->configuration, L"Release|x64");
    ASSERT_EQ(second->solutions.Count(), 2);
    EXPECT_EQ(second->solutions.First()->path, kCore);
    EXPECT_EQ(second->solutions.First().Next()->path, kApp);
    ASSERT_EQ(stores.sequences.Count(), 2);
    EXPECT_EQ(stores.links.Libraries(kApp, L"Release|x64"), std::vector<String_cl>{L"core.lib"});
    EXPECT_DOUBLE_EQ(stores.times.Seconds(kCore, L"Release|x64"), 81.25);
    EXPECT_DOUBLE_EQ(stores.times.Seconds(kApp, L"Release|x64"), 3);

    const String_cl again = HandoverFolder() + L"Quorvane-4.xml";
    ASSERT_TRUE(stores.SaveDataFile(again));
    EXPECT_EQ(Test_ns::ReadBytes(again), written);
}
