#pragma once
// The build rows of one plan: each row is one project in one configuration,
// kept in the order of the remembered build sequence, with its state, the
// name of what it produces and the path of its last log. The row build
// (CompileProject) works through them and reorders them when a link shows
// that one project needs another's library first.
#include <cstdint>
#include "common/base/String.h"
#include "common/container/DList.h"
#include "common/io/WTextOStream.h"
#include "app/engine/ProjectPack.h"
#include "app/engine/RowState.h"
#include "app/engine/SerialPack.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct MProject_st {
    ProjectId_cl project;       // holds a reference on the project record
    SerialId_cl sequenceEntry;  // the project's place in the build-order sequence
    int32_t state = 0;          // RowState
    String_cl output;           // file name the project produces; empty without the configuration
    String_cl log;              // last build log; empty when none
    String_cl configuration;    // e.g. Debug|Win32; empty when the project lacks it
    // For a project of a solution: the solution configuration (the plan's)
    // in which the solution builds the project as configuration; the builder
    // is given both. Empty for a project file listed alone.
    String_cl solutionConfiguration;
    // The library the last link of this row could not open while the row waits
    // for its provider (state LibraryDependency); lets the row build see a
    // circle of projects that wait for each other. Not kept in the data file.
    String_cl awaitedLibrary;
    // Set when the last build failed only because the library of another
    // row, which failed before it in this run, is missing: that row's key.
    // 0 otherwise. Not kept in the data file.
    uint32_t failedBecauseOf = 0;
    // Why the row failed when its log does not say it (the project file could
    // not be read; a line of the builder the program cannot read, quoted),
    // as the console, the status line and the report show it; empty
    // otherwise. Not kept in the data file.
    String_cl failReason;
    // What of the row's project could not be read, when the row is built all
    // the same (the solution builds a configuration the reader did not find,
    // a property it could not evaluate); empty when it was read whole.
    String_cl readNote;
};

class MProjectId_cl : public Container_ns::DList_tl<MProject_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<MProject_st>::Identifier_cl;
    MProjectId_cl() = default;
    MProjectId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"MProjectId_cl"; }
};

class MProjectPack_cl : public Container_ns::DList_tl<MProject_st> {
public:
    MProjectPack_cl() = default;
    ~MProjectPack_cl() override;

    MProject_st* NewData() override;
    void DeleteData(MProject_st* data) override;
    const wchar_t* ClassName() const override { return L"MProjectPack_cl"; }
};

// The first row whose project file is the file path names, however either
// is spelt (FileIdentity_st), and whose configuration equals config
// ignoring case; empty when none.
MProjectId_cl FindRow(MProjectPack_cl& rows, const String_cl& path, const String_cl& config);
// FindRow's row, else a new row for the project (read into the project store
// in the context of solution when it is not there yet; empty: the project
// file alone), placed in sequence order.
MProjectId_cl RowFor(const String_cl& config, MProjectPack_cl& rows, const String_cl& path,
                     ProjectPack_cl& projects, SerialPack_cl& sequences,
                     const String_cl& solution = String_cl());
// The row of this very project record and configuration, else a new one.
MProjectId_cl RowForProject(const ProjectId_cl& project, const String_cl& config,
                            MProjectPack_cl& rows, ProjectPack_cl& projects,
                            SerialPack_cl& sequences);
// The first row still to build: Normal, LibraryDependency or CompileFailed.
MProjectId_cl FirstPending(MProjectPack_cl& rows);
// Takes every row's state and log afresh from the project store; a row the
// store has no entry for (BuiltWithoutEntry) keeps its own.
void RefreshRowStates(MProjectPack_cl& rows, ProjectPack_cl& projects);
// Erases the row (row becomes empty), and its project record with it when no
// other identifier holds that record any more.
void DropRow(MProjectId_cl& row, MProjectPack_cl& rows, ProjectPack_cl& projects);
void ClearRows(MProjectPack_cl& rows, ProjectPack_cl& projects);
int CountNotExist(const MProjectPack_cl& rows);

// Whether the row is built although the project store has no entry for its
// configuration: its project file could not be read, or its solution builds
// a configuration the reader did not find. Such a row's state and log are
// its own; the project store records nothing for it.
bool BuiltWithoutEntry(const ProjectPack_cl& projects, const MProject_st& row);
// Why the row fails without a build when its project file could not be
// read (the file and the reader's message); empty when it could.
String_cl UnreadableReason(const MProject_st& row);
// A row whose project file could not be read fails here, without a build:
// CompileFailed with UnreadableReason in failReason and no log. False (and
// nothing changed) for any other row.
bool FailWithoutBuild(const MProjectId_cl& row, MProjectPack_cl& rows);
// Back to Normal before a clean's build: in the project store, or, for a row
// built without an entry there, the row's own state.
void ResetRowState(const MProjectId_cl& row, MProjectPack_cl& rows, ProjectPack_cl& projects);

struct RowStatistics_st {
    int total = 0;
    int compiled = 0;  // CompiledUnchanged or Compiled
    int failed = 0;
    int ignored = 0;
    int notExist = 0;
};
RowStatistics_st Statistics(const MProjectPack_cl& rows);

// Moves the row, and its sequence entry, right before the nearest failed row
// above it, so that it is built first next time; nothing without one.
void RaisePriority(const MProjectId_cl& row, MProjectPack_cl& rows, SerialPack_cl& sequences);
// Moves row right before target, and its sequence entry right before
// target's, so that the new order is remembered.
void MoveRowBefore(const MProjectId_cl& row, const MProjectId_cl& target, MProjectPack_cl& rows,
                   SerialPack_cl& sequences);

// One devenv line per row that is not Ignored, in row order, appending to
// logFile when it is not empty: a project of a solution built in its
// solution (/project, /projectconfig), a project file listed alone on its
// own. Lines of a batch file: "%" is written "%%".
void WriteBatchCommands(const MProjectPack_cl& rows, IO_ns::WTextOStream_cl& out,
                        const String_cl& logFile);

// Builds one row and decides what comes next: on return row names the next
// row to build (a library provider moved ahead of it, the same row, or the
// next pending row), or is empty at the end. 1 unless the row failed.
// failedFolder and normalFolder end with "\"; vcDir is used verbatim.
int CompileProject(SerialPack_cl& sequences, const String_cl& failedFolder, MProjectPack_cl& rows,
                   MProjectId_cl& row, ProjectPack_cl& projects, const String_cl& normalFolder,
                   const String_cl& vcDir, bool rebuild);

// The file name of a project's build log: its name + ".log", or, for the
// second and later project records of the same name, "name (n).log".
String_cl LogFileName(const ProjectPack_cl& projects, const ProjectId_cl& project);

// Whether CompileProject builds the project file under a temporary name (the
// window's "更名编译" check box). Process-wide, read once per call; on until
// someone sets it.
void SetRenameCompile(bool on);
bool RenameCompile();

} // namespace Quorvane_ns
