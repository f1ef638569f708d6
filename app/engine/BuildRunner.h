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
// "========== 生成: 1 成功，0 失败…", "========== 生成: 1 已成功, 0 已失败…"
// or "========== Build: 1 succeeded, 0 failed…") of a build, a rebuild or a
// clean, in either edition of every version, with or without blanks around
// its counts. The line 2022 writes after it ("========== Build completed at
// …") is none.
enum class SummaryKind_en { Build = 0, Rebuild = 1, Clean = 2 };
struct SummaryCounts_st {
    bool succeededZero = true;
    bool failedZero = true;
    uint64_t failed = 0;  // the failed count (the largest number when it is longer)
};
enum class SummaryRead_en {
    None,       // no summary line of that kind
    Counts,     // a summary line whose counts were read into counts
    Unreadable  // a summary line of that kind whose counts fit none of its formats
};
SummaryRead_en ReadSummaryLine(const String_cl& line, SummaryKind_en kind, SummaryCounts_st& counts);

// Why a row failed when the log's verdict rests on a line of the builder
// that the program cannot read: the line, quoted (cut when very long).
String_cl UnreadableSummaryReason(const String_cl& line);
String_cl UnreadableLinkerReason(const String_cl& line);

struct LogResult_st {
    int32_t state;          // Compiled, CompiledUnchanged or CompileFailed
    String_cl missingFile;  // not empty: the linker could not open this file; state is moot
    // Not empty when the verdict is CompileFailed because a summary or a
    // linker line could not be read: why, with the line quoted.
    String_cl failReason;
};

// Classifies a devenv log of the Chinese or the English edition. rebuild picks
// the summary line of a full rebuild. A line the program cannot read (a
// linker line without its closing quote, a summary without counts it can
// read) is the builder's text: the verdict is CompileFailed with the line in
// failReason, never an error. Raises only the file error of the reader for a
// missing log.
LogResult_st AnalyseLog(const String_cl& logPath, bool rebuild, const wchar_t* className);

} // namespace Quorvane_ns
