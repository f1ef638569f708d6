#include "console/ConsoleApp.h"
#include "common/base/ComScope.h"
#include <windows.h>
#include <objbase.h>
#include <atomic>
#include <map>
#include "app/engine/BuildGraph.h"
#include "app/engine/BuildRunner.h"
#include "app/engine/MProjectPack.h"
#include "app/engine/RowState.h"
#include "app/store/DataFile.h"
#include "app/store/PlanPack.h"
#include "app/ProgramPlaces.h"
#include "common/base/Path.h"
#include "app/workflow/HtmlReport.h"
#include "app/workflow/JUnitReport.h"
#include "app/workflow/RunRecorder.h"
#include "app/workflow/SettingsInterface.h"
#include "app/workflow/InstanceLock.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/VcDirectory.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

namespace {

// Ctrl+C reaches the build too (it shares the console) and ends it; the
// first press then stops the walk after that item, as the window's Stop
// does, so the project files are restored and the data file is saved. A
// second press ends the program at once (the next start restores what a
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

const wchar_t kUsage[] =
    L"用法:\r\n"
    L"  Quorvane plans\r\n"
    L"  Quorvane show <方案>\r\n"
    L"  Quorvane graph <方案>\r\n"
    L"  Quorvane build|rebuild|clean <方案>[,<方案>...]\r\n"
    L"  Quorvane add <方案> <文件>...\r\n"
    L"  Quorvane remove-plan <方案>\r\n"
    L"  Quorvane export-sequence <文件>\r\n"
    L"  Quorvane import-sequence <文件>\r\n"
    L"选项:\r\n"
    L"  --vc-dir <目录>|auto    VC安装目录（默认：保存的设置；auto：vswhere 找到的最新安装）\r\n"
    L"  --config <编译方式>     例如 \"Debug|Win32\"\r\n"
    L"  --stop-on-error | --keep-going   遇错误停止（默认：保存的设置）\r\n"
    L"  --rename | --no-rename           更名编译（默认：保存的设置）\r\n"
    L"  --shutdown              最后一个方案编译完成后关机\r\n"
    L"  --jobs <N>              同时编译的工程数，1到64（默认：保存的设置）\r\n"
    L"  --report <文件>         build 和 rebuild：把结果写成 JUnit XML 文件\r\n"
    L"  --help | -h | /?        显示本说明\r\n"
    L"  --version               显示版本\r\n"
    L"每次编译后，编译日志\\报告.html 给出结果、失败原因和时间线。\r\n"
    L"退出码: 0 成功；1 有工程编译失败或工程文件不存在；2 用法或用户错误；3 系统错误";

// A bad command line; the message is printed above the usage text.
struct UsageError_st {
    String_cl message;
};

struct Options_st {
    String_cl command;
    std::vector<String_cl> operands;
    String_cl vcDirectory;
    bool hasVcDirectory = false;
    String_cl configuration;
    bool hasConfiguration = false;
    int stopOnError = -1;  // -1: the saved setting
    int rename = -1;       // -1: the saved setting
    bool shutdown = false;
    String_cl report;  // JUnit file of a build or rebuild; empty for none
    bool help = false;
    bool version = false;
    int jobs = 0;  // 0: the saved setting
};

Options_st Parse(const std::vector<String_cl>& args)
{
    Options_st o;
    for (size_t i = 0; i < args.size(); ++i) {
        const String_cl& a = args[i];
        auto value = [&](const wchar_t* name) {
            if (i + 1 >= args.size()) throw UsageError_st{String_cl(L"选项缺少参数：") + name};
            return args[++i];
        };
        if (a == L"--vc-dir") {
            o.vcDirectory = value(L"--vc-dir");
            o.hasVcDirectory = true;
        } else if (a == L"--config") {
            o.configuration = value(L"--config");
            o.hasConfiguration = true;
            if (o.configuration.empty()) throw UsageError_st{L"编译方式不能为空。"};
        } else if (a == L"--stop-on-error") {
            o.stopOnError = 1;
        } else if (a == L"--keep-going") {
            o.stopOnError = 0;
        } else if (a == L"--rename") {
            o.rename = 1;
        } else if (a == L"--no-rename") {
            o.rename = 0;
        } else if (a == L"--shutdown") {
            o.shutdown = true;
        } else if (a == L"--report") {
            o.report = value(L"--report");
            if (o.report.empty()) throw UsageError_st{L"报告文件不能为空。"};
        } else if (a == L"--help" || a == L"-h" || a == L"/?") {
            o.help = true;
        } else if (a == L"--version") {
            o.version = true;
        } else if (a == L"--jobs") {
            o.jobs = ParseJobs(value(L"--jobs"));
            if (o.jobs == 0) throw UsageError_st{L"同时编译的工程数应为1到64：" + args[i]};
        } else if (a.StartsWith(L"--")) {
            throw UsageError_st{L"未知的选项：" + a};
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.operands.push_back(a);
        }
    }
    return o;
}

std::vector<String_cl> SplitPlans(const String_cl& list)
{
    std::vector<String_cl> names;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(L',', start);
        if (comma == String_cl::npos) {
            // A trailing comma leaves nothing behind it: harmless, as on the
            // window's command line.
            if (start < list.size() || names.empty()) names.push_back(list.substr(start));
            break;
        }
        names.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

String_cl FullPath(const String_cl& path)
{
    wchar_t buf[4096];
    DWORD n = GetFullPathNameW(path.c_str(), 4096, buf, nullptr);
    if (n == 0 || n >= 4096) return path;
    return String_cl(buf, n);
}

// Why a row failed, in one line: the row it waited for, else its first error.
String_cl FailureText(const RowFailure_st& f)
{
    if (f.causeKey != 0) return L"因工程 " + f.causeName + L" 编译失败而缺少它的库";
    if (f.firstError.empty()) return L"日志中没有带错误代码的行";
    return f.firstError;
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
        out.Line(L"  " + root.name + L"：" + FailureText(root.failure));
        for (const auto& [key, depth] : g.knockOns) {
            const RowOutcome_st& k = *record.Row(key);
            out.Line(String_cl(static_cast<size_t>(2 + 2 * depth), L' ') + k.name + L"：因 " + k.failure.causeName +
                     L" 编译失败");
        }
    }
}

// Prints what a job reports and remembers the worst outcome for the exit status.
class ConsoleReporter_cl : public JobReporter_cl {
public:
    ConsoleReporter_cl(ConsoleOutput_cl& out, bool stopOnError)
        : m_out(out), m_stopOnError(stopOnError) {}

    void Status(const String_cl& text) override
    {
        if (!text.empty()) m_out.Line(text);
    }
    void RowBuilt(const Plan_st& plan, const MProject_st& row, int ok) override
    {
        String_cl line = L"  " + row.project->name + L"  " + row.configuration + L"  " +
                         RowStateText(row.state);
        if (ok == 0 && !row.log.empty()) line += L"  " + row.log;
        m_out.Line(line);
        if (row.state == CompileFailed) m_out.Line(L"    " + FailureText(DescribeFailure(plan, row)));
    }
    void SolutionCleaned(const Plan_st&, const String_cl& path) override
    {
        m_out.Line(L"  " + GetFileName(path) + L"  清理完成");
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

class Session_cl {
public:
    Session_cl(ConsoleOutput_cl& out, ConsoleOutput_cl& err, const Options_st& options)
        : m_out(out), m_err(err), m_options(options)
    {
    }

    int Run();

private:
    void Start();
    void Save();
    PlanId_cl FindPlan(const String_cl& name);
    void ApplyConfiguration(const PlanId_cl& plan);
    String_cl VcDirectory();
    void PrintRows(const Plan_st& plan);
    bool RowsFailed(const Plan_st& plan) const;

    int Plans();
    int Show();
    int Graph();
    int Job();
    // A build or rebuild of one plan, recorded for the reports.
    bool BuildPlan(const PlanId_cl& plan, const String_cl& vcDir, int jobs, std::atomic<int>& running,
                   JobReporter_cl& reporter, std::vector<RunRecord_st>& runs);
    int Add();
    int RemovePlan();
    int ExportSequence();
    int ImportSequence();
    void NeedOperands(size_t min, size_t max);

    ConsoleOutput_cl& m_out;
    ConsoleOutput_cl& m_err;
    const Options_st& m_options;
    InstanceLock_cl m_lock;  // declared before the stores: held until they are saved
    Stores_cl m_stores;
    SettingsHost_cl m_settings;
};

void Session_cl::NeedOperands(size_t min, size_t max)
{
    if (m_options.operands.size() < min) throw UsageError_st{L"参数不足：" + m_options.command};
    if (m_options.operands.size() > max) throw UsageError_st{L"参数过多：" + m_options.command};
}

void Session_cl::Start()
{
    StartReport_st report = m_stores.StartProgram(DataFilePath());
    // A data file that did not load: why, and where it was kept (printed
    // through the presenter, and logged when it is a system error).
    if (report.unreadable || !report.journalAside.empty()) ShowStartReport(report, nullptr);
}

void Session_cl::Save() { m_stores.SaveDataFile(DataFilePath()); }

PlanId_cl Session_cl::FindPlan(const String_cl& name)
{
    PlanId_cl plan = m_stores.plans.FindPlan(name);
    if (plan.IsEmpty()) throw MainWindowUserError(104, 540, name);
    return plan;
}

void Session_cl::ApplyConfiguration(const PlanId_cl& plan)
{
    if (!m_options.hasConfiguration || plan->configuration == m_options.configuration) return;
    CheckBuildConfiguration(m_options.configuration);
    m_stores.plans.SetPlanConfiguration(plan, m_options.configuration, m_stores.projects,
                                        m_stores.sequences);
}

String_cl Session_cl::VcDirectory()
{
    String_cl text = m_options.hasVcDirectory ? m_options.vcDirectory
                                              : m_settings.GetString(kKeyVcDirectory, L"");
    if (m_options.hasVcDirectory && Base_ns::EqualsNoCase(text, L"auto")) {
        const String_cl located = LocateVcInstallation();
        if (located.empty()) throw MainWindowUserError(105, __LINE__, L"");
        m_out.Line(L"VC安装目录 " + located);
        return located;
    }
    String_cl dir = NormalizeVcDirectory(text);
    CheckVcDirectory(dir);
    return dir;
}

void Session_cl::PrintRows(const Plan_st& plan)
{
    for (MProjectId_cl row = plan.rows.First(); !row.IsEmpty(); row = row.Next()) {
        m_out.Line(row->project->name + L"\t" + row->configuration + L"\t" +
                   RowStateText(row->state) + L"\t" + row->project->path);
    }
}

bool Session_cl::RowsFailed(const Plan_st& plan) const
{
    RowStatistics_st s = Statistics(plan.rows);
    return s.failed > 0 || s.notExist > 0;
}

int Session_cl::Plans()
{
    NeedOperands(0, 0);
    for (PlanId_cl p = m_stores.plans.First(); !p.IsEmpty(); p = p.Next())
        m_out.Line(p->name + L"\t" + p->configuration + L"\t" +
                   String_cl::FromInt(p->solutions.Count()));
    return ConsoleApp_cl::ExitOk;
}

int Session_cl::Show()
{
    NeedOperands(1, 1);
    PlanId_cl plan = FindPlan(m_options.operands[0]);
    ApplyConfiguration(plan);
    ConsoleReporter_cl reporter(m_out, false);
    RunReadJob(m_stores, plan, reporter);
    PrintRows(*plan);
    m_out.Line(CountersText(Statistics(plan->rows)));
    if (m_options.hasConfiguration) Save();
    return reporter.Exit(RowsFailed(*plan));
}

// The plan's rows and what they need, in Graphviz DOT on standard output;
// what reading the plan reports goes to standard error.
int Session_cl::Graph()
{
    NeedOperands(1, 1);
    PlanId_cl plan = FindPlan(m_options.operands[0]);
    ApplyConfiguration(plan);
    ConsoleReporter_cl reporter(m_err, false);
    RunReadJob(m_stores, plan, reporter);
    const BuildGraph_cl graph(plan->rows, m_stores.projects, m_stores.links);
    m_out.Line(GraphDotText(plan->name, plan->rows, graph));
    if (m_options.hasConfiguration) Save();
    return reporter.Exit(false);
}

int Session_cl::Job()
{
    NeedOperands(1, 1);
    std::vector<String_cl> names = SplitPlans(m_options.operands[0]);
    // Every name is checked before anything is built, so a typing error does
    // not surface hours into an unattended run.
    std::vector<PlanId_cl> plans;
    for (const String_cl& name : names) plans.push_back(FindPlan(name));
    String_cl vcDir = VcDirectory();

    bool stopOnError = m_options.stopOnError >= 0 ? m_options.stopOnError != 0
                                                  : m_settings.GetBool(kKeyStopOnError, true);
    bool rename = m_options.rename >= 0 ? m_options.rename != 0
                                        : m_settings.GetBool(kKeyRenameCompile, true);
    SetRenameCompile(rename);
    const int savedJobs = ParseJobs(m_settings.GetString(kKeyJobs, L"1"));
    const int jobs = m_options.jobs > 0 ? m_options.jobs : savedJobs > 0 ? savedJobs : 1;

    ConsoleReporter_cl reporter(m_out, stopOnError);
    bool anyFailed = false;
    bool reachedEnd = false;
    std::vector<RunRecord_st> runs;
    for (const PlanId_cl& plan : plans) {
        ApplyConfiguration(plan);
        m_out.Line(L"方案 " + plan->name + L" (" + plan->configuration + L")");
        RunReadJob(m_stores, plan, reporter);
        std::atomic<int> running{g_interrupted ? 0 : 1};
        g_running = &running;
        if (m_options.command == L"build" || m_options.command == L"rebuild") {
            reachedEnd = BuildPlan(plan, vcDir, jobs, running, reporter, runs);
        } else {
            RunCleanJob(m_stores, plan, vcDir, running, reporter);
            reachedEnd = false;
        }
        g_running = nullptr;
        m_out.Line(CountersText(Statistics(plan->rows)));
        if (!runs.empty() && m_options.command != L"clean") PrintFailures(m_out, runs.back());
        anyFailed = anyFailed || RowsFailed(*plan);
        // After every plan too, so that an interrupted run leaves the
        // results of the plans it finished.
        if (!m_options.report.empty()) {
            try {
                WriteJUnitReport(FullPath(m_options.report), runs);
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
    if (m_options.shutdown && reachedEnd) RunShutdownCommand();
    return reporter.Exit(anyFailed);
}

bool Session_cl::BuildPlan(const PlanId_cl& plan, const String_cl& vcDir, int jobs, std::atomic<int>& running,
                           JobReporter_cl& reporter, std::vector<RunRecord_st>& runs)
{
    const bool rebuild = m_options.command == L"rebuild";
    RunRecorder_cl recorder(reporter, plan, rebuild ? JobRebuild : JobBuild);
    recorder.OnFinished([](const RunRecord_st& record) { WriteHtmlReport(record); });
    bool reachedEnd = false;
    if (rebuild) {
        reachedEnd = RunRebuildJob(m_stores, plan, vcDir, running, recorder, jobs);
    } else {
        BuildRequest_st request;
        request.vcDirectory = vcDir;
        request.jobs = jobs;
        reachedEnd = RunBuildJob(m_stores, plan, request, running, recorder);
    }
    runs.push_back(recorder.Record());
    return reachedEnd;
}

int Session_cl::Add()
{
    NeedOperands(2, SIZE_MAX);
    const String_cl& name = m_options.operands[0];
    if (name.empty()) throw UsageError_st{L"方案名称不能为空。"};
    // A configuration the build would refuse is refused now, not hours later.
    if (m_options.hasConfiguration) CheckBuildConfiguration(m_options.configuration);
    PlanId_cl plan = m_stores.plans.FindPlan(name);
    bool created = plan.IsEmpty();
    if (created) {
        plan = m_stores.plans.AddPlan(name, m_options.hasConfiguration ? m_options.configuration
                                                                        : String_cl(L"Debug|Win32"));
        m_out.Line(L"新建方案 " + name + L" (" + plan->configuration + L")");
    } else {
        ApplyConfiguration(plan);
    }
    std::vector<String_cl> paths;
    for (size_t i = 1; i < m_options.operands.size(); ++i) paths.push_back(FullPath(m_options.operands[i]));
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
        m_stores.plans.RemovePlan(plan, m_stores.projects);
        m_out.Line(L"未新建方案 " + name);
    }
    Save();
    return refused ? ConsoleApp_cl::ExitUserError : ConsoleApp_cl::ExitOk;
}

int Session_cl::RemovePlan()
{
    NeedOperands(1, 1);
    PlanId_cl plan = FindPlan(m_options.operands[0]);
    String_cl name = plan->name;
    m_stores.plans.RemovePlan(plan, m_stores.projects);
    Save();
    m_out.Line(L"已删除方案 " + name);
    return ConsoleApp_cl::ExitOk;
}

int Session_cl::ExportSequence()
{
    NeedOperands(1, 1);
    m_stores.sequences.ExportSequence(FullPath(m_options.operands[0]));
    return ConsoleApp_cl::ExitOk;
}

int Session_cl::ImportSequence()
{
    NeedOperands(1, 1);
    m_stores.sequences.ImportSequence(FullPath(m_options.operands[0]));
    Save();
    return ConsoleApp_cl::ExitOk;
}

bool IsCommand(const String_cl& c)
{
    return c == L"plans" || c == L"show" || c == L"graph" || c == L"build" || c == L"rebuild" || c == L"clean" || c == L"add" ||
           c == L"remove-plan" || c == L"export-sequence" || c == L"import-sequence";
}

// The window's unattended mode, started the way the IDE's console launcher
// starts its window: Quorvane.exe gets the command line unchanged, and this
// program waits for it and ends with its exit status. -1 when there is no
// Quorvane.exe beside this program.
int HandOverToWindow(const String_cl& argumentsText)
{
    const String_cl exe = Base_ns::ProgramFolder() + L"Quorvane.exe";
    const DWORD a = GetFileAttributesW(exe.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return -1;
    String_cl commandLine = L"\"" + exe + L"\" " + argumentsText;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

int Session_cl::Run()
{
    const String_cl& c = m_options.command;
    if (!IsCommand(c)) throw UsageError_st{c.empty() ? String_cl(L"缺少命令。") : L"未知的命令：" + c};
    m_settings.Open(kProductName);
    // Before the data file is read: whoever else has it would save over what
    // this run learns, or this run over what it learns.
    if (!m_lock.Acquire(DataFilePath(), InstanceLock_cl::Console)) {
        m_err.Line(InstanceLock_cl::RefusalText(DataFilePath(), m_lock.Holder()));
        return ConsoleApp_cl::ExitUserError;
    }
    Start();
    int code = ConsoleApp_cl::ExitOk;
    if (c == L"plans") code = Plans();
    else if (c == L"show") code = Show();
    else if (c == L"graph") code = Graph();
    else if (c == L"add") code = Add();
    else if (c == L"remove-plan") code = RemovePlan();
    else if (c == L"export-sequence") code = ExportSequence();
    else if (c == L"import-sequence") code = ImportSequence();
    else code = Job();
    // Commands that change nothing leave the data file as it is.
    if (c != L"plans" && c != L"show" && c != L"graph" && c != L"export-sequence") m_stores.EndProgram(DataFilePath());
    return code;
}

} // namespace

int ConsoleApp_cl::Run(const std::vector<String_cl>& args)
{
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    ConsolePresenter_cl presenter(m_err);
    Base_ns::Presenter_cl* previous = Base_ns::CurrentPresenter();
    Base_ns::SetPresenter(&presenter);
    Base_ns::ComScope_cl com;
    int code = ExitOk;
    try {
        Options_st options = Parse(args);
        if (options.help) {
            m_out.Line(kUsage);
            Base_ns::SetPresenter(previous);
            return ExitOk;
        }
        if (options.version) {
            m_out.Line(String_cl(kProductName) + L" " + kProductVersion);
            Base_ns::SetPresenter(previous);
            return ExitOk;
        }
        if (!options.report.empty() && options.command != L"build" && options.command != L"rebuild")
            throw UsageError_st{L"--report 只用于 build 和 rebuild。"};
        // Before anything takes the data file: the window must be able to.
        if (!options.command.empty() && !IsCommand(options.command) && !m_argumentsText.empty()) {
            const int code = HandOverToWindow(m_argumentsText);
            if (code >= 0) {
                Base_ns::SetPresenter(previous);
                return code;
            }
        }
        Session_cl session(m_out, m_err, options);
        code = session.Run();
    } catch (const UsageError_st& e) {
        m_err.Line(e.message);
        m_err.Line(kUsage);
        code = ExitUserError;
    } catch (const Base_ns::Error_cl& e) {
        e.Show(nullptr);
        code = e.IsSystemError() ? ExitSystemError : ExitUserError;
    } catch (...) {
        // Anything else (std::bad_alloc, ...) is a fault of the program: logged
        // and announced like any system error, and the data file saved where
        // the session still could.
        Base_ns::ShowCurrentException(nullptr, L"ConsoleApp", __LINE__);
        code = ExitSystemError;
    }
    Base_ns::SetPresenter(previous);
    return code;
}

} // namespace Quorvane_ns
