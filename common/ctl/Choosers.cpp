#include "common/ctl/Choosers.h"
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <atomic>
#include <vector>

namespace CTL_ns {
namespace {

std::atomic<Chooser_cl*> g_chooser{nullptr};

const size_t kFolderLength = 512;
const DWORD kCurrentDirectoryLength = 260;
// Room for a long path; the dialog reports a longer one as a failure.
const size_t kFileLength = 4096;

String_cl PathOf(PCIDLIST_ABSOLUTE item)
{
    wchar_t path[kFolderLength] = {};
    if (!item || !::SHGetPathFromIDListEx(item, path, static_cast<DWORD>(kFolderLength), GPFIDL_DEFAULT))
        return String_cl();
    return String_cl(path);
}

int CALLBACK BrowseCallback(HWND hwnd, UINT message, LPARAM lParam, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        String_cl folder = *reinterpret_cast<const String_cl*>(data);
        if (folder.empty()) {
            wchar_t current[kCurrentDirectoryLength] = {};
            const DWORD n = ::GetCurrentDirectoryW(kCurrentDirectoryLength, current);
            if (n > 0 && n < kCurrentDirectoryLength) folder.assign(current, n);
        }
        if (!folder.empty()) ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    } else if (message == BFFM_SELCHANGED) {
        const String_cl path = PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        ::SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    return 0;
}

// "a|b|c|d|" into "a\0b\0c\0d\0\0", as the file dialogs take it.
std::vector<wchar_t> FilterList(const String_cl& filter)
{
    std::vector<wchar_t> list(filter.begin(), filter.end());
    for (wchar_t& c : list) {
        if (c == L'|') c = L'\0';
    }
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

String_cl RunFileDialog(bool save, const String_cl& defaultExtension, const String_cl& filter,
                        const String_cl& initialDirectory)
{
    std::vector<wchar_t> filters = FilterList(filter);
    std::vector<wchar_t> file(kFileLength, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ::GetActiveWindow();
    ofn.lpstrFilter = filter.empty() ? nullptr : filters.data();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDirectory.empty() ? nullptr : initialDirectory.c_str();
    ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    if (save) {
        ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        if (!::GetSaveFileNameW(&ofn)) return String_cl();
    } else {
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        if (!::GetOpenFileNameW(&ofn)) return String_cl();
    }
    return String_cl(file.data());
}

SystemChooser_cl g_system;

Chooser_cl& Current()
{
    Chooser_cl* chooser = g_chooser.load();
    return chooser ? *chooser : g_system;
}

} // namespace

void SetChooser(Chooser_cl* chooser) { g_chooser.store(chooser); }
Chooser_cl* CurrentChooser() { return g_chooser.load(); }

String_cl ChooseFolder(const String_cl& prompt, const String_cl& initialFolder)
{
    return Current().ChooseFolder(prompt, initialFolder);
}

String_cl ChooseOpenFile(const String_cl& filter, const String_cl& initialDirectory)
{
    return Current().ChooseOpenFile(filter, initialDirectory);
}

String_cl ChooseSaveFile(const String_cl& defaultExtension, const String_cl& filter,
                         const String_cl& initialDirectory)
{
    return Current().ChooseSaveFile(defaultExtension, filter, initialDirectory);
}

String_cl SystemChooser_cl::ChooseFolder(const String_cl& prompt, const String_cl& initialFolder)
{
    BROWSEINFOW info{};
    info.hwndOwner = ::GetActiveWindow();
    info.lpszTitle = prompt.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&initialFolder);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return String_cl();
    const String_cl path = PathOf(chosen);
    ::CoTaskMemFree(chosen);
    return path;
}

String_cl SystemChooser_cl::ChooseOpenFile(const String_cl& filter, const String_cl& initialDirectory)
{
    return RunFileDialog(false, String_cl(), filter, initialDirectory);
}

String_cl SystemChooser_cl::ChooseSaveFile(const String_cl& defaultExtension, const String_cl& filter,
                                           const String_cl& initialDirectory)
{
    return RunFileDialog(true, defaultExtension, filter, initialDirectory);
}

} // namespace CTL_ns
