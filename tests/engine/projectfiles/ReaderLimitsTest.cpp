// Project files that would grow without bound or nest past any real one:
// each is the reader's own error naming the file and what went over, never
// a hang, an exhausted memory or a system error, and the project store
// turns it into a record that says why.
#include <gtest/gtest.h>
#include <objbase.h>
#include <functional>
#include "app/engine/ProjectPack.h"
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using namespace Test_ns;
using Base_ns::String_cl;

namespace {

std::string U8(const String_cl& text) { return text.ToUtf8(); }

String_cl N(int i) { return String_cl::FromInt(i); }

String_cl ProjectWith(const String_cl& body)
{
    return L"<Project DefaultTargets=\"Build\" ToolsVersion=\"15.0\" "
           L"xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
           L"<ItemGroup Label=\"ProjectConfigurations\"><ProjectConfiguration Include=\"Debug|Win32\" /></ItemGroup>\r\n" +
           body + L"\r\n</Project>";
}

struct LimitCase_st {
    const char* what;
    // Writes the project (and its sheets) into the folder; returns its path.
    std::function<String_cl(const String_cl& folder)> write;
    int code;
    const wchar_t* named;  // part of the note besides the file
};

class ReaderLimitsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
    TempDir_cl m_dir{L"qv-limits"};
};

TEST_F(ReaderLimitsTest, HostileFilesAreTheReadersErrorNamingTheFile)
{
    const LimitCase_st cases[] = {
        {"each property twice the one before, forty times",
         [](const String_cl& folder) {
             String_cl body = L"<PropertyGroup><P0>x</P0>";
             for (int i = 1; i <= 40; ++i) body += L"<P" + N(i) + L">$(P" + N(i - 1) + L")$(P" + N(i - 1) + L")</P" + N(i) + L">";
             const String_cl path = folder + L"doubled.vcxproj";
             WriteMsBuildFile(path, ProjectWith(body + L"</PropertyGroup>"));
             return path;
         },
         101, L"属性 P17"},
        {"a linker setting twice its earlier value, forty times",
         [](const String_cl& folder) {
             String_cl body = L"<ItemDefinitionGroup><Link><AdditionalDependencies>a.lib</AdditionalDependencies></Link></ItemDefinitionGroup>";
             for (int i = 0; i < 40; ++i)
                 body += L"<ItemDefinitionGroup><Link><AdditionalDependencies>%(AdditionalDependencies);%(AdditionalDependencies)"
                         L"</AdditionalDependencies></Link></ItemDefinitionGroup>";
             const String_cl path = folder + L"metadata.vcxproj";
             WriteMsBuildFile(path, ProjectWith(body));
             return path;
         },
         101, L"设置 Link.AdditionalDependencies"},
        {"a condition in five thousand parentheses",
         [](const String_cl& folder) {
             const String_cl condition = String_cl(5000, L'(') + L"'a'=='a'" + String_cl(5000, L')');
             const String_cl path = folder + L"parentheses.vcxproj";
             WriteMsBuildFile(path, ProjectWith(L"<PropertyGroup Condition=\"" + condition + L"\"><A>1</A></PropertyGroup>"));
             return path;
         },
         103, L"条件"},
        {"property functions in the arguments of each other, a hundred deep",
         [](const String_cl& folder) {
             String_cl value;
             for (int i = 0; i < 100; ++i) value += L"$([MSBuild]::ValueOrDefault(";
             value += L"'', 'x'";
             for (int i = 0; i < 100; ++i) value += L"))";
             const String_cl path = folder + L"functions.vcxproj";
             WriteMsBuildFile(path, ProjectWith(L"<PropertyGroup><Deep>" + value + L"</Deep></PropertyGroup>"));
             return path;
         },
         103, L"属性 Deep"},
        {"a value of sixty thousand characters copied twelve hundred times",
         [](const String_cl& folder) {
             String_cl body = L"<PropertyGroup><Big>" + String_cl(60000, L'x') + L"</Big>";
             for (int i = 0; i < 1200; ++i) body += L"<Copy>$(Big)</Copy>";
             const String_cl path = folder + L"work.vcxproj";
             WriteMsBuildFile(path, ProjectWith(body + L"</PropertyGroup>"));
             return path;
         },
         102, L"展开的文字"},
        {"two hundred sheets each importing the next",
         [](const String_cl& folder) {
             for (int i = 0; i < 200; ++i)
                 WriteMsBuildFile(folder + L"chain\\sheet" + N(i) + L".props",
                                  L"<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"><Import Project=\"sheet" +
                                      N(i + 1) + L".props\" /></Project>");
             const String_cl path = folder + L"chain.vcxproj";
             WriteMsBuildFile(path, ProjectWith(L"<Import Project=\"chain\\sheet0.props\" />"));
             return path;
         },
         103, L"导入"},
    };
    for (const LimitCase_st& c : cases) {
        const String_cl folder = m_dir / (N(static_cast<int>(&c - cases)) + L"\\");
        Project_st project;
        project.path = c.write(folder);
        try {
            ReadProjectFile(project);
            ADD_FAILURE() << c.what << ": read";
        } catch (const Base_ns::Error_cl& e) {
            EXPECT_EQ(0, e.IsSystemError()) << c.what;
            EXPECT_EQ(c.code, e.Code()) << c.what;
            EXPECT_EQ(L"ProjectFileReader_cl", e.ClassName()) << c.what;
            EXPECT_TRUE(e.Note().StartsWith(folder)) << c.what << ": " << U8(e.Note());
            EXPECT_NE(String_cl::npos, e.Note().find(c.named)) << c.what << ": " << U8(e.Note());
        }
    }
}

// Through the store: the record of such a project is unreadable, naming
// the file and why; the store goes on.
TEST_F(ReaderLimitsTest, TheStoreKeepsAHostileProjectAsARecordThatSaysWhy)
{
    String_cl body = L"<PropertyGroup><P0>xyz</P0>";
    for (int i = 1; i <= 40; ++i) body += L"<P" + N(i) + L">$(P" + N(i - 1) + L")$(P" + N(i - 1) + L")</P" + N(i) + L">";
    const String_cl path = m_dir / L"doubled.vcxproj";
    ASSERT_TRUE(WriteMsBuildFile(path, ProjectWith(body + L"</PropertyGroup>")));
    ProjectPack_cl projects;
    ProjectId_cl id = projects.FindOrAdd(path);
    EXPECT_EQ(1, id->exists);
    EXPECT_EQ(0, id->configurations.Count());
    EXPECT_NE(String_cl::npos, id->unreadable.find(L"工程文件中的值超出长度限制。")) << U8(id->unreadable);
    EXPECT_NE(String_cl::npos, id->unreadable.find(path)) << U8(id->unreadable);
}

} // namespace
