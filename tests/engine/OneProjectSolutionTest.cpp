// A copy of a solution that builds one project alone, as a rebuild of one
// row uses it, in each encoding solution files come in; and what the next
// start does with such a copy that a crash left under the solution's name.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/engine/OneProjectSolution.h"
#include "app/engine/RenameJournal.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Test_ns::TempDir_cl;

namespace {

const wchar_t* const kGuids[] = {L"{A0000000-0000-0000-0000-000000000001}", L"{B0000000-0000-0000-0000-000000000002}",
                                 L"{C0000000-0000-0000-0000-000000000003}"};

// Three projects: a in its folder, b above the solution, c written with "/".
// Every project has its lines for two configurations, one with a dot in its
// name; leave names the lines left out (GUID index and configuration).
String_cl SolutionText(const std::vector<std::pair<int, const wchar_t*>>& leave = {})
{
    const wchar_t* paths[] = {L"a\\a.vcxproj", L"..\\shared\\b.vcxproj", L"c/c.vcxproj"};
    String_cl t = L"\r\nMicrosoft Visual Studio Solution File, Format Version 12.00\r\n# Visual Studio Version 17\r\n";
    for (int i = 0; i < 3; ++i)
        t += String_cl(L"Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"p") + wchar_t(L'a' + i) +
             L"\", \"" + paths[i] + L"\", \"" + kGuids[i] + L"\"\r\nEndProject\r\n";
    t += L"Global\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n";
    for (int i = 0; i < 3; ++i)
        for (const wchar_t* config : {L"Debug|x64", L"Release.MT|x64"})
            for (const wchar_t* kind : {L"ActiveCfg", L"Build.0"}) {
                bool left = false;
                for (const auto& [g, c] : leave) left = left || (g == i && String_cl(c) == config && String_cl(kind) == L"Build.0");
                if (!left) t += L"\t\t" + String_cl(kGuids[i]) + L"." + config + L"." + kind + L" = Release|x64\r\n";
            }
    return t + L"\tEndGlobalSection\r\nEndGlobal\r\n";
}

std::string Utf16(const String_cl& text)
{
    return std::string("\xFF\xFE", 2) + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

} // namespace

TEST(OneProjectSolutionTest, OtherProjectsLoseTheirBuildLinesOfThatConfigurationOnly)
{
    TempDir_cl dir(L"qv-oneproj");
    const String_cl solution = dir / L"sln\\all.sln";
    const struct {
        const char* encoding;
        std::string before;
        std::string after;
    } cases[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + SolutionText().ToUtf8(),
         "\xEF\xBB\xBF" + SolutionText({{0, L"Release.MT|x64"}, {1, L"Release.MT|x64"}}).ToUtf8()},
        {"UTF-16", Utf16(SolutionText()), Utf16(SolutionText({{0, L"Release.MT|x64"}, {1, L"Release.MT|x64"}}))},
    };
    for (const auto& c : cases) {
        std::string text;
        // The project as the program knows it: its full path, in another case.
        ASSERT_TRUE(OneProjectSolutionText(c.before, solution, dir / L"SLN\\C\\C.VCXPROJ", L"release.mt|X64", text))
            << c.encoding;
        EXPECT_EQ(text, c.after) << c.encoding;
    }
    // b, named through "..", keeps its line; a and c lose theirs.
    std::string text;
    ASSERT_TRUE(OneProjectSolutionText(cases[0].before, solution, dir / L"shared\\b.vcxproj", L"Debug|x64", text));
    EXPECT_EQ(text, "\xEF\xBB\xBF" + SolutionText({{0, L"Debug|x64"}, {2, L"Debug|x64"}}).ToUtf8());
    // A project the solution does not hold: no copy.
    EXPECT_FALSE(OneProjectSolutionText(cases[0].before, solution, dir / L"sln\\d\\d.vcxproj", L"Debug|x64", text));
}

// A crash while a copy stood under the solution's name: the next start puts
// the user's solution back, unless the user has put a file of their own at
// that name meanwhile, which stays with the temporary one beside it.
TEST(OneProjectSolutionTest, NextStartPutsTheSolutionBackOverItsCopyOnly)
{
    TempDir_cl dir(L"qv-onejournal");
    RenameJournal_cl::SetPath(dir / L"Quorvane.renames");
    const std::string user = "\xEF\xBB\xBF" + SolutionText().ToUtf8();
    const std::string copy = "\xEF\xBB\xBF" + SolutionText({{0, L"Debug|x64"}, {1, L"Debug|x64"}}).ToUtf8();
    const std::string edited = "\xEF\xBB\xBF" + String_cl(SolutionText() + L"# a project added since\r\n").ToUtf8();
    const String_cl ours = dir / L"ours.sln", oursTemp = dir / L"Temp2020-01-02-03-04-05.sln";
    const String_cl theirs = dir / L"theirs.sln", theirsTemp = dir / L"Temp2020-01-02-03-04-06.sln";
    ASSERT_TRUE(Test_ns::WriteBytes(ours, copy) && Test_ns::WriteBytes(oursTemp, user));
    ASSERT_TRUE(Test_ns::WriteBytes(theirs, edited) && Test_ns::WriteBytes(theirsTemp, user));
    for (const auto& [original, temporary] : {std::pair(ours, oursTemp), std::pair(theirs, theirsTemp)}) {
        RenameJournal_cl::Entry_st e;
        e.original = original;
        e.temporary = temporary;
        e.wrapper = original;  // the copy stands under the original's name
        ASSERT_TRUE(RenameJournal_cl::AddEntry(e));
    }

    EXPECT_EQ(RenameJournal_cl::RestorePending(), 1);
    EXPECT_EQ(Test_ns::ReadBytes(ours), user);
    EXPECT_FALSE(Test_ns::FileExists(oursTemp));
    EXPECT_EQ(Test_ns::ReadBytes(theirs), edited);
    EXPECT_EQ(Test_ns::ReadBytes(theirsTemp), user);
    EXPECT_TRUE(RenameJournal_cl::Entries().empty());
    RenameJournal_cl::SetPath(String_cl());
}
