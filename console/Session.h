#pragma once
// One run of a console command: the data file taken for this process (no
// other instance may have it meanwhile), loaded, the command run on the
// stores, and saved when the command changes them.
#include <set>
#include <vector>
#include "app/store/DataFile.h"
#include "app/workflow/InstanceLock.h"
#include "app/workflow/JobReporter.h"
#include "app/workflow/SettingsInterface.h"
#include "console/ConsoleCommands.h"
#include "console/ConsoleOutput.h"

namespace Quorvane_ns {

struct RunRecord_st;

class Session_cl {
public:
    Session_cl(ConsoleOutput_cl& out, ConsoleOutput_cl& err, const Invocation_st& line)
        : m_out(out), m_err(err), m_line(line)
    {
    }

    // Ctrl+C (or Ctrl+Break) stops a build after its current project, as the
    // window's Stop does; a second press ends the program at once. For the
    // whole process, once.
    static void CatchInterrupts();

    // The command of the line; its exit status.
    int Run();
    // The names of a list of plans that no plan has; nothing is saved. 0, or
    // the exit status when another instance has the data file. The session
    // holds the data file until it ends.
    int FindUnknownPlans(const std::vector<String_cl>& names, std::vector<String_cl>& unknown);

    // The commands.
    int Plans();
    int Show();
    int Graph();
    int Job();  // build, rebuild, clean
    int Add();
    int RemovePlan();
    int ExportSequence();
    int ImportSequence();
    int Pipeline();
    int ImportPlan();
    int Collect();

private:
    // The data file for this process, loaded; 0, or the exit status when
    // another instance has it.
    int Take();
    void Save();
    PlanId_cl FindPlan(const String_cl& name);
    void ApplyConfiguration(const PlanId_cl& plan);
    String_cl VcDirectory();
    // The plan the first operand names, in the configuration of --config,
    // read (show, graph).
    PlanId_cl ReadNamedPlan(JobReporter_cl& reporter);
    // Whether a row failed or will fail when built; of the rows given only,
    // when there are any (a build of --only's rows is judged by them).
    bool RowsFailed(const Plan_st& plan, const std::set<uint32_t>& only = {}) const;
    // --only's rows of the plan by serial; user error naming what matches none.
    std::set<uint32_t> OnlyRows(const Plan_st& plan);
    // A build's own part of what it ran, for its report and results.
    void KeepOnly(RunRecord_st& record, const std::set<uint32_t>& rows) const;
    String_cl RootFolder(const String_cl& fallback) const;

    ConsoleOutput_cl& m_out;
    ConsoleOutput_cl& m_err;
    const Invocation_st& m_line;
    InstanceLock_cl m_lock;  // declared before the stores: held until they are saved
    Stores_cl m_stores;
    SettingsHost_cl m_settings;
};

} // namespace Quorvane_ns
