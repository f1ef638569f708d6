// The build rows of a large plan, measured in one run under Wine:
//   (a) creating the rows of N projects (RowFor for each, the project files
//       read and the paths registered in the sequence), with the time at
//       every 250 rows to show how it grows, and
//   (b) a whole build walk through CompileProject against the same N builds
//       run by RunBuild alone.
// The builder stand-in returns at once (no QV_STANDIN_DELAY_MS), so (b)
// compares the row build's own work with the external runs it wraps.
//
//     cmake --build <build> --target bench_rows vs_standin
//     QV_BUILD_DIR=<build> QV_CODEPAGE=936 cmake/wine-run.sh <build>/bin/bench_rows.exe [N] [options]
//
// N defaults to 2000. Options: norename (rename-compile off), onefolder (all
// project files in one folder instead of one folder per project, as
// solutions keep them), nowalk (only (a)). In one folder of thousands of
// files Wine pays a scan of the folder for every name that does not exist
// yet (it emulates case-insensitive names), which the temporary renaming
// meets twice per build. The walk and the plain runs alternate row by row (and
// which goes first alternates too), so that a machine that slows down or
// speeds up during the minutes of the run weighs on both sides alike. Before
// each timed run the project's output is deleted, so that both sides really
// build. Goals: (b) at most 1.05; (a) under 1 % of (b)'s external time.
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>
#include "bench/BenchSupport.h"
#include "app/engine/BuildRunner.h"
#include "app/engine/MProjectPack.h"
#include "app/ProgramPlaces.h"
#include "common/base/Error.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

using namespace Bench_ns;

namespace {

} // namespace

int wmain(int argc, wchar_t** argv)
{
    int n = 2000;
    bool rename = true, oneFolder = false, walkToo = true, usage = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"norename") == 0) rename = false;
        else if (std::wcscmp(argv[i], L"onefolder") == 0) oneFolder = true;
        else if (std::wcscmp(argv[i], L"nowalk") == 0) walkToo = false;
        else if ((n = _wtoi(argv[i])) <= 0) usage = true;
    }
    if (usage) {
        std::fputs("usage: bench_rows.exe [rows] [norename] [onefolder] [nowalk]\n", stderr);
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    const String_cl ws = TempFolder(L"rows");
    const String_cl projectsFolder = ws + L"\\projects\\";
    CreateDirectoryW(projectsFolder.c_str(), nullptr);
    const String_cl vcDir = StandinDirectory();
    // Cmd.txt and the rename record go to the workspace, not beside the program.
    OverrideModuleDirectory(ws + L"\\prog\\");
    CreateDirectoryW((ws + L"\\prog").c_str(), nullptr);

    std::vector<String_cl> paths;
    for (int i = 0; i < n; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%05d", i);
        const String_cl title = String_cl::FromMultiByte(name, CP_ACP);
        String_cl folder = projectsFolder;
        if (!oneFolder) {
            folder += title + L"\\";
            CreateDirectoryW(folder.c_str(), nullptr);
        }
        String_cl path = folder + title + L".vcproj";
        if (!WriteFileBytes(path, LibraryProjectXml(name))) {
            std::fprintf(stderr, "cannot write %s\n", name);
            return 1;
        }
        paths.push_back(path);
    }

    const String_cl normal = ws + L"\\logs\\正常\\", failed = ws + L"\\logs\\错误\\";
    SetRenameCompile(rename);
    int status = 0;
    try {
        SerialPack_cl sequences;
        ProjectPack_cl projects;
        MProjectPack_cl rows;

        // (a) Creating the rows. The project store's reading of the files is
        // timed on its own as well, in a store of its own.
        std::printf("rows %d, stand-in %s, rename-compile %s, %s\n", n, GetACP() == 936 ? "zh" : "en",
                    rename ? "on" : "off", oneFolder ? "all projects in one folder" : "one folder per project");
        std::printf("(a) creating rows (RowFor):\n     rows   total s   last 250: ms/row\n");
        const double a0 = Now();
        double mark = a0;
        for (int i = 0; i < n; ++i) {
            RowFor(L"Debug|Win32", rows, paths[i], projects, sequences);
            if ((i + 1) % 250 == 0 || i + 1 == n) {
                const double t = Now();
                const int block = (i + 1) % 250 == 0 ? 250 : (i + 1) % 250;
                std::printf("   %6d   %7.3f   %8.3f\n", i + 1, t - a0, 1000.0 * (t - mark) / block);
                mark = t;
            }
        }
        const double creation = Now() - a0;
        // Where the time goes: the same steps on their own, each over the
        // same paths (the list walks at their full length, so an upper bound).
        double reading = 0, lookup = 0, registering = 0, finding = 0;
        {
            ProjectPack_cl alone;
            double t = Now();
            for (const String_cl& p : paths) alone.FindOrAdd(p);
            reading = Now() - t;
            t = Now();
            for (const String_cl& p : paths) alone.FindOrAdd(p);
            lookup = Now() - t;
            SerialPack_cl sequence;
            t = Now();
            for (const String_cl& p : paths) sequence.Register(p);
            registering = Now() - t;
            t = Now();
            for (const String_cl& p : paths) FindRow(rows, p, L"Debug|Win32");
            finding = Now() - t;
        }
        std::printf("    apart: FindOrAdd reading the files %.3f s, FindOrAdd finding them in a full store %.3f s,\n"
                    "    Register into an empty sequence %.3f s, FindRow over the full rows %.3f s\n",
                    reading, lookup, registering, finding);

        if (!walkToo) {
            std::printf("RESULT (a) creating %d rows = %.3f s\n", n, creation);
        } else {
            // (b) The walk, against the same builds through RunBuild alone.
            double walk = 0, plain = 0;
            int built = 0, failures = 0;
            MProjectId_cl row = FirstPending(rows);
            while (!row.IsEmpty()) {
                MProjectId_cl current = row;
                const String_cl& path = current->project->path;
                const String_cl output = GetFileDirectory(path, true) + L"out\\" + current->project->name + L".lib";
                const String_cl params = BuildParameters(vcDir, path, L"build", current->configuration,
                                                         normal + current->project->name + L".log");
                auto runWalk = [&] {
                    DeleteFileW(output.c_str());
                    const double t = Now();
                    CompileProject(sequences, failed, rows, row, projects, normal, vcDir, false);
                    walk += Now() - t;
                };
                auto runPlain = [&] {
                    DeleteFileW(output.c_str());
                    const double t = Now();
                    RunBuild(params);
                    plain += Now() - t;
                };
                if (built % 2 == 0) {
                    runWalk();
                    runPlain();
                } else {
                    runPlain();
                    runWalk();
                }
                if (current->state != Compiled) ++failures;
                if (++built % 250 == 0) {
                    std::printf("    %d built...\n", built);
                    std::fflush(stdout);
                }
            }
            std::printf("(b) walk through CompileProject: %d rows in %.1f s; RunBuild alone: %.1f s;"
                        " %.1f ms per row more\n", built, walk, plain, 1000.0 * (walk - plain) / built);
            std::printf("RESULT (b) CompileProject walk / RunBuild alone = %.4f (goal <= 1.05)%s\n", walk / plain,
                        failures ? "  [some rows did not compile]" : "");
            std::printf("RESULT (a) creating %d rows = %.3f s = %.3f %% of (b)'s external time %.1f s"
                        " (goal < 1 %%)\n", n, creation, 100.0 * creation / plain, plain);
            if (failures || built != n) status = 1;
        }
        ClearRows(rows, projects);
    } catch (const Base_ns::Error_cl& e) {
        std::printf("error: %s\n", e.Text().ToUtf8().c_str());
        status = 1;
    }
    OverrideModuleDirectory(String_cl());
    RemoveTree(ws);
    CoUninitialize();
    return status;
}
