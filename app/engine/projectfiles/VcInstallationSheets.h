#pragma once
// What the Visual C++ installation's own sheets contribute where a project
// imports them, written as MSBuild would evaluate it: the documented
// defaults and the imports of Directory.Build.props and .targets. The
// installation's files are never read (they are not on the machine that
// reads the plan, and would be of one version); their evaluation is stood
// for by these entries, evaluated by the same evaluator as the project.
//
//   Microsoft.Cpp.Default.props  Microsoft.Common.props (Directory.Build.props,
//                                its documented switches), then the
//                                defaults the project's later groups
//                                override: Configuration, Platform,
//                                ConfigurationType, ProjectName, TargetName,
//                                OutDir, IntDir, PlatformShortName,
//                                PlatformTarget, ...
//   Microsoft.Cpp.props          defaults that follow the configuration's
//                                settings (TargetExt by type, the toolset's
//                                version) and the tools' defaults (the
//                                linker's and librarian's output, the
//                                program databases)
//   Microsoft.Cpp.targets        MSBuild's common targets: OutDir and IntDir
//                                end in "\", TargetFileName, TargetDir,
//                                TargetPath, ProjectDir, the project's .user
//                                file, then Directory.Build.targets
// and the C++ extension points ForceImportAfterCppDefaultProps,
// ForceImportBeforeCppProps, ForceImportAfterCppProps,
// ForceImportBeforeCppTargets, ForceImportAfterCppTargets.
#include <vector>
#include "common/base/String.h"

namespace Quorvane_ns {

enum class InstallationSheet_en { None, CppDefaultProps, CppProps, CppTargets };

struct SheetEntry_st {
    enum class Kind_en { Property, Import, Setting };
    Kind_en kind;
    const wchar_t* itemType;   // of a Setting: "Link"
    const wchar_t* name;       // property or setting name; unused for an Import
    const wchar_t* condition;  // empty: always
    const wchar_t* value;      // the value, or the path an Import names
};

// Which installation sheet a written import path names, by its file name
// ("$(VCTargetsPath)\Microsoft.Cpp.Default.props"), any case.
InstallationSheet_en InstallationSheetOf(const Base_ns::String_cl& writtenPath);
const std::vector<SheetEntry_st>& InstallationSheetEntries(InstallationSheet_en sheet);

// Whether a written import path lies in the installation (the toolset's,
// MSBuild's or the user's folders of Visual Studio): such files are not read.
bool IsInstallationImport(const Base_ns::String_cl& writtenPath);

} // namespace Quorvane_ns
