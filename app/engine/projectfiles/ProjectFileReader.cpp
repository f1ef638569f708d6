#include "app/engine/projectfiles/ProjectFileReader.h"
#include <windows.h>
#include "app/ProgramPlaces.h"
#include "app/engine/projectfiles/ProjectFileText.h"
#include "app/engine/projectfiles/VcprojReader.h"
#include "app/engine/projectfiles/VcxprojReader.h"

namespace Quorvane_ns {

namespace {

bool IsExistingFile(const String_cl& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool IsVcProjectFile(const String_cl& path)
{
    return HasExtension(path, L"vcproj") || HasExtension(path, L"icproj") || HasExtension(path, L"vcxproj");
}

void ReadProjectFile(Project_st& project, ProjectFileCache_cl* cache)
{
    if (!IsExistingFile(project.path)) {
        project.exists = 0;
        project.name = FileTitle(project.path);
        return;
    }
    project.exists = 1;
    const SolutionContext_st solution = SolutionContextOf(project.path, project.solution);
    if (HasExtension(project.path, L"vcxproj")) {
        ProjectFileCache_cl own;
        ReadVcxprojFile(project, solution, cache ? *cache : own);
        return;
    }
    // An Intel C++ project only wraps the Visual C++ project beside it.
    const String_cl vcPath = HasExtension(project.path, L"vcproj") ? project.path : ReplaceExtension(project.path, L"vcproj");
    if (vcPath != project.path) project.sheets.push_back(vcPath);
    ReadVcprojFile(project, vcPath, solution);
}

} // namespace Quorvane_ns
