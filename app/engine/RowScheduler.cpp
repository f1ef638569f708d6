#include "app/engine/RowScheduler.h"

namespace Quorvane_ns {

namespace {

bool IsPending(int32_t state)
{
    return state == Normal || state == LibraryDependency || state == CompileFailed;
}

} // namespace

RowScheduler_cl::RowScheduler_cl(MProjectPack_cl& rows, const ProjectPack_cl& projects, LearnedLinkPack_cl& links)
    : m_rows(rows), m_projects(projects), m_links(links), m_graph(rows, projects, links)
{
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next())
        if (IsPending(row->state) && !row->configuration.IsEmpty()) m_todo.insert(row.Serial());
}

bool RowScheduler_cl::Ready(uint32_t row) const
{
    for (uint32_t need : m_graph.Needs(row))
        if (m_todo.count(need)) return false;
    return true;
}

bool RowScheduler_cl::CollidesWithRunning(uint32_t row) const
{
    for (uint32_t other : m_running)
        if (m_graph.Collide(row, other)) return true;
    return false;
}

MProjectId_cl RowScheduler_cl::NextToStart() const
{
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next()) {
        const uint32_t serial = row.Serial();
        if (!m_todo.count(serial) || m_running.count(serial)) continue;
        if (Ready(serial) && !CollidesWithRunning(serial)) return row;
    }
    if (!m_running.empty()) return MProjectId_cl();
    // Nothing runs and nothing is ready: a circle of needs. Its first row
    // goes ahead; if it truly needs the others its link says so.
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next())
        if (m_todo.count(row.Serial())) return row;
    return MProjectId_cl();
}

void RowScheduler_cl::Started(const MProjectId_cl& row) { m_running.insert(row.Serial()); }

void RowScheduler_cl::Abandoned(const MProjectId_cl& row)
{
    m_running.erase(row.Serial());
    m_todo.erase(row.Serial());
}

std::vector<MProjectId_cl> RowScheduler_cl::Running() const
{
    std::vector<MProjectId_cl> running;
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next())
        if (m_running.count(row.Serial())) running.push_back(row);
    return running;
}

bool RowScheduler_cl::Waits(uint32_t from, uint32_t to) const
{
    std::set<uint32_t> seen;
    std::vector<uint32_t> open{from};
    while (!open.empty()) {
        const uint32_t row = open.back();
        open.pop_back();
        if (row == to) return true;
        if (!seen.insert(row).second) continue;
        for (uint32_t need : m_graph.Needs(row))
            if (need == to || m_todo.count(need)) open.push_back(need);
    }
    return false;
}

MProjectId_cl RowScheduler_cl::Provider(const String_cl& library) const
{
    // As the one-at-a-time walk finds it: the first row still to build, or
    // failed, that produces the library.
    for (MProjectId_cl row = m_rows.First(); !row.IsEmpty(); row = row.Next())
        if (IsPending(row->state) && Base_ns::EqualsNoCase(row->output, library)) return row;
    return MProjectId_cl();
}

int32_t RowScheduler_cl::Ended(const MProjectId_cl& row, const LogResult_st& result, SerialPack_cl& sequences)
{
    const uint32_t serial = row.Serial();
    MProject_st& cur = *row;
    m_running.erase(serial);
    m_todo.erase(serial);
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = 0;
    if (result.missingFile.IsEmpty()) return result.state;

    const MProjectId_cl provider = Provider(result.missingFile);
    if (provider.IsEmpty() || provider == row) return CompileFailed;
    const uint32_t providerSerial = provider.Serial();
    // The link has shown the edge, whatever becomes of the row now.
    if (!m_graph.Names(serial, result.missingFile)) {
        m_links.Learn(cur.project->path, cur.configuration, result.missingFile);
        m_graph.Add(serial, providerSerial, result.missingFile, true);
    } else {
        m_graph.Add(serial, providerSerial, result.missingFile, false);
    }
    if (!m_todo.count(providerSerial)) {
        // Ended in this walk, and not well (a row that built is no provider).
        cur.failedBecauseOf = providerSerial;
        return CompileFailed;
    }
    if (Waits(providerSerial, serial)) return CompileFailed;

    cur.awaitedLibrary = result.missingFile;
    m_todo.insert(serial);
    if (row.Index() < provider.Index()) {
        m_rows.MoveBefore(provider, row);
        m_rows.MarkModified(provider);
        if (provider->sequenceEntry != cur.sequenceEntry)
            sequences.MoveBefore(provider->sequenceEntry, cur.sequenceEntry);
    }
    return LibraryDependency;
}

void LearnFromRowBuild(const MProjectId_cl& row, MProjectPack_cl& rows, const ProjectPack_cl& projects,
                       LearnedLinkPack_cl& links)
{
    const MProject_st& built = *row;
    String_cl library = built.awaitedLibrary;
    if (library.IsEmpty() && built.failedBecauseOf != 0) library = rows.FromSerial(built.failedBecauseOf)->output;
    if (library.IsEmpty()) return;
    if (const ConfigEntry_st* entry = projects.Entry(built.project, built.configuration))
        for (const String_cl& named : entry->libraries)
            if (Base_ns::EqualsNoCase(named, library)) return;
    links.Learn(built.project->path, built.configuration, library);
}

} // namespace Quorvane_ns
