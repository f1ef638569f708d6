// Quorvane.com with several builds at once (--jobs) and the graph command:
// the program copied into a folder of its own, three solutions whose
// projects link each other's libraries without declaring it, and a library
// learned from an earlier failed link kept in the data file.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <algorithm>
#include <map>
#include <vector>
#include "common/io/XMLFile.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;
using Test_ns::TempDir_cl;

namespace {

const wchar_t kVcType[] = L"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";

std::vector<String_cl> Lines(const String_cl& text)
{
    std::vector<String_cl> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == String_cl::npos) end = text.size();
        if (end > pos) lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

class ConsoleParallelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const String_cl from = Test_ns::ExeDirectory();
        ASSERT_TRUE(CopyFileW((from + L"Quorvane.com").c_str(), (m_program / L"Quorvane.com").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((from + L"SettingsHost.dll").c_str(), (m_program / L"SettingsHost.dll").c_str(), FALSE));
    }

    int Run(const std::vector<String_cl>& args, String_cl& output)
    {
        String_cl command = L"\"" + m_program / L"Quorvane.com\"";
        for (const String_cl& a : args) {
            // A folder's final backslash doubled, so that it does not escape the closing quote.
            command += L" \"" + a + (a.EndsWith(L"\\") ? L"\\" : L"") + L"\"";
        }
        std::string bytes;
        const int exit = Test_ns::RunProcess(command, m_program.Path(), &bytes);
        output = String_cl::FromUtf8(bytes);
        return exit;
    }

    // <folder>\<name>\<name>.vcproj; libraries to ws\lib, programs to ws\bin.
    void Project(const String_cl& folder, const String_cl& name, bool program, const String_cl& needs)
    {
        const String_cl lib = m_ws / L"lib";
        const Test_ns::VcTool_st tool = program ? Test_ns::Linker(m_ws / L"bin\\$(ProjectName).exe")
                                                : Test_ns::Librarian(lib + L"\\$(ProjectName).lib");
        const Test_ns::VcProject_st project{
            name, {{L"Debug|Win32", program ? 1 : 4, {tool.Dependencies(needs).LibraryFolders(lib)}}},
            {name + L".cpp"}};
        Test_ns::WriteVcprojAndSources(Path(folder, name), project, "int f();\r\n");
    }

    // A solution of one project, declaring no dependency.
    String_cl Solution(const String_cl& folder, const String_cl& name, int guid)
    {
        wchar_t g[64];
        swprintf(g, 64, L"{5E1F7A00-3C2B-4D6E-8F90-0000000000%02d}", guid);
        const String_cl text = L"\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n# Visual Studio 2008\r\n"
                               L"Project(\"" + String_cl(kVcType) + L"\") = \"" + name + L"\", \"" + name + L"\\" + name +
                               L".vcproj\", \"" + g + L"\"\r\nEndProject\r\nGlobal\r\n"
                               L"\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n"
                               L"\t\tDebug|Win32 = Debug|Win32\r\n\tEndGlobalSection\r\n"
                               L"\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n\t\t" + g +
                               L".Debug|Win32.ActiveCfg = Debug|Win32\r\n\t\t" + g +
                               L".Debug|Win32.Build.0 = Debug|Win32\r\n\tEndGlobalSection\r\nEndGlobal\r\n";
        const String_cl path = m_ws / (folder + L"\\" + name + L".sln");
        Test_ns::WriteBytes(path, "\xEF\xBB\xBF" + text.ToUtf8());
        return path;
    }

    String_cl Path(const String_cl& folder, const String_cl& name) const
    {
        return m_ws / (folder + L"\\" + name + L"\\" + name + L".vcproj");
    }

    TempDir_cl m_program{L"qv-program"};
    TempDir_cl m_ws{L"qv ws"};
};

} // namespace

TEST_F(ConsoleParallelTest, GraphShowsReadAndLearnedEdgesAndJobsBuildAlongThem)
{
    Project(L"Base", L"core", false, L"");
    Project(L"Base", L"util", false, L"");
    Project(L"Services", L"net", false, L"core.lib");
    // app links util.lib too, without naming it: a link of an earlier run taught it.
    Project(L"App", L"app", true, L"net.lib");
    String_cl out;
    ASSERT_EQ(0, Run({L"add", L"demo", Solution(L"App", L"app", 1), Solution(L"Services", L"net", 2),
                      Solution(L"Base", L"core", 3), Solution(L"Base", L"util", 4)},
                     out))
        << out.ToUtf8();
    {
        HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IO_ns::XMLFile_cl file;
        file.Open(m_program / L"Quorvane.xml");
        IO_ns::XMLFile_cl::ElementId_cl learned = file.AddElement(file.Root(), L"依赖");
        IO_ns::XMLFile_cl::ElementId_cl link = file.AddElement(learned, L"依赖1");
        file.SetAttribute(link, L"路径", Path(L"App", L"app"));
        file.SetAttribute(link, L"编译方式", L"Debug|Win32");
        file.SetAttribute(link, L"库", L"util.lib");
        file.SaveAs(m_program / L"Quorvane.xml");
        file.Close();
        if (SUCCEEDED(com)) CoUninitialize();
    }

    ASSERT_EQ(0, Run({L"graph", L"demo"}, out)) << out.ToUtf8();
    std::map<String_cl, String_cl> ids;  // name -> node id
    std::vector<String_cl> edges;         // "from->to label solid|dashed"
    for (const String_cl& line : Lines(out)) {
        const size_t label = line.find(L"[label=\"");
        if (label == String_cl::npos) continue;
        const String_cl head = line.substr(2, label - 3);
        const size_t textStart = label + 8;
        const String_cl text = line.substr(textStart, line.find(L'"', textStart) - textStart);
        const size_t arrow = head.find(L" -> ");
        if (arrow == String_cl::npos) {
            ids[text.substr(0, text.find(L"\\n"))] = head;
        } else {
            edges.push_back(head.substr(0, arrow) + L"->" + head.substr(arrow + 4) + L" " + text +
                            (line.find(L"style=dashed") != String_cl::npos ? L" dashed" : L" solid"));
        }
    }
    EXPECT_NE(out.find(L"digraph \"demo\" {\r\n"), String_cl::npos) << out.ToUtf8();
    ASSERT_EQ(ids.size(), 4u) << out.ToUtf8();
    std::sort(edges.begin(), edges.end());
    std::vector<String_cl> expected = {ids[L"app"] + L"->" + ids[L"net"] + L" net.lib solid",
                                       ids[L"app"] + L"->" + ids[L"util"] + L" util.lib dashed",
                                       ids[L"net"] + L"->" + ids[L"core"] + L" core.lib solid"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(edges, expected) << out.ToUtf8();

    // Built four at a time along those edges: no link waits, each row once.
    // 0 is one build per logical processor; more than 64 is refused.
    EXPECT_EQ(2, Run({L"rebuild", L"demo", L"--jobs", L"65", L"--vc-dir", Test_ns::StandinDir(L"zh")}, out));
    EXPECT_NE(out.find(L"用法"), String_cl::npos) << out.ToUtf8();
    EXPECT_EQ(0, Run({L"rebuild", L"demo", L"--jobs", L"0", L"--vc-dir", Test_ns::StandinDir(L"zh")}, out))
        << out.ToUtf8();
    EXPECT_EQ(0, Run({L"rebuild", L"demo", L"--jobs", L"4", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--no-rename"}, out))
        << out.ToUtf8();
    std::vector<String_cl> built;
    bool together = false;
    for (const String_cl& line : Lines(out)) {
        if (line.StartsWith(L"  ") && line.find(L"Debug|Win32") != String_cl::npos) built.push_back(line);
        together = together || (line.StartsWith(L"正在编译工程") && line.find(L", ") != String_cl::npos);
    }
    ASSERT_EQ(built.size(), 4u) << out.ToUtf8();
    for (const String_cl& line : built) EXPECT_NE(line.find(L"已编译"), String_cl::npos) << line.ToUtf8();
    EXPECT_TRUE(together) << "no status line named two rows: " << out.ToUtf8();
    EXPECT_EQ(built.back().substr(2, 3), L"app") << out.ToUtf8();
}
