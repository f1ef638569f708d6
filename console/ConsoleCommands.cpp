#include "console/ConsoleCommands.h"
#include <algorithm>
#include "app/workflow/Jobs.h"
#include "console/Session.h"

namespace Quorvane_ns {
namespace {

[[noreturn]] void Refuse(const String_cl& message) { throw UsageError_st{message}; }

const std::vector<Option_st> kOptions = {
    {{L"--vc-dir"}, L"<目录>|auto", L"VC安装目录（默认：保存的设置；auto：vswhere 找到的最新安装）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         l.vcDirectory = v;
         l.hasVcDirectory = true;
     },
     false},
    {{L"--config"}, L"<编译方式>", L"方案的编译方式，例如 \"Debug|Win32\"（保存到方案）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"编译方式不能为空。");
         l.configuration = v;
         l.hasConfiguration = true;
     },
     false},
    {{L"--stop-on-error", L"--keep-going"}, nullptr, L"遇错误停止（默认：保存的设置）",
     [](Invocation_st& l, size_t which, const String_cl&) { l.stopOnError = which == 0 ? 1 : 0; }, false},
    {{L"--rename", L"--no-rename"}, nullptr, L"更名编译（默认：保存的设置）",
     [](Invocation_st& l, size_t which, const String_cl&) { l.rename = which == 0 ? 1 : 0; }, false},
    {{L"--shutdown"}, nullptr, L"最后一个方案编译完成后关机",
     [](Invocation_st& l, size_t, const String_cl&) { l.shutdown = true; }, false},
    {{L"--jobs"}, L"<N>", L"同时编译的工程数，1到64，0为每个逻辑处理器一个（默认：保存的设置）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         l.jobs = ParseJobs(v);
         if (l.jobs == 0) Refuse(L"同时编译的工程数应为0到64：" + v);
     },
     false},
    {{L"--report"}, L"<文件>", L"把结果写成 JUnit XML 文件",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"报告文件不能为空。");
         l.report = v;
     },
     false},
    {{L"--only"}, L"<工程>[,<工程>...]", L"只编译这些工程（名称或工程文件），按依赖顺序，其余不动",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"--only 需要工程名称。");
         l.only = v;
     },
     false},
    {{L"--results"}, L"<文件>", L"把方案、学到的依赖、编译时间和结果写成方案文件（路径相对于 --root）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"结果文件不能为空。");
         l.results = v;
     },
     false},
    {{L"--data-dir"}, L"<目录>", L"数据文件、编译日志和 Error.log 所在的目录（默认：程序所在目录）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"数据目录不能为空。");
         l.dataDir = v;
     },
     true},
    {{L"--for"}, L"gitlab|github", L"流水线的 CI 引擎",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v != L"gitlab" && v != L"github") Refuse(L"--for 应为 gitlab 或 github：" + v);
         l.engine = v;
     },
     false},
    {{L"--agents"}, L"<K>", L"同时运行的作业数（构建代理数），1到256，默认4",
     [](Invocation_st& l, size_t, const String_cl& v) {
         const int k = _wtoi(v.c_str());
         if (k < 1 || k > 256 || v.find_first_not_of(L"0123456789") != String_cl::npos) Refuse(L"代理数应为1到256：" + v);
         l.agents = k;
     },
     false},
    {{L"--job-overhead"}, L"<秒>", L"每个作业的固定开销（检出、启动、传递产物），默认60秒",
     [](Invocation_st& l, size_t, const String_cl& v) {
         const int s = _wtoi(v.c_str());
         if (v.empty() || s > 86400 || v.find_first_not_of(L"0123456789") != String_cl::npos) Refuse(L"作业开销应为0到86400秒：" + v);
         l.jobOverhead = s;
     },
     false},
    {{L"--root"}, L"<目录>", L"方案文件中的路径相对的目录（默认：pipeline 为方案文件的共同目录，其余为当前目录）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"根目录不能为空。");
         l.root = v;
     },
     false},
    {{L"--out"}, L"<文件>", L"流水线文件（默认：根目录下 quorvane.gitlab-ci.yml 或 .github\\workflows\\quorvane.yml）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"流水线文件不能为空。");
         l.out = v;
     },
     false},
    {{L"--plan-file"}, L"<文件>", L"流水线带的方案文件（默认：根目录下 quorvane-plan.xml）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"方案文件不能为空。");
         l.planFile = v;
     },
     false},
    {{L"--tag"}, L"<标签>", L"GitLab 作业的 tags，选择 Windows 代理（可重复）",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"标签不能为空。");
         l.tags.push_back(v);
     },
     false},
    {{L"--runs-on"}, L"<标签>", L"GitHub 作业的 runs-on，默认 windows-latest",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v.empty()) Refuse(L"runs-on 不能为空。");
         l.runsOn = v;
     },
     false},
    {{L"--shell"}, L"pwsh|bash", L"作业脚本的 shell：代理的 PowerShell（默认）或 bash",
     [](Invocation_st& l, size_t, const String_cl& v) {
         if (v != L"pwsh" && v != L"bash") Refuse(L"--shell 应为 pwsh 或 bash：" + v);
         l.shell = v;
     },
     false},
    {{L"--help", L"-h", L"/?"}, nullptr, L"显示本说明",
     [](Invocation_st& l, size_t, const String_cl&) { l.help = true; }, true},
    {{L"--version"}, nullptr, L"显示版本", [](Invocation_st& l, size_t, const String_cl&) { l.version = true; },
     true},
};

const std::vector<const wchar_t*> kBuildOptions = {L"--vc-dir", L"--config", L"--stop-on-error", L"--rename",
                                                   L"--shutdown", L"--jobs",   L"--report"};
// A build server's job of a pipeline: these rows, its results for the last job.
const std::vector<const wchar_t*> kBuildOnlyOptions = {L"--vc-dir", L"--config", L"--stop-on-error", L"--rename",
                                                       L"--shutdown", L"--jobs", L"--report", L"--only",
                                                       L"--results", L"--root"};

const std::vector<Command_st> kCommands = {
    {L"plans", L"", 0, 0, {}, [](Session_cl& s) { return s.Plans(); }, false, L"列出方案：名称、编译方式、解决方案数"},
    {L"show", L"<方案>", 1, 1, {L"--config"}, [](Session_cl& s) { return s.Show(); }, false,
     L"读取方案，列出它的工程和状态"},
    {L"graph", L"<方案>", 1, 1, {L"--config"}, [](Session_cl& s) { return s.Graph(); }, false,
     L"方案的依赖关系，Graphviz DOT 格式"},
    {L"build", L"<方案>[,<方案>...]", 1, 1, kBuildOnlyOptions, [](Session_cl& s) { return s.Job(); }, true,
     L"编译方案中待编译的工程"},
    {L"rebuild", L"<方案>[,<方案>...]", 1, 1, kBuildOptions, [](Session_cl& s) { return s.Job(); }, true,
     L"清理方案的解决方案，然后编译"},
    // A build server's script passes one set of options to build, rebuild
    // and clean alike: the clean takes the settings a build takes and
    // refuses only what it could not do (a shutdown, a report).
    {L"clean", L"<方案>[,<方案>...]", 1, 1, {L"--vc-dir", L"--config", L"--stop-on-error", L"--rename", L"--jobs"},
     [](Session_cl& s) { return s.Job(); },
     true, L"清理方案的解决方案"},
    {L"add", L"<方案> <文件>...", 2, SIZE_MAX, {L"--config"}, [](Session_cl& s) { return s.Add(); }, true,
     L"把解决方案或工程文件加入方案（方案不存在时新建）"},
    {L"remove-plan", L"<方案>", 1, 1, {}, [](Session_cl& s) { return s.RemovePlan(); }, true, L"删除方案"},
    {L"export-sequence", L"<文件>", 1, 1, {}, [](Session_cl& s) { return s.ExportSequence(); }, false,
     L"把历史顺序写到文件"},
    {L"import-sequence", L"<文件>", 1, 1, {}, [](Session_cl& s) { return s.ImportSequence(); }, true,
     L"从文件读入历史顺序"},
    {L"pipeline", L"<方案>", 1, 1,
     {L"--for", L"--agents", L"--job-overhead", L"--root", L"--out", L"--plan-file", L"--tag", L"--runs-on", L"--shell",
      L"--vc-dir", L"--config"},
     [](Session_cl& s) { return s.Pipeline(); }, false,
     L"把方案写成 CI 流水线（GitLab 或 GitHub），多个构建代理按依赖分工编译"},
    {L"import-plan", L"<方案文件>", 1, 1, {L"--root"}, [](Session_cl& s) { return s.ImportPlan(); }, true,
     L"读入方案文件：没有同名方案时新建，并合并学到的依赖和编译时间"},
    {L"collect", L"<方案> <目录>", 2, 2, {L"--plan-file", L"--root"}, [](Session_cl& s) { return s.Collect(); }, true,
     L"汇总流水线各作业的结果：一个方案文件、一个 JUnit 文件和一个报告"},
};

const wchar_t kWindowOperands[] = L"<方案>[,<方案>...]";
const wchar_t kWindowHelp[] = L"交给窗口程序 Quorvane.exe：依次重新编译各方案，然后关机";

const Option_st* FindOption(const String_cl& word, size_t& which)
{
    for (const Option_st& o : kOptions)
        for (which = 0; which < o.names.size(); ++which)
            if (word == o.names[which]) return &o;
    return nullptr;
}

bool Takes(const Command_st& command, const Option_st& option)
{
    return option.anyCommand || std::any_of(command.options.begin(), command.options.end(),
                                            [&](const wchar_t* name) { return option.names[0] == String_cl(name); });
}

// "build 和 rebuild", "build、rebuild 和 clean".
String_cl CommandsTaking(const Option_st& option)
{
    std::vector<String_cl> names;
    for (const Command_st& c : kCommands)
        if (Takes(c, option)) names.push_back(c.name);
    String_cl text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? L"" : i + 1 == names.size() ? L" 和 " : L"、") + names[i];
    return text;
}

// Columns line up on a console, where a Chinese character is two wide.
size_t Width(const String_cl& text)
{
    size_t width = 0;
    for (wchar_t c : text) width += c >= 0x1100 ? 2 : 1;
    return width;
}

void AddRows(String_cl& text, const std::vector<std::pair<String_cl, String_cl>>& rows)
{
    size_t column = 0;
    for (const auto& row : rows) column = std::max(column, Width(row.first));
    for (const auto& [left, right] : rows)
        text += L"  " + left + String_cl(column + 2 - Width(left), L' ') + right + L"\r\n";
}

} // namespace

const std::vector<Command_st>& Commands() { return kCommands; }
const std::vector<Option_st>& Options() { return kOptions; }

Invocation_st ParseCommandLine(const std::vector<String_cl>& args)
{
    Invocation_st line;
    std::vector<String_cl> given;  // as typed, for the messages
    for (size_t i = 0; i < args.size(); ++i) {
        size_t which = 0;
        const Option_st* option = FindOption(args[i], which);
        if (!option) {
            if (args[i].StartsWith(L"--")) Refuse(L"未知的选项：" + args[i]);
            if (line.word.empty())
                line.word = args[i];
            else
                line.operands.push_back(args[i]);
            continue;
        }
        String_cl value;
        if (option->value) {
            if (i + 1 >= args.size()) Refuse(L"选项缺少参数：" + args[i]);
            value = args[++i];
        }
        option->apply(line, which, value);
        line.given.push_back(option);
        given.push_back(option->names[which]);
    }
    if (line.help || line.version) return line;
    if (line.word.empty()) Refuse(L"缺少命令。");
    for (const Command_st& c : kCommands)
        if (line.word == c.name) line.command = &c;
    if (!line.command) {
        if (!given.empty()) Refuse(L"交给窗口程序的方案列表不带选项：" + given[0]);
        return line;
    }
    for (size_t i = 0; i < line.given.size(); ++i)
        if (!Takes(*line.command, *line.given[i])) Refuse(given[i] + L" 只用于 " + CommandsTaking(*line.given[i]) + L"。");
    if (line.operands.size() < line.command->minOperands) Refuse(L"参数不足：" + line.word);
    if (line.operands.size() > line.command->maxOperands) Refuse(L"参数过多：" + line.word);
    return line;
}

String_cl UsageText()
{
    String_cl text = L"用法:\r\n";
    std::vector<std::pair<String_cl, String_cl>> rows;
    for (const Command_st& c : kCommands)
        rows.emplace_back(String_cl(L"Quorvane ") + c.name + (*c.operands ? L" " : L"") + c.operands, c.help);
    rows.emplace_back(String_cl(L"Quorvane ") + kWindowOperands, kWindowHelp);
    AddRows(text, rows);
    text += L"选项:\r\n";
    rows.clear();
    for (const Option_st& o : kOptions) {
        String_cl names;
        for (const wchar_t* name : o.names) names += (names.empty() ? L"" : L" | ") + String_cl(name);
        if (o.value) names += String_cl(L" ") + o.value;
        rows.emplace_back(names, o.anyCommand ? String_cl(o.help) : o.help + (L"；用于 " + CommandsTaking(o)));
    }
    AddRows(text, rows);
    text += L"每次编译后，编译日志\\报告.html 给出结果、失败原因和时间线。\r\n";
    text += L"退出码: 0 成功；1 有工程编译失败或工程文件不存在；2 用法或用户错误；3 系统错误";
    return text;
}

std::vector<String_cl> SplitPlans(const String_cl& list)
{
    std::vector<String_cl> names;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(L',', start);
        if (comma == String_cl::npos) {
            if (start < list.size() || names.empty()) names.push_back(list.substr(start));
            return names;
        }
        names.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
}

} // namespace Quorvane_ns
