#include <gtest/gtest.h>
#include <memory>
#include "common/io/ContainerFile.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;
using IO_ns::ContainerFile_cl;
using Test_ns::TempDir_cl;

namespace {

// Bytes whose value tells their offset, so a misplaced read shows.
std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

std::string ReadN(ContainerFile_cl& f, uint32_t n, bool* ok = nullptr)
{
    std::string s(n, '\0');
    bool r = f.Read(s.data(), n);
    if (ok) *ok = r;
    return s;
}

} // namespace

TEST(ContainerFileTest, ShortReadConsumesNothing)
{
    TempDir_cl dir;
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"abc.bin", "abc"));
    ContainerFile_cl f;
    f.OpenRead(dir / L"abc.bin");
    bool ok = false;
    EXPECT_EQ(ReadN(f, 2, &ok), "ab");
    EXPECT_TRUE(ok);
    char two[2] = {'x', 'x'};
    EXPECT_FALSE(f.Read(two, 2));
    EXPECT_EQ(f.Position(), 2);
    EXPECT_EQ(ReadN(f, 1, &ok), "c");
    EXPECT_TRUE(ok);
    char one;
    EXPECT_FALSE(f.Read(&one, 1));
    EXPECT_EQ(f.Position(), 3);
    EXPECT_EQ(f.SeekEnd(), 3);
}

TEST(ContainerFileTest, ReadsAndSeeksAcrossBufferBoundaries)
{
    TempDir_cl dir;
    const std::string data = Pattern(100000);
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"p.bin", data));
    ContainerFile_cl f;
    f.OpenRead(dir / L"p.bin");

    // Mixed sizes: inside one buffer, straddling a refill, larger than the buffer.
    const uint32_t sizes[] = {1, 7, 30700, 40, 30720, 35000, 3};
    size_t pos = 0;
    for (uint32_t n : sizes) {
        bool ok = false;
        EXPECT_EQ(ReadN(f, n, &ok), data.substr(pos, n)) << "at " << pos << " size " << n;
        EXPECT_TRUE(ok);
        pos += n;
        EXPECT_EQ(f.Position(), static_cast<int64_t>(pos));
    }
    // A short read far past one buffer gives everything back.
    const int64_t before = f.Position();
    std::string big(50000, '\0');
    EXPECT_FALSE(f.Read(big.data(), 50000));
    EXPECT_EQ(f.Position(), before);
    EXPECT_EQ(ReadN(f, 10), data.substr(pos, 10));

    // Relative and absolute seeks, inside and outside the buffered window.
    EXPECT_EQ(f.Seek(-5, 0), static_cast<int64_t>(pos + 5));
    EXPECT_EQ(ReadN(f, 5), data.substr(pos + 5, 5));
    EXPECT_EQ(f.Seek(12345, 1), 12345);
    EXPECT_EQ(ReadN(f, 4), data.substr(12345, 4));
    EXPECT_EQ(f.Seek(99990, 1), 99990);
    EXPECT_EQ(ReadN(f, 10), data.substr(99990, 10));
    EXPECT_EQ(f.Seek(0, 1), 0);
    EXPECT_EQ(ReadN(f, 3), data.substr(0, 3));
    EXPECT_EQ(f.SeekEnd(), 100000);
    EXPECT_EQ(f.Position(), 100000);
    char c;
    EXPECT_FALSE(f.Read(&c, 1));

    // One byte at a time through the inline window sees the same bytes.
    f.Seek(0, 1);
    std::string again;
    uint8_t b;
    while (f.ReadByte(b)) again.push_back(static_cast<char>(b));
    EXPECT_EQ(again, data);
}

TEST(ContainerFileTest, WriterBuffersSeeksAndWritesLargeBlocks)
{
    TempDir_cl dir;
    const String_cl path = dir / L"w.bin";
    const std::string big = Pattern(70000);
    {
        ContainerFile_cl f;
        f.OpenWrite(path);
        EXPECT_EQ(f.Position(), 0);
        EXPECT_TRUE(f.Write("0123456789", 10));
        EXPECT_EQ(f.Position(), 10);
        EXPECT_EQ(f.Seek(2, 1), 2);
        EXPECT_TRUE(f.Write("ab", 2));
        EXPECT_EQ(f.Position(), 4);
        EXPECT_EQ(f.SeekEnd(), 10);
        EXPECT_TRUE(f.Write(big.data(), static_cast<uint32_t>(big.size())));
        EXPECT_TRUE(f.Write("!", 1));
        EXPECT_EQ(f.Position(), 70011);
        f.Close();
        EXPECT_FALSE(f.Failed());
        EXPECT_TRUE(f.Path().empty());
    }
    EXPECT_EQ(Test_ns::ReadBytes(path), "01ab456789" + big + "!");
}

TEST(ContainerFileTest, UnclosedWriterIsDeletedOthersStay)
{
    TempDir_cl dir;
    const String_cl dropped = dir / L"dropped.txt";
    const String_cl kept = dir / L"kept.txt";
    const String_cl read = dir / L"read.txt";
    ASSERT_TRUE(Test_ns::WriteBytes(read, "data"));
    {
        ContainerFile_cl f;
        f.OpenWrite(dropped);
        EXPECT_TRUE(f.Write("partial", 7));
        EXPECT_TRUE(Test_ns::FileExists(dropped));
    }
    EXPECT_FALSE(Test_ns::FileExists(dropped));
    {
        ContainerFile_cl f;
        f.OpenWrite(kept);
        EXPECT_TRUE(f.Write("whole", 5));
        f.Close();
    }
    EXPECT_EQ(Test_ns::ReadBytes(kept), "whole");
    {
        ContainerFile_cl f;
        f.OpenRead(read);
        EXPECT_EQ(ReadN(f, 2), "da");
    }
    {
        ContainerFile_cl f;
        f.OpenRead(read);   // destroyed open: a reader never deletes
    }
    EXPECT_EQ(Test_ns::ReadBytes(read), "data");
    {
        // Not even when the same container wrote a file before.
        ContainerFile_cl f;
        f.OpenWrite(dir / L"first.txt");
        f.Close();
        f.OpenRead(read);
    }
    EXPECT_EQ(Test_ns::ReadBytes(read), "data");
    EXPECT_TRUE(Test_ns::FileExists(dir / L"first.txt"));
}

TEST(ContainerFileTest, OpenFailuresRaiseTheirCodes)
{
    TempDir_cl dir;
    const String_cl missing = dir / L"missing.txt";
    ContainerFile_cl f;
    try {
        f.OpenRead(missing);
        FAIL() << "no error";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.IsSystemError(), 0);
        EXPECT_NE(dynamic_cast<const IO_ns::IOError_cl*>(&e), nullptr);
        EXPECT_EQ(e.Message(), L"指定文件不存在。");
        EXPECT_EQ(e.Note(), missing);
        EXPECT_EQ(e.ClassName(), L"ContainerFile_cl");
        EXPECT_EQ(e.File(), L"ContainerFile");
    }
    EXPECT_FALSE(Test_ns::FileExists(missing));

    // A folder is not a file to read.
    try {
        f.OpenRead(dir.Path());
        FAIL() << "no error";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 101);
    }

    const String_cl nowhere = dir / L"no such folder\\x.txt";
    try {
        f.OpenWrite(nowhere);
        FAIL() << "no error";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 102);
        EXPECT_EQ(e.Message(), L"创建文件失败。");
        EXPECT_EQ(e.Note(), nowhere);
        EXPECT_EQ(e.IsSystemError(), 0);
    }
}

TEST(ContainerFileTest, WrongModeAndNullPointerAreSystemErrors)
{
    TempDir_cl dir;
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"r.txt", "xyz"));
    auto code = [](auto&& action) {
        try {
            action();
        } catch (const Base_ns::Error_cl& e) {
            EXPECT_EQ(e.IsSystemError(), 1);
            EXPECT_EQ(e.ClassName(), L"ContainerFile_cl");
            return static_cast<int>(e.Code());
        }
        return 0;
    };
    ContainerFile_cl r;
    r.OpenRead(dir / L"r.txt");
    EXPECT_EQ(code([&] { r.Write("a", 1); }), 3);
    EXPECT_EQ(code([&] { r.Read(nullptr, 1); }), 4);
    ContainerFile_cl w;
    w.OpenWrite(dir / L"w.txt");
    char c;
    EXPECT_EQ(code([&] { w.Read(&c, 1); }), 2);
    EXPECT_EQ(code([&] { w.Write(nullptr, 1); }), 4);
    w.Close();
    // A closed container refuses everything instead of using a dead handle.
    EXPECT_EQ(code([&] { w.Write("a", 1); }), 3);
    r.Close();
    EXPECT_EQ(code([&] { r.Read(&c, 1); }), 2);
    EXPECT_EQ(code([&] { r.Position(); }), 1);
    try {
        r.Write("a", 1);
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Message(), L"在写模式没有开启的情况下进行了写相关操作。");
    }
}

TEST(ContainerFileTest, WidePathsWorkUnderAnyCodePage)
{
    // Names outside the ANSI code page of an English system must still open.
    TempDir_cl dir;
    const String_cl folder = dir / L"编译日志 Ωλ";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const String_cl path = folder + L"\\日志-ü.log";
    {
        ContainerFile_cl f;
        f.OpenWrite(path);
        EXPECT_TRUE(f.Write("wide", 4));
        f.Close();
    }
    ContainerFile_cl f;
    f.OpenRead(path);
    EXPECT_EQ(ReadN(f, 4), "wide");
}
