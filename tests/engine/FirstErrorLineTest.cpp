// Why a build failed, from logs as the builder writes them in its Chinese
// and English editions: compiler, linker and project-level errors, the
// Chinese word for error, and logs with warnings and counts but no error.
// Each log is written the way the builder leaves it (the ANSI code page,
// when it holds the text) and as UTF-16.
#include <gtest/gtest.h>
#include <windows.h>
#include <initializer_list>
#include "app/engine/FirstErrorLine.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

String_cl Log(std::initializer_list<const wchar_t*> lines)
{
    String_cl s;
    for (const wchar_t* l : lines) s += String_cl(l) + L"\r\n";
    return s;
}

const wchar_t kBannerEn[] = L"Microsoft (R) Visual Studio Version 9.0.21022.8.";
const wchar_t kBannerZh[] = L"Microsoft (R) Visual Studio 9.0.21022.8 版";

struct Case_st {
    const char* what;
    String_cl log;
    String_cl expected;
};

const Case_st kCases[] = {
    {"English compiler error after a warning",
     Log({kBannerEn, L"------ Build started: Project: Viewer, Configuration: Debug Win32 ------", L"Compiling...",
          L"main.cpp", L".\\main.cpp(12) : warning C4996: 'strcpy': This function or variable may be unsafe.",
          L".\\main.cpp(14) : error C2065: 'count' : undeclared identifier",
          L".\\main.cpp(15) : error C2143: syntax error : missing ';' before '}'",
          L"Build log was saved at \"file://c:\\ws\\Viewer\\Debug\\BuildLog.htm\"", L"Viewer - 2 error(s), 1 warning(s)",
          L"========== Build: 0 succeeded, 1 failed, 0 up-to-date, 0 skipped =========="}),
     L".\\main.cpp(14) : error C2065: 'count' : undeclared identifier"},
    {"Chinese compiler error",
     Log({kBannerZh, L"------ 已启动生成: 项目: 网络, 配置: Debug Win32 ------", L"正在编译...", L"网络.cpp",
          L".\\网络.cpp(3) : warning C4244: “参数”: 从“double”转换到“int”，可能丢失数据",
          L".\\网络.cpp(8) : error C2065: “端口”: 未声明的标识符",
          L"生成日志保存在“file://c:\\ws\\网络\\Debug\\BuildLog.htm”中", L"网络 - 1 个错误，1 个警告",
          L"========== 生成: 成功 0 个，失败 1 个，最新 0 个，跳过 0 个 =========="}),
     L".\\网络.cpp(8) : error C2065: “端口”: 未声明的标识符"},
    {"Chinese line with the Chinese word for error",
     Log({kBannerZh, L"正在编译...", L"  .\\网络.cpp(8) : 错误 C2065: “端口”: 未声明的标识符  ", L"网络 - 1 个错误，0 个警告"}),
     L".\\网络.cpp(8) : 错误 C2065: “端口”: 未声明的标识符"},
    {"fatal compiler error as the stand-in writes it",
     Log({kBannerEn, L"Compiling...", L"Core.cpp",
          L"c:\\ws\\Core\\Core.cpp(2) : fatal error C1189: #error :  broken on purpose", L"Core - 1 error(s), 0 warning(s)"}),
     L"c:\\ws\\Core\\Core.cpp(2) : fatal error C1189: #error :  broken on purpose"},
    {"Chinese missing include",
     Log({kBannerZh, L"正在编译...", L".\\main.cpp(1) : fatal error C1083: 无法打开包括文件:“config.h”: No such file or directory"}),
     L".\\main.cpp(1) : fatal error C1083: 无法打开包括文件:“config.h”: No such file or directory"},
    {"English linker: the unresolved symbol comes before the count",
     Log({kBannerEn, L"Linking...",
          L"main.obj : error LNK2019: unresolved external symbol \"int __cdecl coreVersion(void)\" "
          L"(?coreVersion@@YAHXZ) referenced in function _main",
          L"c:\\ws\\bin\\Debug\\Viewer.exe : fatal error LNK1120: 1 unresolved externals", L"Viewer - 2 error(s), 0 warning(s)"}),
     L"main.obj : error LNK2019: unresolved external symbol \"int __cdecl coreVersion(void)\" (?coreVersion@@YAHXZ) "
     L"referenced in function _main"},
    {"Chinese linker cannot open a library",
     Log({kBannerZh, L"正在链接...", L"LINK : fatal error LNK1104: 无法打开文件“Core.lib”", L"Viewer - 1 个错误，0 个警告"}),
     L"LINK : fatal error LNK1104: 无法打开文件“Core.lib”"},
    {"English project-level error",
     Log({kBannerEn, L"Performing Post-Build Event...", L"The system cannot find the path specified.",
          L"Project : error PRJ0019: A tool returned an error code from \"Performing Post-Build Event...\"",
          L"Tool - 1 error(s), 0 warning(s)"}),
     L"Project : error PRJ0019: A tool returned an error code from \"Performing Post-Build Event...\""},
    {"Chinese project-level error",
     Log({kBannerZh, L"项目 : error PRJ0019: 项目“Tool”中不存在配置“Debug|x64”。", L"Tool - 1 个错误，0 个警告"}),
     L"项目 : error PRJ0019: 项目“Tool”中不存在配置“Debug|x64”。"},
    {"compiler option error",
     Log({kBannerEn, L"cl : Command line error D8016 : '/ZI' and '/O2' command-line options are incompatible"}),
     L"cl : Command line error D8016 : '/ZI' and '/O2' command-line options are incompatible"},
    {"English log without an error",
     Log({kBannerEn, L"------ Build started: Project: errors, Configuration: Debug Win32 ------", L"Compiling...",
          L"error_codes.cpp", L"myerror C2065.cpp", L".\\error_codes.cpp(3) : warning C4996: 'sprintf' was declared deprecated",
          L"errors - 0 error(s), 1 warning(s)", L"========== Build: 1 succeeded, 0 failed, 0 up-to-date, 0 skipped =========="}),
     L""},
    {"Chinese log without an error",
     Log({kBannerZh, L"正在编译...", L"网络.cpp", L"网络 - 0 个错误，0 个警告", L"网络 - 1 个错误，0 个警告",
          L"========== 生成: 成功 1 个，失败 0 个，最新 0 个，跳过 0 个 =========="}),
     L""},
};

bool FitsAnsi(const String_cl& text) { return String_cl::FromMultiByte(Test_ns::Ansi(text), CP_ACP) == text; }

} // namespace

TEST(FirstErrorLine, TheFirstLineWithAnErrorCodeInEitherEditionAndEncoding)
{
    Test_ns::TempDir_cl dir(L"first-error");
    int n = 0;
    for (const Case_st& c : kCases) {
        const String_cl utf16 = dir / (L"u" + String_cl::FromInt(n) + L".log");
        ASSERT_TRUE(Test_ns::WriteUtf16(utf16, c.log));
        EXPECT_EQ(FirstErrorLine(utf16), c.expected) << c.what << " (UTF-16)";
        if (FitsAnsi(c.log)) {
            const String_cl ansi = dir / (L"a" + String_cl::FromInt(n) + L".log");
            ASSERT_TRUE(Test_ns::WriteBytes(ansi, Test_ns::Ansi(c.log)));
            EXPECT_EQ(FirstErrorLine(ansi), c.expected) << c.what << " (ANSI)";
        }
        ++n;
    }
    EXPECT_EQ(FirstErrorLine(dir / L"gone.log"), L"") << "a log that is not there";
    EXPECT_EQ(FirstErrorLine(L""), L"");
}

TEST(FirstErrorLine, CountsWarningsAndWordsThatMerelyContainErrorAreNoErrors)
{
    for (const wchar_t* line : {L"Viewer - 1 error(s), 0 warning(s)", L"网络 - 1 个错误，0 个警告",
                                L".\\a.cpp(3) : warning C4996: 'x'", L"terror C2065", L"error C20", L"error c2065: lower",
                                L"error C2065X", L"Project : error PRJ: no number", L"错误：没有代码"})
        EXPECT_FALSE(IsErrorLine(line)) << Test_ns::Ansi(line);
    for (const wchar_t* line : {L"error C2065", L"x.cpp(1): error C2065: y", L"LINK : fatal error LNK1181: z",
                                L"a.rc(3) : error RC2135 : file not found", L"x.idl(4) : error MIDL2025 : syntax",
                                L"x.cpp(1) : 错误C2065: y", L"x.cpp(1) : fatal error C1001:"})
        EXPECT_TRUE(IsErrorLine(line)) << Test_ns::Ansi(line);
}
