// Several CI jobs on one machine run one installed Quorvane.com at once,
// each keeping its data file, logs and lock in a folder of its own
// (--data-dir), as a GitLab runner with several concurrent jobs does.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;

namespace {

String_cl Quoted(const String_cl& s) { return L"\"" + s + L"\""; }

} // namespace

TEST(ConsoleDataDir, JobsOnOneProgramFolderKeepApartAndBuildAtOnce)
{
    Test_ns::TempDir_cl dir(L"qv-datadir");
    const String_cl program = dir / L"program\\";
    Test_ns::CreateFolders(program);
    const String_cl from = Test_ns::ExeDirectory();
    ASSERT_TRUE(CopyFileW((from + L"Quorvane.com").c_str(), (program + L"Quorvane.com").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((from + L"SettingsHost.dll").c_str(), (program + L"SettingsHost.dll").c_str(), FALSE));
    const String_cl vc = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en");
    const String_cl exe = Quoted(program + L"Quorvane.com");

    // Two checkouts, as two jobs have them, each with its own plan.
    std::vector<String_cl> data, projects;
    for (const wchar_t* job : {L"job 1", L"job 2"}) {
        const String_cl project = dir / (String_cl(job) + L"\\lib\\lib.vcproj");
        ASSERT_TRUE(Test_ns::WriteVcprojAndSources(
            project, {L"lib", {{L"Debug|Win32", 4, {Test_ns::Librarian(L"$(OutDir)\\lib.lib")}, {{L"OutputDirectory", L"out"}}}}, {L"main.cpp"}}));
        data.push_back(dir / (String_cl(job) + L"\\quorvane-out"));
        projects.push_back(project);
        ASSERT_EQ(Test_ns::RunProcess(exe + L" add p " + Quoted(project) + L" --data-dir " + Quoted(data.back())), 0);
    }
    // Each build takes long enough that the two overlap.
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"3000");
    std::vector<HANDLE> running;
    for (const String_cl& d : data)
        running.push_back(Test_ns::StartProcess(exe + L" build p --no-rename --vc-dir " + Quoted(vc.substr(0, vc.size() - 1)) +
                                                L" --data-dir " + Quoted(d)));
    std::vector<int> codes;
    for (HANDLE h : running) codes.push_back(Test_ns::EndProcess(h));
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", nullptr);
    EXPECT_EQ(codes, (std::vector<int>{0, 0})) << "one job refused the other's data file";
    for (size_t i = 0; i < data.size(); ++i) {
        EXPECT_TRUE(Test_ns::FileExists(data[i] + L"\\Quorvane.xml"));
        EXPECT_TRUE(Test_ns::FileExists(data[i] + L"\\编译日志\\正常\\lib.log"));
        EXPECT_TRUE(Test_ns::FileExists(dir / (i == 0 ? L"job 1\\lib\\out\\lib.lib" : L"job 2\\lib\\out\\lib.lib")));
    }
    EXPECT_FALSE(Test_ns::FileExists(program + L"Quorvane.xml")) << "the program's own folder stays as installed";
    EXPECT_FALSE(Test_ns::FileExists(program + L"编译日志"));
}
