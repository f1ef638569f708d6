#pragma once
// A Visual C++ 2008 project file (".vcproj", or an Intel ".icproj" wrapping
// one) as far as the stand-in builder needs it.
#include <string>
#include <vector>
#include "tools/vs-standin/MiniXml.h"
#include "tools/vs-standin/ProjectFile.h"

namespace Standin_ns {

class VcProject_cl : public ProjectFile_cl {
public:
    bool Load(const std::wstring& path, const std::wstring& solutionPath, std::wstring& error) override;
    bool Plan(const std::wstring& config, const std::vector<std::wstring>& libraryFolders,
              ProjectPlan_st& plan) const override;

private:
    const XmlElement_st* FindConfiguration(const std::wstring& config) const;
    void CollectFiles(const XmlElement_st& parent, const std::wstring& config, std::vector<SourceFile_st>& out) const;

    std::vector<std::wstring> m_projectFiles; // the wrapper, if any, and the .vcproj
    std::wstring m_folder;       // of the .vcproj, with trailing backslash
    std::wstring m_solutionPath; // solution file, or the project file itself
    XmlElement_st m_root;
};

} // namespace Standin_ns
