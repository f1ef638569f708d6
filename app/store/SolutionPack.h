#pragma once
// The solutions of one plan: Visual Studio solution files and lone project
// files the user added, each with the projects it contains and, for each
// project, the row that stands for it in the plan's project list. The store
// turns solutions into rows for the plan's configuration, re-derives the rows
// when the configuration changes, removes a solution with the rows only it
// used, and cleans a solution with the builder's /clean switch.
#include <cstdint>
#include <exception>
#include <map>
#include "common/base/Error.h"
#include "common/base/String.h"
#include "common/container/CommonContainer.h"
#include "common/container/DList.h"
#include "common/container/List.h"
#include "common/io/XMLFile.h"
#include <vector>
#include "app/engine/BuildGraph.h"
#include "app/engine/MProjectPack.h"
#include "app/engine/ProjectPack.h"
#include "app/engine/SerialPack.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct ProjectInfo_st {
    ProjectId_cl project;   // kept while the configuration changes
    MProjectId_cl row;      // may be shared with another solution of the plan
    // Upper-cased solution configuration → project configuration, as the
    // solution file maps them; empty for a lone project file.
    std::map<String_cl, String_cl> configurations;
    // Paths of the solution's projects the solution says this one depends
    // on; empty for a lone project file.
    std::vector<String_cl> dependencies;
};

struct Solution_st {
    String_cl path;   // as the user added it; the entry is the file it names, however spelt
    Container_ns::List_tl<ProjectInfo_st> projects;
    // Not empty when the last read of the file failed (ReadSolutions): the
    // reader's message. Such an entry has no projects and is not cleaned,
    // for what its file would clean is built by no row.
    String_cl unreadable;
};

class SolutionId_cl : public Container_ns::DList_tl<Solution_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<Solution_st>::Identifier_cl;
    SolutionId_cl() = default;
    SolutionId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"SolutionId_cl"; }
};

class SolutionPack_cl
    : public Container_ns::CommonContainer_tl<Container_ns::DList_tl<Solution_st>, Solution_st> {
public:
    using Persistent_cl =
        Container_ns::CommonContainer_tl<Container_ns::DList_tl<Solution_st>, Solution_st>;

    // One Visual C++ project as a solution file lists it.
    struct ProjectOriInfo_st {
        String_cl path;   // absolute project file path
        String_cl guid;   // as written, braces included
        std::map<String_cl, String_cl> configurations;  // upper-cased solution config → project config
        // GUIDs of the projects the solution says this one depends on
        // (ProjectDependencies), as written.
        std::vector<String_cl> dependencies;
    };

    // Only the path of each entry is kept in the data file; the projects are
    // found again by the first read after loading.
    class StorageProcess_cl : public Persistent_cl::XMLStorageProcess_cl {
    public:
        String_cl ElementName() override;
        void WriteItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                       const Solution_st& item) override;
        int32_t ReadItem(IO_ns::XMLFile_cl& file, IO_ns::XMLFile_cl::ElementId_cl& element,
                         Solution_st& item) override;
        const wchar_t* ClassName() const override { return L"StorageProcess_cl"; }
    };

    SolutionPack_cl() = default;
    ~SolutionPack_cl() override;

    Solution_st* NewData() override;
    void DeleteData(Solution_st* data) override;
    const wchar_t* ClassName() const override { return L"SolutionPack_cl"; }

    // 1 when every entry's projects were found from the files for the current
    // configuration; 0 after loading, until the next ReadSolutions.
    int32_t Read() const { return m_read; }
    void SetRead(int32_t read) { m_read = read; }

    // Nothing happens for a file already present under any spelling. A solution
    // is read before the entry is made, so a reader error changes nothing;
    // a later failure removes the half-made entry before passing on.
    void AddSolution(const String_cl& path, const String_cl& config, MProjectPack_cl& rows,
                     ProjectPack_cl& projects, SerialPack_cl& sequences);
    // Already read: refreshes the rows' states and returns 0. Otherwise reads
    // every entry again, rebuilding all rows, and returns 1. A user error of
    // one solution file (its name added to the note) leaves that entry
    // without projects while the others are read all the same; the errors go
    // to refused, or, without it, the first is raised once all are read.
    // After such an error the store stays unread.
    int32_t ReadSolutions(const String_cl& config, MProjectPack_cl& rows, ProjectPack_cl& projects,
                          SerialPack_cl& sequences, std::vector<std::exception_ptr>* refused = nullptr);
    // New rows for another configuration, from the tables read before; no
    // file is read again.
    void ChangeConfiguration(const String_cl& config, MProjectPack_cl& rows, ProjectPack_cl& projects,
                             SerialPack_cl& sequences);
    // Drops the rows that only this entry held, then erases the entry.
    void RemoveSolution(SolutionId_cl& solution, MProjectPack_cl& rows, ProjectPack_cl& projects);
    // This store becomes a copy of source; each project is re-pointed at the
    // row of rows standing where its old row stands in sourceRows.
    void CopySolutions(const SolutionPack_cl& source, const MProjectPack_cl& sourceRows,
                       MProjectPack_cl& rows);
    // Runs devenv /clean on the entry, resets its projects' states and checks
    // the clean's log (user error 102 when something failed to clean, 103
    // when its summary line cannot be read).
    void CleanSolution(const SolutionId_cl& solution, MProjectPack_cl& rows, ProjectPack_cl& projects,
                       const String_cl& config, const String_cl& vcDir);

    // The entry of the file path names, however either is spelt; empty when none.
    SolutionId_cl FindSolution(const String_cl& path) const;

    void SaveSolutions(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);
    void LoadSolutions(IO_ns::XMLFile_cl& file, const IO_ns::XMLFile_cl::ElementId_cl& parent);

    Base_ns::SysError_cl SysError(int32_t code, int32_t line, const String_cl& note) const;
    Base_ns::UserError_cl UserError(int32_t code, int32_t line, const String_cl& note) const;

private:
    // Appends the projects of a read solution (or the lone project file) to
    // entry, each with its row for config.
    void AddProjects(Solution_st& entry,
                     const Container_ns::List_tl<ProjectOriInfo_st>& found, const String_cl& config,
                     MProjectPack_cl& rows, ProjectPack_cl& projects, SerialPack_cl& sequences);
    void AddLoneProject(Solution_st& entry, const String_cl& config, MProjectPack_cl& rows,
                        ProjectPack_cl& projects, SerialPack_cl& sequences);
    // Reads the entry's files again and rebuilds its projects.
    void FillEntry(Solution_st& entry, const String_cl& config, MProjectPack_cl& rows,
                   ProjectPack_cl& projects, SerialPack_cl& sequences);

    int32_t m_read = 1;
};

bool IsSolutionPath(const String_cl& path);

// The dependencies the plan's solution files declare between their projects.
std::vector<DeclaredDependency_st> DeclaredDependencies(const SolutionPack_cl& solutions);

} // namespace Quorvane_ns
