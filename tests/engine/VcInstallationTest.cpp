// Installation folders of both layouts, as the build lays out the builder
// stand-ins (2008 and 2015 keep VC\vcvarsall.bat, 2022 the vcvarsall.bat of
// VC\Auxiliary\Build) and as tests make them: the command each gets, the
// era its builder belongs to, and the project files it refuses.
#include <gtest/gtest.h>
#include "app/engine/BuildRunner.h"
#include "app/engine/VcInstallation.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;
using Test_ns::StandinDir;
using Test_ns::TempDir_cl;

TEST(VcInstallationTest, LayoutDecidesTheEnvironmentScriptAndItsArchitecture)
{
    const String_cl vs2022 = StandinDir(L"zh", L"vs2022");
    EXPECT_EQ(Test_ns::Ansi(L"/c cls && \"" + vs2022 + L"VC\\Auxiliary\\Build\\vcvarsall.bat\" x86 && devenv "
                            L"\"C:\\w s\\a.vcxproj\" /build \"Debug|Win32\" > \"C:\\l.log\" "),
              Test_ns::Ansi(BuildParameters(vs2022, L"C:\\w s\\a.vcxproj", L"build", L"Debug|Win32", L"C:\\l.log")));
    const struct {
        const wchar_t* configuration;
        const wchar_t* architecture;
    } platforms[] = {
        {L"Debug|Win32", L"x86"},          {L"Release|x64", L"x64"},        {L"Release|X64", L"x64"},
        {L"Debug|ARM64", L"x64_arm64"},    {L"Debug|arm64ec", L"x64_arm64"}, {L"Debug|ARM", L"x64_arm"},
        {L"Release|x86", L"x86"},          {L"Debug", L"x86"},              {L"A|B|x64", L"x64"},
        {L"Debug|Gaming.Desktop.x64", L"x64"},
    };
    for (const auto& p : platforms) {
        const String_cl clean = BuildParameters(vs2022, L"a.sln", L"clean", p.configuration, L"l.log");
        EXPECT_NE(String_cl::npos, clean.find(String_cl(L"vcvarsall.bat\" ") + p.architecture + L" && devenv "))
            << Test_ns::Ansi(p.configuration) << ": " << Test_ns::Ansi(clean);
    }

    // A project of a solution is compiled for its own platform, which the
    // solution's configuration need not name.
    const BuildTarget_st mixed{L"a.sln", L"Debug|Mixed Platforms", L"a.vcxproj", L"Debug|x64"};
    EXPECT_NE(String_cl::npos, BuildParameters(vs2022, mixed, L"build", L"l.log").find(L"vcvarsall.bat\" x64 && "));

    // The older layout runs its script without arguments, as it always did.
    for (const wchar_t* layout : {L"vs", L"vs2015"}) {
        const String_cl dir = StandinDir(L"en", layout);
        EXPECT_EQ(Test_ns::Ansi(L"/c cls && \"" + dir + L"VC\\vcvarsall.bat\" && devenv \"a.vcxproj\" /rebuild "
                                L"\"Release|x64\" > \"l.log\" "),
                  Test_ns::Ansi(BuildParameters(dir, L"a.vcxproj", L"rebuild", L"Release|x64", L"l.log")));
    }
    // Where both scripts are, the newer one is the installation's.
    TempDir_cl both(L"qv-both");
    Test_ns::CreateFolders(both / L"VC\\Auxiliary\\Build\\vcvarsall.bat");
    ASSERT_TRUE(Test_ns::WriteBytes(both / L"VC\\vcvarsall.bat", "@exit /b 0\r\n"));
    ASSERT_TRUE(Test_ns::WriteBytes(both / L"VC\\Auxiliary\\Build\\vcvarsall.bat", "@exit /b 0\r\n"));
    EXPECT_NE(String_cl::npos,
              BuildParameters(both.Path(), L"a.vcxproj", L"build", L"Debug|x64", L"l.log").find(L"Build\\vcvarsall.bat\" x64"));
    EXPECT_EQ(VcEra_en::Vs2017To2022, VcInstallation_cl(both.Path()).Era());
}

TEST(VcInstallationTest, EraDecidesWhichProjectFilesItsBuilderTakes)
{
    const VcInstallation_cl vs2008(StandinDir(L"zh", L"vs")), vs2015(StandinDir(L"zh", L"vs2015")),
        vs2022(StandinDir(L"en", L"vs2022"));
    EXPECT_EQ(VcEra_en::Vs2005To2008, vs2008.Era());
    EXPECT_EQ(VcEra_en::Vs2010To2015, vs2015.Era());
    EXPECT_EQ(VcEra_en::Vs2017To2022, vs2022.Era());
    for (const VcInstallation_cl* i : {&vs2008, &vs2015, &vs2022}) EXPECT_TRUE(i->Exists());

    // An older layout whose builder tells no version: the oldest era.
    TempDir_cl old(L"qv-old");
    Test_ns::CreateFolders(old / L"Common7\\IDE\\devenv.exe");
    Test_ns::CreateFolders(old / L"VC\\vcvarsall.bat");
    ASSERT_TRUE(Test_ns::WriteBytes(old / L"VC\\vcvarsall.bat", "@exit /b 0\r\n"));
    EXPECT_EQ(VcEra_en::Vs2005To2008, VcInstallation_cl(old.Path()).Era());
    ASSERT_TRUE(Test_ns::WriteBytes(old / L"Common7\\IDE\\devenv.exe", "not a program"));
    EXPECT_EQ(VcEra_en::Vs2005To2008, VcInstallation_cl(old.Path()).Era());
    EXPECT_FALSE(VcInstallation_cl(old / L"Common7\\").Exists());

    const struct {
        const VcInstallation_cl* installation;
        const wchar_t* project;
        int refused;  // the user error's code, 0 when built
    } cases[] = {
        {&vs2008, L"D:\\w\\a.vcproj", 0},   {&vs2008, L"D:\\w\\a.icproj", 0},  {&vs2008, L"D:\\w\\a.vcxproj", 101},
        {&vs2015, L"D:\\w\\a.vcxproj", 0},  {&vs2015, L"D:\\w\\a.vcproj", 102}, {&vs2022, L"D:\\w\\a.VCXPROJ", 0},
        {&vs2022, L"D:\\w\\a.ICPROJ", 102}, {&vs2022, L"D:\\w\\a.sln", 0},     {&vs2008, L"D:\\w\\a.sln", 0},
    };
    for (const auto& c : cases) {
        int code = 0;
        try {
            c.installation->CheckProjectFile(c.project);
        } catch (const Base_ns::UserError_cl& e) {
            code = e.Code();
            EXPECT_EQ(L"VcInstallation_cl", e.ClassName());
            // The note names both, so the user sees what does not fit what.
            EXPECT_NE(String_cl::npos, e.Note().find(c.project)) << Test_ns::Ansi(e.Note());
            EXPECT_NE(String_cl::npos, e.Note().find(c.installation->Folder())) << Test_ns::Ansi(e.Note());
        }
        EXPECT_EQ(c.refused, code) << Test_ns::Ansi(c.project) << " in " << Test_ns::Ansi(c.installation->Folder());
    }
}
