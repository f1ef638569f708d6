#pragma once
// The record of project builds that QV_STANDIN_TRACE asks for, so that tests
// can tell whether builds run by separate devenv processes overlapped. Each
// project build appends one line in UTF-8, fields separated by tabs:
//
//   <project file>\t<configuration>\t<start>\t<end>\t<process id>\t<outcome>\t<asked>\r\n
//
// start and end are system times in 100-nanosecond units since 1601-01-01
// (UTC, the FILETIME scale, read with the finest clock the system has), so
// times written by different processes compare. The outcome is "built",
// "failed" or "up-to-date" (found so and left alone); asked is what the run
// was asked to build: the project file devenv was given, the project
// /project named in a solution (its full path), or the solution. A run that
// builds what the project it was asked for depends on writes a line for
// each of them too. Several processes may append to one file at once: each
// line is written whole under a lock of the file.
#include <string>

namespace Standin_ns {

class Trace_cl {
public:
    // The file named by QV_STANDIN_TRACE; no record when it is not set.
    static Trace_cl FromEnvironment();
    static unsigned long long Now();

    // Appends the line; a record that cannot be written is left out (the
    // build itself is what the log reports).
    void Append(const std::wstring& project, const std::wstring& config, unsigned long long start,
                unsigned long long end, const std::wstring& outcome, const std::wstring& asked) const;

private:
    std::wstring m_path;
};

} // namespace Standin_ns
