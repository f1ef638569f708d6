#pragma once
// A Visual C++ 2008 project file (".vcproj", or an Intel ".icproj" wrapping
// one) as far as the stand-in builder needs it: per configuration, the files
// the build produces, the sources it compiles and the libraries it links.
#include <string>
#include <vector>
#include "tools/vs-standin/MiniXml.h"

namespace Standin_ns {

struct SourceFile_st {
    std::wstring written; // RelativePath as the project file gives it
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
    std::vector<SourceFile_st> sources; // every listed file not excluded from this configuration
    std::vector<LibraryRef_st> libraries;
    bool linked = false;                // a linker runs (else a librarian, or nothing)
};

class VcProject_cl {
public:
    // Reads the project. solutionPath is the solution building it, or empty
    // when the project is built on its own (its folder then stands for the
    // solution's). False with a reason when the file cannot be read or parsed.
    bool Load(const std::wstring& path, const std::wstring& solutionPath, std::wstring& error);

    const std::wstring& Name() const { return m_name; }
    // The project files whose changes make the outputs stale.
    const std::vector<std::wstring>& ProjectFiles() const { return m_projectFiles; }

    // Works out the configuration named by config (compared ignoring case; a
    // name without "|" matches the first configuration of that name on any
    // platform). False when the project has no such configuration.
    // libraryFolders are searched after the project's own folders. The
    // libraries of the projects it references (References/ProjectReference)
    // are linked too, unless withReferences is false.
    bool Plan(const std::wstring& config, const std::vector<std::wstring>& libraryFolders,
              ProjectPlan_st& plan, bool withReferences = true) const;

private:
    const XmlElement_st* FindConfiguration(const std::wstring& config) const;
    void CollectFiles(const XmlElement_st& parent, const std::wstring& config, std::vector<SourceFile_st>& out) const;
    // What the referenced projects produce for config that a linker links.
    std::vector<LibraryRef_st> ReferencedLibraries(const std::wstring& config,
                                                   const std::vector<std::wstring>& libraryFolders) const;

    std::wstring m_folder;       // of the .vcproj, with trailing backslash
    std::wstring m_name;
    std::wstring m_solutionPath; // solution file, or the project file itself
    std::vector<std::wstring> m_projectFiles;
    XmlElement_st m_root;
};

} // namespace Standin_ns
