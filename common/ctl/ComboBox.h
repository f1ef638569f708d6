#pragma once
// The drop-down list of the plan and configuration choices: item operations
// that raise on failure, selection that notifies the parent as a user's
// choice would, and most-recent-first insertion. Texts compare exactly.
#include <cstdint>
#include "common/base/String.h"
#include "common/container/List.h"
#include "common/ctl/CComboBox.h"

namespace CTL_ns {

class ComboBox_cl : public CComboBox {
public:
    using CComboBox::CComboBox;

    void AttachDlgItem(HWND dialog, int id) { Attach(::GetDlgItem(dialog, id)); }
    const wchar_t* ClassName() const { return L"ComboBox_cl"; }

    void AddString(const String_cl& text);
    void AddString(const String_cl& text, uint32_t data);
    // Adds every text in order and selects the first.
    void AddStrings(const Container_ns::List_tl<String_cl>& texts);
    uint32_t GetItemData(int index) const;
    int GetCurSel() const;
    // Unlike CB_SETCURSEL, which tells no one, this selects and then posts
    // the parent CBN_SELCHANGE as a user's choice would: the parent's
    // handler runs afterwards, once the queue is served.
    void SetCurSel(int index);
    // Selects the first item equal to text and tells the parent as SetCurSel
    // does; false, and nothing posted, when there is none.
    bool SelectString(const String_cl& text);
    // The selected item's text; with no selection, what the edit shows.
    String_cl GetText() const;
    // Moves the item equal to text to the top with its data and selects it;
    // false, and nothing changed, when there is none.
    bool MoveToTop(const String_cl& text);
    // MoveToTop, or inserts text at the top and selects it.
    void AddRecent(const String_cl& text);

private:
    int FindExact(const String_cl& text) const;
    void CheckIndex(int index, int32_t line) const;
    void NotifySelChange();
    [[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note = String_cl()) const;
};

} // namespace CTL_ns
