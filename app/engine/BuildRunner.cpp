#include "app/engine/BuildRunner.h"
#include "app/engine/MProjectErrors.h"
#include "app/engine/VcInstallation.h"
#include "common/io/FileStream.h"
#include "common/io/TextIStream.h"
#include "common/base/Handle.h"
#include <windows.h>
#include <shellapi.h>
#include <iterator>

namespace Quorvane_ns {
namespace {

// The summary lines of a devenv log, a row per format they come in. Each
// row is told apart by its prefix and its two markers, and says where the
// counts stand and what a count of zero looks like beside its marker, so
// that "10" is never read as "0". The Chinese edition of 2022 writes its
// counts before the words; the earlier Chinese editions after them.
struct SummaryFormat_st {
    std::wstring_view prefixes[3];  // by SummaryKind_en: build, rebuild, clean
    std::wstring_view succeeded;
    std::wstring_view failed;
    std::wstring_view succeededZero;
    std::wstring_view failedZero;
    bool countAfterMarker;
};

const SummaryFormat_st kSummaryFormats[] = {
    // 2005 to 2019, Chinese: "========== 生成: 成功 1 个，失败 0 个，最新 0 个，跳过 0 个 =========="
    {{L"========== 生成: ", L"========== 全部重新生成: ", L"========== 清理: "}, L"成功 ", L"失败 ", L"0 个",
     L"0 个", true},
    // 2005 to 2022, English: "========== Build: 1 succeeded, 0 failed, 0 up-to-date, 0 skipped =========="
    {{L"========== Build: ", L"========== Rebuild All: ", L"========== Clean: "}, L" succeeded", L" failed",
     L" 0", L" 0", false},
    // 2022, Chinese: "========== 生成: 1 成功，0 失败，0 最新，0 已跳过 =========="
    {{L"========== 生成: ", L"========== 全部重新生成: ", L"========== 清理: "}, L" 成功，", L" 失败，", L": 0",
     L"，0", false},
};

// The linker's complaints, in the Chinese (0) and the English (1) edition;
// every version from 2005 to 2022 writes them alike.
struct LinkerLanguage_st {
    std::wstring_view cannotOpen;
    std::wstring_view cannotOpenInput;
    std::wstring_view closingQuote;
};

const LinkerLanguage_st kLinkerLanguages[2] = {
    {L"LINK : fatal error LNK1104: 无法打开文件“", L"LINK : fatal error LNK1181: 无法打开输入文件“", L"”"},
    {L"LINK : fatal error LNK1104: cannot open file '", L"LINK : fatal error LNK1181: cannot open input file '",
     L"'"},
};

constexpr std::wstring_view kLinkerFailure = L"LINK : fatal error LNK";

bool IsZeroCount(std::wstring_view s, size_t marker, std::wstring_view markerText, std::wstring_view zero,
                 bool countAfterMarker)
{
    const size_t n = zero.size();
    if (countAfterMarker) {
        size_t at = marker + markerText.size();
        return s.size() >= at + n && s.substr(at, n) == zero;
    }
    return marker >= n && s.substr(marker - n, n) == zero;
}

String_cl AfterLastSeparator(std::wstring_view path)
{
    size_t p = path.find_last_of(L"\\/");
    return String_cl(p == std::wstring_view::npos ? path : path.substr(p + 1));
}

} // namespace

LogReader_cl::LogReader_cl(const String_cl& path)
{
    m_stream.Open(path);
    m_stream.SetSeparators(L"\r\n");
    // The builder's text, not ours: a log cut off in the middle of a
    // character (a builder that was killed, a full disk) is read for what
    // it holds, never refused.
    m_stream.SetReplaceUndecodable(true);
}

bool LogReader_cl::Next(String_cl& line)
{
    for (;;) {
        try {
            return m_stream.ReadWord(line) > 0;
        } catch (const Base_ns::SysError_cl& e) {
            // A line longer than the reader's word limit (a compiler message
            // with long template names) is not one of the lines we look for;
            // the reader stands after its first part, so read on.
            if (e.Code() == 2 && e.ClassName() == L"TextIStream_cl") continue;
            throw;
        }
    }
}

int SummaryLanguage(const String_cl& line, SummaryKind_en kind)
{
    // Formats may share a prefix; their markers tell them apart. A line
    // with a known prefix but neither pair of markers is still a summary
    // (of the first such format), one whose counts cannot be read.
    int prefixOnly = -1;
    for (int i = 0; i < static_cast<int>(std::size(kSummaryFormats)); ++i) {
        const SummaryFormat_st& f = kSummaryFormats[i];
        if (!line.StartsWith(f.prefixes[static_cast<int>(kind)])) continue;
        if (line.find(f.succeeded) != String_cl::npos && line.find(f.failed) != String_cl::npos) return i;
        if (prefixOnly < 0) prefixOnly = i;
    }
    return prefixOnly;
}

bool ReadSummaryCounts(const String_cl& line, int language, SummaryCounts_st& counts)
{
    const SummaryFormat_st& f = kSummaryFormats[language];
    const size_t succeeded = line.find(f.succeeded);
    const size_t failed = line.find(f.failed);
    if (succeeded == String_cl::npos || failed == String_cl::npos) return false;
    counts.succeededZero = IsZeroCount(line, succeeded, f.succeeded, f.succeededZero, f.countAfterMarker);
    counts.failedZero = IsZeroCount(line, failed, f.failed, f.failedZero, f.countAfterMarker);
    return true;
}

namespace {

bool LeavesItsQuotes(const String_cl& text) { return text.find_first_of(L"\"\r\n") != String_cl::npos; }

void AppendQuoted(String_cl& command, const String_cl& piece)
{
    command += L'"';
    command += piece;
    command += L'"';
}

} // namespace

void CheckBuildConfiguration(const String_cl& configuration)
{
    if (LeavesItsQuotes(configuration)) throw MProjectUserError(103, __LINE__, configuration);
}

void CheckBuildPath(const String_cl& path)
{
    if (LeavesItsQuotes(path)) throw MProjectUserError(102, __LINE__, path);
}

String_cl BuildParameters(const String_cl& vcDir, const BuildTarget_st& target, const String_cl& verb,
                          const String_cl& logPath)
{
    // Every piece but the verb (a word of ours) stands between double
    // quotes, inside which cmd takes "&", "|", "<", ">" and "^" literally:
    // only a quote (ending the piece) or a line break (ending the command)
    // could let a piece out, so none may hold one. ("%" is handled where cmd
    // is started.)
    const bool inSolution = !target.project.IsEmpty();
    CheckBuildConfiguration(target.configuration);
    if (inSolution) CheckBuildConfiguration(target.projectConfiguration);
    for (const String_cl* path : {&vcDir, &target.file, &target.project, &logPath}) CheckBuildPath(*path);
    for (wchar_t c : verb)
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'))) throw MProjectUserError(102, __LINE__, verb);

    String_cl p;
    p.reserve(96 + vcDir.size() + target.file.size() + verb.size() + target.configuration.size() +
              target.project.size() + target.projectConfiguration.size() + logPath.size());
    const VcInstallation_cl installation(vcDir);
    p += L"/c cls && ";
    AppendQuoted(p, vcDir + installation.EnvironmentScript());
    // A word of the architecture table, never text of the configuration; the
    // compiler builds the project's platform, which a solution's mixed
    // platform ("Debug|Mixed Platforms") does not name.
    if (installation.WantsArchitecture())
        p += L" " + VcArchitecture(inSolution ? target.projectConfiguration : target.configuration);
    p += L" && devenv ";
    AppendQuoted(p, target.file);
    p += L" /";
    p += verb;
    p += L" ";
    AppendQuoted(p, target.configuration);
    if (inSolution) {
        p += L" /project ";
        AppendQuoted(p, target.project);
        p += L" /projectconfig ";
        AppendQuoted(p, target.projectConfiguration);
    }
    p += L" > ";
    AppendQuoted(p, logPath);
    p += L" ";
    return p;
}

String_cl BuildParameters(const String_cl& vcDir, const String_cl& file, const String_cl& verb,
                          const String_cl& configuration, const String_cl& logPath)
{
    BuildTarget_st target;
    target.file = file;
    target.configuration = configuration;
    return BuildParameters(vcDir, target, verb, logPath);
}

namespace {

// Every build this process starts belongs to one job object that kills its
// processes when the last handle to it closes, and only this process holds
// that handle: when the program dies (a build server's timeout, Task
// Manager), cmd and devenv die with it instead of building on under the
// files the next start restores. Null where jobs are not available; builds
// then run without one.
HANDLE BuildJob()
{
    static HANDLE job = [] {
        HANDLE h = CreateJobObjectW(nullptr, nullptr);
        if (!h) return HANDLE(nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(h);
            return HANDLE(nullptr);
        }
        return h;
    }();
    return job;
}

// cmd expands %NAME% on its command line wherever NAME is set (and Wine's
// cmd scans the expanded text again), so a folder named p%PATH%q or a
// configuration holding %COMSPEC% would reach devenv changed. Every "%" of
// the parameters stands inside one of its quoted pieces (the fixed text has
// none), so each becomes "%": the quote before it and after it end and
// reopen the piece, which the builder's argument parsing joins again, and
// any text between two such signs starts and ends with a quote, which names
// no variable.
String_cl ProtectPercents(const String_cl& params)
{
    String_cl out;
    out.reserve(params.size() + 16);
    for (wchar_t c : params) {
        if (c == L'%')
            out += L"\"%\"";
        else
            out += c;
    }
    return out;
}

} // namespace

void RunBuild(const String_cl& params)
{
    // cmd from the system folder, named by its full quoted path, so that no
    // cmd.exe in the current folder is picked up instead.
    wchar_t system[MAX_PATH];
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const String_cl program = String_cl(system, n) + L"\\cmd.exe";
    const bool percents = params.find(L'%') != String_cl::npos;
    String_cl commandLine = L"\"" + program + L"\" " + (percents ? ProtectPercents(params) : params);

    // The build's own output goes to its log through the redirection in the
    // parameters; everything else cmd would show (its "cls", the
    // environment script's echo) goes to NUL. A console front end shares its
    // console with the build that way without the "cls" clearing its window.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    Base_ns::Handle_cl nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!nul.Valid()) return;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nul.Get();
    startup.hStdOutput = nul.Get();
    startup.hStdError = nul.Get();
    // A process group of its own: Ctrl+C in the console stops the walk after
    // this project (the front end's handler), never the build itself.
    // Suspended until it belongs to the job, so no child escapes it.
    const DWORD flags = CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED;
    PROCESS_INFORMATION process{};
    // A start the system refuses now and then (under Wine one in a few
    // thousand) is no reason to give up the build: try again shortly.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(500);
        started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                 &startup, &process);
    }
    nul.Reset();
    // A process that did not start leaves no log: the row build reports that.
    if (!started) return;
    Base_ns::Handle_cl processHandle(process.hProcess);
    Base_ns::Handle_cl thread(process.hThread);
    if (HANDLE job = BuildJob()) AssignProcessToJobObject(job, processHandle.Get());
    ResumeThread(thread.Get());
    thread.Reset();
    WaitForSingleObject(processHandle.Get(), INFINITE);
}

LogResult_st AnalyseLog(const String_cl& logPath, bool rebuild, const wchar_t* className)
{
    LogReader_cl log(logPath);
    String_cl summary;
    int summaryLanguage = -1;
    String_cl line;
    while (log.Next(line)) {
        const bool linkerLine = line.find(kLinkerFailure) != String_cl::npos;
        const int language = SummaryLanguage(line, rebuild ? SummaryKind_en::Rebuild : SummaryKind_en::Build);
        if (language >= 0) {
            summary = line;
            summaryLanguage = language;
        }
        if (!linkerLine) continue;
        for (const LinkerLanguage_st& lang : kLinkerLanguages) {
            size_t prefix = line.find(lang.cannotOpen);
            size_t start = prefix + lang.cannotOpen.size();
            if (prefix == String_cl::npos) {
                prefix = line.find(lang.cannotOpenInput);
                if (prefix == String_cl::npos) continue;
                start = prefix + lang.cannotOpenInput.size();
            }
            size_t close = line.find(lang.closingQuote, start);
            if (close == String_cl::npos) throw MProjectSysError(1, 589, logPath, className);
            return {CompileFailed, AfterLastSeparator(std::wstring_view(line).substr(start, close - start))};
        }
    }

    if (summaryLanguage < 0) return {CompileFailed, String_cl()};
    SummaryCounts_st counts;
    if (!ReadSummaryCounts(summary, summaryLanguage, counts)) throw MProjectSysError(2, 643, logPath, className);
    if (!counts.failedZero) return {CompileFailed, String_cl()};
    if (counts.succeededZero) return {CompiledUnchanged, String_cl()};
    return {Compiled, String_cl()};
}

} // namespace Quorvane_ns
