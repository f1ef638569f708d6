#include <gtest/gtest.h>
#include "app/engine/RenameJournal.h"
#include "app/store/DataFile.h"
#include "app/ProgramPlaces.h"
#include "common/io/XMLFile.h"
#include "tests/store/StoreTestSupport.h"

using namespace Quorvane_ns;
using namespace StoreTest_ns;
using Test_ns::TempDir_cl;

namespace {

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { RenameJournal_cl::SetPath(dir / L"Quorvane.renames"); }
    void TearDown() override { RenameJournal_cl::SetPath(String_cl()); }

    // Names of the files in the test folder other than the data file.
    std::vector<String_cl> OtherFiles() const
    {
        std::vector<String_cl> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir / L"*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            String_cl n = fd.cFileName;
            if (n != L"." && n != L".." && n != L"Quorvane.xml") names.push_back(n);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }

    void ExpectOnlyTheDefaultPlan()
    {
        ASSERT_EQ(stores.plans.Count(), 1);
        EXPECT_EQ(stores.plans.First()->name, L"默认");
        EXPECT_EQ(stores.plans.First()->configuration, L"Debug|Win32");
        EXPECT_EQ(stores.plans.First()->solutions.Count(), 0);
    }

    ComScope_cl com;
    TempDir_cl dir;
    String_cl data = dir / L"Quorvane.xml";
    Stores_cl stores;
};

TEST_F(DataFileTest, FirstStartHasTheDefaultPlanAndTheEndWritesTheLayout)
{
    StartReport_st report = stores.StartProgram(data);
    EXPECT_FALSE(report.loaded);
    EXPECT_FALSE(report.unreadable);
    EXPECT_TRUE(report.addedDefaultPlan);
    ExpectOnlyTheDefaultPlan();
    EXPECT_EQ(stores.plans.First()->solutions.Read(), 1);

    ASSERT_TRUE(stores.EndProgram(data));
    EXPECT_EQ(stores.plans.Count(), 0);
    EXPECT_TRUE(OtherFiles().empty()) << "the save left a file behind";

    IO_ns::XMLFile_cl file;
    file.Open(data);
    auto root = file.Root();
    EXPECT_EQ(root.Name(), L"Quorvane");
    auto sequence = root.FirstChild();
    ASSERT_FALSE(sequence.IsEmpty());
    EXPECT_EQ(sequence.Name(), L"序列");
    EXPECT_TRUE(sequence.FirstChild().IsEmpty());
    EXPECT_TRUE(sequence.Attribute(L"版本", false).IsEmpty());
    auto plans = sequence;
    ASSERT_TRUE(plans.NextSibling());
    EXPECT_EQ(plans.Name(), L"方案");
    auto plan = plans.FirstChild();
    ASSERT_FALSE(plan.IsEmpty());
    EXPECT_EQ(plan.Name(), L"方案1");
    EXPECT_EQ(plan.Attribute(L"名称", true).Text(), L"默认");
    EXPECT_EQ(plan.Attribute(L"编译方式", true).Text(), L"Debug|Win32");
    auto solutions = plan.FirstChild();
    ASSERT_FALSE(solutions.IsEmpty());
    EXPECT_EQ(solutions.Name(), L"解决方案");
    EXPECT_TRUE(solutions.FirstChild().IsEmpty());
    EXPECT_FALSE(plan.NextSibling());
    EXPECT_FALSE(plans.NextSibling());
    file.Close();
}

// A file this program cannot read is the user's work all the same: it is
// moved aside byte for byte, the user is told where, and the end of the
// run writes a fresh file instead of the empty stores over it.
TEST_F(DataFileTest, UnreadableDataFileIsMovedAsideNotOverwritten)
{
    struct Case_st {
        const char* name;
        std::string content;
        const wchar_t* message;
    };
    const String_cl head = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                           L"<Quorvane><序列><序列1 路径=\"C:\\p\\p.vcproj\"/></序列>";
    const Case_st cases[] = {
        {"version 2",
         String_cl(head + L"<方案 版本=\"2\"><方案1 名称=\"新\" 编译方式=\"Debug|Win32\"/></方案></Quorvane>").ToUtf8(),
         L"软件版本太低，无法读取高版本软件生成的XML文件。"},
        {"missing name",
         String_cl(head + L"<方案><方案1 名称=\"好\" 编译方式=\"Debug|Win32\"/><方案2 编译方式=\"Release|Win32\"/></方案>"
                 L"</Quorvane>").ToUtf8(),
         L"Fail To Get Attribute Because Inexistent Attribute Name."},
        {"not XML", String_cl(L"<Quorvane><方案>").ToUtf8(), L"Fail To Open File."},
        // Well-formed, but another program's file: it would read as empty.
        {"foreign root", String_cl(L"<?xml version=\"1.0\"?>\r\n<Settings><方案/></Settings>\r\n").ToUtf8(),
         L"读取XML文件失败，因为数据格式不正确。"},
    };
    for (const Case_st& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir_cl folder;
        String_cl path = folder / L"Quorvane.xml";
        ASSERT_TRUE(Test_ns::WriteBytes(path, c.content));
        Stores_cl s;
        StartReport_st report = s.StartProgram(path);
        EXPECT_FALSE(report.loaded);
        EXPECT_TRUE(report.unreadable);
        EXPECT_FALSE(report.systemError);
        EXPECT_NE(report.errorText.find(c.message), String_cl::npos) << report.errorText.ToUtf8();
        ASSERT_TRUE(report.error);
        ASSERT_EQ(s.plans.Count(), 1);
        EXPECT_EQ(s.plans.First()->name, L"默认");

        ASSERT_FALSE(report.asidePath.empty());
        EXPECT_EQ(GetFileDirectory(report.asidePath, true), folder.Path());
        EXPECT_TRUE(GetFileName(report.asidePath).StartsWith(L"Quorvane.无法读取-"));
        EXPECT_TRUE(report.asidePath.EndsWith(L".xml"));
        EXPECT_EQ(Test_ns::ReadBytes(report.asidePath), c.content);
        EXPECT_FALSE(Test_ns::FileExists(path));

        // The user sees the load error, then where the file went.
        {
            Test_ns::RecordingPresenter_cl presenter;
            ShowStartReport(report, nullptr);
            auto shown = presenter.Shown();
            ASSERT_EQ(shown.size(), 2u);
            EXPECT_EQ(shown[0].text, report.errorText);
            EXPECT_NE(shown[1].text.find(report.asidePath), String_cl::npos);
            EXPECT_EQ(shown[1].text, UnreadableDataFileText(report));
        }

        EXPECT_TRUE(s.EndProgram(path));
        EXPECT_EQ(Test_ns::ReadBytes(report.asidePath), c.content);
        Stores_cl again;
        EXPECT_TRUE(again.StartProgram(path).loaded);
        EXPECT_EQ(again.plans.Count(), 1);
    }
}

// When the file cannot even be moved or copied (another program holds it
// open without sharing), it stays where it is and is never written over.
TEST_F(DataFileTest, DataFileThatCannotBeSetAsideIsNotSaved)
{
    const std::string content =
        String_cl(L"<Quorvane><方案><方案1 名称=\"好\" 编译方式=\"Debug|Win32\"/></方案></Quorvane>").ToUtf8();
    ASSERT_TRUE(Test_ns::WriteBytes(data, content));
    HANDLE lock = CreateFileW(data.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    StartReport_st report = stores.StartProgram(data);
    EXPECT_TRUE(report.unreadable);
    EXPECT_TRUE(report.asidePath.empty());
    ExpectOnlyTheDefaultPlan();
    EXPECT_NE(UnreadableDataFileText(report).find(data), String_cl::npos);
    CloseHandle(lock);

    EXPECT_FALSE(stores.SaveDataFile(data));
    EXPECT_FALSE(stores.EndProgram(data));
    EXPECT_EQ(Test_ns::ReadBytes(data), content);
    EXPECT_TRUE(OtherFiles().empty());
    // Another path is saved as usual.
    Stores_cl other;
    other.StartProgram(dir / L"other.xml");
    EXPECT_TRUE(other.EndProgram(dir / L"other.xml"));
}

TEST_F(DataFileTest, FolderAtTheDataPathIsNotLoadedNorMoved)
{
    ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
    StartReport_st report = stores.StartProgram(data);
    EXPECT_FALSE(report.loaded);
    EXPECT_FALSE(report.unreadable);
    ExpectOnlyTheDefaultPlan();
    ShowStartReport(report, nullptr);   // nothing to show, so no box can block
    EXPECT_TRUE(OtherFiles().empty());
}

// Project files that a build cut off by a crash left under their temporary
// names are back before the data file is read.
TEST_F(DataFileTest, StartRestoresRenamedProjectsFirst)
{
    String_cl original = dir / L"p.vcproj";
    String_cl temporary = dir / L"Temp2024-01-01-00-00-00.vcproj";
    ASSERT_TRUE(Test_ns::WriteBytes(temporary, "<VisualStudioProject/>"));
    RenameJournal_cl::Entry_st entry;
    entry.original = original;
    entry.temporary = temporary;
    entry.process = 0;   // nobody is building it any more
    ASSERT_TRUE(RenameJournal_cl::AddEntry(entry));

    StartReport_st report = stores.StartProgram(data);
    EXPECT_EQ(report.restoredFiles, 1);
    EXPECT_TRUE(Test_ns::FileExists(original));
    EXPECT_FALSE(Test_ns::FileExists(temporary));
}

// The save replaces the file in one step: when it cannot, the old file is
// left exactly as it was and no partial file remains.
TEST_F(DataFileTest, FailedSaveKeepsThePreviousFile)
{
    stores.StartProgram(data);
    stores.plans.AddPlan(L"第二", L"Release|Win32");
    ASSERT_TRUE(stores.SaveDataFile(data));
    EXPECT_EQ(stores.plans.Count(), 2);   // saving alone empties nothing
    const std::string saved = Test_ns::ReadBytes(data);

    stores.plans.AddPlan(L"第三", L"Release|Win32");
    ASSERT_TRUE(SetFileAttributesW(data.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(stores.EndProgram(data), Base_ns::Error_cl);
    SetFileAttributesW(data.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Test_ns::ReadBytes(data), saved);
    EXPECT_TRUE(OtherFiles().empty());
    EXPECT_EQ(stores.plans.Count(), 3);   // a failed end keeps the stores

    Stores_cl reread;
    reread.StartProgram(data);
    ASSERT_EQ(reread.plans.Count(), 2);
    EXPECT_EQ(reread.plans.At(1)->name, L"第二");
}

} // namespace

namespace {

String_cl DataText(const String_cl& plans)
{
    return L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Quorvane><序列/><方案>" + plans + L"</方案></Quorvane>\r\n";
}

std::vector<String_cl> PlanNames(const String_cl& path)
{
    Stores_cl stores;
    std::vector<String_cl> names;
    if (!stores.StartProgram(path).loaded) return names;
    for (PlanId_cl p = stores.plans.First(); !p.IsEmpty(); p = p.Next()) names.push_back(p->name);
    return names;
}

} // namespace

// A data file that another program changed while this one ran (a plan added
// by a script during a console build) is not written over: this run's state
// goes to a file beside it, and the user is told once, naming both files.
// The program's own saves are never taken for another's change.
TEST_F(DataFileTest, AChangeByAnotherProgramIsNotWrittenOver)
{
    ASSERT_TRUE(Test_ns::WriteBytes(data, DataText(L"<方案1 名称=\"甲\" 编译方式=\"Debug|Win32\"/>").ToUtf8()));
    ASSERT_TRUE(stores.StartProgram(data).loaded);
    stores.plans.AddPlan(L"丙", L"Release|Win32");
    ASSERT_TRUE(stores.SaveDataFile(data));
    ASSERT_TRUE(stores.SaveDataFile(data)) << "its own save is no change by another";
    EXPECT_EQ(PlanNames(data), (std::vector<String_cl>{L"甲", L"丙"}));

    const std::string theirs =
        DataText(L"<方案1 名称=\"甲\" 编译方式=\"Debug|Win32\"/><方案2 名称=\"乙\" 编译方式=\"Debug|x64\"/>").ToUtf8();
    ASSERT_TRUE(Test_ns::WriteBytes(data, theirs));
    stores.plans.AddPlan(L"丁", L"Debug|Win32");
    // A quiet save (the window's after each row) keeps the work without a word.
    EXPECT_TRUE(stores.SaveDataFile(data, true));
    const std::vector<String_cl> aside = OtherFiles();
    ASSERT_EQ(aside.size(), 1u);
    const String_cl besides = dir / aside[0];
    EXPECT_TRUE(aside[0].StartsWith(L"Quorvane.另存-")) << besides.ToUtf8();
    EXPECT_TRUE(besides.EndsWith(L".xml"));

    try {
        stores.SaveDataFile(data);
        ADD_FAILURE() << "the change was not told";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.IsSystemError(), 0);
        EXPECT_EQ(e.Code(), 105);
        EXPECT_NE(e.Note().find(data), String_cl::npos);
        EXPECT_NE(e.Note().find(besides), String_cl::npos);
    }
    stores.plans.AddPlan(L"戊", L"Debug|Win32");
    EXPECT_TRUE(stores.EndProgram(data)) << "told once";
    EXPECT_EQ(Test_ns::ReadBytes(data), theirs);
    EXPECT_EQ(PlanNames(besides), (std::vector<String_cl>{L"甲", L"丙", L"丁", L"戊"}));
}

// Created by another program after a start without a data file: the same.
// Deleted by another program: there is nothing to keep, the save writes it.
TEST_F(DataFileTest, ADataFileMadeByAnotherIsKeptOneDeletedIsWrittenAgain)
{
    ASSERT_FALSE(stores.StartProgram(data).loaded);
    const std::string theirs = DataText(L"<方案1 名称=\"乙\" 编译方式=\"Debug|x64\"/>").ToUtf8();
    ASSERT_TRUE(Test_ns::WriteBytes(data, theirs));
    EXPECT_THROW(stores.SaveDataFile(data), Base_ns::Error_cl);
    EXPECT_EQ(Test_ns::ReadBytes(data), theirs);

    Stores_cl other;
    ASSERT_TRUE(other.StartProgram(data).loaded);
    other.plans.AddPlan(L"丙", L"Debug|Win32");
    ASSERT_TRUE(DeleteFileW(data.c_str()));
    EXPECT_TRUE(other.SaveDataFile(data));
    EXPECT_EQ(PlanNames(data), (std::vector<String_cl>{L"乙", L"丙"}));
}
