// The project page's refresh after one built row of a large plan, against
// the build of that row, measured in one run under Wine as the build job
// meets them: a worker thread builds rows one by one through CompileProject
// with the builder stand-in, and after each row sends the page UM_REFRESH
// through the window registry and waits until the window thread has handled
// it. The time of that wait is the refresh's cost to the job (and how long the
// window is busy with it). A user's selection and scroll position stand in
// the middle of the list meanwhile.
//
//     cmake --build <build> --target bench_pagerefresh vs_standin SettingsHost
//     QV_BUILD_DIR=<build> QV_GUI=1 cmake/xvfb-run.sh cmake/wine-run.sh <build>/bin/bench_pagerefresh.exe [N] [K]
//
// N rows (2000) in the plan; K rows (40) built, spread over the plan. Prints
// the mean build time, the mean refresh time and their ratio (goal: under
// 0.1), and for comparison the time of refilling the whole list (clearing it
// and showing the plan again), which is what a refresh cost before.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include "bench/BenchSupport.h"
#include "app/engine/MProjectPack.h"
#include "app/ProgramPlaces.h"
#include "app/res/resource.h"
#include "app/store/DataFile.h"
#include "app/ui/WProjectPage.h"
#include "app/ui/WindowMessages.h"
#include "app/workflow/SettingsInterface.h"
#include "common/base/Error.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

using namespace Bench_ns;

namespace {

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int n = argc > 1 ? _wtoi(argv[1]) : 2000;
    const int k = argc > 2 ? _wtoi(argv[2]) : 40;
    if (n < 1 || k < 1 || k > n) {
        std::fputs("usage: bench_pagerefresh.exe [rows] [rows to build]\n", stderr);
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    const String_cl ws = TempFolder(L"pages");
    const String_cl vcDir = StandinDirectory();
    CreateDirectoryW((ws + L"\\prog").c_str(), nullptr);
    OverrideModuleDirectory(ws + L"\\prog\\");
    const String_cl product = L"QvBenchPages-" + String_cl::FromUnsigned(GetCurrentProcessId());

    int status = 0;
    try {
        SettingsHost_cl settings;
        settings.Open(product);
        Stores_cl stores;
        PlanId_cl plan = stores.plans.AddPlan(L"bench", L"Debug|Win32");
        for (int i = 0; i < n; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "p%05d", i);
            const String_cl title = String_cl::FromMultiByte(name, CP_ACP);
            const String_cl folder = ws + L"\\" + title + L"\\";
            CreateDirectoryW(folder.c_str(), nullptr);
            if (!WriteFileBytes(folder + title + L".vcproj", LibraryProjectXml(name))) throw std::runtime_error("write");
            RowFor(L"Debug|Win32", plan->rows, folder + title + L".vcproj", stores.projects, stores.sequences);
        }

        HWND main = CreateWindowExW(0, WC_STATICW, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 560,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        WProjectPage_cl page(stores, settings);
        const HWND pageWindow = page.Create(main);
        ShowWindow(pageWindow, SW_SHOW);
        const uint32_t planKey = plan.Serial();

        double t = Now();
        settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, planKey);
        const double firstFill = Now() - t;
        const HWND list = GetDlgItem(pageWindow, IDC_PROJECT_LIST);
        SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(n / 2), FALSE);
        LVITEMW selected{};
        selected.state = selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(n / 2), reinterpret_cast<LPARAM>(&selected));
        const LRESULT topBefore = SendMessageW(list, LVM_GETTOPINDEX, 0, 0);

        // The job's side, on a worker as in the program.
        std::vector<double> builds, refreshes, deliveries;
        std::vector<uint32_t> keys;
        for (int i = 0; i < k; ++i) keys.push_back(plan->rows.At(int((long long)i * n / k)).Serial());
        std::atomic<bool> done{false};
        std::thread worker([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            const String_cl normal = ws + L"\\logs\\正常\\", failed = ws + L"\\logs\\错误\\";
            try {
                for (uint32_t key : keys) {
                    MProjectId_cl row = plan->rows.FromSerial(key);
                    double b = Now();
                    CompileProject(stores.sequences, failed, plan->rows, row, stores.projects, normal, vcDir, false);
                    builds.push_back(Now() - b);
                    b = Now();
                    settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, planKey);
                    refreshes.push_back(Now() - b);
                    // The same trip with nothing to do: what the message itself costs.
                    b = Now();
                    SendMessageW(pageWindow, WM_NULL, 0, 0);
                    deliveries.push_back(Now() - b);
                }
            } catch (const Base_ns::Error_cl& e) {
                std::printf("error: %s\n", e.Text().ToUtf8().c_str());
            }
            CoUninitialize();
            done = true;
            PostMessageW(main, WM_NULL, 0, 0);
        });
        MSG msg;
        while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        worker.join();
        const LRESULT topAfter = SendMessageW(list, LVM_GETTOPINDEX, 0, 0);

        // What a refresh cost when it refilled the list.
        std::vector<double> refills;
        for (int i = 0; i < 5; ++i) {
            t = Now();
            settings.SendToWindow(PAGE_PROJECTS, UM_CLEAR_PROJECTS, 0);
            settings.SendToWindow(PAGE_PROJECTS, UM_REFRESH, planKey);
            refills.push_back(Now() - t);
        }

        if (refreshes.empty()) throw std::runtime_error("no row was built");
        const double build = Mean(builds), refresh = Mean(refreshes), refill = Mean(refills);
        std::printf("rows %d, built %d with the stand-in (%s), stand-in at %s\n", n, int(builds.size()),
                    GetACP() == 936 ? "zh" : "en", vcDir.ToUtf8().c_str());
        std::printf("first fill of the list: %.1f ms\n", 1000 * firstFill);
        std::printf("one row's build: mean %.1f ms, median %.1f ms\n", 1000 * build, 1000 * Median(builds));
        std::printf("refresh after it: mean %.2f ms, median %.2f ms, max %.2f ms\n", 1000 * refresh,
                    1000 * Median(refreshes), 1000 * *std::max_element(refreshes.begin(), refreshes.end()));
        std::printf("of which the trip to the window thread (an empty message): mean %.2f ms\n",
                    1000 * Mean(deliveries));
        std::printf("whole refill (clear + show): mean %.1f ms = %.3f of a build\n", 1000 * refill, refill / build);
        std::printf("top row %ld before the builds, %ld after\n", long(topBefore), long(topAfter));
        std::printf("RESULT refresh / build = %.4f (goal < 0.1)\n", refresh / build);
        if (builds.size() != keys.size() || refresh / build >= 0.1) status = 1;

        page.Destroy();
        DestroyWindow(main);
        plan = PlanId_cl();
        settings.Close();
    } catch (const Base_ns::Error_cl& e) {
        std::printf("error: %s\n", e.Text().ToUtf8().c_str());
        status = 1;
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
        status = 1;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + product).c_str());
    OverrideModuleDirectory(String_cl());
    RemoveTree(ws);
    CoUninitialize();
    return status;
}
