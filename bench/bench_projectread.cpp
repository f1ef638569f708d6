// Reading the project files of a large plan whose projects share sheets,
// measured in one run under Wine against the same projects with everything
// written inline:
//   sheets  N (1000) .vcxproj, each importing the same three property
//           sheets in every configuration, under one Directory.Build.props;
//   inline  the same N projects with the sheets' and the
//           Directory.Build.props's elements written into each project where
//           the imports stand.
// Each pass reads every project into a new project store inside one read
// scope, as the read of a plan does (SolutionPack_cl::ReadSolutions). The
// passes run in three rounds of sheets, inline, inline, sheets, so that a
// load that changes during the run weighs on both. Both trees must give the same
// records (outputs, folders, libraries and references, with the trees' own
// roots taken out). Then one untimed read of the sheets tree through an
// explicit cache counts the files parsed (each sheet once), and the
// projects' own files are parsed alone, timed, to tell parsing from
// evaluating.
//
//     cmake --build <build> --target bench_projectread
//     QV_BUILD_DIR=<build> cmake/wine-run.sh <build>/bin/bench_projectread.exe [N]
//
// Goals: ratio sheets / inline at most 1.5; parsed files N + 4. The exit
// status is 1 when a goal is missed or the records differ.
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>
#include "app/engine/ProjectPack.h"
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "bench/BenchSupport.h"
#include "common/base/Error.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using namespace Bench_ns;

namespace {

const wchar_t kOpen[] = L"<Project ToolsVersion=\"4.0\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n";

// The elements of the three sheets and of the Directory.Build.props, as a
// code base writes them: folders and names by configuration, libraries
// under conditions on property functions, the compiler's settings.
const wchar_t kDirectoryBuild[] = LR"xml(  <PropertyGroup>
    <OutDir>$(SolutionDir)bin\$(Platform)\$(Configuration)\</OutDir>
    <IntDir>$(SolutionDir)obj\$(MSBuildProjectName)\$(Platform)\$(Configuration)\</IntDir>
    <CodeBase>$([MSBuild]::ValueOrDefault('$(CodeBase)', 'bench'))</CodeBase>
  </PropertyGroup>
)xml";
const wchar_t kCommon[] = LR"xml(  <PropertyGroup>
    <Linkage Condition="$(Configuration.IndexOf('Release')) != -1">release</Linkage>
    <Linkage Condition="'$(Linkage)' == ''">debug</Linkage>
    <TargetName>$(ProjectName)$(Configuration.Replace('Release', '').ToLower())</TargetName>
  </PropertyGroup>
)xml";
const wchar_t kLibraries[] = LR"xml(  <ItemDefinitionGroup>
    <Link>
      <AdditionalDependencies>ws2_32.lib;$(CodeBase)_$(Linkage).lib;%(AdditionalDependencies)</AdditionalDependencies>
      <GenerateDebugInformation>true</GenerateDebugInformation>
    </Link>
    <Lib>
      <AdditionalOptions>/ignore:4221 %(AdditionalOptions)</AdditionalOptions>
    </Lib>
  </ItemDefinitionGroup>
)xml";
const wchar_t kWarnings[] = LR"xml(  <ItemDefinitionGroup>
    <ClCompile>
      <WarningLevel>Level4</WarningLevel>
      <TreatWarningAsError>true</TreatWarningAsError>
      <PreprocessorDefinitions>WIN32;_WINDOWS;NOMINMAX;%(PreprocessorDefinitions)</PreprocessorDefinitions>
      <AdditionalIncludeDirectories>$(SolutionDir)include;%(AdditionalIncludeDirectories)</AdditionalIncludeDirectories>
      <MultiProcessorCompilation>true</MultiProcessorCompilation>
    </ClCompile>
  </ItemDefinitionGroup>
)xml";

const wchar_t* const kConfigurations[] = {L"Debug|Win32", L"Release|x64"};

String_cl Condition(const wchar_t* configuration)
{
    return L"Condition=\"'$(Configuration)|$(Platform)'=='" + String_cl(configuration) + L"'\"";
}

// A project as Visual Studio 2022 writes it; sheets: its imports, else the
// sheets' elements inline.
String_cl ProjectText(int i, bool sheets)
{
    const String_cl name = L"p" + String_cl::FromInt(i);
    String_cl t = String_cl(L"<Project DefaultTargets=\"Build\" ToolsVersion=\"17.0\" ") +
                  L"xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n  <ItemGroup Label=\"ProjectConfigurations\">\r\n";
    for (const wchar_t* c : kConfigurations) {
        const String_cl s = c;
        t += L"    <ProjectConfiguration Include=\"" + s + L"\"><Configuration>" + s.substr(0, s.find(L'|')) +
             L"</Configuration><Platform>" + s.substr(s.find(L'|') + 1) + L"</Platform></ProjectConfiguration>\r\n";
    }
    t += L"  </ItemGroup>\r\n  <PropertyGroup Label=\"Globals\"><ProjectGuid>{6A2B3C4D-0000-4000-8000-" +
         String_cl::FromInt(100000000000LL + i) + L"}</ProjectGuid><RootNamespace>" + name +
         L"</RootNamespace></PropertyGroup>\r\n";
    if (!sheets) t += kDirectoryBuild;
    t += L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.Default.props\" />\r\n";
    for (const wchar_t* c : kConfigurations)
        t += L"  <PropertyGroup " + Condition(c) + L" Label=\"Configuration\"><ConfigurationType>" +
             (i % 2 ? L"DynamicLibrary" : L"StaticLibrary") +
             L"</ConfigurationType><PlatformToolset>v143</PlatformToolset><CharacterSet>Unicode</CharacterSet></PropertyGroup>\r\n";
    t += L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.props\" />\r\n";
    if (sheets) {
        for (const wchar_t* c : kConfigurations)
            t += L"  <ImportGroup Label=\"PropertySheets\" " + Condition(c) +
                 L">\r\n    <Import Project=\"$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props\" "
                 L"Condition=\"exists('$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props')\" />\r\n"
                 L"    <Import Project=\"..\\sheets\\Common.props\" />\r\n    <Import Project=\"..\\sheets\\Libraries.props\" />\r\n"
                 L"    <Import Project=\"..\\sheets\\Warnings.props\" />\r\n  </ImportGroup>\r\n";
    } else {
        t += String_cl(kCommon) + kLibraries + kWarnings;
    }
    for (const wchar_t* c : kConfigurations)
        t += L"  <ItemDefinitionGroup " + Condition(c) +
             L">\r\n    <ClCompile><Optimization>Disabled</Optimization></ClCompile>\r\n"
             L"    <Link><SubSystem>Windows</SubSystem></Link>\r\n  </ItemDefinitionGroup>\r\n";
    t += L"  <ItemGroup>\r\n";
    for (int f = 0; f < 8; ++f) t += L"    <ClCompile Include=\"src\\file" + String_cl::FromInt(f) + L".cpp\" />\r\n";
    t += L"  </ItemGroup>\r\n";
    if (i > 0)
        t += L"  <ItemGroup><ProjectReference Include=\"..\\p" + String_cl::FromInt(i - 1) + L"\\p" + String_cl::FromInt(i - 1) +
             L".vcxproj\"><Project>{6A2B3C4D-0000-4000-8000-" + String_cl::FromInt(100000000000LL + i - 1) +
             L"}</Project></ProjectReference></ItemGroup>\r\n";
    return t + L"  <Import Project=\"$(VCTargetsPath)\\Microsoft.Cpp.targets\" />\r\n</Project>\r\n";
}

bool WriteUtf8(const String_cl& path, const String_cl& text)
{
    return WriteFileBytes(path, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n" + text.ToUtf8());
}

bool WriteTree(const String_cl& root, int n, bool sheets)
{
    bool ok = CreateDirectoryW(root.c_str(), nullptr) != 0;
    if (sheets) {
        CreateDirectoryW((root + L"\\sheets").c_str(), nullptr);
        ok = WriteUtf8(root + L"\\Directory.Build.props", kOpen + String_cl(kDirectoryBuild) + L"</Project>\r\n") && ok;
        ok = WriteUtf8(root + L"\\sheets\\Common.props", kOpen + String_cl(kCommon) + L"</Project>\r\n") && ok;
        ok = WriteUtf8(root + L"\\sheets\\Libraries.props", kOpen + String_cl(kLibraries) + L"</Project>\r\n") && ok;
        ok = WriteUtf8(root + L"\\sheets\\Warnings.props", kOpen + String_cl(kWarnings) + L"</Project>\r\n") && ok;
    }
    for (int i = 0; i < n; ++i) {
        const String_cl folder = root + L"\\p" + String_cl::FromInt(i);
        CreateDirectoryW(folder.c_str(), nullptr);
        ok = WriteUtf8(folder + L"\\p" + String_cl::FromInt(i) + L".vcxproj", ProjectText(i, sheets)) && ok;
    }
    return ok;
}

String_cl ProjectPath(const String_cl& root, int i)
{
    return root + L"\\p" + String_cl::FromInt(i) + L"\\p" + String_cl::FromInt(i) + L".vcxproj";
}

// One read of the plan: a new store, every project read inside one scope.
// Returns the seconds; records receives what was read, the root taken out.
double ReadPass(const String_cl& root, int n, std::vector<String_cl>* records)
{
    ProjectPack_cl projects;
    const String_cl solution = root + L"\\all.sln";
    const double t0 = Now();
    {
        ProjectPack_cl::ReadScope_cl read(projects);
        for (int i = 0; i < n; ++i) projects.FindOrAdd(ProjectPath(root, i), solution);
    }
    const double seconds = Now() - t0;
    if (records) {
        records->clear();
        for (ProjectId_cl id = projects.First(); !id.IsEmpty(); id = id.Next()) {
            String_cl r = id->name + L" " + id->unreadable;
            for (const auto& [key, e] : id->configurations) {
                r += L"\n " + key + L" " + e.output + L" " + e.outputFile + L" " + e.importLibrary + L" " + e.programDatabase +
                     L" " + e.compilerDatabase + L" " + e.outputFolder + L" " + e.intermediateFolder;
                for (const String_cl& l : e.libraries) r += L" " + l;
                for (const String_cl& u : e.unknowns) r += L" ?" + u;
            }
            for (const String_cl& ref : id->references) r += L"\n ref " + ref;
            r.ReplaceAll(root, L"~");
            records->push_back(r);
        }
    }
    return seconds;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int n = argc > 1 ? _wtoi(argv[1]) : 1000;
    if (n <= 0) {
        std::fputs("usage: bench_projectread.exe [projects]\n", stderr);
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const String_cl ws = TempFolder(L"projectread");
    const String_cl withSheets = ws + L"\\sheets-tree", inlined = ws + L"\\inline-tree";
    int status = 0;
    try {
        if (!WriteTree(withSheets, n, true) || !WriteTree(inlined, n, false)) {
            std::fprintf(stderr, "cannot write the trees\n");
            status = 1;
        } else {
            std::vector<String_cl> a, b;
            std::printf("%d projects, 2 configurations each; 3 sheets and a Directory.Build.props, or all inline\n", n);
            // Three rounds of sheets, inline, inline, sheets.
            std::vector<double> sheets, inline_;
            for (int round = 0; round < 3; ++round) {
                sheets.push_back(ReadPass(withSheets, n, round == 0 ? &a : nullptr));
                inline_.push_back(ReadPass(inlined, n, round == 0 ? &b : nullptr));
                inline_.push_back(ReadPass(inlined, n, nullptr));
                sheets.push_back(ReadPass(withSheets, n, nullptr));
            }
            auto show = [n](const char* what, const std::vector<double>& passes) {
                double sum = 0;
                std::printf("%s:", what);
                for (double p : passes) {
                    std::printf(" %.3f", p);
                    sum += p;
                }
                std::printf(" s; %.3f s in all, %.2f ms a project\n", sum, 1000.0 * sum / passes.size() / n);
                return sum;
            };
            const double sheetsTime = show("sheets", sheets), inlineTime = show("inline", inline_);
            const bool same = a == b;
            if (!same) {
                for (size_t i = 0; i < a.size() && i < b.size(); ++i)
                    if (a[i] != b[i]) {
                        std::printf("records differ, first at project %zu:\n%s\n--\n%s\n", i, a[i].ToUtf8().c_str(),
                                    b[i].ToUtf8().c_str());
                        break;
                    }
            }

            // Through a cache of its own: what one read parses. Then the
            // projects' own files parsed alone, to tell the parse from the
            // evaluation.
            ProjectFileCache_cl cache;
            for (int i = 0; i < n; ++i) {
                Project_st project;
                project.path = ProjectPath(withSheets, i);
                project.solution = withSheets + L"\\all.sln";
                ReadProjectFile(project, &cache);
            }
            const size_t parsed = cache.Parsed();
            const double p0 = Now();
            for (int i = 0; i < n; ++i) cache.Parse(ProjectPath(withSheets, i), ProjectFileCache_cl::Dialect_en::MsBuild);
            const double parsing = Now() - p0;
            const double ratio = sheetsTime / inlineTime;
            std::printf("files parsed in one read of the sheets tree: %zu (%d projects + 4 sheets)\n", parsed, n);
            std::printf("parsing the projects' own files alone: %.3f s, %.2f ms a project\n", parsing, 1000.0 * parsing / n);
            std::printf("RESULT sheets / inline = %.3f (goal <= 1.5)%s\n", ratio, same ? "" : "  [records differ]");
            if (!same || ratio > 1.5 || parsed != static_cast<size_t>(n) + 4) status = 1;
        }
    } catch (const Base_ns::Error_cl& e) {
        std::printf("error: %s\n", e.Text().ToUtf8().c_str());
        status = 1;
    }
    RemoveTree(ws);
    CoUninitialize();
    return status;
}
