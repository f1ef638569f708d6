// How quickly the main window answers while a long build runs: a plan of
// 500 library projects is built from the window (the builder stand-in
// taking QV_STANDIN_DELAY_MS, 5 ms by default, for each), while another
// thread sends the window a message every 5 ms and times each answer. The
// window's own status texts time each row's build. Prints the worst and the
// median answer, the median row, and the ratio worst answer / median row
// (goal: under 0.1), over the whole job and over the time rows were being
// built (without the job's start and end, when the window locks and unlocks
// its controls), with the slowest answers and the row each fell in.
//
//     QV_BUILD_DIR=<build> cmake/xvfb-run.sh cmake/wine-run.sh <build>/bin/bench_window.exe [rows]
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>
#include "bench/BenchSupport.h"
#include "app/ProgramPlaces.h"
#include "app/res/resource.h"
#include "app/store/DataFile.h"
#include "app/ui/QuorvaneDlg.h"
#include "app/ui/WindowMessages.h"
#include "app/workflow/SettingsInterface.h"
#include "common/base/ComScope.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Clock = std::chrono::steady_clock;

using namespace Bench_ns;

namespace {

void WriteFile(const String_cl& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD w = 0;
    ::WriteFile(h, bytes.data(), DWORD(bytes.size()), &w, nullptr);
    CloseHandle(h);
}

String_cl Project(const String_cl& root, int i)
{
    const String_cl name = L"p" + String_cl::FromInt(i);
    const String_cl dir = root + name + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    WriteFile(dir + name + L".vcproj",
              "<?xml version=\"1.0\"?>\r\n<VisualStudioProject ProjectType=\"Visual C++\" Version=\"9.00\" Name=\"" +
                  name.ToUtf8() +
                  "\"><Configurations><Configuration Name=\"Debug|Win32\" ConfigurationType=\"4\">"
                  "<Tool Name=\"VCLibrarianTool\" OutputFile=\"$(ProjectName).lib\"/></Configuration>"
                  "</Configurations><Files><File RelativePath=\"a.cpp\"/></Files></VisualStudioProject>\r\n");
    WriteFile(dir + L"a.cpp", "int a;\r\n");
    return dir + name + L".vcproj";
}

// Row starts as the window shows them: every progress of the build walk
// (one before each row when rows are built one at a time).
std::vector<Clock::time_point> g_rowStarts;
LRESULT CALLBACK Watch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == UM_BUILD_PROGRESS && wParam) g_rowStarts.push_back(Clock::now());
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int rows = argc > 1 ? _wtoi(argv[1]) : 500;
    if (!GetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", nullptr, 0)) SetEnvironmentVariableW(L"QV_STANDIN_DELAY_MS", L"5");
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    Base_ns::ComScope_cl com;
    const String_cl root = TempFolder(L"window") + L"\\";
    OverrideModuleDirectory(root);
    {
        SettingsHost_cl settings;
        settings.Open(kProductName);
        settings.SetString(kKeyVcDirectory, StandinDirectory());
        settings.SetString(kKeyPlan, L"bench");
        settings.SetBool(kKeyRenameCompile, false);
        settings.Close();
    }
    Stores_cl stores;
    PlanId_cl plan = stores.plans.AddPlan(L"bench", L"Debug|Win32");
    for (int i = 0; i < rows; ++i)
        plan->solutions.AddSolution(Project(root, i), plan->configuration, plan->rows, stores.projects,
                                    stores.sequences);

    std::vector<double> answers;
    CQuorvaneDlg window(stores, L"");
    static CQuorvaneDlg* s_window = &window;
    static std::vector<double>* s_answers = &answers;
    static std::vector<Clock::time_point> when;
    static std::vector<Clock::time_point>* s_when = &when;
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND dialog = FindWindowW(L"#32770", nullptr);
        if (!dialog || !IsWindowVisible(dialog) || s_window->CurrentJob() != JobIdle) return;
        KillTimer(nullptr, timer);
        SetWindowSubclass(dialog, &Watch, 1, 0);
        std::atomic<bool> done{false}, finished{false};
        std::thread prober([&] {
            while (!done) {
                const auto t0 = Clock::now();
                DWORD_PTR r;
                SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &r);
                s_answers->push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
                s_when->push_back(t0);
                Sleep(5);
            }
            finished = true;
        });
        SendMessageW(dialog, WM_COMMAND, IDC_BUILD, 0);
        auto pump = [] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        };
        do pump();
        while (s_window->CurrentJob() != JobIdle || g_rowStarts.empty());
        done = true;
        // The prober may be waiting for an answer: keep answering until it stops.
        while (!finished) pump();
        prober.join();
        SendMessageW(dialog, WM_COMMAND, IDC_EXIT, 0);
    });
    window.Run();

    std::vector<double> rowTimes;
    for (size_t i = 1; i < g_rowStarts.size(); ++i)
        rowTimes.push_back(std::chrono::duration<double, std::milli>(g_rowStarts[i] - g_rowStarts[i - 1]).count());
    const double worst = answers.empty() ? 0 : *std::max_element(answers.begin(), answers.end());
    // While rows are being built: from the first row's start to the last
    // row's start, leaving out the window's own work of starting and ending
    // the job (locking and unlocking the controls, coming to the front).
    double worstDuring = 0;
    for (size_t i = 0; i < answers.size(); ++i)
        if (!g_rowStarts.empty() && when[i] > g_rowStarts.front() && when[i] < g_rowStarts.back())
            worstDuring = std::max(worstDuring, answers[i]);
    const double row = Median(rowTimes);
    std::printf("rows built %zu, answers %zu\n", g_rowStarts.size(), answers.size());
    // The slowest answers, and which row's build they fell in.
    std::vector<size_t> order(answers.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return answers[a] > answers[b]; });
    for (size_t k = 0; k < order.size() && k < 5; ++k) {
        const size_t i = order[k];
        const size_t rowIndex = std::upper_bound(g_rowStarts.begin(), g_rowStarts.end(), when[i]) - g_rowStarts.begin();
        std::printf("  slow answer %.1f ms during row %zu\n", answers[i], rowIndex);
    }
    std::vector<double> sorted = answers;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted.empty() ? 0 : sorted[sorted.size() * 99 / 100];
    std::printf("answer: worst %.1f ms, 99th percentile %.2f ms, median %.2f ms; row build: median %.1f ms\n", worst,
                p99, Median(answers), row);
    std::printf("while rows were built: worst %.1f ms\n", worstDuring);
    std::printf("ratio worst answer / median row: %.3f; while rows were built: %.3f (goal < 0.1)\n",
                row > 0 ? worst / row : 0, row > 0 ? worstDuring / row : 0);
    return 0;
}
