#include <gtest/gtest.h>
#include "common/sysinfo/AutoSize.h"
#include "tests/support/GuiSupport.h"

using namespace Test_ns;
using SystemInfo_ns::AutoSize_cl;

namespace {

// A 400 by 300 window with one child at (20, 30)-(120, 80); the window is
// resized by its outer size, as the user drags its frame.
class AutoSizeTest : public ::testing::Test {
protected:
    AutoSizeTest() : m_window(400, 300)
    {
        m_child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 30, 100, 50, m_window, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    void Grow(int dx, int dy)
    {
        RECT r{};
        GetWindowRect(m_window, &r);
        SetWindowPos(m_window, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    RECT Child() const
    {
        RECT r{};
        GetWindowRect(m_child, &r);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    int OuterWidth() const
    {
        RECT r{};
        GetWindowRect(m_window, &r);
        return r.right - r.left;
    }

    TestWindow_cl m_window;
    HWND m_child;
};

} // namespace

TEST_F(AutoSizeTest, FullRatiosKeepTheDistancesToAllFourEdges)
{
    AutoSize_cl layout;
    layout.Init(m_window, 0, 0);
    layout.AddByRatios(m_child, 0, 0, 1, 1);
    Grow(60, 40);
    layout.Resize();
    const RECT r = Child();
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right, 180);
    EXPECT_EQ(r.bottom, 120);
}

TEST_F(AutoSizeTest, RatiosOfOneKeepTheSizeAndTheFarDistances)
{
    AutoSize_cl layout;
    layout.Init(m_window, 0, 0);
    layout.AddByRatios(m_child, 1, 1, 1, 1);
    Grow(60, -40);
    layout.Resize();
    const RECT r = Child();
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.top, -10);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 50);
}

TEST_F(AutoSizeTest, CentredAlignmentSplitsTheChangeAndTruncatesTowardZero)
{
    AutoSize_cl layout;
    layout.Init(m_window, 0, 0);
    // Horizontally centred growing by half the change: edges at 0.25 and 0.75.
    layout.AddByAlignment(m_child, AutoSize_cl::AlignCentre, AutoSize_cl::AlignNear, 0.5, 0);
    Grow(-42, 0);
    layout.Resize();
    const RECT r = Child();
    EXPECT_EQ(r.left, 20 - 10);            // trunc(0.25 * -42) = -10
    EXPECT_EQ(r.right, 120 - 31);          // trunc(0.75 * -42) = -31
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.bottom, 80);
}

TEST_F(AutoSizeTest, BelowTheMinimumWidthChildrenArePlacedAsForTheMinimum)
{
    TestWindow_cl window(600, 300);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 30, 100, 50, window, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    RECT outer{};
    GetWindowRect(window, &outer);
    const int initialWidth = outer.right - outer.left;
    AutoSize_cl layout;
    layout.Init(window, initialWidth, 0);
    layout.AddByRatios(child, 0, 0, 1, 0);
    SetWindowPos(window, nullptr, 0, 0, initialWidth - 100, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    layout.Resize();
    RECT r{};
    GetWindowRect(child, &r);
    EXPECT_EQ(r.right - r.left, 100);
}

TEST_F(AutoSizeTest, RefusesRatiosOutsideZeroToOneAndUnknownAlignments)
{
    AutoSize_cl layout;
    EXPECT_EQ(RaisedError([&] { layout.AddByRatios(m_child, 0, 0, 1, 1); }).Code(), 2);
    // Nothing registered yet: nothing to do, nothing to complain about.
    layout.Resize();
    layout.Init(m_window, 0, 0);
    EXPECT_EQ(RaisedError([&] { layout.AddByRatios(m_child, 0, 0, 1.5, 1); }).Code(), 4);
    EXPECT_EQ(RaisedError([&] { layout.AddByAlignment(m_child, 3, 0, 0.5, 0.5); }).Code(), 3);
    EXPECT_EQ(RaisedError([&] { layout.AddByAlignment(m_child, 0, 0, -0.1, 0.5); }).Code(), 4);
    EXPECT_EQ(RaisedError([&] { layout.AddByRatios(nullptr, 0, 0, 1, 1); }).Code(), 1);
}
