#include "app/engine/projectfiles/VcInstallationSheets.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {

namespace {

using Kind = SheetEntry_st::Kind_en;

SheetEntry_st P(const wchar_t* name, const wchar_t* condition, const wchar_t* value)
{
    return {Kind::Property, L"", name, condition, value};
}

SheetEntry_st I(const wchar_t* condition, const wchar_t* path) { return {Kind::Import, L"", L"", condition, path}; }

SheetEntry_st S(const wchar_t* itemType, const wchar_t* name, const wchar_t* condition, const wchar_t* value)
{
    return {Kind::Setting, itemType, name, condition, value};
}

// Microsoft.Cpp.Default.props, which imports Microsoft.Common.props first.
const std::vector<SheetEntry_st> kCppDefaultProps = {
    // Microsoft.Common.props: the nearest Directory.Build.props in the
    // project's folder or above it, unless the project says otherwise.
    P(L"ImportDirectoryBuildProps", L"'$(ImportDirectoryBuildProps)' == ''", L"true"),
    P(L"_DirectoryBuildPropsFile", L"'$(_DirectoryBuildPropsFile)' == ''", L"Directory.Build.props"),
    P(L"_DirectoryBuildPropsBasePath",
      L"'$(ImportDirectoryBuildProps)' == 'true' and '$(DirectoryBuildPropsPath)' == '' and '$(_DirectoryBuildPropsBasePath)' == ''",
      L"$([MSBuild]::GetDirectoryNameOfFileAbove($(MSBuildProjectDirectory), '$(_DirectoryBuildPropsFile)'))"),
    P(L"DirectoryBuildPropsPath",
      L"'$(ImportDirectoryBuildProps)' == 'true' and '$(DirectoryBuildPropsPath)' == '' and '$(_DirectoryBuildPropsBasePath)' != ''",
      L"$([System.IO.Path]::Combine('$(_DirectoryBuildPropsBasePath)', '$(_DirectoryBuildPropsFile)'))"),
    I(L"'$(CustomBeforeDirectoryBuildProps)' != ''", L"$(CustomBeforeDirectoryBuildProps)"),
    I(L"'$(ImportDirectoryBuildProps)' == 'true' and exists('$(DirectoryBuildPropsPath)')", L"$(DirectoryBuildPropsPath)"),
    I(L"'$(CustomAfterDirectoryBuildProps)' != ''", L"$(CustomAfterDirectoryBuildProps)"),
    // The defaults a lone "msbuild x.vcxproj" builds with.
    P(L"Configuration", L"'$(Configuration)' == ''", L"Debug"),
    P(L"Platform", L"'$(Platform)' == ''", L"Win32"),
    P(L"ConfigurationName", L"'$(ConfigurationName)' == ''", L"$(Configuration)"),
    P(L"PlatformName", L"'$(PlatformName)' == ''", L"$(Platform)"),
    P(L"ConfigurationType", L"'$(ConfigurationType)' == ''", L"Application"),
    P(L"ProjectName", L"'$(ProjectName)' == ''", L"$(MSBuildProjectName)"),
    P(L"ProjectDir", L"'$(ProjectDir)' == ''", L"$([MSBuild]::EnsureTrailingSlash($(MSBuildProjectDirectory)))"),
    P(L"ProjectFileName", L"'$(ProjectFileName)' == ''", L"$(MSBuildProjectFile)"),
    P(L"ProjectExt", L"'$(ProjectExt)' == ''", L"$(MSBuildProjectExtension)"),
    P(L"ProjectPath", L"'$(ProjectPath)' == ''", L"$(ProjectDir)$(ProjectFileName)"),
    P(L"TargetName", L"'$(TargetName)' == ''", L"$(ProjectName)"),
    // The platform's own sheet.
    P(L"PlatformShortName", L"'$(PlatformShortName)' == '' and '$(Platform)' == 'Win32'", L"x86"),
    P(L"PlatformShortName", L"'$(PlatformShortName)' == '' and '$(Platform)' == 'x64'", L"x64"),
    P(L"PlatformShortName", L"'$(PlatformShortName)' == '' and '$(Platform)' == 'ARM'", L"arm"),
    P(L"PlatformShortName", L"'$(PlatformShortName)' == '' and '$(Platform)' == 'ARM64'", L"arm64"),
    P(L"PlatformShortName", L"'$(PlatformShortName)' == '' and '$(Platform)' == 'ARM64EC'", L"arm64ec"),
    P(L"PlatformShortName", L"'$(PlatformShortName)' == ''", L"$(Platform)"),
    P(L"PlatformTarget", L"'$(PlatformTarget)' == '' and '$(Platform)' == 'Win32'", L"x86"),
    P(L"PlatformTarget", L"'$(PlatformTarget)' == ''", L"$(Platform)"),
    P(L"PlatformArchitecture", L"'$(PlatformArchitecture)' == '' and ('$(Platform)' == 'Win32' or '$(Platform)' == 'ARM')", L"32"),
    P(L"PlatformArchitecture", L"'$(PlatformArchitecture)' == ''", L"64"),
    // The folders: under the project for Win32 by configuration, for other
    // platforms by platform and configuration; the output beside the
    // solution.
    P(L"IntDir", L"'$(IntDir)' == '' and '$(Platform)' == 'Win32'", L"$(Configuration)\\"),
    P(L"IntDir", L"'$(IntDir)' == ''", L"$(Platform)\\$(Configuration)\\"),
    P(L"OutDir", L"'$(OutDir)' == '' and '$(SolutionDir)' == ''", L"$(IntDir)"),
    P(L"OutDir", L"'$(OutDir)' == '' and '$(Platform)' == 'Win32'", L"$(SolutionDir)$(Configuration)\\"),
    P(L"OutDir", L"'$(OutDir)' == ''", L"$(SolutionDir)$(Platform)\\$(Configuration)\\"),
    I(L"'$(ForceImportAfterCppDefaultProps)' != ''", L"$(ForceImportAfterCppDefaultProps)"),
};

// Microsoft.Cpp.props: after the configuration's own group.
const std::vector<SheetEntry_st> kCppProps = {
    I(L"'$(ForceImportBeforeCppProps)' != ''", L"$(ForceImportBeforeCppProps)"),
    P(L"TargetExt", L"'$(TargetExt)' == '' and '$(ConfigurationType)' == 'Application'", L".exe"),
    P(L"TargetExt", L"'$(TargetExt)' == '' and '$(ConfigurationType)' == 'DynamicLibrary'", L".dll"),
    P(L"TargetExt", L"'$(TargetExt)' == '' and '$(ConfigurationType)' == 'StaticLibrary'", L".lib"),
    P(L"PlatformToolsetVersion",
      L"'$(PlatformToolsetVersion)' == '' and $(PlatformToolset.StartsWith('v')) and $(PlatformToolset.Length) >= 4",
      L"$(PlatformToolset.Substring(1, 3))"),
    // The tools' defaults; a setting the project made before stays.
    S(L"Link", L"OutputFile", L"'%(OutputFile)' == ''", L"$(OutDir)$(TargetName)$(TargetExt)"),
    S(L"Lib", L"OutputFile", L"'%(OutputFile)' == ''", L"$(OutDir)$(TargetName)$(TargetExt)"),
    S(L"Link", L"ProgramDatabaseFile", L"'%(ProgramDatabaseFile)' == ''", L"$(OutDir)$(TargetName).pdb"),
    S(L"ClCompile", L"ProgramDataBaseFileName", L"'%(ProgramDataBaseFileName)' == ''",
      L"$(IntDir)vc$(PlatformToolsetVersion).pdb"),
    I(L"'$(ForceImportAfterCppProps)' != ''", L"$(ForceImportAfterCppProps)"),
};

// Microsoft.Cpp.targets, which imports MSBuild's common targets:
// Microsoft.Common.CurrentVersion.targets, then Directory.Build.targets.
const std::vector<SheetEntry_st> kCppTargets = {
    I(L"'$(ForceImportBeforeCppTargets)' != ''", L"$(ForceImportBeforeCppTargets)"),
    P(L"OutDir", L"'$(OutDir)' != '' and !HasTrailingSlash('$(OutDir)')", L"$(OutDir)\\"),
    P(L"IntDir", L"'$(IntDir)' != '' and !HasTrailingSlash('$(IntDir)')", L"$(IntDir)\\"),
    P(L"TargetFileName", L"'$(TargetFileName)' == ''", L"$(TargetName)$(TargetExt)"),
    P(L"TargetDir", L"'$(OutDir)' != ''",
      L"$([MSBuild]::Escape($([System.IO.Path]::GetFullPath(`$([System.IO.Path]::Combine(`$(MSBuildProjectDirectory)`, "
      L"`$(OutDir)`))`))))"),
    P(L"TargetPath", L"'$(TargetPath)' == ''", L"$(TargetDir)$(TargetFileName)"),
    I(L"Exists('$(MSBuildProjectFullPath).user')", L"$(MSBuildProjectFullPath).user"),
    P(L"ImportDirectoryBuildTargets", L"'$(ImportDirectoryBuildTargets)' == ''", L"true"),
    P(L"_DirectoryBuildTargetsFile", L"'$(_DirectoryBuildTargetsFile)' == ''", L"Directory.Build.targets"),
    P(L"_DirectoryBuildTargetsBasePath",
      L"'$(ImportDirectoryBuildTargets)' == 'true' and '$(DirectoryBuildTargetsPath)' == '' and '$(_DirectoryBuildTargetsBasePath)' == ''",
      L"$([MSBuild]::GetDirectoryNameOfFileAbove($(MSBuildProjectDirectory), '$(_DirectoryBuildTargetsFile)'))"),
    P(L"DirectoryBuildTargetsPath",
      L"'$(ImportDirectoryBuildTargets)' == 'true' and '$(DirectoryBuildTargetsPath)' == '' and '$(_DirectoryBuildTargetsBasePath)' != ''",
      L"$([System.IO.Path]::Combine('$(_DirectoryBuildTargetsBasePath)', '$(_DirectoryBuildTargetsFile)'))"),
    I(L"'$(CustomBeforeDirectoryBuildTargets)' != ''", L"$(CustomBeforeDirectoryBuildTargets)"),
    I(L"'$(ImportDirectoryBuildTargets)' == 'true' and exists('$(DirectoryBuildTargetsPath)')",
      L"$(DirectoryBuildTargetsPath)"),
    I(L"'$(CustomAfterDirectoryBuildTargets)' != ''", L"$(CustomAfterDirectoryBuildTargets)"),
    I(L"'$(ForceImportAfterCppTargets)' != ''", L"$(ForceImportAfterCppTargets)"),
};

const std::vector<SheetEntry_st> kNone;

} // namespace

InstallationSheet_en InstallationSheetOf(const String_cl& writtenPath)
{
    String_cl name = writtenPath;
    while (!name.empty() && (name.back() == L' ' || name.back() == L'\t' || name.back() == L'\r' || name.back() == L'\n'))
        name.pop_back();
    name = GetFileName(name);
    if (Base_ns::EqualsNoCase(name, L"Microsoft.Cpp.Default.props")) return InstallationSheet_en::CppDefaultProps;
    if (Base_ns::EqualsNoCase(name, L"Microsoft.Cpp.props")) return InstallationSheet_en::CppProps;
    if (Base_ns::EqualsNoCase(name, L"Microsoft.Cpp.targets")) return InstallationSheet_en::CppTargets;
    return InstallationSheet_en::None;
}

const std::vector<SheetEntry_st>& InstallationSheetEntries(InstallationSheet_en sheet)
{
    switch (sheet) {
    case InstallationSheet_en::CppDefaultProps: return kCppDefaultProps;
    case InstallationSheet_en::CppProps: return kCppProps;
    case InstallationSheet_en::CppTargets: return kCppTargets;
    default: return kNone;
    }
}

bool IsInstallationImport(const String_cl& writtenPath)
{
    size_t start = 0;
    while (start < writtenPath.size() && (writtenPath[start] == L' ' || writtenPath[start] == L'\t' ||
                                          writtenPath[start] == L'\r' || writtenPath[start] == L'\n'))
        ++start;
    const String_cl upper = Base_ns::ToUpper(std::wstring_view(writtenPath).substr(start));
    for (const wchar_t* prefix :
         {L"$(VCTARGETSPATH", L"$(MSBUILDEXTENSIONSPATH", L"$(MSBUILDTOOLSPATH", L"$(MSBUILDBINPATH",
          L"$(MSBUILDSDKSPATH", L"$(MSBUILDFRAMEWORKTOOLSPATH", L"$(MSBUILDUSEREXTENSIONSPATH", L"$(USERROOTDIR",
          L"$(VCINSTALLDIR", L"$(VSINSTALLDIR", L"$(VSINSTALLROOT", L"$(MSBUILDPROGRAMFILES32", L"$(PROGRAMFILES",
          L"$(WINDOWSSDKDIR", L"$(COMMONTARGETSPATH"})
        if (upper.StartsWith(prefix)) return true;
    return false;
}

} // namespace Quorvane_ns
