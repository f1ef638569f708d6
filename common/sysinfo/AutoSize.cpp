#include "common/sysinfo/AutoSize.h"
#include <iterator>
#include "common/base/Error.h"

namespace SystemInfo_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\SystemInfo\\AutoSize";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"空指针。"},
    {2, L"没有初始化该控件。"},
    {3, L"未知对齐方式。"},
    {4, L"比例应该在0和1之间。"},
};

bool IsRatio(double r) { return r >= 0.0 && r <= 1.0; }

// Near and far ratio of one axis.
bool Ratios(int32_t alignment, double share, double& nearRatio, double& farRatio)
{
    switch (alignment) {
    case AutoSize_cl::AlignNear:
        nearRatio = 0.0;
        farRatio = share;
        return true;
    case AutoSize_cl::AlignCentre:
        nearRatio = 0.5 - share / 2;
        farRatio = 0.5 + share / 2;
        return true;
    case AutoSize_cl::AlignFar:
        nearRatio = 1.0 - share;
        farRatio = 1.0;
        return true;
    default:
        return false;
    }
}

} // namespace

void AutoSize_cl::Raise(int32_t code, int32_t line, const Base_ns::String_cl& note) const
{
    throw Base_ns::SysError_cl(line, kSource, ClassName(), code, kErrors, int(std::size(kErrors)), note);
}

void AutoSize_cl::Init(HWND window, int32_t minimumWidth, int32_t minimumHeight)
{
    if (!window) Raise(1, __LINE__);
    m_window = window;
    ::GetWindowRect(window, &m_initial);
    m_minimumWidth = minimumWidth;
    m_minimumHeight = minimumHeight;
}

void AutoSize_cl::AddByRatios(HWND child, double left, double top, double right, double bottom)
{
    if (!m_window) Raise(2, __LINE__);
    if (!child) Raise(1, __LINE__);
    if (!IsRatio(left) || !IsRatio(top) || !IsRatio(right) || !IsRatio(bottom)) Raise(4, __LINE__);
    SubWndInfo_st info;
    info.child = child;
    RECT outer{};
    ::GetWindowRect(child, &outer);
    POINT topLeft{outer.left, outer.top};
    ::ScreenToClient(m_window, &topLeft);
    info.rect = {topLeft.x, topLeft.y, topLeft.x + (outer.right - outer.left),
                 topLeft.y + (outer.bottom - outer.top)};
    info.left = left;
    info.top = top;
    info.right = right;
    info.bottom = bottom;
    m_children.PushBack(info);
}

void AutoSize_cl::AddByAlignment(HWND child, int32_t horizontal, int32_t vertical, double horizontalShare,
                                 double verticalShare)
{
    if (!IsRatio(horizontalShare) || !IsRatio(verticalShare)) Raise(4, __LINE__);
    double left, right, top, bottom;
    if (!Ratios(horizontal, horizontalShare, left, right)) Raise(3, __LINE__, Base_ns::String_cl::FromInt(horizontal));
    if (!Ratios(vertical, verticalShare, top, bottom)) Raise(3, __LINE__, Base_ns::String_cl::FromInt(vertical));
    AddByRatios(child, left, top, right, bottom);
}

void AutoSize_cl::Resize()
{
    if (!m_window) {
        if (!m_children.IsEmpty()) Raise(2, __LINE__);
        return;
    }
    RECT current{};
    ::GetWindowRect(m_window, &current);
    const int32_t initialWidth = m_initial.right - m_initial.left;
    const int32_t initialHeight = m_initial.bottom - m_initial.top;
    const int32_t width = current.right - current.left;
    const int32_t height = current.bottom - current.top;
    int32_t dx = width - initialWidth;
    int32_t dy = height - initialHeight;
    if (m_minimumWidth >= width) dx = m_minimumWidth - initialWidth;
    if (m_minimumHeight >= height) dy = m_minimumHeight - initialHeight;
    for (const SubWndInfo_st& c : m_children) {
        // Products truncate toward zero, as a cast does.
        const int32_t x = c.rect.left + static_cast<int32_t>(c.left * dx);
        const int32_t y = c.rect.top + static_cast<int32_t>(c.top * dy);
        const int32_t w = static_cast<int32_t>(dx * c.right) + c.rect.right - x;
        const int32_t h = static_cast<int32_t>(dy * c.bottom) + c.rect.bottom - y;
        ::MoveWindow(c.child, x, y, w, h, FALSE);
    }
    // Painted once all have moved: a child repainted as it moves can land
    // on the place of one moved after it, which then wipes it (Wine leaves
    // such a control blank until the mouse passes over it).
    ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace SystemInfo_ns
