#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstring>
#include "common/sysinfo/DragInfo.h"
#include "tests/support/GuiSupport.h"

using namespace Test_ns;
using SystemInfo_ns::DragInfo_cl;

namespace {

// What the shell hands a window in WM_DROPFILES: DROPFILES with wide names,
// each closed by a NUL, the list by another.
HDROP MakeDrop(const std::vector<String_cl>& paths)
{
    String_cl list;
    for (const String_cl& p : paths) {
        list += p;
        list += L'\0';
    }
    list += L'\0';
    const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

} // namespace

TEST(DragInfo, TakesTheDroppedPathsInTheShellsOrder)
{
    const std::vector<String_cl> paths = {L"C:\\work\\b.sln", L"C:\\工作\\插件\\编译 工程.vcproj",
                                          L"D:\\a\\Z.icproj"};
    const DragInfo_cl dropped(MakeDrop(paths));
    std::vector<String_cl> got(dropped.begin(), dropped.end());
    EXPECT_EQ(got, paths);
}

TEST(DragInfo, ThroughAWindowsDropMessage)
{
    TestWindow_cl window(200, 100);
    std::vector<String_cl> got;
    MessageRecorder_cl recorder(window, {WM_DROPFILES});
    PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\解决方案.sln"})), 0);
    PumpMessages();
    const auto drops = recorder.Only(WM_DROPFILES);
    ASSERT_EQ(drops.size(), 1u);
    const DragInfo_cl dropped(reinterpret_cast<HDROP>(drops[0].wParam));
    ASSERT_EQ(dropped.Count(), 1);
    EXPECT_EQ(*dropped.begin(), L"C:\\解决方案.sln");
}

TEST(DragInfo, ANullHandleRaises1)
{
    const Base_ns::SysError_cl e = RaisedError([] { DragInfo_cl dropped(nullptr); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.ClassName(), L"DragInfo_cl");
}
