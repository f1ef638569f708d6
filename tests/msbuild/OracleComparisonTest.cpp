// The comparer of the reader with MSBuild must see every difference and
// only differences: a correct record agrees on every field, and a record
// spoilt in one field differs in that field alone. Paths MSBuild prints on
// Unix must come back as the Windows paths the reader gives.
#include <gtest/gtest.h>
#include <functional>
#include <set>
#include "tests/msbuild/OracleComparison.h"
#include "tests/msbuild/WinePaths.h"
#include "tests/support/TestSupport.h"

using namespace Oracle_ns;

namespace {

// Wine's mapping of the root, as the oracle meets it: /work is Z:\work.
String_cl FakeWindows(const String_cl& unix)
{
    String_cl p = unix;
    p.ReplaceAll(L"/", L"\\");
    return L"Z:" + p;
}

TEST(OracleComparisonTest, CanonicalPathsResolveDotsAndSeparatorsWithinTheRoot)
{
    struct Row {
        const wchar_t* path;
        bool folder;
        const wchar_t* expected;
    } rows[] = {
        {L"Z:\\a\\b\\..\\c", true, L"Z:\\a\\c\\"},
        {L"Z:/a//b/./c", false, L"Z:\\a\\b\\c"},
        {L"Z:\\..\\a", false, L"Z:\\a"},
        {L"\\\\server\\share\\x\\..\\..\\y", false, L"\\\\server\\share\\y"},
        {L"a\\..\\..\\b", false, L"..\\b"},
        {L"Z:\\out", true, L"Z:\\out\\"},
        {L"", true, L""},
    };
    for (const Row& r : rows) EXPECT_EQ(CanonicalPath(r.path, r.folder), String_cl(r.expected)) << r.path;
}

TEST(OracleComparisonTest, MsbuildPathsBecomeTheReadersFullPaths)
{
    const String_cl project = L"Z:\\work\\s\\core\\";
    struct Row {
        const wchar_t* value;
        bool folder;
        const wchar_t* expected;
    } rows[] = {
        // $(SolutionDir) of MSBuild on Unix joined to the project's backslashes
        {L"/work/s/\\bin\\Debug\\", true, L"Z:\\work\\s\\bin\\Debug\\"},
        // relative to the project, "\" turned to "/" by MSBuild on Unix
        {L"../bin/x/", true, L"Z:\\work\\s\\bin\\x\\"},
        {L"Debug\\", true, L"Z:\\work\\s\\core\\Debug\\"},
        // a Windows path written into the project (CMake) stays one
        {L"Z:/abs dir/c.vcxproj", false, L"Z:\\abs dir\\c.vcxproj"},
        {L"  ", false, L""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(MsbuildPath(r.value, project, FakeWindows, r.folder), String_cl(r.expected)) << r.value;
}

MsbuildValues_t DllValues()
{
    return {{L"ConfigurationType", L"DynamicLibrary"},
            {L"OutDir", L"/work/s/\\bin\\Debug\\"},
            {L"IntDir", L"Debug/"},
            {L"TargetName", L"core"},
            {L"Link.OutputFile", L"/work/s/\\bin\\Debug\\core.dll"},
            {L"Link.ImportLibrary", L"/work/s/bin/Debug/core.lib"},
            {L"Link.ProgramDatabaseFile", L"/work/s/bin/Debug/core.pdb"},
            {L"Link.AdditionalDependencies", L"Z:/a b/c.lib;ws2_32.lib;"},
            {L"Lib.OutputFile", L"/work/s/bin/Debug/core.dll"},
            {L"ProjectReference", L"../lib/lib.vcxproj;Z:/abs/u.vcxproj"}};
}

// What a correct reader records for DllValues.
Quorvane_ns::Project_st DllRecord()
{
    Quorvane_ns::Project_st p;
    p.path = L"Z:\\work\\s\\core\\core.vcxproj";
    p.references = {L"Z:\\work\\s\\lib\\lib.vcxproj", L"z:\\abs\\u.vcxproj"};
    ConfigEntry_st e;
    e.outputFolder = L"Z:\\work\\s\\bin\\Debug\\";
    e.intermediateFolder = L"Z:\\work\\s\\core\\Debug\\";
    e.outputFile = L"Z:\\work\\s\\bin\\Debug\\core.dll";
    e.importLibrary = L"Z:\\work\\s\\bin\\Debug\\core.lib";
    e.programDatabase = L"Z:\\work\\s\\bin\\Debug\\core.pdb";
    e.output = L"core.lib";
    e.libraries = {L"WS2_32.LIB", L"c.lib"};
    p.configurations.Insert(L"DEBUG|WIN32", e);
    return p;
}

std::set<String_cl> Differing(const std::vector<Check_st>& checks)
{
    std::set<String_cl> fields;
    for (const Check_st& c : checks)
        if (c.compared && !c.agree) fields.insert(c.field);
    return fields;
}

TEST(OracleComparisonTest, ARecordSpoiltInOneFieldDiffersInThatFieldAlone)
{
    using Mutation = std::function<void(Quorvane_ns::Project_st&, ConfigEntry_st&)>;
    struct Row {
        const char* what;
        Mutation spoil;
        std::set<String_cl> expected;
    } rows[] = {
        {"nothing", [](auto&, auto&) {}, {}},
        {"a library path cut at its blank",
         [](auto&, auto& e) { e.libraries = {L"a", L"c.lib", L"ws2_32.lib"}; },
         {L"libraries"}},
        {"the output folder taken from the project's folder",
         [](auto&, auto& e) { e.outputFolder = L"Z:\\work\\s\\core\\bin\\Debug\\"; },
         {L"OutDir"}},
        {"the intermediate folder without the configuration",
         [](auto&, auto& e) { e.intermediateFolder = L"Z:\\work\\s\\core\\"; },
         {L"IntDir"}},
        {"the DLL's output renamed", [](auto&, auto& e) { e.outputFile = L"Z:\\work\\s\\bin\\Debug\\core2.dll"; },
         {L"output file", L"target name"}},
        {"no import library: a program then",
         [](auto&, auto& e) { e.importLibrary.clear(); },
         {L"type", L"import library"}},
        {"the program database elsewhere", [](auto&, auto& e) { e.programDatabase = L"Z:\\core.pdb"; },
         {L"program database"}},
        {"a reference lost", [](auto& p, auto&) { p.references.pop_back(); }, {L"references"}},
    };
    for (const Row& r : rows) {
        Quorvane_ns::Project_st project = DllRecord();
        ConfigEntry_st& entry = *project.configurations.Find(L"DEBUG|WIN32");
        r.spoil(project, entry);
        const std::vector<Check_st> checks = CompareConfiguration(DllValues(), project, &entry, FakeWindows);
        EXPECT_EQ(Differing(checks), r.expected) << r.what;
    }
}

TEST(OracleComparisonTest, AMissingConfigurationOrAnUnreadableFileIsTheOneDifference)
{
    Quorvane_ns::Project_st project = DllRecord();
    std::vector<Check_st> checks = CompareConfiguration(DllValues(), project, nullptr, FakeWindows);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].field, String_cl(L"configuration"));
    EXPECT_FALSE(checks[0].agree);

    project.unreadable = L"not XML";
    checks = CompareConfiguration(DllValues(), project, project.configurations.Find(L"DEBUG|WIN32"), FakeWindows);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].agree);
    EXPECT_NE(checks[0].reader.find(L"not XML"), String_cl::npos);
}

TEST(OracleComparisonTest, FieldsWithoutMeaningForTheTypeAreNotCompared)
{
    struct Row {
        const char* what;
        MsbuildValues_t values;
        ConfigEntry_st entry;
        std::set<String_cl> notCompared;
    };
    ConfigEntry_st utility;
    utility.outputFolder = L"Z:\\p\\x64\\Debug\\";
    utility.intermediateFolder = L"Z:\\p\\x64\\Debug\\";
    ConfigEntry_st program;
    program.outputFolder = L"Z:\\p\\bin\\";
    program.intermediateFolder = L"Z:\\p\\obj\\";
    program.outputFile = L"Z:\\p\\bin\\tool_d.exe";
    program.programDatabase = L"Z:\\p\\bin\\tool.pdb";
    program.output = L"tool_d.exe";
    Row rows[] = {
        {"a utility project",
         {{L"ConfigurationType", L"Utility"}, {L"OutDir", L"x64\\Debug\\"}, {L"IntDir", L"x64/Debug/"}},
         utility,
         {L"target name", L"output file", L"import library", L"program database"}},
        {"a program whose linker output is not named after TargetName",
         {{L"ConfigurationType", L"Application"},
          {L"OutDir", L"bin"},
          {L"IntDir", L"obj"},
          {L"TargetName", L"tool"},
          {L"Link.OutputFile", L"bin\\tool_d.exe"},
          {L"Link.ProgramDatabaseFile", L"bin\\tool.pdb"}},
         program,
         {L"target name", L"import library"}},
    };
    for (const Row& r : rows) {
        Quorvane_ns::Project_st project;
        project.path = L"Z:\\p\\p.vcxproj";
        const std::vector<Check_st> checks = CompareConfiguration(r.values, project, &r.entry, FakeWindows);
        std::set<String_cl> notCompared;
        for (const Check_st& c : checks)
            if (!c.compared) notCompared.insert(c.field);
        EXPECT_EQ(notCompared, r.notCompared) << r.what;
        EXPECT_TRUE(Differing(checks).empty()) << r.what;
    }
}

TEST(OracleComparisonTest, ConfigurationNamesCompareIgnoringCaseDotsIncluded)
{
    Quorvane_ns::Project_st project;
    project.configurations.Insert(L"DEBUG|WIN32", {});
    project.configurations.Insert(L"RELEASE.MT|WIN32", {});
    EXPECT_TRUE(CompareConfigurationNames({L"Debug|Win32", L"Release.MT|Win32"}, project).agree);
    EXPECT_FALSE(CompareConfigurationNames({L"Debug|Win32", L"Release.MT|Win32", L"Release|Win32"}, project).agree);
    EXPECT_FALSE(CompareConfigurationNames({L"Debug|Win32"}, project).agree);
}

// The oracle hands MSBuild the system's paths of the files it writes and
// maps MSBuild's back: both ways must meet on a real folder, Chinese name
// included.
TEST(OracleComparisonTest, PathsOfTheSystemUnderneathRoundTrip)
{
    Test_ns::TempDir_cl dir(L"qv-oracle");
    const String_cl folder = dir / L"工程 a\\";
    Test_ns::CreateFolders(folder + L"x.vcxproj");
    const String_cl system = SystemPath(folder);
    ASSERT_FALSE(system.empty());
    if (UnderWine()) {
        EXPECT_TRUE(system.StartsWith(L"/")) << system.ToUtf8();
        EXPECT_TRUE(system.EndsWith(L"/工程 a/")) << system.ToUtf8();
    }
    EXPECT_TRUE(WindowsPath(system).EqualsNoCase(folder)) << WindowsPath(system).ToUtf8();
    EXPECT_TRUE(WindowsPath(SystemPath(folder + L"x.vcxproj")).EqualsNoCase(folder + L"x.vcxproj"));
}

} // namespace
