#include "tools/vs-standin/SolutionFile.h"
#include "tools/vs-standin/MiniXml.h"
#include "tools/vs-standin/StandinFiles.h"
#include <windows.h>

namespace Standin_ns {

namespace {

std::wstring DecodeText(const std::string& bytes)
{
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        return Widen(std::string_view(bytes).substr(3), CP_UTF8);
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    return Widen(bytes, CP_ACP);
}

// The quoted pieces of a line, in order.
std::vector<std::wstring> QuotedPieces(const std::wstring& line)
{
    std::vector<std::wstring> pieces;
    size_t pos = 0;
    for (;;) {
        size_t open = line.find(L'"', pos);
        if (open == std::wstring::npos) break;
        size_t close = line.find(L'"', open + 1);
        if (close == std::wstring::npos) break;
        pieces.push_back(line.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
    return pieces;
}

bool MatchesConfiguration(const std::wstring& declared, const std::wstring& asked)
{
    if (asked.find(L'|') != std::wstring::npos) return EqualsNoCase(declared, asked);
    return EqualsNoCase(declared.substr(0, declared.find(L'|')), asked);
}

} // namespace

bool SolutionFile_cl::Load(const std::wstring& path)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    std::wstring text = DecodeText(bytes);
    std::wstring folder = FolderOf(FullPath(std::wstring(), path));
    m_folder = folder;
    enum { Outside, SolutionConfigs, ProjectConfigs } section = Outside;
    // Within a Visual C++ project's entry: its ProjectDependencies section.
    bool inProject = false, inDependencies = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = Trim(std::wstring_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line.compare(0, 8, L"Project(") == 0) {
            // Project("{type}") = "name", "relative path", "{guid}"
            std::vector<std::wstring> q = QuotedPieces(line);
            inProject = false;
            if (q.size() < 4) continue;
            if (!EndsWithNoCase(q[2], L".vcproj") && !EndsWithNoCase(q[2], L".icproj") &&
                !EndsWithNoCase(q[2], L".vcxproj"))
                continue;
            m_projects.push_back({q[1], FullPath(folder, q[2]), q[3], {}});
            inProject = true;
        } else if (line == L"EndProject") {
            inProject = inDependencies = false;
        } else if (inProject && line.compare(0, 15, L"ProjectSection(") == 0) {
            inDependencies = line.find(L"(ProjectDependencies)") != std::wstring::npos;
        } else if (inProject && line == L"EndProjectSection") {
            inDependencies = false;
        } else if (inDependencies) {
            // {guid} = {guid}
            std::wstring guid = Trim(line.substr(0, line.find(L" = ")));
            if (!guid.empty()) m_projects.back().dependencies.push_back(guid);
        } else if (line.compare(0, 14, L"GlobalSection(") == 0) {
            if (line.find(L"(SolutionConfigurationPlatforms)") != std::wstring::npos) section = SolutionConfigs;
            else if (line.find(L"(ProjectConfigurationPlatforms)") != std::wstring::npos) section = ProjectConfigs;
            else section = Outside;
        } else if (line == L"EndGlobalSection") {
            section = Outside;
        } else if (section == SolutionConfigs) {
            // Debug|Win32 = Debug|Win32
            m_configurations.push_back(Trim(line.substr(0, line.find(L" = "))));
        } else if (section == ProjectConfigs) {
            // {guid}.Debug|Win32.Build.0 = Debug|Win32 (configuration names may hold dots)
            size_t eq = line.find(L" = ");
            if (eq == std::wstring::npos) continue;
            std::wstring left = Trim(line.substr(0, eq));
            static const std::wstring kind = L".Build.0";
            size_t dot = left.find(L'.');
            if (dot == std::wstring::npos || left.size() < kind.size() + dot + 1 ||
                left.compare(left.size() - kind.size(), kind.size(), kind) != 0)
                continue;
            m_builds.push_back({left.substr(0, dot), left.substr(dot + 1, left.size() - kind.size() - dot - 1),
                                Trim(line.substr(eq + 3))});
        }
    }
    return true;
}

int SolutionFile_cl::Find(const std::wstring& project) const
{
    const std::wstring full = FullPath(m_folder, project);
    for (size_t i = 0; i < m_projects.size(); ++i)
        if (EqualsNoCase(m_projects[i].path, full)) return static_cast<int>(i);
    for (size_t i = 0; i < m_projects.size(); ++i)
        if (EqualsNoCase(m_projects[i].name, project)) return static_cast<int>(i);
    return -1;
}

int SolutionFile_cl::FindGuid(const std::wstring& guid) const
{
    for (size_t i = 0; i < m_projects.size(); ++i)
        if (EqualsNoCase(m_projects[i].guid, guid)) return static_cast<int>(i);
    return -1;
}

std::wstring SolutionFile_cl::ResolveConfiguration(const std::wstring& config) const
{
    for (const auto& c : m_configurations)
        if (MatchesConfiguration(c, config)) return c;
    if (!m_configurations.empty()) return std::wstring();
    // A solution without the section: take the name from its build lines.
    for (const auto& b : m_builds)
        if (MatchesConfiguration(b.solutionConfig, config)) return b.solutionConfig;
    return config;
}

std::wstring SolutionFile_cl::ProjectConfiguration(const std::wstring& guid, const std::wstring& solutionConfig) const
{
    for (const auto& b : m_builds)
        if (EqualsNoCase(b.guid, guid) && EqualsNoCase(b.solutionConfig, solutionConfig)) return b.projectConfig;
    return std::wstring();
}

} // namespace Standin_ns
