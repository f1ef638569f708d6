#pragma once
// How a job tells the world what it is doing. The main window turns these
// calls into its status line, page refreshes and message boxes; the console
// front end prints them. Jobs call them on their own thread; an implementation
// that touches a window must deliver synchronously, so that no store changes
// while the window reads it.
#include <cstdint>
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

struct Plan_st;
struct MProject_st;

class JobReporter_cl {
public:
    virtual ~JobReporter_cl() = default;

    // The status line: before each item, and at the end of a job (empty, or
    // the missing-file count of a read).
    virtual void Status(const Base_ns::String_cl& text) = 0;
    // The project page should show the plan's rows afresh.
    virtual void RefreshProjects(uint32_t planKey) {}
    // The history page should show the sequence afresh.
    virtual void RefreshHistory() {}
    // The project page should drop its rows before a read replaces them.
    virtual void ClearProjects() {}
    // A row has been built; ok is what the row build returned.
    virtual void RowBuilt(const Plan_st& plan, const MProject_st& row, int ok) {}
    // A solution has been cleaned without an error.
    virtual void SolutionCleaned(const Plan_st& plan, const Base_ns::String_cl& path) {}
    // An error ended the job's loop; shown over the window, or printed.
    virtual void ShowError(const Base_ns::Error_cl& error) { error.Show(nullptr); }
    // Read after every row, so that a change during a build counts from the next one.
    virtual bool StopOnError() = 0;
};

} // namespace Quorvane_ns
