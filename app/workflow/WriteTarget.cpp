#include "app/workflow/WriteTarget.h"
#include <windows.h>
#include <iterator>
#include <vector>
#include "app/ProgramPlaces.h"
#include "app/engine/RenameJournal.h"
#include "app/store/DataFile.h"
#include "app/workflow/FileIdentity.h"
#include "common/base/Error.h"

namespace Quorvane_ns {
namespace {

const Base_ns::ErrorEntry_st kErrors[] = {
    {101, L"不能写到程序自己的文件（数据文件、更名记录、Error.log）上。"},
    {102, L"不能写到方案的解决方案或工程文件上。"},
    {103, L"文件所在的文件夹不存在。"},
    {104, L"这是一个文件夹，不能写成文件。"},
    {105, L"文件是只读的。"},
};

[[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note)
{
    throw Base_ns::UserError_cl(line, L"WriteTarget", L"WriteTarget", code, kErrors, int(std::size(kErrors)), note);
}

// The solution and project files the program knows of. Many thousands in a
// large installation: the caller opens only those that carry the target's name.
std::vector<String_cl> KnownFiles(const Stores_cl& stores)
{
    std::vector<String_cl> files;
    for (PlanId_cl plan = stores.plans.First(); !plan.IsEmpty(); plan = plan.Next())
        for (SolutionId_cl s = plan->solutions.First(); !s.IsEmpty(); s = s.Next()) files.push_back(s->path);
    for (ProjectId_cl p = stores.projects.First(); !p.IsEmpty(); p = p.Next()) files.push_back(p->path);
    for (SerialId_cl e = stores.sequences.First(); !e.IsEmpty(); e = e.Next()) files.push_back(e->path);
    return files;
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

    const FilePlace_st target = PlaceOf(path);
    for (const String_cl& own : {DataFilePath(), RenameJournal_cl::Path(), Base_ns::SysError_cl::LogPath()})
        if (target.Same(PlaceOf(own))) Raise(101, __LINE__, path + L"\r\n" + own);
    for (const String_cl& known : KnownFiles(stores))
        if (GetFileName(known).EqualsNoCase(target.name) && target.Same(PlaceOf(known)))
            Raise(102, __LINE__, path + L"\r\n" + known);
}

} // namespace Quorvane_ns
