#include <gtest/gtest.h>
#include <objbase.h>
#include <functional>
#include "common/container/CommonContainer.h"
#include "common/container/DList.h"
#include "common/io/XMLFile.h"
#include "tests/container/ContainerTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace Test_ns;
using Base_ns::String_cl;
using IO_ns::XMLFile_cl;

namespace {

class TestStore_cl : public Container_ns::CommonContainer_tl<Container_ns::DList_tl<Rec_st>, Rec_st> {
public:
    ~TestStore_cl() override { Clear(); }
    Rec_st* NewData() override { return new Rec_st; }
    void DeleteData(Rec_st* data) override { delete data; }
    const wchar_t* ClassName() const override { return L"TestStore_cl"; }
};

using Process_cl = TestStore_cl::XMLStorageProcess_cl;

// One record per element: "路径" (required) is the name, "值" (optional) the value.
class RecProcess_cl : public Process_cl {
public:
    explicit RecProcess_cl(int32_t version = 1) : m_version(version) {}
    String_cl ElementName() override { return L"序列"; }
    int32_t WriteVersion() override { return m_version; }
    void WriteItem(XMLFile_cl& file, XMLFile_cl::ElementId_cl& element, const Rec_st& item) override
    {
        file.SetAttribute(element, L"路径", item.name);
        file.SetAttribute(element, L"值", item.value);
    }
    int32_t ReadItem(XMLFile_cl& file, XMLFile_cl::ElementId_cl& element, Rec_st& item) override
    {
        item.name = element.Attribute(L"路径", true).Text();
        XMLFile_cl::AttributeId_cl value = element.Attribute(L"值", false);
        item.value = value.IsEmpty() ? 0 : value.Number();
        return item.name == refusedName ? 0 : 1;
    }
    const wchar_t* ClassName() const override { return L"RecProcess_cl"; }

    String_cl refusedName;  // ReadItem reports failure for this record

private:
    int32_t m_version;
};

// Names records itself, as an adaptor may.
class NamedProcess_cl : public RecProcess_cl {
public:
    String_cl ItemName(const Rec_st& item) override { return L"项" + String_cl::FromInt(item.value); }
};

// Claims to read every version but never chooses a reader.
class ForgetfulProcess_cl : public RecProcess_cl {
public:
    int32_t SetReadVersion(int32_t) override { return 1; }
};

class CommonContainerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    // Saves the records as a new document with root "Quorvane".
    void Save(const String_cl& path, TestStore_cl& store, Process_cl& process)
    {
        XMLFile_cl file;
        file.Create(path, L"Quorvane");
        store.WriteXML(file, file.Root(), process);
        file.Close();
    }
    void Load(const String_cl& path, TestStore_cl& store, Process_cl& process)
    {
        XMLFile_cl file;
        file.Open(path);
        store.ReadXML(file, file.Root(), process);
        file.Close();
    }
    // A hand-written data file: the root "Quorvane" around body.
    String_cl WriteFile(const wchar_t* name, const String_cl& body)
    {
        String_cl path = m_dir / name;
        std::string bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Quorvane>" +
                            body.ToUtf8() + "</Quorvane>\r\n";
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    static void Fill(TestStore_cl& store)
    {
        store.PushBack(Rec_st{L"C:\\a\\甲.vcproj", 3});
        store.PushBack(Rec_st{L"C:\\b\\b.vcproj", -7});
        store.PushBack(Rec_st{L"C:\\c d\\c.vcproj", 0});
    }
    static String_cl Dump(const TestStore_cl& store)
    {
        String_cl out;
        for (auto id = store.First(); !id.IsEmpty(); id = id.Next())
            out += id->name + L"=" + String_cl::FromInt(id->value) + L";";
        return out;
    }
    static bool NoNodeModified(TestStore_cl& store)
    {
        for (auto id = store.First(); !id.IsEmpty(); id = id.Next())
            if (store.NodeModified(id)) return false;
        return true;
    }
    TempDir_cl m_dir{L"qvcc"};
};

} // namespace

TEST_F(CommonContainerTest, RoundTripKeepsOrderAndClearsModifiedFlags)
{
    String_cl path = m_dir / L"data.xml";
    TestStore_cl store;
    Fill(store);
    RecProcess_cl process;
    Save(path, store, process);
    EXPECT_EQ(store.Modified(), 0);
    EXPECT_TRUE(NoNodeModified(store));

    // Records are named by number; version 1 is not written.
    {
        XMLFile_cl file;
        file.Open(path);
        XMLFile_cl::ElementId_cl element = file.RootChild(L"序列");
        EXPECT_TRUE(element.Attribute(L"版本", false).IsEmpty());
        String_cl names;
        for (XMLFile_cl::ElementId_cl child = element.FirstChild(); !child.IsEmpty(); child.NextSibling())
            names += child.Name() + L",";
        EXPECT_EQ(names, L"序列1,序列2,序列3,");
    }

    TestStore_cl loaded;
    loaded.PushBack(Rec_st{L"stale", 1});
    Load(path, loaded, process);
    EXPECT_EQ(Dump(loaded), Dump(store));
    EXPECT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Modified(), 0);
    EXPECT_TRUE(NoNodeModified(loaded));
}

TEST_F(CommonContainerTest, EmptyContainerAndMissingElementReadAsEmpty)
{
    String_cl path = m_dir / L"empty.xml";
    TestStore_cl empty;
    RecProcess_cl process;
    Save(path, empty, process);
    {
        XMLFile_cl file;
        file.Open(path);
        XMLFile_cl::ElementId_cl element = file.RootChild(L"序列");  // raises when it was not written
        EXPECT_TRUE(element.FirstChild().IsEmpty());
    }
    TestStore_cl loaded;
    Fill(loaded);
    Load(path, loaded, process);
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_EQ(loaded.Modified(), 0);

    String_cl other = WriteFile(L"other.xml", L"<方案><方案1 名称=\"x\"/></方案>");
    Fill(loaded);
    Load(other, loaded, process);
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_EQ(loaded.Modified(), 0);
}

TEST_F(CommonContainerTest, VersionOneReadsOtherVersionsAreRefused)
{
    RecProcess_cl process;
    TestStore_cl store;
    String_cl one = WriteFile(L"v1.xml", L"<序列 版本=\"1\"><序列1 路径=\"a\"/></序列>");
    Load(one, store, process);
    EXPECT_EQ(Dump(store), L"a=0;");

    for (const wchar_t* version : {L"2", L"0"}) {
        String_cl path = WriteFile(L"v.xml", String_cl(L"<序列 版本=\"") + version + L"\"><序列1 路径=\"a\"/></序列>");
        Fill(store);
        auto e = CatchError<IO_ns::IOError_cl>([&] { Load(path, store, process); });
        EXPECT_EQ(e.Code(), 103) << Ansi(version);
        EXPECT_EQ(e.Message(), L"软件版本太低，无法读取高版本软件生成的XML文件。");
        EXPECT_EQ(e.Line(), 1359);
        EXPECT_EQ(e.Note(), path);
        EXPECT_EQ(e.ClassName(), L"TestStore_cl");
        EXPECT_EQ(e.File(), L"CommonContainer");
        EXPECT_EQ(store.Count(), 0);
    }

    // An adaptor of another version writes it and reads its own files only.
    String_cl path = m_dir / L"v2.xml";
    Fill(store);
    RecProcess_cl second(2);
    Save(path, store, second);
    TestStore_cl loaded;
    Load(path, loaded, second);
    EXPECT_EQ(Dump(loaded), Dump(store));
    EXPECT_EQ(CatchError<IO_ns::IOError_cl>([&] { Load(path, loaded, process); }).Code(), 103);
    EXPECT_EQ(loaded.Count(), 0);
}

TEST_F(CommonContainerTest, MissingRequiredAttributeAfterGoodRecordsLeavesNothing)
{
    String_cl path = WriteFile(L"bad.xml", L"<序列><序列1 路径=\"a\"/><序列2 路径=\"b\"/><序列3 值=\"4\"/></序列>");
    TestStore_cl store;
    RecProcess_cl process;
    auto e = CatchError<IO_ns::IOError_cl>([&] { Load(path, store, process); });
    EXPECT_EQ(e.Code(), 122);
    EXPECT_EQ(store.Count(), 0);
    // The store is usable afterwards and numbering starts afresh.
    EXPECT_EQ(store.PushBack(Rec_st{L"x", 0}).Serial(), 1u);
}

TEST_F(CommonContainerTest, RecordTheAdaptorRefusesRaisesWithItsElementName)
{
    String_cl path = WriteFile(L"refused.xml", L"<序列><序列1 路径=\"a\"/><第二 路径=\"b\"/></序列>");
    TestStore_cl store;
    RecProcess_cl process;
    process.refusedName = L"b";
    auto e = CatchError<IO_ns::IOError_cl>([&] { Load(path, store, process); });
    EXPECT_EQ(e.Code(), 104);
    EXPECT_EQ(e.Message(), L"读取XML文件失败，因为数据格式不正确。");
    EXPECT_EQ(e.Line(), 1366);
    EXPECT_EQ(e.Note(), L"Data Name: 第二\r\n File: " + path);
    EXPECT_EQ(e.ClassName(), L"TestStore_cl");
    EXPECT_EQ(store.Count(), 0);
}

TEST_F(CommonContainerTest, AdaptorWithoutReaderIsASystemError)
{
    String_cl path = WriteFile(L"noreader.xml", L"<序列><序列1 路径=\"a\"/></序列>");
    TestStore_cl store;
    ForgetfulProcess_cl process;
    auto e = CatchSys([&] { Load(path, store, process); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), L"没有设置读数据版本。");
    EXPECT_EQ(e.Line(), 603);
    EXPECT_EQ(e.ClassName(), L"RecProcess_cl");
    EXPECT_EQ(e.File(), L"CommonContainer");
    EXPECT_EQ(store.Count(), 0);
}

TEST_F(CommonContainerTest, HandEditedRecordsReadInDocumentOrderWhateverTheirNames)
{
    String_cl path = WriteFile(L"hand.xml",
                               L"\r\n  <序列>\r\n    <序列9 路径=\"first\" 值=\"1\"/>\r\n"
                               L"    <!-- moved by hand -->\r\n    <别名 路径=\"second\"/>\r\n"
                               L"    <序列1 路径=\"third\" 值=\"3\"></序列1>\r\n  </序列>\r\n");
    TestStore_cl store;
    RecProcess_cl process;
    Load(path, store, process);
    EXPECT_EQ(Dump(store), L"first=1;second=0;third=3;");
}

TEST_F(CommonContainerTest, ItemNamesAndNestedContainersUnderAnyParent)
{
    String_cl path = m_dir / L"nested.xml";
    TestStore_cl store;
    Fill(store);
    NamedProcess_cl named;
    {
        XMLFile_cl file;
        file.Create(path, L"Quorvane");
        XMLFile_cl::ElementId_cl plan = file.AddElement(file.Root(), L"方案1");
        store.WriteXML(file, plan, named);
        file.Close();
    }
    TestStore_cl loaded;
    {
        XMLFile_cl file;
        file.Open(path);
        XMLFile_cl::ElementId_cl plan = file.RootChild(L"方案1");
        EXPECT_EQ(plan.Child(L"序列").FirstChild().Name(), L"项3");
        loaded.ReadXML(file, plan, named);
        // Nothing of it stands directly under the root.
        TestStore_cl atRoot;
        atRoot.ReadXML(file, file.Root(), named);
        EXPECT_EQ(atRoot.Count(), 0);
    }
    EXPECT_EQ(Dump(loaded), Dump(store));
}
