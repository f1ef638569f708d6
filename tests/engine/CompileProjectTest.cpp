// The row build against the builder stand-in: the walk that learns the
// library order and keeps it, failed providers, circles, the temporary
// renaming and its record, log placement, and builds that leave no log.
// The stand-in edition follows the code page the test runs under (Chinese
// under 936, English under 1252).
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>
#include "app/engine/MProjectPack.h"
#include "app/engine/RenameJournal.h"
#include "app/ProgramPlaces.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Test_ns::TempDir_cl;

namespace {

struct TestProject_st {
    std::string name;
    std::vector<std::string> needs;  // libraries it links
    bool program = false;            // a linker output ..\out\bin\<name>.exe, else ..\out\lib\<name>.lib
    bool broken = false;             // its source holds #error
};

String_cl Wide(const std::string& s) { return String_cl::FromMultiByte(s, CP_ACP); }

// Everything it builds goes under out (..\out: beside the projects' folders).
// Written in Windows-1252, as a Western system has it.
Test_ns::VcProject_st Vcproj(const TestProject_st& s, const String_cl& out = L"..\\out",
                             const String_cl& configuration = L"Debug|Win32")
{
    String_cl needs;
    for (const std::string& n : s.needs) needs += (needs.empty() ? L"" : L" ") + Wide(n);
    const Test_ns::VcTool_st tool = s.program ? Test_ns::Linker(out + L"\\bin\\$(ProjectName).exe")
                                              : Test_ns::Librarian(out + L"\\lib\\$(ProjectName).lib");
    return {Wide(s.name),
            {{configuration,
              s.program ? 1 : 4,
              {Test_ns::Compiler(), tool.Dependencies(needs).LibraryFolders(out + L"\\lib")},
              {{L"OutputDirectory", out}, {L"IntermediateDirectory", out + L"\\obj\\$(ProjectName)"}}}},
            {Wide(s.name) + L".cpp"}};
}

struct FileInfo_st {
    DWORD attributes;
    uint64_t size;
    uint64_t written;
    bool operator==(const FileInfo_st& o) const
    {
        return attributes == o.attributes && size == o.size && written == o.written;
    }
};
using Listing_t = std::map<String_cl, FileInfo_st>;

void ListInto(const String_cl& root, const String_cl& relative, Listing_t& out)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((root + relative + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        String_cl name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        String_cl rel = relative + name;
        out[rel] = {fd.dwFileAttributes, (uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow,
                    (uint64_t(fd.ftLastWriteTime.dwHighDateTime) << 32) | fd.ftLastWriteTime.dwLowDateTime};
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListInto(root, rel + L"\\", out);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// Everything under root except what the builder itself writes (out\).
Listing_t List(const String_cl& root)
{
    Listing_t all;
    ListInto(root, String_cl(), all);
    Listing_t kept;
    for (const auto& [name, info] : all)
        if (name != L"out" && !name.StartsWith(L"out\\")) kept[name] = info;
    return kept;
}

// Everything listed before is still there, unchanged (attributes, size,
// time written), and nothing but the names given has been added.
void ExpectOnlyAdded(const String_cl& root, const Listing_t& before, const std::set<String_cl>& expected)
{
    const Listing_t after = List(root);
    std::set<String_cl> added;
    for (const auto& [name, info] : after)
        if (!before.count(name)) added.insert(name);
    EXPECT_EQ(added, expected);
    for (const auto& [name, info] : before) {
        auto it = after.find(name);
        if (it == after.end()) {
            ADD_FAILURE() << "gone: " << Test_ns::Ansi(name);
        } else if (!(info.attributes & FILE_ATTRIBUTE_DIRECTORY) && !(it->second == info)) {
            ADD_FAILURE() << "changed: " << Test_ns::Ansi(name);
        }
    }
}

const std::set<String_cl> kLogFolders{L"编译日志", L"编译日志\\正常"};

std::set<String_cl> LogFoldersAnd(std::initializer_list<const wchar_t*> names)
{
    std::set<String_cl> s = kLogFolders;
    for (const wchar_t* n : names) s.insert(n);
    return s;
}

bool HasTemporaryFile(const String_cl& folder)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\Temp*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

struct Step_st {
    String_cl name;
    int32_t state;
    int result;
    bool operator==(const Step_st& o) const { return name == o.name && state == o.state && result == o.result; }
};

std::ostream& operator<<(std::ostream& os, const Step_st& s)
{
    return os << Test_ns::Ansi(s.name) << ":" << s.state << ":" << s.result;
}

// Sets an environment variable for the builds of one test.
class EnvironmentScope_cl {
public:
    EnvironmentScope_cl(const wchar_t* name, const wchar_t* value) : m_name(name)
    {
        SetEnvironmentVariableW(name, value);
    }
    ~EnvironmentScope_cl() { SetEnvironmentVariableW(m_name, nullptr); }

private:
    const wchar_t* m_name;
};

// What a background observer sees of the project folder during a build.
struct Seen_st {
    std::atomic<bool> originalGone{false};
    std::atomic<bool> temporaryThere{false};
    std::atomic<bool> recorded{false};
    std::atomic<bool> wrapperPointsAtTemporary{false};
};

void Observe(const String_cl& folder, const String_cl& original, const String_cl& wrapper,
             std::atomic<bool>& stop, Seen_st& seen)
{
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    while (!stop) {
        if (!Test_ns::FileExists(original)) seen.originalGone = true;
        if (HasTemporaryFile(folder)) seen.temporaryThere = true;
        for (const auto& e : RenameJournal_cl::Entries())
            if (Base_ns::EqualsNoCase(e.original, original)) seen.recorded = true;
        if (!wrapper.IsEmpty()) {
            WIN32_FIND_DATAW fd;
            HANDLE h = FindFirstFileW((folder + L"\\Temp*.icproj").c_str(), &fd);
            if (h != INVALID_HANDLE_VALUE) {
                FindClose(h);
                String_cl text = Test_ns::ReadText(folder + L"\\" + fd.cFileName);
                String_cl nested = ReplaceExtension(String_cl(fd.cFileName), L"vcproj");
                if (text.find(L"VCNestedProjectFileName=\"" + nested + L"\"") != String_cl::npos &&
                    Test_ns::FileExists(folder + L"\\" + nested))
                    seen.wrapperPointsAtTemporary = true;
            }
        }
        Sleep(20);
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

class CompileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        program = ws / L"prog\\";
        CreateDirectoryW(program.c_str(), nullptr);
        OverrideModuleDirectory(program);
        normal = ws / L"编译日志\\正常\\";
        failed = ws / L"编译日志\\错误\\";
        chinese = GetACP() == 936;
        vcDir = Test_ns::StandinDir(chinese ? L"zh" : L"en");
        SetRenameCompile(true);
    }
    void TearDown() override
    {
        SetRenameCompile(true);
        ClearRows(rows, projects);
        OverrideModuleDirectory(String_cl());
        if (m_com) CoUninitialize();
    }

    String_cl Write(const TestProject_st& s)
    {
        const String_cl path = ws / Wide(s.name) + L"\\" + Wide(s.name) + L".vcproj";
        EXPECT_TRUE(Test_ns::WriteVcprojAndSources(
            path, Vcproj(s), s.broken ? "#error broken on purpose\r\n" : "int f() { return 0; }\r\n", 1252));
        return path;
    }

    MProjectId_cl Add(const TestProject_st& s) { return RowFor(L"Debug|Win32", rows, Write(s), projects, sequences); }

    MProjectId_cl Row(const wchar_t* name)
    {
        for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
            if (it->project->name == name) return it;
        return MProjectId_cl();
    }

    std::vector<String_cl> RowNames(MProjectPack_cl& list)
    {
        std::vector<String_cl> names;
        for (MProjectId_cl it = list.First(); !it.IsEmpty(); it = it.Next()) names.push_back(it->project->name);
        return names;
    }

    std::vector<String_cl> SequenceNames()
    {
        std::vector<String_cl> names;
        int expected = 1;
        for (SerialId_cl it = sequences.First(); !it.IsEmpty(); it = it.Next(), ++expected) {
            EXPECT_EQ(it->order, expected);
            names.push_back(GetFileTitle(it->path));
        }
        return names;
    }

    int Build(MProjectId_cl& row, bool rebuild = false, MProjectPack_cl* list = nullptr,
              ProjectPack_cl* store = nullptr)
    {
        return CompileProject(sequences, failed, list ? *list : rows, row, store ? *store : projects, normal,
                              vcDir, rebuild);
    }

    // Builds from the first pending row until the row build says there is
    // nothing left, as the build job does.
    std::vector<Step_st> Walk(MProjectPack_cl& list, ProjectPack_cl& store, int limit = 20)
    {
        std::vector<Step_st> steps;
        MProjectId_cl row = FirstPending(list);
        while (!row.IsEmpty() && int(steps.size()) < limit) {
            MProjectId_cl built = row;
            int result = Build(row, false, &list, &store);
            steps.push_back({built->project->name, built->state, result});
        }
        return steps;
    }
    std::vector<Step_st> Walk() { return Walk(rows, projects); }

    // Builds row with each build slowed down, while another thread watches
    // the project folder and the rename record.
    void BuildWatched(std::initializer_list<MProjectId_cl> list, const String_cl& folder, const String_cl& original,
                      const String_cl& wrapper, Seen_st& seen)
    {
        std::atomic<bool> stop{false};
        EnvironmentScope_cl slow(L"QV_STANDIN_DELAY_MS", L"1200");
        std::thread observer(Observe, folder, original, wrapper, std::ref(stop), std::ref(seen));
        for (MProjectId_cl r : list) EXPECT_EQ(Build(r), 1);
        stop = true;
        observer.join();
    }

    TempDir_cl ws{L"qv-compile"};
    String_cl program, normal, failed, vcDir;
    bool chinese = true;
    SerialPack_cl sequences;
    ProjectPack_cl projects;
    MProjectPack_cl rows;

private:
    bool m_com = false;
};

using Names = std::vector<String_cl>;
using Steps = std::vector<Step_st>;

TEST_F(CompileTest, FirstWalkLearnsTheLibraryOrderAndTheSecondBuildsStraightThrough)
{
    // app needs gui, gui needs net, net needs base; listed the wrong way round.
    Add({"app", {"gui.lib"}, true});
    Add({"gui", {"net.lib"}});
    Add({"net", {"base.lib"}});
    Add({"base", {}});
    ASSERT_EQ(RowNames(rows), (Names{L"app", L"gui", L"net", L"base"}));

    // Each failed link moves the provider right before its consumer, in the
    // rows and in the sequence, and the provider is built next.
    MProjectId_cl row = FirstPending(rows);
    EXPECT_EQ(Build(row), 1);
    EXPECT_EQ(Row(L"app")->state, LibraryDependency);
    EXPECT_EQ(row->project->name, L"gui");
    EXPECT_EQ(RowNames(rows), (Names{L"gui", L"app", L"net", L"base"}));
    EXPECT_EQ(SequenceNames(), (Names{L"gui", L"app", L"net", L"base"}));
    EXPECT_EQ(projects.ProjectState(Row(L"app")->project, L"Debug|Win32"), LibraryDependency);

    EXPECT_EQ(Build(row), 1);
    EXPECT_EQ(row->project->name, L"net");
    EXPECT_EQ(RowNames(rows), (Names{L"net", L"gui", L"app", L"base"}));
    EXPECT_EQ(SequenceNames(), (Names{L"net", L"gui", L"app", L"base"}));

    EXPECT_EQ(Build(row), 1);
    EXPECT_EQ(row->project->name, L"base");
    EXPECT_EQ(RowNames(rows), (Names{L"base", L"net", L"gui", L"app"}));
    EXPECT_EQ(SequenceNames(), (Names{L"base", L"net", L"gui", L"app"}));

    // From here on every link finds its library: the walk goes straight down.
    Steps rest;
    while (!row.IsEmpty() && rest.size() < 10) {
        MProjectId_cl built = row;
        int result = Build(row);
        rest.push_back({built->project->name, built->state, result});
    }
    EXPECT_EQ(rest, (Steps{{L"base", Compiled, 1}, {L"net", Compiled, 1}, {L"gui", Compiled, 1},
                           {L"app", Compiled, 1}}));
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        EXPECT_EQ(it->state, Compiled) << Test_ns::Ansi(it->project->name);
        EXPECT_EQ(projects.ProjectState(it->project, L"Debug|Win32"), Compiled);
        EXPECT_EQ(it->log, normal + it->project->name + L".log");
        EXPECT_EQ(projects.LogPath(it->project, L"debug|win32"), it->log);
        EXPECT_TRUE(Test_ns::FileExists(it->log));
    }
    EXPECT_TRUE(Test_ns::FileExists(ws / L"out\\bin\\app.exe"));

    // The log is the edition's own.
    String_cl log = Test_ns::ReadText(normal + L"app.log");
    EXPECT_NE(log.find(chinese ? L"========== 生成: 成功 1 个" : L"========== Build: 1 succeeded"), String_cl::npos)
        << Test_ns::Ansi(log);

    // Another run: fresh project records and rows over the learned sequence,
    // the projects listed in the same wrong order, everything to build anew.
    Test_ns::RemoveTree(ws / L"out");
    ProjectPack_cl store;
    MProjectPack_cl again;
    for (const wchar_t* name : {L"app", L"gui", L"net", L"base"})
        RowFor(L"Debug|Win32", again, ws / (String_cl(name) + L"\\" + name + L".vcproj"), store, sequences);
    EXPECT_EQ(RowNames(again), (Names{L"base", L"net", L"gui", L"app"}));
    EXPECT_EQ(Walk(again, store), (Steps{{L"base", Compiled, 1}, {L"net", Compiled, 1}, {L"gui", Compiled, 1},
                                         {L"app", Compiled, 1}}));
    for (const wchar_t* name : {L"base", L"net", L"gui", L"app"}) {
        String_cl text = Test_ns::ReadText(normal + name + L".log");
        EXPECT_EQ(text.find(L"LNK"), String_cl::npos) << Test_ns::Ansi(text);
    }
    EXPECT_EQ(SequenceNames(), (Names{L"base", L"net", L"gui", L"app"}));
    ClearRows(again, store);
}

TEST_F(CompileTest, ProviderThatFailedEarlierMakesItsConsumerFailWithoutAMove)
{
    Add({"base", {}, false, true});
    Add({"net", {"base.lib"}});
    EXPECT_EQ(Walk(), (Steps{{L"base", CompileFailed, 0}, {L"net", CompileFailed, 0}}));
    EXPECT_EQ(RowNames(rows), (Names{L"base", L"net"}));
    EXPECT_EQ(SequenceNames(), (Names{L"base", L"net"}));
    String_cl log = Test_ns::ReadText(failed + L"net.log");
    EXPECT_NE(log.find(L"LNK1104"), String_cl::npos) << "net failed on its link, not on its own source";
    // net is a knock-on failure of base; base failed on its own.
    EXPECT_EQ(Row(L"net")->failedBecauseOf, Row(L"base").Serial());
    EXPECT_EQ(Row(L"base")->failedBecauseOf, 0u);
}

TEST_F(CompileTest, ProviderBelowIsMovedUpEvenWhenItThenFails)
{
    Add({"net", {"base.lib"}});
    Add({"base", {}, false, true});
    // net waits, base is moved above it and fails, net then fails on it.
    EXPECT_EQ(Walk(), (Steps{{L"net", LibraryDependency, 1}, {L"base", CompileFailed, 0},
                             {L"net", CompileFailed, 0}}));
    EXPECT_EQ(RowNames(rows), (Names{L"base", L"net"}));
    EXPECT_EQ(SequenceNames(), (Names{L"base", L"net"}));
}

TEST_F(CompileTest, LibrariesThatNeedEachOtherEndTheWalkInsteadOfLoopingForEver)
{
    Add({"left", {"right.lib"}});
    Add({"right", {"left.lib"}});
    EXPECT_EQ(Walk(), (Steps{{L"left", LibraryDependency, 1}, {L"right", CompileFailed, 0},
                             {L"left", CompileFailed, 0}}));

    // A project that links its own output is the smallest such circle.
    MProjectPack_cl alone;
    RowFor(L"Debug|Win32", alone, Write({"self", {"self.lib"}}), projects, sequences);
    EXPECT_EQ(Walk(alone, projects), (Steps{{L"self", CompileFailed, 0}}));
    ClearRows(alone, projects);
}

TEST_F(CompileTest, LibraryMissingEverywhereFailsAndTheWalkMovesOn)
{
    Add({"net", {"nowhere.lib"}});
    Add({"base", {}});
    EXPECT_EQ(Walk(), (Steps{{L"net", CompileFailed, 0}, {L"base", Compiled, 1}}));
    EXPECT_EQ(RowNames(rows), (Names{L"net", L"base"}));

    // Built again (the job's single-row rebuild): the project is up to date
    // when nothing changed, and a rebuild compiles it again.
    MProjectId_cl base = Row(L"base");
    MProjectId_cl row = base;
    EXPECT_EQ(Build(row), 1);
    EXPECT_EQ(base->state, CompiledUnchanged);
    EXPECT_TRUE(row.IsEmpty());
    row = base;
    EXPECT_EQ(Build(row, true), 1);
    EXPECT_EQ(base->state, Compiled);
    String_cl log = Test_ns::ReadText(base->log);
    EXPECT_NE(log.find(chinese ? L"========== 全部重新生成: " : L"========== Rebuild All: "), String_cl::npos);
}

TEST_F(CompileTest, RenameCompileBuildsUnderATemporaryNameAndPutsEverythingBack)
{
    MProjectId_cl row = Add({"net", {}});
    const String_cl path = row->project->path;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const std::string content = Test_ns::ReadBytes(path);
    const Listing_t before = List(ws.Path());
    ASSERT_EQ(before.at(L"net\\net.vcproj").attributes & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));

    Seen_st seen;
    BuildWatched({row}, ws / L"net", path, String_cl(), seen);
    EXPECT_EQ(row->state, Compiled);
    EXPECT_TRUE(seen.originalGone) << "the project file was not moved away during the build";
    EXPECT_TRUE(seen.temporaryThere);
    EXPECT_TRUE(seen.recorded) << "the rename was not in the record while it lasted";

    // Same name, content, attributes (read-only and hidden) and time.
    EXPECT_EQ(Test_ns::ReadBytes(path), content);
    ExpectOnlyAdded(ws.Path(), before, LogFoldersAnd({L"编译日志\\正常\\net.log"}));
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path())) << "the record outlived the build";
}

TEST_F(CompileTest, RenameCompileOfAnIntelProjectMovesTheWrappedProjectAndDropsTheWrapper)
{
    Write({"intel", {}});
    const String_cl folder = ws / L"intel";
    const String_cl icproj = folder + L"\\intel.icproj", vcproj = folder + L"\\intel.vcproj";
    ASSERT_TRUE(Test_ns::WriteXml(icproj, Test_ns::WrapperText(L"intel.vcproj")));
    SetFileAttributesW(vcproj.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(icproj.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string vcContent = Test_ns::ReadBytes(vcproj), icContent = Test_ns::ReadBytes(icproj);
    MProjectId_cl row = RowFor(L"Debug|Win32", rows, icproj, projects, sequences);
    ASSERT_EQ(row->output, L"intel.lib");
    const Listing_t before = List(ws.Path());

    Seen_st seen;
    BuildWatched({row}, folder, vcproj, icproj, seen);
    EXPECT_EQ(row->state, Compiled);
    EXPECT_TRUE(seen.originalGone);
    EXPECT_TRUE(seen.wrapperPointsAtTemporary) << "devenv was not given a wrapper of the moved project";
    EXPECT_TRUE(seen.recorded);
    EXPECT_TRUE(Test_ns::FileExists(ws / L"out\\lib\\intel.lib"));

    EXPECT_EQ(Test_ns::ReadBytes(vcproj), vcContent);
    EXPECT_EQ(Test_ns::ReadBytes(icproj), icContent);
    ExpectOnlyAdded(ws.Path(), before, LogFoldersAnd({L"编译日志\\正常\\intel.log"}));
    EXPECT_FALSE(HasTemporaryFile(folder)) << "a temporary wrapper or project was left behind";
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));

    // A scanner holds the new wrapper open (without delete sharing) past the
    // build's end: the wrapper still goes once it lets go.
    std::atomic<bool> held{false};
    std::thread scanner([&] {
        HANDLE h = INVALID_HANDLE_VALUE;
        for (int i = 0; i < 3000 && h == INVALID_HANDLE_VALUE; ++i) {
            WIN32_FIND_DATAW fd;
            HANDLE find = FindFirstFileW((folder + L"\\Temp*.icproj").c_str(), &fd);
            if (find != INVALID_HANDLE_VALUE) {
                FindClose(find);
                h = CreateFileW((folder + L"\\" + fd.cFileName).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            }
            if (h == INVALID_HANDLE_VALUE) Sleep(5);
        }
        if (h == INVALID_HANDLE_VALUE) return;
        held = true;
        Sleep(2500);
        CloseHandle(h);
    });
    {
        EnvironmentScope_cl quick(L"QV_STANDIN_DELAY_MS", L"300");
        EXPECT_EQ(Build(row), 1);
    }
    scanner.join();
    EXPECT_TRUE(held);
    EXPECT_FALSE(HasTemporaryFile(folder)) << "a wrapper held open at the build's end was left behind";
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));
}

TEST_F(CompileTest, WithRenameCompileOffOnlyTheLogAppears)
{
    MProjectId_cl row = Add({"net", {}});
    Write({"icx", {}});
    const String_cl icproj = ws / L"icx\\icx.icproj";
    ASSERT_TRUE(Test_ns::WriteXml(icproj, Test_ns::WrapperText()));
    MProjectId_cl intel = RowFor(L"Debug|Win32", rows, icproj, projects, sequences);
    SetFileAttributesW(row->project->path.c_str(), FILE_ATTRIBUTE_READONLY);
    SetRenameCompile(false);
    EXPECT_FALSE(RenameCompile());
    const Listing_t before = List(ws.Path());

    Seen_st seen;
    BuildWatched({row, intel}, ws / L"net", row->project->path, String_cl(), seen);
    EXPECT_FALSE(seen.originalGone);
    EXPECT_FALSE(seen.temporaryThere);
    EXPECT_FALSE(seen.recorded);
    EXPECT_EQ(row->state, Compiled);
    EXPECT_EQ(intel->state, Compiled);
    ExpectOnlyAdded(ws.Path(), before, LogFoldersAnd({L"编译日志\\正常\\net.log", L"编译日志\\正常\\icx.log"}));
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));
}

TEST_F(CompileTest, FailedLogGoesToTheErrorFolderReplacingAnOlderOneAndASuccessClearsIt)
{
    MProjectId_cl row = Add({"bad", {}, false, true});
    MProjectId_cl r = row;
    EXPECT_EQ(Build(r), 0);
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(row->state, CompileFailed);
    EXPECT_EQ(row->log, failed + L"bad.log");
    EXPECT_FALSE(Test_ns::FileExists(normal + L"bad.log"));
    EXPECT_NE(Test_ns::ReadText(row->log).find(L"C1189"), String_cl::npos);
    EXPECT_EQ(projects.ProjectState(row->project, L"Debug|Win32"), CompileFailed);
    EXPECT_EQ(projects.LogPath(row->project, L"Debug|Win32"), failed + L"bad.log");

    // Failed again in a later run (the row names no log yet): the newest
    // log replaces the older one, and the row and the store name it.
    ASSERT_TRUE(Test_ns::WriteUtf16(failed + L"bad.log", L"older log"));
    row->log.clear();
    r = row;
    EXPECT_EQ(Build(r), 0);
    EXPECT_NE(Test_ns::ReadText(failed + L"bad.log").find(L"C1189"), String_cl::npos);
    EXPECT_EQ(row->log, failed + L"bad.log");
    EXPECT_EQ(projects.LogPath(row->project, L"Debug|Win32"), failed + L"bad.log");
    EXPECT_FALSE(Test_ns::FileExists(normal + L"bad.log"));

    // Mended and built in a later run: no failed log of it is left.
    ASSERT_TRUE(Test_ns::WriteBytes(ws / L"bad\\bad.cpp", "int f() { return 0; }\r\n"));
    row->log.clear();
    r = row;
    EXPECT_EQ(Build(r), 1);
    EXPECT_EQ(row->log, normal + L"bad.log");
    EXPECT_FALSE(Test_ns::FileExists(failed + L"bad.log"));
}

TEST_F(CompileTest, BuildWithoutLogWritesCmdTxtRaises102AndRestoresTheProject)
{
    MProjectId_cl row = Add({"net", {}});
    const String_cl path = row->project->path;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);

    // An installation whose vcvarsall.bat fails and ends cmd: devenv never
    // runs. (Wine's cmd goes on after a batch file's "exit /b 1", so the
    // script ends cmd itself.)
    const String_cl brokenVs = ws / L"broken vs\\";
    CreateDirectoryW(brokenVs.c_str(), nullptr);
    CreateDirectoryW((brokenVs + L"VC").c_str(), nullptr);
    ASSERT_TRUE(Test_ns::WriteBytes(brokenVs + L"VC\\vcvarsall.bat", "@exit 1\r\n"));
    const Listing_t before = List(ws.Path());
    // A log of a good build left at the new log's place (another project
    // named net, or a failed log whose move was refused) is not this build's.
    CreateDirectories(normal);
    ASSERT_TRUE(Test_ns::WriteUtf16(normal + L"net.log", (chinese ? L"========== 生成: 成功 1 个，失败 0 个"
                                                                  : L"========== Build: 1 succeeded, 0 failed") +
                                                             String_cl(L"\r\n")));

    MProjectId_cl r = row;
    try {
        CompileProject(sequences, failed, rows, r, projects, normal, brokenVs, false);
        FAIL() << "no error for a build without log";
    } catch (const Base_ns::UserError_cl& e) {
        EXPECT_EQ(e.Code(), 102);
        EXPECT_EQ(e.Line(), 506);
        EXPECT_EQ(e.ClassName(), L"MProjectPack_cl");
        EXPECT_EQ(e.Message(), L"命令行编译VC工程失败。");
    }
    EXPECT_TRUE(r == row) << "the identifier moved on after an error";
    EXPECT_EQ(row->state, Normal);
    EXPECT_EQ(projects.ProjectState(row->project, L"Debug|Win32"), Normal);

    String_cl cmd = Test_ns::ReadText(program + L"Cmd.txt");
    EXPECT_TRUE(cmd.StartsWith(L"/c cls && \"" + brokenVs + L"VC\\vcvarsall.bat\" && devenv \"" + ws.Path() +
                               L"net\\Temp"))
        << Test_ns::Ansi(cmd);
    EXPECT_TRUE(cmd.EndsWith(L".vcproj\" /build \"Debug|Win32\" > \"" + normal + L"net.log\" ")) << Test_ns::Ansi(cmd);
    std::string bytes = Test_ns::ReadBytes(program + L"Cmd.txt");
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));

    // The project file is back, read-only; the log folders were made.
    ExpectOnlyAdded(ws.Path(), before, LogFoldersAnd({L"prog\\Cmd.txt"}));
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));

    // A log folder that cannot be made (a file stands in its way): the same,
    // and Cmd.txt is replaced by the new command.
    ASSERT_TRUE(Test_ns::WriteBytes(ws / L"blocked", "a file, not a folder"));
    r = row;
    try {
        CompileProject(sequences, failed, rows, r, projects, ws / L"blocked\\正常\\", vcDir, false);
        FAIL() << "no error for a log that could not be written";
    } catch (const Base_ns::UserError_cl& e) {
        EXPECT_EQ(e.Code(), 102);
    }
    cmd = Test_ns::ReadText(program + L"Cmd.txt");
    EXPECT_NE(cmd.find(L"blocked"), String_cl::npos) << Test_ns::Ansi(cmd);
    EXPECT_EQ(cmd.find(L"broken vs"), String_cl::npos);
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_FALSE(HasTemporaryFile(ws / L"net"));
}

TEST_F(CompileTest, PercentSignsInPathsAndConfigurationsReachTheBuilderUnchanged)
{
    // cmd would expand %PATH% and %COMSPEC%, both set in every environment.
    const String_cl folder = ws / L"p%PATH%q";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(Test_ns::WriteVcprojAndSources(folder + L"\\pct.vcproj",
                                               Vcproj({"pct", {}}, L"..\\out", L"Debug|Win32%COMSPEC%"),
                                               "int f() { return 0; }\r\n", 1252));
    // A program folder with such a name holds the logs too.
    normal = ws / L"日志%TEMP%\\正常\\";
    for (bool rename : {false, true}) {
        SetRenameCompile(rename);
        MProjectId_cl row = RowFor(L"Debug|Win32%COMSPEC%", rows, folder + L"\\pct.vcproj", projects, sequences);
        MProjectId_cl r = row;
        EXPECT_EQ(Build(r, true), 1) << Test_ns::Ansi(Test_ns::ReadText(row->log));
        EXPECT_EQ(row->state, Compiled) << "rename " << rename;
        EXPECT_EQ(row->log, normal + L"pct.log");
        EXPECT_TRUE(Test_ns::FileExists(folder + L"\\pct.vcproj"));
    }
}

// A project's name is whatever its project file says. Whatever that is, its
// log lands in the log folders under a name of its own, nothing of the name
// runs as a command, and the other rows of the plan build all the same.
TEST_F(CompileTest, HostileProjectNamesGetLogsOfTheirOwnAndRunNothing)
{
    const String_cl names[] = {L"x\" & echo PWNED> pwned.txt & \"", L"..\\..\\..\\trav", L"a/b", L"<x>", L"a|b",
                               L"a?b", L"NUL", L"con.txt", L"Lpt1 ", L"dots...", L"line\r\nbreak\tand tab",
                               L"p%PATH%q", String_cl(250, L'n'), L"plain"};
    // Three folders down, so that "..\..\..\" would reach the workspace, and
    // a command in a name would write into it (cmd's folder is ours).
    normal = ws / L"prog\\编译日志\\正常\\";
    failed = ws / L"prog\\编译日志\\错误\\";
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(ws.Path().c_str()));
    std::shared_ptr<void> back(nullptr, [&](void*) { SetCurrentDirectoryW(previous); });

    Steps expected;
    for (const String_cl& name : names) {
        const String_cl folder = ws / (L"p" + String_cl::FromInt(int(expected.size())));
        const String_cl out = ws / L"out\\" + GetFileName(folder);
        const bool broken = name == L"a|b";
        ASSERT_TRUE(Test_ns::WriteVcprojAndSources(
            folder + L"\\p.vcproj",
            {name, {{L"Debug|Win32", 4, {Test_ns::Compiler(), Test_ns::Librarian(out + L".lib")}, {{L"IntermediateDirectory", out}}}},
             {L"m.cpp"}},
            broken ? "#error no\r\n" : "int f();\r\n"));
        RowFor(L"Debug|Win32", rows, folder + L"\\p.vcproj", projects, sequences);
        expected.push_back({name, broken ? CompileFailed : Compiled, broken ? 0 : 1});
    }
    const Listing_t before = List(ws.Path());
    EXPECT_EQ(Walk(rows, projects, 30), expected);

    // Each log is listed under the very name its row gives, in the folder
    // its state says; nothing else appeared anywhere.
    std::set<String_cl> added{L"prog\\编译日志", L"prog\\编译日志\\正常", L"prog\\编译日志\\错误"};
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        EXPECT_EQ(GetFileDirectory(it->log, true), it->state == CompileFailed ? failed : normal);
        added.insert(it->log.substr(ws.Path().size()));
    }
    EXPECT_EQ(added.size(), 3u + std::size(names)) << "two rows share a log";
    ExpectOnlyAdded(ws.Path(), before, added);
}

TEST_F(CompileTest, SecondProjectOfTheSameNameKeepsALogOfItsOwn)
{
    // Two different projects called core, in two folders.
    auto write = [&](const wchar_t* folder, bool broken) {
        // Each its own output folder: the two are different libraries.
        const String_cl path = ws / folder + L"\\core.vcproj";
        EXPECT_TRUE(Test_ns::WriteVcprojAndSources(path, Vcproj({"core", {}, false, broken}, L"out"),
                                                   broken ? "#error no\r\n" : "int f();\r\n", 1252));
        return RowFor(L"Debug|Win32", rows, path, projects, sequences);
    };
    MProjectId_cl first = write(L"one", false), second = write(L"two", true);
    MProjectId_cl r = first;
    EXPECT_EQ(Build(r), 1);
    r = second;
    EXPECT_EQ(Build(r), 0);
    EXPECT_EQ(first->log, normal + L"core.log");
    EXPECT_EQ(second->log, failed + L"core (2).log");
    EXPECT_NE(Test_ns::ReadText(first->log).find(chinese ? L"成功 1 个" : L"1 succeeded"), String_cl::npos);
    EXPECT_NE(Test_ns::ReadText(second->log).find(L"C1189"), String_cl::npos);
    // Built again, each reads its own log, and the first's stays where it was.
    r = first;
    EXPECT_EQ(Build(r), 1);
    EXPECT_EQ(first->state, CompiledUnchanged);
    EXPECT_TRUE(Test_ns::FileExists(failed + L"core (2).log"));

    // The first core read again in a solution's context, spelt otherwise,
    // is another record of the same file: it keeps that file's log name.
    const ProjectId_cl again = projects.FindOrAdd(ws / L"two\\..\\ONE\\core.vcproj", ws / L"one\\one.sln");
    ASSERT_FALSE(again == first->project);
    EXPECT_EQ(LogFileName(projects, again), L"core.log");
    EXPECT_EQ(LogFileName(projects, second->project), L"core (2).log");
}

// Starting a process can fail now and then without anything being wrong
// with the build (under Wine, one start in a few thousand when addresses are
// randomised); when devenv is the one, cmd leaves the log it opened empty.
// An empty log never comes from a builder that ran (it writes its banner
// first): the row build starts the build again, and does not call the row
// failed.
TEST_F(CompileTest, ABuilderThatDidNotStartIsStartedAgain)
{
    MProjectId_cl row = Add({"net", {}});
    EnvironmentScope_cl once(L"QV_STANDIN_FAIL_FIRST_START", (ws / L"start failed").c_str());
    MProjectId_cl r = row;
    EXPECT_EQ(Build(r), 1);
    EXPECT_EQ(row->state, Compiled);
    EXPECT_TRUE(Test_ns::FileExists(ws / L"start failed")) << "the stand-in never refused to start";
    EXPECT_TRUE(Test_ns::FileExists(ws / L"out\\lib\\net.lib"));
}

TEST_F(CompileTest, RowWithoutConfigurationIsRefusedBeforeAnythingChanges)
{
    Write({"r", {}});
    MProjectId_cl row = RowFor(L"Release|Win32", rows, ws / L"r\\r.vcproj", projects, sequences);
    ASSERT_EQ(row->state, Ignored);
    row->log = ws / L"r\\r.cpp";  // would be deleted by a build that went on
    const Listing_t before = List(ws.Path());
    MProjectId_cl r = row;
    try {
        Build(r);
        FAIL() << "a row without configuration was built";
    } catch (const Base_ns::UserError_cl& e) {
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.Line(), 399);
        EXPECT_EQ(e.ClassName(), L"MProjectPack_cl");
    }
    ExpectOnlyAdded(ws.Path(), before, {});
    EXPECT_TRUE(r == row);
}

TEST_F(CompileTest, UnreadableWrapperIsReportedWithTheWrappedProjectBackInPlace)
{
    Write({"icx", {}});
    const String_cl icproj = ws / L"icx\\icx.icproj", vcproj = ws / L"icx\\icx.vcproj";
    ASSERT_TRUE(Test_ns::WriteBytes(icproj, "<VisualStudioProject Name=\"icx\">"));  // not well formed
    SetFileAttributesW(vcproj.c_str(), FILE_ATTRIBUTE_READONLY);
    MProjectId_cl row = RowFor(L"Debug|Win32", rows, icproj, projects, sequences);
    ASSERT_EQ(row->state, Normal);
    const Listing_t before = List(ws.Path());
    MProjectId_cl r = row;
    EXPECT_THROW(Build(r), Base_ns::Error_cl);
    EXPECT_TRUE(r == row);
    ExpectOnlyAdded(ws.Path(), before, {});
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));
}

// The record of renames, with the process that wrote it gone: what the next
// start finds after a crash in the middle of a build.
class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { RenameJournal_cl::SetPath(dir / L"Quorvane.renames"); }
    void TearDown() override { RenameJournal_cl::SetPath(String_cl()); }

    // A file the crashed build had moved: content at the temporary name,
    // attributes cleared as the build clears them.
    void Moved(const String_cl& temporary, const std::string& content)
    {
        ASSERT_TRUE(Test_ns::WriteBytes(temporary, content));
    }

    // Without the archive bit, which Wine sets on every file.
    static DWORD Attributes(const String_cl& path)
    {
        return GetFileAttributesW(path.c_str()) & ~DWORD(FILE_ATTRIBUTE_ARCHIVE);
    }

    static RenameJournal_cl::Entry_st Entry(const String_cl& original, const String_cl& temporary,
                                            DWORD attributes, const String_cl& wrapper = String_cl())
    {
        RenameJournal_cl::Entry_st e;
        e.original = original;
        e.temporary = temporary;
        e.attributes = attributes;
        e.wrapper = wrapper;
        return e;
    }

    TempDir_cl dir{L"qv-journal"};
};

TEST_F(JournalTest, RecordIsUtf16AndGoesAwayWithItsLastEntry)
{
    const String_cl record = RenameJournal_cl::Path();
    EXPECT_EQ(record, dir / L"Quorvane.renames");
    ASSERT_TRUE(RenameJournal_cl::Add(dir / L"工程\\a b.vcproj", dir / L"工程\\Temp1.vcproj", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(RenameJournal_cl::Add(dir / L"c.vcproj", dir / L"Temp2.vcproj", 0x21, dir / L"Temp2.icproj"));
    EXPECT_EQ(Test_ns::ReadBytes(record).substr(0, 2), std::string("\xFF\xFE", 2));

    auto entries = RenameJournal_cl::Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].original, dir / L"工程\\a b.vcproj");
    EXPECT_EQ(entries[0].temporary, dir / L"工程\\Temp1.vcproj");
    EXPECT_EQ(entries[0].attributes, DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(entries[0].wrapper.IsEmpty());
    EXPECT_EQ(entries[0].process, GetCurrentProcessId());
    EXPECT_NE(entries[0].processStart, 0u);
    EXPECT_EQ(entries[1].attributes, 0x21u);
    EXPECT_EQ(entries[1].wrapper, dir / L"Temp2.icproj");

    // This process is still running: nothing of its own is touched.
    Moved(dir / L"Temp2.vcproj", "x");
    EXPECT_EQ(RenameJournal_cl::RestorePending(), 0);
    EXPECT_TRUE(Test_ns::FileExists(dir / L"Temp2.vcproj"));
    EXPECT_EQ(RenameJournal_cl::Entries().size(), 2u);

    EXPECT_TRUE(RenameJournal_cl::Remove(dir / L"C.VCPROJ"));
    ASSERT_EQ(RenameJournal_cl::Entries().size(), 1u);
    EXPECT_TRUE(RenameJournal_cl::Remove(dir / L"工程\\a b.vcproj", dir / L"工程\\other.vcproj"));
    EXPECT_EQ(RenameJournal_cl::Entries().size(), 1u) << "another temporary name is another rename";
    EXPECT_TRUE(RenameJournal_cl::Remove(dir / L"工程\\a b.vcproj"));
    EXPECT_TRUE(RenameJournal_cl::Entries().empty());
    EXPECT_FALSE(Test_ns::FileExists(record));
    EXPECT_FALSE(Test_ns::FileExists(record + L"." + String_cl::FromUnsigned(GetCurrentProcessId()) + L".tmp"));
}

TEST_F(JournalTest, NextStartPutsBackWhatACrashLeftUnderTemporaryNames)
{
    // A plain project, moved.
    const String_cl plain = dir / L"p.vcproj", plainTemp = dir / L"Temp2020-01-02-03-04-05.vcproj";
    Moved(plainTemp, "plain project");
    // An Intel project: the wrapped project moved, a temporary wrapper written.
    const String_cl wrapped = dir / L"w.vcproj", wrappedTemp = dir / L"Temp2020-01-02-03-04-06.vcproj";
    const String_cl wrapper = dir / L"Temp2020-01-02-03-04-06.icproj";
    Moved(wrappedTemp, "wrapped project");
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"w.icproj", "user's wrapper"));
    ASSERT_TRUE(Test_ns::WriteBytes(wrapper, "temporary wrapper"));
    // The user has meanwhile put a file at the original name: never replaced.
    const String_cl taken = dir / L"q.vcproj", takenTemp = dir / L"Temp2020-01-02-03-04-07.vcproj";
    ASSERT_TRUE(Test_ns::WriteBytes(taken, "user's new file"));
    Moved(takenTemp, "old file");
    // The crash came before the move: only the attributes had been cleared.
    const String_cl unmoved = dir / L"u.vcproj";
    ASSERT_TRUE(Test_ns::WriteBytes(unmoved, "unmoved"));

    ASSERT_TRUE(RenameJournal_cl::AddEntry(Entry(plain, plainTemp, FILE_ATTRIBUTE_READONLY)));
    ASSERT_TRUE(RenameJournal_cl::AddEntry(
        Entry(wrapped, wrappedTemp, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, wrapper)));
    ASSERT_TRUE(RenameJournal_cl::AddEntry(Entry(taken, takenTemp, FILE_ATTRIBUTE_READONLY)));
    ASSERT_TRUE(RenameJournal_cl::AddEntry(Entry(unmoved, dir / L"Temp2020-01-02-03-04-08.vcproj",
                                                 FILE_ATTRIBUTE_READONLY)));

    EXPECT_EQ(RenameJournal_cl::RestorePending(), 2);

    EXPECT_EQ(Test_ns::ReadBytes(plain), "plain project");
    EXPECT_FALSE(Test_ns::FileExists(plainTemp));
    EXPECT_EQ(Attributes(plain), DWORD(FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(Test_ns::ReadBytes(wrapped), "wrapped project");
    EXPECT_EQ(Attributes(wrapped), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(Test_ns::FileExists(wrapper));
    EXPECT_EQ(Test_ns::ReadBytes(dir / L"w.icproj"), "user's wrapper");

    EXPECT_EQ(Test_ns::ReadBytes(taken), "user's new file");
    EXPECT_EQ(Test_ns::ReadBytes(takenTemp), "old file");
    EXPECT_EQ(Attributes(taken), 0u);

    EXPECT_EQ(Attributes(unmoved), DWORD(FILE_ATTRIBUTE_READONLY));

    EXPECT_TRUE(RenameJournal_cl::Entries().empty());
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));
    EXPECT_EQ(RenameJournal_cl::RestorePending(), 0);

    for (const String_cl& f : {plain, wrapped, unmoved}) SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(JournalTest, DamagedRecordIsKeptAsideAndNothingItNamesIsTouched)
{
    const String_cl record = RenameJournal_cl::Path();
    const String_cl temporary = dir / L"Temp2020-01-02-03-04-05.vcproj";
    Moved(temporary, "the user's project under its temporary name");
    // Cut off in the middle of an entry: the mark, then half a line.
    const std::string damaged = std::string("\xFF\xFE", 2) + std::string("C\0:\0\\\0p\0\t\0", 10);
    ASSERT_TRUE(Test_ns::WriteBytes(record, damaged));

    // A build's new entry neither drops nor overwrites what the record held.
    ASSERT_TRUE(RenameJournal_cl::Add(dir / L"n.vcproj", dir / L"Temp9.vcproj", 0));
    const String_cl aside = RenameJournal_cl::TakeSetAsidePath();
    ASSERT_FALSE(aside.IsEmpty());
    EXPECT_EQ(Test_ns::ReadBytes(aside), damaged);
    EXPECT_TRUE(Base_ns::EqualsNoCase(GetFileDirectory(aside, true), dir.Path()));
    EXPECT_EQ(RenameJournal_cl::Entries().size(), 1u);
    EXPECT_TRUE(RenameJournal_cl::Remove(dir / L"n.vcproj"));

    // The next start finds it damaged again: kept aside, reported, and the
    // temporary file it might name is left where it is.
    ASSERT_TRUE(Test_ns::WriteBytes(record, "not a record at all"));
    EXPECT_EQ(RenameJournal_cl::RestorePending(), 0);
    const String_cl second = RenameJournal_cl::TakeSetAsidePath();
    ASSERT_FALSE(second.IsEmpty());
    EXPECT_NE(second, aside);
    EXPECT_EQ(Test_ns::ReadBytes(second), "not a record at all");
    EXPECT_EQ(Test_ns::ReadBytes(aside), damaged);
    EXPECT_TRUE(Test_ns::FileExists(temporary));
    EXPECT_FALSE(Test_ns::FileExists(record));
    EXPECT_TRUE(RenameJournal_cl::TakeSetAsidePath().IsEmpty());
}

TEST_F(JournalTest, RenamesOfAnotherRunningProcessAreLeftAloneUntilItEnds)
{
    wchar_t command[] = L"cmd.exe /c exit";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &pi));
    FILETIME created, exited, kernel, user;
    ASSERT_TRUE(GetProcessTimes(pi.hProcess, &created, &exited, &kernel, &user));

    const String_cl original = dir / L"busy.vcproj", temporary = dir / L"Temp2020-05-05-05-05-05.vcproj";
    Moved(temporary, "being built");
    RenameJournal_cl::Entry_st e = Entry(original, temporary, FILE_ATTRIBUTE_NORMAL);
    e.process = pi.dwProcessId;
    e.processStart = (uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    ASSERT_TRUE(RenameJournal_cl::AddEntry(e));

    EXPECT_EQ(RenameJournal_cl::RestorePending(), 0);
    EXPECT_TRUE(Test_ns::FileExists(temporary));
    EXPECT_FALSE(Test_ns::FileExists(original));
    EXPECT_EQ(RenameJournal_cl::Entries().size(), 1u);

    // The same process id with another start time is someone else: restored.
    RenameJournal_cl::Entry_st reused = e;
    reused.original = dir / L"reused.vcproj";
    reused.temporary = dir / L"Temp2020-05-05-05-05-06.vcproj";
    reused.processStart = e.processStart + 1;
    Moved(reused.temporary, "reused id");
    ASSERT_TRUE(RenameJournal_cl::AddEntry(reused));
    EXPECT_EQ(RenameJournal_cl::RestorePending(), 1);
    EXPECT_TRUE(Test_ns::FileExists(reused.original));

    // Our own id with an earlier start: the killed program before this one
    // (under Wine the first program of a session always gets the same id).
    ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
    reused.original = dir / L"mine.vcproj";
    reused.temporary = dir / L"Temp2020-05-05-05-05-07.vcproj";
    reused.process = GetCurrentProcessId();
    reused.processStart = ((uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime) - 10000000;
    Moved(reused.temporary, "left by the killed program");
    ASSERT_TRUE(RenameJournal_cl::AddEntry(reused));
    EXPECT_EQ(RenameJournal_cl::RestorePending(), 1);
    EXPECT_EQ(Test_ns::ReadBytes(reused.original), "left by the killed program");

    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    EXPECT_EQ(RenameJournal_cl::RestorePending(), 1);
    EXPECT_EQ(Test_ns::ReadBytes(original), "being built");
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));
}

} // namespace
