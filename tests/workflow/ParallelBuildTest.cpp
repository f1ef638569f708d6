// Several rows built at once through the builder stand-in: solutions whose
// projects link each other's libraries without declaring it, a shared
// folder, a library the project files do not name, Stop and stop-on-error.
// The stand-in's trace (start and end of every project build, written by
// each devenv process) is what tells which builds overlapped.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>
#include "app/engine/RowState.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"
#include "app/workflow/Jobs.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/StandinTrace.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Test_ns::StandinBuild_st;

namespace {

const wchar_t kVcType[] = L"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";

struct Project_st {
    String_cl folder;  // relative to the workspace, e.g. L"Base\\core"
    String_cl name;
    bool program = false;
    String_cl needs;   // AdditionalDependencies
    bool broken = false;
    String_cl intermediate;  // IntermediateDirectory; empty for the default
    String_cl output;        // the library's OutputFile, its output folder its own; empty for lib\<name>.lib
    std::vector<String_cl> references;  // ProjectReference, relative to its folder
};

// What happened, in the order the job reported it.
struct Event_st {
    bool start;
    String_cl name;
    int32_t state;  // at its end
};

class Recorder_cl : public JobReporter_cl {
public:
    std::vector<Event_st> events;
    std::vector<String_cl> statuses;
    std::vector<String_cl> errors;
    bool stopOnError = false;
    int maxLane = -1;
    std::function<void(const MProject_st&)> onStart;
    std::function<void(const MProject_st&)> onEnd;
    // The stand-in's trace, emptied when a rebuild's build phase begins so
    // that it holds the builds only.
    String_cl trace;

    std::vector<BuildProgress_st> progress;

    void Status(const String_cl& text) override { statuses.push_back(text); }
    void Progress(const BuildProgress_st& p) override
    {
        progress.push_back(p);
        JobReporter_cl::Progress(p);
    }
    void RowStarted(const Plan_st&, const MProject_st& row, int lane) override
    {
        maxLane = std::max(maxLane, lane);
        events.push_back({true, row.project->name, row.state});
        if (onStart) onStart(row);
    }
    void RowBuilt(const Plan_st&, const MProject_st& row, int) override
    {
        events.push_back({false, row.project->name, row.state});
        if (onEnd) onEnd(row);
    }
    void ShowError(const Base_ns::Error_cl& e) override { errors.push_back(e.Text()); }
    bool StopOnError() override { return stopOnError; }
    void BuildPhaseStarted() override
    {
        if (!trace.empty()) DeleteFileW(trace.c_str());
    }

    int Starts(const String_cl& name) const
    {
        return int(std::count_if(events.begin(), events.end(), [&](const Event_st& e) { return e.start && e.name == name; }));
    }
};

// How a row ended: its state, the row it failed because of, where its log went.
struct Outcome_st {
    int32_t state = -1;
    String_cl because;
    bool logInFailedFolder = false;
    bool operator==(const Outcome_st& o) const
    {
        return state == o.state && because == o.because && logInFailedFolder == o.logInFailedFolder;
    }
};
using Outcomes_t = std::map<String_cl, Outcome_st>;

class EnvironmentScope_cl {
public:
    EnvironmentScope_cl(const wchar_t* name, const String_cl& value) : m_name(name)
    {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentScope_cl() { SetEnvironmentVariableW(m_name, nullptr); }

private:
    const wchar_t* m_name;
};

// One workspace, its own program folder (logs, rename record) and stores.
class Workspace_cl {
public:
    Workspace_cl()
    {
        CreateDirectories(m_dir / L"prog\\");
        OverrideModuleDirectory(m_dir / L"prog\\");
        m_plan = m_stores.plans.AddPlan(L"p", L"Debug|Win32");
    }
    ~Workspace_cl()
    {
        m_plan = PlanId_cl();
        m_stores.plans.Clear();
        OverrideModuleDirectory(L"");
    }

    String_cl Root() const { return m_dir.Path(); }
    Stores_cl& Stores() { return m_stores; }
    Plan_st& Plan() { return *m_plan; }
    String_cl Trace() const { return m_dir / L"trace.txt"; }

    String_cl Write(const Project_st& p)
    {
        const String_cl lib = m_dir / L"lib";
        const Test_ns::VcTool_st tool =
            p.program ? Test_ns::Linker(m_dir / L"bin\\$(ProjectName).exe")
                      : Test_ns::Librarian(p.output.empty() ? lib + L"\\$(ProjectName).lib" : m_dir / p.output);
        Test_ns::VcProject_st project{p.name,
                                      {{L"Debug|Win32", p.program ? 1 : 4,
                                        {tool.Dependencies(p.needs).LibraryFolders(lib)},
                                        {{L"OutputDirectory", !p.output.empty() ? String_cl() : p.program ? m_dir / L"bin" : lib},
                                         {L"IntermediateDirectory", p.intermediate}}}},
                                      {p.name + L".cpp"}};
        project.references = p.references;
        const String_cl path = m_dir / (p.folder + L"\\" + p.name + L".vcproj");
        Test_ns::WriteVcprojAndSources(path, project, p.broken ? "#error broken on purpose\r\n" : "int f();\r\n");
        return path;
    }

    // A solution of the projects given (relative to its folder), declaring
    // only the dependencies given (project index → the index it depends on).
    String_cl Solution(const String_cl& relative, const std::vector<String_cl>& projects,
                       const std::vector<std::pair<size_t, size_t>>& dependencies = {})
    {
        String_cl t = L"\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n# Visual Studio 2008\r\n";
        String_cl configs;
        std::vector<String_cl> guids;
        for (size_t i = 0; i < projects.size(); ++i) {
            wchar_t guid[64];
            swprintf(guid, 64, L"{5E1F7A00-3C2B-4D6E-8F90-0000000000%02d}", int(++m_guids));
            guids.push_back(guid);
        }
        for (size_t i = 0; i < projects.size(); ++i) {
            const String_cl& guid = guids[i];
            const String_cl name = GetFileTitle(GetFileName(projects[i]));
            t += L"Project(\"" + String_cl(kVcType) + L"\") = \"" + name + L"\", \"" + projects[i] + L"\", \"" + guid +
                 L"\"\r\n";
            for (const auto& [from, to] : dependencies)
                if (from == i)
                    t += L"\tProjectSection(ProjectDependencies) = postProject\r\n\t\t" + guids[to] + L" = " + guids[to] +
                         L"\r\n\tEndProjectSection\r\n";
            t += L"EndProject\r\n";
            configs += String_cl(L"\t\t") + guid + L".Debug|Win32.ActiveCfg = Debug|Win32\r\n\t\t" + guid +
                       L".Debug|Win32.Build.0 = Debug|Win32\r\n";
        }
        t += L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n\t\tDebug|Win32 = "
             L"Debug|Win32\r\n\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n" +
             configs + L"\tEndGlobalSection\r\nEndGlobal\r\n";
        const String_cl path = m_dir / relative;
        CreateDirectories(path);
        Test_ns::WriteBytes(path, "\xEF\xBB\xBF" + t.ToUtf8());
        return path;
    }

    void Add(const String_cl& path)
    {
        m_plan->solutions.AddSolution(path, m_plan->configuration, m_plan->rows, m_stores.projects,
                                      m_stores.sequences);
    }

    bool Rebuild(Recorder_cl& r, int jobs)
    {
        m_running = 1;
        return RunRebuildJob(m_stores, m_plan, Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en"), m_running, r,
                             jobs);
    }
    bool Build(Recorder_cl& r, int jobs)
    {
        BuildRequest_st request;
        request.vcDirectory = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en");
        request.jobs = jobs;
        m_running = 1;
        return RunBuildJob(m_stores, m_plan, request, m_running, r);
    }
    std::atomic<int>& Running() { return m_running; }

    MProjectId_cl Row(const String_cl& name)
    {
        for (MProjectId_cl r = m_plan->rows.First(); !r.IsEmpty(); r = r.Next())
            if (r->project->name == name) return r;
        return MProjectId_cl();
    }
    std::vector<String_cl> RowNames()
    {
        std::vector<String_cl> names;
        for (MProjectId_cl r = m_plan->rows.First(); !r.IsEmpty(); r = r.Next()) names.push_back(r->project->name);
        return names;
    }
    Outcomes_t Outcomes()
    {
        Outcomes_t out;
        for (MProjectId_cl r = m_plan->rows.First(); !r.IsEmpty(); r = r.Next()) {
            Outcome_st o;
            o.state = r->state;
            if (r->failedBecauseOf) o.because = m_plan->rows.FromSerial(r->failedBecauseOf)->project->name;
            o.logInFailedFolder = r->log.StartsWith(FailedLogDirectory());
            EXPECT_EQ(m_stores.projects.ProjectState(r->project, L"Debug|Win32"), r->state);
            out[r->project->name] = o;
        }
        return out;
    }

private:
    Test_ns::TempDir_cl m_dir{L"qv-par"};
    Stores_cl m_stores;
    PlanId_cl m_plan;
    std::atomic<int> m_running{0};
    int m_guids = 0;
};

// Three solutions that use each other's libraries without saying so, listed
// consumers first; two projects share a folder, two share an intermediate
// folder; one project does not compile and another links its library.
void LayOutSolutions(Workspace_cl& ws)
{
    ws.Write({L"App\\viewer", L"viewer", true, L"net.lib store.lib"});
    ws.Write({L"App\\tool", L"tool", true, L"util.lib broken.lib"});
    ws.Write({L"App\\sidea", L"sidea", false, L"", false, L"..\\shared-obj"});
    ws.Write({L"App\\sideb", L"sideb", false, L"", false, L"..\\shared-obj"});
    ws.Write({L"Services\\net", L"net", false, L"core.lib"});
    ws.Write({L"Services\\store", L"store", false, L"core.lib util.lib"});
    ws.Write({L"Services\\broken", L"broken", false, L"", true});
    ws.Write({L"Base\\core", L"core", false, L""});
    ws.Write({L"Base\\core", L"coretest", true, L"core.lib"});
    ws.Write({L"Base\\util", L"util", false, L""});
    ws.Add(ws.Solution(L"App\\App.sln", {L"viewer\\viewer.vcproj", L"tool\\tool.vcproj", L"sidea\\sidea.vcproj",
                                         L"sideb\\sideb.vcproj"}));
    ws.Add(ws.Solution(L"Services\\Services.sln",
                       {L"net\\net.vcproj", L"store\\store.vcproj", L"broken\\broken.vcproj"}));
    ws.Add(ws.Solution(L"Base\\Base.sln", {L"core\\core.vcproj", L"core\\coretest.vcproj", L"util\\util.vcproj"}));
}

String_cl NameOf(const StandinBuild_st& b) { return GetFileTitle(GetFileName(b.project)); }

// The most builds that ran at one moment.
int MostAtOnce(const std::vector<StandinBuild_st>& builds)
{
    int most = 0;
    for (const StandinBuild_st& b : builds) {
        int at = 0;
        for (const StandinBuild_st& o : builds)
            if (o.start <= b.start && b.start < o.end) ++at;
        most = std::max(most, at);
    }
    return most;
}

class ParallelBuildTest : public ::testing::Test {
protected:
    // The trace names the file devenv was given: the projects' own names.
    void SetUp() override
    {
        m_com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        SetRenameCompile(false);
    }
    void TearDown() override
    {
        SetRenameCompile(true);
        if (m_com) CoUninitialize();
    }
    bool m_com = false;
};

} // namespace

TEST_F(ParallelBuildTest, FourAtOnceEndEveryRowAsOneAtATimeAndNeverShareAnIntermediateFolder)
{
    EnvironmentScope_cl slow(L"QV_STANDIN_DELAY_MS", L"300");
    Outcomes_t one;
    {
        Workspace_cl ws;
        LayOutSolutions(ws);
        Recorder_cl r;
        EXPECT_TRUE(ws.Rebuild(r, 1));
        EXPECT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
        EXPECT_EQ(r.maxLane, 0);
        EXPECT_TRUE(std::count(r.statuses.begin(), r.statuses.end(), String_cl(L"正在编译工程viewer......")) >= 1);
        for (const String_cl& s : r.statuses)
            EXPECT_EQ(s.find(L", "), String_cl::npos) << "one at a time names one row: " << s.ToUtf8();
        one = ws.Outcomes();
    }

    Workspace_cl ws;
    LayOutSolutions(ws);
    EnvironmentScope_cl trace(L"QV_STANDIN_TRACE", ws.Trace());
    Recorder_cl r;
    r.trace = ws.Trace();
    EXPECT_TRUE(ws.Rebuild(r, 4));
    EXPECT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
    const Outcomes_t four = ws.Outcomes();
    EXPECT_EQ(four.size(), 10u);
    for (const auto& [name, outcome] : one) {
        auto it = four.find(name);
        ASSERT_NE(it, four.end()) << name.ToUtf8();
        EXPECT_TRUE(it->second == outcome) << name.ToUtf8() << ": " << it->second.state << " against " << outcome.state;
    }
    EXPECT_EQ(four.at(L"viewer").state, Compiled);
    EXPECT_EQ(four.at(L"broken").state, CompileFailed);
    EXPECT_EQ(four.at(L"tool").state, CompileFailed);
    EXPECT_EQ(four.at(L"tool").because, L"broken");

    const std::vector<StandinBuild_st> builds = Test_ns::ReadStandinTrace(ws.Trace());
    std::map<String_cl, const StandinBuild_st*> byName;
    for (const StandinBuild_st& b : builds) {
        // The project files name every library: each row is built once.
        EXPECT_EQ(byName.count(NameOf(b)), 0u) << NameOf(b).ToUtf8() << " built twice";
        byName[NameOf(b)] = &b;
    }
    ASSERT_EQ(byName.size(), 10u);
    for (size_t i = 0; i < builds.size(); ++i) {
        for (size_t j = i + 1; j < builds.size(); ++j) {
            if (!builds[i].Overlaps(builds[j])) continue;
            const std::set<String_cl> pair{NameOf(builds[i]), NameOf(builds[j])};
            EXPECT_NE(pair, (std::set<String_cl>{L"sidea", L"sideb"})) << "their intermediate folder is one";
            EXPECT_NE(pair, (std::set<String_cl>{L"core", L"coretest"})) << "their default intermediate folder is one";
        }
    }
    const int most = MostAtOnce(builds);
    EXPECT_GE(most, 2) << "nothing was built side by side";
    EXPECT_LE(most, 4);
    EXPECT_LE(r.maxLane, 3);
    // A row starts after every row whose library it links has ended.
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> needs = {
        {L"viewer", L"net"}, {L"viewer", L"store"}, {L"net", L"core"},     {L"store", L"core"},
        {L"store", L"util"}, {L"tool", L"util"},    {L"tool", L"broken"}, {L"coretest", L"core"}};
    for (const auto& [consumer, provider] : needs)
        EXPECT_GE(byName.at(consumer)->start, byName.at(provider)->end) << String_cl(consumer).ToUtf8();
    // The status line names the rows being built.
    EXPECT_NE(std::find_if(r.statuses.begin(), r.statuses.end(),
                           [](const String_cl& s) { return s.StartsWith(L"正在编译工程") && s.find(L", ") != String_cl::npos; }),
              r.statuses.end());
    EXPECT_TRUE(ws.Stores().links.Count() == 0) << "nothing to learn: the project files name every library";
}

// app links core.lib through a name its project file does not spell out (an
// environment variable set only for the builds, as a property sheet would
// add it). app starts beside core, its link fails while core is still
// being built: it waits, core moves before it in the rows and the sequence,
// and app is built again after core. The next build knows the edge.
TEST_F(ParallelBuildTest, ALinkThatFailsForARunningProviderWaitsForItAndTheEdgeIsKept)
{
    Workspace_cl ws;
    const String_cl app = ws.Write({L"app", L"app", true, L"$(QV_TEST_HIDDEN_LIB)"});
    const String_cl core = ws.Write({L"core", L"core", false, L""});
    ws.Add(app);
    ws.Add(core);
    ASSERT_EQ(ws.RowNames(), (std::vector<String_cl>{L"app", L"core"}));
    EnvironmentScope_cl hidden(L"QV_TEST_HIDDEN_LIB", L"core.lib");
    EnvironmentScope_cl trace(L"QV_STANDIN_TRACE", ws.Trace());
    // app's builder runs long enough for core's to start beside it even on a
    // busy machine, where starting cmd, the environment script and the
    // builder can take a second or more; core's runs longer still, so that
    // app's link fails for want of core.lib.
    EnvironmentScope_cl delay(L"QV_STANDIN_DELAY_MS", L"3000");

    // core is slow, and starts only once app's builder runs with its own delay.
    const String_cl appLog = GoodLogDirectory() + L"app.log";
    Recorder_cl r;
    r.onStart = [&](const MProject_st& row) {
        if (row.project->name != L"core") return;
        for (int i = 0; i < 1500 && Test_ns::ReadBytes(appLog).empty(); ++i) Sleep(20);
        SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"9000");
    };
    r.onEnd = [&](const MProject_st& row) {
        if (row.project->name == L"core") SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"3000");
    };
    EXPECT_TRUE(ws.Build(r, 4));
    ASSERT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
    std::vector<String_cl> walk;
    for (const Event_st& e : r.events) walk.push_back((e.start ? L"+" : L"-") + e.name + L":" + String_cl::FromInt(e.state));
    EXPECT_EQ(walk, (std::vector<String_cl>{L"+app:0", L"+core:0", L"-app:3", L"-core:2", L"+app:3", L"-app:2"}));
    EXPECT_EQ(ws.RowNames(), (std::vector<String_cl>{L"core", L"app"}));
    std::vector<String_cl> sequence;
    for (SerialId_cl s = ws.Stores().sequences.First(); !s.IsEmpty(); s = s.Next()) sequence.push_back(s->path);
    EXPECT_EQ(sequence, (std::vector<String_cl>{core, app}));
    EXPECT_EQ(ws.Stores().links.Libraries(app, L"DEBUG|WIN32"), (std::vector<String_cl>{L"core.lib"}));

    std::vector<StandinBuild_st> builds = Test_ns::ReadStandinTrace(ws.Trace());
    ASSERT_EQ(builds.size(), 3u);
    EXPECT_TRUE(builds[0].Overlaps(builds[1])) << "app's first link did not fail while core was being built";
    EXPECT_EQ(NameOf(builds[2]), L"app");
    EXPECT_GE(builds[2].start, builds[1].end);

    // A rebuild with the learned edge: app waits for core from the start.
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"300");
    Recorder_cl again;
    again.trace = ws.Trace();
    EXPECT_TRUE(ws.Rebuild(again, 4));
    EXPECT_EQ(again.Starts(L"app"), 1);
    builds = Test_ns::ReadStandinTrace(ws.Trace());
    ASSERT_EQ(builds.size(), 2u);
    EXPECT_EQ(NameOf(builds[0]), L"core");
    EXPECT_GE(builds[1].start, builds[0].end);
    EXPECT_EQ(ws.Row(L"app")->state, Compiled);
}

// The same link failure when the provider's build ends first: the user's
// builder stays a while after its link (as the real one writes its logs),
// so that by the time its end is seen the provider has built well. The
// edge is learned all the same and the user is built again after it, as
// the one-at-a-time walk does, instead of failing with nothing learned.
TEST_F(ParallelBuildTest, ALinkThatFailsForAProviderThatEndsFirstIsLearnedAndBuiltAgain)
{
    Workspace_cl ws;
    const String_cl app = ws.Write({L"app", L"app", true, L"$(QV_TEST_HIDDEN_LIB)"});
    const String_cl core = ws.Write({L"core", L"core", false, L""});
    ws.Add(app);
    ws.Add(core);
    EnvironmentScope_cl hidden(L"QV_TEST_HIDDEN_LIB", L"core.lib");
    EnvironmentScope_cl trace(L"QV_STANDIN_TRACE", ws.Trace());
    // app links after one second and stays twelve more; core, started beside
    // it, writes its library after five and ends.
    EnvironmentScope_cl delay(L"QV_STANDIN_DELAY_MS", L"1000");
    EnvironmentScope_cl linger(L"QV_STANDIN_LINGER_MS", L"12000");
    // core's builder gets its own times once app's has started with its own.
    const String_cl appLog = GoodLogDirectory() + L"app.log";
    Recorder_cl r;
    r.onStart = [&](const MProject_st& row) {
        if (row.project->name != L"core") return;
        for (int i = 0; i < 1500 && Test_ns::ReadBytes(appLog).empty(); ++i) Sleep(20);
        SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"5000");
        SetEnvironmentVariableW(L"QV_STANDIN_LINGER_MS", nullptr);
    };
    r.onEnd = [&](const MProject_st& row) {
        if (row.project->name == L"core") SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"300");
    };
    EXPECT_TRUE(ws.Build(r, 2));
    ASSERT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
    std::vector<String_cl> walk;
    for (const Event_st& e : r.events) walk.push_back((e.start ? L"+" : L"-") + e.name + L":" + String_cl::FromInt(e.state));
    EXPECT_EQ(walk, (std::vector<String_cl>{L"+app:0", L"+core:0", L"-core:2", L"-app:3", L"+app:3", L"-app:2"}));
    EXPECT_EQ(ws.Stores().links.Libraries(app, L"DEBUG|WIN32"), (std::vector<String_cl>{L"core.lib"}));
    EXPECT_EQ(ws.RowNames(), (std::vector<String_cl>{L"core", L"app"}));
    EXPECT_EQ(ws.Row(L"app")->state, Compiled);

    const std::vector<StandinBuild_st> builds = Test_ns::ReadStandinTrace(ws.Trace());
    ASSERT_EQ(builds.size(), 3u);
    EXPECT_EQ(NameOf(builds[0]), L"core") << "core's build ended first";
    EXPECT_EQ(NameOf(builds[1]), L"app");
    EXPECT_TRUE(builds[0].Overlaps(builds[1])) << "app's first link did not fail while core was being built";
    EXPECT_EQ(NameOf(builds[2]), L"app");
    EXPECT_GE(builds[2].start, builds[0].end);
}

// A DLL as the Visual Studio 2008 wizard makes it: its linker names neither
// an output nor an import library, so the project is known as core.dll,
// while the program links core.lib, the linker's default import library
// beside the DLL (which the builder writes). One at a time, the program's
// LNK1104 for core.lib finds the DLL as its provider and the order is
// learned; side by side, the DLL is built first and the program never
// beside it.
TEST_F(ParallelBuildTest, AWizardMadeDllIsFoundByItsDefaultImportLibrary)
{
    auto layOut = [](Workspace_cl& ws) {
        const String_cl bin = ws.Root() + L"bin";
        const Test_ns::VcProject_st app{
            L"app",
            {{L"Debug|Win32", 1,
              {Test_ns::Compiler(), Test_ns::Linker(bin + L"\\$(ProjectName).exe").Dependencies(L"core.lib").LibraryFolders(bin)},
              {{L"OutputDirectory", bin}}}},
            {L"app.cpp"}};
        const Test_ns::VcProject_st core{
            L"core",
            {{L"Debug|Win32", 2, {Test_ns::Compiler(), Test_ns::Linker()},
              {{L"OutputDirectory", bin}, {L"IntermediateDirectory", L"$(ConfigurationName)"}}}},
            {L"core.cpp"}};
        const String_cl appPath = ws.Root() + L"app\\app.vcproj", corePath = ws.Root() + L"core\\core.vcproj";
        EXPECT_TRUE(Test_ns::WriteVcprojAndSources(appPath, app));
        EXPECT_TRUE(Test_ns::WriteVcprojAndSources(corePath, core));
        ws.Add(appPath);
        ws.Add(corePath);
        EXPECT_EQ(ws.RowNames(), (std::vector<String_cl>{L"app", L"core"}));
        EXPECT_EQ(ws.Row(L"core")->output, L"core.dll");
    };
    auto walkOf = [](const Recorder_cl& r) {
        std::vector<String_cl> walk;
        for (const Event_st& e : r.events) walk.push_back((e.start ? L"+" : L"-") + e.name + L":" + String_cl::FromInt(e.state));
        return walk;
    };
    {
        Workspace_cl ws;
        layOut(ws);
        Recorder_cl r;
        EXPECT_TRUE(ws.Build(r, 1));
        ASSERT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
        EXPECT_EQ(walkOf(r), (std::vector<String_cl>{L"+app:0", L"-app:3", L"+core:0", L"-core:2", L"+app:3", L"-app:2"}));
        EXPECT_EQ(ws.RowNames(), (std::vector<String_cl>{L"core", L"app"}));
        EXPECT_EQ(ws.Stores().sequences.ProjectName(ws.Stores().sequences.First()), L"core");
        EXPECT_TRUE(Test_ns::FileExists(ws.Root() + L"bin\\core.lib")) << "the builder writes the default import library";
    }
    Workspace_cl ws;
    layOut(ws);
    EnvironmentScope_cl trace(L"QV_STANDIN_TRACE", ws.Trace());
    EnvironmentScope_cl delay(L"QV_STANDIN_DELAY_MS", L"500");
    Recorder_cl r;
    EXPECT_TRUE(ws.Build(r, 2));
    ASSERT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
    EXPECT_EQ(walkOf(r), (std::vector<String_cl>{L"+core:0", L"-core:2", L"+app:0", L"-app:2"}));
    const std::vector<StandinBuild_st> builds = Test_ns::ReadStandinTrace(ws.Trace());
    ASSERT_EQ(builds.size(), 2u);
    EXPECT_EQ(NameOf(builds[0]), L"core");
    EXPECT_GE(builds[1].start, builds[0].end) << "app was built beside the DLL";
}

// Side by side as one at a time: a project file that cannot be read fails
// its own row without a build, naming the file, and every other row builds;
// with stop-on-error nothing starts after it.
TEST_F(ParallelBuildTest, AProjectFileThatCannotBeReadFailsItsRowWithoutABuild)
{
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stop on error" : "keep going");
        Workspace_cl ws;
        const String_cl cut = ws.Root() + L"cut\\cut.vcproj";
        Test_ns::CreateFolders(cut);
        ASSERT_TRUE(Test_ns::WriteBytes(cut, "<?xml version=\"1.0\"?>\r\n<VisualStudioProject Name=\"cut\"><Configurations>"));
        ws.Add(cut);
        ws.Add(ws.Write({L"core", L"core", false, L""}));
        ws.Add(ws.Write({L"util", L"util", false, L""}));
        EnvironmentScope_cl trace(L"QV_STANDIN_TRACE", ws.Trace());
        Recorder_cl r;
        r.stopOnError = stop;
        EXPECT_EQ(ws.Build(r, 2), !stop);
        ASSERT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
        const MProjectId_cl row = ws.Row(L"cut");
        EXPECT_EQ(row->state, CompileFailed);
        EXPECT_TRUE(row->failReason.StartsWith(L"无法读取工程文件：")) << row->failReason.ToUtf8();
        EXPECT_NE(row->failReason.find(cut), String_cl::npos) << row->failReason.ToUtf8();
        EXPECT_TRUE(row->log.empty());
        for (const StandinBuild_st& b : Test_ns::ReadStandinTrace(ws.Trace())) EXPECT_NE(NameOf(b), L"cut");
        EXPECT_EQ(r.Starts(L"cut"), 1);
        EXPECT_EQ(ws.Row(L"core")->state, stop ? Normal : Compiled);
        EXPECT_EQ(ws.Row(L"util")->state, stop ? Normal : Compiled);
    }
}

// A failure with stop-on-error, and a Stop: the builds that run end and are
// recorded, nothing starts after that moment, the rows not started stay as
// they were, and the walk has not reached its end (so no shutdown follows).
TEST_F(ParallelBuildTest, StopOnErrorAndStopStartNothingNew)
{
    // Built under temporary names, several at a time.
    SetRenameCompile(true);
    Workspace_cl ws;
    ws.Add(ws.Write({L"broken", L"broken", false, L"", true}));
    for (int i = 1; i <= 12; ++i) {
        const String_cl name = L"leaf" + String_cl::FromInt(i);
        ws.Add(ws.Write({name, name, false, L""}));
    }
    EnvironmentScope_cl delay(L"QV_STANDIN_DELAY_MS", L"300");

    // The rows still to build before a walk, with their states.
    auto pending = [&] {
        std::map<String_cl, int32_t> states;
        for (MProjectId_cl row = ws.Plan().rows.First(); !row.IsEmpty(); row = row.Next())
            if (row->state == Normal || row->state == LibraryDependency || row->state == CompileFailed)
                states[row->project->name] = row->state;
        return states;
    };
    auto check = [&](const Recorder_cl& r, size_t stopAt, const std::map<String_cl, int32_t>& before) {
        ASSERT_LT(stopAt, r.events.size());
        std::set<String_cl> started, ended;
        for (size_t i = 0; i < r.events.size(); ++i) {
            if (r.events[i].start) {
                EXPECT_LT(i, stopAt) << r.events[i].name.ToUtf8() << " started after the stop";
                started.insert(r.events[i].name);
            } else {
                ended.insert(r.events[i].name);
            }
        }
        EXPECT_EQ(started, ended) << "a build that ran was not recorded";
        int untouched = 0;
        for (const auto& [name, state] : before) {
            if (started.count(name)) continue;
            EXPECT_EQ(ws.Row(name)->state, state) << name.ToUtf8();
            ++untouched;
        }
        EXPECT_GT(untouched, 0) << "every row was started";
    };

    Recorder_cl onError;
    onError.stopOnError = true;
    const std::map<String_cl, int32_t> beforeError = pending();
    EXPECT_FALSE(ws.Build(onError, 4));
    EXPECT_TRUE(onError.errors.empty());
    size_t failure = 0;
    while (failure < onError.events.size() && (onError.events[failure].start || onError.events[failure].state != CompileFailed))
        ++failure;
    check(onError, failure, beforeError);

    Recorder_cl stopped;
    const std::map<String_cl, int32_t> beforeStop = pending();
    size_t stopAt = 0;
    stopped.onEnd = [&](const MProject_st&) {
        if (stopAt == 0) stopAt = stopped.events.size() - 1;
        ws.Running() = 0;  // the window's Stop, pressed while other builds run
    };
    EXPECT_FALSE(ws.Build(stopped, 4));
    EXPECT_GT(std::count_if(stopped.events.begin(), stopped.events.end(), [](const Event_st& e) { return e.start; }), 1);
    check(stopped, stopAt, beforeStop);
    for (MProjectId_cl row = ws.Plan().rows.First(); !row.IsEmpty(); row = row.Next()) {
        const String_cl folder = GetFileDirectory(row->project->path, true);
        EXPECT_TRUE(Test_ns::FileExists(row->project->path)) << row->project->name.ToUtf8();
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((folder + L"Temp*").c_str(), &fd);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "a temporary project file was left in " << folder.ToUtf8();
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
    }
}

// Libraries that share one output folder build side by side, as real code
// bases lay them out; two that write one file, or one whose output lies in
// another's intermediate folder, never do. The status line counts the rows.
TEST_F(ParallelBuildTest, SharedOutputFoldersBuildTogetherSharedFilesNever)
{
    EnvironmentScope_cl slow(L"QV_STANDIN_DELAY_MS", L"400");
    Workspace_cl ws;
    ws.Add(ws.Write({L"twin1", L"twin1", false, L"", false, L"", L"lib\\twin.lib"}));
    ws.Add(ws.Write({L"twin2", L"twin2", false, L"", false, L"", L"lib\\twin.lib"}));
    ws.Add(ws.Write({L"nested", L"nested", false, L"", false, L"", L"a1\\Debug\\nested.lib"}));
    for (const wchar_t* name : {L"a1", L"a2", L"a3", L"a4"}) ws.Add(ws.Write({name, name}));
    EnvironmentScope_cl trace(L"QV_STANDIN_TRACE", ws.Trace());
    Recorder_cl r;
    EXPECT_TRUE(ws.Build(r, 4));
    ASSERT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();

    std::map<String_cl, StandinBuild_st> byName;
    std::vector<StandinBuild_st> shared;
    for (const StandinBuild_st& b : Test_ns::ReadStandinTrace(ws.Trace())) {
        byName[NameOf(b)] = b;
        if (NameOf(b).StartsWith(L"a")) shared.push_back(b);
    }
    ASSERT_EQ(byName.size(), 7u);
    EXPECT_GE(MostAtOnce(shared), 2) << "the libraries of one output folder were built one at a time";
    EXPECT_FALSE(byName[L"twin1"].Overlaps(byName[L"twin2"])) << "both wrote lib\\twin.lib at once";
    EXPECT_FALSE(byName[L"nested"].Overlaps(byName[L"a1"])) << "a1's rebuild would delete nested.lib";

    // No build time is known at first; once builds have ended, theirs are.
    ASSERT_FALSE(r.progress.empty());
    EXPECT_EQ(r.progress.front().text, r.progress.front().building + L"（0/7）");
    EXPECT_TRUE(r.progress.back().text.StartsWith(r.progress.back().building + L"（" +
                                                  String_cl::FromInt(r.progress.back().done) + L"/7，剩余"))
        << r.progress.back().text.ToUtf8();
}

// No link fails when the project files name every library, so nothing
// moves during the walk: afterwards every provider stands before its users
// in the rows and the sequence, as a one-at-a-time build would have left them.
TEST_F(ParallelBuildTest, AfterSideBySideBuildsEveryProviderStandsFirst)
{
    Workspace_cl ws;
    const String_cl app = ws.Write({L"app", L"app", true, L"core.lib util.lib"});
    const String_cl tool = ws.Write({L"tool", L"tool", true, L"util.lib"});
    const String_cl core = ws.Write({L"core", L"core"}), util = ws.Write({L"util", L"util"});
    for (const String_cl& p : {app, tool, core, util}) ws.Add(p);
    Recorder_cl r;
    EXPECT_TRUE(ws.Build(r, 4));
    const std::vector<String_cl> expected{L"core", L"util", L"app", L"tool"};
    EXPECT_EQ(ws.RowNames(), expected);
    std::vector<String_cl> sequence;
    for (SerialId_cl s = ws.Stores().sequences.First(); !s.IsEmpty(); s = s.Next())
        sequence.push_back(ws.Stores().sequences.ProjectName(s));
    EXPECT_EQ(sequence, expected);
}

// A library only a ProjectReference names, and one only the solution says
// a project depends on, are built before their users, each row once.
TEST_F(ParallelBuildTest, DeclaredDependenciesAreBuiltFirst)
{
    EnvironmentScope_cl slow(L"QV_STANDIN_DELAY_MS", L"300");
    Workspace_cl ws;
    ws.Write({L"app", L"app", true, L"", false, L"", L"", {L"..\\core\\core.vcproj"}});
    ws.Write({L"viewer", L"viewer", true});
    ws.Write({L"core", L"core"});
    ws.Write({L"net", L"net"});
    ws.Add(ws.Solution(L"All.sln", {L"app\\app.vcproj", L"viewer\\viewer.vcproj", L"core\\core.vcproj",
                                    L"net\\net.vcproj"},
                       {{1, 3}}));
    EnvironmentScope_cl trace(L"QV_STANDIN_TRACE", ws.Trace());
    Recorder_cl r;
    EXPECT_TRUE(ws.Build(r, 2));
    ASSERT_TRUE(r.errors.empty()) << r.errors.front().ToUtf8();
    // Each row's run finds what it depends on built, and builds only its own.
    std::map<String_cl, std::vector<StandinBuild_st>> byName;
    for (const StandinBuild_st& b : Test_ns::ReadStandinTrace(ws.Trace())) {
        if (!b.Built()) continue;
        byName[NameOf(b)].push_back(b);
        EXPECT_TRUE(b.project.EqualsNoCase(b.asked)) << b.asked.ToUtf8() << " built " << b.project.ToUtf8();
    }
    ASSERT_EQ(byName.size(), 4u);
    for (const auto& [name, builds] : byName) EXPECT_EQ(builds.size(), 1u) << name.ToUtf8() << " built again";
    EXPECT_GE(byName[L"app"].front().start, byName[L"core"].front().end);
    EXPECT_GE(byName[L"viewer"].front().start, byName[L"net"].front().end);
    EXPECT_EQ(ws.Row(L"app")->state, Compiled);
}
