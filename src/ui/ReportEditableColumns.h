#pragma once

#include <vector>

namespace tonquill {

// The columns the report list's in-place editor may open in. Tab and Shift+Tab walk them in
// the order the owner allowed them, which need not be the columns' order, wrapping round.
class ReportEditableColumns {
public:
    // False when the column was allowed already.
    bool Allow(int column);
    bool Contains(int column) const;
    bool IsEmpty() const { return columns.empty(); }

    // The column after `column` in the walk, or before it; from a column outside the walk,
    // the first (or the last). Only asked while some column is allowed.
    int Next(int column) const;
    int Previous(int column) const;

private:
    int IndexOf(int column) const;

    std::vector<int> columns;
};

}  // namespace tonquill
