#include "app/store/DataFile.h"
#include <iterator>
#include <set>
#include "common/base/ComScope.h"
#include <objbase.h>
#include "common/base/Error.h"
#include "common/base/Presenter.h"
#include "common/io/XMLFile.h"
#include "app/engine/RenameJournal.h"
#include "app/store/SolutionFileReader.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {
namespace {

const wchar_t kAsideMark[] = L".无法读取-";
const wchar_t kChangedMark[] = L".另存-";

const Base_ns::ErrorEntry_st kStoresErrors[] = {
    {104, L"读取XML文件失败，因为数据格式不正确。"},
    {105, L"数据文件在本次运行期间被其他程序改过，没有覆盖它。"},
};

IO_ns::IOError_cl StoresError(int line, int32_t code, const String_cl& note)
{
    return IO_ns::IOError_cl(line, L"DataFile", L"Stores_cl", code, kStoresErrors,
                             static_cast<int>(std::size(kStoresErrors)), note);
}

IO_ns::IOError_cl ForeignDataFileError(const String_cl& rootName, const String_cl& path)
{
    return StoresError(__LINE__, 104, L"根节点：" + rootName + L"\r\n文件：" + path);
}

// A file name beside path with a mark and a time stamp before its extension.
String_cl MarkedPath(const String_cl& path, const wchar_t* mark, const String_cl& stamp)
{
    String_cl folder = GetFileDirectory(path, true);
    String_cl name = GetFileName(path);
    size_t dot = name.find_last_of(L'.');
    if (dot == String_cl::npos || dot == 0) return folder + name + mark + stamp;
    return folder + name.substr(0, dot) + mark + stamp + name.substr(dot);
}

// What the data file holds, as far as telling a change goes.
Stores_cl::FileSeen_st SeeFile(const String_cl& path)
{
    Stores_cl::FileSeen_st seen;
    seen.path = path;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        seen.known = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
        return seen;
    }
    seen.exists = true;
    uint64_t hash = 1469598103934665603ull;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ull;
        }
        seen.size += got;
    }
    CloseHandle(h);
    seen.hash = hash;
    seen.known = ok;
    return seen;
}

bool IsExistingFile(const String_cl& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Moves the file to a free "unreadable" name beside it; when it cannot be
// moved (another program has it open), a copy keeps its content just as
// well. Empty when neither worked.
String_cl SetAside(const String_cl& path)
{
    const String_cl stamp = Base_ns::TimeStampText();
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 1; n < 100; ++n) {
            String_cl candidate =
                UnreadableDataFilePath(path, n == 1 ? stamp : String_cl(stamp + L"-" + String_cl::FromInt(n)));
            BOOL done = pass == 0 ? MoveFileExW(path.c_str(), candidate.c_str(), 0)
                                  : CopyFileW(path.c_str(), candidate.c_str(), TRUE);
            if (done) return candidate;
            DWORD e = GetLastError();
            if (e != ERROR_ALREADY_EXISTS && e != ERROR_FILE_EXISTS) break;
        }
    }
    return String_cl();
}

// Erases the records (learned links, build times) of projects not in held
// (upper-cased paths).
template <class Pack>
void EraseUnheld(Pack& pack, const std::set<String_cl>& held)
{
    for (auto id = pack.First(); !id.IsEmpty();) {
        auto next = id.Next();
        if (!held.count(id->path.Upper())) pack.Erase(id);
        id = next;
    }
}

// Adds the upper-cased project paths that the plans hold; false when a
// solution file cannot be read, or reads as no projects at all: emptied by
// accident, or holding merge-conflict text, it says nothing of what its
// plan holds, so nothing learned is dropped for it, as for a missing one.
bool AddHeldProjects(PlanPack_cl& plans, std::set<String_cl>& held)
{
    for (PlanId_cl plan = plans.First(); !plan.IsEmpty(); plan = plan.Next()) {
        if (plan->solutions.Read()) {
            for (SolutionId_cl solution = plan->solutions.First(); !solution.IsEmpty(); solution = solution.Next())
                if (IsSolutionPath(solution->path) && solution->projects.Count() == 0) return false;
            for (MProjectId_cl row = plan->rows.First(); !row.IsEmpty(); row = row.Next())
                held.insert(row->project->path.Upper());
            continue;
        }
        for (SolutionId_cl solution = plan->solutions.First(); !solution.IsEmpty(); solution = solution.Next()) {
            if (!IsSolutionPath(solution->path)) {
                held.insert(solution->path.Upper());
                continue;
            }
            Container_ns::List_tl<SolutionPack_cl::ProjectOriInfo_st> found;
            try {
                ReadSolutionFile(found, solution->path, plan->solutions);
            } catch (const Base_ns::Error_cl&) {
                return false;
            }
            if (found.Count() == 0) return false;
            for (auto it = found.First(); !it.IsEmpty(); it = it.Next()) held.insert(it->path.Upper());
        }
    }
    return true;
}

} // namespace

Stores_cl::~Stores_cl()
{
    try {
        plans.Clear();
        projects.Clear();
        sequences.Clear();
        links.Clear();
        times.Clear();
    } catch (const Base_ns::Error_cl&) {
        // An identifier outlived the stores; the containers hand such nodes
        // over to it when they are destroyed.
    }
}

StartReport_st Stores_cl::StartProgram(const String_cl& path)
{
    StartReport_st report;
    report.dataPath = path;
    m_keepPath.clear();
    report.restoredFiles = RenameJournal_cl::RestorePending();
    report.journalAside = RenameJournal_cl::TakeSetAsidePath();

    if (IsExistingFile(path)) {
        Base_ns::ComScope_cl com;
        IO_ns::XMLFile_cl file;
        try {
            file.Open(path);
            IO_ns::XMLFile_cl::ElementId_cl root = file.Root();
            // Another program's XML file under our name would read as empty
            // and be written over by the next save: refuse it as unreadable.
            if (root.Name() != kProductName) throw ForeignDataFileError(root.Name(), path);
            sequences.LoadSequence(file, root);
            plans.LoadPlans(file, root);
            report.droppedLinks = links.LoadLinks(file, root);
            report.droppedTimes = times.LoadTimes(file, root);
            file.Close();
            report.loaded = true;
        } catch (const Base_ns::Error_cl& e) {
            // The store whose reading failed is empty; one loaded before it
            // (the sequence) is kept: it is sound, and the whole file is
            // kept aside anyway.
            report.unreadable = true;
            report.errorText = e.Text();
            report.systemError = e.IsSystemError() != 0;
            report.error = std::current_exception();
        }
    }
    if (report.unreadable) {
        report.asidePath = SetAside(path);
        if (report.asidePath.empty()) m_keepPath = path;
    }
    m_seen = SeeFile(path);
    m_changedAside.clear();
    m_changeTold = false;
    if (plans.Count() == 0) {
        plans.AddPlan(kDefaultPlanName, kDefaultPlanConfiguration);
        report.addedDefaultPlan = true;
    }
    m_lastStart = report;
    return report;
}

bool Stores_cl::ChangedSinceSeen(const String_cl& path) const
{
    if (!m_seen.known || !m_seen.path.EqualsNoCase(path)) return false;
    const FileSeen_st now = SeeFile(path);
    // A file another program deleted holds nothing to keep; one that cannot
    // be read now cannot be replaced either, and the save says so.
    if (!now.known || !now.exists) return false;
    return !m_seen.exists || now.size != m_seen.size || now.hash != m_seen.hash;
}

bool Stores_cl::SaveDataFile(const String_cl& path, bool quiet)
{
    if (!m_keepPath.empty() && m_keepPath.EqualsNoCase(path)) return false;
    // What was learned of projects that no plan holds any more would only
    // grow the file; a project added again learns it again.
    std::set<String_cl> held;
    if ((links.Count() > 0 || times.Count() > 0) && AddHeldProjects(plans, held)) {
        EraseUnheld(links, held);
        EraseUnheld(times, held);
    }

    // Another program changed the file since this one read or wrote it: its
    // change is not written over, this run's state goes beside it.
    String_cl target = path;
    if (!m_changedAside.empty() || ChangedSinceSeen(path)) {
        if (m_changedAside.empty()) m_changedAside = MarkedPath(path, kChangedMark, Base_ns::TimeStampText());
        target = m_changedAside;
    }

    Base_ns::ComScope_cl com;
    IO_ns::XMLFile_cl file;
    file.Create(target, kProductName);
    IO_ns::XMLFile_cl::ElementId_cl root = file.Root();
    sequences.SaveSequence(file, root);
    plans.SavePlans(file, root);
    // Without anything learned the file keeps the layout every earlier
    // version wrote.
    if (links.Count() > 0) links.SaveLinks(file, root);
    if (times.Count() > 0) times.SaveTimes(file, root);
    file.Close();
    if (target == path) {
        m_seen = SeeFile(path);
    } else if (!quiet && !m_changeTold) {
        m_changeTold = true;
        throw StoresError(__LINE__, 105,
                          L"数据文件：" + path + L"\r\n本次的方案、编译顺序和学到的依赖已保存到：" + target +
                              L"\r\n请比较两个文件，决定保留哪一个。");
    }
    return true;
}

bool Stores_cl::EndProgram(const String_cl& path)
{
    bool saved = SaveDataFile(path);
    plans.Clear();
    links.Clear();
    times.Clear();
    // Project records hold nothing of the sequence today, but emptying them
    // first keeps the sequence free to go whatever they come to hold.
    projects.Clear();
    sequences.Clear();
    return saved;
}

String_cl UnreadableDataFilePath(const String_cl& path, const String_cl& stamp)
{
    return MarkedPath(path, kAsideMark, stamp);
}

String_cl UnreadableDataFileText(const StartReport_st& report)
{
    if (!report.unreadable) return String_cl();
    if (!report.asidePath.empty()) {
        return L"数据文件无法读取，已另存为：\r\n" + report.asidePath +
               L"\r\n\r\n原来的方案和编译顺序都保留在该文件中。本次以默认方案启动。";
    }
    return L"数据文件无法读取，也无法另存：\r\n" + report.dataPath +
           L"\r\n\r\n本次以默认方案启动。为了不覆盖该文件，退出时不保存方案和编译顺序。";
}

String_cl DamagedJournalText(const StartReport_st& report)
{
    if (report.journalAside.empty()) return String_cl();
    return L"改名记录无法读取，已另存为：\r\n" + report.journalAside +
           L"\r\n\r\n其中记录的工程文件可能仍是临时名称（Temp加时间），请检查后手动改回。";
}

String_cl DroppedLinksText(const StartReport_st& report)
{
    if (report.droppedLinks == 0) return String_cl();
    return L"数据文件中有 " + String_cl::FromInt(report.droppedLinks) + L" 条学到的依赖记录不完整，已丢弃：\r\n" +
           report.dataPath + L"\r\n\r\n方案、编译顺序和其余的依赖都已照常读入；丢弃的依赖会在下次链接失败时重新学到。";
}

String_cl DroppedTimesText(const StartReport_st& report)
{
    if (report.droppedTimes == 0) return String_cl();
    return L"数据文件中有 " + String_cl::FromInt(report.droppedTimes) + L" 条编译耗时记录不完整或无法读取，已丢弃：\r\n" +
           report.dataPath + L"\r\n\r\n方案、编译顺序和其余的记录都已照常读入；丢弃的耗时会在这些工程下次编译时重新记下。";
}

bool HasStartMessages(const StartReport_st& report)
{
    return report.unreadable || !report.journalAside.empty() || report.droppedLinks > 0 || report.droppedTimes > 0;
}

void ShowStartReport(const StartReport_st& report, HWND owner)
{
    if (!report.journalAside.empty())
        Base_ns::ShowMessage(owner, DamagedJournalText(report), kProductName, MB_OK | MB_ICONWARNING);
    if (report.droppedLinks > 0)
        Base_ns::ShowMessage(owner, DroppedLinksText(report), kProductName, MB_OK | MB_ICONWARNING);
    if (report.droppedTimes > 0)
        Base_ns::ShowMessage(owner, DroppedTimesText(report), kProductName, MB_OK | MB_ICONWARNING);
    if (!report.unreadable) return;
    if (report.error) {
        try {
            std::rethrow_exception(report.error);
        } catch (const Base_ns::Error_cl& e) {
            e.Show(owner);
        } catch (...) {
        }
    }
    Base_ns::ShowMessage(owner, UnreadableDataFileText(report), kProductName, MB_OK | MB_ICONWARNING);
}

} // namespace Quorvane_ns
