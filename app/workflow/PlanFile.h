#pragma once
// A plan carried to another checkout of the same sources: a build agent
// checks them out to a folder of its own, so every path of the file is
// relative to a root folder (the sources' top), and whoever reads it gives
// its own root. The file holds the plan (name, configuration, solutions),
// what was learned of its projects (links from failed links, build times)
// and, written after a build, each built row's result. XML, UTF-16 as the
// data file; root element "Quorvane" with "方案文件"="1".
//
// Reading it is reading someone else's file: a path that is absolute or
// climbs out of the root is refused (user error, the path named); nothing
// is changed before the whole file has been read.
#include <vector>
#include "app/engine/MProjectPack.h"
#include "app/store/PlanPack.h"
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

class Stores_cl;
struct RunRecord_st;

// One built row as a build on an agent left it.
struct RowResult_st {
    String_cl path;           // the project file, full (resolved against the reader's root)
    String_cl configuration;
    int32_t state = Normal;
    double seconds = 0;       // all its builds together
    String_cl log;            // full; empty when none
    String_cl firstError;     // or why it failed
    String_cl job;            // the CI job that built it
};

struct PlanFile_st {
    String_cl planName;
    String_cl configuration;
    std::vector<String_cl> solutions;  // full
    struct Link_st {
        String_cl path, configuration, library;
    };
    std::vector<Link_st> links;
    struct Time_st {
        String_cl path, configuration;
        double seconds = 0;
    };
    std::vector<Time_st> times;
    std::vector<RowResult_st> results;
};

// The folder every path shares, with its trailing "\"; empty when they
// share none (other drives).
String_cl CommonFolder(const std::vector<String_cl>& paths);
// path relative to root (which ends with "\"), or empty when it lies outside.
String_cl RelativeTo(const String_cl& root, const String_cl& path);
// The files a read plan is made of: its solutions, its rows' project files
// and the property sheets they read.
std::vector<String_cl> PlanFiles(const Plan_st& plan);
// Raises user error 101 naming the first file outside root.
void CheckInsideRoot(const String_cl& root, const std::vector<String_cl>& files);

// The plan's file: solutions, the learned links and build times of its
// rows' projects, and, when given, the rows' results of record as built by
// job. Paths relative to root; a file outside it is user error 101.
void WritePlanFile(const Stores_cl& stores, const Plan_st& plan, const String_cl& root, const String_cl& path,
                   const RunRecord_st* record = nullptr, const String_cl& job = String_cl());
// Reads the file, paths resolved against root (ends with "\").
PlanFile_st ReadPlanFile(const String_cl& path, const String_cl& root);
// Takes a file in: the plan is made when there is none of its name (its
// solutions added; an existing plan keeps its own), links learned and build
// times recorded. Returns the plan.
PlanId_cl ApplyPlanFile(Stores_cl& stores, const PlanFile_st& file, bool& created);

Base_ns::UserError_cl PlanFileError(int32_t code, int32_t line, const String_cl& note);

} // namespace Quorvane_ns
