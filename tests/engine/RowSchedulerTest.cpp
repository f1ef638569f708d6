// The order of side-by-side builds on small graphs made in memory: project
// records filled as the project file reader fills them, rows over them, and
// the scheduler asked what may start, as the walk asks it. No file is read
// and nothing is built.
#include <gtest/gtest.h>
#include <map>
#include <vector>
#include "app/engine/ProviderWait.h"
#include "app/engine/RowScheduler.h"
#include "app/ProgramPlaces.h"
#include "tests/support/FileSpellings.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

const wchar_t kConfig[] = L"Debug|Win32";

// What a project's build writes and links, relative to C:\ws\.
struct Spec_st {
    String_cl name;
    String_cl needs;              // a library its project file names, or empty
    String_cl output;             // default: lib\<name>.lib
    String_cl intermediate;       // default: <name>\Debug\ (a folder of its own)
    String_cl folder;             // of the project file; default: <name>
    String_cl import;             // the import library beside a DLL; default: none
};

class RowSchedulerTest : public ::testing::Test {
protected:
    MProjectId_cl Add(const Spec_st& s, const String_cl& configuration = kConfig)
    {
        const String_cl root = L"C:\\ws\\";
        const String_cl folder = root + (s.folder.empty() ? s.name : s.folder) + L"\\";
        const String_cl path = folder + s.name + L".vcproj";
        ProjectId_cl project;
        for (ProjectId_cl p = projects.First(); !p.IsEmpty(); p = p.Next())
            if (p->path == path) project = p;
        if (project.IsEmpty()) {
            Project_st record;
            record.path = path;
            record.name = s.name;
            record.exists = 1;
            project = projects.PushBack(record);
        }
        // A path with a drive or a share is taken as it is.
        auto at = [&](const String_cl& p) { return p.find(L':') != String_cl::npos || p.StartsWith(L"\\\\") ? p : String_cl(root + p); };
        ConfigEntry_st entry;
        entry.outputFile = s.output.empty() ? String_cl(root + L"lib\\" + s.name + L".lib") : at(s.output);
        entry.output = GetFileName(entry.outputFile);
        entry.outputFolder = GetFileDirectory(entry.outputFile, true);
        entry.intermediateFolder = s.intermediate.empty() ? folder + L"Debug\\" : at(s.intermediate);
        entry.compilerDatabase = entry.intermediateFolder + L"vc90.pdb";
        if (!s.needs.empty()) entry.libraries.push_back(s.needs);
        if (!s.import.empty()) entry.importLibrary = root + s.import;
        project->configurations.Insert(configuration.Upper(), entry);
        return RowForProject(project, configuration, rows, projects, sequences);
    }

    std::vector<String_cl> Names(const std::vector<MProjectId_cl>& list)
    {
        std::vector<String_cl> names;
        for (const MProjectId_cl& r : list) names.push_back(r->project->name);
        return names;
    }
    std::vector<String_cl> RowNames()
    {
        std::vector<String_cl> names;
        for (MProjectId_cl r = rows.First(); !r.IsEmpty(); r = r.Next()) names.push_back(r->project->name);
        return names;
    }
    std::vector<String_cl> SequenceNames()
    {
        std::vector<String_cl> names;
        for (SerialId_cl s = sequences.First(); !s.IsEmpty(); s = s.Next()) names.push_back(sequences.ProjectName(s));
        return names;
    }
    // Starts what may start, up to lanes at once, as the walk does.
    std::vector<MProjectId_cl> StartUpTo(RowScheduler_cl& scheduler, size_t lanes)
    {
        std::vector<MProjectId_cl> started;
        while (started.size() < lanes) {
            MProjectId_cl next = scheduler.NextToStart();
            if (next.IsEmpty()) break;
            scheduler.Started(next);
            started.push_back(next);
        }
        return started;
    }
    void Time(const MProjectId_cl& row, double seconds) { times.Record(row->project->path, kConfig, seconds); }

    SerialPack_cl sequences;
    ProjectPack_cl projects;
    MProjectPack_cl rows;
    LearnedLinkPack_cl links;
    BuildTimePack_cl times;
};

LogResult_st Built() { return {Compiled, String_cl()}; }

} // namespace

// Sharing a project folder or an output folder is safe; one intermediate
// folder, one output file, an output inside another's intermediate folder,
// or two configurations of one project are not. Paths compare case-folded.
TEST_F(RowSchedulerTest, RowsBuildTogetherUnlessTheirBuildsMeetInAFile)
{
    Add({L"a", L"", L"lib\\a.lib"});
    Add({L"b", L"", L"lib\\b.lib", L"a\\bobj\\", L"a"});       // a's folder and output folder
    Add({L"sameobj", L"", L"lib\\c.lib", L"A\\DEBUG\\"});      // a's intermediate folder
    Add({L"sameout", L"", L"LIB\\A.LIB"});                      // a's output file
    Add({L"inobj", L"", L"a\\Debug\\inobj.lib"});               // inside a's intermediate folder
    Add({L"a", L"", L"lib\\a-r.lib", L"a\\Release\\"}, L"Release|Win32");  // a's other configuration
    const BuildGraph_cl graph(rows, projects, links);
    std::map<String_cl, std::vector<bool>> collide;
    const uint32_t a = rows.First().Serial();
    for (MProjectId_cl r = rows.First().Next(); !r.IsEmpty(); r = r.Next())
        collide[r->project->name + L" " + r->configuration].push_back(graph.Collide(a, r.Serial()));
    const std::map<String_cl, std::vector<bool>> expected{{L"b Debug|Win32", {false}},
                                                          {L"sameobj Debug|Win32", {true}},
                                                          {L"sameout Debug|Win32", {true}},
                                                          {L"inobj Debug|Win32", {true}},
                                                          {L"a Release|Win32", {true}}};
    EXPECT_EQ(collide, expected);

    // Side by side: a and b start together; the others wait for a.
    RowScheduler_cl scheduler(rows, projects, links, times);
    EXPECT_EQ(Names(StartUpTo(scheduler, 8)), (std::vector<String_cl>{L"a", L"b"}));
}

// Files and folders are compared as the file system knows them: one
// library through another drive and in other case, one intermediate folder
// by its short name, an output in that folder through "/" are one; another
// library in the same output folder is not.
TEST_F(RowSchedulerTest, BuildsMeetInAFileHoweverItsPathIsSpelt)
{
    Test_ns::TempDir_cl dir(L"qv-h10");
    const String_cl out = dir / L"h10\\out\\", obj = dir / L"h10\\Intermediate Files\\";
    Test_ns::CreateFolders(out);
    Test_ns::CreateFolders(obj);
    String_cl slashes = obj;
    for (wchar_t& c : slashes)
        if (c == L'\\') c = L'/';
    const String_cl unixH10 = Test_ns::UnixDriveSpelling(dir / L"h10");
    const String_cl sameLib = unixH10.empty() ? L"\\\\?\\" + out.Upper() + L"Same.lib" : unixH10 + L"\\OUT\\Same.lib";
    const String_cl shortObj = Test_ns::ShortSpelling(obj);
    ASSERT_FALSE(shortObj.empty()) << "the test needs a short name";
    Add({L"a", L"", out + L"same.lib", obj});
    Add({L"sameout", L"", sameLib});
    Add({L"sameobj", L"", out + L"c.lib", shortObj});
    Add({L"inobj", L"", slashes + L"inobj.lib"});
    Add({L"other", L"", out + L"other.lib"});
    const BuildGraph_cl graph(rows, projects, links);
    std::map<String_cl, bool> collide;
    const uint32_t a = rows.First().Serial();
    for (MProjectId_cl r = rows.First().Next(); !r.IsEmpty(); r = r.Next())
        collide[r->project->name] = graph.Collide(a, r.Serial());
    const std::map<String_cl, bool> expected{
        {L"sameout", true}, {L"sameobj", true}, {L"inobj", true}, {L"other", false}};
    EXPECT_EQ(collide, expected);
}

// Known times: the row with the longest chain of rows needing it starts
// first, even listed last; a heavy row beats a longer chain of light ones; a
// row never built weighs the average; equal chains keep the row order. The
// time left is max(longest chain, work / lanes), a running row counting what
// is left of its time.
TEST_F(RowSchedulerTest, TheLongestRemainingChainStartsFirstAndSetsTheTimeLeft)
{
    MProjectId_cl x1 = Add({L"x1"}), x2 = Add({L"x2"}), heavy = Add({L"heavy"}), fresh = Add({L"fresh"});
    MProjectId_cl c1 = Add({L"c1"}), c2 = Add({L"c2", L"c1.lib"}), c3 = Add({L"c3", L"c2.lib"});
    for (const MProjectId_cl& r : {x1, x2, c1, c2, c3}) Time(r, 10);
    Time(heavy, 40);  // fresh: the average, 15
    RowScheduler_cl scheduler(rows, projects, links, times);
    EXPECT_EQ(scheduler.CriticalPath(), (std::vector<uint32_t>{heavy.Serial()}));
    EXPECT_DOUBLE_EQ(scheduler.SecondsLeft(1, {}), 105);
    EXPECT_DOUBLE_EQ(scheduler.SecondsLeft(2, {}), 52.5);
    EXPECT_DOUBLE_EQ(scheduler.SecondsLeft(8, {}), 40);
    EXPECT_EQ(Names(StartUpTo(scheduler, 3)), (std::vector<String_cl>{L"heavy", L"c1", L"fresh"}));
    EXPECT_DOUBLE_EQ(scheduler.SecondsLeft(3, {{heavy.Serial(), 20}, {c1.Serial(), 4}}),
                     (20 + 6 + 15 + 10 + 10 + 10 + 10) / 3.0);
    EXPECT_DOUBLE_EQ(scheduler.SecondsLeft(8, {{heavy.Serial(), 20}, {c1.Serial(), 4}}), 26);
    scheduler.Ended(c1, Built(), sequences);
    EXPECT_EQ(Names(StartUpTo(scheduler, 1)), (std::vector<String_cl>{L"c2"}));
    EXPECT_EQ(Names(StartUpTo(scheduler, 1)), (std::vector<String_cl>{L"x1"})) << "ties keep the row order";

    // Without any known time every row weighs the same: the chain first.
    // Once a build has ended, its time is what the others weigh.
    BuildTimePack_cl none;
    RowScheduler_cl unknown(rows, projects, links, none);
    EXPECT_EQ(unknown.CriticalPath(), (std::vector<uint32_t>{c1.Serial(), c2.Serial(), c3.Serial()}));
    EXPECT_LT(unknown.SecondsLeft(2, {}), 0) << "how long the walk takes is not known";
    EXPECT_EQ(Names(StartUpTo(unknown, 2)), (std::vector<String_cl>{L"c1", L"x1"}));
    unknown.Ended(x1, Built(), sequences);
    unknown.Took(x1, 30);
    EXPECT_DOUBLE_EQ(unknown.SecondsLeft(1, {{c1.Serial(), 10}}), 20 + 5 * 30);
}

// Declared dependencies (a project file's ProjectReference, a solution's
// ProjectDependencies) are edges like named libraries; after a walk every
// provider the graph knows stands before its users, the others keep their
// order, in the rows and in the sequence.
TEST_F(RowSchedulerTest, DeclaredEdgesCountAndProvidersEndUpFirst)
{
    MProjectId_cl app = Add({L"app", L"core.lib"}), tool = Add({L"tool"}), viewer = Add({L"viewer"});
    MProjectId_cl core = Add({L"core"}), util = Add({L"util"}), net = Add({L"net"});
    tool->project->references.push_back(L"c:\\WS\\util\\util.vcproj");
    const std::vector<DeclaredDependency_st> declared{{viewer->project->path, net->project->path}};
    RowScheduler_cl scheduler(rows, projects, links, times, declared);
    EXPECT_EQ(Names(StartUpTo(scheduler, 8)), (std::vector<String_cl>{L"core", L"util", L"net"}));
    for (const MProjectId_cl& r : {core, util, net}) scheduler.Ended(r, Built(), sequences);
    scheduler.PutProvidersFirst(sequences);
    const std::vector<String_cl> expected{L"core", L"app", L"util", L"tool", L"net", L"viewer"};
    EXPECT_EQ(RowNames(), expected);
    EXPECT_EQ(SequenceNames(), expected);

    const String_cl dot = GraphDotText(L"p", rows, BuildGraph_cl(rows, projects, links, declared));
    EXPECT_NE(dot.find(L"r" + String_cl::FromUnsigned(tool.Serial()) + L" -> r" +
                       String_cl::FromUnsigned(util.Serial()) + L" [label=\"\", style=dotted]"),
              String_cl::npos)
        << dot.ToUtf8();
}

// The one decision of both walks on a link that could not open a library:
// no provider, or the row itself, fails; a provider that failed in this walk
// makes a knock-on failure; one that waits for the row fails it; otherwise
// the row waits and a provider after it moves before it.
TEST_F(RowSchedulerTest, AMissingLibraryWaitsForItsProviderUnlessThatCannotEnd)
{
    struct Questions_cl : WalkQuestions_cl {
        bool failed = false, waits = false;
        bool FailedInThisWalk(const MProjectId_cl&) const override { return failed; }
        bool Waits(const MProjectId_cl&, const MProjectId_cl&) const override { return waits; }
    } walk;
    MProjectId_cl app = Add({L"app"}), core = Add({L"core"});
    auto judge = [&](const wchar_t* library) {
        const ProviderVerdict_st v = JudgeMissingLibrary(app, library, rows, sequences, walk);
        return std::vector<String_cl>{String_cl::FromInt(v.state), v.provider.IsEmpty() ? L"-" : v.provider->project->name,
                                      app->awaitedLibrary, String_cl::FromUnsigned(app->failedBecauseOf)};
    };
    EXPECT_EQ(judge(L"zlib.lib"), (std::vector<String_cl>{L"4", L"-", L"", L"0"}));
    EXPECT_EQ(judge(L"APP.lib"), (std::vector<String_cl>{L"4", L"app", L"", L"0"}));
    walk.failed = true;
    EXPECT_EQ(judge(L"core.lib"), (std::vector<String_cl>{L"4", L"core", L"", String_cl::FromUnsigned(core.Serial())}));
    walk.failed = false;
    walk.waits = true;
    EXPECT_EQ(judge(L"core.lib"), (std::vector<String_cl>{L"4", L"core", L"", L"0"}));
    EXPECT_EQ(RowNames(), (std::vector<String_cl>{L"app", L"core"})) << "nothing moves for a failure";
    walk.waits = false;
    EXPECT_EQ(judge(L"core.lib"), (std::vector<String_cl>{L"3", L"core", L"core.lib", L"0"}));
    EXPECT_EQ(RowNames(), (std::vector<String_cl>{L"core", L"app"}));
    EXPECT_EQ(SequenceNames(), (std::vector<String_cl>{L"core", L"app"}));
}

// A 2008 DLL that names no import library is known by its output ("core.dll")
// while its users link the linker's default "core.lib" beside it: that name
// finds it as a provider, draws the edge its users wait along, and meets a
// build that writes the same file.
TEST_F(RowSchedulerTest, ADllIsAlsoKnownByItsDefaultImportLibrary)
{
    const MProjectId_cl app = Add({L"app", L"core.lib", L"bin\\app.exe"});
    const MProjectId_cl core = Add({L"core", L"", L"bin\\core.dll", L"", L"", L"bin\\core.lib"});
    const MProjectId_cl other = Add({L"other", L"", L"bin\\core.lib"});
    EXPECT_EQ(core->output, L"core.dll");
    EXPECT_TRUE(Produces(*core, L"CORE.LIB"));
    EXPECT_TRUE(Produces(*core, L"core.dll"));
    EXPECT_FALSE(Produces(*app, L"core.lib"));

    const BuildGraph_cl graph(rows, projects, links);
    EXPECT_EQ(graph.Needs(app.Serial()), (std::vector<uint32_t>{core.Serial(), other.Serial()}));
    EXPECT_TRUE(graph.Collide(core.Serial(), other.Serial())) << "both write bin\\core.lib";
    RowScheduler_cl scheduler(rows, projects, links, times);
    EXPECT_EQ(Names(StartUpTo(scheduler, 8)), (std::vector<String_cl>{L"core"})) << "never app beside the DLL";

    // The link's verdict finds the DLL by that name (other, which writes a
    // core.lib too, stands after it).
    struct Walk_cl : WalkQuestions_cl {
        bool FailedInThisWalk(const MProjectId_cl&) const override { return false; }
        bool Waits(const MProjectId_cl&, const MProjectId_cl&) const override { return false; }
    } walk;
    const ProviderVerdict_st verdict = JudgeMissingLibrary(app, L"core.lib", rows, sequences, walk);
    EXPECT_EQ(verdict.state, LibraryDependency);
    EXPECT_TRUE(verdict.provider == core);
    EXPECT_EQ(RowNames(), (std::vector<String_cl>{L"core", L"app", L"other"}));
}

// Side by side, a link that fails for a library whose provider built well
// while the link's own build ran (it wrote the library too late): the user
// waits for it all the same, the edge is learned, and the user may start
// again at once. A provider that had ended before the user started is no
// such provider: the link failed for another reason.
TEST_F(RowSchedulerTest, ALinkFailingForALibraryBuiltBesideItIsBuiltAgain)
{
    const MProjectId_cl app = Add({L"app", L"", L"bin\\app.exe"});
    const MProjectId_cl core = Add({L"core"});
    RowScheduler_cl scheduler(rows, projects, links, times);
    EXPECT_EQ(Names(StartUpTo(scheduler, 2)), (std::vector<String_cl>{L"app", L"core"}));
    core->state = scheduler.Ended(core, Built(), sequences);
    EXPECT_EQ(core->state, Compiled);
    app->state = scheduler.Ended(app, {CompileFailed, L"core.lib"}, sequences);
    EXPECT_EQ(app->state, LibraryDependency);
    EXPECT_EQ(app->awaitedLibrary, L"core.lib");
    EXPECT_EQ(links.Libraries(app->project->path, kConfig), (std::vector<String_cl>{L"core.lib"}));
    EXPECT_FALSE(scheduler.Done());
    EXPECT_TRUE(scheduler.NextToStart() == app);
    EXPECT_EQ(RowNames(), (std::vector<String_cl>{L"core", L"app"}));

    // Built again after core: the same failure is no longer core's doing.
    scheduler.Started(app);
    app->state = scheduler.Ended(app, {CompileFailed, L"core.lib"}, sequences);
    EXPECT_EQ(app->state, CompileFailed);
    EXPECT_TRUE(scheduler.Done());
}

// Rows of a solution are built there, where the builder first builds what
// each depends on: a row waits for the rows its run would build; two runs
// that would build one project not built in this walk never run together; a
// run that may build a project the program does not read keeps apart from
// its solution's rows; a row whose run would build a failed row is not built.
TEST_F(RowSchedulerTest, RunsThatWouldBuildOneProjectNeverRunTogether)
{
    MProjectId_cl x = Add({L"x"}), y = Add({L"y"}), lib = Add({L"lib"});
    MProjectId_cl z = Add({L"z"}), w = Add({L"w"}), v = Add({L"v"});
    for (const MProjectId_cl& r : {x, y, lib, w}) r->project->solution = L"C:\\ws\\all.sln";
    z->project->solution = L"c:/WS/./all.sln";               // the same solution, spelt otherwise
    v->project->solution = L"C:\\ws\\other.sln";
    x->project->solutionDependencies = {L"C:/ws/x/../LIB/lib.vcproj"};
    y->project->references = {L"C:\\WS\\LIB\\lib.vcproj"};  // spelt otherwise
    z->project->dependsOnOtherKinds = true;                   // on a C# project, say
    v->project->dependsOnOtherKinds = true;
    auto end = [&](RowScheduler_cl& scheduler, const MProjectId_cl& row, int32_t state) {
        scheduler.Ended(row, {state, String_cl()}, sequences);
        row->state = state;  // as the walk concludes it
    };

    RowScheduler_cl scheduler(rows, projects, links, times);
    EXPECT_EQ(Names(StartUpTo(scheduler, 8)), (std::vector<String_cl>{L"lib", L"w", L"v"}));
    end(scheduler, lib, Compiled);
    // Both find lib built in this walk: it is only checked, by both at once.
    EXPECT_EQ(Names(StartUpTo(scheduler, 8)), (std::vector<String_cl>{L"x", L"y"}));
    for (const MProjectId_cl& r : {x, y, w, v}) end(scheduler, r, Compiled);
    EXPECT_EQ(Names(StartUpTo(scheduler, 8)), (std::vector<String_cl>{L"z"}));

    // lib fails: x and y are not built, each a knock-on failure of it.
    for (MProjectId_cl r = rows.First(); !r.IsEmpty(); r = r.Next()) r->state = Normal;
    RowScheduler_cl failing(rows, projects, links, times);
    EXPECT_EQ(failing.FailedDependency(x), 0u);
    StartUpTo(failing, 1);
    end(failing, lib, CompileFailed);
    for (const MProjectId_cl& r : {x, y}) EXPECT_EQ(failing.FailedDependency(r), lib.Serial());
    EXPECT_EQ(failing.FailedDependency(w), 0u);

    // lib built before this walk may be out of date: the run that starts
    // first builds it, and the other waits until then.
    for (MProjectId_cl r = rows.First(); !r.IsEmpty(); r = r.Next()) r->state = Compiled;
    x->state = y->state = Normal;
    RowScheduler_cl stale(rows, projects, links, times);
    EXPECT_EQ(Names(StartUpTo(stale, 8)), (std::vector<String_cl>{L"x"}));
    end(stale, x, Compiled);
    EXPECT_EQ(Names(StartUpTo(stale, 8)), (std::vector<String_cl>{L"y"}));
}
