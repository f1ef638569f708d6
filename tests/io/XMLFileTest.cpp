#include <gtest/gtest.h>
#include <objbase.h>
#include <algorithm>
#include <thread>
#include <vector>
#include "common/io/XMLFile.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;
using IO_ns::XMLFile_cl;
using Test_ns::TempDir_cl;
using ElementId = XMLFile_cl::ElementId_cl;
using AttributeId = XMLFile_cl::AttributeId_cl;

namespace {

class XMLFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

struct Caught_st {
    int code = 0;
    int system = -1;
    String_cl className, message, note, file;
};

template <class F>
Caught_st Catch(F&& action)
{
    Caught_st c;
    try {
        action();
    } catch (const Base_ns::Error_cl& e) {
        c.code = e.Code();
        c.system = e.IsSystemError();
        c.className = e.ClassName();
        c.message = e.Message();
        c.note = e.Note();
        c.file = e.File();
    }
    return c;
}

std::vector<String_cl> FilesIn(const String_cl& folder)
{
    std::vector<String_cl> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        String_cl n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(n);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// Reads a value through a document that was opened from a file.
int32_t OpenedNumber(const TempDir_cl& dir, const String_cl& value)
{
    const String_cl path = dir / L"n.xml";
    String_cl xml = L"<?xml version=\"1.0\"?><r v=\"" + value + L"\"/>";
    EXPECT_TRUE(Test_ns::WriteBytes(path, xml.ToUtf8()));
    XMLFile_cl doc;
    doc.Open(path);
    return doc.RootAttribute(L"v").Number();
}

// A Visual Studio 2008 project as a Chinese system writes it.
const char kGbkProject[] =
    "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"
    "<VisualStudioProject\r\n\tProjectType=\"Visual C++\"\r\n\tVersion=\"9.00\"\r\n"
    "\tName=\"\xB1\xE0\xD2\xEB\xC6\xF7\"\r\n\t>\r\n"   // 编译器
    "\t<!-- \xD7\xA2\xCA\xCD -->\r\n"                     // 注释
    "\t<Configurations>\r\n"
    "\t\t<Configuration\r\n\t\t\tName=\"Debug|Win32\"\r\n\t\t\tConfigurationType=\"4\"\r\n\t\t\t>\r\n"
    "\t\t\t<Tool\r\n\t\t\t\tName=\"VCLibrarianTool\"\r\n"
    "\t\t\t\tOutputFile=\"$(OutDir)\\\xD6\xD0\xCE\xC4.lib\"\r\n\t\t\t/>\r\n"   // 中文.lib
    "\t\t</Configuration>\r\n"
    "\t</Configurations>\r\n"
    "</VisualStudioProject>\r\n";

} // namespace

TEST_F(XMLFileTest, NumberReadsSignsDigitsAndLateHexadecimal)
{
    TempDir_cl dir;
    EXPECT_EQ(OpenedNumber(dir, L"-7"), -7);
    EXPECT_EQ(OpenedNumber(dir, L"+"), 0);
    EXPECT_EQ(OpenedNumber(dir, L"-"), 0);
    EXPECT_EQ(OpenedNumber(dir, L"+12"), 12);
    EXPECT_EQ(OpenedNumber(dir, L"1A"), 26);
    EXPECT_EQ(OpenedNumber(dir, L"12A"), 202);
    EXPECT_EQ(OpenedNumber(dir, L"FF"), 255);
    EXPECT_EQ(OpenedNumber(dir, L"-ff"), -255);
    EXPECT_EQ(OpenedNumber(dir, L"A0"), 160);   // digits after the letter count in base 16 too
    EXPECT_EQ(OpenedNumber(dir, L"2147483647"), 2147483647);
    EXPECT_EQ(OpenedNumber(dir, L"-2147483647"), -2147483647);

    for (const wchar_t* bad : {L"", L"0x10", L"2147483648", L"99999999999", L"-2147483648", L"1 2", L"G", L"--1"}) {
        Caught_st c = Catch([&] { OpenedNumber(dir, bad); });
        EXPECT_EQ(c.code, 101) << "text " << String_cl(bad).ToUtf8();
        EXPECT_EQ(c.system, 0);
        EXPECT_EQ(c.className, L"XMLFile_cl::AttributeId_cl");
        EXPECT_EQ(c.message, L"This Value Must Be Number, For Example \"100\".");
        // An opened document: no file line.
        EXPECT_EQ(c.note, L"名称：v\r\n值\x3000：" + String_cl(bad));
        EXPECT_EQ(c.file, L"XMLFile");
    }
}

TEST_F(XMLFileTest, ValueErrorOfACreatedDocumentNamesTheFile)
{
    TempDir_cl dir;
    XMLFile_cl doc;
    const String_cl path = dir / L"data.xml";
    doc.Create(path, L"Quorvane");
    ElementId e = doc.AddElement(ElementId(), L"序列");
    doc.SetAttribute(e, L"版本", L"x1");
    Caught_st c = Catch([&] { e.Attribute(L"版本", true).Number(); });
    EXPECT_EQ(c.code, 101);
    EXPECT_EQ(c.note, L"文件：" + path + L"\r\n名称：版本\r\n值\x3000：x1");
    doc.SetAttribute(e, L"版本", -42);
    EXPECT_EQ(e.Attribute(L"版本", true).Text(), L"-42");
    EXPECT_EQ(e.Attribute(L"版本", true).Number(), -42);
}

TEST_F(XMLFileTest, EmptyHandlesAndMissingNames)
{
    TempDir_cl dir;
    const String_cl path = dir / L"p.xml";
    ASSERT_TRUE(Test_ns::WriteBytes(path, "<r a=\"1\"><x:c xmlns:x=\"urn:q\" n=\"2\"/><c/></r>"));
    XMLFile_cl doc;
    doc.Open(path);
    ElementId root = doc.Root();
    EXPECT_EQ(root.Name(), L"r");

    // Base names: the prefixed element is found by its local name.
    ElementId c = root.Child(L"c");
    ASSERT_FALSE(c.IsEmpty());
    EXPECT_EQ(c.Attribute(L"n", true).Text(), L"2");
    EXPECT_TRUE(root.Child(L"C").IsEmpty());   // exact comparison
    EXPECT_TRUE(root.Child(L"absent").IsEmpty());

    AttributeId none = root.Attribute(L"absent", false);
    EXPECT_TRUE(none.IsEmpty());
    for (auto op : {0, 1, 2}) {
        Caught_st e = Catch([&] {
            if (op == 0) none.Name();
            if (op == 1) none.Text();
            if (op == 2) none.Number();
        });
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.system, 1);
        EXPECT_EQ(e.className, L"XMLFile_cl::AttributeId_cl");
        EXPECT_EQ(e.message, L"空ID不能作数据相关操作。");
    }
    Caught_st required = Catch([&] { root.Attribute(L"absent", true); });
    EXPECT_EQ(required.code, 122);
    EXPECT_EQ(required.system, 0);
    EXPECT_EQ(required.className, L"XMLFile_cl::ElementId_cl");
    EXPECT_EQ(required.note, L"absent\r\n" + path);

    ElementId empty;
    for (auto op : {0, 1, 2, 3, 4}) {
        Caught_st e = Catch([&] {
            if (op == 0) empty.Name();
            if (op == 1) empty.FirstChild();
            if (op == 2) empty.NextSibling();
            if (op == 3) empty.Child(L"c");
            if (op == 4) empty.Attribute(L"a", false);
        });
        EXPECT_EQ(e.code, 21);
        EXPECT_EQ(e.system, 1);
        EXPECT_EQ(e.className, L"XMLFile_cl::ElementId_cl");
        EXPECT_EQ(e.message, L"空ID不能作数据相关操作。");
    }

    Caught_st child = Catch([&] { doc.RootChild(L"absent"); });
    EXPECT_EQ(child.code, 152);
    EXPECT_EQ(child.className, L"XMLFile_cl");
    EXPECT_EQ(child.message, L"Fail To Get Element Because Inexistent Element Name.");
    EXPECT_EQ(child.note, L"absent\r\n" + path);
    Caught_st attr = Catch([&] { doc.RootAttribute(L"b"); });
    EXPECT_EQ(attr.code, 153);
    EXPECT_EQ(attr.message, L"Fail To Get Attribute Because Inexistent Attribute Name.");
    EXPECT_EQ(attr.note, L"b\r\n" + path);
    EXPECT_EQ(doc.RootAttribute(L"a").Number(), 1);
    EXPECT_EQ(doc.RootChild(L"c").Attribute(L"n", false).Name(), L"n");
}

TEST_F(XMLFileTest, SiblingsOfEveryKindInDocumentOrder)
{
    TempDir_cl dir;
    const String_cl path = dir / L"s.xml";
    ASSERT_TRUE(Test_ns::WriteBytes(path, "<r>\r\n  <a/>\r\n  <!--note-->\r\n  <b k=\"v\"/>\r\n</r>"));
    XMLFile_cl doc;
    doc.Open(path);
    ElementId node = doc.Root().FirstChild();
    // Indentation is not kept as nodes; the comment is a node of its own.
    ASSERT_FALSE(node.IsEmpty());
    EXPECT_EQ(node.Name(), L"a");
    EXPECT_TRUE(node.NextSibling());
    EXPECT_TRUE(node.Attribute(L"k", false).IsEmpty());   // a comment has no attributes
    EXPECT_TRUE(node.NextSibling());
    EXPECT_EQ(node.Name(), L"b");
    ElementId copy = node;   // copies hold their own reference
    EXPECT_FALSE(node.NextSibling());
    EXPECT_TRUE(node.IsEmpty());
    EXPECT_EQ(copy.Attribute(L"k", true).Text(), L"v");
    EXPECT_TRUE(copy.FirstChild().IsEmpty());
}

TEST_F(XMLFileTest, RefusedNamesRaiseTheirCodes)
{
    TempDir_cl dir;
    XMLFile_cl doc;
    Caught_st noRoot = Catch([&] { doc.Root(); });
    EXPECT_EQ(noRoot.code, 41);
    EXPECT_EQ(noRoot.system, 1);
    EXPECT_EQ(noRoot.message, L"根节点还没有被创建。");
    EXPECT_EQ(Catch([&] { doc.AddElement(ElementId(), L"a"); }).code, 41);
    EXPECT_EQ(Catch([&] { doc.SetAttribute(ElementId(), L"a", L"v"); }).code, 41);

    Caught_st badRoot = Catch([&] { doc.Create(dir / L"x.xml", L"a b"); });
    EXPECT_EQ(badRoot.code, 43);
    EXPECT_EQ(badRoot.message, L"元素名称使用了非法字符。");
    EXPECT_EQ(badRoot.note, L"根节点名称：a b");

    doc.Create(dir / L"x.xml", L"方案");
    Caught_st digit = Catch([&] { doc.AddElement(ElementId(), L"1abc"); });
    EXPECT_EQ(digit.code, 43);
    EXPECT_EQ(digit.system, 1);
    EXPECT_EQ(digit.className, L"XMLFile_cl");
    EXPECT_EQ(digit.note, L"元素名称：1abc");
    EXPECT_EQ(Catch([&] { doc.AddElement(ElementId(), L"a<b"); }).code, 43);
    EXPECT_EQ(Catch([&] { doc.AddElement(ElementId(), L""); }).code, 43);

    ElementId plan = doc.AddElement(ElementId(), L"方案1");
    Caught_st attr = Catch([&] { doc.SetAttribute(plan, L"1x", L"v"); });
    EXPECT_EQ(attr.code, 42);
    EXPECT_EQ(attr.message, L"属性名称使用了非法字符。");
    EXPECT_EQ(attr.note, L"元素名称：方案1\r\n属性名称：1x");
    Caught_st rootAttr = Catch([&] { doc.SetAttribute(ElementId(), L"a b", L"v"); });
    EXPECT_EQ(rootAttr.code, 42);
    EXPECT_EQ(rootAttr.note, L"根属性名称：a b");
    // Names with letters of any script, digits after the first place, - . _ are fine.
    EXPECT_NO_THROW(doc.SetAttribute(plan, L"编译方式-2._x", L"Debug|Win32"));
}

TEST_F(XMLFileTest, CreatedDocumentRoundTripsThroughItsFile)
{
    TempDir_cl dir;
    const String_cl folder = dir / L"数据 目录";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const String_cl path = folder + L"\\Quorvane.xml";
    {
        XMLFile_cl doc;
        doc.Create(path, L"Quorvane");
        ElementId seq = doc.AddElement(ElementId(), L"序列");
        ElementId one = doc.AddElement(seq, L"序列1");
        doc.SetAttribute(one, L"路径", L"D:\\工程\\核心\\core.vcproj");
        doc.SetAttribute(one, L"路径", L"D:\\工程\\核心 & <二>\\\"core\".vcproj");   // replaces
        ElementId plans = doc.AddElement(ElementId(), L"方案");
        ElementId plan = doc.AddElement(plans, L"方案1");
        doc.SetAttribute(plan, L"名称", L"默认");
        doc.SetAttribute(plan, L"编译方式", L"Debug|Win32");
        doc.SetAttribute(ElementId(), L"count", 2147483647);
        EXPECT_EQ(doc.Path(), path);
        EXPECT_FALSE(Test_ns::FileExists(path));   // nothing before Close
        doc.Close();
    }
    EXPECT_EQ(FilesIn(folder + L"\\"), std::vector<String_cl>{L"Quorvane.xml"});
    XMLFile_cl doc;
    doc.Open(path);
    EXPECT_EQ(doc.Created(), 0);
    EXPECT_EQ(doc.Root().Name(), L"Quorvane");
    EXPECT_EQ(doc.RootAttribute(L"count").Number(), 2147483647);
    EXPECT_EQ(doc.RootChild(L"序列").Child(L"序列1").Attribute(L"路径", true).Text(),
              L"D:\\工程\\核心 & <二>\\\"core\".vcproj");
    ElementId plan = doc.RootChild(L"方案").FirstChild();
    EXPECT_EQ(plan.Name(), L"方案1");
    EXPECT_EQ(plan.Attribute(L"名称", true).Text(), L"默认");
    EXPECT_EQ(plan.Attribute(L"编译方式", true).Text(), L"Debug|Win32");
    EXPECT_FALSE(plan.NextSibling());
}

TEST_F(XMLFileTest, OnlyCreatedDocumentsAreWrittenAndOnlyByClose)
{
    TempDir_cl dir;
    const String_cl opened = dir / L"opened.xml";
    const std::string original = "<r a=\"1\"/>";
    ASSERT_TRUE(Test_ns::WriteBytes(opened, original));
    {
        XMLFile_cl doc;
        doc.Open(opened);
        doc.SetAttribute(ElementId(), L"a", L"2");
        doc.AddElement(ElementId(), L"added");
        doc.Close();
    }
    EXPECT_EQ(Test_ns::ReadBytes(opened), original);

    const String_cl abandoned = dir / L"abandoned.xml";
    {
        XMLFile_cl doc;
        doc.Create(abandoned, L"r");
        doc.AddElement(ElementId(), L"a");
    }
    EXPECT_FALSE(Test_ns::FileExists(abandoned));

    // Create after Open starts a new document.
    XMLFile_cl doc;
    doc.Open(opened);
    doc.Create(dir / L"new.xml", L"fresh");
    EXPECT_EQ(doc.Root().Name(), L"fresh");
    doc.Close();
    XMLFile_cl back;
    back.Open(dir / L"new.xml");
    EXPECT_EQ(back.Root().Name(), L"fresh");
    EXPECT_TRUE(back.Root().FirstChild().IsEmpty());
}

TEST_F(XMLFileTest, OpenFailuresKeepTheNewPath)
{
    TempDir_cl dir;
    XMLFile_cl doc;
    doc.Create(dir / L"a.xml", L"r");
    const String_cl missing = dir / L"missing.xml";
    Caught_st c = Catch([&] { doc.Open(missing); });
    EXPECT_EQ(c.code, 151);
    EXPECT_EQ(c.system, 0);
    EXPECT_EQ(c.message, L"Fail To Open File.");
    EXPECT_EQ(c.note, missing);
    EXPECT_EQ(doc.Path(), missing);
    EXPECT_EQ(doc.Created(), 0);
    EXPECT_FALSE(Test_ns::FileExists(missing));

    const String_cl broken = dir / L"broken.xml";
    ASSERT_TRUE(Test_ns::WriteBytes(broken, "<r><unclosed></r>"));
    EXPECT_EQ(Catch([&] { doc.Open(broken); }).code, 151);
    ASSERT_TRUE(Test_ns::WriteBytes(broken, ""));
    EXPECT_EQ(Catch([&] { doc.Open(broken); }).code, 151);
    EXPECT_EQ(Catch([&] { doc.Open(dir.Path()); }).code, 151);
}

TEST_F(XMLFileTest, Gb2312ProjectInAChineseFolderLoads)
{
    TempDir_cl dir;
    const String_cl folder = dir / L"工程 文件";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const String_cl path = folder + L"\\编译器.vcproj";
    ASSERT_TRUE(Test_ns::WriteBytes(path, kGbkProject));
    XMLFile_cl doc;
    doc.Open(path);
    ElementId root = doc.Root();
    EXPECT_EQ(root.Name(), L"VisualStudioProject");
    EXPECT_EQ(root.Attribute(L"Name", true).Text(), L"编译器");
    ElementId config = doc.RootChild(L"Configurations").FirstChild();
    EXPECT_EQ(config.Attribute(L"Name", true).Text(), L"Debug|Win32");
    EXPECT_EQ(config.Attribute(L"ConfigurationType", true).Number(), 4);
    EXPECT_EQ(config.Child(L"Tool").Attribute(L"OutputFile", true).Text(), L"$(OutDir)\\中文.lib");

    // Rewritten as the build does with a wrapper project; the copy loads back.
    doc.SetAttribute(root, L"VCNestedProjectFileName", L"Temp编译器.vcproj");
    const String_cl copy = folder + L"\\Temp编译器.icproj";
    doc.SaveAs(copy);
    EXPECT_EQ(Test_ns::ReadBytes(copy).find("gb2312"), std::string::npos);
    XMLFile_cl back;
    back.Open(copy);
    EXPECT_EQ(back.Root().Attribute(L"Name", true).Text(), L"编译器");
    EXPECT_EQ(back.RootAttribute(L"VCNestedProjectFileName").Text(), L"Temp编译器.vcproj");
    // The original stays as it was.
    EXPECT_EQ(Test_ns::ReadBytes(path), kGbkProject);
}

TEST_F(XMLFileTest, EncodingsByMarkAndDeclaration)
{
    TempDir_cl dir;
    const String_cl name = L"名称\x00E9";
    auto load = [&](const std::string& bytes) {
        const String_cl path = dir / L"e.xml";
        EXPECT_TRUE(Test_ns::WriteBytes(path, bytes));
        XMLFile_cl doc;
        doc.Open(path);
        return doc.RootAttribute(L"n").Text();
    };
    auto utf16 = [](const String_cl& text, bool bigEndian) {
        std::string b;
        for (wchar_t c : text) {
            char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
            b += bigEndian ? hi : lo;
            b += bigEndian ? lo : hi;
        }
        return b;
    };
    const String_cl body = L"<r n=\"" + name + L"\"/>";
    EXPECT_EQ(load("\xEF\xBB\xBF" + String_cl(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body).ToUtf8()), name);
    EXPECT_EQ(load(String_cl(L"<?xml version=\"1.0\"?>\n" + body).ToUtf8()), name);   // no declared encoding: UTF-8
    EXPECT_EQ(load(String_cl(body).ToUtf8()), name);
    EXPECT_EQ(load("\xFF\xFE" + utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body, false)), name);
    EXPECT_EQ(load("\xFE\xFF" + utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body, true)), name);
    EXPECT_EQ(load(utf16(L"<?xml version='1.0' encoding='utf-16'?>" + body, false)), name);
    EXPECT_EQ(load("<?xml version=\"1.0\" encoding=\"GBK\" standalone=\"yes\"?><r n=\"\xC3\xFB\xB3\xC6\xA8\xA6\"/>"),
              name);
    EXPECT_EQ(load("<?xml version=\"1.0\" encoding = 'Windows-1252'?><r n=\"caf\xE9\"/>"), L"caf\x00E9");
    EXPECT_EQ(load("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r n=\"\xFC\"/>"), L"\x00FC");
}

TEST_F(XMLFileTest, FailedSaveLeavesTheTargetUntouched)
{
    TempDir_cl dir;
    const String_cl target = dir / L"目标.xml";
    const std::string original = "<old keep=\"1\"/>";
    ASSERT_TRUE(Test_ns::WriteBytes(target, original));
    XMLFile_cl doc;
    doc.Create(target, L"new");
    doc.AddElement(ElementId(), L"child");

    // Held open without sharing by another program: the save cannot replace it.
    HANDLE lock = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Caught_st locked = Catch([&] { doc.Close(); });
    EXPECT_EQ(Catch([&] { doc.SaveAs(target); }).code, 154);
    CloseHandle(lock);
    EXPECT_EQ(locked.code, 154);
    EXPECT_EQ(locked.system, 0);
    EXPECT_EQ(locked.className, L"XMLFile_cl");
    EXPECT_EQ(locked.message, L"Fail To Save The File.");
    EXPECT_EQ(locked.note, target);
    EXPECT_EQ(Test_ns::ReadBytes(target), original);
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<String_cl>{L"目标.xml"});   // no temporary file left

    // A folder where the file should be.
    const String_cl folder = dir / L"sub";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Caught_st onFolder = Catch([&] { doc.SaveAs(folder); });
    EXPECT_EQ(onFolder.code, 154);
    EXPECT_EQ(onFolder.note, folder);
    EXPECT_EQ(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<String_cl>{L"sub", L"目标.xml"}));

    // A folder that does not exist.
    EXPECT_EQ(Catch([&] { doc.SaveAs(dir / L"none\\x.xml"); }).code, 154);

    // Once the target is free the same document replaces it whole.
    doc.Close();
    XMLFile_cl back;
    back.Open(target);
    EXPECT_EQ(back.Root().Name(), L"new");
    EXPECT_FALSE(back.Root().Child(L"child").IsEmpty());
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<String_cl>{L"sub", L"目标.xml"}));
}

TEST_F(XMLFileTest, SaveAsToAReadOnlyTargetFails)
{
    TempDir_cl dir;
    const String_cl target = dir / L"ro.xml";
    ASSERT_TRUE(Test_ns::WriteBytes(target, "<ro/>"));
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    XMLFile_cl doc;
    doc.Create(dir / L"other.xml", L"r");
    EXPECT_EQ(Catch([&] { doc.SaveAs(target); }).code, 154);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Test_ns::ReadBytes(target), "<ro/>");
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<String_cl>{L"ro.xml"});
}

TEST_F(XMLFileTest, WithoutComTheDocumentCannotBeMade)
{
    // A thread that never initialised COM (the test's own thread holds a
    // single-threaded apartment, so there is no implicit multithreaded one).
    Caught_st c;
    std::thread worker([&] { c = Catch([] { XMLFile_cl doc; }); });
    worker.join();
    EXPECT_EQ(c.code, 141);
    EXPECT_EQ(c.system, 0);
    EXPECT_EQ(c.className, L"XMLFile_cl");
    EXPECT_EQ(c.message, L"MSXML 2.0 Has Not Been Installed.");
    EXPECT_EQ(c.note, L"Msxml2.DOMDocument.6.0, Msxml2.DOMDocument.4.0");
}

// Which MSXML makes the documents: 6.0 wherever it is, which is every
// Windows since Vista; 4.0 where only that is (the run with msxml6 turned
// off, QV_MSXML=4, which runs this whole program's XML tests again).
TEST_F(XMLFileTest, DocumentsComeFromMsxml6WhereverItIs)
{
    wchar_t which[8] = {};
    GetEnvironmentVariableW(L"QV_MSXML", which, 8);
    const String_cl expected = String_cl(which) == L"4" ? L"Msxml2.DOMDocument.4.0" : L"Msxml2.DOMDocument.6.0";
    TempDir_cl dir;
    XMLFile_cl doc;
    EXPECT_EQ(String_cl(doc.ProgramId()), expected);
    doc.Create(dir / L"a.xml", L"r");
    doc.Close();
    XMLFile_cl back;
    back.Open(dir / L"a.xml");
    EXPECT_EQ(String_cl(back.ProgramId()), expected);
    EXPECT_EQ(back.Root().Name(), L"r");
}

// Files written by others that would make a parser expand entities without
// bound, fetch what they name, nest without end or hold what no XML may: each
// is the reader's error naming the file, never a hang, a crash or a huge
// allocation, whichever MSXML reads it.
TEST_F(XMLFileTest, HostileFilesAreRefusedNamingTheFile)
{
    TempDir_cl dir;
    const String_cl secret = dir / L"secret.txt";
    ASSERT_TRUE(Test_ns::WriteBytes(secret, "SECRET-CONTENT"));
    String_cl secretUrl = L"file:///" + secret;
    secretUrl.ReplaceAll(L"\\", L"/");

    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        laughs += " <!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) laughs += i == 1 ? "&lol;" : "&lol" + std::to_string(i - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<lolz>&lol9;</lolz>\n";

    std::string wideEntity = "<?xml version=\"1.0\"?>\n<!DOCTYPE Project [<!ENTITY e \"" + std::string(100000, 'x') +
                             "\">]>\n<Project><PropertyGroup><TargetName>";
    for (int i = 0; i < 5000; ++i) wideEntity += "&e;";
    wideEntity += "</TargetName></PropertyGroup></Project>\n";

    std::string nested;
    for (int i = 0; i < 100000; ++i) nested += "<a>";
    for (int i = 0; i < 100000; ++i) nested += "</a>";

    std::string huge = "<Project><!-- ";
    huge.append(17 * 1024 * 1024, 'x');
    huge += " --></Project>";

    struct Case_st {
        const char* name;
        std::string bytes;
        const wchar_t* why;  // what the note says after the path; null: the parser's words
    };
    const Case_st cases[] = {
        {"billion laughs", laughs, L"文档类型定义"},
        {"an entity of 100,000 characters referenced 5,000 times", wideEntity, L"文档类型定义"},
        {"an external entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Project [<!ENTITY x SYSTEM \"" + secretUrl.ToUtf8() +
             "\">]>\n<Project><PropertyGroup><TargetName>&x;</TargetName></PropertyGroup></Project>\n",
         L"文档类型定义"},
        {"an external DTD",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Project SYSTEM \"" + secretUrl.ToUtf8() + "\">\n<Project/>\n",
         L"文档类型定义"},
        {"over the size limit", huge, L"16 MB"},
        {"100,000 nested elements", nested, L"嵌套超过 256 层"},
        {"a NUL character reference",
         "<Project><PropertyGroup><TargetName>&#0;</TargetName></PropertyGroup></Project>", nullptr},
        {"a NUL character", std::string("<Project><PropertyGroup>a\0b</PropertyGroup></Project>", 53), L"NUL"},
        {"cut short", "<Project><PropertyGroup>", nullptr},
        {"a DTD in a UTF-16 file",
         "\xFF\xFE" + [] {
             std::string b;
             for (char c : std::string("<!DOCTYPE r [<!ENTITY a \"b\">]><r>&a;</r>")) b += {c, '\0'};
             return b;
         }(),
         L"文档类型定义"},
        {"a DTD in an encoding read by the parser itself",
         "<?xml version=\"1.0\" encoding=\"x-unknown-encoding\"?><!DOCTYPE r SYSTEM \"" + secretUrl.ToUtf8() +
             "\"><r/>",
         L"文档类型定义"},
    };
    for (const Case_st& c : cases) {
        SCOPED_TRACE(c.name);
        const String_cl path = dir / L"hostile.vcxproj";
        ASSERT_TRUE(Test_ns::WriteBytes(path, c.bytes));
        XMLFile_cl doc;
        const Caught_st caught = Catch([&] { doc.Open(path); });
        EXPECT_EQ(caught.code, 151);
        EXPECT_EQ(caught.system, 0);
        EXPECT_EQ(caught.message, L"Fail To Open File.");
        EXPECT_TRUE(caught.note.StartsWith(path)) << caught.note.ToUtf8();
        if (c.why) {
            EXPECT_NE(caught.note.find(c.why), String_cl::npos) << caught.note.ToUtf8();
        }
        EXPECT_EQ(caught.note.find(L"SECRET"), String_cl::npos);
    }
}

// What only looks like the markup refused above is read: a declaration
// inside a comment, a CDATA section or an attribute value, and nesting
// within the limit.
TEST_F(XMLFileTest, MarkupThatOnlyLooksHostileIsRead)
{
    TempDir_cl dir;
    std::string deep = "<?xml version=\"1.0\"?>\r\n<!-- <!DOCTYPE x> --><Project Label=\"x/> y&gt; ]]&gt;\">"
                       "<?pi <!DOCTYPE z> ?><![CDATA[<!DOCTYPE w><a><a><a>]]>";
    for (int i = 0; i < 254; ++i) deep += "<a><b/><!-- <a> --><c x='>'/>";
    for (int i = 0; i < 254; ++i) deep += "</a>";
    deep += "</Project>";
    const String_cl path = dir / L"deep.vcxproj";
    ASSERT_TRUE(Test_ns::WriteBytes(path, deep));
    XMLFile_cl doc;
    doc.Open(path);
    EXPECT_EQ(doc.Root().Attribute(L"Label", true).Text(), L"x/> y> ]]>");
    ElementId e = doc.Root();
    int depth = 1;
    for (ElementId a = e.Child(L"a"); !a.IsEmpty(); a = a.Child(L"a")) ++depth;
    EXPECT_EQ(depth, 255);
}
