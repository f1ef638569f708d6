#pragma once
// Thin wrapper of a list view (SysListView32): one-liners over LVM_*.
#include <windows.h>
#include <commctrl.h>
#include "common/ctl/CWindow.h"

namespace CTL_ns {

class CListCtrl : public CWindow {
public:
    using CWindow::CWindow;

    int GetItemCount() const { return static_cast<int>(SendMsg(LVM_GETITEMCOUNT)); }
    int GetSelectedCount() const { return static_cast<int>(SendMsg(LVM_GETSELECTEDCOUNT)); }
    // The next item after start (-1: from the first) that has all of flags (LVNI_*).
    int GetNextItem(int start, UINT flags) const
    {
        return static_cast<int>(SendMsg(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
    }
    UINT GetItemState(int item, UINT mask) const
    {
        return static_cast<UINT>(SendMsg(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
    }
    // item -1: every item.
    bool SetItemState(int item, UINT state, UINT mask);
    bool InsertItem(LVITEMW& item, int* index);
    bool SetItemText(int item, int subItem, const String_cl& text);
    String_cl GetItemText(int item, int subItem) const;
    bool SetItemParam(int item, LPARAM param);
    // false when the item does not exist.
    bool GetItemParam(int item, LPARAM& param) const;
    bool DeleteItem(int item) { return SendMsg(LVM_DELETEITEM, static_cast<WPARAM>(item)) != FALSE; }
    bool DeleteAllItems() { return SendMsg(LVM_DELETEALLITEMS) != FALSE; }
    bool EnsureVisible(int item, bool partialOk)
    {
        return SendMsg(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOk) != FALSE;
    }

    HWND GetHeader() const { return reinterpret_cast<HWND>(SendMsg(LVM_GETHEADER)); }
    int GetColumnCount() const;
    // -1 on failure, else the index of the new column.
    int InsertColumn(int index, const String_cl& title, int format, int width);
    bool DeleteColumn(int index) { return SendMsg(LVM_DELETECOLUMN, static_cast<WPARAM>(index)) != FALSE; }
    int GetColumnWidth(int index) const { return static_cast<int>(SendMsg(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index))); }
    bool SetColumnWidth(int index, int width)
    {
        return SendMsg(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0)) != FALSE;
    }

    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMsg(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    void SetExtendedStyle(DWORD mask, DWORD style) { SendMsg(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style); }
};

} // namespace CTL_ns
