// devenv.exe of the builder stand-in: answers
//   devenv <file> /build|/rebuild|/clean "<configuration>"
//   devenv <solution> /build|/rebuild|/clean "<solution configuration>"
//          /project "<project>" [/projectconfig "<project configuration>"]
// for a solution or a Visual C++ project the way a Visual Studio
// command-line builder does, as far as build logs show. A project file given
// alone stands in a solution of its own in its folder ($(SolutionDir) is
// the project's folder); a project of a solution sees the solution's. Which
// one it stands for is fixed when it is compiled (QV_STANDIN_RELEASE: 2005,
// 2008, 2015 or 2022): 2005 and 2008 build .vcproj projects and Intel
// wrappers of them, the later ones .vcxproj projects. The edition comes from
// QV_STANDIN_EDITION (set by the installation's vcvarsall.bat). For tests:
//   QV_STANDIN_DELAY_MS=<ms>   every project takes that long;
//   QV_STANDIN_LINGER_MS=<ms>  and after its link the builder stays that much
//                              longer (as the real one writes its logs), so
//                              a build may end after another it overlapped;
//   QV_STANDIN_TRACE=<file>    every project a run goes through appends its
//                              times and what became of it (Trace.h);
//   QV_STANDIN_FAIL_FIRST_START=<file>
//                              the first run to find no such file creates it
//                              and ends at once with 9009, writing nothing: what
//                              cmd leaves when the system could not start devenv
//                              (an empty log). Later runs build.
#include <windows.h>
#include <string>
#include "tools/vs-standin/Builder.h"
#include "tools/vs-standin/Messages.h"
#include "tools/vs-standin/SolutionBuild.h"
#include "tools/vs-standin/StandinFiles.h"

using namespace Standin_ns;

#ifndef QV_STANDIN_RELEASE
#error QV_STANDIN_RELEASE names the Visual Studio the stand-in stands for
#endif

namespace {

#if QV_STANDIN_RELEASE == 2005
constexpr Release_en kRelease = Release_en::Vs2005;
#elif QV_STANDIN_RELEASE == 2008
constexpr Release_en kRelease = Release_en::Vs2008;
#elif QV_STANDIN_RELEASE == 2015
constexpr Release_en kRelease = Release_en::Vs2015;
#elif QV_STANDIN_RELEASE == 2022
constexpr Release_en kRelease = Release_en::Vs2022;
#else
#error QV_STANDIN_RELEASE must be 2005, 2008, 2015 or 2022
#endif

struct Arguments_st {
    std::wstring file;
    std::wstring config;
    std::wstring project;        // /project: the project of the solution to build
    std::wstring projectConfig;  // /projectconfig
    Verb_en verb = Verb_en::Build;
    bool verbGiven = false;
};

bool ParseArguments(int argc, wchar_t** argv, Arguments_st& args)
{
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a.empty()) continue;
        if (a[0] == L'/' || a[0] == L'-') {
            std::wstring name = a.substr(1);
            if (EqualsNoCase(name, L"project") || EqualsNoCase(name, L"projectconfig")) {
                std::wstring& value = EqualsNoCase(name, L"project") ? args.project : args.projectConfig;
                if (!value.empty() || i + 1 >= argc) return false;
                value = Trim(argv[++i]);
                if (value.empty()) return false;
                continue;
            }
            if (EqualsNoCase(name, L"build")) args.verb = Verb_en::Build;
            else if (EqualsNoCase(name, L"rebuild")) args.verb = Verb_en::Rebuild;
            else if (EqualsNoCase(name, L"clean")) args.verb = Verb_en::Clean;
            else return false;
            if (args.verbGiven || i + 1 >= argc) return false;
            args.verbGiven = true;
            args.config = argv[++i];
        } else if (args.file.empty()) {
            args.file = a;
        } else {
            return false;
        }
    }
    // /projectconfig goes with /project, and /project with a solution.
    if (!args.projectConfig.empty() && args.project.empty()) return false;
    if (!args.project.empty() && !EndsWithNoCase(Trim(args.file), L".sln")) return false;
    return args.verbGiven && !args.file.empty() && !Trim(args.config).empty();
}

// Creating the file is what claims the failure, so of several runs started
// at once exactly one fails.
bool FailThisStart()
{
    std::wstring marker = EnvironmentValue(L"QV_STANDIN_FAIL_FIRST_START");
    if (marker.empty()) return false;
    HANDLE h = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FailThisStart()) return 9009;
    Messages_cl messages = Messages_cl::FromEnvironment(kRelease);
    Arguments_st args;
    bool valid = ParseArguments(argc, argv, args);
    Builder_cl builder(args.verb, messages);
    builder.Write(messages.Banner());
    if (!valid) {
        builder.Write(messages.Usage());
        builder.Flush();
        return 1;
    }
    std::wstring path = FullPath(std::wstring(), Trim(args.file));
    if (!FileExists(path)) {
        builder.Write(messages.FilesNotFound(args.file));
        builder.Flush();
        return 1;
    }
    std::wstring config = Trim(args.config);
    if (EndsWithNoCase(path, L".sln"))
        return BuildSolution(builder, messages, path, config, args.project, args.projectConfig);
    builder.Project(path, config, std::wstring());
    builder.Summary();
    return builder.AnyFailed() ? 1 : 0;
}
