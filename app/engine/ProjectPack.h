#pragma once
// Every distinct Visual C++ project that any solution refers to, once per
// project file path, with what it produces and how its last build ended per
// configuration. Rows of every plan share these records.
#include <cstdint>
#include <memory>
#include <vector>
#include "common/base/Error.h"
#include "common/base/FileIdentity.h"
#include "common/base/String.h"
#include "common/container/DList.h"
#include "common/container/Dictionary.h"
#include "app/engine/SerialPack.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

struct ConfigEntry_st {
    int32_t state = 0;  // row state of the last build, 0 (Normal) to 4 (CompileFailed)
    String_cl output;   // file name (no folder) of the library or program produced
    String_cl log;      // path of the last build log; empty until built
    // File names (no folder) of the libraries the linker and the librarian
    // are told to link: what other rows must have built first.
    std::vector<String_cl> libraries;
    // Full paths, ending in "\", of the folders the build writes its outputs
    // and its intermediate files (objects, the compiler's program database,
    // the build log) to. Two builds that share the intermediate folder must
    // not run at the same time; an output folder may be shared.
    String_cl outputFolder;
    String_cl intermediateFolder;
    // Full paths of the files the build writes that another build may write
    // or read at the same time: the linker's or librarian's output, the
    // import library beside a DLL, the linker's program database, and the
    // compiler's (inside the intermediate folder unless the project moves
    // it). Empty when the project produces none (or the reader could not tell).
    String_cl outputFile;
    String_cl importLibrary;
    String_cl programDatabase;
    String_cl compilerDatabase;
    // What the reader could not evaluate for this configuration (a property
    // function it does not know, a value grown past its limit), one line
    // each, for show, the log and the report; empty when all was read.
    std::vector<String_cl> unknowns;
};

struct Project_st {
    String_cl path;                 // as given when added; with solution the key, compared as files
    // The solution in whose context the project is read and built
    // ($(SolutionDir), $(SolutionName) and the like are its own, and the
    // builder is given the solution with the project); empty for a project
    // file the plan lists alone.
    String_cl solution;
    String_cl name;                 // "Name" of the project file, or the file title when missing
    SerialId_cl sequenceEntry;      // left empty by this store
    Container_ns::Dictionary_tl<ConfigEntry_st> configurations;  // key: configuration name upper-cased
    int32_t exists = 0;             // 1 when the project file was there and read
    // Full paths of the projects this one declares it depends on
    // (ProjectReference), resolved against the project's own folder.
    std::vector<String_cl> references;
    // Not empty when the project file exists but could not be read (not
    // XML, cut short, over the reader's limits): the reader's message with
    // the file named. Such a project has no configurations; its rows fail
    // without being built, naming this.
    String_cl unreadable;
    // Full paths of the files read besides the project file (its property
    // sheets, Directory.Build.props and the like): the plan's files too.
    std::vector<String_cl> sheets;
    // Full paths of the projects its solution says this one depends on
    // (ProjectDependencies), which the builder builds before it there; and
    // whether it depends there on a project the program does not read (a
    // project of another kind), which the builder then builds too.
    std::vector<String_cl> solutionDependencies;
    bool dependsOnOtherKinds = false;
    // The files path and solution name, taken when the record is made (or
    // first compared): two records never stand for one project file in one
    // solution, however either is spelt.
    Base_ns::FileIdentity_st identity;
    Base_ns::FileIdentity_st solutionIdentity;
};

class ProjectFileCache_cl;

class ProjectId_cl : public Container_ns::DList_tl<Project_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<Project_st>::Identifier_cl;
    ProjectId_cl() = default;
    ProjectId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"ProjectId_cl"; }
};

class ProjectPack_cl : public Container_ns::DList_tl<Project_st> {
public:
    ProjectPack_cl();
    ~ProjectPack_cl() override;

    Project_st* NewData() override;
    void DeleteData(Project_st* data) override;
    const wchar_t* ClassName() const override { return L"ProjectPack_cl"; }

    // The record of path read in the context of solution (empty: the project
    // file alone), both compared as the files they name (FileIdentity_st),
    // however they are spelt; otherwise a new record read
    // from the project file. A file that cannot be read is a record with
    // unreadable set; only errors that are not the file's fault (MSXML
    // missing) propagate, leaving the new record in the store.
    ProjectId_cl FindOrAdd(const String_cl& path, const String_cl& solution = String_cl());
    // 6 (NotExist) for a missing project file, 5 (Ignored) when the project
    // lacks the configuration, else the stored state.
    int32_t ProjectState(const ProjectId_cl& project, const String_cl& configuration) const;
    bool HasConfiguration(const ProjectId_cl& project, const String_cl& configuration) const;
    // Both need the entry to exist (the dictionary's error otherwise).
    String_cl OutputName(const ProjectId_cl& project, const String_cl& configuration) const;
    String_cl LogPath(const ProjectId_cl& project, const String_cl& configuration) const;
    // The entry of the configuration; null when the project lacks it.
    const ConfigEntry_st* Entry(const ProjectId_cl& project, const String_cl& configuration) const;
    // States 5 and 6 are derived and refused (system error 4); nothing is
    // stored for a missing project; a configuration it lacks is system error 3.
    void SetResult(const ProjectId_cl& project, const String_cl& configuration, int32_t state,
                   const String_cl& logPath);
    // Back to Normal, keeping the log path.
    void ResetState(const ProjectId_cl& project, const String_cl& configuration);

    // One read of a plan: while a scope lives, the project files FindOrAdd
    // reads share their parsed sheets (a sheet a thousand projects import is
    // parsed once); when the last scope ends they are let go, so the next
    // read sees files as they are then. Scopes may nest.
    class ReadScope_cl {
    public:
        explicit ReadScope_cl(ProjectPack_cl& projects);
        ~ReadScope_cl();
        ReadScope_cl(const ReadScope_cl&) = delete;
        ReadScope_cl& operator=(const ReadScope_cl&) = delete;

    private:
        ProjectPack_cl& m_projects;
    };

private:
    std::unique_ptr<ProjectFileCache_cl> m_readCache;
    int m_readScopes = 0;
};

// Whether the record was read in the context of solution (empty: the
// project file alone), however either path is spelt.
bool ReadInSolution(Project_st& record, const String_cl& solution);
// Whether two records were read in the context of one solution (or both alone).
bool ReadInSameSolution(Project_st& a, Project_st& b);

// The tables of ProjectPack_cl: system 1-4, user 101-103, source "ProjectPack".
Base_ns::SysError_cl ProjectPackSysError(int32_t code, int32_t line, const String_cl& note);
Base_ns::UserError_cl ProjectPackUserError(int32_t code, int32_t line, const String_cl& note);

} // namespace Quorvane_ns
