#pragma once
// What the stand-in builder needs of a project file, whichever era wrote it:
// per configuration, the files the build produces, the sources it compiles
// and the libraries it links (ProjectPlan_st). VcProject_cl reads the 2008
// files, VcxProject_cl the MSBuild ones; the helpers below are the parts of
// the reading that both do alike.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Standin_ns {

struct SourceFile_st {
    std::wstring written; // as the project file gives it
    std::wstring path;    // full path
};

struct LibraryRef_st {
    std::wstring written; // as named in AdditionalDependencies, macros expanded
    std::wstring found;   // full path where it was found; empty when missing
};

struct ProjectPlan_st {
    std::wstring config;                // the configuration's name as the file writes it
    std::wstring intDir;                // full path, with trailing backslash
    std::vector<std::wstring> outputs;  // full paths; the first is the main output
    std::wstring importLibrary;         // full path, or empty (also listed in outputs)
    // The project file first, then the files it imports in this configuration:
    // their changes make the outputs stale.
    std::vector<std::wstring> projectFiles;
    std::vector<SourceFile_st> sources; // every listed file not excluded from this configuration
    std::vector<LibraryRef_st> libraries;
    // Where the linker looks for a library named without a folder, in order.
    std::vector<std::wstring> libraryFolders;
    bool linked = false;                // a linker runs (else a librarian, or nothing)
    // The machine the configuration's objects are for ("x86", "x64", "ARM64");
    // empty when the builder does not compare it with its environment's.
    std::wstring machine;
    std::wstring firstObject;           // the object file a link names first, as the log shows it
    // Full paths of the projects it references (ProjectReference), which a
    // solution builds before it as it builds the projects it depends on.
    std::vector<std::wstring> references;
    // Not empty when the configuration cannot be evaluated (an imported file
    // that does not exist): the builder's error line, and nothing is built.
    std::wstring error;
    // The configuration's values grew past what the builder can hold: it
    // cannot load the project, and nothing is built.
    bool outOfMemory = false;
};

class ProjectFile_cl {
public:
    virtual ~ProjectFile_cl() = default;

    // The reader for the file's kind: VcxProject_cl for a ".vcxproj", else
    // VcProject_cl (a ".vcproj", or an Intel wrapper of one).
    static std::unique_ptr<ProjectFile_cl> For(const std::wstring& path);
    static bool IsMsbuildProject(const std::wstring& path);

    // Reads the project. solutionPath is the solution building it, or empty
    // when the project is built on its own (its folder then stands for the
    // solution's). False with a reason when the file cannot be read or parsed.
    virtual bool Load(const std::wstring& path, const std::wstring& solutionPath, std::wstring& error) = 0;

    const std::wstring& Name() const { return m_name; }

    // Works out the configuration named by config (compared ignoring case; a
    // name without "|" matches the first configuration of that name on any
    // platform). False when the project has no such configuration.
    // libraryFolders are searched after the project's own folders.
    virtual bool Plan(const std::wstring& config, const std::vector<std::wstring>& libraryFolders,
                      ProjectPlan_st& plan) const = 0;

protected:
    std::wstring m_name;
};

// The value of a macro by name; false when the project does not define it.
using MacroLookup_t = std::function<bool(const std::wstring& name, std::wstring& value)>;
// Replaces every $(Name) by its value; names unknown to the lookup fall back
// to the environment, as both builders take environment variables for macros.
// A value that would pass kMaxMacroValue characters throws std::length_error:
// MSBuild runs out of memory on such a value and cannot load the project
// (macros that double each other would otherwise take every byte of the
// machine before the stand-in gives up).
constexpr size_t kMaxMacroValue = size_t(1) << 24;
std::wstring ExpandMacros(const std::wstring& text, const MacroLookup_t& lookup);

std::wstring WithSeparator(std::wstring folder);

// What a project that references this one links of it: a DLL's import
// library, or a static library; empty when it produces neither.
std::wstring LinkedLibrary(const ProjectPlan_st& plan);

// Looks for each library as the linker does: in the folders named (relative
// to the project's folder), then the project's output folder, its own folder,
// and the toolset's folders; a library named with an absolute path only
// there. Appends them to plan.libraries in the order given.
void FindLibraries(const std::vector<std::wstring>& libraries, const std::vector<std::wstring>& namedFolders,
                   const std::wstring& outputFolder, const std::wstring& projectFolder,
                   const std::vector<std::wstring>& toolsetFolders, ProjectPlan_st& plan);

} // namespace Standin_ns
