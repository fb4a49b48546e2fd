#include "ui/ReportSelection.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <algorithm>

#include "ui/ReportListModel.h"
#include "ui/ReportRowState.h"

namespace tonquill {

const std::vector<char>& ReportSelection::SelectedRows() const {
    const int count = model.RowCount();
    if (cacheValid && static_cast<int>(cache.size()) == count) {
        return cache;
    }
    cache.assign(static_cast<size_t>(count), 0);
    for (const QItemSelectionRange& range : view.selectionModel()->selection()) {
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < count; ++row) {
            cache[row] = 1;
        }
    }
    cacheValid = true;
    return cache;
}

int ReportSelection::CurrentRow() const {
    const QModelIndex current = view.currentIndex();
    return current.isValid() ? current.row() : -1;
}

unsigned ReportSelection::StateOf(int row, const std::vector<char>& selected, int current) {
    // The list shows no check boxes, so every row reads as unchecked.
    return ROW_UNCHECKED | (selected[row] ? ROW_SELECTED : ROW_UNSELECTED) |
           (row == current ? ROW_FOCUSED : ROW_UNFOCUSED);
}

unsigned ReportSelection::Read(int row) const {
    if (row < 0 || row >= model.RowCount()) {
        return 0;
    }
    const bool selected =
        cacheValid ? SelectedRows()[row] != 0 : view.selectionModel()->isRowSelected(row, {});
    const bool focused = CurrentRow() == row;
    return ROW_UNCHECKED | (selected ? ROW_SELECTED : ROW_UNSELECTED) |
           (focused ? ROW_FOCUSED : ROW_UNFOCUSED);
}

bool ReportSelection::Apply(int row, unsigned flags) {
    if (flags == 0 || row < 0 || row >= model.RowCount()) {
        return false;
    }
    QItemSelectionModel* selection = view.selectionModel();
    bool ok = true;
    const QModelIndex at = model.index(row, 0);
    if (flags & ROW_SELECTED) {
        selection->select(at, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (flags & ROW_UNSELECTED) {
        selection->select(at, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    if (flags & ROW_CHECKED) {
        ok = false;  // no check boxes to check
    }
    if (flags & ROW_FOCUSED) {
        selection->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
    }
    if ((flags & ROW_UNFOCUSED) && CurrentRow() == row) {
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    return ok;
}

int ReportSelection::Count(unsigned selector) const {
    if (selector == ROW_ALL) {
        return model.RowCount();
    }
    int count = 0;
    for (int row = FindNext(selector, -1); row >= 0; row = FindNext(selector, row)) {
        ++count;
    }
    return count;
}

int ReportSelection::FindNext(unsigned selector, int after) const {
    if (selector == 0) {
        return -1;
    }
    const std::vector<char>& selected = SelectedRows();
    const int current = CurrentRow();
    for (int row = std::max(after, -1) + 1; row < model.RowCount(); ++row) {
        if (RowMatches(StateOf(row, selected, current), selector)) {
            return row;
        }
    }
    return -1;
}

std::vector<char> ReportSelection::Matching(unsigned selector) const {
    const int count = model.RowCount();
    std::vector<char> matching(static_cast<size_t>(count), 0);
    const std::vector<char>& selected = SelectedRows();
    const int current = CurrentRow();
    for (int row = 0; row < count; ++row) {
        matching[row] = RowMatches(StateOf(row, selected, current), selector) ? 1 : 0;
    }
    return matching;
}

int ReportSelection::ApplyToMatching(unsigned selector, unsigned flags) {
    if (selector == 0 || flags == 0) {
        return 0;
    }
    std::vector<int> matching;
    const std::vector<char>& selected = SelectedRows();
    const int current = CurrentRow();
    for (int row = 0; row < model.RowCount(); ++row) {
        if (RowMatches(StateOf(row, selected, current), selector)) {
            matching.push_back(row);
        }
    }
    if (matching.empty()) {
        return 0;
    }
    QItemSelectionModel* selection = view.selectionModel();
    if (flags & ROW_SELECTED) {
        Select(matching, true);
    }
    if (flags & ROW_UNSELECTED) {
        Select(matching, false);
    }
    if (flags & ROW_FOCUSED) {
        selection->setCurrentIndex(model.index(matching.back(), 0), QItemSelectionModel::NoUpdate);
    }
    if ((flags & ROW_UNFOCUSED) && std::binary_search(matching.begin(), matching.end(), current)) {
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    return static_cast<int>(matching.size());
}

void ReportSelection::Invert() {
    const int rows = model.RowCount();
    const int columns = model.columnCount();
    if (rows == 0 || columns == 0) {
        return;
    }
    const QItemSelection all(model.index(0, 0), model.index(rows - 1, columns - 1));
    view.selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

void ReportSelection::Select(const std::vector<int>& rows, bool select) {
    if (rows.empty() || model.columnCount() == 0) {
        return;
    }
    // One selection of contiguous runs instead of a selection call per row.
    QItemSelection selection;
    const int lastColumn = model.columnCount() - 1;
    size_t start = 0;
    for (size_t i = 1; i <= rows.size(); ++i) {
        if (i == rows.size() || rows[i] != rows[i - 1] + 1) {
            selection.append(QItemSelectionRange(model.index(rows[start], 0),
                                                 model.index(rows[i - 1], lastColumn)));
            start = i;
        }
    }
    view.selectionModel()->select(
        selection, (select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                       QItemSelectionModel::Rows);
}

}  // namespace tonquill
