#pragma once
// A Visual C++ project file of Visual Studio 2010 and later (".vcxproj",
// MSBuild XML), evaluated per project configuration the way MSBuild would
// for what a build produces and links:
//   - properties in document order, through the project's own imports (the
//     installation's, under $(VCTargetsPath), are not read; an import that
//     does not exist is MSBuild's error MSB4019, which fails the project);
//     later definitions win; global
//     properties (Configuration, Platform, SolutionDir, the project's paths)
//     cannot be redefined;
//   - conditions that compare two quoted texts with == or != (macros
//     expanded, case ignored), such as the editors' own
//     '$(Configuration)|$(Platform)'=='Debug|Win32', on groups, imports,
//     properties, items and metadata; any other condition (Exists(), and,
//     or, ...) is taken as false, and Choose is not read;
//   - item definitions after all properties, where %(Name) stands for what
//     earlier definitions gave (the linker's AdditionalDependencies start
//     with the standard system libraries, as the installation defines them);
//   - the installation's defaults: ConfigurationType Application, OutDir
//     $(SolutionDir)$(Configuration)\ for Win32 and
//     $(SolutionDir)$(Platform)\$(Configuration)\ otherwise, IntDir the same
//     under the project's folder, TargetName $(ProjectName), TargetExt from
//     the type, OutputFile $(OutDir)$(TargetName)$(TargetExt), the import
//     library beside the DLL; OutDir and IntDir end with a backslash;
//   - ProjectReference items: the library of a referenced static library or
//     DLL is linked (unless LinkLibraryDependencies is false), where that
//     project puts it in this configuration when built through the same
//     solution, or alone when this one is built alone.
// $(SolutionDir) is the solution's folder, or the project's own when it is
// built alone. Utility and Makefile projects produce nothing.
#include <string>
#include <vector>
#include "tools/vs-standin/MiniXml.h"
#include "tools/vs-standin/ProjectFile.h"

namespace Standin_ns {

class VcxProject_cl : public ProjectFile_cl {
public:
    bool Load(const std::wstring& path, const std::wstring& solutionPath, std::wstring& error) override;
    bool Plan(const std::wstring& config, const std::vector<std::wstring>& libraryFolders,
              ProjectPlan_st& plan) const override;

private:
    struct Configuration_st {
        std::wstring name; // "Debug|Win32", as the ProjectConfiguration item names it
        std::wstring configuration;
        std::wstring platform;
    };
    const Configuration_st* FindConfiguration(const std::wstring& config) const;
    bool Evaluate(const std::wstring& config, const std::vector<std::wstring>& libraryFolders, bool withReferences,
                  ProjectPlan_st& plan) const;
    bool EvaluateConfiguration(const Configuration_st& c, const std::vector<std::wstring>& libraryFolders,
                               bool withReferences, ProjectPlan_st& plan) const;
    // The libraries of the projects this one references, where they put them.
    std::vector<std::wstring> ReferencedLibraries(const std::vector<std::wstring>& references,
                                                  const std::wstring& config,
                                                  const std::vector<std::wstring>& libraryFolders) const;

    std::wstring m_path;
    std::wstring m_folder;       // with trailing backslash
    std::wstring m_solutionPath; // as given: empty when the project is built alone
    XmlElement_st m_root;
    std::vector<Configuration_st> m_configurations;
};

} // namespace Standin_ns
