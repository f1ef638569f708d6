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

// The summary lines of a devenv log, a row per format they come in. A line
// is a summary of a kind when it starts with "==========", its verb and a
// colon (blanks between them or not); each format then says which words
// mark the succeeded and the failed count, and whether the count stands
// before or after its word. A count is the whole run of digits beside its
// word, blanks between them or not, so "10" is never read as "0". A format
// whose counts do not stand where it says does not read the line: no count
// is ever guessed from elsewhere in it.
struct SummaryFormat_st {
    std::wstring_view verbs[3];  // by SummaryKind_en: build, rebuild, clean
    std::wstring_view succeeded;
    std::wstring_view failed;
    bool countAfterWord;
    std::wstring_view unit;      // what follows a count written after its word
};

constexpr std::wstring_view kZhVerbs[3] = {L"生成", L"全部重新生成", L"清理"};

const SummaryFormat_st kSummaryFormats[] = {
    // 2005, Chinese: "========== 生成: 0 已成功, 1 已失败, 0 最新, 0 已跳过 =========="
    {{kZhVerbs[0], kZhVerbs[1], kZhVerbs[2]}, L"已成功", L"已失败", false, L""},
    // 2008 to 2019, Chinese: "========== 生成: 成功 1 个，失败 0 个，最新 0 个，跳过 0 个 =========="
    // (one 2008 build writes "成功1 个，失败0 个，最新0 个，跳过0 个==========")
    {{kZhVerbs[0], kZhVerbs[1], kZhVerbs[2]}, L"成功", L"失败", true, L"个"},
    // 2005 to 2022, English: "========== Build: 1 succeeded, 0 failed, 0 up-to-date, 0 skipped =========="
    {{L"Build", L"Rebuild All", L"Clean"}, L"succeeded", L"failed", false, L""},
    // 2022, Chinese: "========== 生成: 1 成功，0 失败，0 最新，0 已跳过 =========="
    {{kZhVerbs[0], kZhVerbs[1], kZhVerbs[2]}, L"成功", L"失败", false, L""},
};

constexpr std::wstring_view kSummaryRule = L"==========";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000 || c == 0xA0; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t SkipBlanks(std::wstring_view s, size_t at)
{
    while (at < s.size() && IsBlank(s[at])) ++at;
    return at;
}

// Where the counts begin when the line is a summary of verb; npos otherwise.
size_t CountsStart(std::wstring_view line, std::wstring_view verb)
{
    if (line.substr(0, kSummaryRule.size()) != kSummaryRule) return std::wstring_view::npos;
    size_t at = SkipBlanks(line, kSummaryRule.size());
    if (line.substr(at, verb.size()) != verb) return std::wstring_view::npos;
    at = SkipBlanks(line, at + verb.size());
    if (at >= line.size() || line[at] != L':') return std::wstring_view::npos;
    return SkipBlanks(line, at + 1);
}

// The count beside the first word at or after from: whether it is zero, and
// its value. False when the word is missing or no count stands where the
// format puts it.
bool CountBeside(std::wstring_view line, size_t from, std::wstring_view word, const SummaryFormat_st& f, bool& zero,
                 uint64_t* value = nullptr)
{
    const size_t at = line.find(word, from);
    if (at == std::wstring_view::npos) return false;
    size_t first = 0, last = 0;  // the digits: [first, last)
    if (f.countAfterWord) {
        first = last = SkipBlanks(line, at + word.size());
        while (last < line.size() && IsDigit(line[last])) ++last;
        if (last == first) return false;
        if (!f.unit.empty() && line.substr(SkipBlanks(line, last), f.unit.size()) != f.unit) return false;
    } else {
        last = first = at;
        while (last > from && IsBlank(line[last - 1])) --last;
        first = last;
        while (first > from && IsDigit(line[first - 1])) --first;
        if (last == first) return false;
    }
    zero = true;
    uint64_t n = 0;
    for (size_t i = first; i < last; ++i) {
        if (line[i] != L'0') zero = false;
        n = n > (UINT64_MAX - 9) / 10 ? UINT64_MAX : n * 10 + static_cast<uint64_t>(line[i] - L'0');
    }
    if (value) *value = n;
    return true;
}

// A line of the builder quoted in a reason; a very long one is cut.
String_cl Quoted(const String_cl& line)
{
    constexpr size_t kShown = 300;
    if (line.size() <= kShown) return L"“" + line + L"”";
    return L"“" + line.substr(0, kShown) + L"……”";
}

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

SummaryRead_en ReadSummaryLine(const String_cl& line, SummaryKind_en kind, SummaryCounts_st& counts)
{
    // Formats share verbs; the counts tell them apart.
    SummaryRead_en read = SummaryRead_en::None;
    for (const SummaryFormat_st& f : kSummaryFormats) {
        const size_t start = CountsStart(line, f.verbs[static_cast<int>(kind)]);
        if (start == std::wstring_view::npos) continue;
        read = SummaryRead_en::Unreadable;
        SummaryCounts_st c;
        if (CountBeside(line, start, f.succeeded, f, c.succeededZero) &&
            CountBeside(line, start, f.failed, f, c.failedZero, &c.failed)) {
            counts = c;
            return SummaryRead_en::Counts;
        }
    }
    return read;
}

String_cl UnreadableSummaryReason(const String_cl& line) { return L"无法读取生成程序的统计行：" + Quoted(line); }

String_cl UnreadableLinkerReason(const String_cl& line) { return L"无法读取链接器的出错行：" + Quoted(line); }

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

LogResult_st AnalyseLog(const String_cl& logPath, bool rebuild, const wchar_t* /*className*/)
{
    LogReader_cl log(logPath);
    const SummaryKind_en kind = rebuild ? SummaryKind_en::Rebuild : SummaryKind_en::Build;
    // The last summary line counts.
    String_cl summary;
    SummaryRead_en summaryRead = SummaryRead_en::None;
    SummaryCounts_st counts;
    String_cl line;
    while (log.Next(line)) {
        SummaryCounts_st c;
        const SummaryRead_en read = ReadSummaryLine(line, kind, c);
        if (read != SummaryRead_en::None) {
            summary = line;
            summaryRead = read;
            counts = c;
        }
        if (line.find(kLinkerFailure) == String_cl::npos) continue;
        for (const LinkerLanguage_st& lang : kLinkerLanguages) {
            size_t prefix = line.find(lang.cannotOpen);
            size_t start = prefix + lang.cannotOpen.size();
            if (prefix == String_cl::npos) {
                prefix = line.find(lang.cannotOpenInput);
                if (prefix == String_cl::npos) continue;
                start = prefix + lang.cannotOpenInput.size();
            }
            size_t close = line.find(lang.closingQuote, start);
            if (close == String_cl::npos) return {CompileFailed, String_cl(), UnreadableLinkerReason(line)};
            return {CompileFailed, AfterLastSeparator(std::wstring_view(line).substr(start, close - start)), String_cl()};
        }
    }

    if (summaryRead == SummaryRead_en::None) return {CompileFailed, String_cl(), String_cl()};
    if (summaryRead == SummaryRead_en::Unreadable) return {CompileFailed, String_cl(), UnreadableSummaryReason(summary)};
    if (!counts.failedZero) return {CompileFailed, String_cl(), String_cl()};
    if (counts.succeededZero) return {CompiledUnchanged, String_cl(), String_cl()};
    return {Compiled, String_cl(), String_cl()};
}

} // namespace Quorvane_ns
