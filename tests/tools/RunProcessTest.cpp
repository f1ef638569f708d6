// The test programs' own way of running a program and reading its output.
#include <gtest/gtest.h>
#include "tests/tools/StandinHarness.h"

using namespace StandinTest_ns;
using namespace Test_ns;

// A process that the child leaves running keeps the output pipe open; the
// run still ends with the child. (Wine's desktop process, started for the
// first program of a session that needs a window, does that for as long as
// the session lasts.)
TEST(RunProcessTest, EndsWithTheChildWhileAProcessItLeftHoldsTheOutput)
{
    Test_ns::TempDir_cl dir(L"runprocess");
    WriteVcproj(dir / L"held.vcproj", {L"held", {{L"Debug|Win32", 4, {Librarian()}}}});
    const String_cl output = dir / L"Debug\\held.lib";

    // The stand-in, started in the background by cmd, writes its output
    // (into the inherited pipe, and the library) only after its delay.
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"3000");
    std::string text;
    int code = Test_ns::RunProcess(L"cmd /c echo child ended && start \"\" /b \"" + Test_ns::StandinDir(L"en") +
                                       L"Common7\\IDE\\devenv.exe\" \"" + dir / L"held.vcproj" +
                                       L"\" /build \"Debug|Win32\"",
                                   String_cl(), &text);
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", nullptr);
    const bool holderStillRunning = !Test_ns::FileExists(output);
    EXPECT_EQ(0, code);
    EXPECT_NE(std::string::npos, text.find("child ended")) << text;
    EXPECT_TRUE(holderStillRunning) << "the run waited for the background builder: " << text;

    // Let the builder finish before its folder goes.
    for (int i = 0; i < 600 && !Test_ns::FileExists(output); ++i) Sleep(100);
    EXPECT_TRUE(Test_ns::FileExists(output));
}
