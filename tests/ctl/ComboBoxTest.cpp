#include <gtest/gtest.h>
#include "common/ctl/ComboBox.h"
#include "common/ctl/GroupBox.h"
#include "tests/support/GuiSupport.h"

using namespace Test_ns;
using CTL_ns::ComboBox_cl;

namespace {

const int kComboId = 55;

class ComboBoxTest : public ::testing::Test {
protected:
    ComboBoxTest() : m_parent(300, 200)
    {
        m_combo.Attach(CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL,
                                       10, 10, 200, 150, m_parent, reinterpret_cast<HMENU>(kComboId),
                                       GetModuleHandleW(nullptr), nullptr));
        m_recorder = std::make_unique<MessageRecorder_cl>(m_parent, std::vector<UINT>{WM_COMMAND});
    }
    void FillFour()
    {
        m_combo.AddString(L"Debug|Win32", 1);
        m_combo.AddString(L"Release|Win32", 2);
        m_combo.AddString(L"Debug|x64", 3);
        m_combo.AddString(L"Release|x64", 4);
    }
    // The selection changes the parent was told about, after the queue ran.
    std::vector<Received_st> SelChanges()
    {
        PumpMessages();
        std::vector<Received_st> out;
        for (const Received_st& r : m_recorder->Only(WM_COMMAND)) {
            if (HIWORD(r.wParam) == CBN_SELCHANGE) out.push_back(r);
        }
        return out;
    }
    std::vector<String_cl> Texts() const
    {
        std::vector<String_cl> out;
        for (int i = 0; i < m_combo.GetCount(); ++i) out.push_back(m_combo.GetLBText(i));
        return out;
    }

    TestWindow_cl m_parent;
    ComboBox_cl m_combo;
    std::unique_ptr<MessageRecorder_cl> m_recorder;
};

} // namespace

TEST_F(ComboBoxTest, AddRecentMovesAnItemToTheTopWithItsDataAndPostsOneSelChange)
{
    FillFour();
    EXPECT_TRUE(SelChanges().empty());
    m_combo.AddRecent(L"Release|x64");
    EXPECT_EQ(Texts(), (std::vector<String_cl>{L"Release|x64", L"Debug|Win32", L"Release|Win32", L"Debug|x64"}));
    EXPECT_EQ(m_combo.GetItemData(0), 4u);
    EXPECT_EQ(m_combo.GetItemData(3), 3u);
    EXPECT_EQ(m_combo.GetCurSel(), 0);
    const auto changes = SelChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(LOWORD(changes[0].wParam), kComboId);
    EXPECT_EQ(changes[0].lParam, reinterpret_cast<LPARAM>(static_cast<HWND>(m_combo)));
}

TEST_F(ComboBoxTest, AddRecentOfTheShownTopItemPostsNothing)
{
    FillFour();
    m_combo.SetCurSel(0);
    ASSERT_EQ(SelChanges().size(), 1u);
    m_recorder->Clear();
    m_combo.AddRecent(L"Debug|Win32");
    EXPECT_TRUE(SelChanges().empty());
    EXPECT_EQ(m_combo.GetCount(), 4);
}

TEST_F(ComboBoxTest, AddRecentOfANewTextInsertsItAtTheTopAndSelectsIt)
{
    FillFour();
    m_combo.AddRecent(L"Debug|Itanium");
    EXPECT_EQ(m_combo.GetCount(), 5);
    EXPECT_EQ(m_combo.GetText(), L"Debug|Itanium");
    EXPECT_EQ(SelChanges().size(), 1u);
}

TEST_F(ComboBoxTest, SelectStringComparesExactly)
{
    FillFour();
    EXPECT_FALSE(m_combo.SelectString(L"debug|x64"));
    EXPECT_TRUE(SelChanges().empty());
    EXPECT_TRUE(m_combo.SelectString(L"Debug|x64"));
    EXPECT_EQ(m_combo.GetCurSel(), 2);
    EXPECT_EQ(SelChanges().size(), 1u);
}

TEST_F(ComboBoxTest, BadIndexesAndNoSelectionRaise)
{
    EXPECT_FALSE(m_combo.SelectString(L"Debug|Win32"));
    FillFour();
    EXPECT_EQ(RaisedError([&] { m_combo.GetCurSel(); }).Code(), 5);
    EXPECT_EQ(RaisedError([&] { m_combo.SetCurSel(4); }).Code(), 3);
    EXPECT_EQ(RaisedError([&] { m_combo.GetItemData(-1); }).Code(), 3);
    EXPECT_TRUE(SelChanges().empty());
}

TEST(GroupBox, ErasesItsBackgroundInTheButtonFaceColour)
{
    TestWindow_cl parent(200, 100);
    CTL_ns::GroupBox_cl group;
    group.Attach(CreateWindowExW(0, L"BUTTON", L"批处理命令", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 5, 5, 150, 60,
                                 parent, nullptr, GetModuleHandleW(nullptr), nullptr));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 150, 60);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 150, 60};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    EXPECT_TRUE(group.SendMsg(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)));
    EXPECT_EQ(GetPixel(dc, 75, 30), GetSysColor(COLOR_BTNFACE));

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}
