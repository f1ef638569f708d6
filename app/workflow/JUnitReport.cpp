#include "app/workflow/JUnitReport.h"
#include <windows.h>
#include <cstdio>
#include <set>
#include "app/ProgramPlaces.h"
#include "app/workflow/ReportFile.h"

namespace Quorvane_ns {
namespace {

String_cl Seconds(double s)
{
    wchar_t text[32];
    swprintf(text, 32, L"%.3f", s);
    return text;
}

String_cl Attr(const wchar_t* name, const String_cl& value)
{
    return String_cl(L" ") + name + L"=\"" + MarkupAttribute(value) + L"\"";
}

String_cl Attr(const wchar_t* name, long long value) { return Attr(name, String_cl::FromInt(value)); }

struct Case_st {
    const RowOutcome_st* row;
    String_cl body;  // the element inside <testcase>, or empty for a pass
    bool failed = false;
    bool skipped = false;
};

Case_st MakeCase(const RunRecord_st& run, const RowOutcome_st& row)
{
    Case_st c{&row};
    if (row.state == CompileFailed) {
        c.failed = true;
        const RowFailure_st& f = row.failure;
        String_cl message, type, text;
        if (f.causeKey != 0) {
            const RowOutcome_st* root = run.Row(row.rootKey);
            message = L"因工程 " + f.causeName + L" 编译失败而缺少它的库";
            type = L"连带失败";
            text = L"原因：工程 " + f.causeName + L" 编译失败";
            if (root && root->key != f.causeKey) text += L"（根源：工程 " + root->name + L"）";
            text += L"\n";
        } else if (!f.reason.IsEmpty()) {
            message = f.reason;
            type = L"编译失败";
        } else {
            message = f.firstError.IsEmpty() ? String_cl(L"编译失败（日志中没有带错误代码的行）") : f.firstError;
            type = L"编译失败";
        }
        if (!f.reason.IsEmpty()) text += L"原因：" + f.reason + L"\n";
        if (!f.firstError.IsEmpty()) text += L"首个错误：" + f.firstError + L"\n";
        if (!row.readNote.IsEmpty()) text += L"读取说明：" + row.readNote + L"\n";
        text += row.log.IsEmpty() ? String_cl(L"日志：无（没有编译）") : L"日志：" + row.log;
        c.body = L"<failure" + Attr(L"message", message) + Attr(L"type", type) + L">" + MarkupText(text) + L"</failure>";
    } else if (row.state == Normal || row.state == LibraryDependency) {
        c.skipped = true;
        const String_cl why = row.state == Normal ? String_cl(L"本次未编译") : String_cl(L"等待其他工程的库，本次未编译完成");
        c.body = L"<skipped" + Attr(L"message", why) + L"/>";
    }
    // A row built although its project file was not read whole says so.
    if (!row.readNote.IsEmpty() && !c.failed) {
        if (!c.body.IsEmpty()) c.body += L"\n      ";
        c.body += L"<system-out>" + MarkupText(L"读取说明：" + row.readNote) + L"</system-out>";
    }
    return c;
}

String_cl Suite(const RunRecord_st& run, const SolutionRows_st& solution, int id, std::set<uint32_t>& taken,
                const String_cl& hostName, int& tests, int& failures, int& errors, int& skipped, double& time)
{
    std::vector<Case_st> cases;
    for (uint32_t key : solution.rowKeys) {
        const RowOutcome_st* row = run.Row(key);
        if (!row || row->state == Ignored || row->state == NotExist || !taken.insert(key).second) continue;
        cases.push_back(MakeCase(run, *row));
    }
    int f = 0, s = 0;
    double t = 0;
    for (const Case_st& c : cases) {
        f += c.failed ? 1 : 0;
        s += c.skipped ? 1 : 0;
        t += c.row->seconds;
    }
    // A solution that could not be read has no rows to fail: an empty suite
    // would pass in the CI engine's eyes, so the file is an error of its own.
    const int e = solution.unreadable.IsEmpty() ? 0 : 1;
    const String_cl title = GetFileName(solution.path);
    String_cl out = L"  <testsuite" + Attr(L"name", title) + Attr(L"package", run.planName) + Attr(L"id", id) +
                    Attr(L"tests", static_cast<long long>(cases.size()) + e) + Attr(L"failures", f) +
                    Attr(L"errors", e) + Attr(L"skipped", s) + Attr(L"time", Seconds(t)) +
                    Attr(L"timestamp", LocalTimeText(run.start, true)) + Attr(L"hostname", hostName) + L">\n";
    out += L"    <properties>\n";
    out += L"      <property" + Attr(L"name", L"plan") + Attr(L"value", run.planName) + L"/>\n";
    out += L"      <property" + Attr(L"name", L"configuration") + Attr(L"value", run.configuration) + L"/>\n";
    out += L"      <property" + Attr(L"name", L"solution") + Attr(L"value", solution.path) + L"/>\n";
    out += L"    </properties>\n";
    const String_cl className = run.planName + L"." + GetFileTitle(solution.path);
    if (e) {
        out += L"    <testcase" + Attr(L"name", title) + Attr(L"classname", className) + Attr(L"time", Seconds(0)) +
               L">\n      <error" + Attr(L"message", solution.UnreadableReason()) +
               Attr(L"type", L"无法读取") + L">" + MarkupText(solution.path) + L"</error>\n    </testcase>\n";
    }
    for (const Case_st& c : cases) {
        out += L"    <testcase" + Attr(L"name", c.row->name + L" (" + c.row->configuration + L")") +
               Attr(L"classname", className) + Attr(L"time", Seconds(c.row->seconds));
        out += c.body.IsEmpty() ? String_cl(L"/>\n") : L">\n      " + c.body + L"\n    </testcase>\n";
    }
    out += L"  </testsuite>\n";
    tests += static_cast<int>(cases.size()) + e;
    failures += f;
    errors += e;
    skipped += s;
    time += t;
    return out;
}

String_cl ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? String_cl(name, size) : String_cl(L"localhost");
}

} // namespace

String_cl JUnitText(const std::vector<RunRecord_st>& runs, const String_cl& hostName)
{
    String_cl suites;
    int tests = 0, failures = 0, errors = 0, skipped = 0, id = 0;
    double time = 0;
    for (const RunRecord_st& run : runs) {
        std::set<uint32_t> taken;
        for (const SolutionRows_st& solution : run.solutions)
            suites += Suite(run, solution, id++, taken, hostName, tests, failures, errors, skipped, time);
    }
    return L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + Attr(L"name", kProductName) +
           Attr(L"tests", tests) + Attr(L"failures", failures) + Attr(L"errors", errors) + Attr(L"skipped", skipped) +
           Attr(L"time", Seconds(time)) + L">\n" + suites + L"</testsuites>\n";
}

void WriteJUnitReport(const String_cl& path, const std::vector<RunRecord_st>& runs)
{
    WriteReportFile(path, JUnitText(runs, ComputerName()));
}

} // namespace Quorvane_ns
