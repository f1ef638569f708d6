#pragma once
// What the project and history pages do with the stores, without a window:
// the texts their lists show, copied out of the stores, and the commands that
// change the stores. Each command runs on the window thread and only while no
// job runs (see the threading rule in Jobs.h); the pages refuse them otherwise.
#include <cstdint>
#include <vector>
#include "common/base/String.h"
#include "app/engine/MProjectPack.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

class Stores_cl;

// What the status line says when a command would change the stores while a
// job works on them.
String_cl BusyStatusText();

// One build row as the project list shows it, with what the row's menu
// commands need, copied so that the page can work on it while a job runs.
struct ProjectRowView_st {
    uint32_t key = 0;  // the row's serial in the plan's rows
    int32_t state = 0;
    String_cl name;
    String_cl configuration;
    String_cl stateText;
    String_cl path;
    String_cl log;
    // What the status line says when the row is selected: why it failed when
    // its log does not say it, and what of its project file could not be
    // read ("name：…"); empty for other rows.
    String_cl note;

    // The list's columns: name, configuration, state, path.
    const String_cl& Text(int column) const;
    bool operator==(const ProjectRowView_st&) const = default;
};

// Makes views the plan's rows in build order. The texts are assigned into
// the records views already holds, so that a page refreshing after every
// built row reuses their memory instead of allocating 2,000 rows anew.
void ProjectRowViews(const MProjectPack_cl& rows, std::vector<ProjectRowView_st>& views);
// The row's note for the status line (ProjectRowView_st::note).
String_cl RowNoteText(const MProject_st& row);
// "工程总数 12，不存在 1，忽略 2，编译工程 5/9": the parts for missing,
// ignored and failed rows only when there are any.
String_cl CountersText(const RowStatistics_st& counts);

// The row of the plan with that key; the store's lookup error when either is
// gone.
MProjectId_cl PlanRow(Stores_cl& stores, uint32_t planKey, uint32_t rowKey);
// Ignored rows go back to Normal unless they lack a configuration (which is
// what made them Ignored); the others become Ignored.
void ToggleIgnore(Stores_cl& stores, uint32_t planKey, uint32_t rowKey);
// Makes the row Ignored; false when it already was.
bool MarkIgnored(Stores_cl& stores, uint32_t planKey, uint32_t rowKey);
// RaisePriority with the plan's rows and the sequence, plan marked changed.
void RaiseRowPriority(Stores_cl& stores, uint32_t planKey, uint32_t rowKey);
// Writes the plan's devenv lines to path (created or truncated, UTF-16LE with
// its mark); each line appends to logFile when it is not empty.
void WriteBatchFile(const String_cl& path, const MProjectPack_cl& rows, const String_cl& logFile);

// One sequence entry as the history list shows it.
struct SequenceRowView_st {
    uint32_t key = 0;  // the entry's serial in the sequence
    String_cl name;    // ProjectName of the entry
    String_cl path;

    // The list's columns: name, path.
    const String_cl& Text(int column) const { return column == 0 ? name : path; }
    bool operator==(const SequenceRowView_st&) const = default;
};

// Makes views the entries in store order, reusing its records as
// ProjectRowViews does. An entry whose path has no project name raises
// ProjectName's error; views then holds the entries before it.
void SequenceRowViews(const SerialPack_cl& sequences, std::vector<SequenceRowView_st>& views);
// Erases the entries with those keys that no build row holds, in the given
// order; returns how many went. A key that names no entry raises the store's
// lookup error (the entries before it are gone by then).
int EraseUnusedEntries(SerialPack_cl& sequences, const std::vector<uint32_t>& keys);

// Writes the learned order to a file the user named, which CheckWriteTarget
// must accept first.
void ExportSequenceFile(Stores_cl& stores, const String_cl& path);
// Takes the learned order from a file the user named (SerialPack_cl's rules).
// A file without a single line is refused with a user error before anything
// changes: taken as it is, it would empty the learned order.
void ImportSequenceFile(Stores_cl& stores, const String_cl& path);

} // namespace Quorvane_ns
