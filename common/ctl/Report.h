#pragma once
// The report-style list of the tab pages: columns set up by shares of the
// width, whole rows added at once, selection queries that fail loudly,
// selection by the program that tells the parent as a click would, and the
// column widths as text for the settings. In auto-release mode every row owns
// an Item_st that the list deletes with the row.
#include <cstdint>
#include "common/base/Trusteeship.h"
#include "common/ctl/CListCtrl.h"
#include "common/ctl/Control.h"

namespace CTL_ns {

class Report_cl : public CListCtrl, public Control_cl {
public:
    struct Item_st {
        virtual ~Item_st() = default;
    };
    struct Column_st {
        const wchar_t* title;
        // Share of the width in percent; negative: the rest of the width.
        int percentage;
    };

    explicit Report_cl(bool autoRelease = false) : m_autoRelease(autoRelease ? 1 : 0) {}
    ~Report_cl() override;

    // Takes over a list view made elsewhere (a dialog template): from here on
    // it selects whole rows and its own notifications come back to it.
    void Attach(HWND hwnd);
    void AttachDlgItem(HWND dialog, int id) { Attach(::GetDlgItem(dialog, id)); }

    // The data object of a new row in auto-release mode.
    virtual Item_st* NewItemData() { return new Item_st; }
    virtual const wchar_t* ClassName() const { return L"Report_cl"; }

    void SetColumns(int count, const Column_st* columns);
    int AddItem(const String_cl* texts, int count);
    void SetItemData(int row, uint32_t value);
    uint32_t GetItemData(int row) const;
    Item_st& GetItemObject(int row) const;
    int GetSelected() const;
    // Every selected row, ascending.
    Base_ns::Trusteeship_tl<int32_t> GetSelectedAll() const;
    void Select(int row);
    void ClearSelection();
    void DeleteAll();
    // "120,80,200": the widths in pixels, in column order.
    String_cl GetColumnWidths() const;
    void SetColumnWidths(const String_cl& text);

    bool IsAutoRelease() const { return m_autoRelease != 0; }

protected:
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;
    void OnWindowGone() override { CWindow::Detach(); }

private:
    void CheckRow(int row, int32_t line) const;
    void DeleteItemObjects();
    [[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note = String_cl()) const;

    int32_t m_autoRelease;
};

} // namespace CTL_ns
