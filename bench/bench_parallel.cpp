// Several builds at once on a generated plan, against the bound no schedule
// can beat: max(longest chain, total work / N), both computed from the
// per-project build times of the same run.
//
//     cmake --build <build> --target bench_parallel vs_standin
//     QV_BUILD_DIR=<build> QV_CODEPAGE=936 cmake/wine-run.sh <build>/bin/bench_parallel.exe [delay ms] [layer width]
//
// The plan: 5 layers of `width` (22) static libraries, each linking two or
// three libraries of the layer below (by AdditionalDependencies only; no
// solution declares anything), plus one chain of ten libraries each linking
// the one before: 5 x 22 + 10 = 120 projects, each in a folder of its own.
// The rows are created in dependency order, so the one-at-a-time walk never
// meets a missing library. The builder stand-in sleeps `delay` ms (500) per
// project (QV_STANDIN_DELAY_MS), so N builds at once make sense even on a
// machine with fewer cores: the sleeping does not compete for them, the
// starting of cmd, the environment script and devenv does.
//
// For each run the outputs are deleted and the plan is built anew (fresh
// stores): first today's walk (CompileProject row after row, as the build job
// ran before builds ran side by side), then the build job with N = 1, 2, 4
// and 8. A project's time is from its RowStarted to its RowBuilt. Goals:
// wall / bound at most 1.15 at every N; N = 1 at most 1.02 of today's walk.
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

struct BenchProject_st {
    std::string name;
    std::vector<int> needs;  // indices of the projects whose libraries it links
    String_cl path;
};

// Layers of libraries, each linking two or three of the layer below, and a
// chain of ten; listed in dependency order, the chain after the layers or,
// with chainFirst, before them.
std::vector<BenchProject_st> LayOut(int width, bool chainFirst)
{
    std::vector<BenchProject_st> projects;
    const int chainAt = chainFirst ? 0 : 5 * width;
    const int layerAt = chainFirst ? 10 : 0;
    const int layers = 5;
    for (int layer = 0; layer < layers; ++layer) {
        for (int i = 0; i < width; ++i) {
            BenchProject_st p;
            char name[32];
            std::snprintf(name, sizeof name, "l%dp%d", layer, i);
            p.name = name;
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
        char name[32];
        std::snprintf(name, sizeof name, "chain%d", i);
        p.name = name;
        if (i > 0) p.needs = {chainAt + i - 1};
        chain.push_back(p);
    }
    projects.insert(chainFirst ? projects.begin() : projects.end(), chain.begin(), chain.end());
    return projects;
}

std::string ProjectXml(const BenchProject_st& p, const std::vector<BenchProject_st>& all, const std::string& lib)
{
    std::string needs;
    for (int n : p.needs) {
        if (!needs.empty()) needs += ' ';
        needs += all[n].name;
        needs += ".lib";
    }
    return "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
           "<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"" + p.name + "\">\r\n"
           "  <Configurations>\r\n"
           "    <Configuration Name=\"Debug|Win32\" ConfigurationType=\"4\">\r\n"
           "      <Tool Name=\"VCLibrarianTool\" OutputFile=\"" + lib + "\\$(ProjectName).lib\" "
           "AdditionalDependencies=\"" + needs + "\" AdditionalLibraryDirectories=\"" + lib + "\"/>\r\n"
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

Times_st TodaysWalk(const std::vector<BenchProject_st>& projects, const String_cl& vcDir)
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

} // namespace

int wmain(int argc, wchar_t** argv)
{
    int delay = 500, width = 22, numbers = 0;
    bool chainFirst = false, usage = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"chainfirst") == 0) chainFirst = true;
        else if (numbers == 0 && ++numbers) delay = _wtoi(argv[i]);
        else if (numbers == 1 && ++numbers) width = _wtoi(argv[i]);
        else usage = true;
    }
    if (usage || delay < 0 || width < 6) {
        std::fputs("usage: bench_parallel.exe [delay ms] [layer width] [chainfirst]\n", stderr);
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const String_cl ws = TempFolder(L"parallel");
    OverrideModuleDirectory(ws + L"\\prog\\");
    CreateDirectoryW((ws + L"\\prog").c_str(), nullptr);
    const String_cl standin = StandinDirectory();
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", String_cl::FromInt(delay).c_str());

    std::vector<BenchProject_st> projects = LayOut(width, chainFirst);
    const std::string lib = String_cl(ws + L"\\lib").ToMultiByte(CP_ACP);
    for (BenchProject_st& p : projects) {
        const String_cl name = String_cl::FromMultiByte(p.name, CP_ACP);
        const String_cl folder = ws + L"\\projects\\" + name + L"\\";
        CreateDirectories(folder);
        p.path = folder + name + L".vcproj";
        WriteFileBytes(p.path, ProjectXml(p, projects, lib));
        WriteFileBytes(folder + name + L".cpp", "int f();\r\n");
    }

    auto clean = [&] {
        RemoveTree(ws + L"\\lib");
        for (const BenchProject_st& p : projects) RemoveTree(GetFileDirectory(p.path, true) + L"Debug");
        RemoveTree(ws + L"\\prog\\编译日志");
    };
    int status = 0;
    try {
        std::printf("%d projects (5 layers of %d, a chain of 10 listed %s), stand-in delay %d ms, rename-compile on\n",
                    int(projects.size()), width, chainFirst ? "first" : "last", delay);
        std::printf("   run            wall s   work s   chain s   bound s   wall/bound\n");
        clean();
        const Times_st today = TodaysWalk(projects, standin);
        const Bound_st todayBound = BoundOf(today, projects);
        std::printf("   today's walk  %7.1f  %7.1f  %8.1f  %8.1f   %6.3f\n", today.wall, todayBound.total,
                    todayBound.chain, todayBound.total, today.wall / todayBound.total);
        std::fflush(stdout);
        if (today.failed) status = 1;
        double one = 0;
        for (int jobs : {1, 2, 4, 8}) {
            clean();
            const Times_st t = Job(projects, standin, jobs);
            const Bound_st b = BoundOf(t, projects);
            const double bound = std::max(b.chain, b.total / jobs);
            const bool incomplete = t.failed || t.end.size() != projects.size();
            std::printf("   N = %d         %7.1f  %7.1f  %8.1f  %8.1f   %6.3f%s\n", jobs, t.wall, b.total, b.chain,
                        bound, t.wall / bound, incomplete ? "  [not every row built]" : "");
            std::fflush(stdout);
            if (jobs == 1) one = t.wall;
            if (incomplete) status = 1;
        }
        std::printf("RESULT N = 1 / today's walk = %.4f (goal <= 1.02)\n", one / today.wall);
    } catch (const Base_ns::Error_cl& e) {
        std::printf("error: %s\n", e.Text().ToUtf8().c_str());
        status = 1;
    }
    OverrideModuleDirectory(String_cl());
    RemoveTree(ws);
    CoUninitialize();
    return status;
}
