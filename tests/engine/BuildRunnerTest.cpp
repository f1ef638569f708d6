#include <gtest/gtest.h>
#include "app/engine/BuildRunner.h"
#include "app/engine/FirstErrorLine.h"
#include "app/engine/MProjectErrors.h"
#include "app/engine/RowState.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Test_ns::TempDir_cl;

namespace {

enum class Encoding_en { Utf16, Ansi };

const wchar_t* Name(Encoding_en e) { return e == Encoding_en::Utf16 ? L"UTF-16" : L"ANSI"; }

// Whether the text survives the ANSI code page of this run unchanged.
bool FitsAnsi(const String_cl& text)
{
    return String_cl::FromMultiByte(Test_ns::Ansi(text), CP_ACP) == text;
}

String_cl Lines(std::initializer_list<String_cl> lines)
{
    String_cl s;
    for (const String_cl& l : lines) s += l + L"\r\n";
    return s;
}

bool WriteLog(const String_cl& path, const String_cl& text, Encoding_en e)
{
    return e == Encoding_en::Utf16 ? Test_ns::WriteUtf16(path, text) : Test_ns::WriteBytes(path, Test_ns::Ansi(text));
}

// The encodings in which this run can write the text: UTF-16 always, ANSI
// when the code page holds every character (Chinese logs under 936 only).
std::vector<Encoding_en> EncodingsFor(const String_cl& text)
{
    std::vector<Encoding_en> out{Encoding_en::Utf16};
    if (FitsAnsi(text)) out.push_back(Encoding_en::Ansi);
    return out;
}

struct LogCase_st {
    const char* what;
    String_cl text;
    bool rebuild;
    int32_t state;
    const wchar_t* missing;
};

void CheckCases(const std::vector<LogCase_st>& cases)
{
    TempDir_cl tmp(L"log");
    int n = 0;
    for (const LogCase_st& c : cases) {
        for (Encoding_en e : EncodingsFor(c.text)) {
            String_cl path = tmp / (L"case" + String_cl::FromInt(n++) + L".log");
            ASSERT_TRUE(WriteLog(path, c.text, e));
            LogResult_st r{-1, L"?"};
            try {
                r = AnalyseLog(path, c.rebuild, L"MProjectPack_cl");
            } catch (const Base_ns::Error_cl& err) {
                ADD_FAILURE() << c.what << " (" << Test_ns::Ansi(Name(e)) << "): " << Test_ns::Ansi(err.Text());
                continue;
            }
            EXPECT_EQ(r.state, c.state) << c.what << " (" << Test_ns::Ansi(Name(e)) << ")";
            EXPECT_EQ(r.missingFile, String_cl(c.missing)) << c.what << " (" << Test_ns::Ansi(Name(e)) << ")";
        }
    }
}

const wchar_t kEnBuildOk[] = L"========== Build: 1 succeeded, 0 failed, 0 up-to-date, 0 skipped ==========";
const wchar_t kZhBuildOk[] = L"========== 生成: 成功 1 个，失败 0 个，最新 0 个，跳过 0 个 ==========";

} // namespace

TEST(BuildRunnerTest, ParametersAreTheExactCommandText)
{
    EXPECT_EQ(BuildParameters(L"C:\\VS 9\\", L"C:\\work\\a b.vcproj", L"build", L"Debug|Win32",
                              L"C:\\work\\编译日志\\正常\\a b.log"),
              L"/c cls && \"C:\\VS 9\\VC\\vcvarsall.bat\" && devenv \"C:\\work\\a b.vcproj\" /build "
              L"\"Debug|Win32\" > \"C:\\work\\编译日志\\正常\\a b.log\" ");
    // The installation folder is taken verbatim, even without its backslash.
    EXPECT_EQ(BuildParameters(L"D:\\VS", L"x.icproj", L"rebuild", L"Release & Test|x64", L"l.log"),
              L"/c cls && \"D:\\VSVC\\vcvarsall.bat\" && devenv \"x.icproj\" /rebuild \"Release & Test|x64\" "
              L"> \"l.log\" ");
    EXPECT_EQ(BuildParameters(L"", L"", L"build", L"", L""),
              L"/c cls && \"VC\\vcvarsall.bat\" && devenv \"\" /build \"\" > \"\" ");
}

TEST(BuildRunnerTest, PiecesThatWouldLeaveTheirQuotesAreRefused)
{
    for (const wchar_t* bad : {L"Debug\" & del x & \"|Win32", L"Debug|Win32\r\n", L"Deb\nug", L"\r", L"\""}) {
        try {
            BuildParameters(L"C:\\VS\\", L"a.vcproj", L"build", bad, L"a.log");
            ADD_FAILURE() << "accepted " << Test_ns::Ansi(bad);
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_EQ(e.Code(), 103);
            EXPECT_EQ(e.Message(), L"编译模式中不能包含双引号或换行符。");
            EXPECT_EQ(e.Note(), String_cl(bad));
            EXPECT_EQ(e.ClassName(), L"MProjectPack_cl");
            EXPECT_EQ(e.File(), L"MProjectPack");
            EXPECT_EQ(e.IsSystemError(), 0);
        }
        EXPECT_THROW(CheckBuildConfiguration(bad), Base_ns::UserError_cl);
    }
    EXPECT_NO_THROW(CheckBuildConfiguration(L"Debug Unicode|Win32 (x) 'a' %b% ^c"));

    // No path can hold a quote or a line break: one that does never reaches cmd.
    for (int piece = 0; piece < 3; ++piece) {
        String_cl p[3] = {L"C:\\VS\\", L"a.vcproj", L"a.log"};
        p[piece] += L"x\" & echo PWNED> pwned.txt & \"";
        try {
            BuildParameters(p[0], p[1], L"build", L"Debug|Win32", p[2]);
            ADD_FAILURE() << "accepted " << Test_ns::Ansi(p[piece]);
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_EQ(e.Code(), 102);
            EXPECT_EQ(e.Note(), p[piece]);
        }
    }
}

// A project of a solution goes to the builder with its solution, in the
// solution's configuration and its own, each piece between its quotes and
// checked as every other piece is.
TEST(BuildRunnerTest, ProjectOfASolutionIsBuiltInItsSolution)
{
    const BuildTarget_st target{L"C:\\src 1\\all.sln", L"Release|Mixed Platforms", L"C:\\src 1\\core\\core.vcproj",
                                L"Release|Win32"};
    EXPECT_EQ(BuildParameters(L"C:\\VS 9\\", target, L"rebuild", L"C:\\l.log"),
              L"/c cls && \"C:\\VS 9\\VC\\vcvarsall.bat\" && devenv \"C:\\src 1\\all.sln\" /rebuild "
              L"\"Release|Mixed Platforms\" /project \"C:\\src 1\\core\\core.vcproj\" /projectconfig \"Release|Win32\" "
              L"> \"C:\\l.log\" ");
    for (int piece = 0; piece < 4; ++piece) {
        BuildTarget_st bad = target;
        String_cl* pieces[] = {&bad.file, &bad.configuration, &bad.project, &bad.projectConfiguration};
        *pieces[piece] += L"\" & echo PWNED> pwned.txt & \"";
        try {
            BuildParameters(L"C:\\VS\\", bad, L"build", L"a.log");
            ADD_FAILURE() << "accepted " << Test_ns::Ansi(*pieces[piece]);
        } catch (const Base_ns::UserError_cl& e) {
            EXPECT_EQ(e.Code(), piece % 2 == 0 ? 102 : 103) << piece;
            EXPECT_EQ(e.Note(), *pieces[piece]);
        }
    }
}

// A log is the builder's, not ours: one cut off in the middle of a character
// (a builder killed, a disk full) is read to its end, whatever cannot be
// decoded reads as U+FFFD, and its verdict stands.
TEST(BuildRunnerTest, LogsCutInHalfACharacterAreReadForWhatTheyHold)
{
    const String_cl error = L"a.cpp(1) : error C2065: 'x' : undeclared identifier ";
    const std::string ansi = Test_ns::Ansi(error), mark("\xFF\xFE", 2);
    auto utf16 = [](const String_cl& t) { return std::string(reinterpret_cast<const char*>(t.data()), t.size() * 2); };
    const struct {
        std::string bytes;
        int32_t state;
    } cuts[] = {
        {mark + utf16(error + L"\xD83D\r\n" + kEnBuildOk), Compiled},          // half a surrogate pair
        {mark + utf16(String_cl(kZhBuildOk) + L"\r\n" + error) + "'", Compiled},  // half a unit at the end
        // Under 936: the lead byte of 中 before a line end, and at the end.
        {ansi + "\xD6\r\n" + Test_ns::Ansi(kEnBuildOk), Compiled},
        {Test_ns::Ansi(L"========== Build: 0 succeeded, 1 failed ==========\r\n") + ansi + "\xD6", CompileFailed},
    };
    TempDir_cl tmp(L"log");
    for (int i = 0; i < (GetACP() == 936 ? 4 : 2); ++i) {
        const String_cl path = tmp / (String_cl::FromInt(i) + L".log");
        ASSERT_TRUE(Test_ns::WriteBytes(path, cuts[i].bytes));
        try {
            EXPECT_EQ(AnalyseLog(path, false, L"MProjectPack_cl").state, cuts[i].state) << i;
        } catch (const Base_ns::Error_cl& e) {
            ADD_FAILURE() << i << ": " << Test_ns::Ansi(e.Text());
        }
        EXPECT_EQ(FirstErrorLine(path), error + L"\xFFFD") << i;
    }
}

TEST(BuildRunnerTest, ErrorTablesAndStateTexts)
{
    EXPECT_EQ(MProjectSysError(1, 589, L"n").Message(), L"无法正确分析日志文件。");
    EXPECT_EQ(MProjectSysError(2, 643, L"n").Message(), L"从日志文件中取得编译结果失败。");
    EXPECT_EQ(MProjectSysError(101, 1, L"").Message(), L"Unexpected Error.");
    Base_ns::UserError_cl u = MProjectUserError(101, 399, L"");
    EXPECT_EQ(u.Message(), L"没有设置编译模式，无法编译。");
    EXPECT_EQ(u.Line(), 399);
    EXPECT_EQ(u.ClassName(), L"MProjectPack_cl");
    EXPECT_EQ(u.File(), L"MProjectPack");
    EXPECT_EQ(MProjectUserError(102, 506, L"").Message(), L"命令行编译VC工程失败。");
    EXPECT_EQ(MProjectUserError(1, 1, L"").Message(), L"Unexpected Error.");

    const wchar_t* texts[] = {L"正常", L"已编译(未改变)", L"已编译", L"正常(库依赖)", L"编译失败", L"忽略", L"不存在"};
    for (int32_t s = Normal; s <= NotExist; ++s) EXPECT_STREQ(RowStateText(s), texts[s]) << s;
    EXPECT_STREQ(RowStateText(7), L"编译失败");
    EXPECT_STREQ(RowStateText(-1), L"编译失败");
}

TEST(BuildRunnerTest, SummaryCountsDecideTheState)
{
    CheckCases({
        {"en one built", Lines({L"Compiling...", kEnBuildOk}), false, Compiled, L""},
        {"en up to date",
         Lines({L"========== Build: 0 succeeded, 0 failed, 1 up-to-date, 0 skipped =========="}), false,
         CompiledUnchanged, L""},
        {"en ten built", Lines({L"========== Build: 10 succeeded, 0 failed, 0 up-to-date, 0 skipped =========="}),
         false, Compiled, L""},
        {"en one failed", Lines({L"========== Build: 0 succeeded, 1 failed, 0 up-to-date, 0 skipped =========="}),
         false, CompileFailed, L""},
        {"en ten failed", Lines({L"========== Build: 0 succeeded, 10 failed, 0 up-to-date, 0 skipped =========="}),
         false, CompileFailed, L""},
        {"en rebuild", Lines({L"========== Rebuild All: 2 succeeded, 0 failed, 0 skipped =========="}), true,
         Compiled, L""},
        {"zh one built", Lines({L"正在编译...", kZhBuildOk}), false, Compiled, L""},
        {"zh up to date", Lines({L"========== 生成: 成功 0 个，失败 0 个，最新 1 个，跳过 0 个 =========="}), false,
         CompiledUnchanged, L""},
        {"zh ten built", Lines({L"========== 生成: 成功 10 个，失败 0 个，最新 0 个，跳过 0 个 =========="}),
         false, Compiled, L""},
        {"zh ten failed", Lines({L"========== 生成: 成功 0 个，失败 10 个，最新 0 个，跳过 0 个 =========="}),
         false, CompileFailed, L""},
        {"zh rebuild unchanged", Lines({L"========== 全部重新生成: 成功 0 个，失败 0 个，跳过 0 个 =========="}),
         true, CompiledUnchanged, L""},
        // The last summary counts; a build log of a solution may hold several.
        {"later summary wins",
         Lines({L"========== Build: 0 succeeded, 1 failed, 0 up-to-date, 0 skipped ==========", kEnBuildOk}),
         false, Compiled, L""},
        {"later zh summary wins over en", Lines({kEnBuildOk, L"========== 生成: 成功 0 个，失败 2 个 =========="}),
         false, CompileFailed, L""},
        // Line ends of any kind, blank lines, and no line end at the very end.
        {"bare line feeds", String_cl(L"x\n\n\n") + kEnBuildOk, false, Compiled, L""},
    });
}

TEST(BuildRunnerTest, SummaryMustMatchTheVerb)
{
    CheckCases({
        {"rebuild with build summary only", Lines({kEnBuildOk}), true, CompileFailed, L""},
        {"zh rebuild with build summary only", Lines({kZhBuildOk}), true, CompileFailed, L""},
        {"build with rebuild summary only",
         Lines({L"========== Rebuild All: 1 succeeded, 0 failed, 0 skipped =========="}), false, CompileFailed, L""},
        {"zh build with rebuild summary only", Lines({L"========== 全部重新生成: 成功 1 个，失败 0 个，跳过 0 个 =========="}),
         false, CompileFailed, L""},
        {"summary must begin the line", Lines({String_cl(L" ") + kEnBuildOk}), false, CompileFailed, L""},
        {"no summary", Lines({L"'devenv' is not recognized as an internal or external command,"}), false,
         CompileFailed, L""},
        {"empty log", String_cl(), false, CompileFailed, L""},
        {"separators only", String_cl(L"\r\n\r\n\n\r"), true, CompileFailed, L""},
    });
}

TEST(BuildRunnerTest, LinkerLinesNameTheMissingFile)
{
    CheckCases({
        {"en cannot open, success after", Lines({L"LINK : fatal error LNK1104: cannot open file 'lib\\core.lib'", kEnBuildOk}),
         false, CompileFailed, L"core.lib"},
        {"en cannot open input", Lines({L"LINK : fatal error LNK1181: cannot open input file '..\\out/base d.lib'"}),
         false, CompileFailed, L"base d.lib"},
        {"zh cannot open", Lines({kZhBuildOk, L"LINK : fatal error LNK1104: 无法打开文件“lib\\core.lib”", kZhBuildOk}),
         false, CompileFailed, L"core.lib"},
        {"zh cannot open input", Lines({L"LINK : fatal error LNK1181: 无法打开输入文件“D:/x/基础.lib”"}), true,
         CompileFailed, L"基础.lib"},
        {"no folder", Lines({L"LINK : fatal error LNK1104: cannot open file 'core.lib'"}), false, CompileFailed,
         L"core.lib"},
        {"first linker line wins",
         Lines({L"LINK : fatal error LNK1181: cannot open input file 'a.lib'",
                L"LINK : fatal error LNK1104: cannot open file 'b.lib'"}),
         false, CompileFailed, L"a.lib"},
        {"prefix inside a longer line", Lines({L"1>LINK : fatal error LNK1104: cannot open file 'x\\y.lib' (tail)"}),
         false, CompileFailed, L"y.lib"},
        // Other linker failures leave the decision to the summary.
        {"other LNK error", Lines({L"LINK : fatal error LNK1168: cannot open x.exe for writing", kEnBuildOk}), false,
         Compiled, L""},
        {"prefix without the marker", Lines({L"note: cannot open file 'x.lib'", kEnBuildOk}), false, Compiled, L""},
    });
}

// The builder of 2010 to 2022: node prefixes ("1>"), no per-project
// up-to-date line, a failure line per project, and from 2022 on a last line
// after the counters that is no summary; its Chinese edition of 2022 writes
// the counts before the words. Each log in UTF-16 and, where the code page
// holds it, in ANSI.
TEST(BuildRunnerTest, NewerBuilderLogsInBothEditions)
{
    const wchar_t* enStarted = L"1>------ Build started: Project: core, Configuration: Debug Win32 ------";
    const wchar_t* enFailed = L"1>Done building project \"core.vcxproj\" -- FAILED.";
    const wchar_t* enCompleted = L"========== Build completed at 10:15 AM and took 00.512 seconds ==========";
    const wchar_t* zhStarted = L"1>------ 已启动生成: 项目: core, 配置: Debug Win32 ------";
    const wchar_t* zhFailed = L"1>已完成生成项目“core.vcxproj”的操作 - 失败。";
    const wchar_t* zhCompleted = L"========== 生成 于 10:15 完成，耗时 00.512 秒 ==========";
    const wchar_t* lnk1112 =
        L"1>x64\\Debug\\a.obj : fatal error LNK1112: module machine type 'x64' conflicts with target machine type 'x86'";
    const wchar_t* zhLnk1112 = L"1>x64\\Debug\\a.obj : fatal error LNK1112: 模块计算机类型“x64”与目标计算机类型“x86”冲突";
    CheckCases({
        {"en built", Lines({enStarted, kEnBuildOk, enCompleted}), false, Compiled, L""},
        {"en up to date", Lines({enStarted, L"========== Build: 0 succeeded, 0 failed, 1 up-to-date, 0 skipped ==========",
                                 enCompleted}),
         false, CompiledUnchanged, L""},
        {"en failed", Lines({enStarted, enFailed, L"========== Build: 0 succeeded, 1 failed, 0 up-to-date, 0 skipped ==========",
                             enCompleted}),
         false, CompileFailed, L""},
        {"en rebuilt", Lines({L"1>------ Rebuild All started: Project: core, Configuration: Debug Win32 ------",
                              L"========== Rebuild All: 1 succeeded, 0 failed, 0 skipped ==========",
                              L"========== Rebuild completed at 10:15 AM and took 00.512 seconds =========="}),
         true, Compiled, L""},
        {"en completed line is no summary", Lines({enStarted, enCompleted}), false, CompileFailed, L""},
        {"en cannot open", Lines({enStarted, L"1>LINK : fatal error LNK1104: cannot open file 'core.lib'", kEnBuildOk}),
         false, CompileFailed, L"core.lib"},
        {"en machine type", Lines({enStarted, lnk1112, enFailed,
                                   L"========== Build: 0 succeeded, 1 failed, 0 up-to-date, 0 skipped =========="}),
         false, CompileFailed, L""},
        {"zh 2019 built", Lines({zhStarted, kZhBuildOk}), false, Compiled, L""},
        {"zh 2022 built", Lines({zhStarted, L"========== 生成: 1 成功，0 失败，0 最新，0 已跳过 ==========", zhCompleted}),
         false, Compiled, L""},
        {"zh 2022 up to date", Lines({L"========== 生成: 0 成功，0 失败，1 最新，0 已跳过 ==========", zhCompleted}), false,
         CompiledUnchanged, L""},
        {"zh 2022 ten built", Lines({L"========== 生成: 10 成功，0 失败，0 最新，0 已跳过 =========="}), false, Compiled, L""},
        {"zh 2022 ten failed", Lines({zhFailed, L"========== 生成: 0 成功，10 失败，0 最新，0 已跳过 ==========", zhCompleted}),
         false, CompileFailed, L""},
        {"zh 2022 rebuilt", Lines({L"1>------ 已启动全部重新生成: 项目: core, 配置: Debug Win32 ------",
                                   L"========== 全部重新生成: 1 成功，0 失败，0 已跳过 ==========",
                                   L"========== 重新生成 于 10:15 完成，耗时 00.512 秒 =========="}),
         true, Compiled, L""},
        {"zh 2022 rebuild needs its own summary", Lines({L"========== 生成: 1 成功，0 失败，0 最新，0 已跳过 =========="}),
         true, CompileFailed, L""},
        {"zh completed line is no summary", Lines({zhStarted, zhCompleted}), false, CompileFailed, L""},
        {"zh cannot open input", Lines({zhStarted, L"1>LINK : fatal error LNK1181: 无法打开输入文件“..\\lib\\core.lib”"}),
         false, CompileFailed, L"core.lib"},
        {"zh machine type", Lines({zhLnk1112, zhFailed, L"========== 生成: 0 成功，1 失败，0 最新，0 已跳过 =========="}),
         false, CompileFailed, L""},
    });

    // A clean reads the same formats; only its failed count matters.
    struct Clean_st {
        const wchar_t* line;
        bool failedZero;
    } cleans[] = {
        {L"========== Clean: 2 succeeded, 0 failed, 0 skipped ==========", true},
        {L"========== Clean: 0 succeeded, 10 failed, 0 skipped ==========", false},
        {L"========== 清理: 成功 1 个，失败 0 个，跳过 0 个 ==========", true},
        {L"========== 清理: 1 成功，0 失败，0 已跳过 ==========", true},
        {L"========== 清理: 0 成功，10 失败，0 已跳过 ==========", false},
    };
    for (const Clean_st& c : cleans) {
        SummaryCounts_st counts;
        ASSERT_EQ(ReadSummaryLine(c.line, SummaryKind_en::Clean, counts), SummaryRead_en::Counts)
            << Test_ns::Ansi(c.line);
        EXPECT_EQ(c.failedZero, counts.failedZero) << Test_ns::Ansi(c.line);
    }
    SummaryCounts_st none;
    EXPECT_EQ(SummaryRead_en::None,
              ReadSummaryLine(L"========== 清理 于 10:15 完成，耗时 00.512 秒 ==========", SummaryKind_en::Clean, none));
    EXPECT_EQ(SummaryRead_en::None,
              ReadSummaryLine(L"========== Clean completed at 10:15 AM and took 00.512 seconds ==========",
                              SummaryKind_en::Clean, none));
}

// Counters and linker lines as the builders of 2005 to 2022 write them, in
// both editions, each in UTF-16 and in the ANSI code page where it holds the
// line. The lines come from build output people posted (forums, issue
// threads) or are what the builder's format gives for another count.
TEST(BuildRunnerTest, CountersAndLinkerLinesOfEveryVersionInBothEditions)
{
    const wchar_t* zhOk = L"========== 生成: 成功 1 个，失败 0 个，最新 0 个，跳过 0 个 ==========";
    struct Real_st {
        const char* origin;
        const wchar_t* line;
        bool rebuild;
        int32_t state;
        const wchar_t* missing;
    } lines[] = {
        // Summaries of a build and of a rebuild.
        {"2005 zh failed", L"========== 生成: 0 已成功, 1 已失败, 0 最新, 0 已跳过 ==========", false, CompileFailed, L""},
        {"2005 zh built", L"========== 生成: 1 已成功, 0 已失败, 0 最新, 0 已跳过 ==========", false, Compiled, L""},
        {"2005 zh up to date", L"========== 生成: 0 已成功, 0 已失败, 3 最新, 0 已跳过 ==========", false,
         CompiledUnchanged, L""},
        {"2005 zh ten built", L"========== 生成: 10 已成功, 0 已失败, 0 最新, 0 已跳过 ==========", false, Compiled, L""},
        {"2005 zh rebuild", L"========== 全部重新生成: 1 已成功, 0 已失败, 0 已跳过 ==========", true, Compiled, L""},
        {"2005 zh rebuild failed", L"========== 全部重新生成: 0 已成功, 10 已失败, 0 已跳过 ==========", true,
         CompileFailed, L""},
        {"2005 en", L"========== Build: 1 succeeded, 0 failed, 0 up-to-date, 0 skipped ==========", false, Compiled, L""},
        {"2008 zh", L"========== 生成: 成功 0 个，失败 1 个，最新 0 个，跳过 0 个 ==========", false, CompileFailed, L""},
        {"2008 zh without blanks", L"========== 生成: 成功1 个，失败0 个，最新0 个，跳过0 个==========", false, Compiled, L""},
        {"2008 zh without blanks, failed", L"========== 生成: 成功0 个，失败1 个，最新0 个，跳过0 个==========", false,
         CompileFailed, L""},
        {"2008 zh without blanks, up to date", L"========== 生成:成功0个，失败0个，最新1个，跳过0个==========", false,
         CompiledUnchanged, L""},
        {"2008 zh rebuild", L"========== 全部重新生成: 成功 2 个，失败 0 个，跳过 0 个 ==========", true, Compiled, L""},
        {"2008 en rebuild", L"========== Rebuild All: 0 succeeded, 1 failed, 0 skipped ==========", true, CompileFailed,
         L""},
        {"2010 en", L"========== Build: 0 succeeded, 1 failed, 0 up-to-date, 0 skipped ==========", false,
         CompileFailed, L""},
        {"2015 en", L"========== Build: 2 succeeded, 20 failed, 0 up-to-date, 0 skipped ==========", false,
         CompileFailed, L""},
        {"2019 zh", L"========== 生成: 成功 0 个，失败 1 个，最新 0 个，跳过 0 个 ==========", false, CompileFailed, L""},
        {"2022 zh", L"========== 生成: 1 成功，0 失败，0 最新，0 已跳过 ==========", false, Compiled, L""},
        {"2022 zh rebuild", L"========== 全部重新生成: 0 成功，1 失败，0 已跳过 ==========", true, CompileFailed, L""},
        {"2022 en up to date", L"========== Build: 0 succeeded, 0 failed, 4 up-to-date, 0 skipped ==========", false,
         CompiledUnchanged, L""},
        // The line 2022 writes after its counters is none.
        {"2022 en completed", L"========== Build completed at 10:15 AM and took 00.512 seconds ==========", false,
         CompileFailed, L""},
        {"2022 zh completed", L"========== 生成 于 10:15 完成，耗时 00.512 秒 ==========", false, CompileFailed, L""},
        // The linker's complaints; the summary after them is not read.
        {"2008 en LNK1104", L"LINK : fatal error LNK1104: cannot open file 'core.lib'", false, CompileFailed,
         L"core.lib"},
        {"2005 zh LNK1104 full path",
         L"LINK : fatal error LNK1104: 无法打开文件“D:\\Code\\nodal-dg-master\\nudg++\\trunk\\Lib\\NDGLibd.lib”", false,
         CompileFailed, L"NDGLibd.lib"},
        {"2010 zh LNK1104", L"1>LINK : fatal error LNK1104: 无法打开文件“../LinearSolver/LinearSolverLib_D.lib”", false,
         CompileFailed, L"LinearSolverLib_D.lib"},
        {"2019 zh LNK1181", L"13>LINK : fatal error LNK1181: 无法打开输入文件“posix_compat.lib”", false, CompileFailed,
         L"posix_compat.lib"},
        {"2019 en LNK1104", L"140>LINK : fatal error LNK1104: cannot open file '..\\RelWithDebInfo\\SimTKsimbody.lib'",
         true, CompileFailed, L"SimTKsimbody.lib"},
        {"2022 zh LNK1104 after a folder",
         L"D:\\Git\\Lumen\\out\\build\\x64-Debug\\LINK : fatal error LNK1104: 无法打开文件“spirv-cross-cored.lib”", false,
         CompileFailed, L"spirv-cross-cored.lib"},
    };
    std::vector<LogCase_st> cases;
    for (const Real_st& r : lines) {
        const bool linker = *r.missing != 0;
        cases.push_back({r.origin, linker ? Lines({r.line, zhOk, kEnBuildOk}) : Lines({L"正在编译...", r.line}), r.rebuild,
                         r.state, r.missing});
    }
    CheckCases(cases);

    // The clean reads the same formats.
    TempDir_cl tmp(L"clean");
    struct Clean_st {
        const wchar_t* line;
        bool failedZero;
    } cleans[] = {
        {L"========== 清理: 1 已成功, 0 已失败, 0 已跳过 ==========", true},
        {L"========== 清理: 0 已成功, 1 已失败, 0 已跳过 ==========", false},
        {L"========== 清理: 成功2 个，失败0 个，跳过0 个==========", true},
        {L"========== 清理: 成功 0 个，失败 10 个，跳过 0 个 ==========", false},
        {L"========== Clean: 3 succeeded, 0 failed, 0 skipped ==========", true},
    };
    int n = 0;
    for (const Clean_st& c : cleans) {
        for (Encoding_en e : EncodingsFor(c.line)) {
            const String_cl path = tmp / (String_cl::FromInt(n++) + L".log");
            ASSERT_TRUE(WriteLog(path, Lines({c.line}), e));
            LogReader_cl log(path);
            String_cl line;
            ASSERT_TRUE(log.Next(line));
            SummaryCounts_st counts;
            EXPECT_EQ(ReadSummaryLine(line, SummaryKind_en::Clean, counts), SummaryRead_en::Counts)
                << Test_ns::Ansi(c.line) << " " << Test_ns::Ansi(Name(e));
            EXPECT_EQ(counts.failedZero, c.failedZero) << Test_ns::Ansi(c.line);
        }
    }
}

// A counters or linker line the program cannot read is the builder's text:
// the row fails with the line quoted, and nothing is raised that would end
// the run.
TEST(BuildRunnerTest, LinesThatCannotBeReadFailTheRowWithTheLineQuoted)
{
    TempDir_cl tmp(L"log");
    struct Bad_st {
        String_cl line;
        bool rebuild;
        const wchar_t* reason;
    } bad[] = {
        {L"LINK : fatal error LNK1104: cannot open file 'core.lib", false, L"无法读取链接器的出错行："},
        {L"LINK : fatal error LNK1181: 无法打开输入文件“core.lib", false, L"无法读取链接器的出错行："},
        {L"========== Build: nothing to do ==========", false, L"无法读取生成程序的统计行："},
        {L"========== Build: 1 succeeded, 0 errors ==========", false, L"无法读取生成程序的统计行："},
        {L"========== 生成: 失败 0 个 ==========", false, L"无法读取生成程序的统计行："},
        {L"========== 全部重新生成: 0 succeeded, 0 failed ==========", true, L"无法读取生成程序的统计行："},
        {L"========== 生成: 一 已成功, 零 已失败 ==========", false, L"无法读取生成程序的统计行："},
    };
    int n = 0;
    for (const Bad_st& b : bad) {
        for (Encoding_en e : EncodingsFor(b.line)) {
            // A readable summary before the unreadable one is outdated by it.
            const String_cl text = Lines({kEnBuildOk, kZhBuildOk, b.line});
            const String_cl path = tmp / (L"bad" + String_cl::FromInt(n++) + L".log");
            ASSERT_TRUE(WriteLog(path, text, e));
            try {
                const LogResult_st r = AnalyseLog(path, b.rebuild, L"Caller_cl");
                EXPECT_EQ(r.state, CompileFailed) << Test_ns::Ansi(b.line);
                EXPECT_EQ(r.missingFile, L"") << Test_ns::Ansi(b.line);
                EXPECT_EQ(r.failReason, String_cl(b.reason) + L"“" + b.line + L"”") << Test_ns::Ansi(b.line);
            } catch (const Base_ns::Error_cl& err) {
                ADD_FAILURE() << Test_ns::Ansi(b.line) << ": " << Test_ns::Ansi(err.Text());
            }
        }
    }
    // A line too long to quote whole is cut.
    const String_cl longLine = L"========== Build: " + String_cl(500, L'x') + L" ==========";
    const String_cl path = tmp / L"long.log";
    ASSERT_TRUE(WriteLog(path, Lines({longLine}), Encoding_en::Utf16));
    const LogResult_st r = AnalyseLog(path, false, L"Caller_cl");
    EXPECT_EQ(r.state, CompileFailed);
    EXPECT_LT(r.failReason.size(), 400u);
    EXPECT_TRUE(r.failReason.EndsWith(L"……”")) << Test_ns::Ansi(r.failReason);
}

TEST(BuildRunnerTest, MissingLogIsAFileError)
{
    TempDir_cl tmp(L"log");
    String_cl path = tmp / L"没有\\x.log";
    try {
        AnalyseLog(path, false, L"MProjectPack_cl");
        ADD_FAILURE() << "no error";
    } catch (const IO_ns::IOError_cl& e) {
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.Note(), path);
    }
    EXPECT_FALSE(Test_ns::FileExists(path));
}

TEST(BuildRunnerTest, OverlongLinesDoNotHideTheResult)
{
    // Compiler messages about long template types run to thousands of characters.
    String_cl warning = L"c:\\x\\a.cpp(1) : warning C4503: '" + String_cl(5000, L'T') + L"' : decorated name length exceeded";
    CheckCases({
        {"long line then summary", Lines({warning, kEnBuildOk}), false, Compiled, L""},
        {"summary then long line", Lines({kZhBuildOk, warning}), false, Compiled, L""},
        {"long line then linker line",
         Lines({warning, L"LINK : fatal error LNK1104: cannot open file 'core.lib'", kEnBuildOk}), false,
         CompileFailed, L"core.lib"},
    });
}

namespace {

// A stand-in installation of the edition that matches this Windows: the
// Chinese builder writes its log in code page 936, the English one in 1252.
String_cl EditionInstallation()
{
    return Test_ns::StandinDir(GetACP() == 936 ? L"zh" : L"en");
}

// A static library project; its output lands in <folder>Debug\<name>.lib.
Test_ns::VcProject_st LibraryProject(const String_cl& name)
{
    return {name,
            {{L"Debug|Win32", 4, {Test_ns::Compiler(), Test_ns::Librarian(L"$(OutDir)\\$(ProjectName).lib")}}},
            {L".\\" + name + L".cpp"}};
}

// A program that links the library of the sibling project core: by a
// relative path, or by its name alone found through the library folders.
Test_ns::VcProject_st ProgramProject(const String_cl& core = L"..\\core\\Debug\\core.lib",
                                     const String_cl& libraryFolders = String_cl())
{
    return {L"app",
            {{L"Debug|Win32", 1,
              {Test_ns::Linker(L"$(OutDir)\\$(ProjectName).exe").Dependencies(core).LibraryFolders(libraryFolders)}}},
            {L"main.cpp"}};
}

class RealBuild_cl : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_vs = EditionInstallation();
        if (!Test_ns::FileExists(m_vs + L"VC\\vcvarsall.bat"))
            GTEST_SKIP() << "builder stand-in not laid out at " << Test_ns::Ansi(m_vs);
        // A folder name with a space (and Chinese under 936) must survive the quoting.
        m_root = m_tmp / (GetACP() == 936 ? L"工程 目录\\" : L"work dir\\");
        ASSERT_TRUE(CreateDirectoryW(m_root.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((m_root + L"core").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((m_root + L"app").c_str(), nullptr));
        ASSERT_TRUE(Test_ns::WriteVcprojAndSources(m_root + L"core\\core.vcproj", LibraryProject(L"core"),
                                                   "int core() { return 1; }\r\n"));
        ASSERT_TRUE(Test_ns::WriteVcprojAndSources(m_root + L"app\\app.vcproj", ProgramProject(),
                                                   "int main() { return 0; }\r\n"));
    }

    // Runs the builder on the project and returns the log's verdict.
    LogResult_st Build(const String_cl& project, const wchar_t* verb, const String_cl& log)
    {
        DeleteFileW(log.c_str());
        RunBuild(BuildParameters(m_vs, m_root + project, verb, L"Debug|Win32", log));
        EXPECT_TRUE(Test_ns::FileExists(log)) << "no log after the build of " << Test_ns::Ansi(project);
        return AnalyseLog(log, String_cl(verb) == L"rebuild", L"MProjectPack_cl");
    }

    TempDir_cl m_tmp{L"run"};
    String_cl m_vs;
    String_cl m_root;
};

} // namespace

TEST_F(RealBuild_cl, BuildRebuildAndUpToDate)
{
    String_cl log = m_root + L"core 日志.log";
    // The builder takes its time; RunBuild must wait for all of it.
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"1500");
    DWORD start = GetTickCount();
    LogResult_st r = Build(L"core\\core.vcproj", L"build", log);
    DWORD took = GetTickCount() - start;
    SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", nullptr);
    EXPECT_GE(took, 1500u);
    EXPECT_EQ(r.state, Compiled) << Test_ns::Ansi(Test_ns::ReadText(log));
    EXPECT_EQ(r.missingFile, L"");
    EXPECT_TRUE(Test_ns::FileExists(m_root + L"core\\Debug\\core.lib"));

    r = Build(L"core\\core.vcproj", L"build", log);
    EXPECT_EQ(r.state, CompiledUnchanged) << Test_ns::Ansi(Test_ns::ReadText(log));

    r = Build(L"core\\core.vcproj", L"rebuild", log);
    EXPECT_EQ(r.state, Compiled) << Test_ns::Ansi(Test_ns::ReadText(log));
    // The same rebuild log read as a build's has no summary of its kind.
    EXPECT_EQ(AnalyseLog(log, false, L"MProjectPack_cl").state, CompileFailed);
}

TEST_F(RealBuild_cl, LinkFailureNamesTheLibraryUntilItIsBuilt)
{
    String_cl appLog = m_root + L"app.log";
    LogResult_st r = Build(L"app\\app.vcproj", L"build", appLog);
    EXPECT_EQ(r.state, CompileFailed);
    EXPECT_EQ(r.missingFile, L"core.lib") << Test_ns::Ansi(Test_ns::ReadText(appLog));
    r = Build(L"app\\app.vcproj", L"rebuild", appLog);
    EXPECT_EQ(r.missingFile, L"core.lib") << Test_ns::Ansi(Test_ns::ReadText(appLog));

    EXPECT_EQ(Build(L"core\\core.vcproj", L"build", m_root + L"core.log").state, Compiled);
    r = Build(L"app\\app.vcproj", L"build", appLog);
    EXPECT_EQ(r.state, Compiled) << Test_ns::Ansi(Test_ns::ReadText(appLog));
    EXPECT_EQ(r.missingFile, L"");
}

TEST_F(RealBuild_cl, BothLinkerLinesNameTheSameLibrary)
{
    // Written with its folder the library is an input file to the linker
    // (LNK1181); named alone and found through a library folder, a file it
    // cannot open (LNK1104). Either way the missing name is core.lib.
    String_cl appLog = m_root + L"app.log";
    LogResult_st r = Build(L"app\\app.vcproj", L"build", appLog);
    String_cl log = Test_ns::ReadText(appLog);
    EXPECT_NE(log.find(L"LNK1181"), String_cl::npos) << Test_ns::Ansi(log);
    EXPECT_EQ(r.missingFile, L"core.lib") << Test_ns::Ansi(log);

    ASSERT_TRUE(Test_ns::WriteVcproj(m_root + L"app\\app.vcproj", ProgramProject(L"core.lib", L"..\\core\\Debug")));
    r = Build(L"app\\app.vcproj", L"build", appLog);
    log = Test_ns::ReadText(appLog);
    EXPECT_NE(log.find(L"LNK1104"), String_cl::npos) << Test_ns::Ansi(log);
    EXPECT_EQ(r.missingFile, L"core.lib") << Test_ns::Ansi(log);
}

TEST_F(RealBuild_cl, CompileErrorFailsTheBuild)
{
    ASSERT_TRUE(Test_ns::WriteBytes(m_root + L"core\\core.cpp", "#error broken on purpose\r\n"));
    String_cl log = m_root + L"core.log";
    EXPECT_EQ(Build(L"core\\core.vcproj", L"build", log).state, CompileFailed) << Test_ns::Ansi(Test_ns::ReadText(log));
    EXPECT_EQ(Build(L"core\\core.vcproj", L"rebuild", log).state, CompileFailed);
    // A configuration the project does not have fails the same way.
    DeleteFileW(log.c_str());
    RunBuild(BuildParameters(m_vs, m_root + L"app\\app.vcproj", L"build", L"Release|Win32", log));
    EXPECT_EQ(AnalyseLog(log, false, L"MProjectPack_cl").state, CompileFailed);
}

TEST_F(RealBuild_cl, LogInAMissingFolderLeavesNoLog)
{
    String_cl log = m_root + L"no such folder\\core.log";
    RunBuild(BuildParameters(m_vs, m_root + L"core\\core.vcproj", L"build", L"Debug|Win32", log));
    EXPECT_FALSE(Test_ns::FileExists(log));
    EXPECT_THROW(AnalyseLog(log, false, L"MProjectPack_cl"), IO_ns::IOError_cl);
}
