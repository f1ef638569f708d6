// The libraries learned from failed links, kept in the data file: what a
// later start reads back, and a file that the version before this one still
// loads (it reads only the sequence and the plans) with everything it knows.
#include <gtest/gtest.h>
#include "app/engine/RenameJournal.h"
#include "app/store/DataFile.h"
#include "app/ProgramPlaces.h"
#include "common/io/XMLFile.h"
#include "tests/store/StoreTestSupport.h"

using namespace Quorvane_ns;
using namespace StoreTest_ns;
using Test_ns::TempDir_cl;

namespace {

class LearnedLinksTest : public ::testing::Test {
protected:
    void SetUp() override { RenameJournal_cl::SetPath(dir / L"Quorvane.renames"); }
    void TearDown() override { RenameJournal_cl::SetPath(String_cl()); }

    ComScope_cl com;
    TempDir_cl dir;
    String_cl data = dir / L"Quorvane.xml";
};

} // namespace

TEST_F(LearnedLinksTest, LinksSurviveTheRunAndTheFileStillLoadsWithoutThem)
{
    const String_cl app = L"C:\\ws\\App\\app.vcproj", net = L"C:\\ws\\Net\\net.vcproj";
    {
        Stores_cl stores;
        stores.StartProgram(data);
        stores.sequences.Register(net);
        stores.sequences.Register(app);
        EXPECT_TRUE(stores.links.Learn(app, L"Debug|Win32", L"net.lib"));
        EXPECT_FALSE(stores.links.Learn(L"c:\\WS\\app\\APP.vcproj", L"debug|win32", L"NET.LIB")) << "known already";
        EXPECT_TRUE(stores.links.Learn(app, L"Release|Win32", L"netr.lib"));
        EXPECT_TRUE(stores.links.Learn(net, L"Debug|Win32", L"zlib.lib"));
        ASSERT_TRUE(stores.EndProgram(data));
    }

    Stores_cl later;
    StartReport_st report = later.StartProgram(data);
    EXPECT_TRUE(report.loaded);
    EXPECT_EQ(later.links.Count(), 3);
    EXPECT_EQ(later.links.Libraries(app, L"DEBUG|WIN32"), (std::vector<String_cl>{L"net.lib"}));
    EXPECT_EQ(later.links.Libraries(app, L"Release|Win32"), (std::vector<String_cl>{L"netr.lib"}));
    EXPECT_TRUE(later.links.Libraries(app, L"Debug|x64").empty());

    // What the version before this one does with the file: it finds its two
    // elements, first and second under the root, and nothing refuses it.
    SerialPack_cl sequences;
    PlanPack_cl plans;
    EXPECT_EQ(LoadAsThePredecessor(data, sequences, plans), (std::vector<String_cl>{L"序列", L"方案", L"依赖"}));
    ASSERT_EQ(sequences.Count(), 2);
    EXPECT_EQ(sequences.First()->path, net);
    ASSERT_EQ(plans.Count(), 1);
    EXPECT_EQ(plans.First()->name, L"默认");
}
