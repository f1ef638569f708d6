#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

namespace {

// The second half of RowFor and RowForProject: a row for project in config,
// inserted before the first row that comes later in the sequence.
MProjectId_cl CreateRow(const ProjectId_cl& project, const String_cl& config,
                        MProjectPack_cl& rows, ProjectPack_cl& projects, SerialPack_cl& sequences)
{
    MProject_st row;
    row.project = project;
    row.sequenceEntry = sequences.Register(project->path);
    if (!config.IsEmpty() && projects.HasConfiguration(project, config)) {
        row.state = projects.ProjectState(project, config);
        row.output = projects.OutputName(project, config);
        row.log = projects.LogPath(project, config);
        row.configuration = config;
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

MProjectPack_cl::~MProjectPack_cl() = default;

MProject_st* MProjectPack_cl::NewData() { return new MProject_st; }

void MProjectPack_cl::DeleteData(MProject_st* data) { delete data; }

MProjectId_cl FindRow(MProjectPack_cl& rows, const String_cl& path, const String_cl& config)
{
    for (MProjectId_cl it = rows.First(); !it.IsEmpty(); it = it.Next()) {
        const MProject_st& row = *it;
        // Rows of a plan mostly share one configuration: the path decides.
        if (Base_ns::EqualsNoCase(row.project->path, path) && Base_ns::EqualsNoCase(row.configuration, config)) return it;
    }
    return MProjectId_cl();
}

MProjectId_cl RowFor(const String_cl& config, MProjectPack_cl& rows, const String_cl& path,
                     ProjectPack_cl& projects, SerialPack_cl& sequences, const String_cl& solution)
{
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
        if (row.configuration.IsEmpty()) continue;
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
