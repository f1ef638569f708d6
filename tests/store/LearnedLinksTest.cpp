// The libraries learned from failed links, kept in the data file: what a
// later start reads back, and a file that the version before this one still
// loads (it reads only the sequence and the plans) with everything it knows.
#include <gtest/gtest.h>
#include "app/engine/RenameJournal.h"
#include "app/store/DataFile.h"
#include "app/ProgramPlaces.h"
#include "common/io/XMLFile.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/FileSpellings.h"

using namespace Quorvane_ns;
using namespace StoreTest_ns;
using Test_ns::TempDir_cl;

namespace {

class LearnedLinksTest : public ::testing::Test {
protected:
    void SetUp() override { RenameJournal_cl::SetPath(dir / L"Quorvane.renames"); }
    void TearDown() override { RenameJournal_cl::SetPath(String_cl()); }

    // A data file with the root's content as given.
    void WriteData(const String_cl& content)
    {
        ASSERT_TRUE(Test_ns::WriteBytes(
            data, String_cl(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Quorvane>" + content + L"</Quorvane>").ToUtf8()));
    }

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
        {
            // Links are kept for the projects a plan holds.
            PlanId_cl plan = stores.plans.First();
            for (const String_cl& project : {net, app})
                plan->solutions.AddSolution(project, plan->configuration, plan->rows, stores.projects, stores.sequences);
        }
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

// A link learned under one spelling of a project file is that file's link
// under any other, as a later run may spell it.
TEST_F(LearnedLinksTest, ALinkIsFoundUnderAnySpellingOfItsProject)
{
    const String_cl app = dir / L"App Folder\\app.vcproj";
    WriteProject(app, L"app");
    LearnedLinkPack_cl links;
    EXPECT_TRUE(links.Learn(dir / L"App Folder\\..\\App Folder/APP.vcproj", L"Debug|Win32", L"net.lib"));
    std::vector<String_cl> spellings{app};
    for (const String_cl& other : {Test_ns::ShortSpelling(app), Test_ns::UnixDriveSpelling(app)})
        if (!other.empty()) spellings.push_back(other);
    for (const String_cl& spelling : spellings) {
        EXPECT_EQ(links.Libraries(spelling, L"debug|win32"), (std::vector<String_cl>{L"net.lib"})) << spelling.ToUtf8();
        EXPECT_FALSE(links.Learn(spelling, L"Debug|Win32", L"NET.lib")) << spelling.ToUtf8();
    }
    EXPECT_EQ(links.Count(), 1);
    EXPECT_TRUE(links.Libraries(dir / L"App Folder\\other.vcproj", L"Debug|Win32").empty());
}

TEST_F(LearnedLinksTest, AnIncompleteLinkIsDroppedAndTheRestOfTheFileLoads)
{
    const String_cl app = L"C:\\ws\\App\\app.vcproj", link = L"路径=\"" + app + L"\" 编译方式=\"Debug|Win32\"";
    WriteData(L"<序列/><方案><方案1 名称=\"夜间\" 编译方式=\"Debug|Win32\"><解决方案><解决方案1 路径=\"" + app +
              L"\"/></解决方案></方案1></方案><依赖><依赖1 " + link + L" 库=\"net.lib\"/><依赖2 " + link +
              L"/><依赖3 路径=\"\" 编译方式=\"Debug|Win32\" 库=\"zlib.lib\"/></依赖>");
    Stores_cl stores;
    StartReport_st report = stores.StartProgram(data);
    EXPECT_TRUE(report.loaded);
    EXPECT_EQ(report.droppedLinks, 2);
    EXPECT_EQ(stores.plans.First()->name, L"夜间");
    EXPECT_EQ(stores.links.Libraries(app, L"Debug|Win32"), (std::vector<String_cl>{L"net.lib"}));

    // The user is told, with the file named, where the start routine tells things.
    Test_ns::RecordingPresenter_cl presenter;
    EXPECT_TRUE(HasStartMessages(report));
    ShowStartReport(report, nullptr);
    ASSERT_EQ(presenter.Shown().size(), 1u);
    EXPECT_NE(presenter.Shown()[0].text.find(data), String_cl::npos);
}

TEST_F(LearnedLinksTest, LinksAndTimesOfProjectsNoPlanHoldsAreNotSaved)
{
    // A plan not read in this run holds the projects of its solution file
    // and its lone project files; a plan read in this run those of its rows.
    const String_cl sln = dir / L"s\\s.sln", inSolution = dir / L"s\\y\\y.vcproj", lone = dir / L"z\\z.vcproj";
    const String_cl read = dir / L"x\\x.vcproj", gone = dir / L"gone\\gone.vcproj";
    Test_ns::CreateFolders(sln);
    WriteSolution(sln, {{L"y", L"y\\y.vcproj", L"{11111111-1111-1111-1111-111111111111}", BothConfigs()}});
    WriteProject(read, L"x");
    WriteData(L"<序列/><方案><方案1 名称=\"甲\" 编译方式=\"Debug|Win32\"><解决方案><解决方案1 路径=\"" + sln +
              L"\"/><解决方案2 路径=\"" + lone + L"\"/></解决方案></方案1></方案>");
    Stores_cl stores;
    ASSERT_TRUE(stores.StartProgram(data).loaded);
    {
        PlanId_cl plan = stores.plans.AddPlan(L"乙", L"Debug|Win32");
        plan->solutions.AddSolution(read, plan->configuration, plan->rows, stores.projects, stores.sequences);
    }
    for (const String_cl& project : {inSolution, lone, read, gone})
        stores.links.Learn(project.Upper(), L"Debug|Win32", L"core.lib");
    stores.times.Record(read, L"Debug|Win32", 2.0);
    stores.times.Record(gone, L"Debug|Win32", 3.0);
    ASSERT_TRUE(stores.SaveDataFile(data));
    Stores_cl later;
    later.StartProgram(data);
    EXPECT_EQ(later.links.Count(), 3);
    EXPECT_TRUE(later.links.Libraries(gone, L"Debug|Win32").empty());
    EXPECT_EQ(later.times.Seconds(read, L"Debug|Win32"), 2.0);
    EXPECT_LT(later.times.Seconds(gone, L"Debug|Win32"), 0.0);

    // A solution file that cannot be read: nobody can say what it holds.
    DeleteFileW(sln.c_str());
    ASSERT_TRUE(stores.SaveDataFile(data));
    EXPECT_EQ(stores.links.Count(), 3);
    stores.links.Learn(gone, L"Debug|Win32", L"core.lib");
    ASSERT_TRUE(stores.SaveDataFile(data));
    EXPECT_EQ(stores.links.Count(), 4);
}

// A solution file emptied (type nul > A.sln) or holding merge-conflict text
// reads as no projects: it says nothing of what its plan holds, so nothing
// learned is dropped, as for one that is missing, whether or not its plan
// was read in this run.
TEST_F(LearnedLinksTest, ASolutionThatReadsAsNoProjectsDropsNothing)
{
    const String_cl sln = dir / L"a\\A.sln", core = dir / L"a\\core\\core.vcproj", other = dir / L"b\\b.vcproj";
    Test_ns::CreateFolders(sln);
    WriteProject(core, L"core");
    WriteProject(other, L"b");
    struct Case_st {
        const char* name;
        std::string text;
        bool readInThisRun;
    };
    const Case_st cases[] = {
        {"emptied", "", false},
        {"merge conflict", "<<<<<<< HEAD\r\nProject(\"{8BC9CEB8\r\n=======\r\n>>>>>>> theirs\r\n", false},
        {"emptied, the plan read in this run", "", true},
    };
    for (const Case_st& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSolution(sln, {{L"core", L"core\\core.vcproj", L"{C0}", BothConfigs()}});
        WriteData(L"<序列/><方案><方案1 名称=\"A\" 编译方式=\"Debug|Win32\"><解决方案><解决方案1 路径=\"" + sln +
                  L"\"/></解决方案></方案1><方案2 名称=\"B\" 编译方式=\"Debug|Win32\"><解决方案><解决方案1 路径=\"" +
                  other + L"\"/></解决方案></方案2></方案>"
                  L"<依赖><依赖1 路径=\"" + core + L"\" 编译方式=\"Debug|Win32\" 库=\"z.lib\"/></依赖>"
                  L"<耗时><耗时1 路径=\"" + core + L"\" 编译方式=\"Debug|Win32\" 毫秒=\"9000\"/></耗时>");
        Stores_cl stores;
        ASSERT_TRUE(stores.StartProgram(data).loaded);
        ASSERT_TRUE(Test_ns::WriteBytes(sln, c.text));
        if (c.readInThisRun) {
            PlanId_cl a = stores.plans.FindPlan(L"A");
            try {
                a->solutions.ReadSolutions(a->configuration, a->rows, stores.projects, stores.sequences);
            } catch (const Base_ns::Error_cl&) {
            }
            ASSERT_EQ(a->rows.Count(), 0);
        }
        ASSERT_TRUE(stores.SaveDataFile(data));
        Stores_cl later;
        ASSERT_TRUE(later.StartProgram(data).loaded);
        EXPECT_EQ(later.links.Libraries(core, L"Debug|Win32"), std::vector<String_cl>{L"z.lib"});
        EXPECT_DOUBLE_EQ(later.times.Seconds(core, L"Debug|Win32"), 9);
    }
}
