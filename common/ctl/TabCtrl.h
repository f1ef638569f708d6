#pragma once
// The tab strip of the main window. Every tab owns a page (a modeless child
// dialog made as a child of this control); the control keeps each page sized
// to its display area and shows only the page of the selected tab.
#include <cstdint>
#include "common/ctl/CTabCtrl.h"
#include "common/ctl/Control.h"

namespace CTL_ns {

class TabCtrl_cl : public CTabCtrl, public Control_cl {
public:
    struct Item_st {
        virtual ~Item_st() = default;
        HWND page = nullptr;
    };

    TabCtrl_cl() : m_current(-1) {}
    ~TabCtrl_cl() override;

    // Takes over a tab control made elsewhere and runs Initialize.
    void Attach(HWND hwnd);
    void AttachDlgItem(HWND dialog, int id) { Attach(::GetDlgItem(dialog, id)); }

    virtual Item_st* NewItem() { return new Item_st; }
    // Once the window exists: the first page is shown after the messages
    // already queued (the dialog's first display) are through.
    virtual void Initialize();
    virtual const wchar_t* ClassName() const { return L"TabCtrl_cl"; }

    void AddPage(const String_cl& title, HWND page);
    void RemoveAll();
    Item_st& GetItem(int index) const;
    int Current() const { return m_current; }

    // Private message that shows the page of the tab selected at start.
    static constexpr UINT kShowFirstPage = 2246;

protected:
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;
    void OnWindowGone() override { CWindow::Detach(); }

private:
    void OnSelChange();
    RECT DisplayArea(int width, int height) const;
    void MovePages(const RECT& area);
    [[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note = String_cl()) const;

    int32_t m_current;
};

} // namespace CTL_ns
