#include "app/engine/MProjectPack.h"
#include <windows.h>

namespace Quorvane_ns {

namespace {

// What the reader could not evaluate in the configuration, as one note.
String_cl UnknownsNote(const ConfigEntry_st& entry)
{
    if (entry.unknowns.empty()) return String_cl();
    String_cl note = L"工程文件未能完整读取：";
    for (size_t i = 0; i < entry.unknowns.size(); ++i) note += (i ? L"；" : L"") + entry.unknowns[i];
    return note;
}

String_cl MissingConfigurationNote(const Project_st& project, const String_cl& config)
{
    String_cl note = L"工程文件未能完整读取：找不到解决方案要编译的配置“" + config + L"”";
    String_cl found;
    for (const auto& [key, entry] : project.configurations) found += (found.empty() ? L"" : L"，") + key;
    note += found.empty() ? String_cl(L"，没有读到任何配置") : L"，读到的配置：" + found;
    return note + L"。照常编译。";
}

// The second half of RowFor and RowForProject: a row for project in config,
// inserted before the first row that comes later in the sequence.
MProjectId_cl CreateRow(const ProjectId_cl& project, const String_cl& config,
                        MProjectPack_cl& rows, ProjectPack_cl& projects, SerialPack_cl& sequences)
{
    MProject_st row;
    row.project = project;
    row.sequenceEntry = sequences.Register(project->path, Base_ns::CachedIdentity(project->identity, project->path));
    if (!config.IsEmpty() && projects.HasConfiguration(project, config)) {
        row.state = projects.ProjectState(project, config);
        row.output = projects.OutputName(project, config);
        row.log = projects.LogPath(project, config);
        row.configuration = config;
        row.readNote = UnknownsNote(*projects.Entry(project, config));
    } else if (!config.IsEmpty() && project->exists && (!project->unreadable.empty() || !project->solution.empty())) {
        // Never left out silently: a project file that cannot be read is a
        // row that fails, named, when the walk comes to it; a configuration
        // the solution builds (its Build.0 line) that the reader did not
        // find is built all the same, for the solution decides what the
        // builder builds, and the row says what could not be read.
        row.state = Normal;
        row.configuration = config;
        if (project->unreadable.empty()) row.readNote = MissingConfigurationNote(*project, config);
    } else {
        row.state = projects.ProjectState(project, config);
    }

    const int32_t order = row.sequenceEntry->order;
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        rows.MarkModified(it);
        if (it->sequenceEntry->order > order) return rows.InsertBefore(it, row);
    }
    return rows.PushBack(row);
}

} // namespace

bool BuiltWithoutEntry(const ProjectPack_cl& projects, const MProject_st& row)
{
    return !row.configuration.IsEmpty() && !projects.HasConfiguration(row.project, row.configuration);
}

String_cl UnreadableReason(const MProject_st& row)
{
    if (row.project->unreadable.empty()) return String_cl();
    return L"无法读取工程文件：" + row.project->unreadable;
}

bool FailWithoutBuild(const MProjectId_cl& row, MProjectPack_cl& rows)
{
    MProject_st& cur = *row;
    const String_cl reason = UnreadableReason(cur);
    if (reason.IsEmpty() || cur.configuration.IsEmpty()) return false;
    rows.MarkModified(row);
    cur.state = CompileFailed;
    cur.failReason = reason;
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = 0;
    // No build, no log: nothing of an earlier build may stand for this one.
    if (!cur.log.IsEmpty()) DeleteFileW(cur.log.c_str());
    cur.log.clear();
    return true;
}

void ResetRowState(const MProjectId_cl& row, MProjectPack_cl& rows, ProjectPack_cl& projects)
{
    MProject_st& cur = *row;
    rows.MarkModified(row);
    if (BuiltWithoutEntry(projects, cur)) {
        cur.state = Normal;
        return;
    }
    projects.ResetState(cur.project, cur.configuration);
    cur.state = projects.ProjectState(cur.project, cur.configuration);
}

MProjectPack_cl::~MProjectPack_cl() = default;

MProject_st* MProjectPack_cl::NewData() { return new MProject_st; }

void MProjectPack_cl::DeleteData(MProject_st* data) { delete data; }

MProjectId_cl FindRow(MProjectPack_cl& rows, const String_cl& path, const String_cl& config)
{
    const Base_ns::FileIdentity_st file = Base_ns::IdentityOf(path);
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        const MProject_st& row = *it;
        Project_st& project = *row.project;
        if (Base_ns::CachedIdentity(project.identity, project.path).Same(file) &&
            Base_ns::EqualsNoCase(row.configuration, config))
            return it;
    }
    return MProjectId_cl();
}

MProjectId_cl RowFor(const String_cl& config, MProjectPack_cl& rows, const String_cl& path,
                     ProjectPack_cl& projects, SerialPack_cl& sequences, const String_cl& solution)
{
    // The row, the record and the sequence entry each compare path with
    // what they hold: the file system is asked once.
    Base_ns::IdentityScope_cl scope;
    MProjectId_cl found = FindRow(rows, path, config);
    if (!found.IsEmpty()) return found;
    ProjectId_cl project = projects.FindOrAdd(path, solution);
    return CreateRow(project, config, rows, projects, sequences);
}

MProjectId_cl RowForProject(const ProjectId_cl& project, const String_cl& config,
                            MProjectPack_cl& rows, ProjectPack_cl& projects,
                            SerialPack_cl& sequences)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        rows.MarkModified(it);
        if (it->project == project && Base_ns::EqualsNoCase(it->configuration, config)) return it;
    }
    return CreateRow(project, config, rows, projects, sequences);
}

MProjectId_cl FirstPending(MProjectPack_cl& rows)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
        if (IsPending(it->state)) return it;
    return MProjectId_cl();
}

void RefreshRowStates(MProjectPack_cl& rows, ProjectPack_cl& projects)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        rows.MarkModified(it);
        MProject_st& row = *it;
        // A row the store has no entry for keeps its own state and log.
        if (row.configuration.IsEmpty() || BuiltWithoutEntry(projects, row)) continue;
        row.state = projects.ProjectState(row.project, row.configuration);
        row.log = projects.LogPath(row.project, row.configuration);
        row.awaitedLibrary.clear();
    }
}

void DropRow(MProjectId_cl& row, MProjectPack_cl& rows, ProjectPack_cl& projects)
{
    ProjectId_cl project = row->project;
    rows.MarkModified(row);
    rows.Erase(row);
    // Only our own copy left: no row of any plan, and no solution entry, uses
    // the project any more.
    if (!project.IsEmpty() && project.References() == 1) projects.Erase(project);
}

void ClearRows(MProjectPack_cl& rows, ProjectPack_cl& projects)
{
    while (rows.Count() > 0) {
        MProjectId_cl first = rows.First();
        DropRow(first, rows, projects);
    }
    rows.Clear();
}

int CountNotExist(const MProjectPack_cl& rows)
{
    int n = 0;
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next())
        if (it->state == NotExist) ++n;
    return n;
}

RowStatistics_st Statistics(const MProjectPack_cl& rows)
{
    RowStatistics_st s;
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        ++s.total;
        switch (it->state) {
        case CompiledUnchanged:
        case Compiled: ++s.compiled; break;
        case CompileFailed: ++s.failed; break;
        case Ignored: ++s.ignored; break;
        case NotExist: ++s.notExist; break;
        default: break;
        }
    }
    return s;
}

void RaisePriority(const MProjectId_cl& row, MProjectPack_cl& rows, SerialPack_cl& sequences)
{
    MProjectId_cl failed;
    for (MProjectId_cl it = row.Prev(); !it.IsEmpty(); it = it.Prev()) {
        if (it->state == CompileFailed) {
            failed = it;
            break;
        }
    }
    if (failed.IsEmpty()) return;
    MoveRowBefore(row, failed, rows, sequences);
}

void MoveRowBefore(const MProjectId_cl& row, const MProjectId_cl& target, MProjectPack_cl& rows,
                   SerialPack_cl& sequences)
{
    rows.MoveBefore(row, target);
    rows.MarkModified(row);
    rows.MarkModified(target);
    // Two rows of one project (two configurations) share one entry.
    if (row->sequenceEntry != target->sequenceEntry) sequences.MoveBefore(row->sequenceEntry, target->sequenceEntry);
}

namespace {

// A piece of a batch file's line between quotes: inside a batch file cmd
// expands %NAME% even there, and "%%" is how a batch file writes one "%".
String_cl BatchQuoted(const String_cl& piece)
{
    String_cl out = L"\"";
    for (wchar_t c : piece) {
        out += c;
        if (c == L'%') out += L'%';
    }
    return out + L"\"";
}

} // namespace

void WriteBatchCommands(const MProjectPack_cl& rows, IO_ns::WTextOStream_cl& out,
                        const String_cl& logFile)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        const MProject_st& row = *it;
        if (row.state == Ignored) continue;
        // Paths are quoted: a folder with a space in it would otherwise
        // split the line into two arguments. A project of a solution is
        // built there, as the build builds it.
        const String_cl& solution = row.project->solution;
        String_cl line = L"devenv ";
        if (!solution.IsEmpty() && !row.configuration.IsEmpty()) {
            line += BatchQuoted(solution) + L" /build " +
                    BatchQuoted(row.solutionConfiguration.IsEmpty() ? row.configuration : row.solutionConfiguration) +
                    L" /project " + BatchQuoted(row.project->path) + L" /projectconfig " +
                    BatchQuoted(row.configuration);
        } else {
            line += BatchQuoted(row.project->path) + L" /build " + BatchQuoted(row.configuration);
        }
        if (!logFile.IsEmpty()) line += L" >> " + BatchQuoted(logFile);
        line += L"\r\n";
        out.WriteString(line);
    }
}

} // namespace Quorvane_ns
