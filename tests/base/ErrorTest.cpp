#include <new>
#include <gtest/gtest.h>
#include "common/base/Error.h"
#include "tests/support/TestSupport.h"

using namespace Base_ns;
using Test_ns::RecordingPresenter_cl;
using Test_ns::TempDir_cl;

namespace {

const ErrorEntry_st kTable[] = {
    {1, L"无法正确分析日志文件。"},
    {101, L"没有设置编译模式，无法编译。"},
};

SysError_cl Sys(int code, std::wstring_view note = L"", std::wstring_view cls = L"MProjectPack_cl",
                std::wstring_view src = L"app\\engine\\MProjectPack")
{
    return SysError_cl(589, src, cls, code, kTable, 2, note);
}

// Log records of one file: each begins with U+FEFF and ends with CRLF CRLF.
std::vector<String_cl> Records(const String_cl& path)
{
    std::string b = Test_ns::ReadBytes(path);
    String_cl all(reinterpret_cast<const wchar_t*>(b.data()), b.size() / 2);
    std::vector<String_cl> out;
    size_t pos = 0;
    while (pos < all.size()) {
        EXPECT_EQ(all[pos], wchar_t(0xFEFF));
        size_t end = all.find(L"\r\n\r\n", pos);
        EXPECT_NE(end, String_cl::npos);
        out.push_back(all.substr(pos + 1, end - pos - 1));
        pos = end + 4;
    }
    return out;
}

} // namespace

TEST(ErrorTest, MessageComesFromTheTableOrDefaults)
{
    EXPECT_EQ(Sys(1).Message(), L"无法正确分析日志文件。");
    EXPECT_EQ(Sys(7).Message(), L"Unexpected Error.");
    UserError_cl u(399, L"MProjectPack", L"MProjectPack_cl", 101, kTable, 2, L"");
    EXPECT_EQ(u.Message(), L"没有设置编译模式，无法编译。");
    EXPECT_EQ(u.IsSystemError(), 0);
    EXPECT_EQ(Sys(1).IsSystemError(), 1);
}

TEST(ErrorTest, FileFieldIsCutAfterTheLastBackslashOnly)
{
    EXPECT_EQ(Sys(1).File(), L"MProjectPack");
    EXPECT_EQ(Sys(1, L"", L"", L"NoSeparator").File(), L"NoSeparator");
    EXPECT_EQ(Sys(1, L"", L"", L"a\\b/c/d").File(), L"b/c/d");
}

TEST(ErrorTest, SystemTextHasFourLinesWithoutNoteAndClass)
{
    SysError_cl e = Sys(1, L"", L"");
    String_cl t = e.Text();
    EXPECT_EQ(t, L"时间:    " + e.Time() + L"\r\n信息:    无法正确分析日志文件。\r\n行号:    589\r\n"
                 L"文件:    MProjectPack");
}

TEST(ErrorTest, SystemTextIndentsNoteContinuationLines)
{
    SysError_cl e = Sys(1, L"a\r\nb");
    String_cl t = e.Text();
    EXPECT_NE(t.find(L"\r\n备注:    a\r\n         b\r\n行号:    589\r\n类名:    MProjectPack_cl\r\n"),
              String_cl::npos) << Test_ns::Ansi(t);
}

TEST(ErrorTest, UserTextIsMessageOrMessageAndNote)
{
    UserError_cl a(1, L"x", L"", 101, kTable, 2, L"");
    EXPECT_EQ(a.Text(), L"没有设置编译模式，无法编译。");
    IO_ns::IOError_cl b(1, L"x", L"", 101, kTable, 2, L"C:\\a.txt");
    EXPECT_EQ(b.Text(), L"没有设置编译模式，无法编译。\r\nC:\\a.txt");
}

TEST(ErrorTest, TimeTextHasNoLeadingZeros)
{
    SYSTEMTIME t{};
    t.wYear = 2026; t.wMonth = 3; t.wDay = 7; t.wHour = 9; t.wMinute = 5; t.wSecond = 3;
    t.wMilliseconds = 40;
    EXPECT_EQ(ErrorTimeText(t), L"2026-3-7 9:5:3:40");
    String_cl stamp = TimeStampText();
    ASSERT_EQ(stamp.size(), 19u);
    EXPECT_EQ(stamp[4], L'-');
    EXPECT_EQ(stamp[10], L'-');
}

TEST(ErrorTest, ShowAppendsRecordsAndAnnouncesThem)
{
    TempDir_cl dir;
    SysError_cl::SetLogPath(dir / L"Error.log");
    RecordingPresenter_cl shown;
    Sys(1, L"first").Show(nullptr);
    Sys(7, L"second").Show(nullptr);
    SysError_cl::SetLogPath(L"");

    auto recs = Records(dir / L"Error.log");
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_NE(recs[0].find(L"备注:    first"), String_cl::npos);
    EXPECT_NE(recs[1].find(L"信息:    Unexpected Error."), String_cl::npos);
    auto s = shown.Shown();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].text, L"出现严重错误，详细信息请看日志。");
    EXPECT_EQ(s[0].caption, L"系统错误");
    EXPECT_EQ(s[0].type, UINT(MB_OK));
}

TEST(ErrorTest, UnwritableLogStillShowsTheRecordAndWhereTheLogWas)
{
    TempDir_cl dir;
    const String_cl log = dir / L"missing-folder\\Error.log";
    SysError_cl::SetLogPath(log);
    RecordingPresenter_cl shown;
    Sys(1, L"first").Show(nullptr);
    SysError_cl::SetLogPath(L"");
    ASSERT_EQ(shown.Shown().size(), 1u);
    EXPECT_EQ(shown.Shown()[0].caption, L"系统错误");
    EXPECT_NE(shown.Shown()[0].text.find(log), String_cl::npos);
    EXPECT_NE(shown.Shown()[0].text.find(L"备注:    first"), String_cl::npos);
}

TEST(ErrorTest, RecordGoesInWhileAnotherWriterHasTheLogOpen)
{
    TempDir_cl dir;
    const String_cl log = dir / L"Error.log";
    // Another program appending at the same moment holds the log open for writing.
    HANDLE other = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    SysError_cl::SetLogPath(log);
    RecordingPresenter_cl shown;
    Sys(1, L"while shared").Show(nullptr);
    SysError_cl::SetLogPath(L"");
    CloseHandle(other);
    auto recs = Records(log);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_NE(recs[0].find(L"while shared"), String_cl::npos);
    ASSERT_EQ(shown.Shown().size(), 1u);
    EXPECT_EQ(shown.Shown()[0].text, L"出现严重错误，详细信息请看日志。");
}

TEST(ErrorTest, ForeignExceptionsAreShownAsLoggedSystemErrors)
{
    TempDir_cl dir;
    SysError_cl::SetLogPath(dir / L"Error.log");
    RecordingPresenter_cl shown;
    try {
        throw std::bad_alloc();
    } catch (...) {
        Base_ns::ShowCurrentException(nullptr, L"Here", 12);
    }
    SysError_cl::SetLogPath(L"");
    auto recs = Records(dir / L"Error.log");
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_NE(recs[0].find(L"bad_alloc"), String_cl::npos);
    EXPECT_NE(recs[0].find(L"文件:    Here"), String_cl::npos);
    EXPECT_EQ(shown.Shown().size(), 1u);
}

TEST(ErrorTest, UserErrorIsShownInFullAndNotLogged)
{
    TempDir_cl dir;
    SysError_cl::SetLogPath(dir / L"Error.log");
    RecordingPresenter_cl shown;
    UserError_cl(1, L"x", L"", 101, kTable, 2, L"note").Show(nullptr);
    SysError_cl::SetLogPath(L"");
    EXPECT_FALSE(Test_ns::FileExists(dir / L"Error.log"));
    ASSERT_EQ(shown.Shown().size(), 1u);
    EXPECT_EQ(shown.Shown()[0].caption, L"用户错误");
    EXPECT_EQ(shown.Shown()[0].text, L"没有设置编译模式，无法编译。\r\nnote");
}

TEST(ErrorTest, CaughtAsBaseReferenceKeepsKind)
{
    try {
        throw IO_ns::IOError_cl(3, L"f", L"C", 101, kTable, 2, L"");
    } catch (const Error_cl& e) {
        EXPECT_EQ(e.IsSystemError(), 0);
        EXPECT_EQ(e.Code(), 101);
    }
}

TEST(StringTest, EqualsNoCaseFollowsTheFileNameRule)
{
    EXPECT_TRUE(EqualsNoCase(L"C:\\Work\\Core.VCPROJ", L"c:\\work\\core.vcproj"));
    EXPECT_FALSE(EqualsNoCase(L"C:\\Work\\Core.vcproj", L"C:\\Work\\Kore.vcproj"));
    EXPECT_FALSE(EqualsNoCase(L"a.vcproj", L"a.vcproj "));
    EXPECT_TRUE(EqualsNoCase(L"", L""));
    // Beyond ASCII the platform decides: Ä and ä are one letter, 工 and 程 are not.
    EXPECT_TRUE(EqualsNoCase(L"\u00C4rger\\\u5DE5.vcproj", L"\u00E4RGER\\\u5DE5.VCPROJ"));
    EXPECT_FALSE(EqualsNoCase(L"\u5DE5.vcproj", L"\u7A0B.vcproj"));
    // Letters only fold with letters: '@' (0x40) and '`' (0x60) stay apart.
    EXPECT_FALSE(EqualsNoCase(L"@", L"`"));
    EXPECT_FALSE(EqualsNoCase(L"[", L"{"));
}
