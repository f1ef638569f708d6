#pragma once
// Reads the record that the builder stand-in keeps of its project builds when
// QV_STANDIN_TRACE names a file (format in tools/vs-standin/Trace.h), so that
// a test can tell whether builds overlapped.
#include <cstdint>
#include <vector>
#include "common/base/String.h"

namespace Test_ns {

struct StandinBuild_st {
    Base_ns::String_cl project;       // the project file as devenv was given it
    Base_ns::String_cl configuration;
    uint64_t start = 0;               // 100-ns units since 1601 (UTC)
    uint64_t end = 0;
    uint32_t process = 0;
    Base_ns::String_cl outcome;       // "built", "failed" or "up-to-date"
    Base_ns::String_cl asked;         // what the run was asked to build

    // The run built the project (or tried to), rather than finding it up to date.
    bool Built() const { return outcome != L"up-to-date"; }

    bool Overlaps(const StandinBuild_st& other) const { return start < other.end && other.start < end; }
};

// Every line of the record in the order written; a line that is not whole
// fails the calling test.
std::vector<StandinBuild_st> ReadStandinTrace(const Base_ns::String_cl& path);

} // namespace Test_ns
