#include "app/engine/BuildReach.h"
#include <algorithm>
#include <set>
#include "common/base/Path.h"

namespace Quorvane_ns {

namespace {

bool IsVisualCppProject(const String_cl& path)
{
    return HasExtension(path, L"vcxproj") || HasExtension(path, L"vcproj") || HasExtension(path, L"icproj");
}

bool Holds(const std::vector<uint32_t>& rows, uint32_t row) { return std::find(rows.begin(), rows.end(), row) != rows.end(); }

} // namespace

BuildReach_cl::BuildReach_cl(const MProjectPack_cl& rows)
{
    int index = 0;
    for (MProjectId_cl row = rows.First(); !row.IsEmpty(); row = row.Next(), ++index) {
        Project_st& project = *row->project;
        const Base_ns::FileIdentity_st& file = Base_ns::CachedIdentity(project.identity, project.path);
        m_records.Add(file, row->project);
        if (row->configuration.IsEmpty()) continue;
        m_rows[row.Serial()] = {row->project, index};
        m_byFile.Add(file, row.Serial());
    }
}

Project_st* BuildReach_cl::RecordOf(const Base_ns::FileIdentity_st& file, Project_st& own) const
{
    const std::vector<ProjectId_cl> records = m_records.Find(file);
    if (records.empty()) return nullptr;
    // Read in this solution when it is; a project two solutions share may
    // have been read in the other one only.
    for (const ProjectId_cl& p : records)
        if (ReadInSameSolution(*p, own)) return &*p;
    return &*records.front();
}

const BuildReach_cl::Reach_st& BuildReach_cl::Of(uint32_t row) const
{
    static const Reach_st none;
    auto known = m_reach.find(row);
    if (known != m_reach.end()) return known->second;
    auto r = m_rows.find(row);
    if (r == m_rows.end()) return none;
    Reach_st& reach = m_reach[row];
    Project_st& own = *r->second.project;
    if (own.solution.IsEmpty()) return reach;

    // Through the projects the solution says each depends on and those each
    // references, whether or not the configuration builds them: the builder
    // goes on to what they depend on.
    Base_ns::IdentityScope_cl scope;
    Base_ns::FileIndex_tl<bool> seen;
    seen.Add(Base_ns::CachedIdentity(own.identity, own.path), true);
    std::vector<const Project_st*> open{&own};
    std::set<uint32_t> found;
    while (!open.empty()) {
        const Project_st& p = *open.back();
        open.pop_back();
        if (p.dependsOnOtherKinds) reach.open = true;
        std::vector<String_cl> next = p.solutionDependencies;
        for (const String_cl& reference : p.references) {
            if (IsVisualCppProject(reference)) next.push_back(reference);
            else reach.open = true;
        }
        for (const String_cl& path : next) {
            const Base_ns::FileIdentity_st file = Base_ns::IdentityOf(path);
            if (seen.Holds(file)) continue;
            seen.Add(file, true);
            for (uint32_t built : m_byFile.Find(file)) found.insert(built);
            if (const Project_st* record = RecordOf(file, own)) open.push_back(record);
        }
    }
    reach.rows.assign(found.begin(), found.end());
    std::sort(reach.rows.begin(), reach.rows.end(),
              [this](uint32_t a, uint32_t b) { return m_rows.at(a).index < m_rows.at(b).index; });
    return reach;
}

const std::vector<uint32_t>& BuildReach_cl::Rows(uint32_t row) const { return Of(row).rows; }

bool BuildReach_cl::Open(uint32_t row) const { return Of(row).open; }

bool BuildReach_cl::MayMeet(uint32_t a, uint32_t b, const std::function<bool(uint32_t)>& builtOk) const
{
    auto ra = m_rows.find(a), rb = m_rows.find(b);
    if (ra == m_rows.end() || rb == m_rows.end()) return false;
    const Reach_st& x = Of(a);
    const Reach_st& y = Of(b);
    // What the program does not read may be anything of the solution, and
    // what another solution's unread project depends on too.
    if (x.open && y.open) return true;
    if ((x.open || y.open) && ReadInSameSolution(*ra->second.project, *rb->second.project)) return true;
    auto bBuilds = [&](uint32_t r) { return r == b || Holds(y.rows, r); };
    if (bBuilds(a) && !builtOk(a)) return true;
    for (uint32_t r : x.rows)
        if (bBuilds(r) && !builtOk(r)) return true;
    return false;
}

} // namespace Quorvane_ns
