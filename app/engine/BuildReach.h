#pragma once
// What one row's builder run may build besides the row's own project.
//
// A row of a solution is built in its solution (devenv <solution> /build
// <configuration> /project <project>), and there the builder first brings up
// to date, as Visual Studio does, every project the project depends on: the
// solution's ProjectDependencies and the project's references, and theirs in
// turn, each in the configuration the solution configuration gives it, or
// not at all when it gives none. A project file listed alone is built in a
// solution of its own, which holds nothing else: its run builds only it.
//
// The walks keep each run to its own row's project with this:
// - a row waits for every row its run could build, so that those are up to
//   date when it starts and the builder only finds them so;
// - a row whose run would build a row that failed fails without running (a
//   knock-on failure): its run would only build that project again;
// - two runs that could build one project, other than a row built
//   successfully in this walk, never run at once;
// - a run that may build a project the program does not read (another kind
//   of project) never runs beside another row of its solution.
//
// Rows are named by serial number; only rows with a configuration take part,
// and a project file is known as the file system knows it (FileIdentity_st),
// however the solution, a reference or the plan spells it.
#include <cstdint>
#include <functional>
#include <map>
#include <vector>
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

class BuildReach_cl {
public:
    // Reads the rows and their project records; each row's reach is worked
    // out when first asked for.
    explicit BuildReach_cl(const MProjectPack_cl& rows);

    // The other rows whose projects the row's run may build, in row order.
    const std::vector<uint32_t>& Rows(uint32_t row) const;
    // The row's run may build a project the program does not read.
    bool Open(uint32_t row) const;
    // The row's run builds its own project and nothing else.
    bool Alone(uint32_t row) const { return Rows(row).empty() && !Open(row); }
    // Whether the runs of rows a and b may build one project at the same
    // time; builtOk tells the rows built successfully in this walk, which
    // the builder finds up to date.
    bool MayMeet(uint32_t a, uint32_t b, const std::function<bool(uint32_t)>& builtOk) const;

private:
    struct Reach_st {
        std::vector<uint32_t> rows;
        bool open = false;
    };
    const Reach_st& Of(uint32_t row) const;
    // The record of a project file read in the solution of own, or in
    // another one; null when no row names the file.
    Project_st* RecordOf(const Base_ns::FileIdentity_st& file, Project_st& own) const;

    struct Row_st {
        ProjectId_cl project;
        int index = 0;
    };
    std::map<uint32_t, Row_st> m_rows;                    // the rows with a configuration
    Base_ns::FileIndex_tl<uint32_t> m_byFile;        // project file → those rows
    Base_ns::FileIndex_tl<ProjectId_cl> m_records;   // project file → records of all rows
    mutable std::map<uint32_t, Reach_st> m_reach;
};

} // namespace Quorvane_ns
