// Which file a path names, on files and folders the tests make: every
// spelling a user, a solution or Wine may give one file is that file, and
// nothing else is.
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "common/base/FileIdentity.h"
#include "tests/support/FileSpellings.h"
#include "tests/support/TestSupport.h"

using Base_ns::FileIdentity_st;
using Base_ns::IdentityOf;
using Base_ns::String_cl;
using Test_ns::TempDir_cl;

namespace {

struct Spelling_st {
    const char* what;
    String_cl path;  // empty: this system cannot spell it so (said in what)
    bool same;
};

String_cl Replaced(String_cl text, wchar_t from, wchar_t to)
{
    for (wchar_t& c : text)
        if (c == from) c = to;
    return text;
}

void ExpectSpellings(const String_cl& of, const std::vector<Spelling_st>& spellings)
{
    const FileIdentity_st identity = IdentityOf(of);
    for (const Spelling_st& s : spellings) {
        if (s.path.empty()) {
            std::printf("not spelt here: %s\n", s.what);
            continue;
        }
        EXPECT_EQ(s.same, IdentityOf(s.path).Same(identity))
            << s.what << ": " << s.path.ToUtf8() << " / " << of.ToUtf8() << " -> "
            << IdentityOf(s.path).finalPath.ToUtf8() << " / " << identity.finalPath.ToUtf8();
    }
}

} // namespace

// An existing file and one not yet written, each under every spelling: case,
// "." and "..", "/", 8.3 names, "\\?\", Wine's Z:, a hard link and a
// symbolic link; a neighbour and a namesake elsewhere are other files.
TEST(FileIdentityTest, EverySpellingOfAFileIsThatFile)
{
    TempDir_cl dir(L"qv-identity");
    TempDir_cl links(L"qv-links");
    const String_cl folder = dir / L"Long Folder Name\\";
    const String_cl file = folder + L"Some Project File.vcxproj";
    for (const wchar_t* sub : {L"Long Folder Name\\", L"Elsewhere\\"}) Test_ns::CreateFolders(dir / sub);
    ASSERT_TRUE(Test_ns::WriteBytes(file, "<Project/>"));
    ASSERT_TRUE(Test_ns::WriteBytes(folder + L"Neighbour.vcxproj", "<Project/>"));
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"Elsewhere\\Some Project File.vcxproj", "<Project/>"));
    const String_cl hard = links / L"p.xml";
    ASSERT_TRUE(Test_ns::MakeHardLink(hard, file));
    const Test_ns::SymbolicLink_cl linked(links / L"s.xml", file);

    const String_cl dots = dir / L"Long Folder Name\\.\\..\\Long Folder Name\\.\\Some Project File.vcxproj";
    ExpectSpellings(file, {
        {"letter case", file.Upper(), true},
        {"dot parts", dots, true},
        {"forward slashes", Replaced(file, L'\\', L'/'), true},
        {"8.3 short names", Test_ns::ShortSpelling(file), true},
        {"\\\\?\\ prefix", L"\\\\?\\" + file, true},
        {"\\\\?\\ prefix on forward slashes", L"\\\\?\\" + Replaced(dots, L'\\', L'/'), true},
        {"drive Z: (only under Wine)", Test_ns::UnixDriveSpelling(file), true},
        {"hard link", hard, true},
        {"symbolic link", linked.Path(), true},
        {"a neighbour", folder + L"Neighbour.vcxproj", false},
        {"the same name elsewhere", dir / L"Elsewhere\\Some Project File.vcxproj", false},
        {"its folder", folder, false},
    });

    const String_cl missing = folder + L"Not Yet Written.vcxproj";
    ExpectSpellings(missing, {
        {"letter case", missing.Upper(), true},
        {"dot parts", dir / L"Elsewhere\\..\\Long Folder Name\\Not Yet Written.vcxproj", true},
        {"forward slashes", Replaced(missing, L'\\', L'/'), true},
        {"the folder's 8.3 name", Test_ns::ShortSpelling(folder) + L"Not Yet Written.vcxproj", true},
        {"\\\\?\\ prefix", L"\\\\?\\" + missing, true},
        {"drive Z: (only under Wine)", Test_ns::UnixDriveSpelling(folder).empty()
                                           ? String_cl()
                                           : Test_ns::UnixDriveSpelling(folder) + L"\\Not Yet Written.vcxproj",
         true},
        {"in a missing folder", folder + L"sub\\Not Yet Written.vcxproj", false},
        {"another missing name", folder + L"Not Yet Written.vcproj", false},
    });

    // A share no server answers for: only the spelling can tell.
    const String_cl share = L"\\\\qv-no-such-server.invalid\\share\\d\\dd.vcxproj";
    ExpectSpellings(share, {
        {"UNC with dot parts", L"\\\\qv-no-such-server.invalid\\share\\D\\..\\d\\.\\DD.VCXPROJ", true},
        {"UNC with forward slashes", L"//qv-no-such-server.invalid/share/d/dd.vcxproj", true},
        {"\\\\?\\UNC\\ prefix", L"\\\\?\\UNC\\qv-no-such-server.invalid\\share\\d\\dd.vcxproj", true},
        {"another share", L"\\\\qv-no-such-server.invalid\\other\\d\\dd.vcxproj", false},
    });
}

// What lies inside a folder is found under any spelling of either; a folder
// whose name only begins like it is another.
TEST(FileIdentityTest, InsideAFolderWhateverTheSpellingOfEither)
{
    TempDir_cl dir(L"qv-identity");
    const String_cl folder = dir / L"Intermediate Files\\";
    Test_ns::CreateFolders(folder);
    ASSERT_TRUE(Test_ns::WriteBytes(folder + L"vc90.pdb", "x"));
    const FileIdentity_st byShortName = IdentityOf(Test_ns::ShortSpelling(folder).empty() ? folder : Test_ns::ShortSpelling(folder));
    EXPECT_TRUE(IdentityOf(folder + L"vc90.pdb").Inside(byShortName));
    EXPECT_TRUE(IdentityOf(folder.Upper() + L"new\\a.obj").Inside(IdentityOf(folder)));
    const String_cl unix = Test_ns::UnixDriveSpelling(folder);
    if (!unix.empty()) {
        EXPECT_TRUE(IdentityOf(unix + L"\\a.lib").Inside(IdentityOf(folder)));
    }
    EXPECT_FALSE(IdentityOf(dir / L"Intermediate Files 2\\a.obj").Inside(IdentityOf(folder)));
    EXPECT_FALSE(IdentityOf(folder).Inside(IdentityOf(folder)));
    EXPECT_TRUE(IdentityOf(L"C:\\x\\y").Inside(IdentityOf(L"c:\\")));
}

// Within one operation each path is asked once, and a link made meanwhile
// is not seen; the next operation sees it.
TEST(FileIdentityTest, AScopeAsksEachPathOnceAndTheNextSeesChanges)
{
    TempDir_cl dir(L"qv-identity");
    const String_cl file = dir / L"a.vcxproj", link = dir / L"b.xml";
    ASSERT_TRUE(Test_ns::WriteBytes(file, "<Project/>"));
    {
        Base_ns::IdentityScope_cl scope;
        EXPECT_FALSE(IdentityOf(link).Same(IdentityOf(file)));
        ASSERT_TRUE(Test_ns::MakeHardLink(link, file));
        EXPECT_FALSE(IdentityOf(link).Same(IdentityOf(file)));
    }
    EXPECT_TRUE(IdentityOf(link).Same(IdentityOf(file)));
    EXPECT_EQ(2u, IdentityOf(file).links);
}
