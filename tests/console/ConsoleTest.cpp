// Quorvane.com driven from outside, as a build server drives it: every test
// copies the program and its settings library into a folder of its own (the
// data file, the logs and Cmd.txt live beside the program), lays out
// solutions, runs commands, and reads back what a user can see: the output,
// the exit status, the data file and the logs. Builds go through cmd,
// vcvarsall.bat and the builder stand-in, one process per project, so the
// workspaces are small and related scenarios share one.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <algorithm>
#include <map>
#include <msxml2.h>
#include <string>
#include <vector>
#include "common/base/Error.h"
#include "common/base/Handle.h"
#include "common/io/XMLFile.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/FileSpellings.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;
using Test_ns::FileExists;
using Test_ns::TempDir_cl;

namespace {

const wchar_t kVcType[] = L"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";
const wchar_t kIntelType[] = L"{EAF909A5-FA59-4C3D-9431-0FCC20D5BCF9}";
const wchar_t kCsType[] = L"{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}";
const wchar_t kConfig[] = L"Debug|Win32";

std::string U8(const String_cl& s) { return s.ToUtf8(); }

String_cl Join(const std::vector<String_cl>& parts, const wchar_t* separator = L" ")
{
    String_cl out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? String_cl(separator) : String_cl()) + parts[i];
    return out;
}

std::vector<String_cl> SplitLines(const String_cl& text)
{
    std::vector<String_cl> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == String_cl::npos) end = text.size();
        if (end > pos) lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::vector<String_cl> Split(const String_cl& text, const String_cl& separator)
{
    std::vector<String_cl> parts;
    size_t pos = 0;
    for (;;) {
        size_t at = text.find(separator, pos);
        parts.push_back(text.substr(pos, at == String_cl::npos ? String_cl::npos : at - pos));
        if (at == String_cl::npos) return parts;
        pos = at + separator.size();
    }
}

String_cl FileNameOf(const String_cl& path) { return path.substr(path.find_last_of(L"\\/") + 1); }
String_cl FolderOf(const String_cl& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

// One argument as CommandLineToArgvW reads it back: quoted, with the
// backslashes before the closing quote doubled so that "C:\vs\" stays whole.
String_cl Quote(const String_cl& arg)
{
    String_cl q = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
        } else {
            if (c == L'"') q.append(slashes + 1, L'\\');
            slashes = 0;
        }
        q += c;
    }
    q.append(slashes, L'\\');
    return q + L"\"";
}

// A row as a job prints it: "  <name>  <configuration>  <state>[  <log>]".
struct Row_st {
    String_cl name;
    String_cl state;
    String_cl log;
};

struct Run_st {
    int exit = -1;
    String_cl text;

    bool Has(const String_cl& piece) const { return text.find(piece) != String_cl::npos; }
    std::vector<String_cl> Lines() const { return SplitLines(text); }
    bool HasLine(const String_cl& line) const
    {
        std::vector<String_cl> lines = Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<Row_st> Rows() const
    {
        std::vector<Row_st> rows;
        for (const String_cl& line : Lines()) {
            if (!line.StartsWith(L"  ")) continue;
            std::vector<String_cl> f = Split(line.substr(2), L"  ");
            if (f.size() < 3 || f[1].find(L'|') == String_cl::npos) continue;
            rows.push_back({f[0], f[2], f.size() > 3 ? f[3] : String_cl()});
        }
        return rows;
    }
    // "name:state name:state ..." in the order the rows were built.
    String_cl Walk() const
    {
        std::vector<String_cl> parts;
        for (const Row_st& r : Rows()) parts.push_back(r.name + L":" + r.state);
        return Join(parts);
    }
    // The last counters line ("工程总数 …").
    String_cl Counters() const
    {
        String_cl found;
        for (const String_cl& line : Lines())
            if (line.StartsWith(L"工程总数")) found = line;
        return found;
    }
};

// The program folder of one test: Quorvane.com and SettingsHost.dll, and
// what they write beside themselves.
class Program_cl {
public:
    Program_cl()
    {
        String_cl from = Test_ns::ExeDirectory();
        m_ready = CopyFileW((from + L"Quorvane.com").c_str(), (m_dir / L"Quorvane.com").c_str(), FALSE) &&
                  CopyFileW((from + L"SettingsHost.dll").c_str(), (m_dir / L"SettingsHost.dll").c_str(), FALSE);
    }
    bool Ready() const { return m_ready; }
    const String_cl& Dir() const { return m_dir.Path(); }
    String_cl DataFile() const { return m_dir / L"Quorvane.xml"; }
    String_cl GoodLogs() const { return m_dir / L"编译日志\\正常\\"; }
    String_cl FailedLogs() const { return m_dir / L"编译日志\\错误\\"; }

    // The window beside the console, for a list of plans handed over to it.
    bool AddWindow() const
    {
        return CopyFileW((Test_ns::ExeDirectory() + L"Quorvane.exe").c_str(), (m_dir / L"Quorvane.exe").c_str(), FALSE);
    }

    Run_st Run(const std::vector<String_cl>& args) const
    {
        String_cl text;
        for (const String_cl& a : args) text += L" " + Quote(a);
        return RunText(text);
    }
    // argumentsText as it is typed after the program's name.
    Run_st RunText(const String_cl& argumentsText) const
    {
        std::string bytes;
        Run_st run;
        run.exit = Test_ns::RunProcess(Quote(m_dir / L"Quorvane.com") + L" " + argumentsText, m_dir.Path(), &bytes);
        // Redirected output is UTF-8.
        run.text = String_cl::FromUtf8(bytes);
        return run;
    }

private:
    TempDir_cl m_dir{L"qv-program"};
    bool m_ready = false;
};

// Names of the files (not folders) in a folder.
std::vector<String_cl> FilesIn(const String_cl& folder)
{
    std::vector<String_cl> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// What the data file holds, read with the same XML parser the program uses.
struct DataFile_st {
    struct Plan_st {
        String_cl name;
        String_cl configuration;
        std::vector<String_cl> solutions;
    };
    bool loaded = false;
    String_cl error;
    String_cl root;
    std::vector<String_cl> sequence;
    std::vector<Plan_st> plans;

    const Plan_st* Plan(const String_cl& name) const
    {
        for (const Plan_st& p : plans)
            if (p.name == name) return &p;
        return nullptr;
    }
    String_cl SequenceNames() const
    {
        std::vector<String_cl> names;
        for (const String_cl& p : sequence) names.push_back(FileNameOf(p));
        return Join(names);
    }
};

template <class F>
void EachChild(const IO_ns::XMLFile_cl::ElementId_cl& parent, F f)
{
    if (parent.IsEmpty()) return;
    for (IO_ns::XMLFile_cl::ElementId_cl e = parent.FirstChild(); !e.IsEmpty(); e.NextSibling())
        if (!e.Name().StartsWith(L"#")) f(e);
}

DataFile_st ReadDataFile(const String_cl& path)
{
    DataFile_st d;
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        IO_ns::XMLFile_cl xml;
        xml.Open(path);
        IO_ns::XMLFile_cl::ElementId_cl root = xml.Root();
        d.root = root.Name();
        EachChild(root.Child(L"序列"), [&](const IO_ns::XMLFile_cl::ElementId_cl& e) {
            d.sequence.push_back(e.Attribute(L"路径", true).Text());
        });
        EachChild(root.Child(L"方案"), [&](const IO_ns::XMLFile_cl::ElementId_cl& e) {
            DataFile_st::Plan_st plan;
            plan.name = e.Attribute(L"名称", true).Text();
            plan.configuration = e.Attribute(L"编译方式", true).Text();
            EachChild(e.Child(L"解决方案"), [&](const IO_ns::XMLFile_cl::ElementId_cl& s) {
                plan.solutions.push_back(s.Attribute(L"路径", true).Text());
            });
            d.plans.push_back(plan);
        });
        xml.Close();
        d.loaded = true;
    } catch (const Base_ns::Error_cl& e) {
        d.error = e.Message() + L" " + e.Note();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return d;
}

// ---------------------------------------------------------------------------
// Workspaces as Visual Studio 2008 on a Chinese Windows leaves them: solutions
// in UTF-8 with the byte-order mark, project files declared gb2312 in code
// page 936, sources in the ANSI code page. Every project lies two folders
// below the workspace root; libraries go to lib\<configuration>\ and
// programs and DLLs to bin\<configuration>\ at the root.

struct Project_st {
    String_cl name;
    String_cl kind;   // "lib", "exe" or "dll"
    String_cl needs;  // libraries it links, separated by spaces
    bool broken = false;
    String_cl configuration = L"Debug|Win32";
};

Test_ns::VcProject_st Vcproj(const Project_st& p)
{
    const String_cl libDir = L"..\\..\\lib\\$(ConfigurationName)";
    const Test_ns::VcTool_st tool =
        p.kind == L"lib" ? Test_ns::Librarian(libDir + L"\\$(ProjectName).lib").Dependencies(p.needs)
                         : Test_ns::Linker(L"..\\..\\bin\\$(ConfigurationName)\\$(ProjectName)." + p.kind)
                               .Dependencies(p.needs + L" kernel32.lib")
                               .ImportLibrary(p.kind == L"dll" ? libDir + L"\\$(TargetName).lib" : String_cl());
    return {p.name,
            {{p.configuration, p.kind == L"lib" ? 4 : p.kind == L"exe" ? 1 : 2,
              {Test_ns::Compiler(), tool.LibraryFolders(libDir)},
              {{L"OutputDirectory", L"$(SolutionDir)$(ConfigurationName)"},
               {L"IntermediateDirectory", L"$(ConfigurationName)"}}}},
            {L".\\" + p.name + L".cpp"},
            L"源文件"};
}

struct SlnEntry_st {
    const wchar_t* type;
    String_cl name;
    String_cl relative;
    String_cl guid;
    bool built = true;  // the solution builds it in Debug|Win32 (its Build.0 line)
};

// endProjects false leaves the last project entry open, as a solution cut
// short by a broken copy does.
String_cl SolutionText(const std::vector<SlnEntry_st>& entries, bool endProjects = true)
{
    String_cl t = L"\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n# Visual Studio 2008\r\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        const SlnEntry_st& e = entries[i];
        t += L"Project(\"" + String_cl(e.type) + L"\") = \"" + e.name + L"\", \"" + e.relative + L"\", \"" + e.guid +
             L"\"\r\n";
        if (endProjects || i + 1 < entries.size()) t += L"EndProject\r\n";
    }
    t += L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n"
         L"\t\tDebug|Win32 = Debug|Win32\r\n\tEndGlobalSection\r\n"
         L"\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n";
    for (const SlnEntry_st& e : entries) {
        bool cs = String_cl(e.type) == kCsType;
        t += L"\t\t" + e.guid + L".Debug|Win32.ActiveCfg = " + (cs ? L"Debug|Any CPU" : L"Debug|Win32") + L"\r\n";
        if (e.built)
            t += L"\t\t" + e.guid + L".Debug|Win32.Build.0 = " + (cs ? L"Debug|Any CPU" : L"Debug|Win32") + L"\r\n";
    }
    t += L"\tEndGlobalSection\r\nEndGlobal\r\n";
    return t;
}

class Workspace_cl {
public:
    // The root's own name holds a space, so every path of the workspace does.
    const String_cl& Root() const { return m_dir.Path(); }
    String_cl operator/(std::wstring_view relative) const { return m_dir / relative; }

    // <folder>\<name>\<name>.vcproj with its source; returns the project path.
    String_cl Project(const String_cl& folder, const Project_st& p)
    {
        const String_cl path = Root() + folder + L"\\" + p.name + L"\\" + p.name + L".vcproj";
        Test_ns::WriteVcproj(path, Vcproj(p), 936);
        WriteSource(FolderOf(path) + p.name + L".cpp", p.broken);
        return path;
    }
    void WriteSource(const String_cl& path, bool broken)
    {
        Test_ns::WriteBytes(path, Test_ns::Ansi(broken ? String_cl(L"// 半成品\r\n#error 这里还没写完\r\n")
                                                       : String_cl(L"// 完成\r\nint Value() { return 1; }\r\n")));
    }
    // An Intel wrapper beside the project it wraps.
    String_cl Wrapper(const String_cl& folder, const String_cl& name)
    {
        String_cl path = Root() + folder + L"\\" + name + L"\\" + name + L".icproj";
        Test_ns::WriteXml(path, Test_ns::WrapperText(name + L".vcproj"));
        return path;
    }
    String_cl Solution(const String_cl& relative, const std::vector<SlnEntry_st>& entries, bool complete = true)
    {
        String_cl path = Root() + relative;
        Test_ns::CreateFolders(path);
        Test_ns::WriteBytes(path, "\xEF\xBB\xBF" + SolutionText(entries, complete).ToUtf8());
        return path;
    }
    static String_cl Guid(int n)
    {
        wchar_t b[64];
        swprintf(b, 64, L"{5E1F7A00-3C2B-4D6E-8F90-0000000000%02d}", n);
        return b;
    }

private:
    TempDir_cl m_dir{L"qv ws"};
};

// The files beside the program that carry the data file's name but are not
// the program or the data file itself.
std::vector<String_cl> KeptAside(const String_cl& folder)
{
    std::vector<String_cl> kept;
    for (const String_cl& f : FilesIn(folder))
        if (f.StartsWith(L"Quorvane") && f != L"Quorvane.com" && f != L"Quorvane.xml") kept.push_back(f);
    return kept;
}

bool NoTemporaryFilesIn(const String_cl& folder)
{
    for (const String_cl& f : FilesIn(folder))
        if (f.StartsWith(L"Temp")) return false;
    return true;
}

// ---------------------------------------------------------------------------

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(program.Ready()) << "Quorvane.com and SettingsHost.dll beside the test"; }

    Program_cl program;
    Workspace_cl ws;
};

// Three solutions whose libraries are used across solutions, added program
// first and base library last; a C# project (not built), an Intel wrapper,
// a Chinese project name, a path with spaces, and a lone project file that
// was deleted after it was added. The first rebuild learns the order from the
// linker's complaints and keeps it in the data file; the second, in a new
// process, builds each row once in that order. Then the order is shown,
// exported, imported and refused.
TEST_F(ConsoleTest, FirstRebuildLearnsTheOrderAndTheSecondBuildsStraightThrough)
{
    String_cl viewer = ws.Project(L"App", {L"Viewer", L"exe", L"网络.lib Storage.lib"});
    std::string csproj = "<Project ToolsVersion=\"3.5\"><PropertyGroup><OutputType>Exe</OutputType>"
                         "</PropertyGroup></Project>\r\n";
    CreateDirectoryW((ws / L"App\\Tools").c_str(), nullptr);
    Test_ns::WriteBytes(ws / L"App\\Tools\\Tools.csproj", csproj);
    String_cl app = ws.Solution(L"App\\App.sln", {{kVcType, L"Viewer", L"Viewer\\Viewer.vcproj", Workspace_cl::Guid(1)},
                                                  {kCsType, L"Tools", L"Tools\\Tools.csproj", Workspace_cl::Guid(2)}});
    String_cl network = ws.Project(L"Services", {L"网络", L"lib", L"Core.lib"});
    ws.Project(L"Services", {L"Storage", L"dll", L"Core.lib"});
    String_cl storage = ws.Wrapper(L"Services", L"Storage");
    std::string wrapperBytes = Test_ns::ReadBytes(storage);
    String_cl services =
        ws.Solution(L"Services\\Services.sln", {{kVcType, L"网络", L"网络\\网络.vcproj", Workspace_cl::Guid(3)},
                                                {kIntelType, L"Storage", L"Storage\\Storage.icproj", Workspace_cl::Guid(4)}});
    ws.Project(L"Base Library", {L"Core", L"lib", L""});
    String_cl base = ws.Solution(L"Base Library\\Base.sln", {{kVcType, L"Core", L"Core\\Core.vcproj", Workspace_cl::Guid(5)}});
    String_cl legacy = ws.Project(L"Old Tools", {L"Legacy", L"lib", L""});
    String_cl vcDir = Test_ns::StandinDir(L"zh");

    Run_st add = program.Run({L"add", L"demo", app, services, base, legacy, L"--config", kConfig});
    ASSERT_EQ(0, add.exit) << U8(add.text);
    EXPECT_TRUE(add.HasLine(L"新建方案 demo (Debug|Win32)")) << U8(add.text);
    DataFile_st added = ReadDataFile(program.DataFile());
    ASSERT_TRUE(added.loaded) << U8(added.error);
    EXPECT_EQ("Quorvane", U8(added.root));
    ASSERT_NE(nullptr, added.Plan(L"demo"));
    EXPECT_EQ(U8(Join({app, services, base, legacy}, L"\n")), U8(Join(added.Plan(L"demo")->solutions, L"\n")));
    // The sequence in the order the solutions name their projects; the C#
    // project has no place in it.
    EXPECT_EQ("Viewer.vcproj 网络.vcproj Storage.icproj Core.vcproj Legacy.vcproj", U8(added.SequenceNames()));

    // The lone project disappears from disk; its row is "does not exist".
    ASSERT_TRUE(DeleteFileW(legacy.c_str()));

    Run_st first = program.Run({L"rebuild", L"demo", L"--vc-dir", vcDir, L"--keep-going", L"--rename"});
    EXPECT_EQ(1, first.exit) << U8(first.text);
    EXPECT_TRUE(first.HasLine(L"方案 demo (Debug|Win32)")) << U8(first.text);
    EXPECT_TRUE(first.HasLine(L"正在清理解决方案App......")) << U8(first.text);
    EXPECT_TRUE(first.HasLine(L"正在清理解决方案Base......")) << U8(first.text);
    EXPECT_TRUE(first.HasLine(L"1个工程文件不存在。")) << U8(first.text);
    EXPECT_TRUE(first.HasLine(L"正在编译工程网络......")) << U8(first.text);
    // Each library the linker could not open is built first, then the row
    // that waited for it again.
    EXPECT_EQ("Viewer:正常(库依赖) 网络:正常(库依赖) Core:已编译 网络:已编译 Viewer:正常(库依赖) Storage:已编译 Viewer:已编译",
              U8(first.Walk()))
        << U8(first.text);
    // Only the missing file keeps the exit status from 0.
    EXPECT_EQ("工程总数 5，不存在 1，编译工程 4/4", U8(first.Counters())) << U8(first.text);
    DataFile_st learned = ReadDataFile(program.DataFile());
    ASSERT_TRUE(learned.loaded) << U8(learned.error);
    EXPECT_EQ("Core.vcproj 网络.vcproj Storage.icproj Viewer.vcproj Legacy.vcproj", U8(learned.SequenceNames()));
    EXPECT_TRUE(FileExists(ws / L"bin\\Debug\\Viewer.exe"));
    EXPECT_TRUE(FileExists(ws / L"lib\\Debug\\网络.lib"));
    // The renamed project files are back under their names, the wrapper as it was.
    EXPECT_TRUE(NoTemporaryFilesIn(ws / L"Services\\Storage\\"));
    EXPECT_TRUE(NoTemporaryFilesIn(ws / L"Services\\网络\\"));
    EXPECT_EQ(wrapperBytes, Test_ns::ReadBytes(storage));
    EXPECT_TRUE(FileExists(ws / L"Services\\Storage\\Storage.vcproj"));
    EXPECT_TRUE(FileExists(network));

    // A new process: the order comes from the data file, and the clean
    // phase has removed every library again, so any row out of order would
    // fail to link.
    Run_st second = program.Run({L"rebuild", L"demo", L"--vc-dir", vcDir, L"--keep-going", L"--rename"});
    EXPECT_EQ(1, second.exit) << U8(second.text);
    EXPECT_EQ("Core:已编译 网络:已编译 Storage:已编译 Viewer:已编译", U8(second.Walk())) << U8(second.text);
    EXPECT_EQ("工程总数 5，不存在 1，编译工程 4/4", U8(second.Counters())) << U8(second.text);
    for (const wchar_t* name : {L"Core", L"网络", L"Storage", L"Viewer"}) {
        String_cl log = program.GoodLogs() + name + L".log";
        ASSERT_TRUE(FileExists(log)) << U8(log);
        String_cl text = Test_ns::ReadText(log);
        EXPECT_EQ(String_cl::npos, text.find(L"LNK1104")) << U8(text);
        EXPECT_NE(String_cl::npos, text.find(L"成功 1 个，失败 0 个")) << U8(text);
    }
    EXPECT_TRUE(FilesIn(program.FailedLogs()).empty());
    EXPECT_EQ("Core.vcproj 网络.vcproj Storage.icproj Viewer.vcproj Legacy.vcproj",
              U8(ReadDataFile(program.DataFile()).SequenceNames()));

    // show: the rows in build order, with their paths, and the counters.
    Run_st show = program.Run({L"show", L"demo"});
    EXPECT_EQ(1, show.exit) << U8(show.text);
    std::vector<String_cl> shown;
    for (const String_cl& line : show.Lines()) {
        std::vector<String_cl> f = Split(line, L"\t");
        if (f.size() == 4) shown.push_back(f[0] + L":" + f[2] + L":" + FileNameOf(f[3]));
    }
    EXPECT_EQ("Core:正常:Core.vcproj 网络:正常:网络.vcproj Storage:正常:Storage.icproj Viewer:正常:Viewer.vcproj "
              "Legacy:不存在:Legacy.vcproj",
              U8(Join(shown)))
        << U8(show.text);
    EXPECT_TRUE(show.HasLine(L"工程总数 5，不存在 1，编译工程 0/4")) << U8(show.text);

    // export-sequence writes the learned order; importing another order
    // replaces it in the data file; a file naming a solution is refused and
    // changes nothing.
    std::vector<String_cl> order = ReadDataFile(program.DataFile()).sequence;
    String_cl exported = ws / L"learned order.txt";
    Run_st exportRun = program.Run({L"export-sequence", exported});
    ASSERT_EQ(0, exportRun.exit) << U8(exportRun.text);
    EXPECT_EQ(U8(Join(order, L"\n")), U8(Join(SplitLines(Test_ns::ReadText(exported)), L"\n")));
    EXPECT_EQ("\xFF\xFE", Test_ns::ReadBytes(exported).substr(0, 2));

    std::vector<String_cl> reversed(order.rbegin(), order.rend());
    String_cl reversedFile = ws / L"reversed.txt";
    Test_ns::WriteUtf16(reversedFile, Join(reversed, L"\r\n") + L"\r\n");
    Run_st imp = program.Run({L"import-sequence", reversedFile});
    ASSERT_EQ(0, imp.exit) << U8(imp.text);
    EXPECT_EQ(U8(Join(reversed, L"\n")), U8(Join(ReadDataFile(program.DataFile()).sequence, L"\n")));
    Run_st again = program.Run({L"export-sequence", exported});
    ASSERT_EQ(0, again.exit) << U8(again.text);
    EXPECT_EQ(U8(Join(reversed, L"\n")), U8(Join(SplitLines(Test_ns::ReadText(exported)), L"\n")));

    String_cl bad = ws / L"bad order.txt";
    Test_ns::WriteUtf16(bad, order[0] + L"\r\n" + app + L"\r\n");
    Run_st refused = program.Run({L"import-sequence", bad});
    EXPECT_EQ(2, refused.exit) << U8(refused.text);
    EXPECT_TRUE(refused.Has(L"导入的文件内容不正确。")) << U8(refused.text);
    EXPECT_EQ(U8(Join(reversed, L"\n")), U8(Join(ReadDataFile(program.DataFile()).sequence, L"\n")));
}

// A project with #error between two good ones, built by the English
// edition: stop on error leaves the rows after it unbuilt, keep going builds
// them; once mended, a build finds the others up to date and exits 0; a
// clean removes the outputs.
TEST_F(ConsoleTest, StopOnErrorOnAndOff)
{
    ws.Project(L"Chain", {L"A", L"lib", L""});
    String_cl b = ws.Project(L"Chain", {L"B", L"lib", L"", true});
    ws.Project(L"Chain", {L"C", L"lib", L""});
    String_cl chain = ws.Solution(L"Chain\\Chain.sln", {{kVcType, L"A", L"A\\A.vcproj", Workspace_cl::Guid(11)},
                                                        {kVcType, L"B", L"B\\B.vcproj", Workspace_cl::Guid(12)},
                                                        {kVcType, L"C", L"C\\C.vcproj", Workspace_cl::Guid(13)}});
    String_cl vcDir = Test_ns::StandinDir(L"en");
    ASSERT_EQ(0, program.Run({L"add", L"chain", chain}).exit);

    Run_st stop = program.Run({L"rebuild", L"chain", L"--vc-dir", vcDir, L"--stop-on-error", L"--no-rename"});
    EXPECT_EQ(1, stop.exit) << U8(stop.text);
    EXPECT_TRUE(stop.HasLine(L"  Chain.sln  清理完成")) << U8(stop.text);
    EXPECT_EQ("A:已编译 B:编译失败", U8(stop.Walk())) << U8(stop.text);
    EXPECT_EQ("工程总数 3，编译失败 1，编译工程 1/3", U8(stop.Counters())) << U8(stop.text);
    EXPECT_FALSE(FileExists(ws / L"lib\\Debug\\C.lib"));
    // The failed row names its log, which went to the failed folder.
    std::vector<Row_st> rows = stop.Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_TRUE(Base_ns::EqualsNoCase(program.FailedLogs() + L"B.log", rows[1].log)) << U8(rows[1].log);
    EXPECT_NE(String_cl::npos, Test_ns::ReadText(program.FailedLogs() + L"B.log").find(L"C1189"));

    Run_st keepGoing = program.Run({L"rebuild", L"chain", L"--vc-dir", vcDir, L"--keep-going", L"--no-rename"});
    EXPECT_EQ(1, keepGoing.exit) << U8(keepGoing.text);
    EXPECT_EQ("A:已编译 B:编译失败 C:已编译", U8(keepGoing.Walk())) << U8(keepGoing.text);
    EXPECT_EQ("工程总数 3，编译失败 1，编译工程 2/3", U8(keepGoing.Counters())) << U8(keepGoing.text);
    EXPECT_TRUE(FileExists(ws / L"lib\\Debug\\C.lib"));

    ws.WriteSource(FolderOf(b) + L"B.cpp", false);
    Run_st build = program.Run({L"build", L"chain", L"--vc-dir", vcDir, L"--stop-on-error", L"--no-rename"});
    EXPECT_EQ(0, build.exit) << U8(build.text);
    EXPECT_EQ("A:已编译(未改变) B:已编译 C:已编译(未改变)", U8(build.Walk())) << U8(build.text);
    EXPECT_EQ("工程总数 3，编译工程 3/3", U8(build.Counters())) << U8(build.text);

    Run_st clean = program.Run({L"clean", L"chain", L"--vc-dir", vcDir});
    EXPECT_EQ(0, clean.exit) << U8(clean.text);
    EXPECT_TRUE(clean.HasLine(L"正在清理解决方案Chain......")) << U8(clean.text);
    EXPECT_TRUE(clean.Rows().empty()) << U8(clean.text);
    for (const wchar_t* lib : {L"A", L"B", L"C"})
        EXPECT_FALSE(FileExists(ws / (String_cl(L"lib\\Debug\\") + lib + L".lib"))) << U8(String_cl(lib));
}

// Mistakes of the user, none of which may cost data: unknown plans, a broken
// solution among good ones, a wrong installation folder, bad command lines;
// and plans listed, created with a configuration, removed.
TEST_F(ConsoleTest, UserErrorsLeaveTheDataIntact)
{
    Run_st fresh = program.Run({L"plans"});
    EXPECT_EQ(0, fresh.exit) << U8(fresh.text);
    EXPECT_EQ("默认\tDebug|Win32\t0", U8(Join(fresh.Lines(), L"\n")));

    String_cl good = ws.Solution(L"Good\\Good.sln", {{kVcType, L"Good", L"Good\\Good.vcproj", Workspace_cl::Guid(21)}});
    ws.Project(L"Good", {L"Good", L"lib", L""});
    // The broken solution's project exists: were it half-added, it would
    // show in the sequence.
    ws.Project(L"Bad", {L"Half", L"lib", L""});
    String_cl badSln = ws.Solution(L"Bad\\Bad.sln", {{kVcType, L"Half", L"Half\\Half.vcproj", Workspace_cl::Guid(22)}},
                                   false);

    Run_st add = program.Run({L"add", L"p", good, badSln});
    EXPECT_EQ(2, add.exit) << U8(add.text);
    EXPECT_TRUE(add.Has(L"错误的解决方案，检测不到EndProject。")) << U8(add.text);
    EXPECT_TRUE(add.Has(badSln)) << U8(add.text);
    DataFile_st d = ReadDataFile(program.DataFile());
    ASSERT_TRUE(d.loaded) << U8(d.error);
    ASSERT_NE(nullptr, d.Plan(L"p"));
    EXPECT_EQ(U8(good), U8(Join(d.Plan(L"p")->solutions, L"\n")));
    EXPECT_EQ("Good.vcproj", U8(d.SequenceNames()));
    // A new plan whose only file is refused is not left behind (the listing below has no "空").
    Run_st onlyBad = program.Run({L"add", L"空", badSln});
    EXPECT_EQ(2, onlyBad.exit) << U8(onlyBad.text);

    Run_st release = program.Run({L"add", L"发布", good, L"--config", L"Release|Win32"});
    EXPECT_EQ(0, release.exit) << U8(release.text);
    Run_st plans = program.Run({L"plans"});
    EXPECT_EQ(0, plans.exit) << U8(plans.text);
    EXPECT_EQ("默认\tDebug|Win32\t0\np\tDebug|Win32\t1\n发布\tRelease|Win32\t1", U8(Join(plans.Lines(), L"\n")));

    // Every plan name is checked before anything is read or built.
    Run_st unknown = program.Run({L"build", L"p,没有这个", L"--vc-dir", Test_ns::StandinDir(L"zh")});
    EXPECT_EQ(2, unknown.exit) << U8(unknown.text);
    EXPECT_TRUE(unknown.Has(L"方案不存在。")) << U8(unknown.text);
    EXPECT_TRUE(unknown.Has(L"没有这个")) << U8(unknown.text);
    EXPECT_FALSE(unknown.Has(L"正在读取解决方案和工程")) << U8(unknown.text);
    EXPECT_FALSE(FileExists(ws / L"lib\\Debug\\Good.lib"));

    Run_st wrongVc = program.Run({L"build", L"p", L"--vc-dir", ws.Root()});
    EXPECT_EQ(2, wrongVc.exit) << U8(wrongVc.text);
    EXPECT_TRUE(wrongVc.Has(L"VC安装目录是错误的。")) << U8(wrongVc.text);
    EXPECT_FALSE(wrongVc.Has(L"正在编译工程")) << U8(wrongVc.text);

    // --config on a job changes the plan's configuration before it runs, and
    // the data file keeps it. Good.sln has no Release configuration, so its
    // project is ignored and nothing fails.
    Run_st cleanRelease =
        program.Run({L"clean", L"p", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--config", L"Release|Win32"});
    EXPECT_EQ(0, cleanRelease.exit) << U8(cleanRelease.text);
    EXPECT_TRUE(cleanRelease.HasLine(L"方案 p (Release|Win32)")) << U8(cleanRelease.text);
    EXPECT_EQ("工程总数 1，忽略 1，编译工程 0/0", U8(cleanRelease.Counters())) << U8(cleanRelease.text);
    DataFile_st switched = ReadDataFile(program.DataFile());
    ASSERT_TRUE(switched.loaded) << U8(switched.error);
    ASSERT_NE(nullptr, switched.Plan(L"p"));
    EXPECT_EQ("Release|Win32", U8(switched.Plan(L"p")->configuration));

    const std::vector<std::vector<String_cl>> badLines = {
        {L"frobnicate"}, {L"build"}, {L"show", L"p", L"--config"}, {L"plans", L"--no-such-option"}, {L"plans", L"--shutdown"}};
    for (const std::vector<String_cl>& args : badLines) {
        Run_st usage = program.Run(args);
        EXPECT_EQ(2, usage.exit) << U8(usage.text);
        EXPECT_TRUE(usage.Has(L"用法")) << U8(usage.text);
    }

    Run_st removed = program.Run({L"remove-plan", L"发布"});
    EXPECT_EQ(0, removed.exit) << U8(removed.text);
    DataFile_st after = ReadDataFile(program.DataFile());
    ASSERT_TRUE(after.loaded) << U8(after.error);
    EXPECT_EQ(nullptr, after.Plan(L"发布"));
    ASSERT_NE(nullptr, after.Plan(L"p"));
    EXPECT_EQ(U8(good), U8(Join(after.Plan(L"p")->solutions, L"\n")));
    EXPECT_EQ(2, program.Run({L"remove-plan", L"发布"}).exit);
}

// What add refuses outright, each said naming what is wrong; a solution
// with a line of any length (a long Solution Items path) is no fault.
TEST_F(ConsoleTest, AddRefusesWhatABuildWouldRefuseAndTakesLongLines)
{
    String_cl good = ws.Solution(L"Good\\Good.sln", {{kVcType, L"Good", L"Good\\Good.vcproj", Workspace_cl::Guid(41)}});
    ws.Project(L"Good", {L"Good", L"lib", L""});
    for (const wchar_t* config : {L"Debug|\"Win32", L"Debug\r\n|Win32"}) {
        Run_st bad = program.Run({L"add", L"q", good, L"--config", config});
        EXPECT_EQ(2, bad.exit) << U8(bad.text);
        EXPECT_TRUE(bad.Has(L"编译模式中不能包含双引号或换行符。")) << U8(bad.text);
    }
    EXPECT_FALSE(FileExists(program.DataFile())) << "nothing was stored";

    String_cl longLine = ws / L"Long\\Long.sln";
    CreateDirectoryW((ws / L"Long").c_str(), nullptr);
    Test_ns::WriteBytes(longLine, "\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n" +
                                      std::string(1500, 'x') + "\r\nGlobal\r\nEndGlobal\r\n");
    Run_st added = program.Run({L"add", L"q", good, longLine});
    EXPECT_EQ(0, added.exit) << U8(added.text);
    EXPECT_TRUE(added.Has(L"已添加 " + longLine)) << U8(added.text);
    EXPECT_FALSE(FileExists(program.Dir() + L"Error.log"));
}

// A data file this version cannot read (a "版本" of 2 on the sequence, then
// on the plans) is moved aside under a name that says so, never overwritten,
// and the program goes on with the default plan; a second such file does not
// replace the first one kept aside.
TEST_F(ConsoleTest, DataFileOfAnotherVersionIsKeptAside)
{
    const std::string newerSequence =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Quorvane><序列 版本=\"2\"><序列1 路径=\"C:\\a\\a.vcproj\"/></序列>"
        "<方案><方案1 名称=\"旧方案\" 编译方式=\"Debug|Win32\"><解决方案><解决方案1 路径=\"C:\\a\\a.sln\"/></解决方案>"
        "</方案1></方案></Quorvane>\r\n";
    Test_ns::WriteBytes(program.DataFile(), newerSequence);

    Run_st plans = program.Run({L"plans"});
    EXPECT_EQ(0, plans.exit) << U8(plans.text);
    EXPECT_TRUE(plans.HasLine(L"默认\tDebug|Win32\t0")) << U8(plans.text);
    EXPECT_FALSE(plans.Has(L"旧方案")) << U8(plans.text);
    std::vector<String_cl> aside = KeptAside(program.Dir());
    ASSERT_EQ(1u, aside.size()) << U8(Join(FilesIn(program.Dir())));
    EXPECT_EQ(newerSequence, Test_ns::ReadBytes(program.Dir() + aside[0]));
    EXPECT_TRUE(plans.Has(aside[0])) << "the user is told where the file went: " << U8(plans.text);

    // A command that saves writes a new data file and leaves the kept one alone.
    String_cl sln = ws.Solution(L"One\\One.sln", {{kVcType, L"One", L"One\\One.vcproj", Workspace_cl::Guid(31)}});
    ws.Project(L"One", {L"One", L"lib", L""});
    Run_st add = program.Run({L"add", L"新方案", sln});
    EXPECT_EQ(0, add.exit) << U8(add.text);
    EXPECT_EQ(newerSequence, Test_ns::ReadBytes(program.Dir() + aside[0]));
    DataFile_st saved = ReadDataFile(program.DataFile());
    ASSERT_TRUE(saved.loaded) << U8(saved.error);
    EXPECT_NE(nullptr, saved.Plan(L"默认"));
    EXPECT_NE(nullptr, saved.Plan(L"新方案"));
    EXPECT_EQ(nullptr, saved.Plan(L"旧方案"));

    const std::string newerPlans =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Quorvane><序列/><方案 版本=\"2\">"
        "<方案1 名称=\"另一个\" 编译方式=\"Debug|Win32\"/></方案></Quorvane>\r\n";
    Test_ns::WriteBytes(program.DataFile(), newerPlans);
    Run_st second = program.Run({L"add", L"第三", sln});
    EXPECT_EQ(0, second.exit) << U8(second.text);
    std::vector<String_cl> kept = KeptAside(program.Dir());
    ASSERT_EQ(2u, kept.size()) << U8(Join(FilesIn(program.Dir())));
    EXPECT_EQ(newerSequence, Test_ns::ReadBytes(program.Dir() + aside[0]));
    String_cl other = kept[0] == aside[0] ? kept[1] : kept[0];
    EXPECT_EQ(newerPlans, Test_ns::ReadBytes(program.Dir() + other));
    DataFile_st now = ReadDataFile(program.DataFile());
    ASSERT_TRUE(now.loaded) << U8(now.error);
    EXPECT_NE(nullptr, now.Plan(L"默认"));
    EXPECT_NE(nullptr, now.Plan(L"第三"));
    EXPECT_EQ(nullptr, now.Plan(L"另一个"));
}

} // namespace

// ---------------------------------------------------------------------------
// The reports of a build: what the console says about each failed row and at
// the end, and the JUnit file a build server publishes, read back with the
// system's XML parser and held against the JUnit form's elements,
// attributes and nesting.

namespace {

struct XmlNode_st {
    String_cl name;
    std::map<String_cl, String_cl> attributes;
    std::vector<XmlNode_st> children;  // elements only
    String_cl text;
};

bool ReadNode(IXMLDOMNode* node, XmlNode_st& out)
{
    BSTR s = nullptr;
    if (FAILED(node->get_nodeName(&s)) || !s) return false;
    out.name = s;
    SysFreeString(s);
    if (SUCCEEDED(node->get_text(&s)) && s) {
        out.text = s;
        SysFreeString(s);
    }
    IXMLDOMNamedNodeMap* attributes = nullptr;
    if (SUCCEEDED(node->get_attributes(&attributes)) && attributes) {
        long n = 0;
        attributes->get_length(&n);
        for (long i = 0; i < n; ++i) {
            IXMLDOMNode* a = nullptr;
            if (FAILED(attributes->get_item(i, &a)) || !a) continue;
            BSTR name = nullptr, value = nullptr;
            a->get_nodeName(&name);
            a->get_text(&value);
            if (name) out.attributes[name] = value ? String_cl(value) : String_cl();
            SysFreeString(name);
            SysFreeString(value);
            a->Release();
        }
        attributes->Release();
    }
    IXMLDOMNode* child = nullptr;
    node->get_firstChild(&child);
    while (child) {
        DOMNodeType type;
        child->get_nodeType(&type);
        if (type == NODE_ELEMENT) {
            out.children.emplace_back();
            if (!ReadNode(child, out.children.back())) return false;
        }
        IXMLDOMNode* next = nullptr;
        child->get_nextSibling(&next);
        child->Release();
        child = next;
    }
    return true;
}

// The document element of an XML file, parsed by MSXML; false when it is
// not well-formed.
bool LoadXml(const String_cl& path, XmlNode_st& root)
{
    struct Com_st {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ~Com_st() { if (SUCCEEDED(hr)) CoUninitialize(); }
    } com;
    CLSID clsid;
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, reinterpret_cast<void**>(&doc))))
        return false;
    doc->put_async(VARIANT_FALSE);
    VARIANT file;
    VariantInit(&file);
    file.vt = VT_BSTR;
    file.bstrVal = SysAllocString(path.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    bool read = false;
    IXMLDOMElement* element = nullptr;
    if (SUCCEEDED(doc->load(file, &ok)) && ok == VARIANT_TRUE && SUCCEEDED(doc->get_documentElement(&element)) && element) {
        read = ReadNode(element, root);
        element->Release();
    }
    VariantClear(&file);
    doc->Release();
    return read;
}

// The JUnit form as build servers read it: for each element its attributes
// (required ones first, then optional) and the elements it may hold.
struct JUnitElement_st {
    std::vector<String_cl> required;
    std::vector<String_cl> optional;
    std::vector<String_cl> children;
};
const std::map<String_cl, JUnitElement_st> kJUnitForm = {
    {L"testsuites", {{}, {L"name", L"tests", L"failures", L"errors", L"skipped", L"disabled", L"time"}, {L"testsuite"}}},
    {L"testsuite",
     {{L"name", L"tests", L"failures", L"errors", L"time"},
      {L"skipped", L"disabled", L"timestamp", L"hostname", L"id", L"package"},
      {L"properties", L"testcase", L"system-out", L"system-err"}}},
    {L"properties", {{}, {}, {L"property"}}},
    {L"property", {{L"name", L"value"}, {}, {}}},
    {L"testcase", {{L"name", L"classname"}, {L"time", L"assertions", L"status"},
                   {L"skipped", L"error", L"failure", L"system-out", L"system-err"}}},
    {L"failure", {{}, {L"message", L"type"}, {}}},
    {L"error", {{}, {L"message", L"type"}, {}}},
    {L"skipped", {{}, {L"message"}, {}}},
};

bool Contains(const std::vector<String_cl>& list, const String_cl& s)
{
    return std::find(list.begin(), list.end(), s) != list.end();
}

// Every way the element and those inside it leave the form, as text.
void CheckJUnitForm(const XmlNode_st& node, const String_cl& where, std::vector<String_cl>& problems)
{
    auto form = kJUnitForm.find(node.name);
    if (form == kJUnitForm.end()) {
        problems.push_back(where + L": unknown element " + node.name);
        return;
    }
    for (const String_cl& r : form->second.required)
        if (!node.attributes.count(r)) problems.push_back(where + L": no attribute " + r);
    for (const auto& [name, value] : node.attributes)
        if (!Contains(form->second.required, name) && !Contains(form->second.optional, name))
            problems.push_back(where + L": attribute " + name + L" not in the form");
    for (const XmlNode_st& child : node.children) {
        if (!Contains(form->second.children, child.name))
            problems.push_back(where + L": " + child.name + L" may not stand in " + node.name);
        CheckJUnitForm(child, where + L"/" + child.name, problems);
    }
    // Counts and times are numbers, and the counts match what is inside.
    for (const wchar_t* number : {L"tests", L"failures", L"errors", L"skipped", L"time"}) {
        auto a = node.attributes.find(number);
        if (a != node.attributes.end() && (a->second.empty() || a->second.find_first_not_of(L"0123456789.") != String_cl::npos))
            problems.push_back(where + L": " + number + L"=\"" + a->second + L"\" is no number");
    }
    if (node.name == L"testsuite") {
        int cases = 0, failures = 0, skipped = 0;
        for (const XmlNode_st& c : node.children) {
            if (c.name != L"testcase") continue;
            ++cases;
            for (const XmlNode_st& r : c.children) {
                failures += r.name == L"failure";
                skipped += r.name == L"skipped";
            }
        }
        auto count = [&](const wchar_t* name) { return _wtoi(node.attributes.count(name) ? node.attributes.at(name).c_str() : L"-1"); };
        if (count(L"tests") != cases || count(L"failures") != failures || count(L"skipped") != skipped)
            problems.push_back(where + L": counts differ from the test cases inside");
    }
}

const XmlNode_st* Child(const XmlNode_st& node, const String_cl& name, const String_cl& attribute = L"",
                        const String_cl& value = L"")
{
    for (const XmlNode_st& c : node.children)
        if (c.name == name && (attribute.empty() || (c.attributes.count(attribute) && c.attributes.at(attribute) == value)))
            return &c;
    return nullptr;
}

String_cl Attribute(const XmlNode_st* node, const String_cl& name)
{
    if (!node || !node->attributes.count(name)) return L"<none>";
    return node->attributes.at(name);
}

} // namespace

// A library broken on purpose (A), a library that links it (B), a program
// that links B (C): one root failure and a knock-on chain three rows deep;
// beside them a good library, a program in a second solution, a project
// without the configuration that the solution does not build in it, and one
// whose file is gone.
TEST_F(ConsoleTest, FailuresAreExplainedOnTheConsoleAndInTheJUnitFile)
{
    ws.Project(L"Chain", {L"A", L"lib", L"", true});
    ws.Project(L"Chain", {L"B", L"lib", L"A.lib"});
    ws.Project(L"Chain", {L"C", L"exe", L"B.lib"});
    ws.Project(L"Chain", {L"D", L"lib", L""});
    ws.Project(L"Chain", {L"Rel", L"lib", L"", false, L"Release|Win32"});
    String_cl chain = ws.Solution(L"Chain\\Chain.sln", {{kVcType, L"A", L"A\\A.vcproj", Workspace_cl::Guid(51)},
                                                        {kVcType, L"B", L"B\\B.vcproj", Workspace_cl::Guid(52)},
                                                        {kVcType, L"C", L"C\\C.vcproj", Workspace_cl::Guid(53)},
                                                        {kVcType, L"D", L"D\\D.vcproj", Workspace_cl::Guid(54)},
                                                        {kVcType, L"Rel", L"Rel\\Rel.vcproj", Workspace_cl::Guid(55), false},
                                                        {kVcType, L"Gone", L"Gone\\Gone.vcproj", Workspace_cl::Guid(56)}});
    ws.Project(L"Tools", {L"T", L"exe", L"D.lib"});
    String_cl tools = ws.Solution(L"Tools\\Tools.sln", {{kVcType, L"T", L"T\\T.vcproj", Workspace_cl::Guid(57)}});
    ASSERT_EQ(0, program.Run({L"add", L"夜间", chain, tools}).exit);

    const String_cl junit = program.Dir() + L"结果\\junit.xml";
    // A build, not a rebuild: the clean of a solution with a missing project
    // reports an error of its own.
    Run_st run = program.Run({L"build", L"夜间", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--keep-going",
                              L"--no-rename", L"--report", junit});
    EXPECT_EQ(1, run.exit) << U8(run.text);
    EXPECT_EQ("A:编译失败 B:编译失败 C:编译失败 D:已编译 T:已编译", U8(run.Walk())) << U8(run.text);
    EXPECT_EQ("工程总数 7，不存在 1，忽略 1，编译失败 3，编译工程 2/5", U8(run.Counters())) << U8(run.text);
    // After each failed row: its first error line, or the row it waited for.
    const std::vector<String_cl> lines = run.Lines();
    auto after = [&](const String_cl& rowStart) {
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            if (lines[i].StartsWith(rowStart)) return lines[i + 1];
        return String_cl(L"<no row>");
    };
    const String_cl firstError = after(L"  A  ");
    EXPECT_TRUE(firstError.StartsWith(L"    ") && firstError.EndsWith(L"A.cpp(2) : fatal error C1189: #error :  这里还没写完"))
        << U8(firstError);
    EXPECT_EQ(after(L"  B  "), L"    因工程 A 编译失败而缺少它的库");
    EXPECT_EQ(after(L"  C  "), L"    因工程 B 编译失败而缺少它的库");
    // At the end: the root failure, and under it the chain.
    auto summary = std::find(lines.begin(), lines.end(), String_cl(L"失败的工程（根源在前，连带失败在其下）："));
    ASSERT_NE(summary, lines.end()) << U8(run.text);
    ASSERT_GE(lines.end() - summary, 4);
    EXPECT_EQ(summary[1], L"  A：" + firstError.substr(4));
    EXPECT_EQ(summary[2], L"    B：因 A 编译失败");
    EXPECT_EQ(summary[3], L"      C：因 B 编译失败");
    EXPECT_TRUE(FileExists(program.Dir() + L"编译日志\\报告.html"));

    XmlNode_st root;
    ASSERT_TRUE(LoadXml(junit, root)) << "the JUnit file is well-formed XML";
    EXPECT_EQ(root.name, L"testsuites");
    std::vector<String_cl> problems;
    CheckJUnitForm(root, root.name, problems);
    EXPECT_TRUE(problems.empty()) << U8(Join(problems, L"\n"));
    ASSERT_EQ(root.children.size(), 2u) << "one test suite per solution";
    const XmlNode_st& chainSuite = root.children[0];
    EXPECT_EQ(Attribute(&chainSuite, L"name"), L"Chain.sln");
    EXPECT_EQ(Attribute(&chainSuite, L"package"), L"夜间");
    EXPECT_EQ(Attribute(&chainSuite, L"tests"), L"4") << "ignored and missing rows are no test cases";
    EXPECT_EQ(Attribute(&chainSuite, L"failures"), L"3");
    EXPECT_EQ(Attribute(Child(*Child(chainSuite, L"properties"), L"property", L"name", L"configuration"), L"value"),
              L"Debug|Win32");
    const XmlNode_st* a = Child(chainSuite, L"testcase", L"name", L"A (Debug|Win32)");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Attribute(a, L"classname"), L"夜间.Chain");
    EXPECT_GT(_wtof(Attribute(a, L"time").c_str()), 0.0);
    const XmlNode_st* aFailure = Child(*a, L"failure");
    ASSERT_NE(aFailure, nullptr);
    EXPECT_EQ(Attribute(aFailure, L"message"), firstError.substr(4));
    EXPECT_EQ(Attribute(aFailure, L"type"), L"编译失败");
    EXPECT_NE(aFailure->text.find(program.FailedLogs() + L"A.log"), String_cl::npos) << U8(aFailure->text);
    const XmlNode_st* c = Child(chainSuite, L"testcase", L"name", L"C (Debug|Win32)");
    ASSERT_NE(c, nullptr);
    ASSERT_NE(Child(*c, L"failure"), nullptr);
    EXPECT_EQ(Attribute(Child(*c, L"failure"), L"type"), L"连带失败");
    EXPECT_EQ(Attribute(Child(*c, L"failure"), L"message"), L"因工程 B 编译失败而缺少它的库");
    EXPECT_NE(Child(*c, L"failure")->text.find(L"（根源：工程 A）"), String_cl::npos) << U8(Child(*c, L"failure")->text);
    const XmlNode_st* d = Child(chainSuite, L"testcase", L"name", L"D (Debug|Win32)");
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->children.empty()) << "a compiled row passes";
    EXPECT_EQ(Child(chainSuite, L"testcase", L"name", L"Rel (Debug|Win32)"), nullptr);
    EXPECT_EQ(Child(chainSuite, L"testcase", L"name", L"Gone (Debug|Win32)"), nullptr);
    EXPECT_EQ(Attribute(&root.children[1], L"name"), L"Tools.sln");
    EXPECT_EQ(Attribute(&root.children[1], L"tests"), L"1");
    EXPECT_EQ(Attribute(&root, L"tests"), L"5");
    EXPECT_EQ(Attribute(&root, L"failures"), L"3");
}

TEST_F(ConsoleTest, HelpAndVersionFollowTheConsoleConventions)
{
    for (const wchar_t* ask : {L"--help", L"-h", L"/?"}) {
        Run_st help = program.Run({ask});
        EXPECT_EQ(0, help.exit) << U8(String_cl(ask)) << U8(help.text);
        EXPECT_TRUE(help.text.StartsWith(L"用法:")) << U8(help.text);
        EXPECT_TRUE(help.Has(L"--report <文件>")) << U8(help.text);
    }
    Run_st version = program.Run({L"--version"});
    EXPECT_EQ(0, version.exit);
    EXPECT_EQ(Join(version.Lines()), L"Quorvane 0.3.2");
    Run_st misplaced = program.Run({L"show", L"默认", L"--report", program.Dir() + L"x.xml"});
    EXPECT_EQ(2, misplaced.exit) << U8(misplaced.text);
    EXPECT_TRUE(misplaced.Has(L"--report 只用于 build 和 rebuild。")) << U8(misplaced.text);
}

// ---------------------------------------------------------------------------
// Files the console is asked to write, command lines it cannot carry out, and
// text from files that reaches the console.

namespace {

// The same path under another spelling: through drive Z: under Wine, with
// the "\\?\" prefix elsewhere.
String_cl OtherSpelling(const String_cl& path)
{
    const String_cl unix = Test_ns::UnixDriveSpelling(path);
    return unix.empty() ? String_cl(L"\\\\?\\" + path) : unix;
}

struct WriteTarget_st {
    const char* what;
    String_cl path;   // empty: this system cannot make it (said in what)
    String_cl refusal;
};

} // namespace

// An export or a report is refused before anything is built, and the file
// stays as it was, when it would go over the data file (under another
// spelling), a read-only file, a solution, project file or property sheet
// of a plan (under any spelling, through a hard or a symbolic link), the
// program's own files or what it writes (its logs, the build report), a
// link onto one of those included. So is an empty import, which would empty
// the learned order.
TEST_F(ConsoleTest, ExportsAndReportsNeverGoOverTheFilesTheProgramNeeds)
{
    const String_cl project = ws.Project(L"One", {L"One", L"lib", L""});
    const String_cl sln = ws.Solution(L"One\\One.sln", {{kVcType, L"One", L"One\\One.vcproj", Workspace_cl::Guid(61)}});
    Test_ns::VcxProject_st sheeted;
    sheeted.configurations.push_back({L"Debug|Win32", L"StaticLibrary"});
    sheeted.propertySheets = {L"..\\shared.props"};
    const String_cl vcxproj = ws / L"Two\\two\\two.vcxproj", sheet = ws / L"Two\\shared.props";
    ASSERT_TRUE(Test_ns::WriteVcxprojAndSources(vcxproj, sheeted));
    ASSERT_TRUE(Test_ns::WriteMsBuildFile(sheet, Test_ns::PropsText({{L"OutDir", L"$(SolutionDir)out\\"}})));
    ASSERT_EQ(0, program.Run({L"add", L"p", sln}).exit);
    ASSERT_EQ(0, program.Run({L"add", L"q", vcxproj}).exit);
    ASSERT_TRUE(program.AddWindow());
    // Logs of a run, and its report, to write over.
    Run_st built = program.Run({L"build", L"p", L"--vc-dir", Test_ns::StandinDir(L"zh")});
    ASSERT_EQ(0, built.exit) << U8(built.text);
    const String_cl log = program.GoodLogs() + L"One.log";
    ASSERT_TRUE(FileExists(log));

    const String_cl readOnly = ws / L"junit.xml";
    Test_ns::WriteBytes(readOnly, "<old/>");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    TempDir_cl links(L"qv-links");
    auto hard = [&](const wchar_t* name, const String_cl& target) {
        const String_cl link = links / name;
        return Test_ns::MakeHardLink(link, target) ? link : String_cl();
    };
    const Test_ns::SymbolicLink_cl toProject(links / L"s.xml", project), toSolution(links / L"sln-s.xml", sln);
    const String_cl ownFile = L"不能写到程序自己的文件", planFile = L"不能写到方案的解决方案或工程文件上。",
                    programFile = L"不能写到程序文件";
    const std::vector<WriteTarget_st> targets{
        {"read-only file", readOnly, L"文件是只读的。"},
        {"data file under another spelling", OtherSpelling(program.DataFile()), ownFile},
        {"project file in other case", project.Upper(), planFile},
        {"hard link onto the project file", hard(L"p.xml", project), planFile},
        {"symbolic link onto the project file", toProject.Path(), planFile},
        {"hard link onto the solution", hard(L"sln.xml", sln), planFile},
        {"symbolic link onto the solution", toSolution.Path(), planFile},
        {"a project's property sheet", sheet, planFile},
        {"hard link onto the property sheet", hard(L"props.xml", sheet), planFile},
        {"the console program", program.Dir() + L"Quorvane.com", programFile},
        {"the window program", program.Dir() + L"quorvane.EXE", programFile},
        {"the settings library", program.Dir() + L"SettingsHost.dll", programFile},
        {"hard link onto the console program", hard(L"com.xml", program.Dir() + L"Quorvane.com"), programFile},
        {"the build report", program.Dir() + L"编译日志\\报告.html", programFile},
        {"a log of the run", log, programFile},
        {"a log not yet written", program.GoodLogs() + L"Later.log", programFile},
        {"hard link onto a log", hard(L"log.xml", log), programFile},
    };
    for (const WriteTarget_st& t : targets) {
        if (t.path.empty()) {
            ADD_FAILURE() << "could not make " << t.what;
            continue;
        }
        const bool existed = FileExists(t.path);
        const std::string before = existed ? Test_ns::ReadBytes(t.path) : std::string();
        Run_st exported = program.Run({L"export-sequence", t.path});
        EXPECT_EQ(2, exported.exit) << t.what << ": " << U8(exported.text);
        EXPECT_TRUE(exported.Has(t.refusal)) << t.what << ": " << U8(exported.text);
        Run_st build = program.Run({L"build", L"p", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--report", t.path});
        EXPECT_EQ(2, build.exit) << t.what << ": " << U8(build.text);
        EXPECT_TRUE(build.Has(t.refusal)) << t.what << ": " << U8(build.text);
        EXPECT_FALSE(build.Has(L"正在编译工程")) << t.what << ": " << U8(build.text);
        EXPECT_EQ(existed, FileExists(t.path)) << t.what;
        if (existed) {
            EXPECT_EQ(before, Test_ns::ReadBytes(t.path)) << t.what;
        }
    }
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    const std::string data = Test_ns::ReadBytes(program.DataFile());
    const String_cl empty = ws / L"empty.txt";
    Test_ns::WriteUtf16(empty, L"\r\n");
    Run_st import = program.Run({L"import-sequence", empty});
    EXPECT_EQ(2, import.exit) << U8(import.text);
    EXPECT_EQ(data, Test_ns::ReadBytes(program.DataFile()));
}

// A report file another program holds open is found out before the build,
// not after hours of it; a report that can be written is neither made nor
// changed by that check.
TEST_F(ConsoleTest, AReportThatCannotBeWrittenIsRefusedBeforeTheBuild)
{
    ws.Project(L"One", {L"One", L"lib", L""});
    const String_cl sln = ws.Solution(L"One\\One.sln", {{kVcType, L"One", L"One\\One.vcproj", Workspace_cl::Guid(63)}});
    ASSERT_EQ(0, program.Run({L"add", L"p", sln}).exit);
    const String_cl locked = ws / L"tx\\locked.xml";
    Test_ns::CreateFolders(locked);
    Test_ns::WriteBytes(locked, "<held/>");
    {
        Base_ns::Handle_cl held(CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.Valid());
        Run_st build = program.Run({L"rebuild", L"p", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--report", locked});
        EXPECT_EQ(2, build.exit) << U8(build.text);
        EXPECT_TRUE(build.Has(L"无法写入报告文件")) << U8(build.text);
        EXPECT_FALSE(build.Has(L"正在编译工程")) << U8(build.text);
        EXPECT_TRUE(FilesIn(program.GoodLogs()).empty() && FilesIn(program.FailedLogs()).empty());
    }
    EXPECT_EQ("<held/>", Test_ns::ReadBytes(locked));
    Run_st build = program.Run({L"build", L"p", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--report", locked});
    EXPECT_EQ(0, build.exit) << U8(build.text);
    EXPECT_NE(std::string::npos, Test_ns::ReadBytes(locked).find("<testsuites"));
}

// One solution added again under other spellings (the "\\?\" form, drive Z:
// under Wine) is already in the plan.
TEST_F(ConsoleTest, ASolutionAddedUnderAnotherSpellingIsAlreadyInThePlan)
{
    const String_cl a = ws.Project(L"h13", {L"a", L"lib", L""});
    ws.Project(L"h13", {L"b", L"lib", L""});
    const String_cl sln = ws.Solution(L"h13\\S.sln", {{kVcType, L"a", L"a\\a.vcproj", Workspace_cl::Guid(64)},
                                                      {kVcType, L"b", L"b\\b.vcproj", Workspace_cl::Guid(65)}});
    ASSERT_EQ(0, program.Run({L"add", L"A", sln}).exit);
    std::vector<String_cl> args{L"add", L"A", L"\\\\?\\" + sln};
    if (!Test_ns::UnixDriveSpelling(sln).empty()) args.push_back(Test_ns::UnixDriveSpelling(sln));
    Run_st again = program.Run(args);
    EXPECT_EQ(0, again.exit) << U8(again.text);
    EXPECT_FALSE(again.Has(L"已添加")) << U8(again.text);
    EXPECT_EQ(args.size() - 2, Split(again.text, L"已在方案中").size() - 1) << U8(again.text);
    const DataFile_st data = ReadDataFile(program.DataFile());
    ASSERT_NE(nullptr, data.Plan(L"A"));
    EXPECT_EQ(std::vector<String_cl>{sln}, data.Plan(L"A")->solutions);
    EXPECT_EQ("a.vcproj b.vcproj", U8(data.SequenceNames()));

    // A row named by another spelling of its project file is that row.
    Run_st only = program.Run({L"build", L"A", L"--only", L"\\\\?\\" + a.Upper(), L"--vc-dir", Test_ns::StandinDir(L"zh")});
    EXPECT_EQ(0, only.exit) << U8(only.text);
    EXPECT_EQ("a:已编译", U8(only.Walk())) << U8(only.text);
}

// A mistyped command is no plan either: said, with the usage, before any
// window starts; a window that cannot be made (there is no display here)
// ends with a system error. Plan names no command line could address are
// refused. An error line that holds a control sequence reaches the console
// without it.
TEST_F(ConsoleTest, WhatNoCommandLineCouldCarryOutIsSaidAtOnce)
{
    ASSERT_TRUE(program.AddWindow());
    Run_st typo = program.RunText(L"buidl 默认");
    EXPECT_EQ(2, typo.exit) << U8(typo.text);
    EXPECT_TRUE(typo.Has(L"既不是命令也不是方案：“buidl 默认”")) << U8(typo.text);
    EXPECT_TRUE(typo.Has(L"用法")) << U8(typo.text);
    EXPECT_FALSE(FileExists(program.Dir() + L"Error.log")) << "no window was started";

    Run_st noWindow = program.RunText(L"默认");
    EXPECT_EQ(3, noWindow.exit) << U8(noWindow.text);
    EXPECT_TRUE(noWindow.Has(L"Error.log")) << U8(noWindow.text);
    EXPECT_NE(String_cl::npos, Test_ns::ReadText(program.Dir() + L"Error.log").find(L"创建对话框失败"));

    const String_cl project = ws.Project(L"Esc", {L"Esc", L"lib", L""});
    Test_ns::WriteBytes(FolderOf(project) + L"Esc.cpp", "#error \x1b[2J gone\r\n");
    const String_cl sln = ws.Solution(L"Esc\\Esc.sln", {{kVcType, L"Esc", L"Esc\\Esc.vcproj", Workspace_cl::Guid(62)}});
    for (const wchar_t* name : {L"a,b", L"夜间\x3000"}) {
        Run_st refused = program.Run({L"add", name, sln});
        EXPECT_EQ(2, refused.exit) << U8(refused.text);
    }
    ASSERT_EQ(0, program.Run({L"add", L"esc", sln}).exit);
    std::vector<String_cl> plans;
    for (const DataFile_st::Plan_st& p : ReadDataFile(program.DataFile()).plans) plans.push_back(p.name);
    EXPECT_EQ("默认 esc", U8(Join(plans)));
    Run_st build = program.Run({L"build", L"esc", L"--vc-dir", Test_ns::StandinDir(L"zh")});
    EXPECT_EQ(1, build.exit) << U8(build.text);
    EXPECT_EQ(String_cl::npos, build.text.find(L'\x1b')) << U8(build.text);
    EXPECT_TRUE(build.Has(L"?[2J gone")) << U8(build.text);
}

// ---------------------------------------------------------------------------
// Visual Studio 2022: solutions of format 12.00 whose solution platform x86
// builds the projects' Win32, .vcxproj files as its editor saves them, and
// the stand-in's installation of the 2017-and-later layout.

namespace {

struct VcxEntry_st {
    String_cl name;
    String_cl kind;   // "lib", "dll" or "exe"
    String_cl needs;  // libraries it links, separated by ";"
};

// <folder>\<name>\<name>.vcxproj with its source; libraries (and the import
// libraries of DLLs) go to lib\<platform>\<configuration>\ at the root,
// programs and DLLs to bin\<platform>\<configuration>\.
String_cl WriteVcxproj(const Workspace_cl& ws, const String_cl& folder, const VcxEntry_st& e)
{
    const String_cl libDir = L"..\\..\\lib\\$(Platform)\\$(Configuration)\\";
    Test_ns::VcxProject_st p;
    for (const wchar_t* platform : {L"Win32", L"x64"}) {
        Test_ns::VcxConfiguration_st c{String_cl(L"Debug|") + platform,
                                       e.kind == L"lib" ? L"StaticLibrary" : e.kind == L"dll" ? L"DynamicLibrary" : L"Application"};
        c.properties = {{L"OutDir", e.kind == L"lib" ? libDir : L"..\\..\\bin\\$(Platform)\\$(Configuration)\\"}};
        if (e.kind != L"lib")
            c.link = {{L"AdditionalDependencies", e.needs + L";%(AdditionalDependencies)"},
                      {L"AdditionalLibraryDirectories", libDir + L";%(AdditionalLibraryDirectories)"}};
        if (e.kind == L"dll") c.link.emplace_back(L"ImportLibrary", libDir + L"$(TargetName).lib");
        p.configurations.push_back(c);
    }
    p.sources = {e.name + L".cpp"};
    const String_cl path = ws.Root() + folder + L"\\" + e.name + L"\\" + e.name + L".vcxproj";
    Test_ns::WriteVcxprojAndSources(path, p, "// 完成\r\nint Value() { return 1; }\r\n");
    return path;
}

String_cl Solution2022(const Workspace_cl& ws, const String_cl& relative, const std::vector<SlnEntry_st>& entries)
{
    String_cl t = L"\r\nMicrosoft Visual Studio Solution File, Format Version 12.00\r\n# Visual Studio Version 17\r\n"
                  L"VisualStudioVersion = 17.8.34330.188\r\nMinimumVisualStudioVersion = 10.0.40219.1\r\n";
    for (const SlnEntry_st& e : entries)
        t += L"Project(\"" + String_cl(e.type) + L"\") = \"" + e.name + L"\", \"" + e.relative + L"\", \"" + e.guid +
             L"\"\r\nEndProject\r\n";
    t += L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n"
         L"\t\tDebug|x64 = Debug|x64\r\n\t\tDebug|x86 = Debug|x86\r\n\tEndGlobalSection\r\n"
         L"\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n";
    for (const SlnEntry_st& e : entries)
        for (const wchar_t* pair : {L"x64 = Debug|x64", L"x86 = Debug|Win32"})
            for (const wchar_t* kind : {L"ActiveCfg", L"Build.0"}) {
                const String_cl p(pair);
                t += L"\t\t" + e.guid + L".Debug|" + p.substr(0, 3) + L"." + kind + p.substr(3) + L"\r\n";
            }
    t += L"\tEndGlobalSection\r\n\tGlobalSection(SolutionProperties) = preSolution\r\n\t\tHideSolutionNode = FALSE\r\n"
         L"\tEndGlobalSection\r\nEndGlobal\r\n";
    const String_cl path = ws.Root() + relative;
    Test_ns::CreateFolders(path);
    Test_ns::WriteBytes(path, "\xEF\xBB\xBF" + t.ToUtf8());
    return path;
}

} // namespace

// A program listed before the solution of the DLL and the library it links:
// the first rebuild learns the order, the next process builds straight
// through it, Win32 and x64 alike (x64 links only in the x64 environment the
// architecture asks the 2022 script for). Files of the other era are refused
// before anything is built; --vc-dir auto asks the installer's locator.
TEST_F(ConsoleTest, Vs2022PlanIsReadOrderedBuiltAndLearnedAsA2008One)
{
    WriteVcxproj(ws, L"App", {L"viewer", L"exe", L"net.lib;core.lib"});
    String_cl app = Solution2022(ws, L"App\\App.sln", {{kVcType, L"viewer", L"viewer\\viewer.vcxproj", Workspace_cl::Guid(51)}});
    WriteVcxproj(ws, L"Libs", {L"core", L"lib", L""});
    WriteVcxproj(ws, L"Libs", {L"net", L"dll", L"core.lib"});
    String_cl libs = Solution2022(ws, L"Libs\\Libs.sln", {{kVcType, L"core", L"core\\core.vcxproj", Workspace_cl::Guid(52)},
                                                          {kVcType, L"net", L"net\\net.vcxproj", Workspace_cl::Guid(53)}});
    const String_cl vs2022 = Test_ns::StandinDir(L"zh", L"vs2022");

    Run_st add = program.Run({L"add", L"新版", app, libs, L"--config", L"Debug|x86"});
    ASSERT_EQ(0, add.exit) << U8(add.text);
    Run_st shown = program.Run({L"show", L"新版"});
    EXPECT_TRUE(shown.Has(L"viewer.vcxproj") && shown.Has(L"core.vcxproj") && shown.Has(L"net.vcxproj")) << U8(shown.text);

    Run_st first = program.Run({L"rebuild", L"新版", L"--vc-dir", vs2022, L"--keep-going"});
    EXPECT_EQ(0, first.exit) << U8(first.text);
    EXPECT_EQ("viewer:正常(库依赖) net:正常(库依赖) core:已编译 net:已编译 viewer:已编译", U8(first.Walk())) << U8(first.text);
    EXPECT_TRUE(FileExists(ws / L"bin\\Win32\\Debug\\viewer.exe"));
    EXPECT_TRUE(FileExists(ws / L"lib\\Win32\\Debug\\net.lib"));
    EXPECT_EQ("core.vcxproj net.vcxproj viewer.vcxproj", U8(ReadDataFile(program.DataFile()).SequenceNames()));
    // Built under its own name: nothing named after a temporary file.
    EXPECT_TRUE(NoTemporaryFilesIn(ws / L"Libs\\core\\"));

    Run_st second = program.Run({L"rebuild", L"新版", L"--vc-dir", vs2022, L"--keep-going"});
    EXPECT_EQ(0, second.exit) << U8(second.text);
    EXPECT_EQ("core:已编译 net:已编译 viewer:已编译", U8(second.Walk())) << U8(second.text);
    EXPECT_EQ("core.vcxproj net.vcxproj viewer.vcxproj", U8(ReadDataFile(program.DataFile()).SequenceNames()));
    String_cl log = Test_ns::ReadText(program.GoodLogs() + L"viewer.log");
    EXPECT_NE(String_cl::npos, log.find(L"1 成功，0 失败")) << U8(log);

    Run_st x64 = program.Run({L"build", L"新版", L"--vc-dir", vs2022, L"--config", L"Debug|x64", L"--keep-going"});
    EXPECT_EQ(0, x64.exit) << U8(x64.text);
    EXPECT_EQ("core:已编译 net:已编译 viewer:已编译", U8(x64.Walk())) << U8(x64.text);
    EXPECT_TRUE(FileExists(ws / L"bin\\x64\\Debug\\viewer.exe"));
    // The same build where the script is not told the architecture (an
    // installation whose script always sets up x86): the linker refuses.
    TempDir_cl deaf(L"qv-vs x86");
    Test_ns::CreateFolders(deaf / L"VC\\Auxiliary\\Build\\vcvarsall.bat");
    Test_ns::WriteBytes(deaf / L"VC\\Auxiliary\\Build\\vcvarsall.bat",
                        Test_ns::Ansi(L"@call \"" + vs2022 + L"VC\\Auxiliary\\Build\\vcvarsall.bat\" x86\r\n"));
    Run_st x86Only = program.Run({L"rebuild", L"新版", L"--vc-dir", deaf.Path(), L"--keep-going"});
    EXPECT_EQ(1, x86Only.exit) << U8(x86Only.text);
    EXPECT_TRUE(x86Only.Has(L"LNK1112")) << U8(x86Only.text);

    // The 2008 builder takes no .vcxproj, and the 2022 one no .vcproj: each
    // refused before anything is cleaned, renamed or built.
    Run_st old = program.Run({L"build", L"新版", L"--vc-dir", Test_ns::StandinDir(L"zh")});
    EXPECT_EQ(2, old.exit) << U8(old.text);
    EXPECT_TRUE(old.Has(L"不能编译.vcxproj工程") && old.Has(L"core.vcxproj")) << U8(old.text);
    EXPECT_TRUE(old.Has(Test_ns::StandinDir(L"zh"))) << U8(old.text);
    EXPECT_FALSE(old.Has(L"正在编译工程")) << U8(old.text);
    String_cl legacy = ws.Project(L"Old", {L"Legacy", L"lib", L""});
    std::string legacyBytes = Test_ns::ReadBytes(legacy);
    // A lone project file of either era is added as a solution is.
    const String_cl lone = ws / L"Libs\\core\\core.vcxproj";
    ASSERT_EQ(0, program.Run({L"add", L"旧版", legacy, lone}).exit);
    const DataFile_st both = ReadDataFile(program.DataFile());
    ASSERT_NE(nullptr, both.Plan(L"旧版"));
    EXPECT_EQ(U8(legacy + L"\n" + lone), U8(Join(both.Plan(L"旧版")->solutions, L"\n")));
    Run_st converted = program.Run({L"rebuild", L"旧版", L"--vc-dir", vs2022, L"--rename"});
    EXPECT_EQ(2, converted.exit) << U8(converted.text);
    EXPECT_TRUE(converted.Has(L"要先转换.vcproj工程") && converted.Has(legacy)) << U8(converted.text);
    EXPECT_FALSE(converted.Has(L"正在清理解决方案")) << U8(converted.text);
    EXPECT_EQ(legacyBytes, Test_ns::ReadBytes(legacy));
    EXPECT_TRUE(NoTemporaryFilesIn(FolderOf(legacy)));
    EXPECT_FALSE(FileExists(program.GoodLogs() + L"Legacy.log"));

    // --vc-dir auto: what the installer's locator names.
    Test_ns::LocatorStandin_cl locator;
    ASSERT_TRUE(locator.Ready());
    locator.Names(vs2022);
    Run_st located = program.Run({L"build", L"新版", L"--vc-dir", L"auto"});
    EXPECT_EQ(0, located.exit) << U8(located.text);
    EXPECT_TRUE(located.HasLine(L"VC安装目录 " + vs2022)) << U8(located.text);
    // What the refused link left unbuilt is built now.
    EXPECT_EQ("core:已编译 net:已编译 viewer:已编译", U8(located.Walk())) << U8(located.text);
    locator.Names(L"");
    Run_st none = program.Run({L"build", L"新版", L"--vc-dir", L"auto"});
    EXPECT_EQ(2, none.exit) << U8(none.text);
    EXPECT_TRUE(none.Has(L"没有找到VC安装目录")) << U8(none.text);
}

// ---------------------------------------------------------------------------
// Files of a plan that cannot be read: each costs its own row or its own
// solution, says so by name, and the rest of the plan is built.

namespace {

// The printed line right after the first line that starts with start.
String_cl LineAfter(const std::vector<String_cl>& lines, const String_cl& start)
{
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].StartsWith(start)) return lines[i + 1];
    return L"<no such line>";
}

size_t IndexOfLine(const std::vector<String_cl>& lines, const String_cl& piece)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(piece) != String_cl::npos) return i;
    return lines.size();
}

} // namespace

// Project files a crashed editor, a merge, a careless tool or a hostile user
// leaves, as rows of one plan beside good ones in two solutions: each fails
// as unreadable without a build, naming its file, while every other row is
// read and built; the console, the JUnit file and the report say why.
TEST_F(ConsoleTest, HostileProjectFilesFailOnlyTheirOwnRows)
{
    const std::string head = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n";
    std::string deep = head + "<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"deep\">";
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    for (int i = 0; i < 100000; ++i) deep += "</a>";
    deep += "</VisualStudioProject>\r\n";
    const struct {
        const wchar_t* name;
        std::string bytes;
    } hostile[] = {
        {L"cut", head + "<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"cut\"><Configurations>"},
        {L"nulref", head + "<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"nul&#0;ref\">"
                           "<Configurations/></VisualStudioProject>\r\n"},
        {L"deep", deep},
        {L"notxml", "this is no project file at all\r\n"},
        {L"empty", ""},
        {L"binary", std::string("\x00\x01\xFF\xFE\x89PNG\x1A\x00", 10)},
    };
    std::vector<SlnEntry_st> entries{{kVcType, L"Good", L"Good\\Good.vcproj", Workspace_cl::Guid(71)}};
    ws.Project(L"Hostile", {L"Good", L"lib", L""});
    int guid = 72;
    for (const auto& h : hostile) {
        const String_cl path = ws / (L"Hostile\\" + String_cl(h.name) + L"\\" + h.name + L".vcproj");
        Test_ns::CreateFolders(path);
        ASSERT_TRUE(Test_ns::WriteBytes(path, h.bytes));
        entries.push_back({kVcType, h.name, String_cl(h.name) + L"\\" + h.name + L".vcproj", Workspace_cl::Guid(guid++)});
    }
    // A folder named nul is a folder, read through the file system like any
    // other (only a last path part is a device): a good project there builds.
    const String_cl nulFolder = ws / L"Hostile\\nul";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + nulFolder).c_str(), nullptr));
    ASSERT_TRUE(Test_ns::WriteVcprojAndSources(nulFolder + L"\\InNul.vcproj", Vcproj({L"InNul", L"lib", L""}),
                                               "int InNul() { return 1; }\r\n"));
    entries.push_back({kVcType, L"InNul", L"nul\\InNul.vcproj", Workspace_cl::Guid(guid++)});
    entries.push_back({kVcType, L"After", L"After\\After.vcproj", Workspace_cl::Guid(guid++)});
    ws.Project(L"Hostile", {L"After", L"lib", L"Good.lib"});
    const String_cl hostileSln = ws.Solution(L"Hostile\\Hostile.sln", entries);
    ws.Project(L"Second", {L"Tool", L"exe", L"Good.lib After.lib"});
    const String_cl second = ws.Solution(L"Second\\Second.sln", {{kVcType, L"Tool", L"Tool\\Tool.vcproj", Workspace_cl::Guid(90)}});
    ASSERT_EQ(0, program.Run({L"add", L"敌意", hostileSln, second}).exit);

    Run_st show = program.Run({L"show", L"敌意"});
    EXPECT_EQ(1, show.exit) << "rows that will fail are no success: " << U8(show.text);
    for (const auto& h : hostile)
        EXPECT_TRUE(LineAfter(show.Lines(), String_cl(h.name) + L"\t").StartsWith(L"    无法读取工程文件："))
            << U8(String_cl(h.name)) << ": " << U8(show.text);

    const String_cl junit = program.Dir() + L"j.xml";
    Run_st run = program.Run({L"rebuild", L"敌意", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--keep-going", L"--report", junit});
    EXPECT_EQ(1, run.exit) << U8(run.text);
    const std::vector<String_cl> lines = run.Lines();
    std::map<String_cl, String_cl> states;
    for (const Row_st& r : run.Rows()) states[r.name] = r.state;
    for (const wchar_t* good : {L"Good", L"InNul", L"After", L"Tool"}) EXPECT_EQ(states[good], L"已编译") << U8(String_cl(good));
    const String_cl html = String_cl::FromUtf8(Test_ns::ReadBytes(program.Dir() + L"编译日志\\报告.html"));
    XmlNode_st root;
    ASSERT_TRUE(LoadXml(junit, root)) << "the JUnit file is well-formed XML";
    std::vector<String_cl> problems;
    CheckJUnitForm(root, root.name, problems);
    EXPECT_TRUE(problems.empty()) << U8(Join(problems, L"\n"));
    ASSERT_EQ(root.children.size(), 2u);
    for (const auto& h : hostile) {
        SCOPED_TRACE(U8(String_cl(h.name)));
        const String_cl file = ws / (L"Hostile\\" + String_cl(h.name) + L"\\" + h.name + L".vcproj");
        EXPECT_EQ(states[h.name], L"编译失败");
        const String_cl reason = LineAfter(lines, L"  " + String_cl(h.name) + L"  ");
        EXPECT_TRUE(reason.StartsWith(L"    无法读取工程文件：")) << U8(reason);
        EXPECT_NE(reason.find(file), String_cl::npos) << U8(reason);
        // Not built: no log, nothing in the failed folder.
        EXPECT_FALSE(FileExists(program.FailedLogs() + h.name + L".log"));
        const XmlNode_st* c = Child(root.children[0], L"testcase", L"name", String_cl(h.name) + L" (Debug|Win32)");
        ASSERT_NE(c, nullptr);
        const XmlNode_st* failure = Child(*c, L"failure");
        ASSERT_NE(failure, nullptr);
        EXPECT_EQ(Attribute(failure, L"message"), reason.substr(4));
        EXPECT_NE(html.find(reason.substr(4)), String_cl::npos) << "the report's first-error column";
    }
    EXPECT_EQ(Attribute(&root, L"failures"), String_cl::FromInt(static_cast<long long>(std::size(hostile))));
    EXPECT_EQ(Attribute(&root, L"tests"), String_cl::FromInt(static_cast<long long>(std::size(hostile) + 4)));
    // The list of root failures at the end names each with its reason.
    const size_t failures = IndexOfLine(lines, L"失败的工程（根源在前，连带失败在其下）：");
    ASSERT_LT(failures, lines.size()) << U8(run.text);
    for (const auto& h : hostile)
        EXPECT_LT(IndexOfLine(std::vector<String_cl>(lines.begin() + failures, lines.end()),
                              L"  " + String_cl(h.name) + L"：无法读取工程文件："),
                  lines.size() - failures)
            << U8(String_cl(h.name));

    // A build of some rows only (a pipeline's job) is judged by those rows:
    // the unreadable ones outside it, failed a run ago and failing again in
    // any build of them, are another job's.
    Run_st only = program.Run({L"build", L"敌意", L"--only", L"Good,Tool", L"--vc-dir", Test_ns::StandinDir(L"zh")});
    EXPECT_EQ(0, only.exit) << U8(only.text);
    EXPECT_FALSE(only.Has(L"编译失败")) << U8(only.text);
    Run_st withCut = program.Run({L"build", L"敌意", L"--only", L"Good,cut", L"--vc-dir", Test_ns::StandinDir(L"zh")});
    EXPECT_EQ(1, withCut.exit) << U8(withCut.text);
    EXPECT_TRUE(withCut.Has(L"  cut：无法读取工程文件：")) << U8(withCut.text);
}

// A solution file that can no longer be read (garbage, an empty file, one
// cut short) is a user error that names it; it does not end the plan: the
// plan is read whole before anything is cleaned, the other solutions are
// cleaned and built, and the unreadable ones are not cleaned.
TEST_F(ConsoleTest, ASolutionThatCannotBeReadIsNamedAndTheRestIsBuilt)
{
    ws.Project(L"Fine", {L"Fine", L"lib", L""});
    const String_cl fine = ws.Solution(L"Fine\\Fine.sln", {{kVcType, L"Fine", L"Fine\\Fine.vcproj", Workspace_cl::Guid(81)}});
    ws.Project(L"Cut", {L"Lost", L"lib", L""});
    const String_cl cut = ws.Solution(L"Cut\\Cut.sln", {{kVcType, L"Lost", L"Lost\\Lost.vcproj", Workspace_cl::Guid(82)}});
    const String_cl garbage = ws.Solution(L"Garbage\\Garbage.sln", {});
    ASSERT_EQ(0, program.Run({L"add", L"坏", cut, garbage, fine}).exit);
    // Lost was built before; its solution is cut short now. Were it cleaned,
    // its library would be gone with no row to build it again.
    ASSERT_EQ(0, program.Run({L"build", L"坏", L"--vc-dir", Test_ns::StandinDir(L"zh")}).exit);
    const String_cl lost = ws / L"lib\\Debug\\Lost.lib";
    ASSERT_TRUE(FileExists(lost));
    const std::string whole = Test_ns::ReadBytes(cut);
    ASSERT_TRUE(Test_ns::WriteBytes(cut, whole.substr(0, whole.find("Global"))));
    ASSERT_TRUE(Test_ns::WriteBytes(garbage, "\x89PNG\r\n\x1A\n garbage"));

    Run_st run = program.Run({L"rebuild", L"坏", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--keep-going"});
    EXPECT_EQ(2, run.exit) << U8(run.text);
    const std::vector<String_cl> lines = run.Lines();
    const size_t cutError = IndexOfLine(lines, L"错误的解决方案，文件不完整，检测不到EndGlobal。");
    const size_t garbageError = IndexOfLine(lines, L"错误的解决方案，这不是Visual Studio的解决方案文件。");
    ASSERT_LT(cutError, lines.size()) << U8(run.text);
    ASSERT_LT(garbageError, lines.size()) << U8(run.text);
    EXPECT_TRUE(run.Has(cut)) << U8(run.text);
    EXPECT_TRUE(run.Has(garbage)) << U8(run.text);
    const size_t cleaning = IndexOfLine(lines, L"正在清理解决方案");
    ASSERT_LT(cleaning, lines.size()) << U8(run.text);
    EXPECT_LT(cutError, cleaning) << "read whole before anything is cleaned";
    EXPECT_LT(garbageError, cleaning) << "read whole before anything is cleaned";
    EXPECT_TRUE(run.HasLine(L"  Fine.sln  清理完成")) << U8(run.text);
    EXPECT_FALSE(run.Has(L"正在清理解决方案Cut")) << U8(run.text);
    EXPECT_FALSE(run.Has(L"正在清理解决方案Garbage")) << U8(run.text);
    EXPECT_TRUE(FileExists(lost)) << "the cut solution's outputs were cleaned";
    EXPECT_EQ("Fine:已编译", U8(run.Walk())) << U8(run.text);
}

// The Chinese builder of 2005 writes its counters with the count first
// ("生成: 0 已成功, 1 已失败, 0 最新, 0 已跳过"): a failed row fails, its log
// goes to the failed folder, the others build, and a rebuild's counters
// ("全部重新生成: …") and its clean's ("清理: …") are read too.
TEST_F(ConsoleTest, Vs2005ChineseCountersFailOrPassTheirRows)
{
    ws.Project(L"Old", {L"Broken", L"lib", L"", true});
    ws.Project(L"Old", {L"Fine", L"lib", L""});
    const String_cl old = ws.Solution(L"Old\\Old.sln", {{kVcType, L"Broken", L"Broken\\Broken.vcproj", Workspace_cl::Guid(91)},
                                                        {kVcType, L"Fine", L"Fine\\Fine.vcproj", Workspace_cl::Guid(92)}});
    ASSERT_EQ(0, program.Run({L"add", L"旧", old}).exit);
    const String_cl vs2005 = Test_ns::StandinDir(L"zh", L"vs2005");
    for (const wchar_t* job : {L"build", L"rebuild"}) {
        SCOPED_TRACE(U8(String_cl(job)));
        Run_st run = program.Run({job, L"旧", L"--vc-dir", vs2005, L"--keep-going"});
        EXPECT_EQ(1, run.exit) << U8(run.text);
        EXPECT_EQ("Broken:编译失败 Fine:已编译", U8(run.Walk())) << U8(run.text);
        EXPECT_FALSE(run.Has(L"系统错误")) << U8(run.text);
        const String_cl failedLog = Test_ns::ReadText(program.FailedLogs() + L"Broken.log");
        EXPECT_NE(failedLog.find(L"1 已失败"), String_cl::npos) << U8(failedLog);
        EXPECT_TRUE(FileExists(program.GoodLogs() + L"Fine.log"));
    }
    Run_st clean = program.Run({L"clean", L"旧", L"--vc-dir", vs2005});
    EXPECT_EQ(0, clean.exit) << U8(clean.text);
    EXPECT_TRUE(clean.HasLine(L"  Old.sln  清理完成")) << U8(clean.text);
}

// A project the solution builds in a configuration the reader did not find
// in its file is never left out silently: its row is built (the solution
// decides what the builder builds) and the console, show and the JUnit file
// say what could not be read; the builder's verdict stands. A project the
// solution does not build in that configuration stays ignored.
TEST_F(ConsoleTest, RowsTheSolutionBuildsAreBuiltWhenTheirConfigurationWasNotRead)
{
    ws.Project(L"Mixed", {L"OnlyRelease", L"lib", L"", false, L"Release|Win32"});
    ws.Project(L"Mixed", {L"NotBuilt", L"lib", L"", false, L"Release|Win32"});
    ws.Project(L"Mixed", {L"Plain", L"lib", L""});
    const String_cl sln =
        ws.Solution(L"Mixed\\Mixed.sln", {{kVcType, L"OnlyRelease", L"OnlyRelease\\OnlyRelease.vcproj", Workspace_cl::Guid(93)},
                                          {kVcType, L"NotBuilt", L"NotBuilt\\NotBuilt.vcproj", Workspace_cl::Guid(94), false},
                                          {kVcType, L"Plain", L"Plain\\Plain.vcproj", Workspace_cl::Guid(95)}});
    ASSERT_EQ(0, program.Run({L"add", L"混合", sln}).exit);
    const String_cl note = L"    工程文件未能完整读取：找不到解决方案要编译的配置“Debug|Win32”，读到的配置：RELEASE|WIN32。照常编译。";

    Run_st show = program.Run({L"show", L"混合"});
    EXPECT_EQ(0, show.exit) << U8(show.text);
    EXPECT_EQ(LineAfter(show.Lines(), L"OnlyRelease\t"), note) << U8(show.text);
    EXPECT_TRUE(show.HasLine(L"工程总数 3，忽略 1，编译工程 0/2")) << U8(show.text);

    const String_cl junit = program.Dir() + L"j.xml";
    Run_st run = program.Run({L"build", L"混合", L"--vc-dir", Test_ns::StandinDir(L"zh"), L"--keep-going", L"--report", junit});
    EXPECT_EQ(1, run.exit) << U8(run.text);
    EXPECT_EQ("OnlyRelease:编译失败 Plain:已编译", U8(run.Walk())) << U8(run.text);
    const std::vector<String_cl> lines = run.Lines();
    // Its first error (the builder's own word on the configuration), then the note.
    EXPECT_NE(LineAfter(lines, L"  OnlyRelease  ").find(L"PRJ0019"), String_cl::npos) << U8(run.text);
    const size_t row = IndexOfLine(lines, L"  OnlyRelease  ");
    ASSERT_LT(row + 2, lines.size());
    EXPECT_EQ(lines[row + 2], note);
    EXPECT_EQ("工程总数 3，忽略 1，编译失败 1，编译工程 1/2", U8(run.Counters())) << U8(run.text);
    XmlNode_st root;
    ASSERT_TRUE(LoadXml(junit, root));
    const XmlNode_st* c = Child(root.children.at(0), L"testcase", L"name", L"OnlyRelease (Debug|Win32)");
    ASSERT_NE(c, nullptr);
    ASSERT_NE(Child(*c, L"failure"), nullptr);
    EXPECT_NE(Child(*c, L"failure")->text.find(L"读取说明：" + note.substr(4)), String_cl::npos)
        << U8(Child(*c, L"failure")->text);
}
