// The builder stand-in on single project files, in both editions, run through
// cmd and vcvarsall.bat as the program runs the real builder.
#include <gtest/gtest.h>
#include "tests/tools/StandinHarness.h"

using namespace StandinTest_ns;
using namespace Test_ns;

namespace {

// A static library whose Debug|Win32 output is $(OutDir)\<name>_Win32.lib.
VcProject_st Library(const String_cl& name, std::vector<VcFile_st> files = {})
{
    return {name, {{L"Debug|Win32", 4, {Librarian(L"$(OutDir)\\$(ProjectName)_$(PlatformName).lib")}}}, files};
}

class StandinProjectTest : public ::testing::TestWithParam<const Edition_st*> {
protected:
    void SetUp() override
    {
        if (Edition().chinese && !ChineseWritable()) GTEST_SKIP() << "Chinese lines need code page 936";
    }
    const Edition_st& Edition() const { return *GetParam(); }
    BuildRun_st Run(const String_cl& file, const wchar_t* verb, const String_cl& config = L"Debug|Win32")
    {
        return RunStandin(Edition(), file, verb, config, dir / L"build.log");
    }
    // A static library "core" in core\ with one source, its output in out\Debug\.
    String_cl WriteCore()
    {
        VcProject_st core = Library(L"core", {L".\\core.cpp"});
        core.configurations[0].attributes = {{L"OutputDirectory", L"$(SolutionDir)out\\$(ConfigurationName)"}};
        String_cl path = dir / L"core\\core.vcproj";
        WriteVcprojAndSources(path, core, "int Core() { return 1; }\r\n");
        return path;
    }

    TempDir_cl dir{L"standin"};
};

INSTANTIATE_TEST_SUITE_P(Editions, StandinProjectTest, ::testing::Values(&English(), &Chinese()),
                         [](const auto& info) { return std::string(info.param->chinese ? "Chinese" : "English"); });

TEST_P(StandinProjectTest, BuildCreatesTheOutputAndIsThenUpToDateUntilASourceChanges)
{
    String_cl project = WriteCore();
    String_cl output = dir / L"core\\out\\Debug\\core_Win32.lib";

    BuildRun_st first = Run(project, L"build");
    EXPECT_EQ(0, first.exitCode);
    EXPECT_TRUE(first.HasLine(Edition().Header(L"core", L"Debug|Win32"))) << first.bytes;
    EXPECT_TRUE(first.HasLine(Edition().BuildSummary(1, 0, 0, 0))) << first.bytes;
    ASSERT_TRUE(FileExists(output));

    BuildRun_st second = Run(project, L"build");
    EXPECT_EQ(0, second.exitCode);
    EXPECT_TRUE(second.HasLine(Edition().BuildSummary(0, 0, 1, 0))) << second.bytes;

    // A source written after the output makes it stale again.
    ASSERT_TRUE(SetWriteTime(dir / L"core\\core.cpp", WriteTime(output) + kTenSeconds));
    BuildRun_st third = Run(project, L"build");
    EXPECT_TRUE(third.HasLine(Edition().BuildSummary(1, 0, 0, 0))) << third.bytes;
    EXPECT_GE(WriteTime(output), WriteTime(dir / L"core\\core.cpp") - kTenSeconds);

    // So does a project file written after it; the configuration name ignores case.
    ASSERT_TRUE(SetWriteTime(project, WriteTime(output) + kTenSeconds));
    BuildRun_st fourth = Run(project, L"build", L"DEBUG|win32");
    EXPECT_TRUE(fourth.HasLine(Edition().BuildSummary(1, 0, 0, 0))) << fourth.bytes;
}

TEST_P(StandinProjectTest, MissingLibraryFailsTheLinkUntilItsProviderIsBuilt)
{
    String_cl core = WriteCore();
    CreateFolders(dir / L"vendor dir\\");
    CreateFolders(dir / L"app\\Debug\\");
    Test_ns::WriteBytes(dir / L"vendor dir\\third party.lib", "!<arch>\n");
    Test_ns::WriteBytes(dir / L"app\\Debug\\local.lib", "!<arch>\n");
    // Found in a named folder, in a quoted folder, and in the output folder.
    VcProject_st program{L"app",
                         {{L"Debug|Win32", 1,
                           {Linker()
                                .Dependencies(L"core_$(PlatformName).lib \"third party.lib\" local.lib")
                                .LibraryFolders(L"..\\core\\out\\$(ConfigurationName);\"..\\vendor dir\"")}}},
                         {L"main.cpp"}};
    String_cl app = dir / L"app\\app.vcproj";
    WriteVcprojAndSources(app, program, "int main() { return 0; }\r\n");

    BuildRun_st failed = Run(app, L"build");
    EXPECT_EQ(1, failed.exitCode);
    EXPECT_TRUE(failed.HasLine(Edition().CannotOpen(L"core_Win32.lib"))) << failed.bytes;
    EXPECT_TRUE(failed.HasLine(Edition().BuildSummary(0, 1, 0, 0))) << failed.bytes;
    EXPECT_FALSE(FileExists(dir / L"app\\Debug\\app.exe"));

    ASSERT_EQ(0, Run(core, L"build").exitCode);
    BuildRun_st linked = Run(app, L"build");
    EXPECT_EQ(0, linked.exitCode) << linked.bytes;
    EXPECT_FALSE(linked.Contains(L"LNK1104")) << linked.bytes;
    EXPECT_TRUE(linked.HasLine(Edition().BuildSummary(1, 0, 0, 0))) << linked.bytes;
    EXPECT_TRUE(FileExists(dir / L"app\\Debug\\app.exe"));

    // A library rebuilt after the program makes the program relink.
    ASSERT_TRUE(SetWriteTime(dir / L"core\\out\\Debug\\core_Win32.lib",
                             WriteTime(dir / L"app\\Debug\\app.exe") + kTenSeconds));
    EXPECT_TRUE(Run(app, L"build").HasLine(Edition().BuildSummary(1, 0, 0, 0)));

    // The linker stops at the first library it cannot open.
    DeleteFileW((dir / L"vendor dir\\third party.lib").c_str());
    DeleteFileW((dir / L"app\\Debug\\local.lib").c_str());
    BuildRun_st vendor = Run(app, L"build");
    EXPECT_TRUE(vendor.HasLine(Edition().CannotOpen(L"third party.lib"))) << vendor.bytes;
    EXPECT_FALSE(vendor.Contains(L"local.lib")) << vendor.bytes;

    // A dependency written with its folder is an input file: LNK1181, quoting it as written.
    program.configurations[0].tools = {Linker().Dependencies(L"..\\vendor\\gone.lib")};
    WriteVcproj(app, program);
    BuildRun_st input = Run(app, L"build");
    EXPECT_EQ(1, input.exitCode);
    EXPECT_TRUE(input.HasLine(Edition().CannotOpenInput(L"..\\vendor\\gone.lib"))) << input.bytes;
}

TEST_P(StandinProjectTest, ErrorDirectiveFailsTheCompileWithItsLine)
{
    CreateDirectoryW((dir / L"src").c_str(), nullptr);
    Test_ns::WriteBytes(dir / L"src\\good.cpp", "// #error in a comment is no directive\r\nint Good();\r\n");
    Test_ns::WriteBytes(dir / L"src\\bad.cpp", "int Bad();\r\n\r\n  #  error stop here \r\nint After();\r\n");
    Test_ns::WriteBytes(dir / L"src\\skipped.cpp", "#error excluded from this configuration\r\n");
    VcProject_st lib =
        Library(L"lib", {L"src\\good.cpp", L".\\src\\bad.cpp", {L"src\\skipped.cpp", {L"Debug|Win32"}}});
    lib.filter = L"Source Files";
    String_cl project = dir / L"lib.vcproj";
    WriteVcproj(project, lib);

    BuildRun_st run = Run(project, L"build");
    EXPECT_EQ(1, run.exitCode);
    EXPECT_TRUE(run.HasLine(L".\\src\\bad.cpp(3) : fatal error C1189: #error :  stop here")) << run.bytes;
    EXPECT_FALSE(run.Contains(L"good.cpp(")) << run.bytes;
    EXPECT_FALSE(run.Contains(L"excluded")) << run.bytes;
    EXPECT_TRUE(run.HasLine(Edition().BuildSummary(0, 1, 0, 0))) << run.bytes;
    EXPECT_FALSE(FileExists(dir / L"Debug\\lib_Win32.lib"));

    // Fixed, it builds.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"src\\bad.cpp", "int Bad();\r\n"));
    BuildRun_st fixed = Run(project, L"build");
    EXPECT_TRUE(fixed.HasLine(Edition().BuildSummary(1, 0, 0, 0))) << fixed.exitCode << "\n" << fixed.bytes;
    EXPECT_TRUE(FileExists(dir / L"Debug\\lib_Win32.lib"));
}

TEST_P(StandinProjectTest, RebuildAndCleanHaveTheirOwnSummaries)
{
    // A DLL known by its import library (the engine links against that name).
    String_cl project = dir / L"core.vcproj";
    WriteVcprojAndSources(
        project,
        {L"core",
         {{L"Debug|Win32", 2,
           {Linker(L"$(OutDir)\\$(ProjectName)D.dll").ImportLibrary(L"$(OutDir)\\$(TargetName).lib")}}},
         {L"dll.cpp"}},
        "int Exported() { return 2; }\r\n");
    String_cl dll = dir / L"Debug\\coreD.dll", lib = dir / L"Debug\\coreD.lib";

    ASSERT_EQ(0, Run(project, L"build").exitCode);
    ASSERT_TRUE(FileExists(dll) && FileExists(lib));
    // Everything a minute old and up to date: a rebuild still writes the outputs.
    unsigned long long past = WriteTime(dll) - kTenSeconds * 6;
    ASSERT_TRUE(SetWriteTime(project, past) && SetWriteTime(dir / L"dll.cpp", past));
    ASSERT_TRUE(SetWriteTime(dll, past + kTenSeconds) && SetWriteTime(lib, past + kTenSeconds));
    ASSERT_TRUE(Run(project, L"build").HasLine(Edition().BuildSummary(0, 0, 1, 0)));

    BuildRun_st rebuild = Run(project, L"rebuild");
    EXPECT_EQ(0, rebuild.exitCode);
    EXPECT_TRUE(rebuild.HasLine(Edition().RebuildSummary(1, 0, 0))) << rebuild.bytes;
    EXPECT_FALSE(rebuild.Contains(Edition().chinese ? L"========== 生成: " : L"========== Build: "));
    EXPECT_GT(WriteTime(dll), past + 2 * kTenSeconds);
    EXPECT_GT(WriteTime(lib), past + 2 * kTenSeconds);

    BuildRun_st clean = Run(project, L"clean");
    EXPECT_EQ(0, clean.exitCode);
    EXPECT_TRUE(clean.HasLine(Edition().CleanSummary(1, 0, 0))) << clean.bytes;
    EXPECT_FALSE(FileExists(dll));
    EXPECT_FALSE(FileExists(lib));

    // A configuration the project lacks fails, in every verb.
    BuildRun_st missing = Run(project, L"clean", L"Release|x64");
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_TRUE(missing.Contains(L"PRJ0019")) << missing.bytes;
    EXPECT_TRUE(missing.HasLine(Edition().CleanSummary(0, 1, 0))) << missing.bytes;
    BuildRun_st missingBuild = Run(project, L"build", L"Release|x64");
    EXPECT_TRUE(missingBuild.HasLine(Edition().BuildSummary(0, 1, 0, 0))) << missingBuild.bytes;
}

TEST_P(StandinProjectTest, IntelWrapperBuildsTheProjectItNames)
{
    // wrap.vcproj beside the wrapper would fail; the attribute names another.
    WriteVcprojAndSources(dir / L"wrap.vcproj", Library(L"wrap", {L"broken.cpp"}),
                          "#error the same-named project was built\r\n");
    WriteVcprojAndSources(dir / L"renamed\\inner.vcproj", Library(L"inner", {L"inner.cpp"}), "int Inner();\r\n");
    String_cl named = dir / L"wrap.icproj";
    WriteXml(named, WrapperText(L"renamed\\inner.vcproj"));

    BuildRun_st run = Run(named, L"build");
    EXPECT_EQ(0, run.exitCode) << run.bytes;
    EXPECT_TRUE(run.HasLine(Edition().Header(L"inner", L"Debug|Win32"))) << run.bytes;
    EXPECT_TRUE(FileExists(dir / L"renamed\\Debug\\inner_Win32.lib"));

    // Without the attribute the wrapper stands for the project with its base name.
    String_cl plain = dir / L"wrap2.icproj";
    WriteXml(plain, WrapperText());
    CopyFileW((dir / L"wrap.vcproj").c_str(), (dir / L"wrap2.vcproj").c_str(), FALSE);
    BuildRun_st same = Run(plain, L"build");
    EXPECT_EQ(1, same.exitCode);
    EXPECT_TRUE(same.HasLine(L"broken.cpp(1) : fatal error C1189: #error :  the same-named project was built"))
        << same.bytes;
}

TEST_P(StandinProjectTest, FileThatDoesNotExistEndsWithoutSummary)
{
    BuildRun_st run = Run(dir / L"nowhere.vcproj", L"build");
    EXPECT_EQ(1, run.exitCode);
    EXPECT_TRUE(run.Contains(L"nowhere.vcproj")) << run.bytes;
    EXPECT_FALSE(run.Contains(L"==========")) << run.bytes;
}

TEST_P(StandinProjectTest, DelayMakesEveryProjectTakeThatLong)
{
    String_cl project = WriteCore();
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"700");
    ULONGLONG start = GetTickCount64();
    BuildRun_st run = Run(project, L"build");
    ULONGLONG took = GetTickCount64() - start;
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", nullptr);
    EXPECT_TRUE(run.HasLine(Edition().BuildSummary(1, 0, 0, 0))) << run.bytes;
    EXPECT_GE(took, 700u);
}

// What cmd leaves when the system cannot start devenv, on request: an empty
// log and cmd's 9009, once; the next run builds.
TEST(StandinFailedStart, LeavesAnEmptyLogOnceThenBuilds)
{
    TempDir_cl dir(L"standin");
    String_cl project = dir / L"once.vcproj";
    WriteVcproj(project, Library(L"once"));
    SetEnvironmentVariableW(L"QV_STANDIN_FAIL_FIRST_START", (dir / L"failed once").c_str());
    BuildRun_st failed = RunStandin(English(), project, L"build", L"Debug|Win32", dir / L"1.log");
    BuildRun_st built = RunStandin(English(), project, L"build", L"Debug|Win32", dir / L"2.log");
    SetEnvironmentVariableW(L"QV_STANDIN_FAIL_FIRST_START", nullptr);
    EXPECT_EQ(9009, failed.exitCode);
    EXPECT_TRUE(FileExists(dir / L"1.log"));
    EXPECT_EQ("", failed.bytes);
    EXPECT_TRUE(built.HasLine(English().BuildSummary(1, 0, 0, 0))) << built.bytes;
    EXPECT_TRUE(FileExists(dir / L"Debug\\once_Win32.lib"));
}

// Runs devenv.exe itself, without vcvarsall.bat: no edition variable, no LIB.
TEST(StandinWithoutEnvironment, DefaultsToEnglishAndFindsTheSystemLibraries)
{
    TempDir_cl dir(L"standin");
    String_cl project = dir / L"tool.vcproj";
    WriteVcproj(project, {L"tool", {{L"Debug|Win32", 1, {Linker().Dependencies(L"kernel32.lib user32.lib")}}}});
    SetEnvironmentVariableW(L"QV_STANDIN_EDITION", nullptr);
    SetEnvironmentVariableW(L"LIB", nullptr);
    std::string output;
    int code = Test_ns::RunProcess(L"\"" + Test_ns::StandinDir(L"zh") + L"Common7\\IDE\\devenv.exe\" \"" + project +
                                       L"\" /build \"Debug|Win32\"",
                                   String_cl(), &output);
    EXPECT_EQ(0, code) << output;
    EXPECT_NE(std::string::npos, output.find("========== Build: 1 succeeded, 0 failed, 0 up-to-date, 0 skipped"))
        << output;
    EXPECT_TRUE(FileExists(dir / L"Debug\\tool.exe"));

    // Arguments it does not understand get the usage text and a failure.
    output.clear();
    code = Test_ns::RunProcess(L"\"" + Test_ns::StandinDir(L"en") + L"Common7\\IDE\\devenv.exe\" \"" + project +
                                   L"\" /deploy",
                               String_cl(), &output);
    EXPECT_EQ(1, code);
    EXPECT_NE(std::string::npos, output.find("Usage:")) << output;
}

} // namespace
