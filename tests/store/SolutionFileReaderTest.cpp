#include <gtest/gtest.h>
#include <vector>
#include "app/store/SolutionFileReader.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Test_ns::TempDir_cl;

namespace {

using Ori_st = SolutionPack_cl::ProjectOriInfo_st;

std::vector<Ori_st> Read(const String_cl& path)
{
    Container_ns::List_tl<Ori_st> list;
    SolutionPack_cl raiser;
    ReadSolutionFile(list, path, raiser);
    return std::vector<Ori_st>(list.begin(), list.end());
}

// Solution text with CRLF line ends; \t stands for the tabs Visual Studio writes.
String_cl Crlf(const String_cl& text)
{
    String_cl s = text;
    s.ReplaceAll(L"\n", L"\r\n");
    return s;
}

const wchar_t kVc[] = L"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";
const wchar_t kCs[] = L"{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}";
const wchar_t kFolder[] = L"{2150E333-8FDC-42A3-9474-1A3956D46DE8}";

String_cl ProjectLine(const wchar_t* type, const String_cl& name, const String_cl& path, const String_cl& guid)
{
    return L"Project(\"" + String_cl(type) + L"\") = \"" + name + L"\", \"" + path + L"\", \"" + guid +
           L"\"\nEndProject\n";
}

} // namespace

// A Visual Studio 2005 solution: two C++ projects around a C# one, with a
// dependency section, active-configuration lines and another global section.
TEST(SolutionFileReaderTest, TypicalSolutionYieldsOnlyVcProjectsWithBuildLines)
{
    TempDir_cl dir;
    String_cl text =
        L"\nMicrosoft Visual Studio Solution File, Format Version 9.00\n# Visual Studio 2005\n" +
        ProjectLine(kVc, L"core", L"core\\core.vcproj", L"{AAAA}") +
        L"Project(\"" + String_cl(kCs) + L"\") = \"tool\", \"tool\\tool.csproj\", \"{CCCC}\"\n"
        L"EndProject\n"
        L"Project(\"" + String_cl(kVc) + L"\") = \"app one\", \"app one\\app.vcproj\", \"{BBBB}\"\n"
        L"\tProjectSection(ProjectDependencies) = postProject\n\t\t{AAAA} = {AAAA}\n\t\t{CCCC} = {CCCC}\n"
        L"\tEndProjectSection\n"
        L"EndProject\n"
        L"Global\n"
        L"\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\n"
        L"\t\tDebug|Win32 = Debug|Win32\n\tEndGlobalSection\n"
        L"\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n"
        L"\t\t{AAAA}.Debug|Win32.ActiveCfg = Debug|Win32\n"
        L"\t\t{AAAA}.Debug|Win32.Build.0 = Debug|Win32\n"
        L"\t\t{AAAA}.Release|Win32.Build.0 = Release Static|Win32\n"
        L"\t\t{CCCC}.Debug|Win32.Build.0 = Debug|Any CPU\n"
        L"\t\t{BBBB}.Debug|Win32.ActiveCfg = Debug|Win32\n"
        L"\t\t{BBBB}.Debug|Win32.Build.0 = Debug|Win32\n"
        L"\tEndGlobalSection\n"
        L"\tGlobalSection(SolutionProperties) = preSolution\n\t\tHideSolutionNode = FALSE\n\tEndGlobalSection\n"
        L"EndGlobal\n";
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"all.sln", Test_ns::Ansi(Crlf(text))));

    auto found = Read(dir / L"all.sln");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].path, dir / L"core\\core.vcproj");
    EXPECT_EQ(found[0].guid, L"{AAAA}");
    std::map<String_cl, String_cl> core = {{L"DEBUG|WIN32", L"Debug|Win32"},
                                           {L"RELEASE|WIN32", L"Release Static|Win32"}};
    EXPECT_EQ(found[0].configurations, core);
    EXPECT_EQ(found[1].path, dir / L"app one\\app.vcproj");
    EXPECT_EQ(found[1].guid, L"{BBBB}");
    std::map<String_cl, String_cl> app = {{L"DEBUG|WIN32", L"Debug|Win32"}};
    EXPECT_EQ(found[1].configurations, app);
    // What the solution says app depends on, as written; the store keeps the Visual C++ ones.
    EXPECT_TRUE(found[0].dependencies.empty());
    EXPECT_EQ(found[1].dependencies, (std::vector<String_cl>{L"{AAAA}", L"{CCCC}"}));
}

TEST(SolutionFileReaderTest, RelativePathsResolveAgainstTheSolutionFolder)
{
    TempDir_cl dir;
    CreateDirectoryW((dir / L"Work").c_str(), nullptr);
    CreateDirectoryW((dir / L"Work\\App").c_str(), nullptr);
    String_cl climbs;
    for (int i = 0; i < 40; ++i) climbs += L"..\\";
    String_cl text = ProjectLine(kVc, L"a", L"..\\..\\Common\\Common.vcproj", L"{1}") +
                     ProjectLine(kVc, L"b", L"../Lib/sub/lib.VCPROJ", L"{2}") +
                     ProjectLine(kVc, L"c", L"D:\\Abs\\abs.vcproj", L"{3}") +
                     ProjectLine(kVc, L"d", climbs + L"too\\far.vcproj", L"{4}") +
                     ProjectLine(kVc, L"e", L"intel\\e.icproj", L"{5}") +
                     ProjectLine(kVc, L"f", L"new\\f.vcxproj", L"{6}") +
                     ProjectLine(kVc, L"g", L".\\g.vcproj", L"{7}");
    String_cl sln = dir / L"Work\\App\\App.sln";
    ASSERT_TRUE(Test_ns::WriteBytes(sln, Test_ns::Ansi(Crlf(text))));

    auto found = Read(sln);
    ASSERT_EQ(found.size(), 6u);
    EXPECT_EQ(found[0].path, dir / L"Common\\Common.vcproj");
    // One level up, then the rest exactly as written, forward slashes kept.
    EXPECT_EQ(found[1].path, dir / L"Work\\Lib/sub/lib.VCPROJ");
    EXPECT_EQ(found[2].path, L"D:\\Abs\\abs.vcproj");
    // The project climbing above the drive root is not recorded: {4} is absent.
    EXPECT_EQ(found[3].path, dir / L"Work\\App\\intel\\e.icproj");
    EXPECT_EQ(found[3].guid, L"{5}");
    EXPECT_EQ(found[4].path, dir / L"Work\\App\\new\\f.vcxproj");
    EXPECT_EQ(found[5].path, dir / L"Work\\App\\.\\g.vcproj");
}

// Visual Studio 2010 and later: .vcxproj and C# projects, solution folders
// with nested items, UTF-8 with its mark. The C++ projects of either era
// count, and no GUID of the others lends its Build.0 lines to them.
TEST(SolutionFileReaderTest, NewerSolutionYieldsItsCppProjectsOfEitherEra)
{
    TempDir_cl dir;
    String_cl text =
        L"\nMicrosoft Visual Studio Solution File, Format Version 12.00\n# Visual Studio Version 17\n"
        L"VisualStudioVersion = 17.5.33424.131\nMinimumVisualStudioVersion = 10.0.40219.1\n" +
        ProjectLine(L"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}", L"modern", L"modern\\modern.vcxproj", L"{M}") +
        L"Project(\"" + String_cl(kFolder) + L"\") = \"Solution Items\", \"Solution Items\", \"{F}\"\n"
        L"\tProjectSection(SolutionItems) = preProject\n\t\treadme.txt = readme.txt\n\tEndProjectSection\n"
        L"EndProject\n" +
        ProjectLine(L"{9A19103F-16F7-4668-BE54-9A1E7A4F7556}", L"web", L"web\\web.csproj", L"{W}") +
        ProjectLine(kVc, L"legacy", L"legacy\\legacy.vcproj", L"{L}") +
        ProjectLine(L"{EAF909A5-FA59-4C3D-9431-0FCC20D5BCF9}", L"intel", L"intel\\intel.icproj", L"{I}") +
        L"Global\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n"
        L"\t\t{M}.Debug|x64.Build.0 = Debug|x64\n"
        L"\t\t{W}.Debug|x64.Build.0 = Debug|Any CPU\n"
        L"\t\t{L}.Debug|x64.Build.0 = Debug|x64\n"
        L"\tEndGlobalSection\n"
        L"\tGlobalSection(NestedProjects) = preSolution\n\t\t{L} = {F}\n\tEndGlobalSection\n"
        L"EndGlobal\n";
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"new.sln", "\xEF\xBB\xBF" + Crlf(text).ToUtf8()));

    auto found = Read(dir / L"new.sln");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].guid, L"{M}");
    EXPECT_EQ(found[0].path, dir / L"modern\\modern.vcxproj");
    EXPECT_EQ(found[0].configurations.size(), 1u);
    EXPECT_EQ(found[0].configurations[L"DEBUG|X64"], L"Debug|x64");
    EXPECT_EQ(found[1].guid, L"{L}");
    EXPECT_EQ(found[1].path, dir / L"legacy\\legacy.vcproj");
    EXPECT_EQ(found[1].configurations.size(), 1u);
    EXPECT_EQ(found[1].configurations[L"DEBUG|X64"], L"Debug|x64");
    EXPECT_EQ(found[2].guid, L"{I}");
    EXPECT_TRUE(found[2].configurations.empty());
}

// Visual Studio 2005+ saves solutions as UTF-8 with a mark, older ones and
// hand-made ones may be UTF-16; Chinese folder names must come through
// whatever the system's ANSI code page is.
TEST(SolutionFileReaderTest, ChineseFolderNamesSurviveUtf8AndUtf16)
{
    TempDir_cl dir;
    String_cl text = ProjectLine(kVc, L"核心", L"..\\公共库\\核心.vcproj", L"{A}") +
                     L"Global\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n"
                     L"\t\t{A}.调试|Win32.Build.0 = 调试|Win32\n\tEndGlobalSection\nEndGlobal\n";
    CreateDirectoryW((dir / L"解决方案").c_str(), nullptr);
    String_cl utf8 = dir / L"解决方案\\utf8.sln";
    String_cl utf16 = dir / L"解决方案\\utf16.sln";
    ASSERT_TRUE(Test_ns::WriteBytes(utf8, "\xEF\xBB\xBF" + Crlf(text).ToUtf8()));
    ASSERT_TRUE(Test_ns::WriteUtf16(utf16, Crlf(text)));

    for (const String_cl& sln : {utf8, utf16}) {
        SCOPED_TRACE(sln.ToUtf8());
        auto found = Read(sln);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].path, dir / L"公共库\\核心.vcproj");
        EXPECT_EQ(found[0].configurations[L"调试|WIN32"], L"调试|Win32");
    }
}

// A solution without a mark is in the ANSI code page of the machine that
// wrote it: a folder name made of that code page's own letters survives.
TEST(SolutionFileReaderTest, AnsiSolutionDecodesWithTheSystemCodePage)
{
    TempDir_cl dir;
    String_cl folder = GetACP() == 936 ? L"工程" : L"Müller";
    String_cl text = ProjectLine(kVc, L"p", folder + L"\\p.vcproj", L"{A}");
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"ansi.sln", Test_ns::Ansi(Crlf(text))));
    auto found = Read(dir / L"ansi.sln");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, dir / folder + L"\\p.vcproj");
}

TEST(SolutionFileReaderTest, ConfigurationLinesAreMatchedLoosely)
{
    TempDir_cl dir;
    String_cl text = ProjectLine(kVc, L"a", L"a.vcproj", L"{A}") + ProjectLine(kVc, L"n", L"n.vcproj", L"{N}") +
                     L"Global\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n"
                     L"\t\t{A}.debug|win32.Build.0 = Debug|Win32\n"    // key upper-cased
                     L"\t\t{A}.Debug|Win32.Build.0 = Other|Win32\n"    // same key: the first stays
                     L"\t\t{A}.Release|Win32.Build.0\n"                // no " = ": kind is cut short
                     L"\t\t{A}.Profile|Win32.Build.0 = \n"             // empty project configuration
                     L"\t\t{A}.Odd.Build.0.x = Odd|Win32\n"            // kind "Build" with a tail
                     L"\t\tno dots here = x\n"
                     L"\t\t{Z}.Debug|Win32.Build.0 = Debug|Win32\n"    // unknown GUID
                     L"\t\t{a}.Debug|Win32.Build.0 = Debug|Win32\n"    // GUIDs compare exactly
                     L"\tEndGlobalSection\nEndGlobal\n";
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"c.sln", Test_ns::Ansi(Crlf(text))));
    auto found = Read(dir / L"c.sln");
    ASSERT_EQ(found.size(), 2u);
    std::map<String_cl, String_cl> a = {{L"DEBUG|WIN32", L"Debug|Win32"}, {L"PROFILE|WIN32", L""}};
    EXPECT_EQ(found[0].configurations, a);
    EXPECT_TRUE(found[1].configurations.empty());
}

// Configuration names may hold dots of their own: the kind is known by its
// words at the end of the key, not by the dots before it.
TEST(SolutionFileReaderTest, ConfigurationNamesWithDotsAreReadWhole)
{
    TempDir_cl dir;
    String_cl text = ProjectLine(kVc, L"a", L"a.vcproj", L"{A}") + ProjectLine(kVc, L"n", L"n.vcproj", L"{N}") +
                     L"Global\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n"
                     L"\t\t{A}.Release.MT|Win32.ActiveCfg = Release.MT|Win32\n"
                     L"\t\t{A}.Release.MT|Win32.Build.0 = Release.MT|Win32\n"
                     L"\t\t{A}.Release.MT|Win32.Deploy.0 = Release.MT|Win32\n"
                     L"\t\t{A}.Debug.DLL|x64.Build.0 = Debug DLL|x64\n"
                     L"\t\t{A}.v1.2.3|Win32.Build.0 = Release|Win32\n"
                     L"\t\t{N}.Release.MT|Win32.ActiveCfg = Release|Win32\n"  // active, not built
                     L"\tEndGlobalSection\nEndGlobal\n";
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"dots.sln", Test_ns::Ansi(Crlf(text))));
    auto found = Read(dir / L"dots.sln");
    ASSERT_EQ(found.size(), 2u);
    const std::map<String_cl, String_cl> a = {{L"RELEASE.MT|WIN32", L"Release.MT|Win32"},
                                              {L"DEBUG.DLL|X64", L"Debug DLL|x64"},
                                              {L"V1.2.3|WIN32", L"Release|Win32"}};
    EXPECT_EQ(found[0].configurations, a);
    EXPECT_TRUE(found[1].configurations.empty());
}

TEST(SolutionFileReaderTest, ProjectlessSolutionYieldsNothing)
{
    TempDir_cl dir;
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"none.sln",
                                    "\r\nMicrosoft Visual Studio Solution File, Format Version 9.00\r\n"
                                    "Global\r\nEndGlobal\r\n"));
    EXPECT_TRUE(Read(dir / L"none.sln").empty());
}

// A file that is no solution, or a solution cut short, is no solution of no
// projects: a user error that names it, so that nothing of it is taken for
// a plan without rows.
TEST(SolutionFileReaderTest, FilesThatAreNoWholeSolutionAreRefusedByName)
{
    TempDir_cl dir;
    const std::string header = "\xEF\xBB\xBF\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n"
                               "# Visual Studio 2008\r\n";
    const std::string project = "Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"a\", \"a.vcproj\", \"{A}\"\r\n"
                                "EndProject\r\n";
    const struct {
        const wchar_t* name;
        std::string bytes;
        int code;
    } files[] = {
        {L"empty.sln", "", 104},
        {L"garbage.sln", "\x89PNG\r\n\x1A\n\x00\x00\x00\rIHDR\x00\x00", 104},
        {L"text.sln", "just some notes\r\nabout a project\r\n", 104},
        {L"conflict.sln", "<<<<<<< HEAD\r\n=======\r\n>>>>>>> theirs\r\n", 104},
        {L"header only.sln", header, 105},
        {L"before global.sln", header + project, 105},
        {L"inside global.sln", header + project + "Global\r\n\tGlobalSection(SolutionProperties) = preSolution\r\n"
                                                 "\t\tHideSolutionNode = FALSE\r\n\tEndGlobalSection\r\n", 105},
        {L"inside an entry.sln", header + "Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"a\"", 101},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(String_cl(f.name).ToUtf8());
        ASSERT_TRUE(Test_ns::WriteBytes(dir / f.name, f.bytes));
        try {
            Read(dir / f.name);
            ADD_FAILURE() << "read as a solution";
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_EQ(e.Code(), f.code);
            EXPECT_EQ(e.Note(), dir / f.name);
            EXPECT_EQ(e.ClassName(), L"SolutionPack_cl");
        }
    }
    // The whole file again reads.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"whole.sln", header + project + "Global\r\nEndGlobal\r\n"));
    EXPECT_EQ(Read(dir / L"whole.sln").size(), 1u);
}

TEST(SolutionFileReaderTest, FileEndingInsideAnEntryOrSectionIsUserError101)
{
    TempDir_cl dir;
    String_cl first = ProjectLine(kVc, L"a", L"a.vcproj", L"{A}");
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"project.sln",
                                    Test_ns::Ansi(Crlf(first + L"Project(\"" + kVc + L"\") = \"b\", \"b.vcproj\", \"{B}\"\n"))));
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"section.sln",
                                    Test_ns::Ansi(Crlf(first + L"Global\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n"
                                                               L"\t\t{A}.Debug|Win32.Build.0 = Debug|Win32\n"))));
    for (const wchar_t* name : {L"project.sln", L"section.sln"}) {
        Container_ns::List_tl<Ori_st> list;
        SolutionPack_cl raiser;
        try {
            ReadSolutionFile(list, dir / name, raiser);
            ADD_FAILURE() << "no error for " << String_cl(name).ToUtf8();
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_EQ(e.Code(), 101);
            EXPECT_EQ(e.Message(), L"错误的解决方案，检测不到EndProject。");
            EXPECT_EQ(e.Line(), 771);
            EXPECT_EQ(e.File(), L"SolutionPack");
            EXPECT_EQ(e.ClassName(), L"SolutionPack_cl");
            EXPECT_EQ(e.Note(), dir / name);
        }
        // What was read before the error is left for the caller to discard.
        EXPECT_GE(list.Count(), 1);
        // The file was closed: it can be deleted at once.
        EXPECT_TRUE(DeleteFileW((dir / name).c_str()));
    }
}

TEST(SolutionFileReaderTest, StreamErrorsPassThrough)
{
    TempDir_cl dir;
    try {
        Read(dir / L"missing.sln");
        ADD_FAILURE() << "no error for a missing file";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.ClassName(), L"ContainerFile_cl");
    }
}

// A Solution Items line as long as a long item path makes it is read like
// any other, and the projects after it are found.
TEST(SolutionFileReaderTest, LongSolutionItemsLineIsRead)
{
    TempDir_cl dir;
    const String_cl item = L"docs\\" + String_cl(1300, L'n') + L".txt";
    const String_cl text = L"Microsoft Visual Studio Solution File, Format Version 12.00\n"
                           L"Project(\"" + String_cl(kFolder) + L"\") = \"Solution Items\", \"Solution Items\", \"{FFFF}\"\n"
                           L"\tProjectSection(SolutionItems) = preProject\n\t\t" + item + L" = " + item +
                           L"\n\tEndProjectSection\nEndProject\n" +
                           ProjectLine(kVc, L"core", L"core\\core.vcxproj", L"{AAAA}") + L"Global\nEndGlobal\n";
    ASSERT_GT(item.size() * 2 + 3, 2600u);
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"items.sln", Test_ns::Ansi(Crlf(text))));
    auto found = Read(dir / L"items.sln");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, dir / L"core\\core.vcxproj");
}
