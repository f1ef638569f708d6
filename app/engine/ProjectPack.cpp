#include "app/engine/ProjectPack.h"

#include "app/engine/projectfiles/ProjectFileCache.h"
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "app/engine/projectfiles/ProjectFileText.h"
#include "app/engine/RowState.h"

#include <iterator>

namespace Quorvane_ns {

namespace {

const wchar_t kSource[] = L"ProjectPack";
const wchar_t kClassName[] = L"ProjectPack_cl";

const Base_ns::ErrorEntry_st kSysErrors[] = {
    {1, L"无法正确分析日志文件。"},
    {2, L"从日志文件中取得编译结果失败。"},
    {3, L"不存在的编辑模式。"},
    {4, L"不允许直接设置不存在或忽略状态。"},
};

const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"没有设置编译模式，无法编译。"},
    {102, L"命令行编译VC工程失败。"},
    {103, L"VC工程错误，找不到配置类型。"},
};

// Configuration names are kept and looked up upper-cased, so "debug|win32"
// finds the entry the project file wrote as "Debug|Win32".
String_cl Key(const String_cl& configuration)
{
    return configuration.Upper();
}

} // namespace

Base_ns::SysError_cl ProjectPackSysError(int32_t code, int32_t line, const String_cl& note)
{
    return Base_ns::SysError_cl(line, kSource, kClassName, code, kSysErrors,
                                static_cast<int>(std::size(kSysErrors)), note);
}

Base_ns::UserError_cl ProjectPackUserError(int32_t code, int32_t line, const String_cl& note)
{
    return Base_ns::UserError_cl(line, kSource, kClassName, code, kUserErrors,
                                 static_cast<int>(std::size(kUserErrors)), note);
}

// The base frees the records with delete, as NewData makes them, and hands
// nodes that identifiers still name over to those identifiers.
ProjectPack_cl::ProjectPack_cl() = default;
ProjectPack_cl::~ProjectPack_cl() = default;

Project_st* ProjectPack_cl::NewData()
{
    return new Project_st();
}

void ProjectPack_cl::DeleteData(Project_st* data)
{
    delete data;
}

namespace {

// Most records of a plan share its few solutions, spelt alike: the text
// first, the file system only when the texts differ.
bool SameSolution(Project_st& record, const String_cl& solution, const Base_ns::FileIdentity_st* solutionIdentity)
{
    if (record.solution.EqualsNoCase(solution)) return true;
    if (record.solution.empty() || solution.empty()) return false;
    const Base_ns::FileIdentity_st& own = Base_ns::CachedIdentity(record.solutionIdentity, record.solution);
    return own.Same(solutionIdentity ? *solutionIdentity : Base_ns::IdentityOf(solution));
}

// Whether the record is of the file identity names, in solution's context.
bool IsRecordOf(Project_st& record, const Base_ns::FileIdentity_st& identity, const String_cl& solution,
                const Base_ns::FileIdentity_st& solutionIdentity)
{
    return SameSolution(record, solution, &solutionIdentity) &&
           Base_ns::CachedIdentity(record.identity, record.path).Same(identity);
}

} // namespace

bool ReadInSolution(Project_st& record, const String_cl& solution)
{
    return SameSolution(record, solution, nullptr);
}

bool ReadInSameSolution(Project_st& a, Project_st& b)
{
    if (b.solution.empty() || a.solution.EqualsNoCase(b.solution)) return a.solution.EqualsNoCase(b.solution);
    return SameSolution(a, b.solution, &Base_ns::CachedIdentity(b.solutionIdentity, b.solution));
}

ProjectId_cl ProjectPack_cl::FindOrAdd(const String_cl& path, const String_cl& solution)
{
    Base_ns::IdentityScope_cl scope;
    const Base_ns::FileIdentity_st identity = Base_ns::IdentityOf(path);
    const Base_ns::FileIdentity_st solutionIdentity =
        solution.empty() ? Base_ns::FileIdentity_st() : Base_ns::IdentityOf(solution);
    for (ProjectId_cl id = First(); !id.IsEmpty(); id = id.Next()) {
        if (IsRecordOf(*id, identity, solution, solutionIdentity))
            return id;
    }
    ProjectId_cl id = PushBackNew();
    MarkModified(id);
    SetModified(1);
    id->path = path;
    id->solution = solution;
    id->identity = identity;
    id->solutionIdentity = solutionIdentity;
    try {
        ReadProjectFile(*id, m_readCache.get());
    } catch (const Base_ns::Error_cl& e) {
        // A file someone else wrote that cannot be read is that project's
        // problem, not the plan's: the record says why, and only its rows
        // fail. MSXML missing is no fault of the file and ends the read.
        if (e.ClassName() == L"XMLFile_cl" && e.Code() == 141) throw;
        id->unreadable = e.Message();
        if (!e.Note().empty()) id->unreadable += L" " + e.Note();
        id->configurations.Clear();
        if (id->name.empty()) id->name = FileTitle(path);
    }
    return id;
}

ProjectPack_cl::ReadScope_cl::ReadScope_cl(ProjectPack_cl& projects) : m_projects(projects)
{
    if (m_projects.m_readScopes++ == 0) m_projects.m_readCache = std::make_unique<ProjectFileCache_cl>();
}

ProjectPack_cl::ReadScope_cl::~ReadScope_cl()
{
    if (--m_projects.m_readScopes == 0) m_projects.m_readCache.reset();
}

int32_t ProjectPack_cl::ProjectState(const ProjectId_cl& project, const String_cl& configuration) const
{
    const Project_st& data = project.Data();
    if (data.exists == 0)
        return NotExist;
    const ConfigEntry_st* entry = data.configurations.Find(Key(configuration));
    return entry ? entry->state : static_cast<int32_t>(Ignored);
}

bool ProjectPack_cl::HasConfiguration(const ProjectId_cl& project, const String_cl& configuration) const
{
    const Project_st& data = project.Data();
    return data.configurations.Find(Key(configuration)) != nullptr;
}

String_cl ProjectPack_cl::OutputName(const ProjectId_cl& project, const String_cl& configuration) const
{
    return project.Data().configurations.Get(Key(configuration)).output;
}

String_cl ProjectPack_cl::LogPath(const ProjectId_cl& project, const String_cl& configuration) const
{
    return project.Data().configurations.Get(Key(configuration)).log;
}

const ConfigEntry_st* ProjectPack_cl::Entry(const ProjectId_cl& project, const String_cl& configuration) const
{
    return project.Data().configurations.Find(Key(configuration));
}

void ProjectPack_cl::SetResult(const ProjectId_cl& project, const String_cl& configuration, int32_t state,
                               const String_cl& logPath)
{
    // Ignored and NotExist follow from the project file; storing them would
    // hide the configuration's real result.
    if (state == Ignored || state == NotExist)
        throw ProjectPackSysError(4, 364, String_cl());
    MarkModified(project);
    SetModified(1);
    Project_st& data = project.Data();
    if (data.exists == 0)
        return;
    ConfigEntry_st* entry = data.configurations.Find(Key(configuration));
    if (!entry)
        throw ProjectPackSysError(3, 377, String_cl());
    entry->state = state;
    entry->log = logPath;
}

void ProjectPack_cl::ResetState(const ProjectId_cl& project, const String_cl& configuration)
{
    MarkModified(project);
    SetModified(1);
    Project_st& data = project.Data();
    if (data.exists == 0)
        return;
    if (ConfigEntry_st* entry = data.configurations.Find(Key(configuration)))
        entry->state = Normal;
}

} // namespace Quorvane_ns
