// The console's commands for a plan built on a CI engine's agents: the
// pipeline file, a job's plan file taken in, the last job's collection.
#include <windows.h>
#include <map>
#include "app/ProgramPlaces.h"
#include "app/store/DataFile.h"
#include "app/workflow/HtmlReport.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/JUnitReport.h"
#include "app/workflow/PipelineFile.h"
#include "app/workflow/PlanFile.h"
#include "app/workflow/ReportFile.h"
#include "app/workflow/RunRecord.h"
#include "app/workflow/WriteTarget.h"
#include "console/ConsoleApp.h"
#include "console/Session.h"

namespace Quorvane_ns {
namespace {

String_cl Full(const String_cl& path)
{
    wchar_t buf[4096];
    const DWORD n = GetFullPathNameW(path.c_str(), 4096, buf, nullptr);
    if (n == 0 || n >= 4096) return path;
    return String_cl(buf, n);
}

String_cl AsFolder(String_cl folder)
{
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

String_cl Slashed(String_cl path)
{
    path.ReplaceAll(L"\\", L"/");
    return path;
}

bool IsFile(const String_cl& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Reports nothing but errors: these commands print their own lines.
class QuietReporter_cl : public JobReporter_cl {
public:
    void Status(const String_cl&) override {}
    bool StopOnError() override { return false; }
    void ShowError(const Base_ns::Error_cl& error) override
    {
        error.Show(nullptr);
        (error.IsSystemError() ? m_system : m_user) = true;
    }
    int Exit() const
    {
        return m_system ? ConsoleApp_cl::ExitSystemError : m_user ? ConsoleApp_cl::ExitUserError : ConsoleApp_cl::ExitOk;
    }

private:
    bool m_system = false;
    bool m_user = false;
};

void ReadPlan(Stores_cl& stores, const PlanId_cl& plan, JobReporter_cl& reporter)
{
    JobOrder_st order;
    order.kind = JobRead;
    order.plan = plan;
    std::atomic<int> running{0};
    RunJob(stores, order, running, reporter);
}

} // namespace

String_cl Session_cl::RootFolder(const String_cl& fallback) const
{
    return AsFolder(Full(m_line.root.empty() ? fallback : m_line.root));
}

std::set<uint32_t> Session_cl::OnlyRows(const Plan_st& plan)
{
    const String_cl here = AsFolder(Full(L"."));
    std::set<uint32_t> rows;
    for (const String_cl& word : SplitPlans(m_line.only)) {
        if (word.empty()) continue;
        const Base_ns::FileIdentity_st file = Base_ns::IdentityOf(Full(word));
        bool found = false;
        for (MProjectId_cl row = plan.rows.First(); !row.IsEmpty(); row = row.Next()) {
            Project_st& p = *row->project;
            if (p.name.EqualsNoCase(word) || Base_ns::CachedIdentity(p.identity, p.path).Same(file) ||
                Slashed(RelativeTo(here, p.path)).EqualsNoCase(Slashed(word))) {
                rows.insert(row.Serial());
                found = true;
            }
        }
        if (!found) throw PlanFileError(104, __LINE__, word);
    }
    return rows;
}

void Session_cl::KeepOnly(RunRecord_st& record, const std::set<uint32_t>& rows) const
{
    std::vector<RowOutcome_st> kept;
    for (const RowOutcome_st& r : record.rows)
        if (rows.count(r.key)) kept.push_back(r);
    record.rows = kept;
    for (SolutionRows_st& s : record.solutions) {
        std::vector<uint32_t> keys;
        for (uint32_t k : s.rowKeys)
            if (rows.count(k)) keys.push_back(k);
        s.rowKeys = keys;
    }
}

int Session_cl::Pipeline()
{
    if (m_line.engine.empty()) throw UsageError_st{L"pipeline 需要 --for gitlab 或 --for github。"};
    QuietReporter_cl reporter;
    const PlanId_cl plan = ReadNamedPlan(reporter);
    if (reporter.Exit() != ConsoleApp_cl::ExitOk) return reporter.Exit();
    PipelineRequest_st request;
    request.engine = m_line.engine == L"github" ? CiEngine_en::GitHub : CiEngine_en::GitLab;
    request.shell = m_line.shell == L"bash" ? CiShell_en::Bash : CiShell_en::PowerShell;
    request.agents = m_line.agents;
    request.jobOverhead = m_line.jobOverhead;
    request.tags = m_line.tags;
    request.runsOn = m_line.runsOn;
    if (m_line.hasVcDirectory) request.vcDirectory = m_line.vcDirectory;
    request.root = m_line.root.empty() ? CommonFolder(PlanFiles(*plan)) : RootFolder(String_cl());
    if (request.root.empty()) throw PlanFileError(101, __LINE__, L"方案的文件不在同一个驱动器上");
    const String_cl planFile = m_line.planFile.empty() ? request.root + L"quorvane-plan.xml" : Full(m_line.planFile);
    const String_cl relativePlanFile = RelativeTo(request.root, planFile);
    if (relativePlanFile.empty()) throw PlanFileError(101, __LINE__, L"文件：" + planFile + L"\r\n根目录：" + request.root);
    request.planFile = Slashed(relativePlanFile);
    const String_cl out = !m_line.out.empty() ? Full(m_line.out)
                          : request.engine == CiEngine_en::GitLab ? request.root + L"quorvane.gitlab-ci.yml"
                                                                  : request.root + L".github\\workflows\\quorvane.yml";
    for (const String_cl& target : {out, planFile}) {
        CreateDirectories(target);
        CheckWriteTarget(m_stores, target);
    }
    const PipelineText_st pipeline = MakePipeline(m_stores, *plan, request);
    WritePlanFile(m_stores, *plan, request.root, planFile);
    WriteReportFile(out, pipeline.text);
    const Grouping_st& g = pipeline.grouping;
    m_out.Line(L"流水线 " + out);
    m_out.Line(L"方案文件 " + planFile);
    m_out.Line(L"根目录 " + request.root);
    m_out.Line(String_cl::FromInt(static_cast<long long>(g.jobs.size())) + L" 个作业，估计用时 " +
               ClockText(g.wallSeconds) + L"（关键路径 " + ClockText(g.criticalSeconds) + L"，下限 " +
               ClockText(g.boundSeconds) + L"，一台机器 " + ClockText(g.workSeconds) + L"）");
    for (const PipelineJobText_st& job : pipeline.jobs) {
        String_cl rows;
        for (const String_cl& r : job.rows) rows += (rows.empty() ? L"" : L", ") + r;
        m_out.Line(L"  " + job.id + L"：" + ConsoleOutput_cl::Field(rows));
    }
    return ConsoleApp_cl::ExitOk;
}

int Session_cl::ImportPlan()
{
    const PlanFile_st file = ReadPlanFile(Full(m_line.operands[0]), RootFolder(L"."));
    bool created = false;
    ApplyPlanFile(m_stores, file, created);
    m_out.Line((created ? L"新建方案 " : L"方案已存在，保留它的解决方案：") + ConsoleOutput_cl::Field(file.planName) +
               L" (" + ConsoleOutput_cl::Field(file.configuration) + L")");
    m_out.Line(L"依赖 " + String_cl::FromInt(static_cast<long long>(file.links.size())) + L" 条，编译时间 " +
               String_cl::FromInt(static_cast<long long>(file.times.size())) + L" 个");
    return ConsoleApp_cl::ExitOk;
}

// Every job's results (its folder under the given one holds results.xml)
// into the plan: links and times learned, each built row's state, time,
// log and reason; then one plan file, one JUnit file and one report in
// that folder. A job that never ran left no results: its rows are "not
// built" in the reports.
int Session_cl::Collect()
{
    const String_cl root = RootFolder(L".");
    const String_cl folder = AsFolder(Full(m_line.operands[1]));
    if (!m_line.planFile.empty()) {
        bool created = false;
        ApplyPlanFile(m_stores, ReadPlanFile(Full(m_line.planFile), root), created);
    }
    QuietReporter_cl reporter;
    const PlanId_cl plan = FindPlan(m_line.operands[0]);
    ReadPlan(m_stores, plan, reporter);
    std::vector<RowResult_st> results;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found)) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || found.cFileName[0] == L'.') continue;
        const String_cl file = folder + found.cFileName + L"\\results.xml";
        if (!IsFile(file)) continue;
        try {
            PlanFile_st taken = ReadPlanFile(file, root);
            bool created = false;
            taken.planName = plan->name;  // the results are this plan's whatever the file says
            ApplyPlanFile(m_stores, taken, created);
            results.insert(results.end(), taken.results.begin(), taken.results.end());
            m_out.Line(L"已汇总 " + file);
        } catch (const Base_ns::Error_cl& e) {
            reporter.ShowError(e);
        }
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);

    RunRecord_st record;
    record.planName = plan->name;
    record.configuration = plan->configuration;
    record.start = record.planned = MomentNow();
    std::map<String_cl, int> lanes;
    std::map<int, Moment_t> laneTime;
    for (const RowResult_st& r : results) {
        MProjectId_cl row = FindRow(plan->rows, r.path, r.configuration);
        if (row.IsEmpty()) continue;
        row->state = r.state;
        row->log = r.log;
        row->failReason = r.state == CompileFailed ? r.firstError : String_cl();
        // One lane per job, its builds one after another from the start.
        const int lane = lanes.emplace(r.job, static_cast<int>(lanes.size())).first->second;
        BuildSpan_st span;
        span.rowKey = row.Serial();
        span.name = row->project->name;
        span.lane = lane;
        span.start = laneTime.count(lane) ? laneTime[lane] : record.start;
        span.end = span.start + static_cast<Moment_t>(r.seconds * 1e7);
        span.state = r.state;
        laneTime[lane] = span.end;
        record.builds.push_back(span);
    }
    record.end = record.start;
    for (const auto& [lane, end] : laneTime) record.end = std::max(record.end, end);
    TakeRows(*plan, record);
    WritePlanFile(m_stores, *plan, root, folder + L"quorvane-plan.xml", &record);
    WriteJUnitReport(folder + L"junit.xml", {record});
    WriteReportFile(folder + L"报告.html", HtmlReportText(record, folder));
    m_out.Line(CountersText(Statistics(plan->rows)));
    m_out.Line(L"方案文件 " + folder + L"quorvane-plan.xml");
    m_out.Line(L"JUnit " + folder + L"junit.xml");
    m_out.Line(L"报告 " + folder + L"报告.html");
    return reporter.Exit();
}

} // namespace Quorvane_ns
