// The builder stand-ins of Visual Studio 2022 and 2015 on .vcxproj projects
// and solutions, in both editions, run through cmd and the installation's
// vcvarsall.bat as the program runs the real builder; and what every
// stand-in refuses.
#include <gtest/gtest.h>
#include "tests/tools/StandinHarness.h"
#include "tests/tools/MsbuildFiles.h"
#include "tests/support/StandinTrace.h"

using namespace StandinTest_ns;
using namespace Test_ns;

namespace {

String_cl Num(int v) { return String_cl::FromInt(v); }

// The lines of the MSBuild builders that the program reads, per edition.
struct Msbuild_st {
    const wchar_t* folder;
    bool chinese;

    String_cl Header(int node, const String_cl& project, const String_cl& config) const
    {
        return Num(node) +
               (chinese ? L">------ 已启动生成: 项目: " + project + L", 配置: "
                        : L">------ Build started: Project: " + project + L", Configuration: ") +
               config + L" ------";
    }
    String_cl Failed(int node, const String_cl& file) const
    {
        return Num(node) + (chinese ? L">已完成生成项目“" + file + L"”的操作 - 失败。"
                                    : L">Done building project \"" + file + L"\" -- FAILED.");
    }
    String_cl Conflict(int node, const String_cl& object, const String_cl& module, const String_cl& target) const
    {
        return Num(node) + L">" + object +
               (chinese
                    ? L" : fatal error LNK1112: 模块计算机类型“" + module + L"”与目标计算机类型“" + target + L"”冲突"
                    : L" : fatal error LNK1112: module machine type '" + module +
                          L"' conflicts with target machine type '" + target + L"'");
    }
    String_cl CannotOpen(int node, const String_cl& file) const
    {
        return Num(node) + (chinese ? L">LINK : fatal error LNK1104: 无法打开文件“" + file + L"”"
                                    : L">LINK : fatal error LNK1104: cannot open file '" + file + L"'");
    }
    // 2022's counters (in English those of 2010 to 2019 too); a build's count the up-to-date ones.
    String_cl Summary(const wchar_t* en, const wchar_t* zh, int succeeded, int failed, int skipped,
                      int upToDate = -1) const
    {
        if (chinese)
            return L"========== " + String_cl(zh) + L": " + Num(succeeded) + L" 成功，" + Num(failed) + L" 失败，" +
                   (upToDate < 0 ? String_cl() : Num(upToDate) + L" 最新，") + Num(skipped) + L" 已跳过 ==========";
        return L"========== " + String_cl(en) + L": " + Num(succeeded) + L" succeeded, " + Num(failed) + L" failed, " +
               (upToDate < 0 ? String_cl() : Num(upToDate) + L" up-to-date, ") + Num(skipped) + L" skipped ==========";
    }
    String_cl BuildSummary(int succeeded, int failed, int upToDate, int skipped) const
    {
        return Summary(L"Build", L"生成", succeeded, failed, skipped, upToDate);
    }
    // 2022's last line: when the run ended and how long it took, with a verb of its own
    // ("========== Build completed at 10:15 AM and took 00.512 seconds ==========").
    bool EndsWithCompletion(const BuildRun_st& run, const wchar_t* en, const wchar_t* zh) const
    {
        size_t at =
            run.text.rfind(L"\r\n========== " + String_cl(chinese ? zh : en) + (chinese ? L" 于 " : L" completed at "));
        String_cl end = chinese ? L" 秒 ==========\r\n" : L" seconds ==========\r\n";
        return at != String_cl::npos &&
               run.text.find(chinese ? L" 完成，耗时 " : L" and took ", at) != String_cl::npos &&
               run.text.find(end, at) == run.text.size() - end.size();
    }
};

const Msbuild_st kEnglish{L"en", false};
const Msbuild_st kChinese{L"zh", true};

String_cl Vs2022(const Msbuild_st& edition, const wchar_t* architecture)
{
    return L"\"" + StandinDir(edition.folder, L"vs2022") + L"VC\\Auxiliary\\Build\\vcvarsall.bat\" " + architecture;
}

String_cl Compile(const wchar_t* file) { return L"    <ClCompile Include=\"" + String_cl(file) + L"\" />\r\n"; }

// A project of that type in each configuration, compiling one source that builds.
MsbuildProject_st MakeProject(const wchar_t* type, std::vector<const wchar_t*> configurations, const String_cl& items,
                              int editor = 2022)
{
    MsbuildProject_st p;
    p.editor = editor;
    for (const wchar_t* c : configurations) p.configurations.push_back({c, type, {}, String_cl()});
    p.items = items;
    return p;
}

String_cl WriteProject(const TempDir_cl& dir, const String_cl& relative, const MsbuildProject_st& project,
                       const wchar_t* source = nullptr)
{
    String_cl path = dir / relative;
    WriteMsbuildProject(path, project);
    if (source) WriteBytes(dir / relative.substr(0, relative.find_last_of(L'\\') + 1) + source, "int f();\r\n");
    return path;
}

class StandinVs2022Test : public ::testing::TestWithParam<const Msbuild_st*> {
protected:
    void SetUp() override
    {
        if (Edition().chinese && !ChineseWritable()) GTEST_SKIP() << "Chinese lines need code page 936";
    }
    const Msbuild_st& Edition() const { return *GetParam(); }
    BuildRun_st Run(const wchar_t* architecture, const String_cl& file, const wchar_t* verb, const String_cl& config,
                    const String_cl& more = String_cl())
    {
        return RunBuilder(Vs2022(Edition(), architecture), file, verb, config, dir / L"build.log", more);
    }

    TempDir_cl dir{L"standin-2022"};
};

INSTANTIATE_TEST_SUITE_P(Editions, StandinVs2022Test, ::testing::Values(&kEnglish, &kChinese),
                         [](const auto& info) { return std::string(info.param->chinese ? "Chinese" : "English"); });

TEST_P(StandinVs2022Test, LinksEachPlatformOnlyInAnEnvironmentForIt)
{
    const Msbuild_st& e = Edition();
    String_cl core = WriteProject(
        dir, L"core\\core.vcxproj",
        MakeProject(L"StaticLibrary", {L"Debug|Win32", L"Debug|x64", L"Debug|ARM64"}, Compile(L"core.cpp")),
        L"core.cpp");
    String_cl win32Lib = dir / L"core\\Debug\\core.lib", x64Lib = dir / L"core\\x64\\Debug\\core.lib";

    BuildRun_st x86 = Run(L"x86", core, L"build", L"Debug|Win32");
    EXPECT_EQ(0, x86.exitCode) << x86.bytes;
    EXPECT_TRUE(x86.HasLine(e.Header(1, L"core", L"Debug Win32"))) << x86.bytes;
    EXPECT_TRUE(x86.HasLine(L"1>core.vcxproj -> " + win32Lib)) << x86.bytes;
    EXPECT_TRUE(x86.HasLine(e.BuildSummary(1, 0, 0, 0))) << x86.bytes;
    EXPECT_TRUE(e.EndsWithCompletion(x86, L"Build", L"生成")) << x86.bytes;
    EXPECT_TRUE(FileExists(win32Lib));
    // Up to date: counted, and not a line of its own.
    BuildRun_st again = Run(L"x86", core, L"build", L"Debug|Win32");
    EXPECT_TRUE(again.HasLine(e.BuildSummary(0, 0, 1, 0))) << again.bytes;
    EXPECT_FALSE(again.Contains(L"1>")) << again.bytes;

    // x64 objects for an x86 linker, and the other way round, even in a rebuild.
    BuildRun_st x64InX86 = Run(L"x86", core, L"build", L"Debug|x64");
    EXPECT_EQ(1, x64InX86.exitCode);
    EXPECT_TRUE(x64InX86.HasLine(e.Conflict(1, L"x64\\Debug\\core.obj", L"x64", L"x86"))) << x64InX86.bytes;
    EXPECT_TRUE(x64InX86.HasLine(e.Failed(1, L"core.vcxproj"))) << x64InX86.bytes;
    EXPECT_TRUE(x64InX86.HasLine(e.BuildSummary(0, 1, 0, 0))) << x64InX86.bytes;
    EXPECT_FALSE(FileExists(x64Lib));
    EXPECT_EQ(0, Run(L"amd64", core, L"build", L"Debug|x64").exitCode);
    EXPECT_TRUE(FileExists(x64Lib));
    BuildRun_st win32InX64 = Run(L"x86_amd64", core, L"rebuild", L"Debug|Win32");
    EXPECT_EQ(1, win32InX64.exitCode);
    EXPECT_TRUE(win32InX64.HasLine(e.Conflict(1, L"Debug\\core.obj", L"x86", L"x64"))) << win32InX64.bytes;
    EXPECT_TRUE(win32InX64.HasLine(e.Summary(L"Rebuild All", L"全部重新生成", 0, 1, 0))) << win32InX64.bytes;
    EXPECT_TRUE(e.EndsWithCompletion(win32InX64, L"Rebuild", L"重新生成")) << win32InX64.bytes;

    // ARM64 wants an arm64 target.
    EXPECT_TRUE(Run(L"x64", core, L"build", L"Debug|ARM64")
                    .HasLine(e.Conflict(1, L"ARM64\\Debug\\core.obj", L"ARM64", L"x64")));
    EXPECT_EQ(0, Run(L"x64_arm64", core, L"build", L"Debug|ARM64").exitCode);
    EXPECT_TRUE(FileExists(dir / L"core\\ARM64\\Debug\\core.lib"));

    BuildRun_st clean = Run(L"x64", core, L"clean", L"Debug|x64");
    EXPECT_EQ(0, clean.exitCode);
    EXPECT_TRUE(clean.HasLine(e.Summary(L"Clean", L"清理", 1, 0, 0))) << clean.bytes;
    EXPECT_TRUE(e.EndsWithCompletion(clean, L"Clean", L"清理")) << clean.bytes;
    EXPECT_FALSE(FileExists(x64Lib));
}

TEST_P(StandinVs2022Test, SolutionNumbersItsProjectsAndLinksWhatTheyReference)
{
    const Msbuild_st& e = Edition();
    MsbuildProject_st app =
        MakeProject(L"Application", {L"Debug|Win32", L"Debug|x64"},
                    Compile(L"main.cpp") + L"    <ProjectReference Include=\"..\\dll\\dll.vcxproj\">\r\n"
                                           L"      <Project>{00000000-0000-0000-0000-000000000002}</Project>\r\n"
                                           L"    </ProjectReference>\r\n");
    for (auto& c : app.configurations)
        c.definitions = L"    <Link>\r\n      <AdditionalDependencies>core.lib;%(AdditionalDependencies)"
                        L"</AdditionalDependencies>\r\n    </Link>\r\n";
    WriteProject(dir, L"app\\app.vcxproj", app, L"main.cpp");
    WriteProject(dir, L"dll\\dll.vcxproj",
                 MakeProject(L"DynamicLibrary", {L"Debug|Win32", L"Debug|x64"}, Compile(L"dll.cpp")), L"dll.cpp");
    WriteProject(dir, L"core\\core.vcxproj",
                 MakeProject(L"StaticLibrary", {L"Debug|Win32", L"Debug|x64"}, Compile(L"core.cpp")), L"core.cpp");
    String_cl text =
        L"\r\nMicrosoft Visual Studio Solution File, Format Version 12.00\r\n# Visual Studio Version 17\r\n"
        L"VisualStudioVersion = 17.8.34330.188\r\nMinimumVisualStudioVersion = 10.0.40219.1\r\n";
    const wchar_t* names[] = {L"app", L"dll", L"core"};
    for (int i = 0; i < 3; ++i)
        text += L"Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"" + String_cl(names[i]) + L"\", \"" +
                names[i] + L"\\" + names[i] + L".vcxproj\", \"{00000000-0000-0000-0000-00000000000" + Num(i + 1) +
                L"}\"\r\nEndProject\r\n";
    text += L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n\t\tDebug|x64 = Debug|x64\r\n"
            L"\t\tDebug|x86 = Debug|x86\r\n\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = "
            L"postSolution\r\n";
    for (int i = 1; i <= 3; ++i)
        for (const wchar_t* kind : {L"ActiveCfg", L"Build.0"})
            text +=
                L"\t\t{00000000-0000-0000-0000-00000000000" + Num(i) + L"}.Debug|x86." + kind + L" = Debug|Win32\r\n";
    text += L"\tEndGlobalSection\r\nEndGlobal\r\n";
    String_cl sln = dir / L"all.sln";
    WriteUtf8Text(sln, text);

    // In the solution's Debug\ folder, where the program finds core.lib. The
    // referenced DLL is built before the program, as a dependency is.
    BuildRun_st first = Run(L"x86", sln, L"build", L"Debug|x86");
    EXPECT_EQ(1, first.exitCode);
    EXPECT_TRUE(first.HasLine(e.Header(1, L"dll", L"Debug Win32"))) << first.bytes;
    EXPECT_TRUE(first.HasLine(e.CannotOpen(2, L"core.lib"))) << first.bytes;
    EXPECT_TRUE(first.HasLine(e.Failed(2, L"app.vcxproj"))) << first.bytes;
    EXPECT_TRUE(first.HasLine(e.Header(3, L"core", L"Debug Win32"))) << first.bytes;
    EXPECT_TRUE(first.HasLine(e.BuildSummary(2, 1, 0, 0))) << first.bytes;
    EXPECT_TRUE(FileExists(dir / L"Debug\\dll.dll") && FileExists(dir / L"Debug\\dll.lib"));

    BuildRun_st second = Run(L"x86", sln, L"build", L"Debug|x86");
    EXPECT_EQ(0, second.exitCode) << second.bytes;
    EXPECT_TRUE(second.HasLine(e.Header(1, L"app", L"Debug Win32"))) << second.bytes;
    EXPECT_FALSE(second.Contains(L"2>")) << second.bytes;
    EXPECT_TRUE(second.HasLine(e.BuildSummary(1, 0, 2, 0))) << second.bytes;

    // The referenced DLL's import library is linked though no dependency
    // names it: when the DLL fails to build again, the program misses it.
    DeleteFileW((dir / L"Debug\\dll.lib").c_str());
    ASSERT_TRUE(WriteAnsi(dir / L"dll\\dll.cpp", L"#error broken\r\n"));
    BuildRun_st third = Run(L"x86", sln, L"build", L"Debug|x86");
    EXPECT_TRUE(third.Contains(L"2>LINK : fatal error LNK1181: ")) << third.bytes;
    EXPECT_TRUE(third.Contains(dir / L"Debug\\dll.lib")) << third.bytes;
    EXPECT_TRUE(third.HasLine(e.BuildSummary(0, 2, 1, 0))) << third.bytes;
}

// What the installation's props do, a property sheet, conditions and
// inheritance, in files as the 2010 and 2015 editors write them.
TEST(StandinVcxprojEvaluation, FollowsPropertySheetsConditionsAndDefaults)
{
    TempDir_cl dir(L"standin-msbuild");
    WriteUtf8Text(dir / L"shared\\paths.props",
                  L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                  L"<Project ToolsVersion=\"4.0\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
                  L"  <PropertyGroup Label=\"UserMacros\">\r\n    <Suffix>_d</Suffix>\r\n  </PropertyGroup>\r\n"
                  L"  <PropertyGroup>\r\n    <OutDir>$(SolutionDir)bin\\$(Platform)</OutDir>\r\n"
                  L"    <OutDir Condition=\"Exists('$(SolutionDir)')\">$(SolutionDir)never\\</OutDir>\r\n"
                  L"  </PropertyGroup>\r\n  <ItemDefinitionGroup>\r\n    <Link>\r\n"
                  L"      <AdditionalDependencies>base.lib;%(AdditionalDependencies)</AdditionalDependencies>\r\n"
                  L"    </Link>\r\n  </ItemDefinitionGroup>\r\n</Project>\r\n");
    MsbuildProject_st dll =
        MakeProject(L"DynamicLibrary", {L"Debug|Win32", L"Release|Win32"}, Compile(L"dll.cpp"), 2010);
    dll.sheets = L"    <Import Project=\"..\\shared\\paths.props\" />\r\n";
    dll.configurations[0].properties = {{L"TargetName", L"$(ProjectName)$(Suffix)"}};
    dll.configurations[0].definitions =
        L"    <Link>\r\n      <AdditionalDependencies>extra.lib;%(AdditionalDependencies)"
        L"</AdditionalDependencies>\r\n      <AdditionalLibraryDirectories>$(ProjectDir)libs"
        L"</AdditionalLibraryDirectories>\r\n    </Link>\r\n";
    dll.configurations[1].properties = {{L"OutDir", L"$(SolutionDir)rel\\"}};
    dll.configurations[1].definitions =
        L"    <Link>\r\n      <AdditionalLibraryDirectories>libs</AdditionalLibraryDirectories>\r\n"
        L"    </Link>\r\n";
    String_cl project = WriteProject(dir, L"dll\\dll.vcxproj", dll, L"dll.cpp");
    CreateFolders(dir / L"dll\\libs\\");
    WriteBytes(dir / L"dll\\libs\\extra.lib", "!<arch>\n");
    const String_cl env = Vs2022(kEnglish, L"x86");

    // The sheet's definition is inherited: base.lib is wanted after extra.lib.
    BuildRun_st missing = RunBuilder(env, project, L"build", L"Debug|Win32", dir / L"1.log");
    EXPECT_TRUE(missing.HasLine(kEnglish.CannotOpen(1, L"base.lib"))) << missing.bytes;
    WriteBytes(dir / L"dll\\libs\\base.lib", "!<arch>\n");
    BuildRun_st built = RunBuilder(env, project, L"build", L"Debug|Win32", dir / L"2.log");
    EXPECT_EQ(0, built.exitCode) << built.bytes;
    // The sheet's OutDir, ended with a backslash; the project's TargetName
    // with the sheet's macro; the import library beside the DLL.
    EXPECT_TRUE(FileExists(dir / L"dll\\bin\\Win32\\dll_d.dll"));
    EXPECT_TRUE(FileExists(dir / L"dll\\bin\\Win32\\dll_d.lib")) << built.bytes;
    // A sheet written after the outputs makes them stale.
    ASSERT_TRUE(
        SetWriteTime(dir / L"shared\\paths.props", WriteTime(dir / L"dll\\bin\\Win32\\dll_d.dll") + kTenSeconds));
    EXPECT_TRUE(
        RunBuilder(env, project, L"build", L"Debug|Win32", dir / L"3.log").HasLine(kEnglish.BuildSummary(1, 0, 0, 0)));

    // The project's OutDir comes after the sheet's and wins; Release has no TargetName.
    BuildRun_st release = RunBuilder(env, project, L"build", L"Release|Win32", dir / L"4.log");
    EXPECT_EQ(0, release.exitCode) << release.bytes;
    EXPECT_TRUE(FileExists(dir / L"dll\\rel\\dll.dll"));
    EXPECT_TRUE(FileExists(dir / L"dll\\rel\\dll.lib"));

    // A utility project of 2015 builds and produces nothing.
    String_cl utility =
        WriteProject(dir, L"tool\\tool.vcxproj", MakeProject(L"Utility", {L"Release|x64"}, String_cl(), 2015));
    BuildRun_st tool = RunBuilder(Vs2022(kEnglish, L"x64"), utility, L"build", L"Release|x64", dir / L"5.log");
    EXPECT_EQ(0, tool.exitCode) << tool.bytes;
    EXPECT_TRUE(tool.HasLine(kEnglish.BuildSummary(1, 0, 0, 0))) << tool.bytes;
    EXPECT_FALSE(tool.Contains(L"->")) << tool.bytes;
}

// Refused as the real ones refuse them: an environment script of 2022
// without an architecture it knows (devenv never runs), a project file of
// the other era, a damaged one, a configuration the project lacks.
TEST(StandinRefusals, FailWithTheirErrorAndNeverHang)
{
    TempDir_cl dir(L"standin-refused");
    const String_cl vcvarsall = StandinDir(L"en", L"vs2022") + L"VC\\Auxiliary\\Build\\vcvarsall.bat";
    for (const wchar_t* architecture : {L"", L"ia64"}) {
        std::string output;
        EXPECT_EQ(1, RunProcess(L"cmd /c \"" + vcvarsall + L"\" " + architecture, String_cl(), &output)) << output;
        EXPECT_NE(std::string::npos, output.find("[ERROR:vcvarsall.bat]")) << output;
        BuildRun_st run = RunBuilder(Vs2022(kEnglish, architecture), dir / L"none.sln", L"build", L"Debug|Win32",
                                     dir / L"vcvars.log");
        EXPECT_NE(0, run.exitCode);
        EXPECT_FALSE(FileExists(dir / L"vcvars.log")) << architecture;
    }
    EXPECT_EQ(0, RunProcess(L"cmd /c \"" + vcvarsall + L"\" x64_x86"));

    String_cl vcproj = dir / L"old.vcproj", vcxproj = dir / L"new.vcxproj";
    WriteVcproj(vcproj, {L"old", {{L"Debug|Win32", 4, {Librarian()}}}});
    WriteProject(dir, L"new.vcxproj", MakeProject(L"StaticLibrary", {L"Debug|Win32"}, String_cl()));
    BuildRun_st toNew = RunBuilder(Vs2022(kEnglish, L"x86"), vcproj, L"build", L"Debug|Win32", dir / L"1.log");
    EXPECT_EQ(1, toNew.exitCode);
    EXPECT_TRUE(toNew.Contains(vcproj + L" : error MSB4075: ")) << toNew.bytes;
    EXPECT_TRUE(toNew.HasLine(kEnglish.BuildSummary(0, 1, 0, 0))) << toNew.bytes;
    EXPECT_FALSE(FileExists(dir / L"Debug\\old.lib"));
    BuildRun_st toOld = RunStandin(English(), vcxproj, L"build", L"Debug|Win32", dir / L"2.log");
    EXPECT_EQ(1, toOld.exitCode);
    EXPECT_TRUE(toOld.Contains(vcxproj + L" : error : ")) << toOld.bytes;
    EXPECT_TRUE(toOld.HasLine(English().BuildSummary(0, 1, 0, 0))) << toOld.bytes;
    EXPECT_FALSE(FileExists(dir / L"Debug\\new.lib"));

    BuildRun_st lacking = RunBuilder(Vs2022(kEnglish, L"x64"), vcxproj, L"build", L"Release|x64", dir / L"3.log");
    EXPECT_EQ(1, lacking.exitCode);
    EXPECT_TRUE(lacking.Contains(L"1>" + vcxproj + L" : error MSB8013: ")) << lacking.bytes;
    EXPECT_TRUE(lacking.HasLine(kEnglish.Failed(1, L"new.vcxproj"))) << lacking.bytes;
    std::string damaged = ReadBytes(vcxproj);
    WriteBytes(vcxproj, damaged.substr(0, damaged.size() / 2));
    BuildRun_st broken = RunBuilder(Vs2022(kEnglish, L"x86"), vcxproj, L"build", L"Debug|Win32", dir / L"4.log");
    EXPECT_EQ(1, broken.exitCode);
    EXPECT_TRUE(broken.Contains(L"1>" + vcxproj + L" : error MSB4025: ")) << broken.bytes;
    EXPECT_TRUE(broken.HasLine(kEnglish.BuildSummary(0, 1, 0, 0))) << broken.bytes;

    // Properties that each double the one before (2^40 characters): the
    // project cannot be loaded, and the builder says so instead of taking
    // every byte of the machine.
    String_cl doubling;
    for (int i = 1; i <= 40; ++i)
        doubling += L"<P" + Num(i) + L">$(P" + Num(i - 1) + L")$(P" + Num(i - 1) + L")</P" + Num(i) + L">";
    std::string text = damaged;
    const size_t end = text.rfind("</Project>");
    ASSERT_NE(std::string::npos, end);
    text.insert(end, "<PropertyGroup><P0>x</P0>" + doubling.ToUtf8() + "<TargetName>$(P40)</TargetName></PropertyGroup>");
    WriteBytes(vcxproj, text);
    BuildRun_st huge = RunBuilder(Vs2022(kEnglish, L"x86"), vcxproj, L"build", L"Debug|Win32", dir / L"6.log");
    EXPECT_EQ(1, huge.exitCode);
    EXPECT_TRUE(huge.Contains(L"1>" + vcxproj + L" : error MSB4025: ")) << huge.bytes;
    EXPECT_TRUE(huge.HasLine(kEnglish.BuildSummary(0, 1, 0, 0))) << huge.bytes;
}

// 2015: the old layout, run without an architecture; the lines of 2010 to
// 2019 (tool output two spaces in, the Chinese counters as 2008 writes
// them, nothing after them); x64 built in any environment.
TEST_P(StandinVs2022Test, Vs2015WritesTheEarlierLinesInTheOldLayout)
{
    const Msbuild_st& e = Edition();
    String_cl core = WriteProject(
        dir, L"core.vcxproj", MakeProject(L"StaticLibrary", {L"Debug|x64"}, Compile(L"core.cpp"), 2015), L"core.cpp");
    BuildRun_st run = RunBuilder(L"\"" + StandinDir(e.folder, L"vs2015") + L"VC\\vcvarsall.bat\"", core, L"build",
                                 L"Debug|x64", dir / L"build.log");
    EXPECT_EQ(0, run.exitCode) << run.bytes;
    EXPECT_TRUE(run.HasLine(e.Header(1, L"core", L"Debug x64"))) << run.bytes;
    EXPECT_TRUE(run.HasLine(L"1>  core.vcxproj -> " + dir / L"x64\\Debug\\core.lib")) << run.bytes;
    const String_cl summary = e.chinese ? Chinese().BuildSummary(1, 0, 0, 0) : English().BuildSummary(1, 0, 0, 0);
    EXPECT_TRUE(run.HasLine(summary)) << run.bytes;
    EXPECT_EQ(run.text.size(), run.text.find(summary) + summary.size() + 2) << run.bytes;
}

// Programs tell an installation's release by its devenv's file version.
TEST(StandinVersions, EachDevenvCarriesTheFileVersionOfItsRelease)
{
    for (auto [layout, major] : {std::pair{L"vs", 9}, std::pair{L"vs2015", 14}, std::pair{L"vs2022", 17}})
        for (const wchar_t* edition : {L"zh", L"en"}) {
            const String_cl exe = StandinDir(edition, layout) + L"Common7\\IDE\\devenv.exe";
            DWORD ignored = 0, size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
            std::vector<char> data(size);
            VS_FIXEDFILEINFO* info = nullptr;
            UINT length = 0;
            ASSERT_TRUE(size && GetFileVersionInfoW(exe.c_str(), 0, size, data.data()) &&
                        VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) && info)
                << exe.ToUtf8();
            EXPECT_EQ(major, HIWORD(info->dwFileVersionMS)) << exe.ToUtf8();
        }
}

} // namespace

// A project of a solution asked for with /project sees the solution's folder
// as $(SolutionDir), where the sheet it imports is (alone, it sees its own
// folder, and MSBuild stops at the import); what it depends on is built
// first when out of date, in the configuration the solution gives it, a
// project the configuration does not build is skipped with the builder's
// line, and /rebuild rebuilds them too. The trace names what each run built.
TEST_P(StandinVs2022Test, ProjectOfASolutionIsBuiltThereAfterWhatItDependsOn)
{
    const Msbuild_st& e = Edition();
    WriteUtf8Text(dir / L"common.props", L"<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
                                         L"  <PropertyGroup><OutDir>$(SolutionDir)out\\</OutDir></PropertyGroup>\r\n"
                                         L"</Project>\r\n");
    const String_cl sheet = L"    <Import Project=\"$(SolutionDir)\\common.props\" />\r\n";
    MsbuildProject_st lib = MakeProject(L"StaticLibrary", {L"Debug|x64"}, Compile(L"lib.cpp"));
    MsbuildProject_st app = MakeProject(L"Application", {L"Debug|x64"},
                                        Compile(L"main.cpp") + L"    <ProjectReference Include=\"..\\lib\\lib.vcxproj\" />\r\n");
    lib.sheets = app.sheets = sheet;
    WriteProject(dir, L"lib\\lib.vcxproj", lib, L"lib.cpp");
    const String_cl appPath = WriteProject(dir, L"app\\app.vcxproj", app, L"main.cpp");
    WriteProject(dir, L"extra\\extra.vcxproj", MakeProject(L"StaticLibrary", {L"Debug|x64"}, Compile(L"extra.cpp")),
                 L"extra.cpp");
    String_cl text = L"\r\nMicrosoft Visual Studio Solution File, Format Version 12.00\r\n# Visual Studio Version 17\r\n";
    const wchar_t* names[] = {L"lib", L"app", L"extra"};
    for (int i = 0; i < 3; ++i) {
        text += L"Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"" + String_cl(names[i]) + L"\", \"" + names[i] +
                L"\\" + names[i] + L".vcxproj\", \"{00000000-0000-0000-0000-00000000000" + Num(i + 1) + L"}\"\r\n";
        if (i == 1)
            text += L"\tProjectSection(ProjectDependencies) = postProject\r\n\t\t{00000000-0000-0000-0000-000000000003} = "
                    L"{00000000-0000-0000-0000-000000000003}\r\n\tEndProjectSection\r\n";
        text += L"EndProject\r\n";
    }
    text += L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n\t\tDebug|x64 = Debug|x64\r\n"
            L"\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n";
    for (int i = 1; i <= 3; ++i)
        for (const wchar_t* kind : {L"ActiveCfg", L"Build.0"})
            if (i != 3 || String_cl(kind) == L"ActiveCfg")
                text += L"\t\t{00000000-0000-0000-0000-00000000000" + Num(i) + L"}.Debug|x64." + kind + L" = Debug|x64\r\n";
    text += L"\tEndGlobalSection\r\nEndGlobal\r\n";
    const String_cl sln = dir / L"all.sln";
    WriteUtf8Text(sln, text);
    const String_cl project = L"/project \"app\\app.vcxproj\" /projectconfig \"Debug|x64\"";

    BuildRun_st alone = Run(L"x64", appPath, L"build", L"Debug|x64");
    EXPECT_EQ(1, alone.exitCode);
    EXPECT_TRUE(alone.Contains(L"error MSB4019")) << alone.bytes;
    EXPECT_TRUE(alone.Contains(dir / L"app\\common.props")) << alone.bytes;

    const String_cl trace = dir / L"trace.txt";
    BuildRun_st first;
    {
        EnvironmentScope_cl traced(L"QV_STANDIN_TRACE", trace);
        first = Run(L"x64", sln, L"build", L"Debug|x64", project);
    }
    EXPECT_EQ(0, first.exitCode) << first.bytes;
    EXPECT_TRUE(first.HasLine(e.chinese ? L"1>------ 已跳过生成: 项目: extra, 配置: Debug x64 ------"
                                        : L"1>------ Skipped Build: Project: extra, Configuration: Debug x64 ------"))
        << first.bytes;
    EXPECT_TRUE(first.HasLine(e.Header(2, L"lib", L"Debug x64"))) << first.bytes;
    EXPECT_TRUE(first.HasLine(e.Header(3, L"app", L"Debug x64"))) << first.bytes;
    EXPECT_TRUE(first.HasLine(e.BuildSummary(2, 0, 0, 1))) << first.bytes;
    EXPECT_TRUE(FileExists(dir / L"out\\app.exe") && FileExists(dir / L"out\\lib.lib"));
    const std::vector<StandinBuild_st> builds = ReadStandinTrace(trace);
    ASSERT_EQ(builds.size(), 2u);
    EXPECT_EQ(builds[0].project, dir / L"lib\\lib.vcxproj");
    EXPECT_EQ(builds[1].project, appPath);
    for (const StandinBuild_st& b : builds) {
        EXPECT_EQ(b.outcome, L"built");
        EXPECT_EQ(b.asked, appPath);
    }

    EXPECT_TRUE(Run(L"x64", sln, L"build", L"Debug|x64", project).HasLine(e.BuildSummary(0, 0, 2, 1)));
    BuildRun_st rebuild = Run(L"x64", sln, L"rebuild", L"Debug|x64", project);
    EXPECT_TRUE(rebuild.HasLine(e.Summary(L"Rebuild All", L"全部重新生成", 2, 0, 1))) << rebuild.bytes;
    // The configuration /projectconfig names, which this project lacks.
    BuildRun_st release = Run(L"x64", sln, L"build", L"Debug|x64", L"/project \"app\" /projectconfig \"Release|x64\"");
    EXPECT_EQ(1, release.exitCode);
    EXPECT_TRUE(release.Contains(L"error MSB8013")) << release.bytes;
    BuildRun_st missing = Run(L"x64", sln, L"build", L"Debug|x64", L"/project \"nothere\"");
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_TRUE(missing.Contains(L"nothere")) << missing.bytes;
    EXPECT_FALSE(missing.Contains(L"==========")) << missing.bytes;
}

// Projects of a solution that take their configurations and folders from a
// sheet beside the solution ($(SolutionDir)\x.props, as generated trees
// share them): the builder knows the configurations the sheet lists.
TEST_P(StandinVs2022Test, ConfigurationsFromASheetOfTheSolutionAreBuilt)
{
    const Msbuild_st& e = Edition();
    String_cl configurations;
    for (const wchar_t* c : {L"Debug", L"Release"})
        for (const wchar_t* p : {L"Win32", L"x64"})
            configurations += L"    <ProjectConfiguration Include=\"" + String_cl(c) + L"|" + p + L"\"><Configuration>" +
                              c + L"</Configuration><Platform>" + p + L"</Platform></ProjectConfiguration>\r\n";
    WriteUtf8Text(dir / L"x.props", L"<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
                                    L"  <ItemGroup Label=\"ProjectConfigurations\">\r\n" + configurations +
                                        L"  </ItemGroup>\r\n  <PropertyGroup><OutDir>$(SolutionDir)bin\\$(Platform)\\"
                                        L"$(Configuration)\\</OutDir></PropertyGroup>\r\n</Project>\r\n");
    WriteUtf8Text(dir / L"core\\core.vcxproj",
                  L"<Project DefaultTargets=\"Build\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
                  L"  <Import Project=\"$(SolutionDir)\\x.props\" />\r\n"
                  L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.Default.props\" />\r\n"
                  L"  <PropertyGroup Label=\"Configuration\"><ConfigurationType>StaticLibrary</ConfigurationType>"
                  L"</PropertyGroup>\r\n"
                  L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.props\" />\r\n"
                  L"  <ItemGroup>\r\n" + Compile(L"core.cpp") + L"  </ItemGroup>\r\n"
                  L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.targets\" />\r\n</Project>\r\n");
    WriteBytes(dir / L"core\\core.cpp", "int f();\r\n");
    WriteUtf8Text(dir / L"s.sln",
                  L"\r\nMicrosoft Visual Studio Solution File, Format Version 12.00\r\n# Visual Studio Version 17\r\n"
                  L"Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"core\", \"core\\core.vcxproj\", "
                  L"\"{00000000-0000-0000-0000-000000000001}\"\r\nEndProject\r\nGlobal\r\n"
                  L"\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n\t\tRelease|x64 = Release|x64\r\n"
                  L"\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n"
                  L"\t\t{00000000-0000-0000-0000-000000000001}.Release|x64.ActiveCfg = Release|x64\r\n"
                  L"\t\t{00000000-0000-0000-0000-000000000001}.Release|x64.Build.0 = Release|x64\r\n"
                  L"\tEndGlobalSection\r\nEndGlobal\r\n");

    BuildRun_st built = Run(L"x64", dir / L"s.sln", L"build", L"Release|x64",
                            L"/project \"core\\core.vcxproj\" /projectconfig \"Release|x64\"");
    EXPECT_EQ(0, built.exitCode) << built.bytes;
    EXPECT_TRUE(built.HasLine(e.BuildSummary(1, 0, 0, 0))) << built.bytes;
    EXPECT_TRUE(FileExists(dir / L"bin\\x64\\Release\\core.lib")) << built.bytes;
    BuildRun_st cleaned = Run(L"x64", dir / L"s.sln", L"clean", L"Release|x64");
    EXPECT_EQ(0, cleaned.exitCode) << cleaned.bytes;
    EXPECT_FALSE(FileExists(dir / L"bin\\x64\\Release\\core.lib")) << cleaned.bytes;
}
