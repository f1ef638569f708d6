#include <gtest/gtest.h>
#include "common/ctl/Choosers.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

using namespace Test_ns;

namespace {

// The texts of a window's children.
std::vector<String_cl> ChildTexts(HWND window)
{
    std::vector<String_cl> texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM out) -> BOOL {
            wchar_t text[600] = {};
            GetWindowTextW(child, text, 600);
            reinterpret_cast<std::vector<String_cl>*>(out)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

String_cl CurrentDirectory()
{
    wchar_t buffer[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}

} // namespace

TEST(Choosers, TheFolderBrowserOpensAtTheCurrentDirectoryWithoutAnInitialFolder)
{
    // A short path: each level is a tree level the browser has to fill.
    const String_cl here = L"C:\\qv浏览-" + String_cl::FromUnsigned(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(here.c_str(), nullptr));
    const String_cl before = CurrentDirectory();
    SetCurrentDirectoryW(here.c_str());
    auto showsHere = [&](const std::vector<String_cl>& texts) {
        return std::any_of(texts.begin(), texts.end(), [&](const String_cl& t) { return t.EqualsNoCase(here); });
    };
    std::vector<String_cl> texts;
    ModalDriver_cl driver([&](HWND browser) {
        // The browser fills its tree and selects after it is shown.
        for (int i = 0; i < 60 && !showsHere(texts); ++i) {
            PumpMessages(50);
            texts = ChildTexts(browser);
        }
        ClickButton(browser, IDCANCEL);
    });
    const String_cl chosen = CTL_ns::ChooseFolder(L"选择VC的安装目录", String_cl());
    SetCurrentDirectoryW(before.c_str());
    RemoveDirectoryW(here.c_str());

    EXPECT_TRUE(driver.Ran());
    EXPECT_TRUE(chosen.empty());
    // The prompt is the title, and the status line follows the selection.
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"选择VC的安装目录"), texts.end());
    EXPECT_TRUE(showsHere(texts)) << [&] {
        std::string all;
        for (const String_cl& t : texts) all.append("[").append(t.ToUtf8()).append("]");
        return all;
    }();
}

TEST(Choosers, ACancelledSaveDialogYieldsNothing)
{
    ModalDriver_cl driver([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    EXPECT_TRUE(CTL_ns::ChooseSaveFile(L"log", L"日志文件 (*.log)|*.log|", String_cl()).empty());
    EXPECT_TRUE(driver.Ran());
}

TEST(Choosers, AnInstalledChooserAnswersInsteadOfTheSystemsDialogs)
{
    AnsweringChooser_cl chooser(L"C:\\日志\\a.log");
    // Were the system's dialog shown, the driver would run and cancel it.
    ModalDriver_cl driver([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    EXPECT_EQ(CTL_ns::ChooseSaveFile(L"log", L"日志文件 (*.log)|*.log|", L"C:\\日志"), L"C:\\日志\\a.log");
    EXPECT_EQ(CTL_ns::ChooseOpenFile(L"工程序列文件 (*.txt)|*.txt|", String_cl()), L"C:\\日志\\a.log");
    EXPECT_FALSE(driver.Ran());
    ASSERT_EQ(chooser.Asked().size(), 2u);
    EXPECT_EQ(chooser.Asked()[0].kind, L"save");
    EXPECT_EQ(chooser.Asked()[0].initial, L"C:\\日志");
    EXPECT_EQ(chooser.Asked()[1].kind, L"open");
}
