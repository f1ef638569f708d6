#!/bin/bash
# The stand-in VC files (vctargets/) against MSBuild itself: small projects
# are evaluated in one MSBuild run through Oracle.proj, and every value in the
# table at the end must be what Visual C++ documents (see the comments of the
# stand-in files): the defaults by type and platform, the folders' trailing
# separators, the import library beside a moved output, and where
# Directory.Build.props and Directory.Build.targets come in. Runs natively;
# skipped (exit 77), saying so, without dotnet.
# usage: standin-test.sh <source folder> <build folder>
set -u
src=$(cd "$1" && pwd); build=$(cd "$2" && pwd)
here="$src/tests/msbuild"
. "$here/msbuild-env.sh"
need_dotnet "the stand-in VC files are not checked."
T="$build/msbuild-standin"
rm -rf "$T" && mkdir -p "$T" || exit 1

# project <file> <configurations "Name|Platform:Type ..."> <extra XML after Microsoft.Cpp.props> [<XML in Globals>]
project() {
  local file=$1 extra=${3:-} globals=${4:-} c name type
  mkdir -p "$(dirname "$file")"
  {
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<Project DefaultTargets="Build" ToolsVersion="17.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">'
    echo '  <ItemGroup Label="ProjectConfigurations">'
    for c in $2; do
      name=${c%%:*}
      echo "    <ProjectConfiguration Include=\"$name\"><Configuration>${name%%|*}</Configuration><Platform>${name##*|}</Platform></ProjectConfiguration>"
    done
    echo '  </ItemGroup>'
    echo "  <PropertyGroup Label=\"Globals\">$globals</PropertyGroup>"
    echo '  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />'
    for c in $2; do
      name=${c%%:*}; type=${c##*:}
      [ "$type" = "-" ] && continue
      echo "  <PropertyGroup Condition=\"'\$(Configuration)|\$(Platform)'=='$name'\" Label=\"Configuration\"><ConfigurationType>$type</ConfigurationType></PropertyGroup>"
    done
    echo '  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />'
    echo "$extra"
    echo '  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />'
    echo '</Project>'
  } >"$file"
}

# Defaults by type and platform, in a solution.
project "$T/sln/plain/plain.vcxproj" "Debug|Win32:- Release|x64:Application Release|ARM64:Application"
project "$T/sln/kinds/kinds.vcxproj" \
  "Dll|Win32:DynamicLibrary Lib|Win32:StaticLibrary Util|Win32:Utility Moved|Win32:DynamicLibrary Named|Win32:DynamicLibrary Late|Win32:- Bare|Win32:StaticLibrary" '
  <ImportGroup Label="PropertySheets" Condition="'"'"'$(Configuration)'"'"'=='"'"'Late'"'"'"><Import Project="late.props" /></ImportGroup>
  <PropertyGroup Condition="'"'"'$(Configuration)'"'"'=='"'"'Bare'"'"'"><OutDir>out</OutDir><IntDir>obj</IntDir></PropertyGroup>
  <ItemDefinitionGroup Condition="'"'"'$(Configuration)'"'"'=='"'"'Moved'"'"'"><Link><OutputFile>$(OutDir)sub\$(TargetName)$(TargetExt)</OutputFile></Link></ItemDefinitionGroup>
  <ItemDefinitionGroup Condition="'"'"'$(Configuration)'"'"'=='"'"'Named'"'"'"><Link><ImportLibrary>$(SolutionDir)lib\k.lib</ImportLibrary></Link></ItemDefinitionGroup>'
cat >"$T/sln/kinds/late.props" <<'XML'
<Project><PropertyGroup><ConfigurationType>DynamicLibrary</ConfigurationType></PropertyGroup></Project>
XML

# Directory.Build.props sees the project's Globals and ProjectName and is
# overridden by what the project sets later; Directory.Build.targets comes
# after the project, and the linker's output follows it.
mkdir -p "$T/tree/src"
cat >"$T/tree/Directory.Build.props" <<'XML'
<Project>
  <PropertyGroup>
    <OutDir>$(MSBuildThisFileDirectory)bin\</OutDir>
    <IntDir>$(MSBuildThisFileDirectory)obj\</IntDir>
    <TargetName>$(QvGlobal)-$(ProjectName)</TargetName>
  </PropertyGroup>
</Project>
XML
cat >"$T/tree/Directory.Build.targets" <<'XML'
<Project>
  <PropertyGroup><TargetName>$(TargetName)_x</TargetName></PropertyGroup>
</Project>
XML
project "$T/tree/src/dproj/dproj.vcxproj" "Debug|Win32:Application" \
  '  <PropertyGroup><IntDir>own\</IntDir></PropertyGroup>' '<QvGlobal>g</QvGlobal>'

cat >"$T/cases.proj" <<XML
<Project><ItemGroup>
  <QvCase Include="$T/sln/plain/plain.vcxproj"><AdditionalProperties>QvCase=plain;SolutionDir=$T/sln/;SolutionName=sln</AdditionalProperties></QvCase>
  <QvCase Include="$T/sln/kinds/kinds.vcxproj"><AdditionalProperties>QvCase=kinds;SolutionDir=$T/sln/;SolutionName=sln</AdditionalProperties></QvCase>
  <QvCase Include="$T/tree/src/dproj/dproj.vcxproj"><AdditionalProperties>QvCase=tree;SolutionDir=$T/tree/src/dproj/;SolutionName=dproj</AdditionalProperties></QvCase>
</ItemGroup></Project>
XML

evaluate "$T/cases.proj" "$T/report.tsv" "$T/msbuild.log" || {
  echo "MSBuild failed:"; grep -E ': error ' "$T/msbuild.log" | head; exit 1; }

# case | configuration | name | value, with "/" for every separator
failures=0
while IFS='|' read -r case configuration platform name expected; do
  [ -z "$case" ] && continue
  expected=${expected//\$T/$T}
  actual=$(awk -F'\t' -v c="$case" -v k="$configuration|$platform" -v n="$name" \
             '{ sub(/^\xef\xbb\xbf/, "") } $1 == c && $2 == k && $3 == n { print $4 }' "$T/report.tsv" |
           sed -e 's#\\#/#g' -e 's#//*#/#g')
  if [ "$actual" != "$expected" ]; then
    echo "FAIL $case $configuration|$platform $name: expected '$expected', MSBuild gave '$actual'"
    failures=$((failures + 1))
  fi
done <<'TABLE'
plain|Debug|Win32|ConfigurationType|Application
plain|Debug|Win32|OutDir|$T/sln/Debug/
plain|Debug|Win32|IntDir|Debug/
plain|Debug|Win32|TargetName|plain
plain|Debug|Win32|TargetExt|.exe
plain|Debug|Win32|TargetFileName|plain.exe
plain|Debug|Win32|TargetDir|$T/sln/Debug/
plain|Debug|Win32|TargetPath|$T/sln/Debug/plain.exe
plain|Debug|Win32|PlatformShortName|x86
plain|Debug|Win32|PlatformTarget|x86
plain|Debug|Win32|Link.OutputFile|$T/sln/Debug/plain.exe
plain|Debug|Win32|Link.ProgramDatabaseFile|$T/sln/Debug/plain.pdb
plain|Debug|Win32|Link.AdditionalDependencies|
plain|Release|x64|OutDir|$T/sln/x64/Release/
plain|Release|x64|IntDir|x64/Release/
plain|Release|x64|PlatformShortName|x64
plain|Release|x64|TargetPath|$T/sln/x64/Release/plain.exe
plain|Release|ARM64|PlatformShortName|arm64
plain|Release|ARM64|PlatformTarget|arm64
kinds|Dll|Win32|TargetExt|.dll
kinds|Dll|Win32|Link.OutputFile|$T/sln/Dll/kinds.dll
kinds|Dll|Win32|Link.ImportLibrary|$T/sln/Dll/kinds.lib
kinds|Lib|Win32|TargetExt|.lib
kinds|Lib|Win32|Lib.OutputFile|$T/sln/Lib/kinds.lib
kinds|Lib|Win32|Link.ImportLibrary|
kinds|Util|Win32|ConfigurationType|Utility
kinds|Util|Win32|Link.ImportLibrary|
kinds|Moved|Win32|Link.OutputFile|$T/sln/Moved/sub/kinds.dll
kinds|Moved|Win32|Link.ImportLibrary|$T/sln/Moved/sub/kinds.lib
kinds|Moved|Win32|TargetPath|$T/sln/Moved/kinds.dll
kinds|Named|Win32|Link.ImportLibrary|$T/sln/lib/k.lib
kinds|Late|Win32|ConfigurationType|DynamicLibrary
kinds|Late|Win32|TargetExt|.exe
kinds|Bare|Win32|OutDir|out/
kinds|Bare|Win32|IntDir|obj/
kinds|Bare|Win32|Lib.OutputFile|out/kinds.lib
tree|Debug|Win32|OutDir|$T/tree/bin/
tree|Debug|Win32|IntDir|own/
tree|Debug|Win32|TargetName|g-dproj_x
tree|Debug|Win32|Link.OutputFile|$T/tree/bin/g-dproj_x.exe
tree|Debug|Win32|SolutionName|dproj
TABLE
if [ $failures -ne 0 ]; then
  echo "$failures values of the stand-in VC files differ from what Visual C++ documents."
  exit 1
fi
echo "The stand-in VC files give every documented value checked."
