#include <gtest/gtest.h>
#include <random>
#include <vector>
#include "common/io/FileStream.h"
#include "tests/support/TestSupport.h"

using Base_ns::String_cl;
using IO_ns::ContainerFile_cl;
using IO_ns::FileStream_tl;
using IO_ns::TextIStream_cl;
using Test_ns::TempDir_cl;

namespace {

using Words = std::vector<String_cl>;

Words ReadAll(TextIStream_cl& in)
{
    Words out;
    String_cl w;
    while (int n = in.ReadWord(w)) {
        EXPECT_EQ(n, w.Length());
        out.push_back(w);
    }
    EXPECT_TRUE(w.empty());
    return out;
}

Words ReadFile(const String_cl& path, const String_cl& seps = L" \t\r\n", const String_cl& stops = L"")
{
    FileStream_tl<TextIStream_cl> in;
    in.Open(path);
    in.separators = seps;
    in.SetStopCharacters(stops);
    return ReadAll(in);
}

Words Split(const String_cl& text, const String_cl& seps)
{
    Words out;
    String_cl cur;
    for (wchar_t c : text) {
        if (seps.find(c) != String_cl::npos) {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

std::string Utf16Bytes(const String_cl& text, bool mark = true)
{
    std::string b = mark ? std::string("\xFF\xFE", 2) : std::string();
    b.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return b;
}

int ErrorCode(TextIStream_cl& in, String_cl& w)
{
    try {
        in.ReadWord(w);
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.IsSystemError(), 1);
        EXPECT_EQ(e.ClassName(), L"TextIStream_cl");
        EXPECT_EQ(e.File(), L"TextIStream");
        return e.Code();
    }
    return 0;
}

bool Is936() { return GetACP() == 936; }
bool Is1252() { return GetACP() == 1252; }

} // namespace

TEST(TextIStreamTest, SeparatorsEmptyTextAndDefaults)
{
    TempDir_cl dir;
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"t.txt", "  a\tb\r\n"));
    FileStream_tl<TextIStream_cl> in;
    EXPECT_EQ(in.separators, L" \t\r\n");
    in.Open(dir / L"t.txt");
    String_cl w = L"stale";
    EXPECT_EQ(in.ReadWord(w), 1);
    EXPECT_EQ(w, L"a");
    EXPECT_EQ(in.ReadWord(w), 1);
    EXPECT_EQ(w, L"b");
    EXPECT_EQ(in.ReadWord(w), 0);
    EXPECT_TRUE(w.empty());
    EXPECT_EQ(in.ReadWord(w), 0);

    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"empty.txt", ""));
    FileStream_tl<TextIStream_cl> e(dir / L"empty.txt");
    EXPECT_EQ(e.ReadWord(w), 0);
    EXPECT_EQ(e.ReadWord(w), 0);
    EXPECT_EQ(e.ReadWord(w), 0);

    // Lines as the log readers take them: only CR and LF separate.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"log.txt", "1>Build started: x\r\n\r\n  two  words \r\nlast"));
    EXPECT_EQ(ReadFile(dir / L"log.txt", L"\r\n"), (Words{L"1>Build started: x", L"  two  words ", L"last"}));
    // Solution lines: CR, LF, double quote and tab.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"sln.txt", "Project(\"{8BC9}\") = \"core\", \"core\\core.vcproj\"\r\n"));
    EXPECT_EQ(ReadFile(dir / L"sln.txt", L"\r\n\"\t"),
              (Words{L"Project(", L"{8BC9}", L") = ", L"core", L", ", L"core\\core.vcproj"}));
}

TEST(TextIStreamTest, MissingFileRaisesTheContainerError)
{
    TempDir_cl dir;
    FileStream_tl<TextIStream_cl> in;
    try {
        in.Open(dir / L"none.log");
        FAIL() << "no error";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.ClassName(), L"ContainerFile_cl");
        EXPECT_EQ(e.Message(), L"指定文件不存在。");
    }
    EXPECT_FALSE(Test_ns::FileExists(dir / L"none.log"));
}

TEST(TextIStreamTest, Utf16MarkIsDetectedAndSkipped)
{
    TempDir_cl dir;
    // The mark is not part of the first word; an odd trailing byte is never delivered.
    std::string bytes = Utf16Bytes(L"项目 a\x00E9\r\n\xD83D\xDE00z") + "\x41";
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"u16.txt", bytes));
    FileStream_tl<TextIStream_cl> in(dir / L"u16.txt");
    EXPECT_EQ(ReadAll(in), (Words{L"项目", L"a\x00E9", L"\xD83D\xDE00z"}));
    EXPECT_EQ(in.Encoding(), TextIStream_cl::EncodingUtf16Le);
    EXPECT_EQ(in.MultiByte(), 0);

    // Bytes that only happen to start with FF FE are still read as UTF-16LE.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"ff.txt", std::string("\xFF\xFE" "a\0b\0", 6)));
    EXPECT_EQ(ReadFile(dir / L"ff.txt"), (Words{L"ab"}));
}

TEST(TextIStreamTest, EncodingCheckRespectsTheStartingPosition)
{
    TempDir_cl dir;
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"u16.txt", Utf16Bytes(L"abcdef")));
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"ansi.txt", "abcdef"));
    auto from = [&](const wchar_t* name, int64_t start) {
        ContainerFile_cl f;
        f.OpenRead(dir / name);
        f.Seek(start, 1);
        TextIStream_cl in(&f);
        String_cl w;
        in.ReadWord(w);
        return w;
    };
    EXPECT_EQ(from(L"u16.txt", 0), L"abcdef");
    EXPECT_EQ(from(L"u16.txt", 1), L"abcdef");   // inside the mark: after it
    EXPECT_EQ(from(L"u16.txt", 4), L"bcdef");
    EXPECT_EQ(from(L"u16.txt", 5), L"cdef");     // odd: the next whole unit
    EXPECT_EQ(from(L"ansi.txt", 3), L"def");
}

TEST(TextIStreamTest, Utf8WithMarkIsDecodedUnderEveryCodePage)
{
    TempDir_cl dir;
    const String_cl text = L"解决方案 \x00E9t\x00E9\r\n\xD83D\xDE00\x4E2D x";
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"u8.txt", "\xEF\xBB\xBF" + text.ToUtf8()));
    FileStream_tl<TextIStream_cl> in(dir / L"u8.txt");
    EXPECT_EQ(ReadAll(in), (Words{L"解决方案", L"\x00E9t\x00E9", L"\xD83D\xDE00\x4E2D", L"x"}));
    EXPECT_EQ(in.Encoding(), TextIStream_cl::EncodingUtf8);

    // Malformed bytes become U+FFFD without eating the byte after them.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"bad.txt", "\xEF\xBB\xBF" "a\xC3\nb\x80" "c\xE4\xB8" "d"));
    EXPECT_EQ(ReadFile(dir / L"bad.txt"), (Words{L"a\xFFFD", L"b\xFFFD" L"c\xFFFD" L"d"}));

    // A sequence cut off by the end of the text has no partner bytes.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"cut.txt", "\xEF\xBB\xBF" "ok \xE4\xB8"));
    FileStream_tl<TextIStream_cl> cut(dir / L"cut.txt");
    String_cl w;
    EXPECT_EQ(cut.ReadWord(w), 2);
    EXPECT_EQ(ErrorCode(cut, w), 1);

    // Without the full mark the bytes are ANSI text.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"nomark.txt", "\xEF\xBB" "A"));
    FileStream_tl<TextIStream_cl> nomark(dir / L"nomark.txt");
    EXPECT_EQ(nomark.ReadWord(w), Is936() ? 2 : 3);
    EXPECT_EQ(nomark.Encoding(), TextIStream_cl::EncodingAnsi);
}

TEST(TextIStreamTest, AnsiDoubleByteTextUnder936)
{
    if (!Is936()) GTEST_SKIP() << "needs code page 936";
    TempDir_cl dir;
    // 编译 中文 as GBK bytes, the form a Chinese devenv writes its logs in.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"gbk.log", "\xB1\xE0\xD2\xEB \xD6\xD0\xCE\xC4x\r\n"));
    EXPECT_EQ(ReadFile(dir / L"gbk.log"), (Words{L"编译", L"中文x"}));

    // A lead byte at the very end has no partner.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"lone.log", "ab \xD6"));
    FileStream_tl<TextIStream_cl> in(dir / L"lone.log");
    String_cl w;
    EXPECT_EQ(in.ReadWord(w), 2);
    try {
        in.ReadWord(w);
        FAIL() << "no error";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.Code(), 1);
        EXPECT_EQ(e.Message(), L"多字符转化成宽字符失败，无法找到配对字节。");
        EXPECT_EQ(e.Note(), dir / L"lone.log") << "an error about a file names it";
    }

    // A byte that cannot follow the lead stays a character of its own: the
    // line end after a broken byte still ends the line, the euro sign of 936
    // does not swallow the letter after it.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"broken.log", "x\x81\r\nnext\r\n\x80" "a"));
    Words words = ReadFile(dir / L"broken.log", L"\r\n");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].size(), 2u);
    EXPECT_EQ(words[0][0], L'x');
    EXPECT_EQ(words[1], L"next");
    EXPECT_EQ(words[2], L"\x20AC" L"a");
}

TEST(TextIStreamTest, AnsiSingleByteTextUnder1252)
{
    if (!Is1252()) GTEST_SKIP() << "needs code page 1252";
    TempDir_cl dir;
    // Accented letters are whole characters: nothing after them is swallowed,
    // and one at the very end is no error.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"l1.log", "caf\xE9\r\nna\xEFve \x80 Jos\xE9"));
    EXPECT_EQ(ReadFile(dir / L"l1.log"), (Words{L"caf\x00E9", L"na\x00EFve", L"\x20AC", L"Jos\x00E9"}));
}

// Words of any length, in every encoding, across the chunks the reader
// gathers them in and the container's buffer.
TEST(TextIStreamTest, WordsOfAnyLengthAreRead)
{
    TempDir_cl dir;
    const String_cl ascii1325 = L"..\\" + String_cl(1318, L'x') + L".h\"";
    const String_cl wide5000(5000, L'\x4E2D');
    const String_cl mixed = String_cl(40000, L'a') + L"\x4E2D" + String_cl(30000, L'b');
    struct Case_st {
        const char* name;
        std::string bytes;
        Words words;
    };
    const Case_st cases[] = {
        {"a solution items line of 1,325 characters", "Project\r\n" + ascii1325.ToUtf8() + "\r\nEndProject",
         {L"Project", ascii1325, L"EndProject"}},
        {"1,000 and 999 characters", std::string(1000, 'w') + " " + std::string(999, 'v'),
         {String_cl(1000, L'w'), String_cl(999, L'v')}},
        {"UTF-16, the long word last", Utf16Bytes(L"ab\r\n" + wide5000), {L"ab", wide5000}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + String_cl(wide5000 + L" " + mixed + L"\n").ToUtf8(),
         {wide5000, mixed}},
    };
    for (const Case_st& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Test_ns::WriteBytes(dir / L"long.txt", c.bytes));
        EXPECT_EQ(ReadFile(dir / L"long.txt"), c.words);
    }
    // A stop character right after a long word still comes back on its own.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"stop.txt", std::string(9000, 'q') + "=z"));
    EXPECT_EQ(ReadFile(dir / L"stop.txt", L" ", L"="), (Words{String_cl(9000, L'q'), L"=", L"z"}));
}

// A limit exists only for memory: over it the reader refuses the file as a
// user error naming it, or, for text where such a word is none of those
// looked for, reads on after it.
TEST(TextIStreamTest, WordsOverTheLimitAreRefusedOrPassedOver)
{
    TempDir_cl dir;
    const String_cl path = dir / L"limit.txt";
    ASSERT_TRUE(Test_ns::WriteBytes(path, "ab " + std::string(10000, 'w') + " 12345 xyz=" + std::string(6000, 'v')));

    FileStream_tl<TextIStream_cl> refused(path);
    refused.SetMaxWordLength(5000);
    String_cl w;
    EXPECT_EQ(refused.ReadWord(w), 2);
    try {
        refused.ReadWord(w);
        FAIL() << "no error for a word of 10,000 characters";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.IsSystemError(), 0);
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.ClassName(), L"TextIStream_cl");
        EXPECT_EQ(e.Note(), path + L"：超过 5000 个字符");
    }

    // Exactly at the limit is no error.
    FileStream_tl<TextIStream_cl> atLimit(path);
    atLimit.SetMaxWordLength(10000);
    EXPECT_EQ(ReadAll(atLimit).size(), 4u);

    FileStream_tl<TextIStream_cl> passing(path);
    passing.SetMaxWordLength(5);
    passing.SetPassOverLongWords(true);
    passing.SetStopCharacters(L"=");
    // The long word goes whole; the one of five characters stays; the stop
    // character after xyz is its own word; the long last word is the end.
    EXPECT_EQ(ReadAll(passing), (Words{L"ab", L"12345", L"xyz", L"="}));
    EXPECT_EQ(passing.ReadWord(w), 0);
}

TEST(TextIStreamTest, StopCharactersComeBackAsWords)
{
    TempDir_cl dir;
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"s.txt", "key=value ==x= \r\n=\n"));
    EXPECT_EQ(ReadFile(dir / L"s.txt", L" \r\n", L"="),
              (Words{L"key", L"=", L"value", L"=", L"=", L"x", L"=", L"="}));
    // A character in both sets behaves as a stop character.
    EXPECT_EQ(ReadFile(dir / L"s.txt", L" =\r\n", L"="),
              (Words{L"key", L"=", L"value", L"=", L"=", L"x", L"=", L"="}));

    // Putting back a stop character of several bytes, in each encoding.
    const String_cl text = L"前缀，后缀，\xD83D\xDE00，尾";
    const Words expected{L"前缀", L"，", L"后缀", L"，", L"\xD83D\xDE00", L"，", L"尾"};
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"u16.txt", Utf16Bytes(text)));
    EXPECT_EQ(ReadFile(dir / L"u16.txt", L"", L"，"), expected);
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"u8.txt", "\xEF\xBB\xBF" + text.ToUtf8()));
    EXPECT_EQ(ReadFile(dir / L"u8.txt", L"", L"，"), expected);
    // The high half of a character outside the BMP as stop character: put
    // back after a word, and its low half still follows it.
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"pair.txt", "\xEF\xBB\xBF" + String_cl(L"ab\xD83D\xDE00" L"cd").ToUtf8()));
    EXPECT_EQ(ReadFile(dir / L"pair.txt", L"", L"\xD83D"), (Words{L"ab", L"\xD83D", L"\xDE00" L"cd"}));
    if (Is936()) {
        ASSERT_TRUE(Test_ns::WriteBytes(dir / L"gbk.txt", Test_ns::Ansi(L"前缀，后缀，尾")));
        EXPECT_EQ(ReadFile(dir / L"gbk.txt", L"", L"，"),
                  (Words{L"前缀", L"，", L"后缀", L"，", L"尾"}));
    }
}

TEST(TextIStreamTest, LongMixedTextSurvivesEveryBufferBoundary)
{
    // Several hundred kilobytes of words with multi-byte characters at every
    // possible offset to the 30720-byte buffer, in each encoding.
    std::mt19937 rng(4711);
    const String_cl seps = L" \r\n\t";
    std::vector<String_cl> pieces = {L"a", L"Z", L"0", L"_", L"\\", L"中", L"编译", L"\x00E9", L"\xD83D\xDE00"};
    auto build = [&](size_t count, bool ansi936, bool ansi1252) {
        String_cl text;
        while (text.size() < count) {
            size_t pick = rng() % (pieces.size() + seps.size());
            if (pick >= pieces.size()) {
                text += seps[pick - pieces.size()];
                continue;
            }
            const String_cl& p = pieces[pick];
            if (ansi1252 && (p[0] >= 0x100)) continue;
            if (ansi936 && (p[0] == 0x00E9 || p[0] >= 0xD800)) continue;
            text += p;
        }
        return text;
    };
    TempDir_cl dir;
    const String_cl u16 = build(200000, false, false);
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"u16.txt", Utf16Bytes(u16)));
    EXPECT_EQ(ReadFile(dir / L"u16.txt", seps), Split(u16, seps));

    const String_cl u8 = build(200000, false, false);
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"u8.txt", "\xEF\xBB\xBF" + u8.ToUtf8()));
    EXPECT_EQ(ReadFile(dir / L"u8.txt", seps), Split(u8, seps));

    const String_cl ansi = build(200000, Is936(), !Is936());
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"ansi.txt", Test_ns::Ansi(ansi)));
    EXPECT_EQ(ReadFile(dir / L"ansi.txt", seps), Split(ansi, seps));
}

TEST(TextIStreamTest, ReopeningChecksTheNewFilesEncoding)
{
    TempDir_cl dir;
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"a.txt", Utf16Bytes(L"one")));
    ASSERT_TRUE(Test_ns::WriteBytes(dir / L"b.txt", "two"));
    FileStream_tl<TextIStream_cl> in(dir / L"a.txt");
    String_cl w;
    EXPECT_EQ(in.ReadWord(w), 3);
    EXPECT_EQ(w, L"one");
    in.Close();
    in.Open(dir / L"b.txt");
    EXPECT_EQ(in.ReadWord(w), 3);
    EXPECT_EQ(w, L"two");
}
