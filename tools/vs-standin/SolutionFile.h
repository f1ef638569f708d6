#pragma once
// A Visual Studio solution file as far as the stand-in builder needs it: its
// Visual C++ projects in file order, the projects each one depends on, and
// which project configuration each one builds for a solution configuration.
#include <string>
#include <vector>

namespace Standin_ns {

struct SolutionProject_st {
    std::wstring name; // as the solution names it
    std::wstring path; // full path of the .vcproj / .icproj / .vcxproj
    std::wstring guid;
    // GUIDs of the projects its ProjectDependencies section names, as written.
    std::vector<std::wstring> dependencies;
};

class SolutionFile_cl {
public:
    // Reads the file (UTF-8 with its mark, UTF-16LE with its mark, or the ANSI
    // code page). False when it cannot be read.
    bool Load(const std::wstring& path);

    const std::vector<SolutionProject_st>& Projects() const { return m_projects; }
    // The project that /project names: its display name, its path relative
    // to the solution's folder, or its full path (ignoring case); -1 when
    // the solution holds no such Visual C++ project.
    int Find(const std::wstring& project) const;
    // The index of the project with that GUID; -1 when none.
    int FindGuid(const std::wstring& guid) const;
    // The solution configuration that config names (ignoring case; a name
    // without "|" matches the first one on any platform), as the solution
    // writes it; empty when the solution declares its configurations and
    // config is not one of them.
    std::wstring ResolveConfiguration(const std::wstring& config) const;
    // The project configuration built for the solution configuration (a
    // "Build.0" line), or empty when the project is not built in it.
    std::wstring ProjectConfiguration(const std::wstring& guid, const std::wstring& solutionConfig) const;

private:
    struct Build_st {
        std::wstring guid;
        std::wstring solutionConfig;
        std::wstring projectConfig;
    };
    std::wstring m_folder;
    std::vector<SolutionProject_st> m_projects;
    std::vector<std::wstring> m_configurations;
    std::vector<Build_st> m_builds;
};

} // namespace Standin_ns
