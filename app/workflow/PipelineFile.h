#pragma once
// A read plan as a CI pipeline: its rows grouped into jobs by the graph
// the program knows (declared, inferred from libraries, learned) and the
// kept build times (PipelineGrouping), each job running the console on
// exactly its rows on one agent, in a program folder of its own:
//
//   <QUORVANE> import-plan <plan file> --data-dir quorvane-out/<job>
//   <QUORVANE> build <plan> --only <rows> --data-dir quorvane-out/<job> ...
//              --report quorvane-out/<job>/junit.xml --results quorvane-out/<job>/results.xml
//
// run in the checkout's top folder (the root), which is where GitLab and
// GitHub start a job's commands, so no path depends on where the plan was
// made. A job passes on its logs, JUnit file and results always, and the
// output files, import libraries and program databases of its rows; it
// needs the jobs holding a row one of its rows needs, and no other. A last
// job, which always runs, collects every job's results into one plan file,
// one JUnit file and one report.
#include <vector>
#include "app/engine/PipelineGrouping.h"
#include "app/store/PlanPack.h"
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

class Stores_cl;

enum class CiEngine_en { GitLab, GitHub };
enum class CiShell_en { PowerShell, Bash };

struct PipelineRequest_st {
    CiEngine_en engine = CiEngine_en::GitLab;
    CiShell_en shell = CiShell_en::PowerShell;
    int agents = 4;
    double jobOverhead = 60;
    String_cl root;        // full, ends with "\"
    String_cl planFile;    // relative to root, "/" separated
    std::vector<String_cl> tags;   // GitLab
    String_cl runsOn = L"windows-latest";  // GitHub
    String_cl vcDirectory = L"auto";       // the default of QUORVANE_VC_DIR
};

// One job of the pipeline as written.
struct PipelineJobText_st {
    String_cl id;                   // GitLab job name, GitHub job id
    std::vector<String_cl> rows;    // as --only names them
    std::vector<String_cl> needs;   // ids
    std::vector<String_cl> artifacts;  // relative to the root, "/" separated
};

struct PipelineText_st {
    String_cl text;
    Grouping_st grouping;
    std::vector<PipelineJobText_st> jobs;
};

// The pipeline of a read plan. Files outside the root (the plan's, or an
// output a job passes on) are PlanFileError 101.
PipelineText_st MakePipeline(const Stores_cl& stores, const Plan_st& plan, const PipelineRequest_st& request);

// How --only names a row: its project's name when no other row of the plan
// has that name, else its project file relative to root.
String_cl OnlyName(const Plan_st& plan, const MProjectId_cl& row, const String_cl& root);

// "1 小时 05 分 10 秒" style, short: "01:05:10".
String_cl ClockText(double seconds);

} // namespace Quorvane_ns
