// What RunBuild costs on top of the builds it runs: 200 builds of an
// up-to-date project through RunBuild, against the same 200 parameter texts
// run as "cmd <parameters>" lines of one batch file, both timed here. Each
// side runs twice, in the order RunBuild, batch, batch, RunBuild, and the
// ratio is of the sums, so that the load of a shared machine falls on both.
//
//     cmake/wine-run.sh <build>/bin/bench_runbuild.exe [count] [installation folder]
//
// with QV_BUILD_DIR=<build> set (QV_CODEPAGE=1252 for an English Windows).
// count defaults to 200; the installation folder (ending in "\") defaults to
// the builder stand-in of the build, ..\vs\zh\ beside bin\ under code page
// 936 and ..\vs\en\ otherwise. Prints both times and the ratio RunBuild /
// batch (goal: at most 1.05). Each log is checked to report "up to date".
// Then it times as many lines that only start cmd and end it, both ways, and
// prints what the batch costs by itself a line and the ratio without it.
//
// Both sides start cmd alike: named by its full path, standard handles on
// NUL, the console of the program that runs it, so neither side starts a
// console process per build and neither writes its "cls" to a screen (see
// bench/README.md).
//
// The batch lines read their parameters from the environment with delayed
// expansion ("<cmd> !QV_BENCH_P7!"), so the batch's own parser never sees
// the && and | inside them and each child cmd gets exactly the text RunBuild
// passes.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <vector>
#include "bench/BenchSupport.h"
#include "app/engine/BuildRunner.h"
#include "common/base/Error.h"

using Base_ns::String_cl;
using namespace Quorvane_ns;

using namespace Bench_ns;

namespace {

String_cl SystemCmd()
{
    wchar_t system[MAX_PATH];
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    return String_cl(system, n < MAX_PATH ? n : 0) + L"\\cmd.exe";
}

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// Logs that do not say "up to date": builds that did something else.
int CountNotUnchanged(const std::vector<String_cl>& logs)
{
    int bad = 0;
    for (const String_cl& log : logs) {
        try {
            if (AnalyseLog(log, false, L"bench").state != CompiledUnchanged) ++bad;
        } catch (const Base_ns::Error_cl&) {
            ++bad;
        }
        DeleteFileW(log.c_str());
    }
    return bad;
}

double TimeRunBuild(const std::vector<String_cl>& params)
{
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    for (const String_cl& p : params) RunBuild(p);
    QueryPerformanceCounter(&b);
    return Seconds(a, b);
}

// The batch reads the parameter texts from the environment; -1 when it
// cannot be started. It is started the way RunBuild starts cmd (standard
// handles on NUL, the caller's console, hidden), and each "cmd" line inherits
// that, so the builds on both sides write their "cls" and everything else
// but the log to NUL in the same console.
double TimeBatch(const String_cl& batchPath)
{
    String_cl commandLine = L"cmd /v:on /c \"" + batchPath + L"\"";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr);
    if (nul == INVALID_HANDLE_VALUE) return -1;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(nul);
    if (!started) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&b);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return Seconds(a, b);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int count = argc > 1 ? _wtoi(argv[1]) : 200;
    const String_cl vs = argc > 2 ? String_cl(argv[2]) : StandinDirectory();
    if (count <= 0 || GetFileAttributesW((vs + L"VC\\vcvarsall.bat").c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "usage: bench_runbuild.exe [count] [installation folder with VC\\vcvarsall.bat]\n");
        return 2;
    }
    const String_cl work = TempFolder(L"runbuild") + L"\\";
    const String_cl project = work + L"core.vcproj";
    WriteFileBytes(project,
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                   "<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"core\">\r\n"
                   " <Configurations>\r\n"
                   "  <Configuration Name=\"Debug|Win32\" ConfigurationType=\"4\">\r\n"
                   "   <Tool Name=\"VCLibrarianTool\" OutputFile=\"$(OutDir)\\$(ProjectName).lib\"/>\r\n"
                   "  </Configuration>\r\n"
                   " </Configurations>\r\n"
                   " <Files><File RelativePath=\"core.cpp\"/></Files>\r\n"
                   "</VisualStudioProject>\r\n");
    WriteFileBytes(work + L"core.cpp", "int core() { return 1; }\r\n");

    int status = 0;
    try {
        // One real build first, so that every timed one finds it up to date.
        RunBuild(BuildParameters(vs, project, L"build", L"Debug|Win32", work + L"first.log"));
        if (AnalyseLog(work + L"first.log", false, L"bench").state != Compiled) {
            std::fprintf(stderr, "the first build did not succeed:\n%s\n", vs.ToUtf8().c_str());
            RemoveTree(work);
            return 1;
        }

        std::vector<String_cl> params, logs;
        for (int i = 0; i < count; ++i) {
            logs.push_back(work + L"run" + String_cl::FromInt(i) + L".log");
            params.push_back(BuildParameters(vs, project, L"build", L"Debug|Win32", logs.back()));
        }

        // The batch names cmd by its full path, as RunBuild does: a bare
        // "cmd" sends the batch's cmd looking through the current folder and
        // PATH for every extension, which under Wine scans whole folders.
        const String_cl cmd = L"\"" + SystemCmd() + L"\"";
        String_cl batch = L"@echo off\r\n", trivialBatch = L"@echo off\r\n";
        std::vector<String_cl> trivial(count, String_cl(L"/c exit"));
        for (int i = 0; i < count; ++i) {
            String_cl name = L"QV_BENCH_P" + String_cl::FromInt(i);
            SetEnvironmentVariableW(name.c_str(), params[i].c_str());
            batch += cmd + L" !" + name + L"!\r\n";
            trivialBatch += cmd + L" /c exit\r\n";
        }
        const String_cl batchPath = work + L"runs.bat", trivialPath = work + L"trivial.bat";
        WriteFileBytes(batchPath, batch.ToMultiByte(CP_ACP));
        WriteFileBytes(trivialPath, trivialBatch.ToMultiByte(CP_ACP));

        // Two passes of each side in the order RunBuild, batch, batch,
        // RunBuild, so that a load that rises or falls during the run
        // weighs on both sides alike.
        double viaRunBuild = 0, viaBatch = 0, pass[4];
        int badA = 0, badB = 0;
        for (int round = 0; round < 4; ++round) {
            const bool runBuildSide = round == 0 || round == 3;
            pass[round] = runBuildSide ? TimeRunBuild(params) : TimeBatch(batchPath);
            if (pass[round] < 0) {
                std::fprintf(stderr, "cannot start the batch\n");
                RemoveTree(work);
                return 1;
            }
            (runBuildSide ? viaRunBuild : viaBatch) += pass[round];
            (runBuildSide ? badA : badB) += CountNotUnchanged(logs);
        }
        // What the batch costs by itself: the same count of lines that only
        // start cmd and end it, against as many RunBuild calls doing that.
        double trivialRunBuild = 0, trivialViaBatch = 0;
        for (int round = 0; round < 4; ++round) {
            if (round == 0 || round == 3) trivialRunBuild += TimeRunBuild(trivial);
            else trivialViaBatch += TimeBatch(trivialPath);
        }
        const double batchOwn = trivialViaBatch - trivialRunBuild;

        std::printf("%d up-to-date builds of %s\n", count, project.ToUtf8().c_str());
        std::printf("RunBuild: %.2f s (passes %.2f + %.2f s; %.1f ms a build)\n", viaRunBuild, pass[0], pass[3],
                    500.0 * viaRunBuild / count);
        std::printf("batch:    %.2f s (passes %.2f + %.2f s; %.1f ms a build)\n", viaBatch, pass[1], pass[2],
                    500.0 * viaBatch / count);
        std::printf("ratio RunBuild / batch: %.3f\n", viaRunBuild / viaBatch);
        std::printf("lines that only start cmd: RunBuild %.1f ms, batch %.1f ms a line; the batch's own %.1f ms a "
                    "line\n", 500.0 * trivialRunBuild / count, 500.0 * trivialViaBatch / count,
                    500.0 * batchOwn / count);
        std::printf("ratio RunBuild / (batch less its own cost): %.3f\n", viaRunBuild / (viaBatch - batchOwn));
        if (badA || badB) {
            std::printf("logs not up to date: RunBuild %d, batch %d\n", badA, badB);
            status = 1;
        }
    } catch (const Base_ns::Error_cl& e) {
        std::fprintf(stderr, "error: %s\n", e.Text().ToUtf8().c_str());
        status = 1;
    }
    RemoveTree(work);
    return status;
}
