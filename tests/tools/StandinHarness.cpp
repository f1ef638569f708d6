#include "tests/tools/StandinHarness.h"

namespace StandinTest_ns {

namespace {
String_cl Num(int v) { return String_cl::FromInt(v); }

HANDLE StartBuilder(const String_cl& environment, const String_cl& file, const wchar_t* verb, const String_cl& config,
                    const String_cl& logPath, const String_cl& more = String_cl())
{
    String_cl params = L"/c cls && " + environment + L" && devenv \"" + file + L"\" /" + verb + L" \"" + config +
                       L"\"" + (more.empty() ? L"" : L" ") + more + L" > \"" + logPath + L"\" ";
    DeleteFileW(logPath.c_str());
    return Test_ns::StartProcess(L"cmd " + params);
}

} // namespace

String_cl Edition_st::BuildSummary(int succeeded, int failed, int upToDate, int skipped) const
{
    if (chinese)
        return L"========== 生成: 成功 " + Num(succeeded) + L" 个，失败 " + Num(failed) + L" 个，最新 " + Num(upToDate) +
               L" 个，跳过 " + Num(skipped) + L" 个 ==========";
    return L"========== Build: " + Num(succeeded) + L" succeeded, " + Num(failed) + L" failed, " + Num(upToDate) +
           L" up-to-date, " + Num(skipped) + L" skipped ==========";
}

String_cl Edition_st::RebuildSummary(int succeeded, int failed, int skipped) const
{
    if (chinese)
        return L"========== 全部重新生成: 成功 " + Num(succeeded) + L" 个，失败 " + Num(failed) + L" 个，跳过 " +
               Num(skipped) + L" 个 ==========";
    return L"========== Rebuild All: " + Num(succeeded) + L" succeeded, " + Num(failed) + L" failed, " +
           Num(skipped) + L" skipped ==========";
}

String_cl Edition_st::CleanSummary(int succeeded, int failed, int skipped) const
{
    if (chinese)
        return L"========== 清理: 成功 " + Num(succeeded) + L" 个，失败 " + Num(failed) + L" 个，跳过 " +
               Num(skipped) + L" 个 ==========";
    return L"========== Clean: " + Num(succeeded) + L" succeeded, " + Num(failed) + L" failed, " + Num(skipped) +
           L" skipped ==========";
}

String_cl Edition_st::CannotOpen(const String_cl& library) const
{
    if (chinese) return L"LINK : fatal error LNK1104: 无法打开文件“" + library + L"”";
    return L"LINK : fatal error LNK1104: cannot open file '" + library + L"'";
}

String_cl Edition_st::CannotOpenInput(const String_cl& library) const
{
    if (chinese) return L"LINK : fatal error LNK1181: 无法打开输入文件“" + library + L"”";
    return L"LINK : fatal error LNK1181: cannot open input file '" + library + L"'";
}

String_cl Edition_st::Header(const String_cl& project, const String_cl& config) const
{
    if (chinese) return L"------ 已启动生成: 项目: " + project + L", 配置: " + config + L" ------";
    return L"------ Build started: Project: " + project + L", Configuration: " + config + L" ------";
}

const Edition_st& English()
{
    static const Edition_st e{L"en", false};
    return e;
}

const Edition_st& Chinese()
{
    static const Edition_st e{L"zh", true};
    return e;
}

bool ChineseWritable() { return GetACP() == 936; }

bool BuildRun_st::HasLine(const String_cl& line) const
{
    std::string wanted = Test_ns::Ansi(line) + "\r\n";
    size_t at = bytes.find(wanted);
    return at != std::string::npos && (at == 0 || bytes[at - 1] == '\n');
}

BuildRun_st RunStandin(const Edition_st& edition, const String_cl& file, const wchar_t* verb,
                       const String_cl& config, const String_cl& logPath)
{
    return FinishStandin(StartStandin(edition, file, verb, config, logPath), logPath);
}

HANDLE StartStandin(const Edition_st& edition, const String_cl& file, const wchar_t* verb, const String_cl& config,
                    const String_cl& logPath)
{
    return StartBuilder(L"\"" + Test_ns::StandinDir(edition.folder) + L"VC\\vcvarsall.bat\"", file, verb, config,
                        logPath);
}

BuildRun_st RunBuilder(const String_cl& environment, const String_cl& file, const wchar_t* verb,
                       const String_cl& config, const String_cl& logPath, const String_cl& more)
{
    return FinishStandin(StartBuilder(environment, file, verb, config, logPath, more), logPath);
}

BuildRun_st FinishStandin(HANDLE process, const String_cl& logPath)
{
    BuildRun_st run;
    run.exitCode = Test_ns::EndProcess(process);
    run.bytes = Test_ns::ReadBytes(logPath);
    run.text = String_cl::FromMultiByte(run.bytes, CP_ACP);
    return run;
}

bool WriteAnsi(const String_cl& path, const String_cl& text) { return Test_ns::WriteBytes(path, Test_ns::Ansi(text)); }

unsigned long long WriteTime(const String_cl& path)
{
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<unsigned long long>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

bool SetWriteTime(const String_cl& path, unsigned long long time)
{
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return ok != 0;
}

} // namespace StandinTest_ns
