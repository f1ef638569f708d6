#include <gtest/gtest.h>
#include <windows.h>

// The manifest travels with the resources: in a program linking them, the
// process's activation context sends comctl32.dll to common controls 6.
// (DllGetVersion would tell on Windows; Wine's copy in winsxs reports 5.81.)
TEST(Resources, TheManifestBringsCommonControls6)
{
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof data;
    ASSERT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                         &data));
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    EXPECT_NE(std::wstring(path).find(L"common-controls_6595b64144ccf1df_6."), std::wstring::npos) << path;
}
