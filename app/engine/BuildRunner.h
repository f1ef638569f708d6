#pragma once
// Runs the command-line builder (devenv) on one project through "cmd" and
// reads its log back: the command text, the hidden run, and the log's verdict.
#include <cstdint>
#include "common/base/String.h"
#include "common/io/FileStream.h"
#include "common/io/TextIStream.h"
#include "app/engine/RowState.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// Refuses a configuration text that would end the quoted argument of the
// command line early (a double quote) or cut the command (a line break):
// user error 103 of MProjectPack_cl with the text as note. Callers that
// change files before building call it first, so nothing needs undoing.
void CheckBuildConfiguration(const String_cl& configuration);

// The same for a path that goes on that command line (the installation
// folder, the file to build, the log): user error 102 of MProjectPack_cl
// with the path as note. No file on Windows has such a name.
void CheckBuildPath(const String_cl& path);

// What devenv is given. A project file alone is built in the temporary
// solution the builder makes for it in the project's folder; a project of a
// solution is built in that solution, as Visual Studio builds it there
// ($(SolutionDir) and the rest are the solution's), with the builder's
// /project and /projectconfig switches.
struct BuildTarget_st {
    String_cl file;           // the solution, or the project file built alone
    String_cl configuration;  // the solution configuration, or the lone project's
    String_cl project;        // the project within the solution; empty for a file alone
    String_cl projectConfiguration;  // with project: the project's own configuration
};

// /c cls && "<vcDir>VC\vcvarsall.bat" && devenv "<file>" /<verb> "<config>"
// [/project "<project>" /projectconfig "<project config>"] > "<log>"
// followed by one space; for an installation of the newer layout the script
// is "<vcDir>VC\Auxiliary\Build\vcvarsall.bat" followed by the architecture of
// the configuration built (the project's, when there is one;
// VcInstallation_cl). vcDir is used verbatim and should end in "\"; verb is
// "build", "rebuild" or "clean" (letters only, else 102). Every piece is
// checked as above before it goes between its quotes.
String_cl BuildParameters(const String_cl& vcDir, const BuildTarget_st& target, const String_cl& verb,
                          const String_cl& logPath);
// The same for a file alone (a solution, or a lone project file).
String_cl BuildParameters(const String_cl& vcDir, const String_cl& file, const String_cl& verb,
                          const String_cl& configuration, const String_cl& logPath);

// Starts "cmd" hidden with the parameters and waits, without limit, until it
// ends. A start that fails is not reported: the caller finds no log.
void RunBuild(const String_cl& params);

// The non-empty lines of a builder's log, decoded as the log was written
// (UTF-16 with its mark, else the ANSI code page); what decodes to no
// character (half a character where the log was cut off) reads as U+FFFD.
// Lines too long for the reader (a compiler message with long template
// names) are passed over: none of the lines the program looks for is that
// long. Opening a missing log raises the reader's file error.
class LogReader_cl {
public:
    explicit LogReader_cl(const String_cl& path);
    LogReader_cl(const LogReader_cl&) = delete;
    LogReader_cl& operator=(const LogReader_cl&) = delete;
    // False at the end of the log.
    bool Next(String_cl& line);

private:
    IO_ns::FileStream_tl<IO_ns::TextIStream_cl> m_stream;
};

// The builder's summary line ("========== 生成: 成功 1 个，失败 0 个…",
// "========== 生成: 1 成功，0 失败…" or "========== Build: 1 succeeded,
// 0 failed…") of a build, a rebuild or a clean, in either edition of every
// version. The line 2022 writes after it ("========== Build completed at …")
// is none.
enum class SummaryKind_en { Build = 0, Rebuild = 1, Clean = 2 };
struct SummaryCounts_st {
    bool succeededZero = true;
    bool failedZero = true;
};
// The format (the row of the summary table) that the line is a summary of,
// of that kind; -1 when it is no such line.
int SummaryLanguage(const String_cl& line, SummaryKind_en kind);
// Whether the succeeded and the failed counts of a summary line are zero.
// False when a marker is missing.
bool ReadSummaryCounts(const String_cl& line, int language, SummaryCounts_st& counts);

struct LogResult_st {
    int32_t state;          // Compiled, CompiledUnchanged or CompileFailed
    String_cl missingFile;  // not empty: the linker could not open this file; state is moot
};

// Classifies a devenv log of the Chinese or the English edition. rebuild picks
// the summary line of a full rebuild. Errors carry className as their class.
// Raises system error 1 (linker line without closing quote) or 2 (summary
// without counts), and the file error of the reader for a missing log.
LogResult_st AnalyseLog(const String_cl& logPath, bool rebuild, const wchar_t* className);

} // namespace Quorvane_ns
