#include "app/workflow/PlanFile.h"
#include <windows.h>
#include <cstdio>
#include <iterator>
#include <set>
#include "app/ProgramPlaces.h"
#include "app/store/DataFile.h"
#include "app/workflow/Jobs.h"
#include "app/workflow/RunRecord.h"
#include "common/base/ComScope.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {
namespace {

const Base_ns::ErrorEntry_st kErrors[] = {
    {101, L"文件不在根目录之内：流水线的作业只能取到根目录下的文件。请用 --root 指定包含它的目录。"},
    {102, L"方案文件中的路径不正确：不能是绝对路径，也不能指向根目录之外。"},
    {103, L"这不是方案文件。"},
    {104, L"方案中没有这个工程（--only 取工程名称或工程文件）。"},
};

const wchar_t kMark[] = L"方案文件";

[[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note) { throw PlanFileError(code, line, note); }

String_cl FullPathOf(const String_cl& path)
{
    wchar_t buf[4096];
    const DWORD n = GetFullPathNameW(path.c_str(), 4096, buf, nullptr);
    if (n == 0 || n >= 4096) return path;
    return String_cl(buf, n);
}

String_cl Relative(const String_cl& root, const String_cl& path)
{
    const String_cl rel = RelativeTo(root, path);
    if (rel.empty()) Raise(101, __LINE__, L"文件：" + path + L"\r\n根目录：" + root);
    return rel;
}

// A path of the file against root; refused when it is absolute or leaves it.
String_cl Resolved(const String_cl& root, String_cl rel)
{
    rel.ReplaceAll(L"/", L"\\");
    const bool absolute = rel.empty() || rel.StartsWith(L"\\") || (rel.size() > 1 && rel[1] == L':');
    const String_cl full = absolute ? String_cl() : FullPathOf(root + rel);
    if (absolute || RelativeTo(root, full).empty()) Raise(102, __LINE__, rel);
    return full;
}

String_cl SecondsText(double s)
{
    wchar_t text[32];
    swprintf(text, 32, L"%.3f", s);
    return text;
}

double SecondsOf(const String_cl& text) { return _wtof(text.c_str()); }

String_cl Optional(const IO_ns::XMLFile_cl::ElementId_cl& e, const wchar_t* name)
{
    IO_ns::XMLFile_cl::AttributeId_cl a = e.Attribute(name, false);
    return a.IsEmpty() ? String_cl() : a.Text();
}

} // namespace

Base_ns::UserError_cl PlanFileError(int32_t code, int32_t line, const String_cl& note)
{
    return Base_ns::UserError_cl(line, L"PlanFile", L"PlanFile", code, kErrors, int(std::size(kErrors)), note);
}

String_cl CommonFolder(const std::vector<String_cl>& paths)
{
    String_cl common;
    bool first = true;
    for (const String_cl& path : paths) {
        const String_cl folder = GetFileDirectory(path, true);
        if (first) {
            common = folder;
            first = false;
            continue;
        }
        size_t n = 0;
        while (n < common.size() && n < folder.size() && towupper(common[n]) == towupper(folder[n])) ++n;
        // Back to the last separator both share.
        while (n > 0 && common[n - 1] != L'\\') --n;
        common = common.substr(0, n);
    }
    return common;
}

String_cl RelativeTo(const String_cl& root, const String_cl& path)
{
    if (root.empty() || path.size() <= root.size()) return String_cl();
    if (!String_cl(path.substr(0, root.size())).EqualsNoCase(root)) return String_cl();
    String_cl rel = path.substr(root.size());
    // ".." inside a path that starts in the root may still lead out.
    if (rel.find(L"..\\") != String_cl::npos || rel == L"..") return String_cl();
    return rel;
}

std::vector<String_cl> PlanFiles(const Plan_st& plan)
{
    std::vector<String_cl> files;
    std::set<String_cl> seen;
    auto add = [&](const String_cl& f) {
        if (!f.empty() && seen.insert(f.Upper()).second) files.push_back(f);
    };
    for (SolutionId_cl s = plan.solutions.First(); !s.IsEmpty(); s = s.Next()) add(s->path);
    for (MProjectId_cl row = plan.rows.First(); !row.IsEmpty(); row = row.Next()) {
        add(row->project->path);
        for (const String_cl& sheet : row->project->sheets) add(sheet);
    }
    return files;
}

void CheckInsideRoot(const String_cl& root, const std::vector<String_cl>& files)
{
    for (const String_cl& f : files) Relative(root, f);
}

void WritePlanFile(const Stores_cl& stores, const Plan_st& plan, const String_cl& root, const String_cl& path,
                   const RunRecord_st* record, const String_cl& job)
{
    CheckInsideRoot(root, PlanFiles(plan));
    Base_ns::ComScope_cl com;
    IO_ns::XMLFile_cl file;
    file.Create(path, kProductName);
    IO_ns::XMLFile_cl::ElementId_cl top = file.Root();
    file.SetAttribute(top, kMark, L"1");
    IO_ns::XMLFile_cl::ElementId_cl p = file.AddElement(top, L"方案");
    file.SetAttribute(p, L"名称", plan.name);
    file.SetAttribute(p, L"编译方式", plan.configuration);
    for (SolutionId_cl s = plan.solutions.First(); !s.IsEmpty(); s = s.Next())
        file.SetAttribute(file.AddElement(p, L"解决方案"), L"路径", Relative(root, s->path));
    // What was learned of the plan's projects, once per project file.
    std::set<String_cl> projects;
    for (MProjectId_cl row = plan.rows.First(); !row.IsEmpty(); row = row.Next())
        projects.insert(row->project->path.Upper());
    IO_ns::XMLFile_cl::ElementId_cl links = file.AddElement(top, L"依赖");
    for (LearnedLinkId_cl l = stores.links.First(); !l.IsEmpty(); l = l.Next()) {
        if (!projects.count(l->path.Upper())) continue;
        IO_ns::XMLFile_cl::ElementId_cl e = file.AddElement(links, L"依赖");
        file.SetAttribute(e, L"路径", Relative(root, l->path));
        file.SetAttribute(e, L"编译方式", l->configuration);
        file.SetAttribute(e, L"库", l->library);
    }
    IO_ns::XMLFile_cl::ElementId_cl times = file.AddElement(top, L"耗时");
    for (BuildTimeId_cl t = stores.times.First(); !t.IsEmpty(); t = t.Next()) {
        if (!projects.count(t->path.Upper()) || t->milliseconds < 0) continue;
        IO_ns::XMLFile_cl::ElementId_cl e = file.AddElement(times, L"耗时");
        file.SetAttribute(e, L"路径", Relative(root, t->path));
        file.SetAttribute(e, L"编译方式", t->configuration);
        file.SetAttribute(e, L"毫秒", t->milliseconds);
    }
    if (record) {
        IO_ns::XMLFile_cl::ElementId_cl results = file.AddElement(top, L"结果");
        for (const RowOutcome_st& row : record->rows) {
            if (row.builds == 0) continue;
            IO_ns::XMLFile_cl::ElementId_cl e = file.AddElement(results, L"工程");
            file.SetAttribute(e, L"路径", Relative(root, row.path));
            file.SetAttribute(e, L"编译方式", row.configuration);
            file.SetAttribute(e, L"状态", row.state);
            file.SetAttribute(e, L"秒", SecondsText(row.seconds));
            const String_cl log = row.log.empty() ? String_cl() : RelativeTo(root, row.log);
            if (!log.empty()) file.SetAttribute(e, L"日志", log);
            String_cl why = row.failure.firstError;
            if (row.failure.causeKey != 0) why = L"因工程 " + row.failure.causeName + L" 编译失败而缺少它的库";
            if (!why.empty()) file.SetAttribute(e, L"错误", why);
            if (!job.empty()) file.SetAttribute(e, L"作业", job);
        }
    }
    file.Close();
}

PlanFile_st ReadPlanFile(const String_cl& path, const String_cl& root)
{
    Base_ns::ComScope_cl com;
    IO_ns::XMLFile_cl file;
    file.Open(path);
    IO_ns::XMLFile_cl::ElementId_cl top = file.Root();
    if (top.Name() != kProductName || Optional(top, kMark) != L"1") Raise(103, __LINE__, path);
    PlanFile_st out;
    IO_ns::XMLFile_cl::ElementId_cl p = top.Child(L"方案");
    if (p.IsEmpty()) Raise(103, __LINE__, path);
    out.planName = p.Attribute(L"名称", true).Text();
    out.configuration = p.Attribute(L"编译方式", true).Text();
    for (IO_ns::XMLFile_cl::ElementId_cl s = p.FirstChild(); !s.IsEmpty();) {
        if (s.IsElement() && s.Name() == L"解决方案") out.solutions.push_back(Resolved(root, s.Attribute(L"路径", true).Text()));
        if (!s.NextSibling()) break;
    }
    auto each = [&](const wchar_t* group, const wchar_t* item, auto&& take) {
        IO_ns::XMLFile_cl::ElementId_cl g = top.Child(group);
        if (g.IsEmpty()) return;
        for (IO_ns::XMLFile_cl::ElementId_cl e = g.FirstChild(); !e.IsEmpty();) {
            if (e.IsElement() && e.Name() == item) take(e);
            if (!e.NextSibling()) break;
        }
    };
    each(L"依赖", L"依赖", [&](const IO_ns::XMLFile_cl::ElementId_cl& e) {
        out.links.push_back({Resolved(root, e.Attribute(L"路径", true).Text()), e.Attribute(L"编译方式", true).Text(),
                             e.Attribute(L"库", true).Text()});
    });
    each(L"耗时", L"耗时", [&](const IO_ns::XMLFile_cl::ElementId_cl& e) {
        out.times.push_back({Resolved(root, e.Attribute(L"路径", true).Text()), e.Attribute(L"编译方式", true).Text(),
                             e.Attribute(L"毫秒", true).Number() / 1000.0});
    });
    each(L"结果", L"工程", [&](const IO_ns::XMLFile_cl::ElementId_cl& e) {
        RowResult_st r;
        r.path = Resolved(root, e.Attribute(L"路径", true).Text());
        r.configuration = e.Attribute(L"编译方式", true).Text();
        r.state = e.Attribute(L"状态", true).Number();
        if (r.state < Normal || r.state > CompileFailed) r.state = CompileFailed;
        r.seconds = SecondsOf(Optional(e, L"秒"));
        const String_cl log = Optional(e, L"日志");
        if (!log.empty()) r.log = Resolved(root, log);
        r.firstError = Optional(e, L"错误");
        r.job = Optional(e, L"作业");
        out.results.push_back(r);
    });
    file.Close();
    return out;
}

PlanId_cl ApplyPlanFile(Stores_cl& stores, const PlanFile_st& file, bool& created)
{
    PlanId_cl plan = stores.plans.FindPlan(file.planName);
    created = plan.IsEmpty();
    if (created) {
        plan = stores.plans.AddPlan(file.planName, file.configuration);
        for (const AddOutcome_st& o : AddFilesToPlan(stores, plan, file.solutions))
            if (o.kind == AddOutcome_st::Refused) std::rethrow_exception(o.error);
    }
    for (const PlanFile_st::Link_st& l : file.links) stores.links.Learn(l.path, l.configuration, l.library);
    for (const PlanFile_st::Time_st& t : file.times) stores.times.Record(t.path, t.configuration, t.seconds);
    return plan;
}

} // namespace Quorvane_ns
