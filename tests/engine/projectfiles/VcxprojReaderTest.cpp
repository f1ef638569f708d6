// The reader of MSBuild projects (.vcxproj) against files as Visual Studio
// 2010, 2015 and 2022 save them, loaded through the platform's MSXML.
#include <gtest/gtest.h>
#include <objbase.h>
#include "app/engine/projectfiles/ProjectFileReader.h"
#include "app/engine/ProjectPack.h"
#include "tests/engine/projectfiles/EntryText.h"
#include "tests/support/ProjectFiles.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using namespace Test_ns;
using Base_ns::String_cl;

namespace {

std::string U8(const String_cl& text) { return text.ToUtf8(); }

class VcxprojReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    static Project_st Read(const String_cl& path)
    {
        Project_st project;
        project.path = path;
        ReadProjectFile(project);
        return project;
    }

    std::string Entry(const Project_st& project, const wchar_t* key) const { return EntryText(project, key, m_dir.Path()); }

    TempDir_cl m_dir{L"qv-vcxproj"};
};

// One DLL that links a library, two platforms, saved by each editor: 2010
// writes the folders it shows on its property pages (the defaults, as text),
// 2015 and 2022 write nothing for them. All three give the same record.
TEST_F(VcxprojReaderTest, EditionsOf2010And2015And2022GiveTheSameRecord)
{
    for (VcxEdition_en edition : {VcxEdition_en::Vs2010, VcxEdition_en::Vs2015, VcxEdition_en::Vs2022}) {
        VcxProject_st p{edition};
        for (const wchar_t* name : {L"Debug|Win32", L"Release|x64"}) {
            p.configurations.push_back({name, L"DynamicLibrary"});
            p.configurations.back().link = {{L"AdditionalDependencies", L"core.lib;ws2_32.lib;%(AdditionalDependencies)"}};
        }
        if (edition == VcxEdition_en::Vs2010) {
            p.configurations[0].properties = {{L"OutDir", L"$(SolutionDir)$(Configuration)\\"}, {L"IntDir", L"$(Configuration)\\"}};
            p.configurations[1].properties = {{L"OutDir", L"$(SolutionDir)$(Platform)\\$(Configuration)\\"},
                                              {L"IntDir", L"$(Platform)\\$(Configuration)\\"}};
        }
        p.references = {L"..\\core\\core.vcxproj", L"../core/./core.vcxproj", L"..\\util\\util.vcxproj"};
        const String_cl folder = m_dir / (L"e" + String_cl::FromInt(static_cast<int>(edition)) + L"\\");
        ASSERT_TRUE(WriteMsBuildFile(folder + L"net\\net.vcxproj", VcxprojText(p)));

        Project_st project = Read(folder + L"net\\net.vcxproj");
        const std::string what = "edition " + std::to_string(static_cast<int>(edition));
        EXPECT_EQ(L"net", project.name) << what;
        EXPECT_EQ(2, project.configurations.Count()) << what;
        for (const auto& [key, at] : {std::pair{L"DEBUG|WIN32", L"Debug\\"}, std::pair{L"RELEASE|X64", L"x64\\Release\\"}}) {
            const String_cl out = L"~\\e" + String_cl::FromInt(static_cast<int>(edition)) + L"\\net\\" + at;
            EXPECT_EQ(U8(L"net.lib|" + out + L"net.dll|" + out + L"net.lib|" + out + L"net.pdb|" + out + L"|" + out +
                         L"|core.lib ws2_32.lib "),
                      Entry(project, key))
                << what;
        }
        // Resolved against the project's folder; the same file once.
        EXPECT_EQ(U8(folder + L"core\\core.vcxproj\n" + folder + L"util\\util.vcxproj\n"),
                  U8(project.references.size() == 2 ? project.references[0] + L"\n" + project.references[1] + L"\n"
                                                    : String_cl()))
            << what;
    }
}

// What MSBuild's evaluation decides, one configuration per point (as 2022
// writes them, a group per configuration): conditions on groups and on
// single elements, the later definition winning, the defaults, the
// project's own property sheets (not the installation's), and "%(…)"
// standing for the earlier value.
TEST_F(VcxprojReaderTest, ConditionsLaterDefinitionsDefaultsAndPropertySheets)
{
    // Sheets: one beside the project that imports one a folder up, which
    // names a library every configuration links and imports the first one
    // again (a circle MSBuild refuses; here it is read once).
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"shared\\common.props",
                                 PropsText({{L"OutDir", L"$(MSBuildThisFileDirectory)out\\$(Configuration)\\"}},
                                           {{L"AdditionalDependencies", L"common.lib;%(AdditionalDependencies)"}},
                                           {{L"AdditionalDependencies", L"common.lib;%(AdditionalDependencies)"}},
                                           {L"..\\app\\local.props"})));
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"app\\local.props",
                                 PropsText({{L"TargetName", L"$(ProjectName)_sheet"}}, {}, {}, {L"..\\shared\\common.props"})));
    // The installation's own sheets are never read, even where they exist.
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"app\\Microsoft.Cpp.Default.props", PropsText({{L"TargetName", L"wrong"}})));

    VcxProject_st p;
    p.globals = {{L"ProjectName", L"Viewer"}};
    p.propertySheets = {L"local.props", L"$(VCTargetsPath)Microsoft.Cpp.Default.props", L"missing.props"};
    // The group's condition and the element's own.
    VcxConfiguration_st debug{L"Debug|Win32", L"Application"};
    debug.properties = {{L"TargetName", L"$(TargetName)_d"},
                        {L"", L"<IntDir Condition=\"'$(Configuration)'=='Debug'\">obj\\$(Configuration)\\</IntDir>"},
                        {L"", L"<TargetExt Condition=\"'$(Platform)' != 'Win32'\">.wrong</TargetExt>"},
                        {L"", L"<OutDir Condition=\"exists('c:\\x') and '$(Configuration)'=='Debug'\">wrong\\</OutDir>"},
                        {L"", L"<OutDir Condition=\"'$(Missing)'!=''\">wrong\\</OutDir>"}};
    debug.link = {{L"AdditionalDependencies", L"$(TargetName).lib;%(AdditionalDependencies)"},
                  {L"", L"<AdditionalDependencies Condition=\"'$(Configuration)|$(Platform)'=='Release|Win32'\">"
                        L"wrong.lib</AdditionalDependencies>"},
                  {L"OutputFile", L"$(OutDir)\\bin\\$(TargetName)$(TargetExt)"},
                  {L"ProgramDatabaseFile", L"$(IntDir)$(TargetName).pdb"}};
    debug.compile = {{L"ProgramDataBaseFileName", L"$(OutDir)shared.pdb"}};
    // No type: an application. Its sheet's folder and name.
    VcxConfiguration_st release{L"Release|Win32", L""};
    // A static library with its librarian's own output.
    VcxConfiguration_st lib{L"Lib|ARM64", L"StaticLibrary"};
    lib.lib = {{L"OutputFile", L"..\\lib\\$(Platform)\\$(TargetName)_s$(TargetExt)"}};
    // Utilities and makefiles build, but give nothing to link.
    VcxConfiguration_st utility{L"Utility|Win32", L"Utility"};
    p.configurations = {debug, release, lib, utility};
    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"app\\viewer.vcxproj", VcxprojText(p)));

    Project_st project = Read(m_dir / L"app\\viewer.vcxproj");
    EXPECT_EQ(L"Viewer", project.name);
    EXPECT_EQ(U8(L"Viewer_sheet_d.exe|~\\shared\\out\\Debug\\bin\\Viewer_sheet_d.exe||~\\app\\obj\\Debug\\Viewer_sheet_d.pdb|"
              L"~\\shared\\out\\Debug\\|~\\app\\obj\\Debug\\|Viewer_sheet_d.lib common.lib "), Entry(project, L"DEBUG|WIN32"));
    EXPECT_EQ(U8(L"Viewer_sheet.exe|~\\shared\\out\\Release\\Viewer_sheet.exe||~\\shared\\out\\Release\\Viewer_sheet.pdb|"
              L"~\\shared\\out\\Release\\|~\\app\\Release\\|common.lib "), Entry(project, L"RELEASE|WIN32"));
    EXPECT_EQ(U8(L"Viewer_sheet_s.lib|~\\lib\\ARM64\\Viewer_sheet_s.lib|||~\\shared\\out\\Lib\\|~\\app\\ARM64\\Lib\\|"
              L"common.lib "), Entry(project, L"LIB|ARM64"));
    EXPECT_EQ(U8(L"||||~\\shared\\out\\Utility\\|~\\app\\Utility\\|"), Entry(project, L"UTILITY|WIN32"));
    // The compiler's program database: where the project puts it, else in
    // the intermediate folder under the toolset's name.
    EXPECT_EQ(m_dir / L"shared\\out\\Debug\\shared.pdb", project.configurations.Find(L"DEBUG|WIN32")->compilerDatabase);
    EXPECT_EQ(m_dir / L"app\\Release\\vc143.pdb", project.configurations.Find(L"RELEASE|WIN32")->compilerDatabase);
    EXPECT_EQ(4, project.configurations.Count());
}

// A file that is not XML, or XML of another kind, gets the reader's errors
// and leaves the record as far as it got; a project without configurations
// is read as one with nothing to build.
TEST_F(VcxprojReaderTest, DamagedOrForeignFilesRaiseTheReadersErrors)
{
    ASSERT_TRUE(WriteBytes(m_dir / L"broken.vcxproj", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<Project><ItemGroup>"));
    Project_st broken;
    broken.path = m_dir / L"broken.vcxproj";
    EXPECT_THROW(ReadProjectFile(broken), IO_ns::IOError_cl);
    EXPECT_EQ(1, broken.exists);
    EXPECT_EQ(0, broken.configurations.Count());

    ASSERT_TRUE(WriteVcproj(m_dir / L"old.vcxproj", {L"old", {{L"Debug|Win32", 4}}}));
    Project_st foreign;
    foreign.path = m_dir / L"old.vcxproj";
    try {
        ReadProjectFile(foreign);
        ADD_FAILURE() << "a 2008 project under the newer extension was read";
    } catch (const Base_ns::UserError_cl& e) {
        EXPECT_EQ(103, e.Code());
        EXPECT_EQ(L"ProjectPack_cl", e.ClassName());
        EXPECT_EQ(foreign.path, e.Note());
    }

    ASSERT_TRUE(WriteMsBuildFile(m_dir / L"empty.vcxproj", VcxprojText({})));
    Project_st empty = Read(m_dir / L"empty.vcxproj");
    EXPECT_EQ(1, empty.exists);
    EXPECT_EQ(L"empty", empty.name);
    EXPECT_EQ(0, empty.configurations.Count());
}

} // namespace
