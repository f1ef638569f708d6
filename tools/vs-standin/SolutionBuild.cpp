#include "tools/vs-standin/SolutionBuild.h"
#include <functional>
#include <vector>
#include "tools/vs-standin/ProjectFile.h"
#include "tools/vs-standin/SolutionFile.h"
#include "tools/vs-standin/StandinFiles.h"

namespace Standin_ns {

namespace {

// The projects of the solution that project i needs built first.
std::vector<size_t> DependenciesOf(const SolutionFile_cl& solution, const std::wstring& solutionPath, size_t i,
                                   const std::wstring& config)
{
    const SolutionProject_st& p = solution.Projects()[i];
    std::vector<size_t> needs;
    for (const auto& guid : p.dependencies) {
        int j = solution.FindGuid(guid);
        if (j >= 0) needs.push_back(static_cast<size_t>(j));
    }
    // A reference to a project of the solution orders the build as a declared
    // dependency does; one outside the solution is not built.
    if (config.empty() || !FileExists(p.path)) return needs;
    std::unique_ptr<ProjectFile_cl> file = ProjectFile_cl::For(p.path);
    std::wstring error;
    ProjectPlan_st plan;
    if (file->Load(p.path, solutionPath, error) && file->Plan(config, {}, plan))
        for (const auto& reference : plan.references) {
            int j = solution.Find(reference);
            if (j >= 0) needs.push_back(static_cast<size_t>(j));
        }
    return needs;
}

} // namespace

int BuildSolution(Builder_cl& builder, const Messages_cl& messages, const std::wstring& path,
                  const std::wstring& config, const std::wstring& project, const std::wstring& projectConfig)
{
    SolutionFile_cl solution;
    if (!solution.Load(path)) {
        builder.Write(messages.FilesNotFound(path));
        builder.Flush();
        return 1;
    }
    const std::wstring solutionConfig = solution.ResolveConfiguration(config);
    if (solutionConfig.empty()) {
        builder.Write(messages.InvalidSolutionConfiguration(config));
        builder.Flush();
        return 1;
    }
    const std::vector<SolutionProject_st>& projects = solution.Projects();
    int asked = -1;
    if (!project.empty()) {
        asked = solution.Find(project);
        if (asked < 0) {
            builder.Write(messages.ProjectNotInSolution(project));
            builder.Flush();
            return 1;
        }
        builder.SetAsked(projects[static_cast<size_t>(asked)].path);
    } else {
        builder.SetAsked(path);
    }
    auto configOf = [&](size_t i) {
        std::wstring c = solution.ProjectConfiguration(projects[i].guid, solutionConfig);
        if (static_cast<int>(i) == asked && !c.empty() && !Trim(projectConfig).empty()) c = Trim(projectConfig);
        return c;
    };

    // Depth first, each project after what it needs; a circle is cut where
    // the walk meets it.
    std::vector<size_t> order;
    std::vector<int> seen(projects.size(), 0);
    std::function<void(size_t)> visit = [&](size_t i) {
        if (seen[i]) return;
        seen[i] = 1;
        for (size_t j : DependenciesOf(solution, path, i, configOf(i))) visit(j);
        order.push_back(i);
    };
    if (asked >= 0) visit(static_cast<size_t>(asked));
    for (size_t i = 0; asked < 0 && i < projects.size(); ++i) visit(i);

    for (size_t i : order) {
        const std::wstring projectConfigFor = configOf(i);
        if (projectConfigFor.empty()) {
            if (asked >= 0) builder.NotSelected(projects[i].name, solutionConfig);
            else builder.Skip();
        } else if (!FileExists(projects[i].path)) {
            builder.MissingProject(projects[i].path);
        } else {
            builder.Project(projects[i].path, projectConfigFor, path, asked >= 0 && static_cast<int>(i) != asked);
        }
    }
    builder.Summary();
    return builder.AnyFailed() ? 1 : 0;
}

} // namespace Standin_ns
