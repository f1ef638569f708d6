#pragma once
// Builds, rebuilds or cleans projects the way the stand-in pretends to: it
// "compiles" by looking for #error directives, "links" by looking for the
// libraries the project names, and produces small placeholder outputs. It
// writes what the real builder would write and keeps the counts for the
// closing summary line.
#include <string>
#include <vector>
#include "tools/vs-standin/Messages.h"
#include "tools/vs-standin/ProjectFile.h"
#include "tools/vs-standin/Trace.h"

namespace Standin_ns {

class Builder_cl {
public:
    Builder_cl(Verb_en verb, const Messages_cl& messages);

    // Text for standard output; written in the ANSI code page by Flush.
    void Write(const std::wstring& text) { m_text += text; }
    void Flush();

    // What the run was asked to build (the project file, the project /project
    // names, or the solution), for the trace.
    void SetAsked(const std::wstring& asked) { m_asked = asked; }
    // One project file (.vcproj or .icproj to 2008, .vcxproj to the later
    // ones) in a project configuration. solutionPath is the solution
    // building it, or empty. A dependency is a project built only because
    // the one asked for needs it: when it is up to date, it takes no time.
    void Project(const std::wstring& path, const std::wstring& config, const std::wstring& solutionPath,
                 bool dependency = false);
    // A project that a solution lists but whose file does not exist.
    void MissingProject(const std::wstring& path);
    // A project that the solution does not build in this configuration.
    void Skip() { ++m_skipped; }
    // The same, when a build of one project reaches it: said in the log.
    void NotSelected(const std::wstring& name, const std::wstring& config);
    // The counters, and what 2022 writes after them.
    void Summary();
    bool AnyFailed() const { return m_failed > 0; }

private:
    enum class Outcome_en { Succeeded, Failed, UpToDate };

    // Project without the trace; config becomes the configuration as the
    // project names it, when it has that configuration.
    Outcome_en BuildProject(const std::wstring& path, std::wstring& config, const std::wstring& solutionPath,
                            bool dependency);
    Outcome_en ProjectFailed(const std::wstring& path, const std::wstring& name, const std::wstring& config,
                       const std::wstring& error);
    Outcome_en Run(const ProjectFile_cl& project, const ProjectPlan_st& plan);
    bool IsUpToDate(const ProjectPlan_st& plan) const;
    // Errors found in the sources (each with its line written out).
    int Compile(const ProjectPlan_st& plan);
    // Errors of the link step (0 or 1); creates the outputs when there are none.
    int Link(const ProjectFile_cl& project, const ProjectPlan_st& plan);
    void DeleteOutputs(const ProjectPlan_st& plan);
    void Count(Outcome_en outcome);
    // The MSBuild builders number the projects of a run and put the number
    // before each line a project writes: "1>".
    void StartNode() { ++m_node; }
    void Node(const std::wstring& text);

    Verb_en m_verb;
    Messages_cl m_messages;
    Trace_cl m_trace;
    std::wstring m_text;
    std::wstring m_asked;
    unsigned m_delayMs = 0;
    unsigned m_lingerMs = 0;  // after a project's link, before the builder goes on
    std::vector<std::wstring> m_libraryFolders;
    std::vector<std::wstring> m_pragmaLibraries;  // of the project being built, from its sources
    std::wstring m_targetMachine; // of the environment (vcvarsall.bat of 2017 and later); empty: any
    unsigned long long m_startedMs;
    int m_node = 0;
    int m_succeeded = 0;
    int m_failed = 0;
    int m_upToDate = 0;
    int m_skipped = 0;
};

} // namespace Standin_ns
