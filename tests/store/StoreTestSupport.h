#pragma once
// Files and stores that the store tests build on: small Visual C++ project
// files the project reader and the builder stand-in both accept, solution
// files as Visual Studio 2008 saves them, and one plan's worth of stores.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <map>
#include <vector>
#include "app/engine/MProjectPack.h"
#include "app/engine/ProjectPack.h"
#include "app/engine/SerialPack.h"
#include "app/store/PlanPack.h"
#include "app/store/SolutionPack.h"
#include "common/io/XMLFile.h"
#include "app/ProgramPlaces.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

namespace StoreTest_ns {

using Base_ns::String_cl;

class ComScope_cl {
public:
    ComScope_cl() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope_cl()
    {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }

private:
    HRESULT m_hr;
};

// A static library project with the configurations Debug|Win32 and
// Release|Win32, producing <name>.lib in the folder of the configuration.
inline void WriteProject(const String_cl& path, const String_cl& name)
{
    Test_ns::VcProject_st project{name};
    for (const String_cl c : {L"Debug", L"Release"})
        project.configurations.push_back({c + L"|Win32", 4, {Test_ns::Librarian(L"$(OutDir)\\" + name + L".lib")},
                                          {{L"OutputDirectory", L"$(ProjectDir)" + c}}});
    Test_ns::WriteVcproj(path, project);
}

struct SlnProject_st {
    String_cl name;
    String_cl relativePath;
    String_cl guid;
    // Solution configuration → project configuration (Build.0 lines).
    std::map<String_cl, String_cl> builds;
    // GUIDs of the projects the solution says this one needs.
    std::vector<String_cl> needs;
};

// UTF-8 with its mark, as Visual Studio 2005 and later save solutions.
inline void WriteSolution(const String_cl& path, const std::vector<SlnProject_st>& projects)
{
    String_cl text = L"\r\nMicrosoft Visual Studio Solution File, Format Version 10.00\r\n# Visual Studio 2008\r\n";
    for (const auto& p : projects) {
        text += L"Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"" + p.name + L"\", \"" + p.relativePath +
                L"\", \"" + p.guid + L"\"\r\n";
        if (!p.needs.empty()) {
            text += L"\tProjectSection(ProjectDependencies) = postProject\r\n";
            for (const String_cl& guid : p.needs) text += L"\t\t" + guid + L" = " + guid + L"\r\n";
            text += L"\tEndProjectSection\r\n";
        }
        text += L"EndProject\r\n";
    }
    text += L"Global\r\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\r\n";
    for (const auto& p : projects) {
        for (const auto& b : p.builds) {
            text += L"\t\t" + p.guid + L"." + b.first + L".ActiveCfg = " + b.second + L"\r\n";
            text += L"\t\t" + p.guid + L"." + b.first + L".Build.0 = " + b.second + L"\r\n";
        }
    }
    text += L"\tEndGlobalSection\r\nEndGlobal\r\n";
    Test_ns::WriteBytes(path, "\xEF\xBB\xBF" + text.ToUtf8());
}

inline std::map<String_cl, String_cl> BothConfigs()
{
    return {{L"Debug|Win32", L"Debug|Win32"}, {L"Release|Win32", L"Release|Win32"}};
}

// Two solutions that share core: a (core, and app built only in Debug) and
// b (util, core), with their projects under dir.
inline void WriteSharingSolutions(const Test_ns::TempDir_cl& dir, const String_cl& a, const String_cl& b)
{
    WriteProject(dir / L"core\\core.vcproj", L"core");
    WriteProject(dir / L"app\\app.vcproj", L"app");
    WriteProject(dir / L"util\\util.vcproj", L"util");
    WriteSolution(a, {{L"core", L"core\\core.vcproj", L"{C0}", BothConfigs()},
                      {L"app", L"app\\app.vcproj", L"{A0}", {{L"Debug|Win32", L"Debug|Win32"}}}});
    WriteSolution(b, {{L"util", L"util\\util.vcproj", L"{U0}", BothConfigs()},
                      {L"core", L"core\\core.vcproj", L"{C1}", BothConfigs()}});
}

// One plan's rows and solutions over shared project and sequence stores,
// declared so that they are destroyed solutions first.
struct PlanStores_st {
    Quorvane_ns::SerialPack_cl sequences;
    Quorvane_ns::ProjectPack_cl projects;
    Quorvane_ns::MProjectPack_cl rows;
    Quorvane_ns::SolutionPack_cl solutions;

    void Add(const String_cl& path, const String_cl& config)
    {
        solutions.AddSolution(path, config, rows, projects, sequences);
    }
};

// The project file names of the rows, in row order.
inline std::vector<String_cl> RowNames(const Quorvane_ns::MProjectPack_cl& rows)
{
    std::vector<String_cl> names;
    for (Quorvane_ns::MProjectId_cl r = rows.First(); !r.IsEmpty(); r = r.Next())
        names.push_back(Quorvane_ns::GetFileName(r->project->path));
    return names;
}

// What the version before this one does with a data file: it reads its two
// elements (the sequence, then the plans) from under the root and nothing
// else. Returns the names of the root's children; a "版本" on any of them
// fails the calling test.
inline std::vector<String_cl> LoadAsThePredecessor(const String_cl& path, Quorvane_ns::SerialPack_cl& sequences,
                                                   Quorvane_ns::PlanPack_cl& plans)
{
    IO_ns::XMLFile_cl file;
    file.Open(path);
    IO_ns::XMLFile_cl::ElementId_cl element = file.Root().FirstChild();
    std::vector<String_cl> names;
    for (bool more = !element.IsEmpty(); more; more = element.NextSibling()) {
        names.push_back(element.Name());
        EXPECT_TRUE(element.Attribute(L"版本", false).IsEmpty()) << element.Name().ToUtf8();
    }
    sequences.LoadSequence(file, file.Root());
    plans.LoadPlans(file, file.Root());
    file.Close();
    return names;
}

} // namespace StoreTest_ns
