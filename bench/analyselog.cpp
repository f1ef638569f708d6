// AnalyseLog on one log, for bench/analyse-log.sh, which generates a 100 MB
// log, times this program under Wine and compares with `grep -c` on the same
// file. Run the script, not this program:
//     bench/analyse-log.sh [build folder]
// Usage of the program itself:
//     bench_analyselog.exe noop            starts and ends (Wine's start-up cost)
//     bench_analyselog.exe <log> [rebuild] prints state, missing file and the
//                                          milliseconds AnalyseLog took inside
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include "app/engine/BuildRunner.h"
#include "common/base/Error.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fputs("usage: bench_analyselog.exe noop | <log> [rebuild]\n", stderr);
        return 2;
    }
    if (std::wcscmp(argv[1], L"noop") == 0) return 0;
    const bool rebuild = argc > 2 && std::wcscmp(argv[2], L"rebuild") == 0;
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    try {
        QueryPerformanceCounter(&a);
        Quorvane_ns::LogResult_st r = Quorvane_ns::AnalyseLog(argv[1], rebuild, L"bench");
        QueryPerformanceCounter(&b);
        std::printf("state=%d missing=%s inside_ms=%.1f\n", r.state, r.missingFile.ToUtf8().c_str(),
                    1000.0 * double(b.QuadPart - a.QuadPart) / double(f.QuadPart));
    } catch (const Base_ns::Error_cl& e) {
        std::printf("error: %s\n", e.Text().ToUtf8().c_str());
        return 1;
    }
    return 0;
}
