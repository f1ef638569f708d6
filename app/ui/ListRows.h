#pragma once
// What a page's report list shows, kept beside it as copied texts, and how a
// refresh brings the list up to date without refilling it: only rows whose
// texts or key changed are rewritten, rows are added or removed at the end.
// A refresh after one built row of a 2,000-row plan therefore costs the
// comparison and one row's texts, and the list keeps its scroll position.
//
// The selection follows the rows, not the places: a selected row stays
// selected while a row with its key and name is shown, wherever it now is;
// when it has moved, it is scrolled into view. A selected row that is gone is
// no longer selected.
//
// Row: a copyable record with a uint32_t key (the list's item data), a
// Text(column) for the shown columns, and ==, which also compares what the
// list does not show.
#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>
#include "common/ctl/Report.h"

namespace Quorvane_ns {

template <class Row>
class ListRows_tl {
public:
    ListRows_tl(CTL_ns::Report_cl& list, int columns) : m_list(list), m_columns(columns) {}

    const std::vector<Row>& Rows() const { return m_rows; }
    int Count() const { return static_cast<int>(m_rows.size()); }
    const Row& At(int index) const { return m_rows.at(static_cast<size_t>(index)); }
    // The one selected row; Report_cl's errors when none or several are.
    const Row& Selected() const { return At(m_list.GetSelected()); }
    // Whether exactly one row is selected.
    bool HasSelection() const { return m_list.GetSelectedCount() == 1; }

    void Clear()
    {
        m_list.DeleteAll();
        m_rows.clear();
        m_next.clear();
    }

    // Where a refresh puts the rows to show next, then calls ShowNext. It
    // holds the rows shown before last, so that assigning into its records
    // reuses their memory.
    std::vector<Row>& Next() { return m_next; }
    void ShowNext()
    {
        std::vector<Row>& rows = m_next;
        const std::vector<int> before = SelectedIndices();
        std::unordered_map<uint32_t, const Row*> chosen;
        for (int i : before) {
            if (i < Count()) chosen[m_rows[static_cast<size_t>(i)].key] = &m_rows[static_cast<size_t>(i)];
        }
        std::vector<int> after;
        for (size_t j = 0; j < rows.size() && !chosen.empty(); ++j) {
            auto it = chosen.find(rows[j].key);
            if (it != chosen.end() && it->second->Text(0) == rows[j].Text(0)) after.push_back(static_cast<int>(j));
        }

        Update(rows);
        m_rows.swap(m_next);
        Reselect(before, after);
        if (m_redrawOff) {
            m_redrawOff = false;
            m_list.SendMsg(WM_SETREDRAW, TRUE);
            ::InvalidateRect(m_list, nullptr, TRUE);
        }
    }

private:
    static constexpr size_t kRedrawLimit = 16;

    std::vector<int> SelectedIndices() const
    {
        std::vector<int> indices;
        for (int i = m_list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = m_list.GetNextItem(i, LVNI_SELECTED))
            indices.push_back(i);
        return indices;
    }

    // A few changed rows repaint themselves; many are drawn once at the end.
    void RedrawOff()
    {
        if (m_redrawOff) return;
        m_redrawOff = true;
        m_list.SendMsg(WM_SETREDRAW, FALSE);
    }

    void Update(const std::vector<Row>& rows)
    {
        const size_t common = std::min(rows.size(), m_rows.size());
        if (std::max(rows.size(), m_rows.size()) - common >= kRedrawLimit) RedrawOff();
        size_t changed = 0;
        for (size_t i = 0; i < common; ++i) {
            if (rows[i] == m_rows[i]) continue;
            if (++changed == kRedrawLimit) RedrawOff();
            const int index = static_cast<int>(i);
            for (int c = 0; c < m_columns; ++c) {
                if (rows[i].Text(c) != m_rows[i].Text(c)) m_list.SetItemText(index, c, rows[i].Text(c));
            }
            if (rows[i].key != m_rows[i].key) m_list.SetItemData(index, rows[i].key);
        }
        if (rows.empty()) {
            m_list.DeleteAll();
            return;
        }
        for (size_t i = m_rows.size(); i > rows.size(); --i) m_list.DeleteItem(static_cast<int>(i - 1));
        std::vector<Base_ns::String_cl> texts(static_cast<size_t>(m_columns));
        for (size_t i = common; i < rows.size(); ++i) {
            for (int c = 0; c < m_columns; ++c) texts[static_cast<size_t>(c)] = rows[i].Text(c);
            m_list.SetItemData(m_list.AddItem(texts.data(), m_columns), rows[i].key);
        }
    }

    void Reselect(const std::vector<int>& before, const std::vector<int>& after)
    {
        if (before == after) return;
        for (int i : before) {
            if (i < Count() && !std::binary_search(after.begin(), after.end(), i))
                m_list.SetItemState(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
        }
        for (int j : after) m_list.SetItemState(j, LVIS_SELECTED, LVIS_SELECTED);
        if (after.empty()) return;
        m_list.SetItemState(after.front(), LVIS_FOCUSED, LVIS_FOCUSED);
        m_list.EnsureVisible(after.front(), false);
    }

    CTL_ns::Report_cl& m_list;
    int m_columns;
    std::vector<Row> m_rows;
    std::vector<Row> m_next;
    bool m_redrawOff = false;
};

} // namespace Quorvane_ns
