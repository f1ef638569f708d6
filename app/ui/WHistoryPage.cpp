#include "app/ui/WHistoryPage.h"
#include "common/base/Presenter.h"
#include "common/ctl/Choosers.h"
#include "common/sysinfo/SimulateInput.h"
#include "app/res/resource.h"
#include "app/store/DataFile.h"
#include "app/ui/WindowMessages.h"
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {
namespace {

const CTL_ns::Report_cl::Column_st kColumns[] = {{L"名称", 30}, {L"路径", -1}};
const int kColumnCount = 2;

const wchar_t kSequenceFilter[] = L"工程序列文件 (*.txt)|*.txt|";
const wchar_t kDeleteWarning[] = L"删除工程序列会导致之前记录的工程编译顺序丢失，你确定吗？";
const wchar_t kInUse[] = L"选中工程还在使用，无法删除。";

} // namespace

WHistoryPage_cl::WHistoryPage_cl(Stores_cl& stores, const SettingsHost_cl& settings)
    : m_stores(stores), m_settings(settings), m_rows(m_list, kColumnCount)
{
}

HWND WHistoryPage_cl::Create(HWND parent) { return ModelessDialog_cl::Create(IDD_HISTORY_PAGE, parent); }

void WHistoryPage_cl::SetBusy(bool busy)
{
    m_busy = busy ? 1 : 0;
    if (busy) ParkFocus({IDC_IMPORT_SEQUENCE, IDC_EXPORT_SEQUENCE}, m_list);
    EnableControls();
    if (!busy) ReturnFocus();
}

void WHistoryPage_cl::EnableControls()
{
    m_list.Enable(true);
    for (int id : {IDC_IMPORT_SEQUENCE, IDC_EXPORT_SEQUENCE}) ::EnableWindow(GetDlgItem(id), !m_busy);
}

bool WHistoryPage_cl::OnInit()
{
    m_list.AttachDlgItem(m_hwnd, IDC_SEQUENCE_LIST);
    m_layout.Init(m_hwnd, 0, 0);
    m_layout.AddByRatios(m_list, 0, 0, 1, 1);
    m_list.SetColumns(kColumnCount, kColumns);
    m_settings.RegisterWindow(m_hwnd, PAGE_HISTORY);
    m_settings.RegisterString(kKeySequenceFolder, String_cl());
    try {
        m_list.SetColumnWidths(m_settings.GetString(kKeySequenceColumns, m_list.GetColumnWidths()));
    } catch (const Base_ns::Error_cl& e) {
        e.Show(m_hwnd);
    }
    RefreshList();
    return true;
}

void WHistoryPage_cl::OnDestroy()
{
    m_settings.UnregisterWindow(m_hwnd);
    m_settings.SetString(kKeySequenceColumns, m_list.GetColumnWidths());
}

void WHistoryPage_cl::OnSize(UINT, int, int) { m_layout.Resize(); }

bool WHistoryPage_cl::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result)
{
    if (message != UM_REFRESH) return false;
    result = 0;
    RefreshList();
    return true;
}

bool WHistoryPage_cl::OnCommand(int code, int id, HWND)
{
    if (code != BN_CLICKED) return false;
    if (id == IDC_IMPORT_SEQUENCE) Import();
    else if (id == IDC_EXPORT_SEQUENCE) Export();
    else return false;
    return true;
}

bool WHistoryPage_cl::OnNotify(int id, NMHDR* header, LRESULT&)
{
    if (id != IDC_SEQUENCE_LIST || header->code != LVN_KEYDOWN) return false;
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
    if (key == VK_DELETE) DeleteSelected();
    else if (key == 'C' && ::GetKeyState(VK_CONTROL) < 0) CopySelectedPath();
    return true;
}

void WHistoryPage_cl::RefreshList()
{
    try {
        SequenceRowViews(m_stores.sequences, m_rows.Next());
    } catch (...) {
        // The entries up to the one without a project name are shown.
        m_rows.ShowNext();
        EnableControls();
        throw;
    }
    m_rows.ShowNext();
    EnableControls();
}

void WHistoryPage_cl::Import()
{
    if (RefusedWhileBusy()) return;
    const String_cl file = CTL_ns::ChooseOpenFile(kSequenceFilter, m_settings.GetString(kKeySequenceFolder));
    // A job may have started while the chooser was open.
    if (file.IsEmpty() || RefusedWhileBusy()) return;
    ImportSequenceFile(m_stores, file);
    RefreshList();
    m_settings.SetString(kKeySequenceFolder, GetFileDirectory(file, false));
}

void WHistoryPage_cl::Export()
{
    if (RefusedWhileBusy()) return;
    const String_cl file =
        CTL_ns::ChooseSaveFile(L"txt", kSequenceFilter, m_settings.GetString(kKeySequenceFolder));
    if (file.IsEmpty() || RefusedWhileBusy()) return;
    ExportSequenceFile(m_stores, file);
    m_settings.SetString(kKeySequenceFolder, GetFileDirectory(file, false));
}

void WHistoryPage_cl::DeleteSelected()
{
    if (m_list.GetSelectedCount() == 0 || RefusedWhileBusy()) return;
    if (m_askBeforeDelete) {
        if (Base_ns::ShowMessage(m_hwnd, kDeleteWarning, L"警告", MB_OKCANCEL | MB_ICONWARNING) != IDOK) return;
        m_askBeforeDelete = false;
        // A job may have started while the question was open.
        if (RefusedWhileBusy()) return;
    }
    std::vector<uint32_t> keys;
    const Base_ns::Trusteeship_tl<int32_t> selected = m_list.GetSelectedAll();
    for (int i = 0; i < selected.Size(); ++i) keys.push_back(m_rows.At(selected[i]).key);
    int erased = 0;
    try {
        erased = EraseUnusedEntries(m_stores.sequences, keys);
    } catch (...) {
        RefreshList();
        throw;
    }
    if (erased == 0) Base_ns::ShowMessage(m_hwnd, kInUse, kProductName, MB_OK | MB_ICONINFORMATION);
    else RefreshList();
}

void WHistoryPage_cl::CopySelectedPath()
{
    if (m_list.GetSelectedCount() == 0) return;
    // Several selected rows: the list's own error says so.
    SystemInfo_ns::SimulateInput_cl::CopyText(m_hwnd, m_rows.Selected().path);
}

bool WHistoryPage_cl::RefusedWhileBusy() const
{
    if (!m_busy) return false;
    const String_cl text = BusyStatusText();
    ::SendMessageW(::GetAncestor(m_hwnd, GA_ROOT), UM_STATUS_TEXT, reinterpret_cast<WPARAM>(text.c_str()), 0);
    return true;
}

} // namespace Quorvane_ns
