#include "common/ctl/ComboBox.h"
#include <iterator>
#include "common/base/Error.h"

namespace CTL_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\CTL\\ComboBox";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"为组合框控件新增项失败。"},
    {2, L"设置组合框控件的项的数据失败。"},
    {3, L"项索引不正确。"},
    {4, L"删除数据失败。"},
    {5, L"没有项被选中。"},
};

bool Failed(int result) { return result == CB_ERR || result == CB_ERRSPACE; }

} // namespace

void ComboBox_cl::Raise(int32_t code, int32_t line, const String_cl& note) const
{
    throw Base_ns::SysError_cl(line, kSource, ClassName(), code, kErrors, int(std::size(kErrors)), note);
}

void ComboBox_cl::CheckIndex(int index, int32_t line) const
{
    if (index < 0 || index >= GetCount()) Raise(3, line, String_cl::FromInt(index));
}

void ComboBox_cl::AddString(const String_cl& text)
{
    if (Failed(CComboBox::AddString(text))) Raise(1, __LINE__, text);
}

void ComboBox_cl::AddString(const String_cl& text, uint32_t data)
{
    const int index = CComboBox::AddString(text);
    if (Failed(index)) Raise(1, __LINE__, text);
    if (CComboBox::SetItemData(index, static_cast<LPARAM>(data)) == CB_ERR) Raise(2, __LINE__, text);
}

void ComboBox_cl::AddStrings(const Container_ns::List_tl<String_cl>& texts)
{
    for (const String_cl& text : texts) AddString(text);
    SetCurSel(0);
}

uint32_t ComboBox_cl::GetItemData(int index) const
{
    CheckIndex(index, __LINE__);
    return static_cast<uint32_t>(CComboBox::GetItemData(index));
}

int ComboBox_cl::GetCurSel() const
{
    const int index = CComboBox::GetCurSel();
    if (index == CB_ERR) Raise(5, __LINE__);
    return index;
}

void ComboBox_cl::NotifySelChange()
{
    ::PostMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(m_hwnd));
}

void ComboBox_cl::SetCurSel(int index)
{
    CheckIndex(index, __LINE__);
    if (CComboBox::SetCurSel(index) == CB_ERR) Raise(3, __LINE__, String_cl::FromInt(index));
    NotifySelChange();
}

int ComboBox_cl::FindExact(const String_cl& text) const
{
    // CB_FINDSTRINGEXACT ignores case; the items are compared as they are.
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        if (GetLBText(i) == text) return i;
    }
    return -1;
}

bool ComboBox_cl::SelectString(const String_cl& text)
{
    const int index = FindExact(text);
    if (index < 0) return false;
    if (CComboBox::SetCurSel(index) == CB_ERR) Raise(3, __LINE__, text);
    NotifySelChange();
    return true;
}

String_cl ComboBox_cl::GetText() const
{
    const int index = CComboBox::GetCurSel();
    return index == CB_ERR ? CWindow::GetText() : GetLBText(index);
}

bool ComboBox_cl::MoveToTop(const String_cl& text)
{
    const int index = FindExact(text);
    if (index < 0) return false;
    if (index != 0) {
        const LRESULT data = CComboBox::GetItemData(index);
        if (DeleteString(index) == CB_ERR) Raise(4, __LINE__, text);
        if (Failed(InsertString(0, text))) Raise(1, __LINE__, text);
        if (CComboBox::SetItemData(0, data) == CB_ERR) Raise(2, __LINE__, text);
        SetCurSel(0);
    } else if (CWindow::GetText() != text) {
        SetCurSel(0);
    }
    return true;
}

void ComboBox_cl::AddRecent(const String_cl& text)
{
    if (MoveToTop(text)) return;
    if (Failed(InsertString(0, text))) Raise(1, __LINE__, text);
    SetCurSel(0);
}

} // namespace CTL_ns
