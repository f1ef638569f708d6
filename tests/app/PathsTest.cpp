#include <gtest/gtest.h>
#include "app/ProgramPlaces.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Test_ns::TempDir_cl;

namespace {

bool IsFolder(const String_cl& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const String_cl& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Restores the program's own folder however a test ends.
struct ModuleOverride_st {
    explicit ModuleOverride_st(const String_cl& folder) { OverrideModuleDirectory(folder); }
    ~ModuleOverride_st() { OverrideModuleDirectory(String_cl()); }
};

} // namespace

TEST(PathsTest, ModuleDirectoryIsTheProgramsFolderWithBackslash)
{
    String_cl dir = ModuleDirectory();
    EXPECT_EQ(dir, Test_ns::ExeDirectory());
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_TRUE(IsFolder(dir));
    EXPECT_EQ(ModuleDirectory(), dir);
}

TEST(PathsTest, ProgramPlacesHangOffTheModuleDirectory)
{
    String_cl dir = ModuleDirectory();
    EXPECT_EQ(DataFilePath(), dir + L"Quorvane.xml");
    EXPECT_EQ(LogRoot(), dir + L"编译日志\\");
    EXPECT_EQ(FailedLogDirectory(), dir + L"编译日志\\错误\\");
    EXPECT_EQ(GoodLogDirectory(), dir + L"编译日志\\正常\\");
    EXPECT_STREQ(kProductName, L"Quorvane");
    EXPECT_STREQ(kProductVersion, L"0.3.2");
}

TEST(PathsTest, OverrideMovesEveryPlaceAndEmptyRestores)
{
    String_cl own = ModuleDirectory();
    {
        ModuleOverride_st o(L"D:\\其它\\front");
        EXPECT_EQ(ModuleDirectory(), L"D:\\其它\\front\\");
        EXPECT_EQ(DataFilePath(), L"D:\\其它\\front\\Quorvane.xml");
        EXPECT_EQ(FailedLogDirectory(), L"D:\\其它\\front\\编译日志\\错误\\");
        OverrideModuleDirectory(L"E:\\x\\");
        EXPECT_EQ(GoodLogDirectory(), L"E:\\x\\编译日志\\正常\\");
    }
    EXPECT_EQ(ModuleDirectory(), own);
}

TEST(PathsTest, GetFileDirectory)
{
    // A file in a drive root keeps the root's backslash, asked or not.
    EXPECT_EQ(GetFileDirectory(L"C:\\a.txt", false), L"C:\\");
    EXPECT_EQ(GetFileDirectory(L"C:\\a.txt", true), L"C:\\");
    EXPECT_EQ(GetFileDirectory(L"C:/a.txt", false), L"C:/");
    EXPECT_EQ(GetFileDirectory(L"C:\\dir\\a.txt", false), L"C:\\dir");
    EXPECT_EQ(GetFileDirectory(L"C:\\dir\\a.txt", true), L"C:\\dir\\");
    // The later of the two kinds of separator counts.
    EXPECT_EQ(GetFileDirectory(L"C:\\d/sub\\x/a.txt", false), L"C:\\d/sub\\x");
    EXPECT_EQ(GetFileDirectory(L"C:/d/sub\\a.txt", true), L"C:/d/sub\\");
    EXPECT_EQ(GetFileDirectory(L"C:\\d\\", false), L"C:\\d");
    EXPECT_EQ(GetFileDirectory(L"\\\\srv\\share\\a.sln", false), L"\\\\srv\\share");
    EXPECT_EQ(GetFileDirectory(L"/a", false), L"");
    EXPECT_EQ(GetFileDirectory(L"/a", true), L"/");
    EXPECT_EQ(GetFileDirectory(L"a.txt", false), L"");
    EXPECT_EQ(GetFileDirectory(L"a.txt", true), L"");
    EXPECT_EQ(GetFileDirectory(L"", true), L"");
}

TEST(PathsTest, GetFileNameAndTitle)
{
    EXPECT_EQ(GetFileName(L"C:\\d/e\\f.txt"), L"f.txt");
    EXPECT_EQ(GetFileName(L"C:\\d\\e/f.txt"), L"f.txt");
    EXPECT_EQ(GetFileName(L"f.txt"), L"f.txt");
    EXPECT_EQ(GetFileName(L"C:\\d\\"), L"");

    EXPECT_EQ(GetFileTitle(L"C:\\d\\core.vcproj"), L"core");
    EXPECT_EQ(GetFileTitle(L"C:\\d\\a.b.vcproj"), L"a.b");   // only the last extension goes
    EXPECT_EQ(GetFileTitle(L"C:\\d/noext"), L"noext");
    EXPECT_EQ(GetFileTitle(L"plain"), L"plain");
    EXPECT_EQ(GetFileTitle(L"x.sln"), L"x");
    EXPECT_EQ(GetFileTitle(L"C:\\d\\.log"), L"");
    // The last dot of the whole path is in a folder name.
    EXPECT_EQ(GetFileTitle(L"C:\\v1.2\\noext"), L"");
    EXPECT_EQ(GetFileTitle(L"C:\\v1.2/noext"), L"");
}

TEST(PathsTest, ExtensionsTakeTheLastDotOfThePath)
{
    EXPECT_EQ(GetFileExtension(L"C:\\d\\a.b.ICPROJ"), L"ICPROJ");
    EXPECT_EQ(GetFileExtension(L"C:\\d\\a"), L"");
    EXPECT_EQ(GetFileExtension(L"C:\\d\\a."), L"");
    EXPECT_EQ(GetFileExtension(L"C:\\v1.2\\a"), L"2\\a");

    EXPECT_TRUE(HasExtension(L"C:\\d\\a.VcProj", L"vcproj"));
    EXPECT_FALSE(HasExtension(L"C:\\d\\a.vcproj", L"vcpro"));
    EXPECT_FALSE(HasExtension(L"C:\\d\\a.vcproj.bak", L"vcproj"));
    EXPECT_TRUE(HasExtension(L"C:\\d\\a", L""));

    EXPECT_EQ(ReplaceExtension(L"C:\\d\\a.icproj", L"vcproj"), L"C:\\d\\a.vcproj");
    EXPECT_EQ(ReplaceExtension(L"C:\\d\\a.b.c", L"vcproj"), L"C:\\d\\a.b.vcproj");
    EXPECT_EQ(ReplaceExtension(L"C:\\d\\a.", L"vcproj"), L"C:\\d\\a.vcproj");
    EXPECT_EQ(ReplaceExtension(L"C:\\d\\a", L"vcproj"), L"C:\\d\\a.vcproj");
    EXPECT_EQ(ReplaceExtension(L"C:\\d\\Temp2026-03-07.", L"vcproj"), L"C:\\d\\Temp2026-03-07.vcproj");
}

TEST(PathsTest, CreateDirectoriesMakesEveryFolderButNotTheFileName)
{
    TempDir_cl tmp(L"paths");
    CreateDirectories(tmp / L"x\\y/日志\\file.log");
    EXPECT_TRUE(IsFolder(tmp / L"x"));
    EXPECT_TRUE(IsFolder(tmp / L"x\\y"));
    EXPECT_TRUE(IsFolder(tmp / L"x\\y\\日志"));
    EXPECT_FALSE(Exists(tmp / L"x\\y\\日志\\file.log"));

    // A trailing separator makes the last part a folder too; existing ones are fine.
    CreateDirectories(tmp / L"x\\y\\z\\");
    EXPECT_TRUE(IsFolder(tmp / L"x\\y\\z"));
    CreateDirectories(tmp / L"x/y/z/w/");
    EXPECT_TRUE(IsFolder(tmp / L"x\\y\\z\\w"));

    // A file standing where a folder should go stops the rest quietly.
    ASSERT_TRUE(Test_ns::WriteBytes(tmp / L"blocker", "x"));
    CreateDirectories(tmp / L"blocker\\sub\\f.txt");
    EXPECT_FALSE(Exists(tmp / L"blocker\\sub"));
    EXPECT_TRUE(Test_ns::FileExists(tmp / L"blocker"));
    CreateDirectories(L"");
    CreateDirectories(L"noseparator");
    EXPECT_FALSE(Exists(L"noseparator"));
}

TEST(PathsTest, MakeAbsolutePathAppendsAndClimbs)
{
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"proj\\a.vcproj"), L"C:\\sol\\proj\\a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol\\", L"proj\\a.vcproj"), L"C:\\sol\\proj\\a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol\\sub", L"..\\lib\\a.vcproj"), L"C:\\sol\\lib\\a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol\\sub", L"..\\..\\a.vcproj"), L"C:\\a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"..\\"), L"C:\\");
    // The base's separators are unified; the rest of relative stays as written.
    EXPECT_EQ(MakeAbsolutePath(L"C:/sol/sub", L"../x/a.vcproj"), L"C:\\sol\\x/a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"..\\/x"), L"C:\\/x");
    EXPECT_EQ(MakeAbsolutePath(L"\\\\srv\\share\\sol", L"..\\..\\x"), L"\\\\srv\\x");
}

TEST(PathsTest, MakeAbsolutePathEdges)
{
    // More "..\" than base has folders.
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"..\\..\\a.vcproj"), L"");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\", L"..\\a.vcproj"), L"");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\a\\b", L"..\\..\\..\\..\\x"), L"");
    // A colon anywhere means the path is complete already, whatever else it holds.
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"D:\\x/a.vcproj"), L"D:\\x/a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"..\\odd:name"), L"..\\odd:name");
    // Single-dot folders, leading backslashes and bare ".." are appended as they are.
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L".\\a.vcproj"), L"C:\\sol\\.\\a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"\\a.vcproj"), L"C:\\sol\\\\a.vcproj");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L".."), L"C:\\sol\\..");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L"x\\..\\a"), L"C:\\sol\\x\\..\\a");
    EXPECT_EQ(MakeAbsolutePath(L"C:\\sol", L""), L"C:\\sol\\");
}
