// Several builds at once on generated plans, against the bound no schedule
// can beat: max(longest chain, total work / N), both computed from the
// per-project build times of the same run.
//
//     cmake --build <build> --target bench_parallel vs_standin
//     QV_BUILD_DIR=<build> QV_CODEPAGE=936 cmake/wine-run.sh <build>/bin/bench_parallel.exe
//         [chainfirst|chainlast|shared|workspace|all] [delay ms] [layer width]
//
// The layered plans (chainfirst, chainlast, shared): 5 layers of `width`
// (22) static libraries, each linking two or three libraries of the layer
// below (by AdditionalDependencies only; no solution declares anything),
// plus one chain of ten libraries each linking the one before: 5 x 22 + 10 =
// 120 projects, each in a folder of its own, listed in dependency order with
// the chain before the layers (chainfirst) or after them (chainlast,
// shared). Each project has an output folder of its own, except in shared,
// where every library goes to one "lib" folder (as real code bases lay them
// out). The builder stand-in sleeps `delay` ms (500) per project
// (QV_STANDIN_DELAY_MS), so N builds at once make sense even on a machine
// with fewer cores: the sleeping does not compete for them, the starting of
// cmd, the environment script and devenv does. For each run the outputs
// are deleted and the plan is built anew (fresh stores, so no build time is
// known and every row weighs the same): first the one-at-a-time walk as
// CompileProject runs it, then the build job with N = 1, 2, 4 and 8. A
// project's time is from its RowStarted to its RowBuilt. Goal: wall / bound
// at most 1.10 at N = 2, 4 and 8 in every layout.
//
// workspace: 16 projects in 4 layers of 4 (1500 ms each unless a delay is
// given), static libraries and DLLs alternating layer by layer, every
// library (and every DLL's import library) in one lib\$(ConfigurationName),
// every DLL in one bin\$(ConfigurationName), listed in dependency order.
// Built with N = 1 and N = 4; goal: N = 4 saves at least two thirds of what
// the bound allows, (wall 1 - wall 4) / (wall 1 - bound 4) >= 0.667.
#include <windows.h>
#include <objbase.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>
#include "bench/BenchSupport.h"
#include "app/engine/MProjectPack.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"
#include "app/workflow/Jobs.h"
#include "common/base/Error.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

using namespace Bench_ns;

namespace {

enum class Layout_en { ChainFirst, ChainLast, Shared, Workspace };

struct BenchProject_st {
    std::string name;
    std::vector<int> needs;  // indices of the projects whose libraries it links
    bool dll = false;
    String_cl path;
};

std::string Named(const char* format, int a, int b = 0)
{
    char name[32];
    std::snprintf(name, sizeof name, format, a, b);
    return name;
}

// Layers of libraries, each linking two or three of the layer below, and a
// chain of ten; listed in dependency order, the chain after the layers or,
// with chainFirst, before them.
std::vector<BenchProject_st> LayOut(int width, bool chainFirst)
{
    std::vector<BenchProject_st> projects;
    const int chainAt = chainFirst ? 0 : 5 * width;
    const int layerAt = chainFirst ? 10 : 0;
    for (int layer = 0; layer < 5; ++layer) {
        for (int i = 0; i < width; ++i) {
            BenchProject_st p;
            p.name = Named("l%dp%d", layer, i);
            if (layer > 0) {
                const int below = layerAt + (layer - 1) * width;
                p.needs = {below + i, below + (i + 1) % width};
                if (i % 2 == 0) p.needs.push_back(below + (i + 5) % width);
            }
            projects.push_back(p);
        }
    }
    std::vector<BenchProject_st> chain;
    for (int i = 0; i < 10; ++i) {
        BenchProject_st p;
        p.name = Named("chain%d", i);
        if (i > 0) p.needs = {chainAt + i - 1};
        chain.push_back(p);
    }
    projects.insert(chainFirst ? projects.begin() : projects.end(), chain.begin(), chain.end());
    return projects;
}

// 4 layers of 4: static libraries, then DLLs linking two of them, and so on.
std::vector<BenchProject_st> Workspace()
{
    std::vector<BenchProject_st> projects;
    for (int layer = 0; layer < 4; ++layer) {
        for (int i = 0; i < 4; ++i) {
            BenchProject_st p;
            p.dll = layer % 2 == 1;
            p.name = Named(p.dll ? "dll%d_%d" : "lib%d_%d", layer, i);
            if (layer > 0) p.needs = {(layer - 1) * 4 + i, (layer - 1) * 4 + (i + 1) % 4};
            projects.push_back(p);
        }
    }
    return projects;
}

std::string ProjectXml(const BenchProject_st& p, const std::vector<BenchProject_st>& all, const std::string& ws,
                       Layout_en layout)
{
    std::string needs;
    for (int n : p.needs) needs += (needs.empty() ? "" : " ") + all[n].name + ".lib";
    std::string configuration, tool;
    if (layout == Layout_en::Workspace) {
        const std::string lib = ws + "\\lib\\$(ConfigurationName)";
        configuration = p.dll ? "OutputDirectory=\"" + ws + "\\bin\\$(ConfigurationName)\" ConfigurationType=\"2\""
                              : "OutputDirectory=\"" + lib + "\" ConfigurationType=\"4\"";
        tool = p.dll ? "<Tool Name=\"VCLinkerTool\" OutputFile=\"$(OutDir)\\$(ProjectName).dll\" ImportLibrary=\"" + lib +
                           "\\$(ProjectName).lib\" AdditionalDependencies=\"" + needs +
                           "\" AdditionalLibraryDirectories=\"" + lib + "\"/>"
                     : "<Tool Name=\"VCLibrarianTool\" OutputFile=\"$(OutDir)\\$(ProjectName).lib\" "
                       "AdditionalDependencies=\"" + needs + "\" AdditionalLibraryDirectories=\"" + lib + "\"/>";
    } else {
        const std::string lib = ws + "\\lib";
        configuration = (layout == Layout_en::Shared ? "OutputDirectory=\"" + lib + "\" " : std::string()) +
                        "ConfigurationType=\"4\"";
        tool = "<Tool Name=\"VCLibrarianTool\" OutputFile=\"" + lib + "\\$(ProjectName).lib\" AdditionalDependencies=\"" +
               needs + "\" AdditionalLibraryDirectories=\"" + lib + "\"/>";
    }
    return "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
           "<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"" + p.name + "\">\r\n"
           "  <Configurations>\r\n"
           "    <Configuration Name=\"Debug|Win32\" " + configuration + ">\r\n"
           "      " + tool + "\r\n"
           "    </Configuration>\r\n"
           "  </Configurations>\r\n"
           "  <Files><File RelativePath=\"" + p.name + ".cpp\"/></Files>\r\n"
           "</VisualStudioProject>\r\n";
}

// Times of one run, per project name.
struct Times_st {
    std::map<String_cl, double> start, end;
    double wall = 0;
    int failed = 0;
};

class TimingReporter_cl : public JobReporter_cl {
public:
    explicit TimingReporter_cl(Times_st& times) : m_times(times) {}
    void Status(const String_cl&) override {}
    void RowStarted(const Plan_st&, const MProject_st& row, int) override { m_times.start[row.project->name] = Now(); }
    void RowBuilt(const Plan_st&, const MProject_st& row, int ok) override
    {
        m_times.end[row.project->name] = Now();
        if (!ok || row.state != Compiled) ++m_times.failed;
    }
    void ShowError(const Base_ns::Error_cl& e) override { std::printf("error: %s\n", e.Text().ToUtf8().c_str()); }
    bool StopOnError() override { return false; }

private:
    Times_st& m_times;
};

// A fresh plan of the projects in their order, over fresh stores.
void MakePlan(Stores_cl& stores, PlanId_cl& plan, const std::vector<BenchProject_st>& projects)
{
    plan = stores.plans.AddPlan(L"bench", L"Debug|Win32");
    for (const BenchProject_st& p : projects)
        plan->solutions.AddSolution(p.path, plan->configuration, plan->rows, stores.projects, stores.sequences);
}

Times_st OneAtATimeWalk(const std::vector<BenchProject_st>& projects, const String_cl& vcDir)
{
    Times_st times;
    Stores_cl stores;
    PlanId_cl plan;
    MakePlan(stores, plan, projects);
    const double t0 = Now();
    MProjectId_cl row = FirstPending(plan->rows);
    while (!row.IsEmpty()) {
        MProjectId_cl built = row;
        times.start[built->project->name] = Now();
        CompileProject(stores.sequences, FailedLogDirectory(), plan->rows, row, stores.projects, GoodLogDirectory(),
                       vcDir, false);
        times.end[built->project->name] = Now();
        if (built->state != Compiled) ++times.failed;
    }
    times.wall = Now() - t0;
    plan = PlanId_cl();
    return times;
}

Times_st Job(const std::vector<BenchProject_st>& projects, const String_cl& vcDir, int jobs)
{
    Times_st times;
    Stores_cl stores;
    PlanId_cl plan;
    MakePlan(stores, plan, projects);
    TimingReporter_cl reporter(times);
    BuildRequest_st request;
    request.vcDirectory = vcDir;
    request.jobs = jobs;
    std::atomic<int> running{1};
    const double t0 = Now();
    RunBuildJob(stores, plan, request, running, reporter);
    times.wall = Now() - t0;
    plan = PlanId_cl();
    return times;
}

struct Bound_st {
    double total = 0;
    double chain = 0;
    double Of(int jobs) const { return std::max(chain, total / jobs); }
};

Bound_st BoundOf(const Times_st& t, const std::vector<BenchProject_st>& projects)
{
    Bound_st b;
    std::vector<double> finish(projects.size(), 0);
    for (size_t i = 0; i < projects.size(); ++i) {
        const String_cl name = String_cl::FromMultiByte(projects[i].name, CP_ACP);
        const double d = t.end.count(name) && t.start.count(name) ? t.end.at(name) - t.start.at(name) : 0;
        b.total += d;
        double ready = 0;
        for (int n : projects[i].needs) ready = std::max(ready, finish[n]);
        finish[i] = ready + d;
        b.chain = std::max(b.chain, finish[i]);
    }
    return b;
}

const char* LayoutName(Layout_en layout)
{
    switch (layout) {
    case Layout_en::ChainFirst: return "chainfirst";
    case Layout_en::ChainLast: return "chainlast";
    case Layout_en::Shared: return "shared";
    default: return "workspace";
    }
}

// Writes the projects under ws, builds them as said at the top; 0 when
// every row built and the goal was met.
int Measure(Layout_en layout, const String_cl& ws, const String_cl& standin, int delay, int width)
{
    const bool workspace = layout == Layout_en::Workspace;
    std::vector<BenchProject_st> projects = workspace ? Workspace() : LayOut(width, layout == Layout_en::ChainFirst);
    const std::string wsText = ws.ToMultiByte(CP_ACP);
    for (BenchProject_st& p : projects) {
        const String_cl name = String_cl::FromMultiByte(p.name, CP_ACP);
        const String_cl folder = ws + L"\\projects\\" + name + L"\\";
        CreateDirectories(folder);
        p.path = folder + name + L".vcproj";
        WriteFileBytes(p.path, ProjectXml(p, projects, wsText, layout));
        WriteFileBytes(folder + name + L".cpp", "int f();\r\n");
    }
    auto clean = [&] {
        for (const wchar_t* f : {L"\\lib", L"\\bin"}) RemoveTree(ws + f);
        for (const BenchProject_st& p : projects) RemoveTree(GetFileDirectory(p.path, true) + L"Debug");
        RemoveTree(ws + L"\\prog\\编译日志");
    };
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", String_cl::FromInt(delay).c_str());
    std::printf("\n%s: %d projects, stand-in delay %d ms, rename-compile on\n", LayoutName(layout),
                int(projects.size()), delay);
    std::printf("   run            wall s   work s   chain s   bound s   wall/bound\n");
    int status = 0;
    std::map<int, double> walls, bounds;
    if (!workspace) {
        clean();
        const Times_st t = OneAtATimeWalk(projects, standin);
        const Bound_st b = BoundOf(t, projects);
        std::printf("   one at a time %7.1f  %7.1f  %8.1f  %8.1f   %6.3f\n", t.wall, b.total, b.chain, b.total,
                    t.wall / b.total);
        if (t.failed) status = 1;
    }
    double worst = 0;
    for (int jobs : workspace ? std::vector<int>{1, 4} : std::vector<int>{1, 2, 4, 8}) {
        clean();
        const Times_st t = Job(projects, standin, jobs);
        const Bound_st b = BoundOf(t, projects);
        const bool incomplete = t.failed || t.end.size() != projects.size();
        std::printf("   N = %d         %7.1f  %7.1f  %8.1f  %8.1f   %6.3f%s\n", jobs, t.wall, b.total, b.chain,
                    b.Of(jobs), t.wall / b.Of(jobs), incomplete ? "  [not every row built]" : "");
        std::fflush(stdout);
        walls[jobs] = t.wall;
        bounds[jobs] = b.Of(jobs);
        if (jobs > 1) worst = std::max(worst, t.wall / b.Of(jobs));
        if (incomplete) status = 1;
    }
    if (workspace) {
        const double saved = (walls[1] - walls[4]) / (walls[1] - bounds[4]);
        std::printf("RESULT %s: N = 4 saves %.3f of what the bound allows (goal >= 0.667)\n", LayoutName(layout), saved);
        if (saved < 2.0 / 3.0) status = 1;
    } else {
        std::printf("RESULT %s: worst wall/bound at N = 2, 4, 8 = %.3f (goal <= 1.10)\n", LayoutName(layout), worst);
        if (worst > 1.10) status = 1;
    }
    clean();
    RemoveTree(ws + L"\\projects");
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<Layout_en> layouts{Layout_en::ChainFirst, Layout_en::ChainLast, Layout_en::Shared};
    int delay = -1, width = 22, numbers = 0;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"chainfirst") layouts = {Layout_en::ChainFirst};
        else if (a == L"chainlast") layouts = {Layout_en::ChainLast};
        else if (a == L"shared") layouts = {Layout_en::Shared};
        else if (a == L"workspace") layouts = {Layout_en::Workspace};
        else if (a == L"all") layouts.push_back(Layout_en::Workspace);
        else if (numbers == 0 && ++numbers) delay = _wtoi(argv[i]);
        else if (numbers == 1 && ++numbers) width = _wtoi(argv[i]);
        else usage = true;
    }
    if (usage || width < 6) {
        std::fputs("usage: bench_parallel.exe [chainfirst|chainlast|shared|workspace|all] [delay ms] [layer width]\n",
                   stderr);
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const String_cl ws = TempFolder(L"parallel");
    OverrideModuleDirectory(ws + L"\\prog\\");
    CreateDirectoryW((ws + L"\\prog").c_str(), nullptr);
    const String_cl standin = StandinDirectory();
    int status = 0;
    try {
        for (Layout_en layout : layouts) {
            const int ms = delay >= 0 ? delay : layout == Layout_en::Workspace ? 1500 : 500;
            if (Measure(layout, ws, standin, ms, width) != 0) status = 1;
        }
    } catch (const Base_ns::Error_cl& e) {
        std::printf("error: %s\n", e.Text().ToUtf8().c_str());
        status = 1;
    }
    OverrideModuleDirectory(String_cl());
    RemoveTree(ws);
    CoUninitialize();
    return status;
}
