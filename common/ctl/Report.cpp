#include "common/ctl/Report.h"
#include <iterator>
#include "common/base/Error.h"
#include "common/base/Number.h"

namespace CTL_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\CTL\\Report";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"空指针。"},
    {2, L"列数量不正确。"},
    {3, L"新建项时名称的数量和列数量不匹配。"},
    {4, L"索引不正确。"},
    {5, L"启用自动释放数据时无法使用与其冲突的接口。"},
    {6, L"没有项被选中。"},
    {7, L"没启用自动释放数据时无法使用与其冲突的接口。"},
    {8, L"找不到对应数据。"},
    {9, L"有多个项被选中。"},
    {10, L"列宽度信息数据格式不正确。"},
    {11, L"列宽度不正确。"},
};

} // namespace

Report_cl::~Report_cl()
{
    // The rows' objects belong to this list even when its window outlives it.
    if (m_autoRelease && m_hwnd) DeleteItemObjects();
}

void Report_cl::Raise(int32_t code, int32_t line, const String_cl& note) const
{
    throw Base_ns::SysError_cl(line, kSource, ClassName(), code, kErrors, int(std::size(kErrors)), note);
}

void Report_cl::Attach(HWND hwnd)
{
    CListCtrl::Attach(hwnd);
    Hook(hwnd);
    if (hwnd) SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void Report_cl::CheckRow(int row, int32_t line) const
{
    if (row < 0 || row >= GetItemCount()) Raise(4, line, String_cl::FromInt(row));
}

void Report_cl::SetColumns(int count, const Column_st* columns)
{
    if (!columns) Raise(1, __LINE__);
    DeleteAll();
    for (int i = GetColumnCount() - 1; i >= 0; --i) DeleteColumn(i);
    // Shares of the whole width; the column that uses up the hundred (or
    // asks for the rest with a negative share) takes what is left, so
    // rounding never leaves a gap at the right.
    const int width = GetClientRect().right - 3;
    int remaining = width;
    int budget = 100;
    for (int i = 0; i < count; ++i) {
        const int d = columns[i].percentage;
        int w;
        if (d < 0 || budget - d <= 0) {
            w = remaining;
            budget = d < 0 ? 0 : budget - d;
        } else {
            w = static_cast<int>(width * d * 0.01);
            budget -= d;
        }
        remaining -= w;
        InsertColumn(i, columns[i].title ? columns[i].title : L"", LVCFMT_LEFT, w);
    }
}

int Report_cl::AddItem(const String_cl* texts, int count)
{
    if (!texts) Raise(1, __LINE__);
    if (count != GetColumnCount()) Raise(3, __LINE__);
    LPARAM data = 0;
    if (m_autoRelease) {
        Item_st* item = NewItemData();
        if (!item) Raise(4, __LINE__);
        data = reinterpret_cast<LPARAM>(item);
    }
    LVITEMW lv{};
    lv.mask = LVIF_TEXT | LVIF_PARAM;
    lv.iItem = GetItemCount();
    lv.pszText = const_cast<wchar_t*>(texts[0].c_str());
    lv.lParam = data;
    int row = -1;
    if (!InsertItem(lv, &row)) {
        delete reinterpret_cast<Item_st*>(data);
        Raise(4, __LINE__);
    }
    for (int i = 1; i < count; ++i) SetItemText(row, i, texts[i]);
    return row;
}

void Report_cl::SetItemData(int row, uint32_t value)
{
    if (m_autoRelease) Raise(5, __LINE__);
    if (!SetItemParam(row, static_cast<LPARAM>(value))) Raise(4, __LINE__, String_cl::FromInt(row));
}

uint32_t Report_cl::GetItemData(int row) const
{
    if (m_autoRelease) Raise(5, __LINE__);
    CheckRow(row, __LINE__);
    LPARAM param = 0;
    if (!GetItemParam(row, param)) Raise(4, __LINE__, String_cl::FromInt(row));
    return static_cast<uint32_t>(param);
}

Report_cl::Item_st& Report_cl::GetItemObject(int row) const
{
    if (!m_autoRelease) Raise(7, __LINE__);
    CheckRow(row, __LINE__);
    LPARAM param = 0;
    if (!GetItemParam(row, param) || !param) Raise(4, __LINE__, String_cl::FromInt(row));
    return *reinterpret_cast<Item_st*>(param);
}

int Report_cl::GetSelected() const
{
    const int selected = GetSelectedCount();
    if (selected == 0) Raise(6, __LINE__);
    if (selected > 1) Raise(9, __LINE__);
    return GetNextItem(-1, LVNI_SELECTED);
}

Base_ns::Trusteeship_tl<int32_t> Report_cl::GetSelectedAll() const
{
    const int selected = GetSelectedCount();
    if (selected == 0) Raise(6, __LINE__);
    Base_ns::Trusteeship_tl<int32_t> rows;
    rows.Allocate(selected);
    int row = -1;
    for (int i = 0; i < selected; ++i) {
        row = GetNextItem(row, LVNI_SELECTED);
        rows[i] = row;
    }
    return rows;
}

void Report_cl::Select(int row)
{
    CheckRow(row, __LINE__);
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    // What a click on the row sends, so that the parent's click handling is
    // the one place that follows a selection.
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = m_hwnd;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    click.hdr.code = NM_CLICK;
    click.iItem = row;
    click.iSubItem = 0;
    ::SendMessageW(GetParent(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

void Report_cl::ClearSelection() { SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED); }

void Report_cl::DeleteItemObjects()
{
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        LPARAM param = 0;
        if (GetItemParam(i, param) && param) {
            delete reinterpret_cast<Item_st*>(param);
            SetItemParam(i, 0);
        }
    }
}

void Report_cl::DeleteAll()
{
    if (m_autoRelease) DeleteItemObjects();
    DeleteAllItems();
}

String_cl Report_cl::GetColumnWidths() const
{
    String_cl text;
    const int count = GetColumnCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += L',';
        text += String_cl::FromInt(GetColumnWidth(i));
    }
    return text;
}

void Report_cl::SetColumnWidths(const String_cl& text)
{
    if (text.empty()) return;
    int fields = 0;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(L',', start);
        const std::wstring_view field =
            std::wstring_view(text).substr(start, comma == String_cl::npos ? String_cl::npos : comma - start);
        const std::optional<int32_t> width = field.empty() ? std::nullopt : Base_ns::ParseNumber(field);
        if (!width) Raise(10, __LINE__, text);
        // The control takes the width as a 16-bit value.
        SetColumnWidth(fields, static_cast<int16_t>(*width));
        ++fields;
        if (comma == String_cl::npos) break;
        start = comma + 1;
    }
    if (fields != GetColumnCount()) Raise(10, __LINE__, text);
}

LRESULT Report_cl::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) DeleteAll();
    return Default(hwnd, message, wParam, lParam);
}

bool Report_cl::OnReflectedNotify(NMHDR* header, LRESULT& result)
{
    // A header click neither sorts nor concerns the parent.
    if (header->code != LVN_COLUMNCLICK) return false;
    result = 0;
    return true;
}

} // namespace CTL_ns
