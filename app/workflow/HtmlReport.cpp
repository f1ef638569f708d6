#include "app/workflow/HtmlReport.h"
#include <cstdio>
#include <set>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/RowState.h"
#include "app/workflow/PageCommands.h"
#include "app/workflow/ReportFile.h"

namespace Quorvane_ns {
namespace {

const wchar_t kStyle[] =
    L"body{font-family:\"Microsoft YaHei\",\"微软雅黑\",\"SimSun\",\"WenQuanYi Micro Hei\",\"Noto Sans CJK SC\","
    L"sans-serif;margin:24px;color:#222;background:#fff;font-size:14px}"
    L"h1{font-size:22px;margin:0 0 12px}h2{font-size:17px;margin:24px 0 8px;border-bottom:1px solid #ccc;"
    L"padding-bottom:4px}"
    L"table{border-collapse:collapse}th,td{text-align:left;padding:3px 10px;vertical-align:top}"
    L"table.facts th{color:#555;font-weight:normal;padding-left:0}"
    L"table.rows{width:100%}table.rows th{background:#eee;border-bottom:1px solid #bbb}"
    L"table.rows td{border-bottom:1px solid #e4e4e4}table.rows td.num{text-align:right;white-space:nowrap}"
    L"p.counters{font-size:15px;font-weight:bold;margin:12px 0}"
    L"code{font-family:Consolas,\"Courier New\",monospace;font-size:12.5px;word-break:break-all;white-space:pre-wrap}"
    L".s-ok{color:#1b7f2a}.s-same{color:#666}.s-failed{color:#c62828;font-weight:bold}"
    L".s-knock{color:#d66a00;font-weight:bold}.s-wait{color:#9a7b00}.s-none{color:#888}"
    L"ul.failures{padding-left:20px}ul.failures li{margin:4px 0}ul.failures ul{padding-left:22px;"
    L"list-style:none}ul.failures ul li:before{content:\"\\2514\\00a0\";color:#999}"
    L".note{color:#666}.fail-reason{color:#c62828}.result-bad{color:#c62828;font-weight:bold}.result-good{color:#1b7f2a;font-weight:bold}"
    L"svg text{font-size:12px}footer{margin-top:28px;color:#888;font-size:12px}";

// The colours of the bars, by what the build left.
struct Look_st {
    const wchar_t* cssClass;
    const wchar_t* fill;
    const wchar_t* legend;
};
const Look_st kOk{L"s-ok", L"#43a047", L"已编译"};
const Look_st kSame{L"s-same", L"#9e9e9e", L"已编译(未改变)"};
const Look_st kFailed{L"s-failed", L"#e53935", L"编译失败"};
const Look_st kKnockOn{L"s-knock", L"#fb8c00", L"连带失败"};
const Look_st kWait{L"s-wait", L"#fdd835", L"等待库后重编"};
const Look_st kNone{L"s-none", L"#bdbdbd", L"未完成"};

const Look_st& LookOf(int32_t state, uint32_t causeKey)
{
    switch (state) {
    case Compiled: return kOk;
    case CompiledUnchanged: return kSame;
    case CompileFailed: return causeKey ? kKnockOn : kFailed;
    case LibraryDependency: return kWait;
    default: return kNone;
    }
}

String_cl H(const String_cl& text) { return MarkupText(text); }

String_cl Number(double v)
{
    wchar_t text[32];
    swprintf(text, 32, L"%.1f", v);
    return text;
}

String_cl JobText(const RunRecord_st& r)
{
    if (r.singleRow != 0) {
        const RowOutcome_st* row = r.Row(r.singleRow);
        return L"编译单个工程" + (row ? L" " + row->name : String_cl());
    }
    return r.kind == JobRebuild ? L"重新编译" : L"编译";
}

String_cl ResultText(const RunRecord_st& r)
{
    if (r.ended.error) return L"<span class=\"result-bad\">因错误而中止</span>";
    if (r.stopped) return L"<span class=\"result-bad\">已停止，仍有工程未编译</span>";
    if (r.builds.empty()) return L"<span class=\"note\">没有需要编译的工程</span>";
    if (r.counts.failed > 0) return L"<span class=\"result-bad\">完成，有工程编译失败</span>";
    return L"<span class=\"result-good\">完成，全部成功</span>";
}

String_cl LogCell(const RowOutcome_st& row, const String_cl& folder)
{
    if (row.log.IsEmpty()) return L"";
    return L"<a href=\"" + H(FileLink(folder, row.log)) + L"\">" + H(GetFileName(row.log)) + L"</a>";
}

// What the row's failure column says; a row built although its project file
// was not read whole says that too.
String_cl ReasonHtml(const RunRecord_st& r, const RowOutcome_st& row)
{
    const String_cl note =
        row.readNote.IsEmpty() ? String_cl() : L"<span class=\"note read-note\">" + H(row.readNote) + L"</span>";
    if (row.state == LibraryDependency)
        return L"<span class=\"note\">等待其他工程的库</span>" + (note.IsEmpty() ? note : String_cl(L"<br>" + note));
    if (row.state != CompileFailed) return note;
    String_cl out;
    auto line = [&](const String_cl& html) { out += (out.IsEmpty() ? L"" : L"<br>") + html; };
    if (row.failure.causeKey != 0) {
        String_cl knock = L"<span class=\"s-knock\">因工程 " + H(row.failure.causeName) + L" 编译失败而缺少它的库</span>";
        const RowOutcome_st* root = r.Row(row.rootKey);
        if (root && root->key != row.failure.causeKey) knock += L"<span class=\"note\">（根源：" + H(root->name) + L"）</span>";
        line(knock);
    }
    if (!row.failure.reason.IsEmpty()) line(L"<span class=\"fail-reason\">" + H(row.failure.reason) + L"</span>");
    if (!row.failure.firstError.IsEmpty()) line(L"<code>" + H(row.failure.firstError) + L"</code>");
    else if (row.failure.causeKey == 0 && row.failure.reason.IsEmpty()) line(L"<span class=\"note\">日志中没有带错误代码的行</span>");
    if (!note.IsEmpty()) line(note);
    return out;
}

String_cl Facts(const RunRecord_st& r)
{
    String_cl out = L"<table class=\"facts\">\n";
    auto fact = [&](const wchar_t* name, const String_cl& html) {
        out += L"<tr><th>" + String_cl(name) + L"</th><td>" + html + L"</td></tr>\n";
    };
    fact(L"方案", H(r.planName));
    fact(L"编译模式", H(r.configuration));
    fact(L"任务", H(JobText(r)));
    fact(L"开始", LocalTimeText(r.start));
    fact(L"结束", LocalTimeText(r.end));
    fact(L"用时", DurationText(SecondsBetween(r.start, r.end)));
    if (r.estimatedSeconds >= 0)
        fact(L"预计编译用时", L"约 " + DurationText(r.estimatedSeconds) + L"<span class=\"note\">（实际 " +
                                  DurationText(SecondsBetween(r.planned, r.end)) + L"）</span>");
    fact(L"编译次数", String_cl::FromInt(static_cast<long long>(r.builds.size())) +
                          (r.Lanes() > 1 ? L"，最多 " + String_cl::FromInt(r.Lanes()) + L" 个同时进行" : String_cl()));
    fact(L"结果", ResultText(r));
    return out + L"</table>\n";
}

String_cl Failures(const RunRecord_st& r, const String_cl& folder)
{
    const std::vector<FailureGroup_st> groups = FailureGroups(r);
    String_cl out = L"<h2>失败的工程</h2>\n";
    String_cl unread;
    for (const SolutionRows_st& s : r.solutions)
        if (!s.unreadable.IsEmpty())
            unread += L"<li><b class=\"s-failed\" title=\"" + H(s.path) + L"\">" + H(GetFileName(s.path)) +
                      L"</b> <span class=\"fail-reason\">" + H(s.UnreadableReason()) + L"</span></li>\n";
    if (groups.empty() && unread.IsEmpty()) return out + L"<p class=\"note\">没有编译失败的工程。</p>\n";
    out += L"<ul class=\"failures\">\n" + unread;
    for (const FailureGroup_st& g : groups) {
        const RowOutcome_st& root = *r.Row(g.rootKey);
        out += L"<li><b class=\"s-failed\">" + H(root.name) + L"</b> " + ReasonHtml(r, root) + L" " +
               LogCell(root, folder);
        if (!g.knockOns.empty()) {
            out += L"\n<ul>\n";
            for (const auto& [key, depth] : g.knockOns) {
                const RowOutcome_st& k = *r.Row(key);
                out += L"<li style=\"margin-left:" + String_cl::FromInt((depth - 1) * 22) + L"px\"><b class=\"s-knock\">" +
                       H(k.name) + L"</b> <span class=\"note\">因 " + H(k.failure.causeName) + L" 失败</span> " +
                       LogCell(k, folder) + L"</li>\n";
            }
            out += L"</ul>";
        }
        out += L"</li>\n";
    }
    return out + L"</ul>\n";
}

// Seconds between two ticks of the time axis: about eight ticks.
double TickStep(double total)
{
    const double steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
    for (double s : steps)
        if (total / s <= 8) return s;
    return 86400;
}

String_cl ClockText(double seconds)
{
    const long long s = static_cast<long long>(seconds + 0.5);
    wchar_t text[32];
    if (s >= 3600) swprintf(text, 32, L"%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else swprintf(text, 32, L"%lld:%02lld", s / 60, s % 60);
    return text;
}

// Rough width of a label in pixels at 12 px: CJK characters are square.
double LabelWidth(const String_cl& text)
{
    double w = 0;
    for (wchar_t c : text) w += c >= 0x2E80 ? 12.5 : 7.0;
    return w;
}

String_cl Timeline(const RunRecord_st& r)
{
    String_cl out = L"<h2>时间线</h2>\n";
    if (r.builds.empty()) return out + L"<p class=\"note\">本次没有编译任何工程。</p>\n";
    const double left = 80, plot = 900, top = 26, laneHeight = 30, barHeight = 22;
    const int lanes = r.Lanes();
    const Moment_t end = r.end > r.start ? r.end : r.start + 1;
    double total = SecondsBetween(r.start, end);
    if (total <= 0) total = 1;
    const double height = top + lanes * laneHeight + 34;
    out += L"<svg width=\"" + Number(left + plot + 20) + L"\" height=\"" +
           Number(height) + L"\" viewBox=\"0 0 " + Number(left + plot + 20) + L" " + Number(height) +
           L"\" role=\"img\" aria-label=\"时间线\">\n";
    // Axis and lanes.
    const double step = TickStep(total);
    for (double t = 0; t <= total + 1e-9; t += step) {
        const double x = left + t / total * plot;
        out += L"<line x1=\"" + Number(x) + L"\" y1=\"" + Number(top - 4) + L"\" x2=\"" + Number(x) + L"\" y2=\"" +
               Number(top + lanes * laneHeight) + L"\" stroke=\"#ddd\"/>";
        out += L"<text x=\"" + Number(x) + L"\" y=\"" + Number(top - 8) + L"\" text-anchor=\"middle\" fill=\"#666\">" +
               ClockText(t) + L"</text>\n";
    }
    for (int lane = 0; lane < lanes; ++lane) {
        const double y = top + lane * laneHeight;
        out += L"<text x=\"4\" y=\"" + Number(y + laneHeight / 2 + 4) + L"\" fill=\"#444\">通道 " +
               String_cl::FromInt(lane + 1) + L"</text>";
        out += L"<line x1=\"" + Number(left) + L"\" y1=\"" + Number(y + laneHeight) + L"\" x2=\"" + Number(left + plot) +
               L"\" y2=\"" + Number(y + laneHeight) + L"\" stroke=\"#eee\"/>\n";
    }
    // A rebuild's clean comes before its first build.
    if (r.buildPhase > r.start) {
        const double w = SecondsBetween(r.start, r.buildPhase) / total * plot;
        out += L"<rect x=\"" + Number(left) + L"\" y=\"" + Number(top) + L"\" width=\"" + Number(w) + L"\" height=\"" +
               Number(lanes * laneHeight) + L"\" fill=\"#f1f1f1\"><title>清理，耗时 " +
               DurationText(SecondsBetween(r.start, r.buildPhase)) + L"</title></rect>";
        if (LabelWidth(L"清理") + 8 <= w)
            out += L"<text x=\"" + Number(left + 4) + L"\" y=\"" + Number(top + laneHeight / 2 + 4) +
                   L"\" fill=\"#888\">清理</text>";
        out += L"\n";
    }
    // One bar per build, on its lane; the builds of the longest chain, which
    // the walk started first, outlined.
    const std::set<uint32_t> critical(r.criticalPath.begin(), r.criticalPath.end());
    for (const BuildSpan_st& b : r.builds) {
        const Moment_t stop = b.end ? b.end : end;
        const double x = left + SecondsBetween(r.start, b.start) / total * plot;
        double w = SecondsBetween(b.start, stop) / total * plot;
        if (w < 2) w = 2;
        const double y = top + b.lane * laneHeight + (laneHeight - barHeight) / 2;
        const Look_st& look = b.end ? LookOf(b.state, b.causeKey) : kNone;
        const bool onPath = critical.count(b.rowKey) != 0;
        out += L"<g class=\"bar" + String_cl(onPath ? L" critical" : L"") + L"\" data-lane=\"" +
               String_cl::FromInt(b.lane) + L"\"><title>" + H(b.name) + L"：" + look.legend + L"，" +
               LocalTimeText(b.start) + L" 开始，耗时 " + DurationText(SecondsBetween(b.start, stop)) +
               (onPath ? L"，关键路径" : L"") + L"</title>";
        out += L"<rect x=\"" + Number(x) + L"\" y=\"" + Number(y) + L"\" width=\"" + Number(w) + L"\" height=\"" +
               Number(barHeight) + L"\" rx=\"3\" fill=\"" + look.fill +
               (onPath ? L"\" stroke=\"#1a237e\" stroke-width=\"2.5\"/>" : L"\" stroke=\"#fff\"/>");
        if (LabelWidth(b.name) + 8 <= w)
            out += L"<text x=\"" + Number(x + 4) + L"\" y=\"" + Number(y + barHeight / 2 + 4) + L"\" fill=\"#000\">" +
                   H(b.name) + L"</text>";
        out += L"</g>\n";
    }
    // Legend.
    double x = left;
    const double y = top + lanes * laneHeight + 14;
    for (const Look_st* look : {&kOk, &kSame, &kFailed, &kKnockOn, &kWait, &kNone}) {
        out += L"<rect x=\"" + Number(x) + L"\" y=\"" + Number(y) + L"\" width=\"12\" height=\"12\" fill=\"" + look->fill +
               L"\"/><text x=\"" + Number(x + 16) + L"\" y=\"" + Number(y + 11) + L"\" fill=\"#444\">" + look->legend +
               L"</text>";
        x += 30 + LabelWidth(look->legend);
    }
    if (!critical.empty())
        out += L"<rect x=\"" + Number(x) + L"\" y=\"" + Number(y) + L"\" width=\"12\" height=\"12\" fill=\"#fff\" "
               L"stroke=\"#1a237e\" stroke-width=\"2.5\"/><text x=\"" + Number(x + 16) + L"\" y=\"" + Number(y + 11) +
               L"\" fill=\"#444\">关键路径</text>";
    return out + L"\n</svg>\n";
}

String_cl RowTable(const RunRecord_st& r, const String_cl& folder)
{
    String_cl out = L"<h2>工程</h2>\n<table class=\"rows\">\n<thead><tr><th>#</th><th>工程</th><th>编译模式</th>"
                    L"<th>状态</th><th>开始</th><th>耗时</th><th>首个错误 / 原因</th><th>日志</th></tr></thead>\n<tbody>\n";
    int n = 0;
    for (const RowOutcome_st& row : r.rows) {
        const Look_st& look = LookOf(row.state, row.failure.causeKey);
        const String_cl stateText =
            row.state == CompileFailed && row.failure.causeKey ? String_cl(L"编译失败（连带）") : String_cl(RowStateText(row.state));
        String_cl seconds;
        if (row.builds > 0) {
            seconds = DurationText(row.seconds);
            if (row.builds > 1) seconds += L"（" + String_cl::FromInt(row.builds) + L" 次）";
        }
        out += L"<tr><td class=\"num\">" + String_cl::FromInt(++n) + L"</td><td title=\"" + H(row.path) + L"\">" +
               H(row.name) + L"</td><td>" + H(row.configuration) + L"</td><td class=\"" +
               (row.state == Ignored || row.state == NotExist || row.state == Normal ? String_cl(L"s-none")
                                                                                      : String_cl(look.cssClass)) +
               L"\">" + H(stateText) + L"</td><td>" + (row.builds ? LocalTimeText(row.firstStart).substr(11) : String_cl()) +
               L"</td><td class=\"num\">" + seconds + L"</td><td>" + ReasonHtml(r, row) + L"</td><td>" +
               LogCell(row, folder) + L"</td></tr>\n";
    }
    return out + L"</tbody>\n</table>\n";
}

} // namespace

String_cl HtmlReportPath() { return LogRoot() + L"报告.html"; }

String_cl HtmlReportText(const RunRecord_st& r, const String_cl& folder)
{
    String_cl out = L"<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>编译报告 - " +
                    H(r.planName) + L"</title>\n<style>" + kStyle + L"</style>\n</head>\n<body>\n";
    out += L"<h1>编译报告：方案 " + H(r.planName) + L"</h1>\n";
    out += Facts(r);
    out += L"<p class=\"counters\">" + H(CountersText(r.counts)) + L"</p>\n";
    out += Failures(r, folder);
    out += Timeline(r);
    out += RowTable(r, folder);
    out += L"<footer>" + String_cl(kProductName) + L" " + kProductVersion + L" 生成于 " + LocalTimeText(r.end) +
           L"</footer>\n</body>\n</html>\n";
    return out;
}

void WriteHtmlReport(const RunRecord_st& record)
{
    WriteReportFile(HtmlReportPath(), HtmlReportText(record, LogRoot()));
}

} // namespace Quorvane_ns
