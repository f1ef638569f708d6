#include "console/Session.h"
#include <windows.h>
#include <atomic>
#include "app/ProgramPlaces.h"
#include "app/engine/BuildGraph.h"
#include "app/engine/BuildRunner.h"
#include "app/engine/MProjectPack.h"
#include "app/engine/RowState.h"
#include "app/workflow/JUnitReport.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/PlanFile.h"
#include "app/workflow/PlanOperations.h"
#include "app/workflow/ReportFile.h"
#include "app/workflow/RunRecord.h"
#include "app/workflow/VcDirectory.h"
#include "app/workflow/WriteTarget.h"
#include "console/ConsoleApp.h"

namespace Quorvane_ns {
namespace {

// Builds run in a process group of their own, so Ctrl+C never ends one: the
// first press stops the walk after the current project, as the window's Stop
// does, so the project files are put back and the data file is saved. A
// second press ends the program at once (the next start puts back what a
// build left renamed).
std::atomic<std::atomic<int>*> g_running{nullptr};
std::atomic<bool> g_interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (g_interrupted.exchange(true)) return FALSE;
    if (std::atomic<int>* running = g_running.load()) *running = 0;
    return TRUE;
}

String_cl FullPath(const String_cl& path)
{
    wchar_t buf[4096];
    DWORD n = GetFullPathNameW(path.c_str(), 4096, buf, nullptr);
    if (n == 0 || n >= 4096) return path;
    return String_cl(buf, n);
}

String_cl Field(const String_cl& text) { return ConsoleOutput_cl::Field(text); }

// Why a row failed, in one line: the row it waited for, else the reason the
// log does not give (a project file or a line of the builder that could not
// be read), else its first error.
String_cl FailureText(const RowFailure_st& f)
{
    if (f.causeKey != 0) return L"因工程 " + Field(f.causeName) + L" 编译失败而缺少它的库";
    if (!f.reason.empty()) return Field(f.reason);
    if (f.firstError.empty()) return L"日志中没有带错误代码的行";
    return Field(f.firstError);
}

// Root failures, each followed by the rows that failed because of it,
// indented by how far down the chain they stand.
void PrintFailures(ConsoleOutput_cl& out, const RunRecord_st& record)
{
    const std::vector<FailureGroup_st> groups = FailureGroups(record);
    if (groups.empty()) return;
    out.Line(L"失败的工程（根源在前，连带失败在其下）：");
    for (const FailureGroup_st& g : groups) {
        const RowOutcome_st& root = *record.Row(g.rootKey);
        out.Line(L"  " + Field(root.name) + L"：" + FailureText(root.failure));
        for (const auto& [key, depth] : g.knockOns) {
            const RowOutcome_st& k = *record.Row(key);
            out.Line(String_cl(static_cast<size_t>(2 + 2 * depth), L' ') + Field(k.name) + L"：因 " +
                     Field(k.failure.causeName) + L" 编译失败");
        }
    }
}

// Prints what a job reports and remembers the worst outcome for the exit status.
class ConsoleReporter_cl : public JobReporter_cl {
public:
    ConsoleReporter_cl(ConsoleOutput_cl& out, bool stopOnError) : m_out(out), m_stopOnError(stopOnError) {}

    void Status(const String_cl& text) override
    {
        if (!text.empty()) m_out.Line(Field(text));
    }
    // The printed lines stay as they were; the count and the time left go
    // to the title of a console window.
    void Progress(const BuildProgress_st& progress) override
    {
        Status(progress.building);
        m_out.ShowInTitle(Field(progress.text));
    }
    void Ended(const JobEnd_st&) override { m_out.RestoreTitle(); }
    void RowBuilt(const Plan_st& plan, const MProject_st& row, int ok) override
    {
        String_cl line = L"  " + Field(row.project->name) + L"  " + Field(row.configuration) + L"  " +
                         RowStateText(row.state);
        if (ok == 0 && !row.log.empty()) line += L"  " + Field(row.log);
        m_out.Line(line);
        if (row.state == CompileFailed) m_out.Line(L"    " + FailureText(DescribeFailure(plan, row)));
        if (!row.readNote.empty()) m_out.Line(L"    " + Field(row.readNote));
    }
    void SolutionCleaned(const Plan_st&, const String_cl& path) override
    {
        m_out.Line(L"  " + Field(GetFileName(path)) + L"  清理完成");
    }
    void ShowError(const Base_ns::Error_cl& error) override
    {
        error.Show(nullptr);
        Note(error);
    }
    bool StopOnError() override { return m_stopOnError; }

    void Note(const Base_ns::Error_cl& error)
    {
        if (error.IsSystemError())
            m_system = true;
        else
            m_user = true;
    }
    // Whether any error was reported in the run.
    bool AnyError() const { return m_system || m_user; }
    int Exit(bool rowsFailed) const
    {
        if (m_system) return ConsoleApp_cl::ExitSystemError;
        if (m_user) return ConsoleApp_cl::ExitUserError;
        return rowsFailed ? ConsoleApp_cl::ExitFailed : ConsoleApp_cl::ExitOk;
    }

private:
    ConsoleOutput_cl& m_out;
    bool m_stopOnError;
    bool m_system = false;
    bool m_user = false;
};

JobEnd_st RunOn(Stores_cl& stores, JobKind kind, const PlanId_cl& plan, const BuildRequest_st& request,
                std::atomic<int>& running, JobReporter_cl& reporter, RunRecord_st* record = nullptr)
{
    JobOrder_st order;
    order.kind = kind;
    order.plan = plan;
    order.request = request;
    return RunJob(stores, order, running, reporter, record);
}

} // namespace

void Session_cl::CatchInterrupts() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

int Session_cl::Take()
{
    // Before the data file is read: whoever else has it would save over what
    // this run learns, or this run over what it learns.
    if (!m_lock.Acquire(DataFilePath(), InstanceLock_cl::Console)) {
        m_err.Line(InstanceLock_cl::RefusalText(DataFilePath(), m_lock.Holder()));
        return ConsoleApp_cl::ExitUserError;
    }
    StartReport_st report = m_stores.StartProgram(DataFilePath());
    // A data file that did not load: why, and where it was kept (printed
    // through the presenter, and logged when it is a system error).
    if (HasStartMessages(report)) ShowStartReport(report, nullptr);
    return 0;
}

int Session_cl::Run()
{
    m_settings.Open(kProductName);
    if (const int refused = Take()) return refused;
    const int code = m_line.command->run(*this);
    // Commands that change nothing leave the data file as it is.
    if (m_line.command->saves) m_stores.EndProgram(DataFilePath());
    return code;
}

int Session_cl::FindUnknownPlans(const std::vector<String_cl>& names, std::vector<String_cl>& unknown)
{
    if (const int refused = Take()) return refused;
    for (const String_cl& name : names)
        if (m_stores.plans.FindPlan(name).IsEmpty()) unknown.push_back(name);
    return 0;
}

void Session_cl::Save() { m_stores.SaveDataFile(DataFilePath()); }

PlanId_cl Session_cl::FindPlan(const String_cl& name)
{
    PlanId_cl plan = m_stores.plans.FindPlan(name);
    if (plan.IsEmpty()) throw MainWindowUserError(104, __LINE__, name);
    return plan;
}

void Session_cl::ApplyConfiguration(const PlanId_cl& plan)
{
    if (m_line.hasConfiguration) ChangePlanConfiguration(m_stores, plan, m_line.configuration);
}

String_cl Session_cl::VcDirectory()
{
    String_cl text = m_line.hasVcDirectory ? m_line.vcDirectory : m_settings.GetString(kKeyVcDirectory, L"");
    if (m_line.hasVcDirectory && Base_ns::EqualsNoCase(text, L"auto")) {
        const String_cl located = LocateVcInstallation();
        if (located.empty()) throw MainWindowUserError(105, __LINE__, L"");
        m_out.Line(L"VC安装目录 " + located);
        return located;
    }
    String_cl dir = NormalizeVcDirectory(text);
    CheckVcDirectory(dir);
    return dir;
}

PlanId_cl Session_cl::ReadNamedPlan(JobReporter_cl& reporter)
{
    PlanId_cl plan = FindPlan(m_line.operands[0]);
    ApplyConfiguration(plan);
    std::atomic<int> running{0};
    RunOn(m_stores, JobRead, plan, BuildRequest_st(), running, reporter);
    return plan;
}

bool Session_cl::RowsFailed(const Plan_st& plan, const std::set<uint32_t>& only) const
{
    for (MProjectId_cl row = plan.rows.First(); !row.IsEmpty(); row = row.Next()) {
        if (!only.empty() && !only.count(row.Serial())) continue;
        if (row->state == CompileFailed || row->state == NotExist) return true;
        // A row whose project file cannot be read fails when it is built.
        if (!row->configuration.empty() && !UnreadableReason(*row).empty()) return true;
    }
    return false;
}

int Session_cl::Plans()
{
    for (PlanId_cl p = m_stores.plans.First(); !p.IsEmpty(); p = p.Next())
        m_out.Line(Field(p->name) + L"\t" + Field(p->configuration) + L"\t" + String_cl::FromInt(p->solutions.Count()));
    return ConsoleApp_cl::ExitOk;
}

int Session_cl::Show()
{
    ConsoleReporter_cl reporter(m_out, false);
    const PlanId_cl plan = ReadNamedPlan(reporter);
    for (MProjectId_cl row = plan->rows.First(); !row.IsEmpty(); row = row.Next()) {
        m_out.Line(Field(row->project->name) + L"\t" + Field(row->configuration) + L"\t" + RowStateText(row->state) +
                   L"\t" + Field(row->project->path));
        // What could not be read of the row's project, indented under it.
        for (const String_cl& note : {UnreadableReason(*row), row->readNote})
            if (!note.empty()) m_out.Line(L"    " + Field(note));
    }
    m_out.Line(CountersText(Statistics(plan->rows)));
    if (m_line.hasConfiguration) Save();
    return reporter.Exit(RowsFailed(*plan));
}

// The plan's rows and what they need, in Graphviz DOT on standard output;
// what reading the plan reports goes to standard error.
int Session_cl::Graph()
{
    ConsoleReporter_cl reporter(m_err, false);
    const PlanId_cl plan = ReadNamedPlan(reporter);
    const BuildGraph_cl graph(plan->rows, m_stores.projects, m_stores.links, DeclaredDependencies(plan->solutions));
    m_out.Line(GraphDotText(plan->name, plan->rows, graph));
    if (m_line.hasConfiguration) Save();
    return reporter.Exit(false);
}

int Session_cl::Job()
{
    // Every name, the installation folder and the report are checked before
    // anything is built, so that a typing error does not surface hours into
    // an unattended run, nor a report go over a file the program needs.
    std::vector<PlanId_cl> plans;
    for (const String_cl& name : SplitPlanList(m_line.operands[0])) plans.push_back(FindPlan(name));
    if (!m_line.only.empty() && plans.size() != 1) throw UsageError_st{L"--only 只用于一个方案。"};
    const String_cl results = m_line.results.empty() ? String_cl() : FullPath(m_line.results);
    if (!results.empty()) {
        CreateDirectories(results);
        CheckWriteTarget(m_stores, results);
        CheckReportFileWritable(results);
    }
    BuildRequest_st request;
    request.vcDirectory = VcDirectory();
    const String_cl report = m_line.report.empty() ? String_cl() : FullPath(m_line.report);
    if (!report.empty()) {
        CreateDirectories(report);
        CheckWriteTarget(m_stores, report);
        CheckReportFileWritable(report);
    }

    const bool stopOnError =
        m_line.stopOnError >= 0 ? m_line.stopOnError != 0 : m_settings.GetBool(kKeyStopOnError, true);
    SetRenameCompile(m_line.rename >= 0 ? m_line.rename != 0 : m_settings.GetBool(kKeyRenameCompile, true));
    const int savedJobs = ParseJobs(m_settings.GetString(kKeyJobs, L"1"));
    request.jobs = m_line.jobs > 0 ? m_line.jobs : savedJobs > 0 ? savedJobs : 1;
    const String_cl& command = m_line.command->name;
    const JobKind kind = command == L"build" ? JobBuild : command == L"rebuild" ? JobRebuild : JobClean;

    ConsoleReporter_cl reporter(m_out, stopOnError);
    bool anyFailed = false;
    // Every plan's walk went past its last row: the window's condition for a
    // shutdown, which also wants no error anywhere in the run.
    bool reachedEnd = true;
    std::vector<RunRecord_st> runs;
    for (const PlanId_cl& plan : plans) {
        ApplyConfiguration(plan);
        m_out.Line(L"方案 " + Field(plan->name) + L" (" + Field(plan->configuration) + L")");
        std::atomic<int> running{g_interrupted ? 0 : 1};
        // The whole plan is read before anything of it is cleaned or built;
        // a read that an error ended leaves the plan alone (a solution file
        // that cannot be read ends nothing: it costs its own rows only).
        const JobEnd_st read = RunOn(m_stores, JobRead, plan, request, running, reporter);
        if (!m_line.only.empty()) request.only = OnlyRows(*plan);
        g_running = &running;
        RunRecord_st record;
        JobEnd_st end;
        if (!read.error)
            end = RunOn(m_stores, kind, plan, request, running, reporter, kind == JobClean ? nullptr : &record);
        g_running = nullptr;
        reachedEnd = reachedEnd && kind != JobClean && !read.error && end.reachedEnd;
        if (!request.only.empty()) KeepOnly(record, request.only);
        if (kind != JobClean) runs.push_back(record);
        if (!results.empty()) {
            try {
                WritePlanFile(m_stores, *plan, RootFolder(FullPath(L".")), results, &record, m_line.results);
            } catch (const Base_ns::Error_cl& e) {
                reporter.ShowError(e);
            }
        }
        m_out.Line(CountersText(Statistics(plan->rows)));
        if (kind != JobClean) PrintFailures(m_out, record);
        anyFailed = anyFailed || RowsFailed(*plan, request.only);
        // After every plan too, so that an interrupted run leaves the
        // results of the plans it finished.
        if (!report.empty()) {
            try {
                WriteJUnitReport(report, runs);
            } catch (const Base_ns::Error_cl& e) {
                reporter.ShowError(e);
            }
        }
        // Saved after every plan, so an interrupted unattended run keeps
        // what the finished plans learned.
        try {
            Save();
        } catch (const Base_ns::Error_cl& e) {
            reporter.ShowError(e);
        }
        if (g_interrupted) {
            m_err.Line(L"已停止。");
            return ConsoleApp_cl::ExitFailed;
        }
    }
    // As in the window: after an error, no shutdown.
    if (m_line.shutdown && reachedEnd && !reporter.AnyError()) RunShutdownCommand();
    return reporter.Exit(anyFailed);
}

int Session_cl::Add()
{
    const String_cl& name = m_line.operands[0];
    // A configuration the build would refuse is refused now, not hours later.
    if (m_line.hasConfiguration) CheckBuildConfiguration(m_line.configuration);
    PlanId_cl plan = m_stores.plans.FindPlan(name);
    const bool created = plan.IsEmpty();
    if (created) {
        // A name no command line could address again is never given.
        if (const int32_t code = CheckPlanName(name)) throw PlanNameError(code, __LINE__, L"Session", L"Session_cl");
        plan = m_stores.plans.AddPlan(name, m_line.hasConfiguration ? m_line.configuration
                                                                    : String_cl(kDefaultPlanConfiguration));
        m_out.Line(L"新建方案 " + name + L" (" + Field(plan->configuration) + L")");
    } else {
        ApplyConfiguration(plan);
    }
    std::vector<String_cl> paths;
    for (size_t i = 1; i < m_line.operands.size(); ++i) paths.push_back(FullPath(m_line.operands[i]));
    bool refused = false;
    // One bad solution must not cost the others: it is undone by the store,
    // reported, and the rest are still added and saved.
    for (const AddOutcome_st& o : AddFilesToPlan(m_stores, plan, paths)) {
        switch (o.kind) {
        case AddOutcome_st::Added: m_out.Line(L"已添加 " + o.path); break;
        case AddOutcome_st::AlreadyInPlan: m_out.Line(L"已在方案中 " + o.path); break;
        case AddOutcome_st::NotSolutionFile: m_err.Line(L"不是解决方案或工程文件：" + o.path); break;
        case AddOutcome_st::Missing: m_err.Line(L"文件不存在：" + o.path); break;
        case AddOutcome_st::Refused:
            try {
                std::rethrow_exception(o.error);
            } catch (const Base_ns::Error_cl& e) {
                e.Show(nullptr);
            }
            break;
        }
        if (o.kind != AddOutcome_st::Added && o.kind != AddOutcome_st::AlreadyInPlan) refused = true;
    }
    // A plan made for files that were all refused would be an empty leftover.
    if (created && plan->solutions.Count() == 0) {
        DeletePlan(m_stores, plan);
        m_out.Line(L"未新建方案 " + name);
    }
    return refused ? ConsoleApp_cl::ExitUserError : ConsoleApp_cl::ExitOk;
}

int Session_cl::RemovePlan()
{
    PlanId_cl plan = FindPlan(m_line.operands[0]);
    const String_cl name = plan->name;
    DeletePlan(m_stores, plan);
    m_out.Line(L"已删除方案 " + Field(name));
    return ConsoleApp_cl::ExitOk;
}

int Session_cl::ExportSequence()
{
    ExportSequenceFile(m_stores, FullPath(m_line.operands[0]));
    return ConsoleApp_cl::ExitOk;
}

int Session_cl::ImportSequence()
{
    ImportSequenceFile(m_stores, FullPath(m_line.operands[0]));
    return ConsoleApp_cl::ExitOk;
}

} // namespace Quorvane_ns
