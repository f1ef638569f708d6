#pragma once
// What the tests of the two tab pages share: the stores with one plan whose
// rows the real engine makes from project files in a folder of the test's
// own, the settings library under a product name of the test's own, a
// top-level window standing for the main window (it keeps the status texts
// and UM_BUILD_ONE posts it gets), a chooser that answers at once, and keys
// as a list view receives them.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <atomic>
#include <utility>
#include <vector>
#include "app/store/DataFile.h"
#include "app/ui/WindowMessages.h"
#include "app/workflow/SettingsInterface.h"
#include "common/ctl/Choosers.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

namespace PageTest_ns {

using Base_ns::String_cl;
using namespace Quorvane_ns;

// Every chooser answers `answer` and notes the folder it was opened in.
class ScriptedChooser_cl : public CTL_ns::Chooser_cl {
public:
    ScriptedChooser_cl() { CTL_ns::SetChooser(this); }
    ~ScriptedChooser_cl() override { CTL_ns::SetChooser(nullptr); }
    String_cl ChooseFolder(const String_cl&, const String_cl& f) override { return Note(f); }
    String_cl ChooseOpenFile(const String_cl&, const String_cl& f) override { return Note(f); }
    String_cl ChooseSaveFile(const String_cl&, const String_cl&, const String_cl& f) override { return Note(f); }
    String_cl answer;
    std::vector<String_cl> folders;

private:
    String_cl Note(const String_cl& folder)
    {
        folders.push_back(folder);
        return answer;
    }
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        m_product = L"QvPageTest-" + String_cl::FromUnsigned(GetCurrentProcessId()) + L"-" +
                    String_cl::FromUnsigned(counter++);
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + m_product).c_str());
        m_settings.Open(m_product);
        Base_ns::SysError_cl::SetLogPath(m_dir / L"Error.log");
        SetWindowSubclass(m_main, &MainProc, 1, reinterpret_cast<DWORD_PTR>(this));
        m_plan = m_stores.plans.AddPlan(L"p", L"Debug|Win32");
    }
    void TearDown() override
    {
        RemoveWindowSubclass(m_main, &MainProc, 1);
        m_plan = PlanId_cl();
        m_settings.Close();
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + m_product).c_str());
        Base_ns::SysError_cl::SetLogPath(String_cl());
    }

    String_cl Project(const String_cl& name)
    {
        const String_cl path = m_dir / (name + L"\\" + name + L".vcproj");
        StoreTest_ns::WriteProject(path, name);
        return path;
    }
    MProjectId_cl AddRow(const String_cl& name, const String_cl& config = L"Debug|Win32")
    {
        return RowFor(config, m_plan->rows, Project(name), m_stores.projects, m_stores.sequences);
    }
    MProjectId_cl AddMissingRow(const String_cl& name)
    {
        return RowFor(L"Debug|Win32", m_plan->rows, m_dir / (name + L".vcproj"), m_stores.projects,
                      m_stores.sequences);
    }
    std::vector<String_cl> SequencePaths() const
    {
        std::vector<String_cl> paths;
        for (SerialId_cl it = m_stores.sequences.First(); !it.IsEmpty(); it = it.Next()) paths.push_back(it->path);
        return paths;
    }

    // With Ctrl held when asked: the thread's key state is what GetKeyState reads.
    static void PressKey(HWND list, WORD key, bool ctrl = false)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        const BYTE before = keys[VK_CONTROL];
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageW(list, WM_KEYDOWN, key, 1);
        keys[VK_CONTROL] = before;
        SetKeyboardState(keys);
    }
    static void SelectRow(HWND list, int row, bool only = true)
    {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        if (only) SendMessageW(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    }
    static std::vector<int> SelectedRows(HWND list)
    {
        std::vector<int> rows;
        for (int i = -1; (i = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(i), LVNI_SELECTED))) >= 0;) rows.push_back(i);
        return rows;
    }
    static String_cl CellText(HWND list, int row, int column)
    {
        wchar_t buffer[512] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 512;
        SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    static std::vector<String_cl> Column(HWND list, int column)
    {
        std::vector<String_cl> texts;
        for (int i = 0; i < int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++i) texts.push_back(CellText(list, i, column));
        return texts;
    }
    // The clipboard's text, which is then emptied for the next check.
    static String_cl TakeClipboardText()
    {
        String_cl text;
        if (!OpenClipboard(nullptr)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) text = p;
            GlobalUnlock(data);
        }
        EmptyClipboard();
        CloseClipboard();
        return text;
    }

    StoreTest_ns::ComScope_cl m_com;
    Test_ns::TempDir_cl m_dir{L"pages"};
    SettingsHost_cl m_settings;
    String_cl m_product;
    Stores_cl m_stores;
    PlanId_cl m_plan;
    Test_ns::RecordingPresenter_cl m_presenter;
    Test_ns::TestWindow_cl m_main{660, 560};
    std::vector<String_cl> m_statuses;
    std::vector<std::pair<WPARAM, LPARAM>> m_buildOne;

private:
    static LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
    {
        auto* self = reinterpret_cast<PageTest*>(data);
        if (message == UM_STATUS_TEXT) self->m_statuses.push_back(reinterpret_cast<const wchar_t*>(wParam));
        else if (message == UM_BUILD_ONE) self->m_buildOne.push_back({wParam, lParam});
        else return DefSubclassProc(hwnd, message, wParam, lParam);
        return 0;
    }
};

// A page as a child of the stand-in main window, which is fitted around it;
// destroyed, as the main window's end destroys it, before it goes.
template <class Page>
class Shown_tl {
public:
    Shown_tl(HWND main, Stores_cl& stores, const SettingsHost_cl& settings) : page(stores, settings)
    {
        hwnd = page.Create(main);
        RECT r{};
        GetWindowRect(hwnd, &r);
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(main, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        ShowWindow(hwnd, SW_SHOW);
    }
    ~Shown_tl() { page.Destroy(); }
    HWND Item(int id) const { return GetDlgItem(hwnd, id); }

    Page page;
    HWND hwnd = nullptr;
};

} // namespace PageTest_ns
