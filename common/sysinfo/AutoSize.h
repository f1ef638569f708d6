#pragma once
// Keeps the children of a resizable window in place when its size changes.
// Every registered child has one ratio per edge: the share of the window's
// change in width (left, right) or height (top, bottom) that the edge moves
// by. Below the minimum size the layout stops shrinking.
#include <windows.h>
#include <cstdint>
#include "common/base/String.h"
#include "common/container/List.h"

namespace SystemInfo_ns {

class AutoSize_cl {
public:
    struct SubWndInfo_st {
        HWND child = nullptr;
        // At registration, in the window's client coordinates.
        RECT rect{};
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    // How a child sits on one axis, for AddByAlignment.
    enum Alignment_en : int32_t { AlignNear = 0, AlignCentre = 1, AlignFar = 2 };

    const wchar_t* ClassName() const { return L"AutoSize_cl"; }

    // Remembers the window's present outer rectangle as the starting size.
    void Init(HWND window, int32_t minimumWidth, int32_t minimumHeight);
    void AddByRatios(HWND child, double left, double top, double right, double bottom);
    // share: which part of the change the child grows by on that axis.
    void AddByAlignment(HWND child, int32_t horizontal, int32_t vertical, double horizontalShare,
                        double verticalShare);
    // From WM_SIZE: moves every child for the window's present size, then
    // has the window and all its children painted afresh.
    void Resize();

private:
    [[noreturn]] void Raise(int32_t code, int32_t line, const Base_ns::String_cl& note = Base_ns::String_cl()) const;

    HWND m_window = nullptr;
    RECT m_initial{};
    int32_t m_minimumWidth = 0;
    int32_t m_minimumHeight = 0;
    Container_ns::List_tl<SubWndInfo_st> m_children;
};

} // namespace SystemInfo_ns
