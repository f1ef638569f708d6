#include "common/ctl/TabCtrl.h"
#include <iterator>
#include "common/base/Error.h"

namespace CTL_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\CTL\\TabCtrl";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"空指针。"},
    {2, L"新建选项卡失败。"},
    {3, L"取得选项卡属性失败。"},
    {4, L"无法根据子窗口找到对应选项卡。"},
    {5, L"无法根据数据标识找到对应选项卡。"},
    {6, L"没有选中的选项卡。"},
    {7, L"不正确的索引。"},
};

} // namespace

TabCtrl_cl::~TabCtrl_cl()
{
    // The items belong to this object even when the window outlives it.
    if (m_hwnd) {
        try {
            RemoveAll();
        } catch (const Base_ns::Error_cl&) {
        }
    }
}

void TabCtrl_cl::Raise(int32_t code, int32_t line, const String_cl& note) const
{
    throw Base_ns::SysError_cl(line, kSource, ClassName(), code, kErrors, int(std::size(kErrors)), note);
}

void TabCtrl_cl::Attach(HWND hwnd)
{
    CTabCtrl::Attach(hwnd);
    if (Hook(hwnd)) Initialize();
}

void TabCtrl_cl::Initialize()
{
    PostMsg(kShowFirstPage);
    // Pages draw themselves; Tab moves into them.
    ModifyStyle(0, WS_CLIPCHILDREN);
    ModifyExStyle(0, WS_EX_CONTROLPARENT);
}

void TabCtrl_cl::AddPage(const String_cl& title, HWND page)
{
    if (!page) Raise(1, __LINE__);
    Item_st* item = NewItem();
    if (!item) Raise(2, __LINE__, title);
    item->page = page;
    if (InsertItem(GetItemCount(), title, reinterpret_cast<LPARAM>(item)) < 0) {
        delete item;
        Raise(2, __LINE__, title);
    }
    const RECT client = GetClientRect();
    const RECT area = DisplayArea(client.right, client.bottom);
    ::MoveWindow(page, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    ::ShowWindow(page, SW_HIDE);
}

void TabCtrl_cl::RemoveAll()
{
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) delete &GetItem(i);
    DeleteAllItems();
    m_current = -1;
}

TabCtrl_cl::Item_st& TabCtrl_cl::GetItem(int index) const
{
    LPARAM param = 0;
    if (!GetItemParam(index, param) || !param) Raise(3, __LINE__, String_cl::FromInt(index));
    return *reinterpret_cast<Item_st*>(param);
}

RECT TabCtrl_cl::DisplayArea(int width, int height) const
{
    RECT area{0, 0, width, height};
    AdjustRect(false, area);
    return area;
}

void TabCtrl_cl::MovePages(const RECT& area)
{
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        ::MoveWindow(GetItem(i).page, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    }
}

void TabCtrl_cl::OnSelChange()
{
    const int selected = GetCurSel();
    if (selected == m_current) return;
    if (m_current != -1) ::ShowWindow(GetItem(m_current).page, SW_HIDE);
    if (selected != -1) ::ShowWindow(GetItem(selected).page, SW_SHOW);
    m_current = selected;
}

LRESULT TabCtrl_cl::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kShowFirstPage: {
        // As if the tab control had told its parent about the selection.
        NMHDR header{};
        header.hwndFrom = hwnd;
        header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        header.code = TCN_SELCHANGE;
        return ::SendMessageW(hwnd, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == hwnd && header->code == TCN_SELCHANGE) {
            OnSelChange();
            return 0;
        }
        break;
    }
    case WM_SIZE: {
        const LRESULT result = Default(hwnd, message, wParam, lParam);
        MovePages(DisplayArea(LOWORD(lParam), HIWORD(lParam)));
        return result;
    }
    case WM_DESTROY:
        RemoveAll();
        break;
    default:
        break;
    }
    return Default(hwnd, message, wParam, lParam);
}

bool TabCtrl_cl::OnReflectedNotify(NMHDR* header, LRESULT& result)
{
    if (header->code != TCN_SELCHANGE) return false;
    OnSelChange();
    result = 0;
    return true;
}

} // namespace CTL_ns
