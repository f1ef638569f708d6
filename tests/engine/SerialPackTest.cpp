// The build-order sequence: registering, moving with renumbering, the data
// file round trip through MSXML, and export/import through real text files.
#include <gtest/gtest.h>
#include <objbase.h>
#include <vector>
#include "app/engine/SerialPack.h"
#include "common/io/XMLFile.h"
#include "tests/support/FileSpellings.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

class SerialPackTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    static std::vector<String_cl> Paths(const SerialPack_cl& pack)
    {
        std::vector<String_cl> paths;
        for (SerialId_cl id = pack.First(); !id.IsEmpty(); id = id.Next())
            paths.push_back(id->path);
        return paths;
    }

    static std::vector<int32_t> Orders(const SerialPack_cl& pack)
    {
        std::vector<int32_t> orders;
        for (SerialId_cl id = pack.First(); !id.IsEmpty(); id = id.Next())
            orders.push_back(id->order);
        return orders;
    }

    static String_cl P(const wchar_t* name) { return String_cl(L"C:\\work\\") + name + L".vcproj"; }

    void RegisterAll(std::initializer_list<const wchar_t*> names)
    {
        for (const wchar_t* name : names)
            m_pack.Register(P(name));
    }

    // A data file written by hand, as a user or an older program may leave it.
    String_cl WriteDataFile(const String_cl& sequenceElement)
    {
        String_cl text = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Quorvane>" + sequenceElement +
                         L"<方案/></Quorvane>\r\n";
        String_cl path = m_dir / L"Quorvane.xml";
        EXPECT_TRUE(Test_ns::WriteBytes(path, text.ToUtf8()));
        return path;
    }

    void Load(const String_cl& path, SerialPack_cl& pack)
    {
        IO_ns::XMLFile_cl file;
        file.Open(path);
        pack.LoadSequence(file, file.Root());
        file.Close();
    }

    static std::vector<String_cl> V(std::initializer_list<String_cl> list) { return list; }

    Test_ns::TempDir_cl m_dir{L"qv-serial"};
    SerialPack_cl m_pack;
};

TEST_F(SerialPackTest, RegisterFindsIgnoringCaseAndAppendsAfterTheLastOrder)
{
    SerialId_cl a = m_pack.Register(P(L"a"));
    EXPECT_EQ(1, a->order);
    SerialId_cl b = m_pack.Register(P(L"b"));
    EXPECT_EQ(2, b->order);

    m_pack.ClearModifiedFlags();
    SerialId_cl again = m_pack.Register(L"c:\\WORK\\A.VCPROJ");
    EXPECT_TRUE(again == a);
    EXPECT_EQ(P(L"a"), again->path);
    EXPECT_EQ(2, m_pack.Count());
    EXPECT_EQ(0, m_pack.Modified());

    // Numbers need not be consecutive before the end: the new one follows the last.
    b->order = 7;
    SerialId_cl c = m_pack.Register(P(L"c"));
    EXPECT_EQ(8, c->order);
    EXPECT_EQ(1, m_pack.Modified());
    EXPECT_TRUE(m_pack.NodeModified(c));
}

TEST_F(SerialPackTest, MoveBeforeRenumbersFromTheMovedEntryOn)
{
    RegisterAll({L"a", L"b", L"c", L"d", L"e"});
    m_pack.MoveBefore(m_pack.At(2), m_pack.At(0));
    EXPECT_EQ(V({P(L"c"), P(L"a"), P(L"b"), P(L"d"), P(L"e")}), Paths(m_pack));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4, 5}), Orders(m_pack));

    // Entries before the moved one keep whatever numbers they have.
    m_pack.At(0)->order = 10;
    m_pack.At(1)->order = 20;
    m_pack.At(2)->order = 30;
    m_pack.ClearModifiedFlags();
    m_pack.MoveBefore(m_pack.At(4), m_pack.At(3));
    EXPECT_EQ(V({P(L"c"), P(L"a"), P(L"b"), P(L"e"), P(L"d")}), Paths(m_pack));
    EXPECT_EQ((std::vector<int32_t>{10, 20, 30, 31, 32}), Orders(m_pack));
    EXPECT_EQ(1, m_pack.Modified());
    EXPECT_FALSE(m_pack.NodeModified(m_pack.At(0)));
    EXPECT_TRUE(m_pack.NodeModified(m_pack.At(4)));

    // Moving an entry before itself changes no place, only the numbers after it.
    m_pack.MoveBefore(m_pack.At(1), m_pack.At(1));
    EXPECT_EQ(V({P(L"c"), P(L"a"), P(L"b"), P(L"e"), P(L"d")}), Paths(m_pack));
    EXPECT_EQ((std::vector<int32_t>{10, 11, 12, 13, 14}), Orders(m_pack));

    EXPECT_THROW(m_pack.MoveBefore(SerialId_cl(), m_pack.At(0)), Base_ns::SysError_cl);
}

TEST_F(SerialPackTest, ProjectNameIsBetweenTheLastBackslashAndTheLastDot)
{
    EXPECT_EQ(L"core", m_pack.ProjectName(m_pack.Register(L"C:\\src\\core.vcproj")));
    EXPECT_EQ(L"my.lib", m_pack.ProjectName(m_pack.Register(L"D:\\a.b\\my.lib.icproj")));
    EXPECT_EQ(L"", m_pack.ProjectName(m_pack.Register(L"D:\\x\\.vcproj")));

    for (const wchar_t* bad : {L"core.vcproj", L"C:\\src.d\\core", L"C:\\src\\core", L"C:/other/core.vcproj"}) {
        SerialId_cl id = m_pack.Register(bad);
        try {
            m_pack.ProjectName(id);
            ADD_FAILURE() << "accepted " << String_cl(bad).ToUtf8();
        } catch (const Base_ns::Error_cl& error) {
            EXPECT_EQ(1, error.IsSystemError());
            EXPECT_EQ(1, error.Code());
            EXPECT_EQ(162, error.Line());
            EXPECT_EQ(L"工程路径不正确。", error.Message());
            EXPECT_TRUE(error.Note().empty());
            EXPECT_EQ(L"SerialPack_cl", error.ClassName());
            EXPECT_EQ(L"SerialPack", error.File());
        }
    }
}

TEST_F(SerialPackTest, SequenceSurvivesTheDataFile)
{
    String_cl chinese = L"D:\\源码\\界面 库\\界面.icproj";
    RegisterAll({L"zeta", L"alpha", L"mid"});
    m_pack.Register(chinese);
    m_pack.MoveBefore(m_pack.At(2), m_pack.At(0));
    String_cl path = m_dir / L"Quorvane.xml";
    {
        IO_ns::XMLFile_cl file;
        file.Create(path, L"Quorvane");
        m_pack.SaveSequence(file, file.Root());
        file.Close();
    }
    EXPECT_EQ(0, m_pack.Modified());
    EXPECT_FALSE(m_pack.NodeModified(m_pack.First()));

    // The layout: one "序列" element, records 序列1.. with "路径" only.
    {
        IO_ns::XMLFile_cl file;
        file.Open(path);
        IO_ns::XMLFile_cl::ElementId_cl sequence = file.RootChild(L"序列");
        EXPECT_TRUE(sequence.Attribute(L"版本", false).IsEmpty());
        IO_ns::XMLFile_cl::ElementId_cl record = sequence.FirstChild();
        ASSERT_FALSE(record.IsEmpty());
        EXPECT_EQ(L"序列1", record.Name());
        EXPECT_EQ(P(L"mid"), record.Attribute(L"路径", true).Text());
        EXPECT_TRUE(record.Attribute(L"order", false).IsEmpty());
        ASSERT_TRUE(record.NextSibling());
        EXPECT_EQ(L"序列2", record.Name());
        file.Close();
    }

    SerialPack_cl loaded;
    loaded.Register(L"C:\\stale\\old.vcproj");
    Load(path, loaded);
    EXPECT_EQ(V({P(L"mid"), P(L"zeta"), P(L"alpha"), chinese}), Paths(loaded));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), Orders(loaded));
    EXPECT_EQ(0, loaded.Modified());

    // Saving an empty sequence still writes its element; it loads empty.
    SerialPack_cl empty;
    {
        IO_ns::XMLFile_cl file;
        file.Create(path, L"Quorvane");
        empty.SaveSequence(file, file.Root());
        file.Close();
    }
    Load(path, loaded);
    EXPECT_EQ(0, loaded.Count());
}

TEST_F(SerialPackTest, LoadKeepsOnlyProjectFilesOncePerPath)
{
    String_cl path = WriteDataFile(
        L"<序列>"
        L"<序列1 路径=\"C:\\a\\one.vcproj\"/>"
        L"<序列2 路径=\"C:\\a\\notes.txt\"/>"
        L"<anything 路径=\"C:\\a\\two.ICPROJ\"/>"
        L"<序列4 路径=\"C:\\a.vcproj\\noext\"/>"
        L"<序列5 路径=\"C:\\A\\ONE.VCPROJ\"/>"
        L"<序列6 路径=\"C:\\a\\three.vcproj\"/>"
        L"<序列7 路径=\"C:\\a\\four.VcxProj\"/>"
        L"</序列>");
    Load(path, m_pack);
    EXPECT_EQ(V({L"C:\\a\\one.vcproj", L"C:\\a\\two.ICPROJ", L"C:\\a\\three.vcproj", L"C:\\a\\four.VcxProj"}),
              Paths(m_pack));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), Orders(m_pack));
    // What was dropped differs from the file: the store says so.
    EXPECT_EQ(1, m_pack.Modified());
}

TEST_F(SerialPackTest, RefusedDataFilesLeaveTheSequenceEmpty)
{
    // A version this program does not write.
    RegisterAll({L"keep"});
    String_cl path = WriteDataFile(L"<序列 版本=\"2\"><序列1 路径=\"C:\\a\\one.vcproj\"/></序列>");
    try {
        Load(path, m_pack);
        ADD_FAILURE() << "version 2 was read";
    } catch (const Base_ns::Error_cl& error) {
        EXPECT_EQ(0, error.IsSystemError());
        EXPECT_EQ(103, error.Code());
    }
    EXPECT_EQ(0, m_pack.Count());

    // A record without its path, after good ones.
    RegisterAll({L"keep"});
    path = WriteDataFile(L"<序列><序列1 路径=\"C:\\a\\one.vcproj\"/><序列2 路径=\"C:\\a\\two.vcproj\"/><序列3/></序列>");
    try {
        Load(path, m_pack);
        ADD_FAILURE() << "a record without 路径 was read";
    } catch (const Base_ns::Error_cl& error) {
        EXPECT_EQ(0, error.IsSystemError());
        EXPECT_EQ(122, error.Code());
    }
    EXPECT_EQ(0, m_pack.Count());

    // Version 1 written out is the same as none; no element at all is an empty sequence.
    path = WriteDataFile(L"<序列 版本=\"1\"><序列1 路径=\"C:\\a\\one.vcproj\"/></序列>");
    Load(path, m_pack);
    EXPECT_EQ(V({L"C:\\a\\one.vcproj"}), Paths(m_pack));
    path = WriteDataFile(L"");
    Load(path, m_pack);
    EXPECT_EQ(0, m_pack.Count());
}

TEST_F(SerialPackTest, ExportThenImportGivesTheSamePaths)
{
    std::vector<String_cl> paths = {L"C:\\My Projects\\core lib\\core.vcproj", L"D:\\源码\\界面 库\\界面.icproj",
                                    L"\\\\server\\share\\net.vcproj", L"C:\\x\\ trailing space .vcproj"};
    for (const String_cl& path : paths)
        m_pack.Register(path);
    String_cl file = m_dir / L"序列 导出.txt";
    m_pack.ExportSequence(file);

    String_cl expected;
    for (const String_cl& path : paths)
        expected += path + L"\r\n";
    std::string bytes = Test_ns::ReadBytes(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
    EXPECT_EQ(expected, String_cl(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));

    SerialPack_cl imported;
    imported.ImportSequence(file);
    EXPECT_EQ(paths, Paths(imported));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), Orders(imported));
}

// A project file is one entry however it is registered or imported: in
// other case, through ".." and "/", by its short name, through drive Z:
// under Wine. The entry keeps the spelling it was first given.
TEST_F(SerialPackTest, OneFileIsOneEntryUnderEverySpelling)
{
    const String_cl project = m_dir / L"Long Folder\\core.vcproj";
    Test_ns::CreateFolders(project);
    ASSERT_TRUE(Test_ns::WriteBytes(project, "<VisualStudioProject/>"));
    const SerialId_cl entry = m_pack.Register(project);
    std::vector<String_cl> spellings{project.Upper(), m_dir / L"Long Folder\\..\\Long Folder/core.vcproj"};
    for (const String_cl& other : {Test_ns::ShortSpelling(project), Test_ns::UnixDriveSpelling(project)})
        if (!other.empty()) spellings.push_back(other);
    for (const String_cl& spelling : spellings) EXPECT_TRUE(m_pack.Register(spelling) == entry) << spelling.ToUtf8();

    // An import names project files by their extension: no short name there.
    String_cl list;
    for (const String_cl& spelling : spellings)
        if (spelling.EndsWithNoCase(L".vcproj")) list += spelling + L"\r\n" + P(L"other") + L"\r\n";
    const String_cl file = m_dir / L"list.txt";
    ASSERT_TRUE(Test_ns::WriteUtf16(file, list));
    m_pack.ImportSequence(file);
    EXPECT_EQ(V({project, P(L"other")}), Paths(m_pack));
}

TEST_F(SerialPackTest, ImportReadsAnsiWithForwardSlashesAndSkipsEmptyLines)
{
    // A folder name the running code page can hold: Chinese under 936, Latin under 1252.
    const String_cl folder = GetACP() == 936 ? L"核心" : L"Fran\u00e7ais";
    String_cl text = L"\r\n\r\nC:/src/" + folder + L"/core.vcproj\r\n\r\nC:\\src\\ui.ICPROJ\n\nC:\\src\\net.VcProj\r\nC:\\src\\app.vcxproj";
    String_cl file = m_dir / L"list.txt";
    ASSERT_TRUE(Test_ns::WriteBytes(file, Test_ns::Ansi(text)));
    m_pack.ImportSequence(file);
    EXPECT_EQ(V({L"C:\\src\\" + folder + L"\\core.vcproj", L"C:\\src\\ui.ICPROJ", L"C:\\src\\net.VcProj",
                 L"C:\\src\\app.vcxproj"}),
              Paths(m_pack));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), Orders(m_pack));
}

TEST_F(SerialPackTest, ImportRefusesBadLinesAndChangesNothing)
{
    RegisterAll({L"a", L"b", L"c"});
    m_pack.MoveBefore(m_pack.At(2), m_pack.At(0));
    m_pack.At(2)->order = 9;  // a state no renumbering would produce

    struct Case_st {
        std::string content;
        int line;
        String_cl note;
    };
    const Case_st cases[] = {
        // A line longer than any path: read whole, and refused as any other.
        {"C:\\x\\one.vcproj\r\nC:\\x\\" + std::string(1200, 'n') + ".txt\r\n", 366,
         L"C:\\x\\" + String_cl(1200, L'n') + L".txt"},
        // A project without any folder, even as the last line.
        {"C:\\x\\one.vcproj\r\nC:\\x\\two.vcproj\r\nthree.vcproj\r\n", 371, L"three.vcproj"},
        // A solution file; the note shows the line with backslashes.
        {"C:\\x\\one.vcproj\r\nC:/x/all.sln\r\nC:\\x\\two.vcproj\r\n", 366, L"C:\\x\\all.sln"},
        {"C:\\x\\one.vcproj.bak\r\n", 366, L"C:\\x\\one.vcproj.bak"},
        {"C:\\x\\one.vcproj \r\n", 366, L"C:\\x\\one.vcproj "},
    };
    for (const Case_st& c : cases) {
        String_cl file = m_dir / L"bad.txt";
        ASSERT_TRUE(Test_ns::WriteBytes(file, c.content));
        try {
            m_pack.ImportSequence(file);
            ADD_FAILURE() << "accepted " << c.content.substr(0, 80);
        } catch (const Base_ns::Error_cl& error) {
            EXPECT_EQ(0, error.IsSystemError());
            EXPECT_EQ(101, error.Code());
            EXPECT_EQ(c.line, error.Line()) << c.content.substr(0, 80);
            EXPECT_EQ(c.note, error.Note());
            EXPECT_EQ(L"导入的文件内容不正确。", error.Message());
            EXPECT_EQ(L"SerialPack_cl", error.ClassName());
        }
        EXPECT_EQ(V({P(L"c"), P(L"a"), P(L"b")}), Paths(m_pack));
        EXPECT_EQ((std::vector<int32_t>{1, 2, 9}), Orders(m_pack));
    }

    EXPECT_THROW(m_pack.ImportSequence(m_dir / L"missing.txt"), Base_ns::Error_cl);
    EXPECT_EQ(V({P(L"c"), P(L"a"), P(L"b")}), Paths(m_pack));
}

TEST_F(SerialPackTest, ImportTakesTheFileOrderKeepingHeldEntries)
{
    RegisterAll({L"a", L"b", L"c", L"d", L"e", L"g"});
    // Rows hold b, d and g; a, c and e are held by nothing.
    SerialId_cl b = m_pack.At(1);
    SerialId_cl d = m_pack.At(3);
    SerialId_cl g = m_pack.At(5);
    uint32_t cSerial = m_pack.At(2).Serial();

    // e twice (it counts at its first place), b in other letters, f new.
    String_cl file = m_dir / L"order.txt";
    ASSERT_TRUE(Test_ns::WriteUtf16(file, P(L"e") + L"\r\n" + P(L"c") + L"\r\n" + L"C:\\WORK\\B.VCPROJ\r\n" +
                                              P(L"f") + L"\r\n" + P(L"e") + L"\r\n"));
    m_pack.ClearModifiedFlags();
    m_pack.ImportSequence(file);

    // The file's paths in its order; b keeps its own spelling and node; the
    // held entries the file does not name follow, g still after d.
    EXPECT_EQ(V({P(L"e"), P(L"c"), P(L"b"), P(L"f"), P(L"d"), P(L"g")}), Paths(m_pack));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4, 5, 6}), Orders(m_pack));
    EXPECT_TRUE(m_pack.At(2) == b);
    EXPECT_TRUE(m_pack.At(4) == d);
    EXPECT_TRUE(m_pack.At(5) == g);
    EXPECT_EQ(3, b->order);
    // a was dropped; c, held by nothing, was dropped and made anew.
    EXPECT_NE(cSerial, m_pack.At(1).Serial());
    EXPECT_EQ(1, m_pack.Modified());

    // Nothing held and an empty file: the sequence empties.
    b = d = g = SerialId_cl();
    ASSERT_TRUE(Test_ns::WriteBytes(file, ""));
    m_pack.ImportSequence(file);
    EXPECT_EQ(0, m_pack.Count());
}

} // namespace
