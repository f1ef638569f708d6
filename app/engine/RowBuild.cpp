// One row's build split at the external run: what comes before it and after
// it on the job's thread, and the run itself on any thread.
#include "app/engine/RowBuild.h"
#include "common/base/ComScope.h"
#include <windows.h>
#include <objbase.h>
#include <atomic>
#include "app/engine/BuildReach.h"
#include "app/engine/MProjectErrors.h"
#include "app/engine/OneProjectSolution.h"
#include "app/engine/RenameJournal.h"
#include "app/engine/VcInstallation.h"
#include "app/ProgramPlaces.h"
#include "common/base/Handle.h"
#include "common/io/FileStream.h"
#include "common/io/WTextOStream.h"
#include "common/io/XMLFile.h"

namespace Quorvane_ns {

namespace {

std::atomic<unsigned> g_temporaryNumber{0};

// A file just built is often still open for a moment in someone else's
// hands (a virus scanner, an indexer, the builder's helpers) without delete
// sharing, and then cannot be moved or deleted. Such a refusal is tried
// again for a while: given up at once, it leaves the project under its
// temporary name or a temporary wrapper beside it.
template <class Operation>
bool RetriedWhileInUse(Operation operation)
{
    for (int attempt = 0;; ++attempt) {
        if (operation()) return true;
        const DWORD error = GetLastError();
        const bool inUse =
            error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!inUse || attempt == 30) return false;
        Sleep(100);
    }
}

void PutAttributes(const String_cl& path, DWORD attributes)
{
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(path.c_str(), attributes);
}

// A log that is missing or empty after the run comes from a builder that
// never ran: the builder writes its banner before anything else, so only a
// start that failed (cmd or devenv, a transient refusal of the system to
// start a process) leaves an empty log. That is no verdict on the project:
// the build is started again, a few times, before the row build reports it.
void RunUntilTheBuilderRan(const String_cl& params, const String_cl& logPath)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        RunBuild(params);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW(logPath.c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeLow | data.nFileSizeHigh) != 0)
            return;
        DeleteFileW(logPath.c_str());
    }
}

void WriteCommandFile(const String_cl& params)
{
    try {
        IO_ns::FileStream_tl<IO_ns::WTextOStream_cl> file;
        file.Open(ModuleDirectory() + L"Cmd.txt");
        file.WriteString(params);
        file.Close();
    } catch (const Base_ns::Error_cl&) {
        // The build's own failure is the one to report.
    }
}

} // namespace

// The file that devenv is given, and, with rename-compile on, the project
// file moved to a temporary name in its own folder for the length of the
// build. Every move is written to the rename journal first, so that a crash
// during the build cannot leave the user's file under the temporary name;
// an error before the build ends puts everything back too.
class RowBuild_cl::BuildFile_cl {
public:
    BuildFile_cl(const String_cl& projectPath, bool rename, bool uniqueStamp)
        : m_path(projectPath), m_built(projectPath), m_rename(rename)
    {
        const String_cl folder = GetFileDirectory(m_path, true);
        const String_cl extension = GetFileExtension(m_path);
        String_cl stamp = Base_ns::TimeStampText();
        // Builds that run side by side start within one second of each other.
        if (uniqueStamp) stamp += L"-" + String_cl::FromUnsigned(++g_temporaryNumber);

        if (Base_ns::EqualsNoCase(extension, L"icproj")) {
            // An Intel C++ project wraps the .vcproj of the same name: that is
            // the file to move, and a temporary wrapper points at its new name.
            m_wrapperCase = true;
            m_moved = ReplaceExtension(m_path, L"vcproj");
            m_wrapper = folder + L"Temp" + stamp + L"." + extension;
            m_temporary = ReplaceExtension(m_wrapper, L"vcproj");
        } else {
            m_moved = m_path;
            m_temporary = folder + L"Temp" + stamp + L"." + extension;
        }
        m_attributes = GetFileAttributesW(m_moved.c_str());
        if (!m_rename) return;

        // Without a record of the rename there is no rename.
        m_journaled = RenameJournal_cl::Add(m_moved, m_temporary, m_attributes, m_wrapper);
        if (!m_journaled) return;
        SetFileAttributesW(m_moved.c_str(), FILE_ATTRIBUTE_NORMAL);
        m_renamed = MoveFileW(m_moved.c_str(), m_temporary.c_str()) != 0;
        if (!m_renamed || !m_wrapperCase) {
            if (m_renamed) m_built = m_temporary;
            return;
        }
        try {
            // The compile thread may not have started COM; the wrapper needs it.
            Base_ns::ComScope_cl com;
            IO_ns::XMLFile_cl document;
            document.Open(m_path);
            document.SetAttribute(document.Root(), L"VCNestedProjectFileName", GetFileName(m_temporary));
            document.SaveAs(m_wrapper);
            document.Close();
            m_built = m_wrapper;
        } catch (...) {
            Restore();
            throw;
        }
    }

    ~BuildFile_cl() { Restore(); }
    BuildFile_cl(const BuildFile_cl&) = delete;
    BuildFile_cl& operator=(const BuildFile_cl&) = delete;

    const String_cl& Path() const { return m_built; }

    // Puts the project file back under its name with its attributes; runs once.
    void Restore()
    {
        if (!m_rename || m_restored) return;
        m_restored = true;
        const bool back =
            m_renamed && RetriedWhileInUse([&] { return MoveFileW(m_temporary.c_str(), m_moved.c_str()) != 0; });
        if (m_journaled) PutAttributes(m_moved, m_attributes);
        // The wrapper exists only once the wrapped project has moved (and is
        // then what devenv built); an error while writing it may leave it too.
        const bool wrapperGone = !(m_wrapperCase && m_renamed) || RetriedWhileInUse([&] {
            return DeleteFileW(m_wrapper.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
        });
        // A file that could not be moved back, or a wrapper that could not be
        // deleted, stays in the record, so the next start tries again.
        if (m_journaled && (back || !m_renamed) && wrapperGone) RenameJournal_cl::Remove(m_moved, m_temporary);
    }

private:
    String_cl m_path;       // the project file as the row names it
    String_cl m_moved;      // the file that is renamed: the project, or the .vcproj it wraps
    String_cl m_temporary;  // m_moved's name during the build
    String_cl m_wrapper;    // the temporary .icproj (wrapper case only)
    String_cl m_built;      // what devenv builds
    DWORD m_attributes = INVALID_FILE_ATTRIBUTES;
    bool m_rename;
    bool m_wrapperCase = false;
    bool m_journaled = false;
    bool m_renamed = false;
    bool m_restored = false;
};

// For a rebuild of one project of a solution: the user's solution moved to a
// temporary name in its folder, and under its name a copy that builds that
// project alone (OneProjectSolution.h), for the length of the build. The
// journal records it first, as a rename with the copy for its wrapper, so
// that a crash leaves the user's solution back under its name at the next
// start.
class RowBuild_cl::SolutionCopy_cl {
public:
    SolutionCopy_cl(const String_cl& solution, const String_cl& project, const String_cl& configuration,
                    bool uniqueStamp)
        : m_solution(solution)
    {
        std::string copy;
        if (!OneProjectSolutionFile(solution, project, configuration, copy)) throw MProjectUserError(102, __LINE__, solution);
        String_cl stamp = Base_ns::TimeStampText();
        if (uniqueStamp) stamp += L"-" + String_cl::FromUnsigned(++g_temporaryNumber);
        m_temporary = GetFileDirectory(solution, true) + L"Temp" + stamp + L"." + GetFileExtension(solution);
        m_attributes = GetFileAttributesW(solution.c_str());
        if (!RenameJournal_cl::Add(solution, m_temporary, m_attributes, solution))
            throw MProjectUserError(102, __LINE__, solution);
        SetFileAttributesW(solution.c_str(), FILE_ATTRIBUTE_NORMAL);
        m_moved = MoveFileW(solution.c_str(), m_temporary.c_str()) != 0;
        if (!m_moved || !WriteNewFile(solution, copy)) {
            Restore();
            throw MProjectUserError(102, __LINE__, solution);
        }
    }
    ~SolutionCopy_cl() { Restore(); }
    SolutionCopy_cl(const SolutionCopy_cl&) = delete;
    SolutionCopy_cl& operator=(const SolutionCopy_cl&) = delete;

    // The user's solution back under its name; runs once.
    void Restore()
    {
        if (m_restored) return;
        m_restored = true;
        bool back = !m_moved;
        if (m_moved) {
            const bool copyGone = RetriedWhileInUse([&] {
                return DeleteFileW(m_solution.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
            });
            back = copyGone &&
                   RetriedWhileInUse([&] { return MoveFileW(m_temporary.c_str(), m_solution.c_str()) != 0; });
        }
        PutAttributes(m_solution, m_attributes);
        // Not back: the record stays, and the next start tries again.
        if (back) RenameJournal_cl::Remove(m_solution, m_temporary);
    }

private:
    static bool WriteNewFile(const String_cl& path, const std::string& bytes)
    {
        Base_ns::Handle_cl h(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid()) return false;
        DWORD written = 0;
        const bool whole = WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                           written == bytes.size();
        h.Reset();
        if (!whole) DeleteFileW(path.c_str());
        return whole;
    }

    String_cl m_solution;
    String_cl m_temporary;
    DWORD m_attributes = INVALID_FILE_ATTRIBUTES;
    bool m_moved = false;
    bool m_restored = false;
};

void RunRowCommand(const RowCommand_st& command) { RunUntilTheBuilderRan(command.parameters, command.logPath); }

namespace {

// The solution configuration a row of a solution is built in: the plan's, as
// the row was made; a row made otherwise keeps its own name for it.
String_cl SolutionConfigurationOf(const MProject_st& row)
{
    return row.solutionConfiguration.IsEmpty() ? row.configuration : row.solutionConfiguration;
}

} // namespace

RowBuild_cl::RowBuild_cl(const MProjectId_cl& row, const MProjectPack_cl& rows, const ProjectPack_cl& projects,
                         const String_cl& normalFolder, const String_cl& vcDir, bool rebuild, bool uniqueTemporary,
                         bool alone)
    : m_row(row), m_rebuild(rebuild)
{
    MProject_st& cur = *m_row;
    const Project_st& project = *cur.project;
    const bool inSolution = !project.solution.IsEmpty();
    if (cur.configuration.IsEmpty()) throw MProjectUserError(101, 399, String_cl());
    // What cannot go on the command line, or a project file the
    // installation's builder would want to convert, is refused before any
    // file is touched.
    CheckBuildConfiguration(cur.configuration);
    CheckBuildPath(vcDir);
    CheckBuildPath(project.path);
    if (inSolution) {
        CheckBuildConfiguration(SolutionConfigurationOf(cur));
        CheckBuildPath(project.solution);
    }
    VcInstallation_cl(vcDir).CheckProjectFile(project.path);

    if (!cur.log.IsEmpty()) DeleteFileW(cur.log.c_str());
    m_logName = LogFileName(projects, cur.project);
    m_logPath = normalFolder + m_logName;
    // Whatever lies at the new log's place (another project's log of the same
    // name, a failed log whose move was refused) must not be read as this
    // build's result when cmd fails before its redirection creates the log.
    DeleteFileW(m_logPath.c_str());
    const String_cl verb = rebuild ? L"rebuild" : L"build";
    // Renaming keeps a lone project file from the solution of its name beside
    // it, which the builder would open instead; a solution names the file
    // itself, which must stay. An MSBuild project is named after its file:
    // under a temporary name it would build "Temp….exe" and lose its
    // ".filters" and ".user" files.
    const bool rename = !inSolution && RenameCompile() && !HasExtension(project.path, L"vcxproj");

    BuildTarget_st target;
    if (inSolution) {
        target.file = project.solution;
        target.configuration = SolutionConfigurationOf(cur);
        target.project = project.path;
        target.projectConfiguration = cur.configuration;
        if (alone || (rebuild && !BuildReach_cl(rows).Alone(m_row.Serial())))
            m_solutionCopy = std::make_unique<SolutionCopy_cl>(project.solution, project.path,
                                                              target.configuration, uniqueTemporary);
    }
    m_file = std::make_unique<BuildFile_cl>(project.path, rename, uniqueTemporary);
    if (!inSolution) {
        target.file = m_file->Path();
        target.configuration = cur.configuration;
    }
    m_parameters = BuildParameters(vcDir, target, verb, m_logPath);
    CreateDirectories(m_logPath);
}

RowBuild_cl::~RowBuild_cl() = default;

LogResult_st RowBuild_cl::Finish(MProjectPack_cl& rows)
{
    m_file->Restore();
    if (m_solutionCopy) m_solutionCopy->Restore();

    const DWORD logAttributes = GetFileAttributesW(m_logPath.c_str());
    if (logAttributes == INVALID_FILE_ATTRIBUTES || (logAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        WriteCommandFile(m_parameters);
        throw MProjectUserError(102, 506, String_cl());
    }

    rows.MarkModified(m_row);
    return AnalyseLog(m_logPath, m_rebuild, rows.ClassName());
}

void RowBuild_cl::Conclude(int32_t state, const String_cl& failedFolder, ProjectPack_cl& projects)
{
    MProject_st& cur = *m_row;
    cur.state = state;
    // The failed folder holds the newest log of each project whose last
    // build failed, and nothing else: what the row, the console and the
    // report point at is always this build's log.
    const String_cl failedLog = failedFolder + m_logName;
    if (state != CompileFailed) {
        cur.log = m_logPath;
        DeleteFileW(failedLog.c_str());
    } else {
        CreateDirectories(failedLog);
        // When the move fails all the same (the folder cannot be made, an
        // older log is open in an editor), the row names the log where it is.
        cur.log = MoveFileExW(m_logPath.c_str(), failedLog.c_str(), MOVEFILE_REPLACE_EXISTING)
                      ? failedLog
                      : m_logPath;
    }
    // A row built without an entry in the project store keeps its result itself.
    if (!BuiltWithoutEntry(projects, cur)) projects.SetResult(cur.project, cur.configuration, state, cur.log);
}

void RowBuild_cl::ConcludeUnbuilt(const MProjectId_cl& row, uint32_t cause, const String_cl& normalFolder,
                                  const String_cl& failedFolder, ProjectPack_cl& projects)
{
    MProject_st& cur = *row;
    // No log of an older build may stand for this one.
    const String_cl name = LogFileName(projects, cur.project);
    for (const String_cl& log : {cur.log, String_cl(normalFolder + name), String_cl(failedFolder + name)})
        if (!log.IsEmpty()) DeleteFileW(log.c_str());
    cur.log.clear();
    cur.state = CompileFailed;
    cur.failReason.clear();
    cur.awaitedLibrary.clear();
    cur.failedBecauseOf = cause;
    if (!BuiltWithoutEntry(projects, cur)) projects.SetResult(cur.project, cur.configuration, CompileFailed, cur.log);
}

} // namespace Quorvane_ns
