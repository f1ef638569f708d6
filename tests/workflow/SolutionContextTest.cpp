// Rows of a solution built in their solution, as Visual Studio builds them
// there ($(SolutionDir) is the solution's folder), through the builder
// stand-ins of 2022 (.vcxproj) and 2008 (.vcproj, an Intel wrapper), one row
// at a time and three at once: projects that import the solution's sheet,
// programs that link the solution's library by its full path, a rebuild of
// one row, a dependency that is out of date or failed, a project file listed
// alone. The stand-in's trace tells what each devenv run built.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <functional>
#include <map>
#include <vector>
#include "app/engine/RenameJournal.h"
#include "app/engine/RowState.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"
#include "app/workflow/Jobs.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/StandinTrace.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Test_ns::StandinBuild_st;

namespace {

struct SlnProject_st {
    String_cl path;                // relative to the solution's folder
    std::vector<size_t> dependsOn; // ProjectDependencies, by index
};

// A solution as Visual Studio writes it (2008: format 10.00, else 12.00),
// building every project in the configuration given.
String_cl SolutionText(const std::vector<SlnProject_st>& projects, const String_cl& config, bool vs2008)
{
    String_cl t = vs2008 ? L"\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n# Visual Studio 2008\r\n"
                         : L"\r\nMicrosoft Visual Studio Solution File, Format Version 12.00\r\n# Visual Studio "
                           L"Version 17\r\nVisualStudioVersion = 17.8.34330.188\r\n";
    auto guid = [](size_t i) { return L"{5E1F7A00-3C2B-4D6E-8F90-0000000000" + String_cl::FromInt(10 + int(i)) + L"}"; };
    String_cl table;
    for (size_t i = 0; i < projects.size(); ++i) {
        const String_cl& path = projects[i].path;
        t += L"Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"" + GetFileTitle(GetFileName(path)) + L"\", \"" +
             path + L"\", \"" + guid(i) + L"\"\r\n";
        if (!projects[i].dependsOn.empty()) {
            t += L"\tProjectSection(ProjectDependencies) = postProject\r\n";
            for (size_t d : projects[i].dependsOn) t += L"\t\t" + guid(d) + L" = " + guid(d) + L"\r\n";
            t += L"\tEndProjectSection\r\n";
        }
        t += L"EndProject\r\n";
        table += L"\t\t" + guid(i) + L"." + config + L".ActiveCfg = " + config + L"\r\n\t\t" + guid(i) + L"." + config +
                 L".Build.0 = " + config + L"\r\n";
    }
    return t + L"Global\r\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\r\n\t\t" + config + L" = " +
           config + L"\r\n\tEndGlobalSection\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n" +
           table + L"\tEndGlobalSection\r\nEndGlobal\r\n";
}

class Reporter_cl : public JobReporter_cl {
public:
    std::vector<String_cl> errors;
    String_cl trace;  // emptied when a rebuild's build phase begins: the builds only

    void Status(const String_cl&) override {}
    void ShowError(const Base_ns::Error_cl& e) override { errors.push_back(e.Text()); }
    bool StopOnError() override { return false; }
    void BuildPhaseStarted() override { DeleteFileW(trace.c_str()); }
};

// How a row ended: its state, the row it failed because of, and whether it
// has a log (a row not built has none).
struct Outcome_st {
    int32_t state = -1;
    String_cl because;
    bool logged = false;
    bool operator==(const Outcome_st& o) const { return state == o.state && because == o.because && logged == o.logged; }
};
using Outcomes_t = std::map<String_cl, Outcome_st>;

class SolutionContextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CreateDirectories(m_dir / L"prog\\");
        OverrideModuleDirectory(m_dir / L"prog\\");
        m_reporter.trace = Trace();
    }
    void TearDown() override
    {
        m_plan = PlanId_cl();
        m_stores.plans.Clear();
        OverrideModuleDirectory(L"");
        SetRenameCompile(true);
        if (m_com) CoUninitialize();
    }

    // body once one row at a time and once three at once, each in a plan
    // and a folder of its own ("run1\", "run3\").
    void OneByOneAndThreeAtOnce(const String_cl& config, const std::function<void(int, const String_cl&)>& body)
    {
        for (int jobs : {1, 3}) {
            SCOPED_TRACE(jobs);
            NewPlan(config);
            body(jobs, L"run" + String_cl::FromInt(jobs) + L"\\");
            m_plan = PlanId_cl();
            m_stores.plans.Clear();
        }
    }

    String_cl Root() const { return m_dir.Path(); }
    String_cl Trace() const { return m_dir / L"trace.txt"; }
    void NewPlan(const String_cl& config) { m_plan = m_stores.plans.AddPlan(L"p", config); }
    void Add(const String_cl& path)
    {
        m_plan->solutions.AddSolution(path, m_plan->configuration, m_plan->rows, m_stores.projects, m_stores.sequences);
    }
    String_cl Solution(const String_cl& relative, const std::vector<SlnProject_st>& projects, bool vs2008 = false)
    {
        const String_cl path = m_dir / relative;
        CreateDirectories(path);
        EXPECT_TRUE(Test_ns::WriteBytes(path, "\xEF\xBB\xBF" + SolutionText(projects, m_plan->configuration, vs2008).ToUtf8()));
        return path;
    }

    bool Rebuild(int jobs)
    {
        m_running = 1;
        DeleteFileW(Trace().c_str());
        return RunRebuildJob(m_stores, m_plan, m_vs, m_running, m_reporter, jobs);
    }
    bool Build(int jobs, uint32_t singleRow = 0, bool rebuild = false, const std::set<uint32_t>& only = {})
    {
        BuildRequest_st request;
        request.only = only;
        request.vcDirectory = m_vs;
        request.jobs = jobs;
        request.singleRow = singleRow;
        request.rebuildEach = rebuild;
        m_running = singleRow == 0 ? 1 : 0;
        DeleteFileW(Trace().c_str());
        return RunBuildJob(m_stores, m_plan, request, m_running, m_reporter);
    }

    MProjectId_cl Row(const String_cl& name)
    {
        for (MProjectId_cl r = m_plan->rows.First(); !r.IsEmpty(); r = r.Next())
            if (r->project->name == name) return r;
        ADD_FAILURE() << "no row " << name.ToUtf8();
        return MProjectId_cl();
    }
    Outcomes_t Outcomes()
    {
        Outcomes_t out;
        for (MProjectId_cl r = m_plan->rows.First(); !r.IsEmpty(); r = r.Next()) {
            Outcome_st o;
            o.state = r->state;
            if (r->failedBecauseOf) o.because = m_plan->rows.FromSerial(r->failedBecauseOf)->project->name;
            o.logged = !r->log.IsEmpty();
            out[r->project->name] = o;
        }
        return out;
    }

    // A rebuild that ends without an error with each of the rows compiled.
    void RebuildAllCompiled(int jobs, const std::vector<String_cl>& names)
    {
        EXPECT_TRUE(Rebuild(jobs));
        EXPECT_TRUE(m_reporter.errors.empty()) << m_reporter.errors.front().ToUtf8();
        Outcomes_t expected;
        for (const String_cl& name : names) expected[name] = {Compiled, L"", true};
        EXPECT_EQ(Outcomes(), expected);
    }

    // What the runs did: every run built its own row's project and no other
    // (the rest it only found up to date), and no project was built by two
    // runs at the same time.
    std::vector<StandinBuild_st> RunsKeptToTheirOwnProject()
    {
        const std::vector<StandinBuild_st> trace = Test_ns::ReadStandinTrace(Trace());
        for (const StandinBuild_st& b : trace) {
            if (!b.Built()) continue;
            EXPECT_TRUE(b.project.EqualsNoCase(b.asked)) << "the run of " << b.asked.ToUtf8() << " built "
                                                         << b.project.ToUtf8();
            for (const StandinBuild_st& o : trace) {
                if (&o != &b && o.Built() && o.project.EqualsNoCase(b.project)) {
                    EXPECT_FALSE(o.Overlaps(b)) << b.project.ToUtf8() << " built twice at once";
                }
            }
        }
        return trace;
    }
    static std::vector<StandinBuild_st> Of(const std::vector<StandinBuild_st>& trace, const String_cl& name,
                                           bool built = true)
    {
        std::vector<StandinBuild_st> found;
        for (const StandinBuild_st& b : trace)
            if (GetFileTitle(GetFileName(b.project)).EqualsNoCase(name) && b.Built() == built) found.push_back(b);
        return found;
    }
    static bool AnyRunAskedFor(const std::vector<StandinBuild_st>& trace, const String_cl& name)
    {
        for (const StandinBuild_st& b : trace)
            if (GetFileTitle(GetFileName(b.asked)).EqualsNoCase(name)) return true;
        return false;
    }

    Test_ns::TempDir_cl m_dir{L"qv-slnctx"};
    Test_ns::EnvironmentScope_cl m_traceScope{L"QV_STANDIN_TRACE", m_dir / L"trace.txt"};
    Test_ns::EnvironmentScope_cl m_slow{L"QV_STANDIN_DELAY_MS", L"300"};
    String_cl m_vs = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en", L"vs2022");
    Stores_cl m_stores;
    PlanId_cl m_plan;
    std::atomic<int> m_running{0};
    Reporter_cl m_reporter;
    bool m_com = false;
};

Test_ns::VcxProject_st Vcxproj(const String_cl& type, const String_cl& config, const String_cl& source,
                               const String_cl& guidTail)
{
    Test_ns::VcxProject_st p;
    p.configurations = {{config, type}};
    p.sources = {source};
    p.guid = L"{6A2B3C4D-0000-4000-8000-0000000000" + guidTail + L"}";
    return p;
}

// zlib as its Visual Studio solution lays it out: each project imports the
// sheet beside the solution, which puts every output in one folder, where the
// programs find the library; minigzip references the library, example says
// it depends on it; a project file listed alone imports a sheet of its own
// folder, which it finds there as it always did.
void LayOutZlib(const String_cl& root, std::vector<String_cl>& files)
{
    const String_cl sheet = L"$(SolutionDir)\\zlib.props";
    ASSERT_TRUE(Test_ns::WriteMsBuildFile(root + L"zlib\\zlib.props",
                                          Test_ns::PropsText({{L"OutDir", L"$(SolutionDir)out\\$(Configuration)\\"}})));
    Test_ns::VcxProject_st zlibstat = Vcxproj(L"StaticLibrary", L"Debug|x64", L"adler32.c", L"01");
    zlibstat.propertySheets = {sheet};
    Test_ns::VcxProject_st minigzip = Vcxproj(L"Application", L"Debug|x64", L"minigzip.c", L"02");
    minigzip.propertySheets = {sheet};
    minigzip.references = {L"..\\zlibstat\\zlibstat.vcxproj"};
    Test_ns::VcxProject_st example = Vcxproj(L"Application", L"Debug|x64", L"example.c", L"03");
    example.propertySheets = {sheet};
    example.configurations[0].link = {{L"AdditionalDependencies", L"zlibstat.lib;%(AdditionalDependencies)"}};
    ASSERT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"zlib\\contrib\\zlibstat\\zlibstat.vcxproj", zlibstat));
    ASSERT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"zlib\\contrib\\minigzip\\minigzip.vcxproj", minigzip));
    ASSERT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"zlib\\contrib\\example\\example.vcxproj", example));
    Test_ns::VcxProject_st lone = Vcxproj(L"StaticLibrary", L"Debug|x64", L"lone.c", L"04");
    lone.propertySheets = {L"$(SolutionDir)lone.props"};
    ASSERT_TRUE(Test_ns::WriteMsBuildFile(root + L"lone\\lone.props", Test_ns::PropsText({{L"TargetName", L"lonelib"}})));
    ASSERT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"lone\\lone.vcxproj", lone));
    files = {root + L"zlib\\zlib.sln", root + L"lone\\lone.vcxproj"};
}

} // namespace

TEST_F(SolutionContextTest, ProjectsImportTheSheetBesideTheirSolution)
{
    OneByOneAndThreeAtOnce(L"Debug|x64", [&](int jobs, const String_cl& folder) {
        const String_cl root = Root() + folder;
        std::vector<String_cl> files;
        LayOutZlib(root, files);
        Solution(folder + L"zlib\\zlib.sln",
                 {{L"contrib\\minigzip\\minigzip.vcxproj"}, {L"contrib\\example\\example.vcxproj", {2}},
                  {L"contrib\\zlibstat\\zlibstat.vcxproj"}});
        for (const String_cl& f : files) Add(f);

        RebuildAllCompiled(jobs, {L"zlibstat", L"minigzip", L"example", L"lone"});
        EXPECT_TRUE(Test_ns::FileExists(root + L"zlib\\out\\Debug\\minigzip.exe"));
        EXPECT_TRUE(Test_ns::FileExists(root + L"lone\\x64\\Debug\\lonelib.lib"));
        const std::vector<StandinBuild_st> trace = RunsKeptToTheirOwnProject();
        // The programs' runs found the library built, and left it so.
        for (const wchar_t* program : {L"minigzip", L"example"}) {
            bool checked = false;
            for (const StandinBuild_st& b : Of(trace, L"zlibstat", false))
                checked = checked || GetFileTitle(GetFileName(b.asked)).EqualsNoCase(program);
            EXPECT_TRUE(checked) << "the run of " << Test_ns::Ansi(program) << " did not go through zlibstat";
        }
    });
}

namespace {

// A solution whose programs link its library by the full path the library
// has in the solution's folder ($(SolutionDir)x64\Debug\core.lib, the
// default output folder of x64), and say they depend on it.
String_cl LayOutPrograms(const String_cl& root, bool brokenCore)
{
    const String_cl byPath = L"$(SolutionDir)x64\\Debug\\core.lib;%(AdditionalDependencies)";
    Test_ns::VcxProject_st core = Vcxproj(L"StaticLibrary", L"Debug|x64", L"core.cpp", L"11");
    Test_ns::VcxProject_st tool = Vcxproj(L"Application", L"Debug|x64", L"tool.cpp", L"12");
    Test_ns::VcxProject_st viewer = Vcxproj(L"Application", L"Debug|x64", L"viewer.cpp", L"13");
    tool.configurations[0].link = viewer.configurations[0].link = {{L"AdditionalDependencies", byPath}};
    EXPECT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"core\\core.vcxproj", core,
                                                brokenCore ? "#error broken on purpose\r\n" : "int f();\r\n"));
    EXPECT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"tool\\tool.vcxproj", tool));
    EXPECT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"viewer\\viewer.vcxproj", viewer));
    // Links nothing of core's: the solution only says to build it after core.
    EXPECT_TRUE(Test_ns::WriteVcxprojAndSources(root + L"docs\\docs.vcxproj",
                                                Vcxproj(L"StaticLibrary", L"Debug|x64", L"docs.cpp", L"14")));
    return root + L"prog.sln";
}

const std::vector<SlnProject_st> kPrograms{{L"tool\\tool.vcxproj", {2}}, {L"viewer\\viewer.vcxproj", {2}},
                                           {L"core\\core.vcxproj"}, {L"docs\\docs.vcxproj", {2}}};

unsigned long long WriteTime(const String_cl& path)
{
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<unsigned long long>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

// Files whose names begin with "Temp" under the folder: what a rename or a
// copy of a solution would leave behind.
std::vector<String_cl> TemporaryFiles(const String_cl& folder)
{
    std::vector<String_cl> found;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &d);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &d)) {
        const String_cl name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const String_cl& f : TemporaryFiles(folder + name + L"\\")) found.push_back(f);
        } else if (name.StartsWith(L"Temp")) {
            found.push_back(folder + name);
        }
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return found;
}

} // namespace

// Built alone, a program would look for the library in its own folder; in
// its solution it finds it where the library put it. Three at once, the
// programs build side by side once the library is built: each only finds it
// up to date.
TEST_F(SolutionContextTest, ProgramsLinkTheSolutionsLibraryByItsFullPath)
{
    OneByOneAndThreeAtOnce(L"Debug|x64", [&](int jobs, const String_cl& folder) {
        LayOutPrograms(Root() + folder, false);
        Add(Solution(folder + L"prog.sln", kPrograms));

        RebuildAllCompiled(jobs, {L"core", L"tool", L"viewer", L"docs"});
        const std::vector<StandinBuild_st> trace = RunsKeptToTheirOwnProject();
        ASSERT_EQ(Of(trace, L"tool").size(), 1u);
        ASSERT_EQ(Of(trace, L"viewer").size(), 1u);
        if (jobs == 3) {
            EXPECT_TRUE(Of(trace, L"tool")[0].Overlaps(Of(trace, L"viewer")[0]));
        }
    });
}

// Rebuilt on its own, a program is rebuilt and its library is not (the
// builder would rebuild what it depends on): for the length of the build a
// copy of the solution that builds the program alone stands in its place,
// and the user's solution is back afterwards, byte for byte.
TEST_F(SolutionContextTest, OneRowRebuiltAloneRebuildsItsProjectOnly)
{
    NewPlan(L"Debug|x64");
    LayOutPrograms(Root(), false);
    const String_cl sln = Solution(L"prog.sln", kPrograms);
    Add(sln);
    ASSERT_TRUE(Rebuild(1));
    const std::string solutionBytes = Test_ns::ReadBytes(sln);
    const unsigned long long library = WriteTime(Root() + L"x64\\Debug\\core.lib");
    const unsigned long long program = WriteTime(Root() + L"x64\\Debug\\tool.exe");
    ASSERT_NE(library, 0u);

    EXPECT_TRUE(Build(1, Row(L"tool").Serial(), true));
    EXPECT_TRUE(m_reporter.errors.empty()) << m_reporter.errors.front().ToUtf8();
    EXPECT_EQ(Row(L"tool")->state, Compiled);
    const std::vector<StandinBuild_st> trace = RunsKeptToTheirOwnProject();
    EXPECT_EQ(Of(trace, L"tool").size(), 1u);
    EXPECT_TRUE(Of(trace, L"core").empty()) << "the library was rebuilt too";
    EXPECT_EQ(WriteTime(Root() + L"x64\\Debug\\core.lib"), library);
    EXPECT_GT(WriteTime(Root() + L"x64\\Debug\\tool.exe"), program);
    EXPECT_EQ(Test_ns::ReadBytes(sln), solutionBytes);
    EXPECT_EQ(TemporaryFiles(Root()), std::vector<String_cl>());
    EXPECT_FALSE(Test_ns::FileExists(RenameJournal_cl::Path()));
}

// A library built before this walk whose source has changed since: both
// programs' runs would build it, so they do not run together; the first
// builds it and the second finds it up to date.
TEST_F(SolutionContextTest, AStaleDependencyIsBuiltByOneRunOnly)
{
    NewPlan(L"Debug|x64");
    LayOutPrograms(Root(), false);
    Add(Solution(L"prog.sln", kPrograms));
    ASSERT_TRUE(Rebuild(3));
    ASSERT_TRUE(Test_ns::WriteBytes(Root() + L"core\\core.cpp", "int f(); int g();\r\n"));
    for (const wchar_t* name : {L"tool", L"viewer"}) {
        MProjectId_cl row = Row(name);
        m_stores.projects.ResetState(row->project, row->configuration);
        row->state = Normal;
    }

    EXPECT_TRUE(Build(3));
    EXPECT_EQ(Row(L"tool")->state, Compiled);
    EXPECT_EQ(Row(L"viewer")->state, Compiled);
    const std::vector<StandinBuild_st> trace = Test_ns::ReadStandinTrace(Trace());
    ASSERT_EQ(Of(trace, L"core").size(), 1u);
    ASSERT_EQ(Of(trace, L"tool").size(), 1u);
    ASSERT_EQ(Of(trace, L"viewer").size(), 1u);
    EXPECT_FALSE(Of(trace, L"tool")[0].Overlaps(Of(trace, L"viewer")[0]));
}

// Asked to build the programs and nothing else (as a pipeline's job builds
// its rows, the library being another job's), neither run builds the stale
// library though the solution says they depend on it: each is built in a
// copy of the solution that builds it alone, one at a time, and the user's
// solution is back afterwards.
TEST_F(SolutionContextTest, OnlyTheRowsAskedForAreBuiltNotWhatTheyDependOn)
{
    OneByOneAndThreeAtOnce(L"Debug|x64", [&](int jobs, const String_cl& folder) {
        LayOutPrograms(Root() + folder, false);
        const String_cl sln = Solution(folder + L"prog.sln", kPrograms);
        Add(sln);
        ASSERT_TRUE(Rebuild(jobs));
        const std::string solutionBytes = Test_ns::ReadBytes(sln);
        const String_cl library = Root() + folder + L"x64\\Debug\\core.lib";
        const unsigned long long built = WriteTime(library);
        ASSERT_NE(built, 0u);
        // Everything changed since: the programs are built, and the library
        // would be too if a run went through it.
        for (const wchar_t* source : {L"core\\core.cpp", L"tool\\tool.cpp", L"viewer\\viewer.cpp"})
            ASSERT_TRUE(Test_ns::WriteBytes(Root() + folder + source, "int f(); int g();\r\n"));
        for (MProjectId_cl r = m_plan->rows.First(); !r.IsEmpty(); r = r.Next()) {
            m_stores.projects.ResetState(r->project, r->configuration);
            r->state = Normal;
        }

        EXPECT_TRUE(Build(jobs, 0, false, {Row(L"tool").Serial(), Row(L"viewer").Serial()}));
        EXPECT_TRUE(m_reporter.errors.empty()) << m_reporter.errors.front().ToUtf8();
        EXPECT_EQ(Row(L"tool")->state, Compiled);
        EXPECT_EQ(Row(L"viewer")->state, Compiled);
        EXPECT_EQ(Row(L"core")->state, Normal);
        const std::vector<StandinBuild_st> trace = RunsKeptToTheirOwnProject();
        EXPECT_TRUE(Of(trace, L"core").empty()) << "the library was built by a program's run";
        EXPECT_EQ(WriteTime(library), built);
        ASSERT_EQ(Of(trace, L"tool").size(), 1u);
        ASSERT_EQ(Of(trace, L"viewer").size(), 1u);
        EXPECT_FALSE(Of(trace, L"tool")[0].Overlaps(Of(trace, L"viewer")[0]));
        EXPECT_EQ(Test_ns::ReadBytes(sln), solutionBytes);
        EXPECT_EQ(TemporaryFiles(Root() + folder), std::vector<String_cl>());
    });
}

// The library fails: neither program is built, each fails as its knock-on
// failure, with no log of its own (its run would only build the library
// again, its errors in the program's log).
TEST_F(SolutionContextTest, AFailedDependencyFailsItsUsersUnbuilt)
{
    OneByOneAndThreeAtOnce(L"Debug|x64", [&](int jobs, const String_cl& folder) {
        LayOutPrograms(Root() + folder, true);
        Add(Solution(folder + L"prog.sln", kPrograms));

        EXPECT_TRUE(Rebuild(jobs));
        const Outcomes_t expected{{L"core", {CompileFailed, L"", true}},
                                  {L"tool", {CompileFailed, L"core", false}},
                                  {L"viewer", {CompileFailed, L"core", false}},
                                  {L"docs", {CompileFailed, L"core", false}}};
        EXPECT_EQ(Outcomes(), expected);
        const std::vector<StandinBuild_st> trace = RunsKeptToTheirOwnProject();
        for (const wchar_t* user : {L"tool", L"viewer", L"docs"}) {
            EXPECT_FALSE(AnyRunAskedFor(trace, user)) << Test_ns::Ansi(user);
            const MProjectId_cl row = Row(user);
            EXPECT_EQ(m_stores.projects.ProjectState(row->project, L"Debug|x64"), CompileFailed);
            // Nothing was linked, so nothing is learned of what it links.
            EXPECT_TRUE(m_stores.links.Libraries(row->project->path, row->configuration).empty()) << Test_ns::Ansi(user);
        }
    });
}

// Visual Studio 2008: an Intel wrapper listed in a solution is built there
// under its own name (a solution names the file, so nothing is renamed with
// rename-compile on), and the program finds the library it links by its
// full path in the solution's folder.
TEST_F(SolutionContextTest, IntelWrapperInASolutionIsBuiltThere)
{
    m_vs = Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en", L"vs");
    SetRenameCompile(true);
    OneByOneAndThreeAtOnce(L"Debug|Win32", [&](int jobs, const String_cl& folder) {
        const String_cl root = Root() + folder;
        ASSERT_TRUE(Test_ns::WriteVcprojAndSources(
            root + L"core\\core.vcproj", {L"core", {{L"Debug|Win32", 4, {Test_ns::Librarian()}}}, {L"core.cpp"}}));
        ASSERT_TRUE(Test_ns::WriteXml(root + L"core\\core.icproj", Test_ns::WrapperText(L"core.vcproj")));
        ASSERT_TRUE(Test_ns::WriteVcprojAndSources(
            root + L"app\\app.vcproj",
            {L"app", {{L"Debug|Win32", 1, {Test_ns::Linker().Dependencies(L"$(SolutionDir)Debug\\core.lib")}}},
             {L"main.cpp"}}));
        const std::string wrapper = Test_ns::ReadBytes(root + L"core\\core.icproj");
        Add(Solution(folder + L"old.sln", {{L"app\\app.vcproj", {1}}, {L"core\\core.icproj"}}, true));

        RebuildAllCompiled(jobs, {L"core", L"app"});
        EXPECT_TRUE(Test_ns::FileExists(root + L"Debug\\core.lib"));
        EXPECT_TRUE(Test_ns::FileExists(root + L"Debug\\app.exe"));
        const std::vector<StandinBuild_st> trace = RunsKeptToTheirOwnProject();
        ASSERT_EQ(Of(trace, L"core").size(), 1u);
        EXPECT_TRUE(Of(trace, L"core")[0].project.EqualsNoCase(root + L"core\\core.icproj"));
        EXPECT_EQ(TemporaryFiles(root), std::vector<String_cl>());
        EXPECT_EQ(Test_ns::ReadBytes(root + L"core\\core.icproj"), wrapper);
    });
}
