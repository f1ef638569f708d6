// The builder stand-in on solution files, and on names outside ASCII in the
// ANSI code page of the running system.
#include <gtest/gtest.h>
#include "tests/tools/StandinHarness.h"

using namespace StandinTest_ns;
using namespace Test_ns;

namespace {

const wchar_t* kVcType = L"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";

struct SlnProject_st {
    String_cl name;
    String_cl relativePath;
    String_cl guid;
    std::vector<String_cl> builtIn; // solution configurations with a Build.0 line
};

String_cl SolutionText(const std::vector<SlnProject_st>& projects)
{
    String_cl t = L"\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n# Visual Studio 2008\r\n";
    for (const auto& p : projects) {
        bool vc = p.relativePath.EndsWithNoCase(L"proj") && !p.relativePath.EndsWithNoCase(L".csproj");
        t += L"Project(\"" + String_cl(vc ? kVcType : L"{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}") + L"\") = \"" +
             p.name + L"\", \"" + p.relativePath + L"\", \"" + p.guid + L"\"\r\nEndProject\r\n";
    }
    t += L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n"
         L"\t\tDebug|Win32 = Debug|Win32\r\n\t\tRelease|Win32 = Release|Win32\r\n\tEndGlobalSection\r\n"
         L"\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n";
    for (const auto& p : projects) {
        for (const wchar_t* config : {L"Debug|Win32", L"Release|Win32"}) {
            t += L"\t\t" + p.guid + L"." + config + L".ActiveCfg = " + config + L"\r\n";
            for (const auto& b : p.builtIn)
                if (b == config) t += L"\t\t" + p.guid + L"." + config + L".Build.0 = " + config + L"\r\n";
        }
    }
    t += L"\tEndGlobalSection\r\n\tGlobalSection(SolutionProperties) = preSolution\r\n"
         L"\t\tHideSolutionNode = FALSE\r\n\tEndGlobalSection\r\nEndGlobal\r\n";
    return t;
}

// A library (no dependencies) or a program linking them, in Debug and Release.
VcProject_st DebugAndRelease(const String_cl& name, int type, const String_cl& dependencies,
                             std::vector<VcFile_st> files)
{
    std::vector<VcTool_st> tools;
    if (!dependencies.empty()) tools.push_back(Linker().Dependencies(dependencies));
    return {name, {{L"Debug|Win32", type, tools}, {L"Release|Win32", type, tools}}, files};
}

class StandinSolutionTest : public ::testing::TestWithParam<const Edition_st*> {
protected:
    void SetUp() override
    {
        if (Edition().chinese && !ChineseWritable()) GTEST_SKIP() << "Chinese lines need code page 936";
    }
    const Edition_st& Edition() const { return *GetParam(); }
    BuildRun_st Run(const String_cl& file, const wchar_t* verb, const String_cl& config)
    {
        return RunStandin(Edition(), file, verb, config, dir / L"build.log");
    }

    TempDir_cl dir{L"standin-sln"};
};

INSTANTIATE_TEST_SUITE_P(Editions, StandinSolutionTest, ::testing::Values(&English(), &Chinese()),
                         [](const auto& info) { return std::string(info.param->chinese ? "Chinese" : "English"); });

TEST_P(StandinSolutionTest, BuildsTheProjectsWithABuildLineInFileOrder)
{
    // Both write to the solution's Debug\ folder, where app finds core.lib.
    WriteVcprojAndSources(dir / L"core\\core.vcproj", DebugAndRelease(L"core", 4, String_cl(), {L"core.cpp"}),
                          "int Core();\r\n");
    WriteVcprojAndSources(dir / L"app\\app.vcproj", DebugAndRelease(L"app", 1, L"core.lib", {L"main.cpp"}),
                          "int main() { return 0; }\r\n");
    WriteVcproj(dir / L"extra\\extra.vcproj", DebugAndRelease(L"extra", 4, String_cl(), {}));
    String_cl sln = dir / L"all.sln";
    String_cl text = SolutionText({
        {L"core", L"core\\core.vcproj", L"{11111111-1111-1111-1111-111111111111}", {L"Debug|Win32", L"Release|Win32"}},
        {L"tool", L"tool\\tool.csproj", L"{33333333-3333-3333-3333-333333333333}", {L"Debug|Win32"}},
        {L"app", L"app/app.vcproj", L"{22222222-2222-2222-2222-222222222222}", {L"Debug|Win32", L"Release|Win32"}},
        {L"extra", L"extra\\extra.vcproj", L"{44444444-4444-4444-4444-444444444444}", {L"Release|Win32"}},
        {L"gone", L"gone\\gone.vcproj", L"{55555555-5555-5555-5555-555555555555}", {L"Release|Win32"}},
    });
    // Visual Studio writes solutions as UTF-8 with the mark.
    Test_ns::WriteBytes(sln, "\xEF\xBB\xBF" + text.ToUtf8());

    BuildRun_st build = Run(sln, L"build", L"Debug|Win32");
    EXPECT_EQ(0, build.exitCode) << build.bytes;
    EXPECT_TRUE(build.HasLine(Edition().BuildSummary(2, 0, 0, 2))) << build.bytes;
    size_t core = build.text.find(Edition().Header(L"core", L"Debug|Win32"));
    size_t app = build.text.find(Edition().Header(L"app", L"Debug|Win32"));
    ASSERT_NE(String_cl::npos, core) << build.bytes;
    ASSERT_NE(String_cl::npos, app) << build.bytes;
    EXPECT_LT(core, app);
    EXPECT_FALSE(build.Contains(L"extra")) << build.bytes;
    EXPECT_TRUE(FileExists(dir / L"Debug\\core.lib"));
    EXPECT_TRUE(FileExists(dir / L"Debug\\app.exe"));

    EXPECT_TRUE(Run(sln, L"build", L"debug|win32").HasLine(Edition().BuildSummary(0, 0, 2, 2)));
    BuildRun_st rebuild = Run(sln, L"rebuild", L"Debug|Win32");
    EXPECT_TRUE(rebuild.HasLine(Edition().RebuildSummary(2, 0, 2))) << rebuild.bytes;
    BuildRun_st clean = Run(sln, L"clean", L"Debug|Win32");
    EXPECT_EQ(0, clean.exitCode);
    EXPECT_TRUE(clean.HasLine(Edition().CleanSummary(2, 0, 2))) << clean.bytes;
    EXPECT_FALSE(FileExists(dir / L"Debug\\core.lib"));
    EXPECT_FALSE(FileExists(dir / L"Debug\\app.exe"));

    // Release builds extra too; the listed project whose file is missing is
    // unloaded and skipped, with a line naming it.
    BuildRun_st release = Run(sln, L"build", L"Release|Win32");
    EXPECT_EQ(0, release.exitCode);
    EXPECT_TRUE(release.HasLine(Edition().BuildSummary(3, 0, 0, 1))) << release.bytes;
    EXPECT_TRUE(release.Contains(dir / L"gone\\gone.vcproj")) << release.bytes;
    EXPECT_TRUE(FileExists(dir / L"Release\\extra.lib"));

    // A configuration the solution does not declare: an error and no summary.
    BuildRun_st invalid = Run(sln, L"build", L"Profile|Win32");
    EXPECT_EQ(1, invalid.exitCode);
    EXPECT_TRUE(invalid.Contains(L"Profile|Win32")) << invalid.bytes;
    EXPECT_FALSE(invalid.Contains(L"==========")) << invalid.bytes;
}

// Names outside ASCII go through the ANSI code page: Chinese names with the
// Chinese edition on a Chinese system, Western ones with the English edition
// on a Western system. Project files carry the encoding Visual Studio gives
// them there (gb2312 or Windows-1252), or UTF-8; the solution is ANSI.
TEST(StandinAnsiNames, ProjectsAndLogsUseTheAnsiCodePage)
{
    unsigned acp = GetACP();
    if (acp != 936 && acp != 1252) GTEST_SKIP() << "names are chosen for code pages 936 and 1252";
    bool chinese = acp == 936;
    const Edition_st& edition = chinese ? Chinese() : English();
    String_cl folder = chinese ? L"核心库" : L"Déjà vu";
    String_cl coreName = chinese ? L"核心" : L"Café";
    String_cl appName = chinese ? L"应用" : L"Façade";
    String_cl missing = chinese ? L"数学.lib" : L"Münze.lib";

    TempDir_cl dir(chinese ? L"替身" : L"standin-é");
    WriteVcprojAndSources(dir / folder + L"\\" + coreName + L".vcproj",
                          DebugAndRelease(coreName, 4, String_cl(), {coreName + L".cpp"}), "int Core();\r\n", acp);
    WriteVcproj(dir / L"app.vcproj", DebugAndRelease(appName, 1, missing, {}));
    String_cl sln = dir / L"names.sln";
    WriteAnsi(sln, SolutionText({
                       {coreName, folder + L"\\" + coreName + L".vcproj", L"{AAAAAAAA-0000-0000-0000-000000000001}",
                        {L"Debug|Win32"}},
                       {appName, L"app.vcproj", L"{AAAAAAAA-0000-0000-0000-000000000002}", {L"Debug|Win32"}},
                   }));

    BuildRun_st run = RunStandin(edition, sln, L"build", L"Debug|Win32", dir / L"名字.log");
    EXPECT_EQ(1, run.exitCode);
    EXPECT_TRUE(run.HasLine(edition.Header(coreName, L"Debug|Win32"))) << run.bytes;
    EXPECT_TRUE(run.HasLine(edition.CannotOpen(missing))) << run.bytes;
    EXPECT_TRUE(run.HasLine(edition.BuildSummary(1, 1, 0, 0))) << run.bytes;
    EXPECT_TRUE(FileExists(dir / L"Debug\\" + coreName + L".lib"));
    // In the ANSI code page, not in UTF-8.
    EXPECT_EQ(std::string::npos, run.bytes.find(coreName.ToUtf8()));
    EXPECT_NE(std::string::npos, run.bytes.find(coreName.ToMultiByte(acp)));

    // The same project built on its own, through the name of its folder.
    BuildRun_st alone =
        RunStandin(edition, dir / folder + L"\\" + coreName + L".vcproj", L"build", L"Debug|Win32", dir / L"名字.log");
    EXPECT_EQ(0, alone.exitCode) << alone.bytes;
    EXPECT_TRUE(alone.HasLine(edition.BuildSummary(1, 0, 0, 0))) << alone.bytes;
    EXPECT_TRUE(FileExists(dir / folder + L"\\Debug\\" + coreName + L".lib"));
}

} // namespace
