#include <gtest/gtest.h>
#include "common/base/Path.h"
#include "common/sysinfo/SimulateInput.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

using namespace Test_ns;
using SystemInfo_ns::SimulateInput_cl;

namespace {

// 한 (Hangul) is outside code page 936, 编译 inside it.
const wchar_t kOutsideAnsi[] = L"\xD55C";

String_cl ClipboardText(UINT format)
{
    String_cl text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(format)) {
        if (const void* p = GlobalLock(data)) {
            text = format == CF_UNICODETEXT ? String_cl(static_cast<const wchar_t*>(p))
                                            : String_cl::FromMultiByte(static_cast<const char*>(p), CP_ACP);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace

// The window that copies owns the clipboard: without an owner, Windows
// refuses the data once the clipboard has been emptied.
TEST(SimulateInput, CopiedTextKeepsCharactersOutsideTheAnsiCodePage)
{
    TestWindow_cl window(100, 50);
    const String_cl path = String_cl(L"C:\\编译\\") + kOutsideAnsi + L"\\a b.sln";
    SimulateInput_cl::CopyText(window, path);
    EXPECT_EQ(GetClipboardOwner(), HWND(window));
    EXPECT_EQ(ClipboardText(CF_UNICODETEXT), path);
    // Programs that ask for ANSI text get the system's conversion.
    EXPECT_EQ(ClipboardText(CF_TEXT), L"C:\\编译\\?\\a b.sln");
}

TEST(SimulateInput, AStartedProgramGetsAPathOutsideTheAnsiCodePage)
{
    TempDir_cl dir;
    const String_cl target = dir / (String_cl(L"日志") + kOutsideAnsi + L".txt");
    ASSERT_TRUE(
        SimulateInput_cl::StartProgram(Base_ns::SystemFolder() + L"cmd.exe", L"/c echo x> \"" + target + L"\"", SW_HIDE));
    for (int i = 0; i < 200 && !FileExists(target); ++i) Sleep(50);
    EXPECT_TRUE(FileExists(target));
    Sleep(200);  // let cmd close the file before the folder goes
}
