// A plan carried to another checkout: written relative to one root, read
// under another; paths that leave the root refused both ways. And a build
// of some rows only (--only), as a pipeline's job runs it.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include "app/ProgramPlaces.h"
#include "app/store/DataFile.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PlanFile.h"
#include "common/base/Error.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;

namespace {

class NullReporter_cl : public JobReporter_cl {
public:
    void Status(const String_cl&) override {}
    void ShowError(const Base_ns::Error_cl& e) override { errors.push_back(e.Text()); }
    bool StopOnError() override { return false; }
    std::vector<String_cl> errors;
};

class PlanFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        OverrideModuleDirectory(m_dir / L"program\\");
    }
    void TearDown() override
    {
        OverrideModuleDirectory(L"");
        CoUninitialize();
    }

    // A library, or a program linking libs, in its own folder under root;
    // source is its one source file.
    String_cl Project(const String_cl& root, const String_cl& name, int type, const String_cl& libs = L"",
                      const std::string& source = "int x;\n")
    {
        const Test_ns::VcTool_st tool =
            type == 4 ? Test_ns::Librarian(L"$(OutDir)\\$(ProjectName).lib")
                      : Test_ns::Linker(L"$(OutDir)\\$(ProjectName).exe").Dependencies(libs).LibraryFolders(L"..\\lib");
        const String_cl path = root + name + L"\\" + name + L".vcproj";
        Test_ns::WriteVcprojAndSources(
            path, {name, {{L"Debug|Win32", type, {tool}, {{L"OutputDirectory", L"..\\lib"}}}}, {L"main.cpp"}}, source);
        return path;
    }
    PlanId_cl ReadPlan(Stores_cl& stores, const std::vector<String_cl>& files)
    {
        PlanId_cl plan = stores.plans.AddPlan(L"流水线", L"Debug|Win32");
        AddFilesToPlan(stores, plan, files);
        NullReporter_cl reporter;
        RunReadJob(stores, plan, reporter);
        return plan;
    }
    // The user error a call raises, as "code: note".
    template <class F>
    String_cl Refusal(F&& f)
    {
        try {
            f();
        } catch (const Base_ns::Error_cl& e) {
            return String_cl::FromInt(e.Code()) + L": " + e.Note();
        }
        return L"accepted";
    }

    Test_ns::TempDir_cl m_dir{L"planfile"};
};

} // namespace

// Written under one checkout, read under another: the plan, its solutions,
// its learned links and build times all point into the second.
TEST_F(PlanFileTest, PathsComeBackUnderAnotherRoot)
{
    const String_cl a = m_dir / L"agent a\\src\\", b = m_dir / L"agent b\\检出\\";
    Stores_cl first;
    const String_cl core = Project(a, L"core", 4), app = Project(a, L"app", 1, L"core.lib");
    const PlanId_cl plan = ReadPlan(first, {core, app});
    ASSERT_EQ(plan->rows.Count(), 2);
    first.links.Learn(app, L"Debug|Win32", L"extra.lib");
    first.times.Record(core, L"Debug|Win32", 12.5);
    first.links.Learn(m_dir / L"elsewhere\\x.vcproj", L"Debug|Win32", L"x.lib");  // no project of the plan
    const String_cl file = a + L"quorvane-plan.xml";
    WritePlanFile(first, *plan, a, file);
    const std::string bytes = Test_ns::ReadBytes(file);
    EXPECT_EQ(bytes.find(Test_ns::Ansi(L"agent a")), std::string::npos) << "a path of the first checkout";
    EXPECT_EQ(String_cl::FromUtf8(bytes).find(L"x.lib"), String_cl::npos) << "a link of another plan's project";

    Project(b, L"core", 4);
    Project(b, L"app", 1, L"core.lib");
    const PlanFile_st read = ReadPlanFile(file, b);
    ASSERT_EQ(read.solutions.size(), 2u);
    EXPECT_TRUE(read.solutions[0].EqualsNoCase(b + L"core\\core.vcproj")) << read.solutions[0].ToUtf8();
    Stores_cl second;
    bool created = false;
    const PlanId_cl taken = ApplyPlanFile(second, read, created);
    EXPECT_TRUE(created);
    EXPECT_EQ(taken->name, L"流水线");
    EXPECT_EQ(second.links.Libraries(b + L"app\\app.vcproj", L"Debug|Win32"), std::vector<String_cl>{L"extra.lib"});
    EXPECT_NEAR(second.times.Seconds(b + L"core\\core.vcproj", L"Debug|Win32"), 12.5, 0.001);
    // Taken in again (a collect job's results): the plan stays, nothing doubles.
    ApplyPlanFile(second, read, created);
    EXPECT_FALSE(created);
    EXPECT_EQ(second.plans.Count(), 1);
    EXPECT_EQ(second.links.Count(), 1);
}

// Someone else's file: a path that is absolute or climbs out of the root is
// refused, naming it; so is a file that is no plan file.
TEST_F(PlanFileTest, PathsThatLeaveTheRootAreRefused)
{
    const String_cl root = m_dir / L"root\\";
    Test_ns::CreateFolders(root);
    struct Case_st {
        const wchar_t* path;
        const wchar_t* expected;
    };
    for (const Case_st& c : {Case_st{L"..\\x.sln", L"102: ..\\x.sln"}, Case_st{L"a\\..\\..\\x.sln", L"102: a\\..\\..\\x.sln"},
                             Case_st{L"C:\\x.sln", L"102: C:\\x.sln"}, Case_st{L"\\x.sln", L"102: \\x.sln"},
                             Case_st{L"a/../../x.sln", L"102: a\\..\\..\\x.sln"}, Case_st{L"a\\x.sln", L"accepted"}}) {
        const String_cl file = root + L"plan.xml";
        const String_cl text = String_cl(L"<Quorvane 方案文件=\"1\"><方案 名称=\"p\" 编译方式=\"Debug|Win32\">"
                                         L"<解决方案 路径=\"") + c.path + L"\"/></方案></Quorvane>";
        ASSERT_TRUE(Test_ns::WriteBytes(file, text.ToUtf8()));
        EXPECT_EQ(Refusal([&] { ReadPlanFile(file, root); }), c.expected) << String_cl(c.path).ToUtf8();
    }
    ASSERT_TRUE(Test_ns::WriteBytes(root + L"data.xml", "<Quorvane><方案/></Quorvane>"));
    EXPECT_EQ(Refusal([&] { ReadPlanFile(root + L"data.xml", root); }).substr(0, 4), L"103:");
}

// A file of the plan outside the root can never reach an agent: refused,
// naming it, and no file is written.
TEST_F(PlanFileTest, WritingRefusesAFileOutsideTheRoot)
{
    const String_cl ws = m_dir / L"ws\\";
    Stores_cl stores;
    const String_cl core = Project(ws, L"core", 4), app = Project(ws, L"app", 1, L"core.lib");
    const PlanId_cl plan = ReadPlan(stores, {core, app});
    const String_cl out = ws + L"app\\plan.xml";
    const String_cl refusal = Refusal([&] { WritePlanFile(stores, *plan, ws + L"app\\", out); });
    EXPECT_TRUE(refusal.StartsWith(L"101: ")) << refusal.ToUtf8();
    EXPECT_NE(refusal.find(core), String_cl::npos) << refusal.ToUtf8();
    EXPECT_FALSE(Test_ns::FileExists(out));

    EXPECT_EQ(CommonFolder({core, app}), ws);
    EXPECT_EQ(CommonFolder({L"C:\\w\\a\\x.sln", L"c:\\W\\ab\\y.sln"}), L"C:\\w\\");
    EXPECT_EQ(CommonFolder({L"C:\\w\\x.sln", L"D:\\w\\y.sln"}), L"");
    EXPECT_EQ(RelativeTo(L"C:\\w\\", L"c:\\W\\a\\x.sln"), L"a\\x.sln");
    EXPECT_EQ(RelativeTo(L"C:\\w\\", L"C:\\wx\\x.sln"), L"");
    EXPECT_EQ(RelativeTo(L"C:\\w\\", L"C:\\w\\a\\..\\..\\x.sln"), L"");
}

// A pipeline's job builds its rows and nothing else. A link that fails on
// the library of a row left out fails the row, naming the library and the
// project that builds it, and teaches the link; the row left out stays
// unbuilt.
TEST_F(PlanFileTest, OnlyBuildsTheRowsGivenAndLearnsWhatTheyMissed)
{
    const String_cl ws = m_dir / L"ws\\";
    Stores_cl stores;
    const String_cl core = Project(ws, L"core", 4);
    const String_cl util = Project(ws, L"util", 4);
    // app links core by a #pragma its project file does not show.
    const String_cl app = Project(ws, L"app", 1, L"util.lib", "#pragma comment(lib, \"core.lib\")\nint x;\n");
    const PlanId_cl plan = ReadPlan(stores, {app, core, util});
    BuildRequest_st request;
    request.vcDirectory = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en");
    for (MProjectId_cl row = plan->rows.First(); !row.IsEmpty(); row = row.Next())
        if (row->project->name != L"core") request.only.insert(row.Serial());
    NullReporter_cl reporter;
    std::atomic<int> running{1};
    RunBuildJob(stores, plan, request, running, reporter);
    EXPECT_TRUE(reporter.errors.empty());
    for (MProjectId_cl row = plan->rows.First(); !row.IsEmpty(); row = row.Next()) {
        const String_cl& name = row->project->name;
        if (name == L"core") {
            EXPECT_EQ(row->state, Normal) << "left out, left alone";
        }
        if (name == L"util") {
            EXPECT_EQ(row->state, Compiled) << "built before app, which needs it";
        }
        if (name != L"app") continue;
        EXPECT_EQ(row->state, CompileFailed);
        EXPECT_NE(row->failReason.find(L"core.lib"), String_cl::npos) << row->failReason.ToUtf8();
        EXPECT_NE(row->failReason.find(L"工程 core"), String_cl::npos) << row->failReason.ToUtf8();
        EXPECT_EQ(row->failedBecauseOf, 0u) << "not a knock-on of a failure: core was not to be built";
    }
    EXPECT_FALSE(Test_ns::FileExists(ws + L"lib\\core.lib"));
    EXPECT_EQ(stores.links.Libraries(app, L"Debug|Win32"), std::vector<String_cl>{L"core.lib"});
}
