#pragma once
// Runs the builder stand-in the way the program runs Visual Studio's builder
// (cmd, the installation's vcvarsall.bat, devenv with its output redirected
// into a log) and writes the solution files it builds; its project files
// come from tests/support/ProjectFiles.h.
#include <windows.h>
#include <string>
#include <vector>
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

namespace StandinTest_ns {

using Base_ns::String_cl;

// The lines an edition of the builder writes that the program reads.
struct Edition_st {
    const wchar_t* folder; // "zh" or "en"
    bool chinese;

    String_cl BuildSummary(int succeeded, int failed, int upToDate, int skipped) const;
    String_cl RebuildSummary(int succeeded, int failed, int skipped) const;
    String_cl CleanSummary(int succeeded, int failed, int skipped) const;
    String_cl CannotOpen(const String_cl& library) const;
    String_cl CannotOpenInput(const String_cl& library) const;
    String_cl Header(const String_cl& project, const String_cl& config) const;
};

const Edition_st& English();
const Edition_st& Chinese();
// The Chinese edition's lines can be written only under code page 936.
bool ChineseWritable();

struct BuildRun_st {
    int exitCode = -1;
    std::string bytes; // the log as written
    String_cl text;    // the log decoded in the ANSI code page

    // The log holds the line, in the ANSI code page, as a whole line.
    bool HasLine(const String_cl& line) const;
    bool Contains(const String_cl& piece) const { return text.find(piece) != String_cl::npos; }
};

// cmd /c cls && "<installation>VC\vcvarsall.bat" && devenv "<file>" /<verb> "<config>" > "<log>"
BuildRun_st RunStandin(const Edition_st& edition, const String_cl& file, const wchar_t* verb,
                       const String_cl& config, const String_cl& logPath);
// The same with another environment call: cmd /c cls && <environment> && devenv ...
// (such as "\"<installation>VC\Auxiliary\Build\vcvarsall.bat\" x64"), and more
// arguments after the configuration when given (/project "<project>").
BuildRun_st RunBuilder(const String_cl& environment, const String_cl& file, const wchar_t* verb,
                       const String_cl& config, const String_cl& logPath, const String_cl& more = String_cl());
// The same run started without waiting for it: the cmd process, or null.
// FinishStandin waits for it and reads the log.
HANDLE StartStandin(const Edition_st& edition, const String_cl& file, const wchar_t* verb, const String_cl& config,
                    const String_cl& logPath);
BuildRun_st FinishStandin(HANDLE process, const String_cl& logPath);

bool WriteAnsi(const String_cl& path, const String_cl& text);

unsigned long long WriteTime(const String_cl& path);
bool SetWriteTime(const String_cl& path, unsigned long long time);
// Ten seconds in file-time units.
constexpr unsigned long long kTenSeconds = 100000000ull;

} // namespace StandinTest_ns
