#!/bin/bash
# Lays out the demo workspace: three Visual Studio 2008 solutions whose
# libraries are used across solutions, as a team keeps them in separate
# folders, and prints the solution files in the order a newcomer would list
# them: the program's solution first, the base library's last. The first
# rebuild of a plan made in that order has to learn that the libraries come
# first (the linker cannot open them yet); the second builds straight through.
#
#   App/App.sln                 Viewer (program: 网络.lib Storage.lib Text.lib),
#                               Tool (program: Core.lib), Tools (C#, not built)
#   Services/Services.sln       网络 (library: Core.lib; project file in GBK),
#                               Storage (Intel wrapper of a DLL: Text.lib Core.lib)
#   Base Library/Base.sln       Core (library), Text (library: Core.lib)
#
# Libraries land in lib/<configuration>/, programs and DLLs in
# bin/<configuration>/, both beside the solution folders.
#
# Beside them a Visual Studio 2022 solution (.vcxproj projects, Win32 and
# x64), its program listed before the DLL and the library it links; printed
# last, on a line of its own:
#
#   Media 2022/Media.sln        Player (program: Decoder.lib, and Codec through
#                               a project reference), Codec (DLL: Decoder.lib),
#                               Decoder (library)
#
# Their libraries land in lib/<platform>/<configuration>/, programs and DLLs
# in bin/<platform>/<configuration>/.
#
# Usage: make-demo-workspace.sh <folder>   (made afresh; must be empty or an
# earlier demo workspace)
set -euo pipefail

ws=${1:?usage: make-demo-workspace.sh <folder>}
marker=.quorvane-demo-workspace
if [ -e "$ws" ]; then
  if [ -n "$(ls -A "$ws")" ] && [ ! -e "$ws/$marker" ]; then
    echo "make-demo-workspace.sh: $ws is not empty and is no demo workspace; not touching it" >&2
    exit 2
  fi
  rm -rf "$ws"
fi
mkdir -p "$ws"
ws=$(cd "$ws" && pwd)
touch "$ws/$marker"

VC_TYPE='{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}'
INTEL_TYPE='{EAF909A5-FA59-4C3D-9431-0FCC20D5BCF9}'
CS_TYPE='{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}'

# Standard input (UTF-8, LF) to a file with CRLF line ends, in the given
# encoding: utf8, utf8bom or gbk (what Visual Studio 2008 writes on a
# Chinese Windows for project and source files).
emit() {
  local path=$1 enc=$2
  mkdir -p "$(dirname "$path")"
  case $enc in
    utf8)    sed 's/$/\r/' >"$path" ;;
    utf8bom) { printf '\xEF\xBB\xBF'; sed 's/$/\r/'; } >"$path" ;;
    gbk)     sed 's/$/\r/' | iconv -f UTF-8 -t GBK >"$path" ;;
  esac
}

# The tool that produces the project's output, for one configuration.
# kind: lib (static library), exe (program) or dll (with its import library).
output_tool() {
  local kind=$1 deps=$2
  local libdir='..\..\lib\$(ConfigurationName)'
  case $kind in
    lib)
      printf '\t\t\t<Tool\n\t\t\t\tName="VCLibrarianTool"\n'
      printf '\t\t\t\tOutputFile="%s\\$(ProjectName).lib"\n' "$libdir"
      [ -n "$deps" ] && printf '\t\t\t\tAdditionalDependencies="%s"\n\t\t\t\tAdditionalLibraryDirectories="%s"\n' "$deps" "$libdir"
      printf '\t\t\t/>\n' ;;
    exe|dll)
      printf '\t\t\t<Tool\n\t\t\t\tName="VCLinkerTool"\n'
      printf '\t\t\t\tAdditionalDependencies="%s kernel32.lib user32.lib"\n' "$deps"
      printf '\t\t\t\tOutputFile="..\\..\\bin\\$(ConfigurationName)\\$(ProjectName).%s"\n' "$kind"
      printf '\t\t\t\tLinkIncremental="2"\n\t\t\t\tAdditionalLibraryDirectories="%s"\n' "$libdir"
      printf '\t\t\t\tGenerateDebugInformation="true"\n\t\t\t\tSubSystem="%s"\n' "$([ "$kind" = exe ] && echo 1 || echo 2)"
      [ "$kind" = dll ] && printf '\t\t\t\tImportLibrary="%s\\$(TargetName).lib"\n' "$libdir"
      printf '\t\t\t\tTargetMachine="1"\n\t\t\t/>\n' ;;
  esac
}

# sources <folder> <name> <C++ identifier> <encoding> <number>: the header
# and the source of a project, its function returning the number.
sources() {
  local dir=$1 name=$2 ident=$3 enc=$4 number=$5
  printf '#pragma once\n// %s\nint %sVersion();\n' "$name" "$ident" | emit "$dir/$name.h" "$enc"
  printf '#include "%s.h"\n\nint %sVersion()\n{\n    return %s;\n}\n' "$name" "$ident" "$number" | emit "$dir/$name.cpp" "$enc"
}

# vcproj <file> <name> <guid> <kind> <libraries it links> [<C++ identifier>]
# Writes the project, its source and its header, as Visual Studio 2008 does
# on a Chinese Windows (declared gb2312, GBK bytes).
vcproj() {
  local file=$1 name=$2 guid=$3 kind=$4 deps=$5 ident=${6:-$2}
  local type
  case $kind in lib) type=4 ;; exe) type=1 ;; dll) type=2 ;; esac
  {
    printf '<?xml version="1.0" encoding="gb2312"?>\n<VisualStudioProject\n'
    printf '\tProjectType="Visual C++"\n\tVersion="9.00"\n\tName="%s"\n' "$name"
    printf '\tProjectGUID="%s"\n\tRootNamespace="%s"\n\tKeyword="Win32Proj"\n\tTargetFrameworkVersion="196613"\n\t>\n' "$guid" "$name"
    printf '\t<Platforms>\n\t\t<Platform\n\t\t\tName="Win32"\n\t\t/>\n\t</Platforms>\n\t<ToolFiles>\n\t</ToolFiles>\n'
    printf '\t<Configurations>\n'
    for cfg in Debug Release; do
      printf '\t\t<Configuration\n\t\t\tName="%s|Win32"\n' "$cfg"
      printf '\t\t\tOutputDirectory="$(SolutionDir)$(ConfigurationName)"\n'
      printf '\t\t\tIntermediateDirectory="$(ConfigurationName)"\n'
      printf '\t\t\tConfigurationType="%s"\n\t\t\tCharacterSet="1"\n\t\t\t>\n' "$type"
      printf '\t\t\t<Tool\n\t\t\t\tName="VCCLCompilerTool"\n\t\t\t\tOptimization="%s"\n' "$([ $cfg = Debug ] && echo 0 || echo 2)"
      printf '\t\t\t\tPreprocessorDefinitions="WIN32;%s;_UNICODE;UNICODE"\n' "$([ $cfg = Debug ] && echo _DEBUG || echo NDEBUG)"
      printf '\t\t\t\tWarningLevel="3"\n\t\t\t/>\n'
      output_tool "$kind" "$deps"
      printf '\t\t</Configuration>\n'
    done
    printf '\t</Configurations>\n\t<References>\n\t</References>\n\t<Files>\n'
    printf '\t\t<Filter\n\t\t\tName="源文件"\n\t\t\tFilter="cpp;c;cc;cxx"\n\t\t\t>\n'
    printf '\t\t\t<File\n\t\t\t\tRelativePath=".\\%s.cpp"\n\t\t\t\t>\n\t\t\t</File>\n\t\t</Filter>\n' "$name"
    printf '\t\t<Filter\n\t\t\tName="头文件"\n\t\t\tFilter="h;hpp;hxx"\n\t\t\t>\n'
    printf '\t\t\t<File\n\t\t\t\tRelativePath=".\\%s.h"\n\t\t\t\t>\n\t\t\t</File>\n\t\t</Filter>\n' "$name"
    printf '\t</Files>\n\t<Globals>\n\t</Globals>\n</VisualStudioProject>\n'
  } | emit "$file" gbk
  sources "$(dirname "$file")" "$name" "$ident" gbk 1
}

# An Intel C++ wrapper beside the project it wraps (same base name).
icproj() {
  local file=$1 name=$2 guid=$3 nested_guid=$4
  {
    printf '<?xml version="1.0" encoding="utf-8"?>\n'
    printf '<VisualStudioProject ProjectCreator="Intel C++" Keyword="Win32Proj" Version="10.0" Name="%s" ' "$name"
    printf 'ProjectIdGuid="%s" VCNestedProjectGUID="%s" VCNestedProjectFileName="%s.vcproj">\n' "$guid" "$nested_guid" "$name"
    printf '\t<Configurations>\n\t\t<Configuration Name="Debug|Win32"/>\n\t\t<Configuration Name="Release|Win32"/>\n\t</Configurations>\n'
    printf '</VisualStudioProject>\n'
  } | emit "$file" utf8
}

# sln <file> <entry>... with entries "type|name|relative path|guid[|depends-on-guid]".
sln() {
  local file=$1
  shift
  {
    printf '\nMicrosoft Visual Studio Solution File, Format Version 10.00\n# Visual Studio 2008\n'
    for e in "$@"; do
      IFS='|' read -r type name rel guid dep <<<"$e"
      printf 'Project("%s") = "%s", "%s", "%s"\n' "$type" "$name" "$rel" "$guid"
      if [ -n "$dep" ]; then
        printf '\tProjectSection(ProjectDependencies) = postProject\n\t\t%s = %s\n\tEndProjectSection\n' "$dep" "$dep"
      fi
      printf 'EndProject\n'
    done
    printf 'Global\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\n'
    printf '\t\tDebug|Win32 = Debug|Win32\n\t\tRelease|Win32 = Release|Win32\n\tEndGlobalSection\n'
    printf '\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n'
    for e in "$@"; do
      IFS='|' read -r type name rel guid dep <<<"$e"
      for cfg in Debug Release; do
        if [ "$type" = "$CS_TYPE" ]; then
          printf '\t\t%s.%s|Win32.ActiveCfg = %s|Any CPU\n' "$guid" "$cfg" "$cfg"
        else
          printf '\t\t%s.%s|Win32.ActiveCfg = %s|Win32\n\t\t%s.%s|Win32.Build.0 = %s|Win32\n' \
            "$guid" "$cfg" "$cfg" "$guid" "$cfg" "$cfg"
        fi
      done
    done
    printf '\tEndGlobalSection\n\tGlobalSection(SolutionProperties) = preSolution\n'
    printf '\t\tHideSolutionNode = FALSE\n\tEndGlobalSection\nEndGlobal\n'
  } | emit "$file" utf8bom
}

G_CORE='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D01}'
G_TEXT='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D02}'
G_NET='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D03}'
G_STORAGE='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D04}'
G_STORAGE_VC='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D05}'
G_VIEWER='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D06}'
G_TOOL='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D07}'
G_TOOLS_CS='{3D0A6E1B-5C47-4B8E-9F21-0C1A2B3C4D08}'

base="$ws/Base Library"
vcproj "$base/Core/Core.vcproj" Core "$G_CORE" lib ""
vcproj "$base/Text/Text.vcproj" Text "$G_TEXT" lib "Core.lib"
sln "$base/Base.sln" \
  "$VC_TYPE|Core|Core\\Core.vcproj|$G_CORE" \
  "$VC_TYPE|Text|Text\\Text.vcproj|$G_TEXT|$G_CORE"

svc="$ws/Services"
vcproj "$svc/网络/网络.vcproj" 网络 "$G_NET" lib "Core.lib" Network
vcproj "$svc/Storage/Storage.vcproj" Storage "$G_STORAGE_VC" dll "Text.lib Core.lib"
icproj "$svc/Storage/Storage.icproj" Storage "$G_STORAGE" "$G_STORAGE_VC"
sln "$svc/Services.sln" \
  "$VC_TYPE|网络|网络\\网络.vcproj|$G_NET" \
  "$INTEL_TYPE|Storage|Storage\\Storage.icproj|$G_STORAGE"

app="$ws/App"
vcproj "$app/Viewer/Viewer.vcproj" Viewer "$G_VIEWER" exe "网络.lib Storage.lib Text.lib"
vcproj "$app/Tool/Tool.vcproj" Tool "$G_TOOL" exe "Core.lib"
{
  printf '<?xml version="1.0" encoding="utf-8"?>\n<Project ToolsVersion="3.5" DefaultTargets="Build" '
  printf 'xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
  printf '  <PropertyGroup>\n    <ProjectGuid>%s</ProjectGuid>\n    <OutputType>Exe</OutputType>\n' "$G_TOOLS_CS"
  printf '    <AssemblyName>Tools</AssemblyName>\n  </PropertyGroup>\n'
  printf '  <ItemGroup>\n    <Compile Include="Program.cs" />\n  </ItemGroup>\n</Project>\n'
} | emit "$app/Tools/Tools.csproj" utf8
printf 'class Program { static void Main() { } }\n' | emit "$app/Tools/Program.cs" utf8
sln "$app/App.sln" \
  "$VC_TYPE|Viewer|Viewer\\Viewer.vcproj|$G_VIEWER" \
  "$VC_TYPE|Tool|Tool\\Tool.vcproj|$G_TOOL" \
  "$CS_TYPE|Tools|Tools\\Tools.csproj|$G_TOOLS_CS"

# vcxproj <file> <name> <guid> <kind> <libraries it links, ";" between>
#         [<referenced project, relative>|<its guid>]
# Writes the project (Debug and Release, Win32 and x64), its source and its
# header as Visual Studio 2022 does: UTF-8 with its mark, a group per
# configuration, the folders on the property pages set.
vcxproj() {
  local file=$1 name=$2 guid=$3 kind=$4 deps=$5 ref=${6:-}
  local type out='..\..\bin\$(Platform)\$(Configuration)\' libdir='..\..\lib\$(Platform)\$(Configuration)\'
  case $kind in lib) type=StaticLibrary; out=$libdir ;; exe) type=Application ;; dll) type=DynamicLibrary ;; esac
  local configs=("Debug|Win32" "Release|Win32" "Debug|x64" "Release|x64")
  local cond="'\$(Configuration)|\$(Platform)'=="
  {
    printf '<?xml version="1.0" encoding="utf-8"?>\n'
    printf '<Project DefaultTargets="Build" ToolsVersion="17.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
    printf '  <ItemGroup Label="ProjectConfigurations">\n'
    for c in "${configs[@]}"; do
      printf '    <ProjectConfiguration Include="%s">\n      <Configuration>%s</Configuration>\n' "$c" "${c%|*}"
      printf '      <Platform>%s</Platform>\n    </ProjectConfiguration>\n' "${c#*|}"
    done
    printf '  </ItemGroup>\n  <PropertyGroup Label="Globals">\n    <VCProjectVersion>17.0</VCProjectVersion>\n'
    printf '    <Keyword>Win32Proj</Keyword>\n    <ProjectGuid>%s</ProjectGuid>\n    <RootNamespace>%s</RootNamespace>\n' "$guid" "$name"
    printf '    <WindowsTargetPlatformVersion>10.0</WindowsTargetPlatformVersion>\n  </PropertyGroup>\n'
    printf '  <Import Project="$(VCTargetsPath)\\Microsoft.Cpp.Default.props" />\n'
    for c in "${configs[@]}"; do
      printf '  <PropertyGroup Condition="%s'"'"'%s'"'"'" Label="Configuration">\n' "$cond" "$c"
      printf '    <ConfigurationType>%s</ConfigurationType>\n    <UseDebugLibraries>%s</UseDebugLibraries>\n' \
        "$type" "$([ "${c%|*}" = Debug ] && echo true || echo false)"
      printf '    <PlatformToolset>v143</PlatformToolset>\n    <CharacterSet>Unicode</CharacterSet>\n  </PropertyGroup>\n'
    done
    printf '  <Import Project="$(VCTargetsPath)\\Microsoft.Cpp.props" />\n'
    printf '  <ImportGroup Label="ExtensionSettings">\n  </ImportGroup>\n  <ImportGroup Label="Shared">\n  </ImportGroup>\n'
    for c in "${configs[@]}"; do
      printf '  <ImportGroup Label="PropertySheets" Condition="%s'"'"'%s'"'"'">\n' "$cond" "$c"
      printf '    <Import Project="$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props" '
      printf 'Condition="exists('"'"'$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props'"'"')" Label="LocalAppDataPlatform" />\n'
      printf '  </ImportGroup>\n'
    done
    printf '  <PropertyGroup Label="UserMacros" />\n'
    for c in "${configs[@]}"; do
      printf '  <PropertyGroup Condition="%s'"'"'%s'"'"'">\n    <OutDir>%s</OutDir>\n' "$cond" "$c" "$out"
      printf '    <IntDir>$(Platform)\\$(Configuration)\\</IntDir>\n  </PropertyGroup>\n'
    done
    for c in "${configs[@]}"; do
      printf '  <ItemDefinitionGroup Condition="%s'"'"'%s'"'"'">\n    <ClCompile>\n' "$cond" "$c"
      printf '      <WarningLevel>Level3</WarningLevel>\n      <SDLCheck>true</SDLCheck>\n'
      printf '      <PreprocessorDefinitions>%s;%%(PreprocessorDefinitions)</PreprocessorDefinitions>\n' \
        "$([ "${c%|*}" = Debug ] && echo _DEBUG || echo NDEBUG)"
      printf '    </ClCompile>\n    <Link>\n      <SubSystem>%s</SubSystem>\n' "$([ "$kind" = exe ] && echo Console || echo Windows)"
      printf '      <GenerateDebugInformation>true</GenerateDebugInformation>\n'
      if [ "$kind" != lib ]; then
        printf '      <AdditionalDependencies>%s;%%(AdditionalDependencies)</AdditionalDependencies>\n' "$deps"
        printf '      <AdditionalLibraryDirectories>%s;%%(AdditionalLibraryDirectories)</AdditionalLibraryDirectories>\n' "$libdir"
      fi
      [ "$kind" = dll ] && printf '      <ImportLibrary>%s$(TargetName).lib</ImportLibrary>\n' "$libdir"
      printf '    </Link>\n  </ItemDefinitionGroup>\n'
    done
    printf '  <ItemGroup>\n    <ClCompile Include="%s.cpp" />\n  </ItemGroup>\n' "$name"
    printf '  <ItemGroup>\n    <ClInclude Include="%s.h" />\n  </ItemGroup>\n' "$name"
    if [ -n "$ref" ]; then
      printf '  <ItemGroup>\n    <ProjectReference Include="%s">\n      <Project>%s</Project>\n' "${ref%|*}" "${ref#*|}"
      printf '    </ProjectReference>\n  </ItemGroup>\n'
    fi
    printf '  <Import Project="$(VCTargetsPath)\\Microsoft.Cpp.targets" />\n'
    printf '  <ImportGroup Label="ExtensionTargets">\n  </ImportGroup>\n</Project>\n'
  } | emit "$file" utf8bom
  sources "$(dirname "$file")" "$name" "$name" utf8bom 17
}

# sln2022 <file> <name|relative path|guid>...: a solution of Visual Studio
# 2022, whose platform x86 builds the projects' Win32.
sln2022() {
  local file=$1
  shift
  {
    printf '\nMicrosoft Visual Studio Solution File, Format Version 12.00\n# Visual Studio Version 17\n'
    printf 'VisualStudioVersion = 17.8.34330.188\nMinimumVisualStudioVersion = 10.0.40219.1\n'
    for e in "$@"; do
      IFS='|' read -r name rel guid <<<"$e"
      printf 'Project("%s") = "%s", "%s", "%s"\nEndProject\n' "$VC_TYPE" "$name" "$rel" "$guid"
    done
    printf 'Global\n\tGlobalSection(SolutionConfigurationPlatforms) = preSolution\n'
    for cfg in Debug Release; do printf '\t\t%s|x64 = %s|x64\n\t\t%s|x86 = %s|x86\n' $cfg $cfg $cfg $cfg; done
    printf '\tEndGlobalSection\n\tGlobalSection(ProjectConfigurationPlatforms) = postSolution\n'
    for e in "$@"; do
      IFS='|' read -r name rel guid <<<"$e"
      for cfg in Debug Release; do
        for pair in "x64 x64" "x86 Win32"; do
          read -r solution_platform project_platform <<<"$pair"
          printf '\t\t%s.%s|%s.ActiveCfg = %s|%s\n\t\t%s.%s|%s.Build.0 = %s|%s\n' \
            "$guid" $cfg "$solution_platform" $cfg "$project_platform" \
            "$guid" $cfg "$solution_platform" $cfg "$project_platform"
        done
      done
    done
    printf '\tEndGlobalSection\n\tGlobalSection(SolutionProperties) = preSolution\n'
    printf '\t\tHideSolutionNode = FALSE\n\tEndGlobalSection\nEndGlobal\n'
  } | emit "$file" utf8bom
}

G_DECODER='{7B4C2D10-9E3F-4A51-8C62-1D2E3F405001}'
G_CODEC='{7B4C2D10-9E3F-4A51-8C62-1D2E3F405002}'
G_PLAYER='{7B4C2D10-9E3F-4A51-8C62-1D2E3F405003}'

media="$ws/Media 2022"
vcxproj "$media/Decoder/Decoder.vcxproj" Decoder "$G_DECODER" lib ""
vcxproj "$media/Codec/Codec.vcxproj" Codec "$G_CODEC" dll "Decoder.lib"
vcxproj "$media/Player/Player.vcxproj" Player "$G_PLAYER" exe "Decoder.lib" "..\Codec\Codec.vcxproj|$G_CODEC"
sln2022 "$media/Media.sln" \
  "Player|Player\Player.vcxproj|$G_PLAYER" \
  "Codec|Codec\Codec.vcxproj|$G_CODEC" \
  "Decoder|Decoder\Decoder.vcxproj|$G_DECODER"

# The wrong order, on purpose; the 2022 solution last.
printf '%s\n' "$app/App.sln" "$svc/Services.sln" "$base/Base.sln" "$media/Media.sln"
