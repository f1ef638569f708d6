// MSBuild's evaluation on its own: project files and sheets written to a
// temporary folder, parsed through the platform's MSXML, evaluated with the
// global properties a solution build gives. The expected values are what
// MSBuild itself makes of the same files (checked with "dotnet msbuild
// -getProperty" where MSBuild's answer does not depend on Windows paths).
#include <gtest/gtest.h>
#include <objbase.h>
#include <memory>
#include "app/engine/projectfiles/MsBuildEvaluation.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using namespace Test_ns;
using Base_ns::String_cl;

namespace {

std::string U8(const String_cl& text) { return text.ToUtf8(); }

String_cl ProjectText(const String_cl& body)
{
    return L"<Project ToolsVersion=\"15.0\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n" + body +
           L"\r\n</Project>";
}

class MsBuildEvaluationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override
    {
        m_evaluation.reset();
        CoUninitialize();
    }

    String_cl Write(const wchar_t* relative, const String_cl& body)
    {
        const String_cl path = m_dir / relative;
        EXPECT_TRUE(WriteMsBuildFile(path, ProjectText(body)));
        return path;
    }

    MsBuildEvaluation_cl& Evaluate(const String_cl& path, const PropertyList_t& globals,
                                   std::vector<String_cl> items = {}, std::vector<String_cl> settings = {})
    {
        m_evaluation.reset();
        m_budget = std::make_unique<EvaluationBudget_cl>(path);
        m_evaluation = std::make_unique<MsBuildEvaluation_cl>(
            MsBuildEvaluation_cl::Request_st{path, nullptr, globals, std::move(items), std::move(settings)}, m_cache, *m_budget);
        return *m_evaluation;
    }

    // The value, or "<unknown: cause lines>" when it could not be evaluated.
    static std::string Shown(const MsBuildEvaluation_cl& e, const Value_st& v)
    {
        if (v.Known()) return U8(v.text);
        String_cl t = L"<unknown:";
        for (uint32_t c : v.causes) t += L" " + e.Cause(c);
        return U8(t + L">");
    }

    static std::vector<String_cl> Lines(const MsBuildEvaluation_cl& e, const Causes_t& causes)
    {
        std::vector<String_cl> lines;
        for (uint32_t c : causes) lines.push_back(e.Cause(c));
        return lines;
    }

    TempDir_cl m_dir{L"qv-eval"};
    ProjectFileCache_cl m_cache;
    std::unique_ptr<EvaluationBudget_cl> m_budget;
    std::unique_ptr<MsBuildEvaluation_cl> m_evaluation;
};

struct ConditionCase_st {
    const wchar_t* condition;
    enum { Holds, Fails, Undecided } expected;
};

// Each condition guards one property of one project; the project is read in
// the configuration DebugDLL|x64 a solution asks for.
TEST_F(MsBuildEvaluationTest, ConditionsAsMSBuildDecidesThem)
{
    const ConditionCase_st cases[] = {
        {L"'$(Configuration)|$(Platform)'=='DebugDLL|x64'", ConditionCase_st::Holds},
        // Texts compare ignoring case.
        {L"'$(Configuration)|$(Platform)'=='debugdll|X64'", ConditionCase_st::Holds},
        {L"'$(Configuration)' != 'Release'", ConditionCase_st::Holds},
        // A property nobody defined is the empty text.
        {L"'$(Undefined)' == ''", ConditionCase_st::Holds},
        {L"'$(Undefined)' != ''", ConditionCase_st::Fails},
        {L"$(Undefined) == ''", ConditionCase_st::Holds},
        // Unquoted operands and property functions.
        {L"$(Platform) == x64", ConditionCase_st::Holds},
        {L"$(Configuration.IndexOf('DLL')) != -1", ConditionCase_st::Holds},
        {L"$(Configuration.IndexOf('LIB')) != -1", ConditionCase_st::Fails},
        {L"'$(Configuration.Replace('DLL', ''))' == 'Debug'", ConditionCase_st::Holds},
        // Booleans, "!", "and", "or" and parentheses; "and" binds closer.
        {L"'$(Flag)'", ConditionCase_st::Holds},
        {L"$(Flag) and !$(Off)", ConditionCase_st::Holds},
        {L"'ON' == 'true'", ConditionCase_st::Holds},
        {L"!('$(Configuration)' == 'Release' or '$(Platform)' == 'Win32')", ConditionCase_st::Holds},
        {L"('$(Configuration)' == 'Release' Or '$(Platform)' == 'x64') AND '$(Ten)' == '10'", ConditionCase_st::Holds},
        {L"'$(Configuration)' == 'Release' OR '$(Platform)' == 'x64' AND false", ConditionCase_st::Fails},
        // Numbers compare as numbers.
        {L"'$(Ten)' == '10.0'", ConditionCase_st::Holds},
        {L"'$(Hex)' == '$(Ten)'", ConditionCase_st::Holds},
        {L"$(Ten) > 9 and $(Ten) <= 10", ConditionCase_st::Holds},
        // Files relative to the project's folder, trailing slashes.
        {L"Exists('present.txt')", ConditionCase_st::Holds},
        {L"Exists('$(MSBuildProjectDirectory)\\present.txt')", ConditionCase_st::Holds},
        {L"exists('absent.txt')", ConditionCase_st::Fails},
        {L"!Exists('')", ConditionCase_st::Holds},
        {L"HasTrailingSlash('$(Folder)')", ConditionCase_st::Holds},
        {L"HasTrailingSlash('$(Mixed)')", ConditionCase_st::Fails},
        // Decided by its left side whatever the right one names.
        {L"'$(Configuration)' == 'Debug' and $([System.DateTime]::Now.Year) > 2000", ConditionCase_st::Fails},
        // What is not decided here is said to be so, never guessed.
        {L"$([System.DateTime]::Now.Year) > 2000", ConditionCase_st::Undecided},
        {L"'$(Ten)' < 'abc'", ConditionCase_st::Undecided},
        {L"'$(Ten)' == ", ConditionCase_st::Undecided},
        {L"Exist('present.txt')", ConditionCase_st::Undecided},
    };
    String_cl body = L"<PropertyGroup><Flag>true</Flag><Off>off</Off><Ten>10</Ten><Hex>0x0A</Hex>"
                     L"<Folder>sub\\</Folder><Mixed>Release</Mixed></PropertyGroup>\r\n<PropertyGroup>\r\n";
    for (size_t i = 0; i < std::size(cases); ++i) {
        String_cl condition = cases[i].condition;
        condition.ReplaceAll(L"&", L"&amp;");
        condition.ReplaceAll(L"<", L"&lt;");
        condition.ReplaceAll(L">", L"&gt;");
        body += L"<C" + String_cl::FromInt(static_cast<long long>(i)) + L" Condition=\"" + condition + L"\">yes</C" +
                String_cl::FromInt(static_cast<long long>(i)) + L">\r\n";
    }
    const String_cl path = Write(L"p\\conditions.proj", body + L"</PropertyGroup>");
    ASSERT_TRUE(WriteBytes(m_dir / L"p\\present.txt", "x"));
    CreateFolders(m_dir / L"p\\sub\\x");

    MsBuildEvaluation_cl& e = Evaluate(path, {{L"Configuration", L"DebugDLL"}, {L"Platform", L"x64"}});
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Value_st v = e.PropertyValue(L"C" + String_cl::FromInt(static_cast<long long>(i)));
        // A property under a condition that is not decided is not known.
        const std::vector<String_cl> lines = Lines(e, v.causes);
        const bool noted = std::find(lines.begin(), lines.end(), L"条件无法求值：" + String_cl(cases[i].condition)) != lines.end();
        EXPECT_EQ(cases[i].expected == ConditionCase_st::Holds ? "yes" : "", U8(v.text)) << U8(cases[i].condition);
        EXPECT_EQ(cases[i].expected == ConditionCase_st::Undecided, noted) << U8(cases[i].condition);
        EXPECT_EQ(cases[i].expected == ConditionCase_st::Undecided, !v.Known()) << U8(cases[i].condition);
    }
}

struct FunctionCase_st {
    const wchar_t* expression;
    const wchar_t* expected;  // "~\" stands for the test's folder; nullptr: not evaluated here
};

// Property functions real sheets use, on a property and on the classes
// MSBuild allows; one property each.
TEST_F(MsBuildEvaluationTest, PropertyFunctionsAndWhatIsNotEvaluated)
{
    const FunctionCase_st cases[] = {
        {L"$(Name.ToLower())", L"corelib"},
        {L"$(Name.ToUpper())", L"CORELIB"},
        {L"$(Name.Replace('Lib', 'Dll'))", L"CoreDll"},
        {L"$(Name.Contains('Lib'))", L"True"},
        {L"$(Name.StartsWith('Core'))", L"True"},
        {L"$(Name.EndsWith('lib'))", L"False"},
        {L"$(Name.IndexOf('Lib'))", L"4"},
        {L"$(Name.Substring(4))", L"Lib"},
        {L"$(Name.Substring(0, 4))", L"Core"},
        {L"$(Name.Length)", L"7"},
        {L"[$(Spaced.Trim())]", L"[padded]"},
        {L"$(Folder.TrimEnd('\\'))", L"out\\x64"},
        {L"$(Configuration.Replace('DLL', '').ToLower())", L"debug"},
        {L"lib$(Name)$(Platform.Replace('x', '_'))", L"libCoreLib_64"},
        {L"$([System.IO.Path]::Combine('$(MSBuildProjectDirectory)', 'out', 'x.lib'))", L"~\\p\\out\\x.lib"},
        {L"$([System.IO.Path]::Combine('a', 'C:\\rooted'))", L"C:\\rooted"},
        {L"$([System.IO.Path]::GetFileName('..\\lib\\$(Name).lib'))", L"CoreLib.lib"},
        {L"$([System.IO.Path]::GetFileNameWithoutExtension('a\\b.c.lib'))", L"b.c"},
        {L"$([System.IO.Path]::GetDirectoryName('C:\\a\\b\\c.lib'))", L"C:\\a\\b"},
        {L"$([System.IO.Path]::GetDirectoryName('C:\\a'))", L"C:\\"},
        {L"$([System.IO.Path]::GetFullPath('..\\bin'))", L"~\\bin"},
        {L"$([MSBuild]::NormalizeDirectory('$(MSBuildProjectDirectory)', '..', 'bin'))", L"~\\bin\\"},
        {L"$([MSBuild]::NormalizePath('$(MSBuildThisFileDirectory)', 'x.lib'))", L"~\\p\\x.lib"},
        {L"$([MSBuild]::GetDirectoryNameOfFileAbove('$(MSBuildProjectDirectory)', 'marker.txt'))", L"~"},
        {L"$([MSBuild]::GetPathOfFileAbove('marker.txt'))", L"~\\marker.txt"},
        {L"$([MSBuild]::ValueOrDefault('$(Undefined)', 'fallback'))", L"fallback"},
        {L"$([MSBuild]::ValueOrDefault('$(Name)', 'fallback'))", L"CoreLib"},
        {L"$([MSBuild]::EnsureTrailingSlash('$(Name)'))", L"CoreLib\\"},
        {L"$([MSBuild]::Add($(Name.Length), 3))", L"10"},
        {L"$([System.String]::IsNullOrEmpty('$(Undefined)'))", L"True"},
        // Nested in the arguments of each other, quotes of every kind.
        {L"$([System.IO.Path]::GetFileName(`$([System.IO.Path]::Combine(\"$(Name)\", '$(Name.ToLower()).lib'))`))", L"corelib.lib"},
        // Not done here: the property is unknown, never a text cut short.
        {L"$([System.DateTime]::Now.ToString('yyyy'))", nullptr},
        {L"bin\\$([System.Environment]::GetFolderPath(SpecialFolder.ProgramFiles))\\x", nullptr},
        {L"$(Name.Split(';'))", nullptr},
        {L"$(Name.Substring(40))", nullptr},
        {L"$(Registry:HKEY_LOCAL_MACHINE\\Software\\Vendor@Path)", nullptr},
        {L"@(ClCompile)", nullptr},
    };
    ASSERT_TRUE(WriteBytes(m_dir / L"marker.txt", "x"));
    String_cl body = L"<PropertyGroup><Name>CoreLib</Name><Spaced>$([System.String]::Copy('  padded  '))</Spaced>"
                     L"<Folder>out\\x64\\</Folder></PropertyGroup>\r\n<PropertyGroup>\r\n";
    for (size_t i = 0; i < std::size(cases); ++i) {
        String_cl expression = cases[i].expression;
        expression.ReplaceAll(L"&", L"&amp;");
        expression.ReplaceAll(L"<", L"&lt;");
        body += L"<F" + String_cl::FromInt(static_cast<long long>(i)) + L">" + expression + L"</F" +
                String_cl::FromInt(static_cast<long long>(i)) + L">\r\n";
    }
    const String_cl path = Write(L"p\\functions.proj", body + L"</PropertyGroup>");
    MsBuildEvaluation_cl& e = Evaluate(path, {{L"Configuration", L"DebugDLL"}, {L"Platform", L"x64"}});
    const String_cl root = m_dir.Path().substr(0, m_dir.Path().size() - 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const String_cl name = L"F" + String_cl::FromInt(static_cast<long long>(i));
        const Value_st v = e.PropertyValue(name);
        if (cases[i].expected) {
            String_cl expected = cases[i].expected;
            if (expected.StartsWith(L"~")) expected = root + expected.substr(1);
            EXPECT_EQ(U8(expected), Shown(e, v)) << U8(cases[i].expression);
        } else {
            // The line names the property and the expression it could not evaluate.
            const String_cl expression = cases[i].expression;
            const size_t start = expression.find_first_of(L"$@");
            const size_t end = expression.rfind(L')');
            EXPECT_EQ(U8(L"<unknown: 属性 " + name + L" 无法求值：" + expression.substr(start, end + 1 - start) + L">"),
                      Shown(e, v));
        }
    }
}

// Choose/When/Otherwise: the first When that holds, else Otherwise, decided
// with the properties known where the Choose stands; its items join the
// items' pass.
TEST_F(MsBuildEvaluationTest, ChooseTakesTheFirstWhenThatHoldsElseOtherwise)
{
    const String_cl path = Write(L"choose.vcxproj", LR"xml(
  <Choose>
    <When Condition="$(Configuration.EndsWith('DLL'))">
      <PropertyGroup><Linkage>dynamic</Linkage></PropertyGroup>
      <ItemGroup><ProjectReference Include="..\runtime\runtime.vcxproj" /></ItemGroup>
    </When>
    <When Condition="'$(Configuration)' == 'Debug' or '$(Configuration)' == 'DebugDLL'">
      <PropertyGroup><Linkage>debug</Linkage></PropertyGroup>
      <Choose>
        <When Condition="'$(Platform)' == 'x64'"><PropertyGroup><Bits>64</Bits></PropertyGroup></When>
        <Otherwise><PropertyGroup><Bits>32</Bits></PropertyGroup></Otherwise>
      </Choose>
    </When>
    <Otherwise>
      <PropertyGroup><Linkage>static</Linkage></PropertyGroup>
      <ItemGroup><ProjectReference Include="..\static\static.vcxproj" /></ItemGroup>
    </Otherwise>
  </Choose>)xml");
    struct Case_st {
        const wchar_t* configuration;
        const char* linkage;
        const char* bits;
        const char* reference;
    } cases[] = {{L"DebugDLL", "dynamic", "", "..\\runtime\\runtime.vcxproj"},
                 {L"Debug", "debug", "64", ""},
                 {L"Release", "static", "", "..\\static\\static.vcxproj"}};
    for (const Case_st& c : cases) {
        MsBuildEvaluation_cl& e = Evaluate(path, {{L"Configuration", c.configuration}, {L"Platform", L"x64"}},
                                           {L"ProjectReference"});
        EXPECT_EQ(c.linkage, U8(e.PropertyValue(L"Linkage").text)) << U8(c.configuration);
        EXPECT_EQ(c.bits, U8(e.PropertyValue(L"Bits").text)) << U8(c.configuration);
        const std::vector<Value_st> references = e.Items(L"ProjectReference");
        EXPECT_EQ(c.reference, references.empty() ? std::string() : U8(references.front().text)) << U8(c.configuration);
        EXPECT_LE(references.size(), 1u);
    }
}

// MSBuild's passes: properties first (each seeing only those before it),
// then item definitions, then items, both with the final properties; and
// "%(Name)" in a definition stands for the definition so far.
TEST_F(MsBuildEvaluationTest, PropertiesThenItemDefinitionsThenItems)
{
    const String_cl path = Write(L"passes.vcxproj", LR"xml(
  <ItemGroup><ProjectReference Include="$(Dep)\dep.vcxproj" /></ItemGroup>
  <PropertyGroup><Early>[$(Libs)]</Early></PropertyGroup>
  <ItemDefinitionGroup><Link><AdditionalDependencies>$(Libs);%(AdditionalDependencies)</AdditionalDependencies></Link></ItemDefinitionGroup>
  <PropertyGroup><Dep>..\dep</Dep><Libs>a.lib</Libs></PropertyGroup>
  <ItemDefinitionGroup Condition="'$(Libs)' == 'late.lib'">
    <Link><AdditionalDependencies>b.lib;%(Link.AdditionalDependencies)</AdditionalDependencies></Link>
  </ItemDefinitionGroup>
  <ItemDefinitionGroup Condition="'$(Libs)' == 'a.lib'">
    <Link><AdditionalDependencies>wrong.lib</AdditionalDependencies></Link>
  </ItemDefinitionGroup>
  <PropertyGroup><Libs>late.lib</Libs></PropertyGroup>)xml");
    MsBuildEvaluation_cl& e = Evaluate(path, {{L"Configuration", L"Debug"}, {L"Platform", L"Win32"}},
                                       {L"ProjectReference"}, {L"Link"});
    EXPECT_EQ("[]", U8(e.PropertyValue(L"Early").text));
    EXPECT_EQ("b.lib;late.lib;", U8(e.Setting(L"Link", L"AdditionalDependencies").text));
    ASSERT_EQ(1u, e.Items(L"ProjectReference").size());
    EXPECT_EQ("..\\dep\\dep.vcxproj", U8(e.Items(L"ProjectReference").front().text));
}

// Imports: relative to the importing file; each file once, so a sheet
// imported twice adds once and a circle ends; a wildcard imports every
// match in order; a missing file is noted; the installation's files are not
// read even where a file of that name exists.
TEST_F(MsBuildEvaluationTest, ImportsOnceRelativeToTheImportingFile)
{
    Write(L"sheets\\a.props", LR"xml(
  <PropertyGroup><Trail>$(Trail)a[$(MSBuildThisFileDirectory)]</Trail></PropertyGroup>
  <Import Project="deeper\b.props" />)xml");
    Write(L"sheets\\deeper\\b.props", LR"xml(
  <PropertyGroup><Trail>$(Trail)b</Trail></PropertyGroup>
  <Import Project="..\a.props" />)xml");
    Write(L"sheets\\extra\\2.props", L"<PropertyGroup><Trail>$(Trail)2</Trail></PropertyGroup>");
    Write(L"sheets\\extra\\1.props", L"<PropertyGroup><Trail>$(Trail)1</Trail></PropertyGroup>");
    Write(L"app\\Microsoft.Cpp.Default.props", L"<PropertyGroup><Trail>wrong</Trail></PropertyGroup>");
    const String_cl path = Write(L"app\\app.vcxproj", LR"xml(
  <Import Project="..\sheets\a.props" />
  <Import Project="..\sheets\a.props" />
  <Import Project="../sheets/deeper/b.props" />
  <Import Project="..\sheets\extra\*.props" />
  <Import Project="..\sheets\missing.props" />
  <Import Project="Microsoft.Cpp.Default.props" />
  <Import Project="$(UserRootDir)\Microsoft.Cpp.$(Platform).user.props" />)xml");
    MsBuildEvaluation_cl& e = Evaluate(path, {{L"Configuration", L"Debug"}, {L"Platform", L"Win32"}});
    EXPECT_EQ(U8(L"a[" + m_dir / L"sheets\\]b12"), U8(e.PropertyValue(L"Trail").text));
    EXPECT_EQ((std::vector<String_cl>{m_dir / L"sheets\\a.props", m_dir / L"sheets\\deeper\\b.props",
                                      m_dir / L"sheets\\extra\\1.props", m_dir / L"sheets\\extra\\2.props"}),
              e.FilesRead());
    EXPECT_EQ((std::vector<String_cl>{L"找不到导入的文件：" + m_dir / L"sheets\\missing.props"}), Lines(e, e.General()));
}

// The defaults of the installation's sheets at the points the project
// imports them, Directory.Build.props and .targets among them: the
// project's Globals come before the props, what follows overrides them.
TEST_F(MsBuildEvaluationTest, InstallationDefaultsAndDirectoryBuildFilesAtTheirImports)
{
    Write(L"Directory.Build.props", L"<PropertyGroup><Outer>read</Outer></PropertyGroup>");
    Write(L"src\\Directory.Build.props", LR"xml(
  <PropertyGroup>
    <OutDir>$(SolutionDir)out\$(Tag)</OutDir>
    <IntDir>dbp\</IntDir>
    <SeenProjectName>[$(ProjectName)]</SeenProjectName>
  </PropertyGroup>)xml");
    Write(L"src\\Directory.Build.targets", L"<PropertyGroup><AfterTargets>$(TargetPath)</AfterTargets></PropertyGroup>");
    const String_cl path = Write(L"src\\app\\app.vcxproj", LR"xml(
  <PropertyGroup Label="Globals"><Tag>$(Configuration)</Tag><ProjectName>App</ProjectName></PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.Default.props" />
  <PropertyGroup Label="Configuration"><ConfigurationType>DynamicLibrary</ConfigurationType></PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.props" />
  <PropertyGroup><IntDir>obj\$(PlatformShortName)</IntDir></PropertyGroup>
  <Import Project="$(VCTargetsPath)\Microsoft.Cpp.targets" />)xml");
    MsBuildEvaluation_cl& e = Evaluate(path, {{L"Configuration", L"Release"}, {L"Platform", L"x64"},
                                              {L"SolutionDir", m_dir.Path()}, {L"SolutionName", L"All"}},
                                       {}, {L"Link"});
    EXPECT_EQ("", U8(e.PropertyValue(L"Outer").text));
    EXPECT_EQ(U8(m_dir / L"out\\Release\\"), U8(e.PropertyValue(L"OutDir").text));
    EXPECT_EQ("obj\\x64\\", U8(e.PropertyValue(L"IntDir").text));
    EXPECT_EQ("[App]", U8(e.PropertyValue(L"SeenProjectName").text));
    EXPECT_EQ(".dll", U8(e.PropertyValue(L"TargetExt").text));
    EXPECT_EQ(U8(m_dir / L"out\\Release\\App.dll"), U8(e.PropertyValue(L"TargetPath").text));
    EXPECT_EQ(U8(m_dir / L"out\\Release\\App.dll"), U8(e.PropertyValue(L"AfterTargets").text));
    EXPECT_EQ(U8(m_dir / L"out\\Release\\App.dll"), U8(e.Setting(L"Link", L"OutputFile").text));
    EXPECT_EQ((std::vector<String_cl>{m_dir / L"src\\Directory.Build.props", m_dir / L"src\\Directory.Build.targets"}),
              e.FilesRead());
}

} // namespace
