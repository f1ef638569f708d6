#pragma once
// One row's build in the steps that let the external build run on another
// thread while the job's own thread stays the only writer of the stores:
//
//   the constructor (the job's thread): the checks, the old logs deleted,
//     the project file moved to its temporary name when rename-compile is
//     on, the command composed;
//   RunRowCommand (any thread): the external build, on copies of two texts;
//   Finish (the job's thread): the project file back, the log checked and read;
//   then the caller decides the new state (the one-at-a-time walk in
//   CompileProject, the side-by-side walk in RowScheduler_cl) and calls Conclude.
#include <memory>
#include "app/engine/BuildRunner.h"
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

// What the external build needs, copied out of the stores.
struct RowCommand_st {
    String_cl parameters;  // for cmd, as BuildParameters makes them
    String_cl logPath;
};

// A failed row without a log was not built at all: its project file could
// not be read (FailWithoutBuild), or its run would have built a row that
// failed (ConcludeUnbuilt). Such a row took no time and showed no link.
inline bool FailedUnbuilt(const MProject_st& row) { return row.state == CompileFailed && row.log.IsEmpty(); }

// Runs the command and waits. A builder that did not start at all (an empty
// log) is started again a few times before the row build judges the row.
void RunRowCommand(const RowCommand_st& command);

class RowBuild_cl {
public:
    // A row of a solution is built in its solution, as Visual Studio builds
    // it there: devenv "<solution>" /<verb> "<solution configuration>"
    // /project "<project>" /projectconfig "<configuration>", the project
    // under its own name, which the solution names. A project file listed
    // alone is built alone, under a temporary name when rename-compile is on
    // (not a ".vcxproj", which MSBuild names its outputs after).
    // A row of a solution rebuilt whose run would reach other projects (its
    // dependencies there, which /rebuild rebuilds too; BuildReach_cl) is
    // rebuilt in a copy of its solution that builds it alone, standing under
    // the solution's name for the build (OneProjectSolution.h); the user's
    // solution waits under a temporary name, recorded in the rename journal.
    // alone: the row is built so whatever the verb (a walk restricted to
    // some rows; RowScheduler_cl::BuildsAlone).
    // uniqueTemporary: temporary names get a number of their own besides the
    // time stamp, for builds that start within one second.
    // Raises user error 101 for a row without configuration, 103 for one the
    // command line cannot carry and 102 for such a path or installation
    // folder (or a solution that cannot be copied so), and VcInstallation_cl's
    // error for a project file of the other era, before any file is touched.
    RowBuild_cl(const MProjectId_cl& row, const MProjectPack_cl& rows, const ProjectPack_cl& projects,
                const String_cl& normalFolder, const String_cl& vcDir, bool rebuild, bool uniqueTemporary,
                bool alone = false);
    // Puts the project file back if Finish did not.
    ~RowBuild_cl();
    RowBuild_cl(const RowBuild_cl&) = delete;
    RowBuild_cl& operator=(const RowBuild_cl&) = delete;

    const MProjectId_cl& Row() const { return m_row; }
    RowCommand_st Command() const { return {m_parameters, m_logPath}; }

    // The project file back under its name; user error 102 (with the command
    // in "Cmd.txt" beside the program) when the build left no log; else the
    // row marked modified and its log's verdict.
    LogResult_st Finish(MProjectPack_cl& rows);
    // The row takes state; its log stays in the normal folder, or, for a
    // failure, goes to failedFolder, replacing the project's older log there
    // (a success deletes that one); the project store records the result.
    void Conclude(int32_t state, const String_cl& failedFolder, ProjectPack_cl& projects);

    // A row that is not built at all because its run would build a row that
    // failed (cause, a serial): it fails as a knock-on failure of that row,
    // with no log (its older logs go, as a build's would), and the project
    // store records it.
    static void ConcludeUnbuilt(const MProjectId_cl& row, uint32_t cause, const String_cl& normalFolder,
                                const String_cl& failedFolder, ProjectPack_cl& projects);

private:
    class BuildFile_cl;
    class SolutionCopy_cl;

    MProjectId_cl m_row;
    String_cl m_logName;
    String_cl m_logPath;
    String_cl m_parameters;
    bool m_rebuild;
    std::unique_ptr<BuildFile_cl> m_file;
    std::unique_ptr<SolutionCopy_cl> m_solutionCopy;
};

} // namespace Quorvane_ns
