#include "common/ctl/CListCtrl.h"
#include <vector>

namespace CTL_ns {

bool CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEMW lv{};
    lv.stateMask = mask;
    lv.state = state;
    return SendMsg(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)) != FALSE;
}

bool CListCtrl::InsertItem(LVITEMW& item, int* index)
{
    const int i = static_cast<int>(SendMsg(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index) *index = i;
    return i >= 0;
}

bool CListCtrl::SetItemText(int item, int subItem, const String_cl& text)
{
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = const_cast<wchar_t*>(text.c_str());
    return SendMsg(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)) != FALSE;
}

String_cl CListCtrl::GetItemText(int item, int subItem) const
{
    // LVM_GETITEMTEXT tells the copied length, not the full one: grow until
    // the text fits with room to spare.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        LVITEMW lv{};
        lv.iSubItem = subItem;
        lv.pszText = buffer.data();
        lv.cchTextMax = static_cast<int>(buffer.size());
        const int n = static_cast<int>(
            SendMsg(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
        if (n < static_cast<int>(buffer.size()) - 1) return String_cl(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 4);
    }
}

bool CListCtrl::SetItemParam(int item, LPARAM param)
{
    LVITEMW lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    lv.lParam = param;
    return SendMsg(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv)) != FALSE;
}

bool CListCtrl::GetItemParam(int item, LPARAM& param) const
{
    LVITEMW lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    if (!SendMsg(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv))) return false;
    param = lv.lParam;
    return true;
}

int CListCtrl::GetColumnCount() const
{
    const HWND header = GetHeader();
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::InsertColumn(int index, const String_cl& title, int format, int width)
{
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.iSubItem = index;
    return static_cast<int>(SendMsg(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

} // namespace CTL_ns
