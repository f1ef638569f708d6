#include <gtest/gtest.h>
#include "common/io/FileStream.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;
using IO_ns::ContainerFile_cl;
using IO_ns::FileStream_tl;
using IO_ns::TextIStream_cl;
using IO_ns::WTextOStream_cl;
using Test_ns::TempDir_cl;

namespace {

using Writer = FileStream_tl<WTextOStream_cl>;

std::string Units(const String_cl& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

// Everything written to it after the first refusal is refused.
class RefusingContainer_cl : public IO_ns::IContainer_cl {
public:
    explicit RefusingContainer_cl(size_t capacity) : m_capacity(capacity) {}
    bool Write(const void* bytes, uint32_t count) override
    {
        if (m_data.size() + count > m_capacity) return false;
        m_data.append(static_cast<const char*>(bytes), count);
        return true;
    }
    bool Read(void*, uint32_t) override { return false; }
    int64_t Position() override { return static_cast<int64_t>(m_data.size()); }
    int64_t Seek(int64_t, int) override { return Position(); }
    int64_t SeekEnd() override { return Position(); }
    std::string m_data;

private:
    size_t m_capacity;
};

} // namespace

TEST(WTextOStreamTest, NewFileStartsWithTheMark)
{
    TempDir_cl dir;
    const String_cl path = dir / L"ab.txt";
    Writer out;
    out.Open(path);
    out.WriteString(L"ab");
    out.Close();
    EXPECT_EQ(Test_ns::ReadBytes(path), std::string("\xFF\xFE" "a\0b\0", 6));

    // Numbers and texts share one mark; no line-end translation.
    Writer all(dir / L"all.txt");
    all.WriteInteger(-12);
    all.WriteText(L"\r\n", 2);
    all.WriteUnsigned(4294967295u);
    all.WriteString(L"\n中");
    all.WriteDouble(2.5);
    all.Close();
    EXPECT_EQ(Test_ns::ReadBytes(dir / L"all.txt"), "\xFF\xFE" + Units(L"-12\r\n4294967295\n中2.5"));
    // The system reads back what it wrote.
    FileStream_tl<TextIStream_cl> in(dir / L"all.txt");
    in.separators = L"\r\n";
    String_cl w;
    EXPECT_EQ(in.ReadWord(w), 3);
    EXPECT_EQ(w, L"-12");
    EXPECT_EQ(in.ReadWord(w), 10);
    EXPECT_EQ(in.ReadWord(w), 4);
    EXPECT_EQ(w, L"中2.5");
}

TEST(WTextOStreamTest, NoMarkWhenTheTextDoesNotStartTheContainer)
{
    TempDir_cl dir;
    const String_cl path = dir / L"tail.txt";
    ContainerFile_cl f;
    f.OpenWrite(path);
    ASSERT_TRUE(f.Write("XY", 2));
    WTextOStream_cl out(&f);
    out.WriteString(L"a");
    // Back at the start later: the check was made once, no mark now either.
    f.Seek(0, 1);
    out.WriteString(L"b");
    f.Close();
    EXPECT_EQ(Test_ns::ReadBytes(path), std::string("b\0a\0", 4));

    // An empty text still writes the mark.
    Writer empty(dir / L"empty.txt");
    empty.WriteText(L"ignored", 0);
    empty.Close();
    EXPECT_EQ(Test_ns::ReadBytes(dir / L"empty.txt"), "\xFF\xFE");
}

TEST(WTextOStreamTest, WriteTextStopsAtCountOrZero)
{
    TempDir_cl dir;
    Writer out(dir / L"t.txt");
    out.WriteText(L"abcdef", 3);
    out.WriteText(L"x\0yz", 10);
    out.WriteText(L"pq", 100);
    out.WriteText(L"neg", -1);
    out.Close();
    EXPECT_EQ(Test_ns::ReadBytes(dir / L"t.txt"), "\xFF\xFE" + Units(L"abcxpq"));
}

TEST(WTextOStreamTest, DoubleTextTrimsZerosAndPoint)
{
    EXPECT_EQ(WTextOStream_cl::DoubleText(2.13), L"2.13");
    EXPECT_EQ(WTextOStream_cl::DoubleText(100), L"100");
    EXPECT_EQ(WTextOStream_cl::DoubleText(0.5), L"0.5");
    EXPECT_EQ(WTextOStream_cl::DoubleText(-3), L"-3");
    EXPECT_EQ(WTextOStream_cl::DoubleText(1.0000000001), L"1.0000000001");
    EXPECT_EQ(WTextOStream_cl::DoubleText(1e-11), L"0");
    EXPECT_EQ(WTextOStream_cl::DoubleText(0.00000000006), L"0.0000000001");   // rounded at ten places
    EXPECT_EQ(WTextOStream_cl::DoubleText(1000.25), L"1000.25");
    // The largest double still gets all its digits.
    String_cl big = WTextOStream_cl::DoubleText(1.7976931348623157e308);
    EXPECT_EQ(big.size(), 309u);
    EXPECT_TRUE(big.StartsWith(L"17976931348623157"));

    TempDir_cl dir;
    Writer out(dir / L"d.txt");
    out.WriteDouble(1.0000000001);
    out.WriteText(L" ", 1);
    out.WriteDouble(1e-11);
    out.Close();
    EXPECT_EQ(Test_ns::ReadBytes(dir / L"d.txt"), "\xFF\xFE" + Units(L"1.0000000001 0"));
}

TEST(WTextOStreamTest, RefusedWritesRaiseNoSpace)
{
    auto raise = [](RefusingContainer_cl& c, auto&& action) {
        WTextOStream_cl out(&c);
        try {
            action(out);
        } catch (const Base_ns::Error_cl& e) {
            EXPECT_EQ(e.Code(), 101);
            EXPECT_EQ(e.IsSystemError(), 0);
            EXPECT_EQ(e.Message(), L"没有足够的空间写。");
            EXPECT_EQ(e.ClassName(), L"WTextOStream_cl");
            EXPECT_EQ(e.File(), L"WTextOStream");
            return true;
        }
        return false;
    };
    // The mark counts as a write.
    RefusingContainer_cl none(0);
    EXPECT_TRUE(raise(none, [](WTextOStream_cl& o) { o.WriteString(L"a"); }));
    EXPECT_TRUE(none.m_data.empty());
    RefusingContainer_cl four(4);
    EXPECT_TRUE(raise(four, [](WTextOStream_cl& o) {
        o.WriteInteger(7);
        o.WriteInteger(8);
    }));
    EXPECT_EQ(four.m_data, std::string("\xFF\xFE" "7\0", 4));
    RefusingContainer_cl enough(100);
    EXPECT_FALSE(raise(enough, [](WTextOStream_cl& o) { o.WriteUnsigned(3000000000u); }));
    EXPECT_EQ(enough.m_data, "\xFF\xFE" + Units(L"3000000000"));
}

TEST(WTextOStreamTest, UnclosedWriterLeavesNoFile)
{
    TempDir_cl dir;
    const String_cl path = dir / L"批处理命令.bat";
    ASSERT_TRUE(Test_ns::WriteBytes(path, "old"));
    try {
        Writer out(path);
        out.WriteString(L"devenv \"a.sln\" /build \"Debug|Win32\"\r\n");
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(Test_ns::FileExists(path));

    Writer out(path);
    out.WriteString(L"x");
    out.Close();
    out.Close();   // a second Close changes nothing
    EXPECT_EQ(Test_ns::ReadBytes(path), std::string("\xFF\xFE" "x\0", 4));

    try {
        Writer bad(dir / L"missing\\x.txt");
        FAIL() << "no error";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 102);
        EXPECT_EQ(e.ClassName(), L"ContainerFile_cl");
    }
}
