#pragma once

#include <vector>

class QAbstractItemView;

namespace tonquill {

class ReportListModel;

// The selected and focused state of the report list's rows, read and changed through the row
// state flags and selectors of ReportRowState.h. Selection always takes whole rows.
class ReportSelection {
public:
    // `view` shows `model`; its selection model is asked each time, never kept.
    ReportSelection(const ReportListModel& model, const QAbstractItemView& view)
        : model(model), view(view) {}

    // To be called whenever the selection or the rows change: the flags of SelectedRows are
    // rebuilt on the next read.
    void Invalidate() { cacheValid = false; }
    // One flag per row, kept between changes so that walking the selected rows stays linear
    // however scattered the selection is.
    const std::vector<char>& SelectedRows() const;
    // The focused row, or -1.
    int CurrentRow() const;

    unsigned Read(int row) const;
    bool Apply(int row, unsigned flags);
    int Count(unsigned selector) const;
    int FindNext(unsigned selector, int after) const;
    // One flag per row that `selector` matches.
    std::vector<char> Matching(unsigned selector) const;
    // Applies `flags` to every row `selector` matches; returns how many matched.
    int ApplyToMatching(unsigned selector, unsigned flags);
    void Invert();
    // Selects or deselects `rows` (ascending) as one selection of contiguous runs.
    void Select(const std::vector<int>& rows, bool select);

private:
    static unsigned StateOf(int row, const std::vector<char>& selected, int current);

    const ReportListModel& model;
    const QAbstractItemView& view;
    mutable std::vector<char> cache;
    mutable bool cacheValid = false;
};

}  // namespace tonquill
