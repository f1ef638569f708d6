#pragma once
// Thin wrapper of a tab control (SysTabControl32): one-liners over TCM_*.
#include <windows.h>
#include <commctrl.h>
#include "common/ctl/CWindow.h"

namespace CTL_ns {

class CTabCtrl : public CWindow {
public:
    using CWindow::CWindow;

    int GetItemCount() const { return static_cast<int>(SendMsg(TCM_GETITEMCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMsg(TCM_GETCURSEL)); }
    // Selects without notifying anyone, as TCM_SETCURSEL does.
    int SetCurSel(int index) { return static_cast<int>(SendMsg(TCM_SETCURSEL, static_cast<WPARAM>(index))); }
    // -1 on failure, else the index of the new tab.
    int InsertItem(int index, const String_cl& title, LPARAM param)
    {
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<wchar_t*>(title.c_str());
        item.lParam = param;
        return static_cast<int>(SendMsg(TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    bool GetItemParam(int index, LPARAM& param) const
    {
        TCITEMW item{};
        item.mask = TCIF_PARAM;
        if (!SendMsg(TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return false;
        param = item.lParam;
        return true;
    }
    bool DeleteAllItems() { return SendMsg(TCM_DELETEALLITEMS) != FALSE; }
    // larger false: from a window rectangle to its display area.
    void AdjustRect(bool larger, RECT& rect) const { SendMsg(TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(&rect)); }
};

} // namespace CTL_ns
