// The builder stand-in run by several cmd processes at once, as the program
// will run builds side by side: distinct projects do not disturb each other,
// and the trace tells which builds overlapped.
#include <gtest/gtest.h>
#include <algorithm>
#include "tests/support/StandinTrace.h"
#include "tests/tools/StandinHarness.h"

using namespace StandinTest_ns;
using namespace Test_ns;

namespace {

// Sets an environment variable for the builds started while it lives.
class Environment_cl {
public:
    Environment_cl(const wchar_t* name, const String_cl& value) : m_name(name)
    {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~Environment_cl() { SetEnvironmentVariableW(m_name, nullptr); }

private:
    const wchar_t* m_name;
};

// Libraries p0, p1, ... each in its own folder, all written to one lib\ folder.
String_cl WriteLibrary(const Test_ns::TempDir_cl& dir, const String_cl& name)
{
    String_cl path = dir / (name + L"\\" + name + L".vcproj");
    WriteVcprojAndSources(
        path, {name, {{L"Debug|Win32", 4, {Librarian(L"..\\lib\\$(ProjectName).lib")}}}, {name + L".cpp"}});
    return path;
}

} // namespace

TEST(StandinConcurrency, DistinctProjectsBuiltAtOnceOverlapAndKeepToThemselves)
{
    Test_ns::TempDir_cl dir(L"standin-at-once");
    const String_cl trace = dir / L"trace.txt";
    const int n = 4;
    std::vector<String_cl> projects, logs;
    for (int i = 0; i < n; ++i) {
        projects.push_back(WriteLibrary(dir, L"p" + String_cl::FromInt(i)));
        logs.push_back(dir / (L"p" + String_cl::FromInt(i) + L".log"));
    }

    std::vector<BuildRun_st> runs;
    {
        Environment_cl record(L"QV_STANDIN_TRACE", trace);
        // Long against the time the four take to start, even on a busy machine.
        Environment_cl slow(L"QV_STANDIN_DELAY_MS", L"3000");
        std::vector<HANDLE> started;
        for (int i = 0; i < n; ++i)
            started.push_back(StartStandin(English(), projects[i], L"build", L"Debug|Win32", logs[i]));
        for (int i = 0; i < n; ++i) runs.push_back(FinishStandin(started[i], logs[i]));
    }
    for (int i = 0; i < n; ++i) {
        const String_cl name = L"p" + String_cl::FromInt(i);
        EXPECT_EQ(0, runs[i].exitCode) << runs[i].bytes;
        EXPECT_TRUE(runs[i].HasLine(English().Header(name, L"Debug|Win32"))) << runs[i].bytes;
        EXPECT_TRUE(runs[i].HasLine(English().BuildSummary(1, 0, 0, 0))) << runs[i].bytes;
        for (int j = 0; j < n; ++j)
            EXPECT_EQ(i == j, runs[i].Contains(L"Project: p" + String_cl::FromInt(j))) << runs[i].bytes;
    }
    // The outputs, each its own, and no temporary file of any build beside them.
    std::vector<String_cl> outputs;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((dir / L"lib\\*.*").c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) outputs.push_back(found.cFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    std::sort(outputs.begin(), outputs.end());
    EXPECT_EQ((std::vector<String_cl>{L"p0.lib", L"p1.lib", L"p2.lib", L"p3.lib"}), outputs);
    EXPECT_EQ(0u, Test_ns::ReadBytes(dir / L"lib\\p2.lib").find("Quorvane builder stand-in output of p2"));

    std::vector<StandinBuild_st> builds = Test_ns::ReadStandinTrace(trace);
    ASSERT_EQ(size_t(n), builds.size());
    std::vector<String_cl> traced;
    for (const StandinBuild_st& b : builds) {
        traced.push_back(b.project);
        EXPECT_EQ(L"Debug|Win32", b.configuration);
        EXPECT_GE(b.end - b.start, 30000000u) << "the delay lies inside the traced build";
    }
    std::sort(traced.begin(), traced.end());
    EXPECT_EQ(projects, traced);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            EXPECT_TRUE(builds[i].Overlaps(builds[j])) << i << " and " << j;
            EXPECT_NE(builds[i].process, builds[j].process);
        }

    // A build run after them all overlaps none.
    {
        Environment_cl record(L"QV_STANDIN_TRACE", trace);
        EXPECT_TRUE(RunStandin(English(), projects[0], L"rebuild", L"debug|win32", logs[0])
                        .HasLine(English().RebuildSummary(1, 0, 0)));
    }
    builds = Test_ns::ReadStandinTrace(trace);
    ASSERT_EQ(size_t(n + 1), builds.size());
    EXPECT_EQ(projects[0], builds[n].project);
    EXPECT_EQ(L"Debug|Win32", builds[n].configuration) << "the configuration as the project names it";
    for (int i = 0; i < n; ++i) EXPECT_FALSE(builds[n].Overlaps(builds[i])) << i;
}
