#include "app/workflow/WriteTarget.h"
#include <windows.h>
#include <cwchar>
#include <iterator>
#include <string_view>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/RenameJournal.h"
#include "app/store/DataFile.h"
#include "app/workflow/HtmlReport.h"
#include "common/base/Error.h"
#include "common/base/FileIdentity.h"
#include "common/base/Handle.h"

namespace Quorvane_ns {
namespace {

using Base_ns::FileIdentity_st;
using Base_ns::IdentityOf;

const Base_ns::ErrorEntry_st kErrors[] = {
    {101, L"不能写到程序自己的文件（数据文件、更名记录、Error.log）上。"},
    {102, L"不能写到方案的解决方案或工程文件上。"},
    {103, L"文件所在的文件夹不存在。"},
    {104, L"这是一个文件夹，不能写成文件。"},
    {105, L"文件是只读的。"},
    {106, L"不能写到程序文件（Quorvane.exe、Quorvane.com、SettingsHost.dll）或程序写的日志、报告上。"},
};

// The files beside the program that make it up; whatever the program file
// that runs is called, it is one of them.
const wchar_t* const kProgramFiles[] = {L"Quorvane.exe", L"Quorvane.com", L"SettingsHost.dll"};

[[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note)
{
    throw Base_ns::UserError_cl(line, L"WriteTarget", L"WriteTarget", code, kErrors, int(std::size(kErrors)), note);
}

String_cl RunningProgram()
{
    wchar_t path[4096];
    const DWORD n = GetModuleFileNameW(nullptr, path, 4096);
    return n == 0 || n >= 4096 ? String_cl() : String_cl(path, n);
}

void AddProjectFiles(std::vector<String_cl>& files, const ProjectPack_cl& projects)
{
    for (ProjectId_cl p = projects.First(); !p.IsEmpty(); p = p.Next()) {
        files.push_back(p->path);
        files.insert(files.end(), p->sheets.begin(), p->sheets.end());
    }
}

// Whether the file begins as a project file or a property sheet does (the
// root of an MSBuild file, or of a .vcproj): only such a file can be one a
// project reads. The first few kilobytes tell.
bool LooksLikeProjectFile(const String_cl& path)
{
    Base_ns::Handle_cl file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char bytes[8192];
    DWORD read = 0;
    if (!file.Valid() || !ReadFile(file.Get(), bytes, sizeof bytes, &read, nullptr)) return false;
    const std::string_view head(bytes, read);
    String_cl text;
    if (head.size() >= 2 && head[0] == '\xFF' && head[1] == '\xFE')
        text.assign(reinterpret_cast<const wchar_t*>(bytes + 2), (read - 2) / 2);
    else
        text = String_cl::FromUtf8(head);
    for (const wchar_t* root : {L"<Project", L"<VisualStudioProject"}) {
        for (size_t at = text.find(root); at != String_cl::npos; at = text.find(root, at + 1)) {
            const size_t end = at + std::wcslen(root);
            if (end < text.size() && std::wcschr(L" \t\r\n>/", text[end])) return true;
        }
    }
    return false;
}

// The solution and project files the program knows of, and the sheets its
// projects read. A plan not read in this run has no project records yet:
// when the target could be a file a project reads, such plans are read
// into stores of their own, so that their projects' sheets are known too.
std::vector<String_cl> KnownFiles(const Stores_cl& stores, bool readPlans)
{
    std::vector<String_cl> files;
    for (PlanId_cl plan = stores.plans.First(); !plan.IsEmpty(); plan = plan.Next()) {
        for (SolutionId_cl s = plan->solutions.First(); !s.IsEmpty(); s = s.Next()) files.push_back(s->path);
        if (!readPlans || plan->solutions.Read() == 1) continue;
        // Declared so that the solutions go first, as a plan's do.
        SerialPack_cl sequences;
        ProjectPack_cl projects;
        MProjectPack_cl rows;
        SolutionPack_cl solutions;
        for (SolutionId_cl s = plan->solutions.First(); !s.IsEmpty(); s = s.Next()) {
            try {
                solutions.AddSolution(s->path, plan->configuration, rows, projects, sequences);
            } catch (const Base_ns::Error_cl&) {
                // A solution that cannot be read names no file to protect.
            }
        }
        AddProjectFiles(files, projects);
    }
    AddProjectFiles(files, stores.projects);
    for (SerialId_cl e = stores.sequences.First(); !e.IsEmpty(); e = e.Next()) files.push_back(e->path);
    return files;
}

// A second name of a log (a hard link elsewhere) is found only by the
// logs' own identities.
bool IsLogUnderAnotherName(const FileIdentity_st& target, const String_cl& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool same = false;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) same = target.Same(IdentityOf(folder + found.cFileName));
    } while (!same && FindNextFileW(search, &found));
    FindClose(search);
    return same;
}

} // namespace

void CheckWriteTarget(const Stores_cl& stores, const String_cl& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) Raise(104, __LINE__, path);
    const String_cl folder = GetFileDirectory(path, false);
    const DWORD folderAttributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        Raise(103, __LINE__, path);
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) Raise(105, __LINE__, path);

    // Every file is opened afresh: a link made a moment ago counts.
    Base_ns::IdentityScope_cl scope;
    const FileIdentity_st target = IdentityOf(path);
    for (const String_cl& own : {DataFilePath(), RenameJournal_cl::Path(), Base_ns::SysError_cl::LogPath()})
        if (target.Same(IdentityOf(own))) Raise(101, __LINE__, path + L"\r\n" + own);

    std::vector<String_cl> programFiles = {RunningProgram(), ModuleDirectory() + L"Temp.log",
                                           ModuleDirectory() + L"Cmd.txt", HtmlReportPath()};
    for (const wchar_t* name : kProgramFiles) programFiles.push_back(Base_ns::ProgramFolder() + name);
    for (const String_cl& own : programFiles)
        if (!own.empty() && target.Same(IdentityOf(own))) Raise(106, __LINE__, path + L"\r\n" + own);
    for (const String_cl& logs : {GoodLogDirectory(), FailedLogDirectory()}) {
        if (target.Inside(IdentityOf(logs)) || (target.links > 1 && IsLogUnderAnotherName(target, logs)))
            Raise(106, __LINE__, path + L"\r\n" + logs);
    }

    for (const String_cl& known : KnownFiles(stores, target.exists && LooksLikeProjectFile(path)))
        if (target.Same(IdentityOf(known))) Raise(102, __LINE__, path + L"\r\n" + known);
}

} // namespace Quorvane_ns
