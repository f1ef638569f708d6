#include "tools/vs-standin/ProjectFile.h"
#include "tools/vs-standin/StandinFiles.h"
#include "tools/vs-standin/VcProject.h"
#include "tools/vs-standin/VcxProject.h"
#include <stdexcept>

namespace Standin_ns {

bool ProjectFile_cl::IsMsbuildProject(const std::wstring& path) { return EndsWithNoCase(path, L".vcxproj"); }

std::unique_ptr<ProjectFile_cl> ProjectFile_cl::For(const std::wstring& path)
{
    if (IsMsbuildProject(path)) return std::make_unique<VcxProject_cl>();
    return std::make_unique<VcProject_cl>();
}

std::wstring ExpandMacros(const std::wstring& text, const MacroLookup_t& lookup)
{
    std::wstring out;
    size_t pos = 0;
    for (;;) {
        size_t open = text.find(L"$(", pos);
        size_t close = open == std::wstring::npos ? open : text.find(L')', open + 2);
        if (close == std::wstring::npos) {
            out.append(text, pos, std::wstring::npos);
            return out;
        }
        out.append(text, pos, open - pos);
        std::wstring name = text.substr(open + 2, close - open - 2);
        std::wstring value;
        out += lookup(name, value) ? value : EnvironmentValue(name.c_str());
        if (out.size() > kMaxMacroValue) throw std::length_error("macro value too long");
        pos = close + 1;
    }
}

std::wstring WithSeparator(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring LinkedLibrary(const ProjectPlan_st& plan)
{
    if (!plan.importLibrary.empty()) return plan.importLibrary;
    return !plan.linked && !plan.outputs.empty() ? plan.outputs.front() : std::wstring();
}

void FindLibraries(const std::vector<std::wstring>& libraries, const std::vector<std::wstring>& namedFolders,
                   const std::wstring& outputFolder, const std::wstring& projectFolder,
                   const std::vector<std::wstring>& toolsetFolders, ProjectPlan_st& plan)
{
    std::vector<std::wstring> folders;
    for (const auto& d : namedFolders) folders.push_back(WithSeparator(FullPath(projectFolder, d)));
    if (!outputFolder.empty()) folders.push_back(outputFolder);
    folders.push_back(projectFolder);
    for (const auto& f : toolsetFolders) folders.push_back(WithSeparator(f));
    plan.libraryFolders = folders;
    for (const auto& written : libraries) {
        LibraryRef_st lib{written, std::wstring()};
        if (lib.written.empty()) continue;
        if (IsAbsolutePath(lib.written)) {
            if (FileExists(lib.written)) lib.found = FullPath(std::wstring(), lib.written);
        } else {
            for (const auto& f : folders) {
                std::wstring candidate = FullPath(f, lib.written);
                if (FileExists(candidate)) {
                    lib.found = candidate;
                    break;
                }
            }
        }
        plan.libraries.push_back(lib);
    }
}

} // namespace Standin_ns
