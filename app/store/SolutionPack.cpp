#include "app/store/SolutionPack.h"
#include <windows.h>
#include <cwchar>
#include <exception>
#include <iterator>
#include <new>
#include "common/io/FileStream.h"
#include "app/engine/BuildRunner.h"
#include "app/store/SolutionFileReader.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {
namespace {

const wchar_t kSource[] = L"SolutionPack";

const Base_ns::ErrorEntry_st kSysErrors[] = {
    {1, L""},
};

const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"错误的解决方案，检测不到EndProject。"},
    {102, L"清理失败。"},
    {103, L"清理日志中的统计行无法读取，不知道清理是否成功。"},
    {104, L"错误的解决方案，这不是Visual Studio的解决方案文件。"},
    {105, L"错误的解决方案，文件不完整，检测不到EndGlobal。"},
};

using OriList_cl = Container_ns::List_tl<SolutionPack_cl::ProjectOriInfo_st>;

} // namespace

bool IsSolutionPath(const String_cl& path) { return HasExtension(path, L"sln"); }

std::vector<DeclaredDependency_st> DeclaredDependencies(const SolutionPack_cl& solutions)
{
    std::vector<DeclaredDependency_st> declared;
    for (SolutionId_cl s = solutions.First(); !s.IsEmpty(); s = s.Next())
        for (const ProjectInfo_st& info : s->projects)
            if (!info.project.IsEmpty())
                for (const String_cl& to : info.dependencies) declared.push_back({info.project->path, to});
    return declared;
}

// ---------------------------------------------------------------- persistence

String_cl SolutionPack_cl::StorageProcess_cl::ElementName() { return String_cl(L"解决方案"); }

void SolutionPack_cl::StorageProcess_cl::WriteItem(IO_ns::XMLFile_cl& file,
                                                   IO_ns::XMLFile_cl::ElementId_cl& element,
                                                   const Solution_st& item)
{
    file.SetAttribute(element, L"路径", item.path);
}

int32_t SolutionPack_cl::StorageProcess_cl::ReadItem(IO_ns::XMLFile_cl&,
                                                     IO_ns::XMLFile_cl::ElementId_cl& element,
                                                     Solution_st& item)
{
    item.path = element.Attribute(L"路径", true).Text();
    return 1;
}

// ---------------------------------------------------------------- store

namespace {

// What the row build gives the builder besides the project: the solution
// configuration, and what the builder builds before the project there.
void SetSolutionContext(ProjectInfo_st& info, const String_cl& solution, const String_cl& config, bool otherKinds)
{
    if (!info.row->configuration.IsEmpty()) info.row->solutionConfiguration = config;
    // A row another solution of the plan made first is built in that one.
    if (!ReadInSolution(*info.project, solution)) return;
    info.project->solutionDependencies = info.dependencies;
    info.project->dependsOnOtherKinds = otherKinds;
}

} // namespace

SolutionPack_cl::~SolutionPack_cl()
{
    // The records go through DeleteData while this part of the object still
    // exists; a record still named by an identifier is left to the base.
    try {
        Clear();
    } catch (const Base_ns::Error_cl&) {
    }
}

Solution_st* SolutionPack_cl::NewData() { return new (std::nothrow) Solution_st; }

void SolutionPack_cl::DeleteData(Solution_st* data) { delete data; }

Base_ns::SysError_cl SolutionPack_cl::SysError(int32_t code, int32_t line, const String_cl& note) const
{
    return Base_ns::SysError_cl(line, kSource, ClassName(), code, kSysErrors,
                                int(std::size(kSysErrors)), note);
}

Base_ns::UserError_cl SolutionPack_cl::UserError(int32_t code, int32_t line, const String_cl& note) const
{
    return Base_ns::UserError_cl(line, kSource, ClassName(), code, kUserErrors,
                                 int(std::size(kUserErrors)), note);
}

SolutionId_cl SolutionPack_cl::FindSolution(const String_cl& path) const
{
    // A plan holds few entries: each is asked of the file system afresh.
    Base_ns::IdentityScope_cl scope;
    const Base_ns::FileIdentity_st file = Base_ns::IdentityOf(path);
    for (SolutionId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        if (id->path.EqualsNoCase(path) || Base_ns::IdentityOf(id->path).Same(file)) return id;
    }
    return SolutionId_cl();
}

void SolutionPack_cl::AddProjects(Solution_st& entry, const OriList_cl& found, const String_cl& config,
                                  MProjectPack_cl& rows, ProjectPack_cl& projects,
                                  SerialPack_cl& sequences)
{
    // The solution's identity is taken once for all its projects' records.
    Base_ns::IdentityScope_cl scope;
    const String_cl key = Base_ns::ToUpper(config);
    std::map<String_cl, String_cl> pathOfGuid;
    for (const auto& ori : found) pathOfGuid.emplace(ori.guid, ori.path);
    for (const auto& ori : found) {
        // The element is complete before it joins the list, so a failed row
        // leaves no element without a row behind.
        ProjectInfo_st info;
        info.configurations = ori.configurations;
        // Only what the solution's own Visual C++ projects are; a GUID of
        // another kind of project names nothing to build, but the builder
        // builds that project before this one all the same.
        bool otherKinds = false;
        for (const String_cl& guid : ori.dependencies) {
            auto to = pathOfGuid.find(guid);
            if (to != pathOfGuid.end()) info.dependencies.push_back(to->second);
            else otherKinds = true;
        }
        // A project without a Build.0 line for this configuration gets the
        // empty project configuration: its row shows it as not built.
        const String_cl projectConfig = info.configurations[key];
        info.row = RowFor(projectConfig, rows, ori.path, projects, sequences, entry.path);
        info.project = info.row->project;
        SetSolutionContext(info, entry.path, config, otherKinds);
        entry.projects.PushBack(info);
    }
}

void SolutionPack_cl::AddLoneProject(Solution_st& entry, const String_cl& config, MProjectPack_cl& rows,
                                     ProjectPack_cl& projects, SerialPack_cl& sequences)
{
    ProjectInfo_st info;
    info.row = RowFor(config, rows, entry.path, projects, sequences);
    info.project = info.row->project;
    entry.projects.PushBack(info);
}

void SolutionPack_cl::FillEntry(Solution_st& entry, const String_cl& config, MProjectPack_cl& rows,
                                ProjectPack_cl& projects, SerialPack_cl& sequences)
{
    if (IsSolutionPath(entry.path)) {
        OriList_cl found;
        ReadSolutionFile(found, entry.path, *this);
        AddProjects(entry, found, config, rows, projects, sequences);
    } else {
        AddLoneProject(entry, config, rows, projects, sequences);
    }
}

void SolutionPack_cl::AddSolution(const String_cl& path, const String_cl& config, MProjectPack_cl& rows,
                                  ProjectPack_cl& projects, SerialPack_cl& sequences)
{
    if (!FindSolution(path).IsEmpty()) return;

    // The file is read before anything changes: a malformed solution leaves
    // the store as it was.
    OriList_cl found;
    const bool solution = IsSolutionPath(path);
    if (solution) ReadSolutionFile(found, path, *this);

    Solution_st record;
    record.path = path;
    SolutionId_cl entry = PushBack(record);
    ProjectPack_cl::ReadScope_cl scope(projects);
    try {
        if (solution) {
            AddProjects(*entry, found, config, rows, projects, sequences);
        } else {
            AddLoneProject(*entry, config, rows, projects, sequences);
        }
    } catch (...) {
        try {
            RemoveSolution(entry, rows, projects);
        } catch (...) {
            // The first error says what went wrong; this one would hide it.
        }
        throw;
    }
}

int32_t SolutionPack_cl::ReadSolutions(const String_cl& config, MProjectPack_cl& rows, ProjectPack_cl& projects,
                                       SerialPack_cl& sequences, std::vector<std::exception_ptr>* refused)
{
    if (m_read == 1) {
        RefreshRowStates(rows, projects);
        return 0;
    }
    for (SolutionId_cl id = First(); !id.IsEmpty(); id = id.Next()) id->projects.Clear();
    ClearRows(rows, projects);
    // The projects of one read share the sheets they import, parsed once.
    ProjectPack_cl::ReadScope_cl scope(projects);
    // Every entry is read: a solution file that cannot be read (gone, cut
    // short, not a solution at all) costs its own rows only. The plan then
    // counts as not read, so that the next read tries that file again.
    std::vector<std::exception_ptr> failed;
    for (SolutionId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        id->unreadable.clear();
        try {
            FillEntry(*id, config, rows, projects, sequences);
        } catch (Base_ns::UserError_cl& e) {
            if (e.Note().find(id->path) == String_cl::npos) e.AppendNote(L"文件：" + id->path);
            id->projects.Clear();
            id->unreadable = e.Message();
            failed.push_back(std::current_exception());
        }
    }
    if (!failed.empty()) {
        if (!refused) std::rethrow_exception(failed.front());
        refused->insert(refused->end(), failed.begin(), failed.end());
        return 1;
    }
    m_read = 1;
    return 1;
}

void SolutionPack_cl::ChangeConfiguration(const String_cl& config, MProjectPack_cl& rows,
                                          ProjectPack_cl& projects, SerialPack_cl& sequences)
{
    for (SolutionId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        for (auto& info : id->projects) info.row = MProjectId_cl();
    }
    // The project records survive: the projects lists still hold them.
    ClearRows(rows, projects);
    const String_cl key = Base_ns::ToUpper(config);
    for (SolutionId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        const bool solution = IsSolutionPath(id->path);
        for (auto& info : id->projects) {
            if (info.project.IsEmpty()) continue;
            String_cl projectConfig = config;
            if (solution) {
                auto found = info.configurations.find(key);
                projectConfig = found == info.configurations.end() ? String_cl() : found->second;
            }
            info.row = RowForProject(info.project, projectConfig, rows, projects, sequences);
            if (solution && !info.row->configuration.IsEmpty()) info.row->solutionConfiguration = config;
        }
    }
}

void SolutionPack_cl::RemoveSolution(SolutionId_cl& solution, MProjectPack_cl& rows,
                                     ProjectPack_cl& projects)
{
    for (auto& info : solution->projects) {
        info.project = ProjectId_cl();
        // Another solution of the plan may share the row; it keeps it.
        if (!info.row.IsEmpty() && info.row.References() == 1) {
            DropRow(info.row, rows, projects);
        }
        info.row = MProjectId_cl();
    }
    Erase(solution);
}

void SolutionPack_cl::CopySolutions(const SolutionPack_cl& source, const MProjectPack_cl& sourceRows,
                                    MProjectPack_cl& rows)
{
    Clear();
    for (SolutionId_cl src = source.First(); !src.IsEmpty(); src = src.Next()) {
        Solution_st copy;
        copy.path = src->path;
        for (const auto& info : src->projects) {
            ProjectInfo_st n;
            n.configurations = info.configurations;
            n.dependencies = info.dependencies;
            n.project = info.project;
            if (!info.row.IsEmpty()) {
                // Rows were copied in order, so the same position names the
                // same project in the new plan.
                n.row = rows.At(info.row.Index());
                if (!n.row.IsEmpty()) n.project = n.row->project;
            }
            copy.projects.PushBack(n);
        }
        PushBack(copy);
    }
    // A source whose files were never read has no projects yet; the copy
    // must read them too, or it would stay without rows.
    m_read = source.m_read;
}

void SolutionPack_cl::CleanSolution(const SolutionId_cl& solution, MProjectPack_cl& rows,
                                    ProjectPack_cl& projects, const String_cl& config,
                                    const String_cl& vcDir)
{
    const String_cl logPath = ModuleDirectory() + L"Temp.log";
    // An older clean's log must not stand in for this one's.
    DeleteFileW(logPath.c_str());
    RunBuild(BuildParameters(vcDir, solution->path, L"clean", config, logPath));

    for (auto& info : solution->projects) {
        if (info.row.IsEmpty()) continue;
        ResetRowState(info.row, rows, projects);
    }

    // The last summary line counts, in whichever edition wrote it.
    String_cl summary;
    SummaryRead_en read = SummaryRead_en::None;
    SummaryCounts_st counts;
    {
        LogReader_cl log(logPath);
        String_cl line;
        while (log.Next(line)) {
            SummaryCounts_st c;
            const SummaryRead_en r = ReadSummaryLine(line, SummaryKind_en::Clean, c);
            if (r == SummaryRead_en::None) continue;
            summary = line;
            read = r;
            counts = c;
        }
    }

    // A summary the program cannot read is the builder's text, not a fault
    // of the program: the user learns which solution and which line.
    if (read == SummaryRead_en::Unreadable)
        throw UserError(103, __LINE__, GetFileTitle(solution->path) + L"\r\n" + UnreadableSummaryReason(summary));
    // The builder cannot load a project file the program cannot read either:
    // such projects are the failures of their own rows, which say why, and
    // do not make the clean of the others a failure.
    uint64_t unreadable = 0;
    for (const auto& info : solution->projects)
        if (!info.row.IsEmpty() && !info.row->configuration.IsEmpty() && !UnreadableReason(*info.row).IsEmpty())
            ++unreadable;
    if (read == SummaryRead_en::Counts && !counts.failedZero && counts.failed > unreadable)
        throw UserError(102, 565, GetFileTitle(solution->path));
    DeleteFileW(logPath.c_str());
}

void SolutionPack_cl::SaveSolutions(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl adaptor;
    WriteXML(file, parent, adaptor);
}

void SolutionPack_cl::LoadSolutions(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent)
{
    StorageProcess_cl adaptor;
    ReadXML(file, parent, adaptor);
    m_read = 0;
}

} // namespace Quorvane_ns
