#pragma once

#include <cstdint>
#include <vector>

namespace tonquill {

// The list's own bookkeeping for one column, kept in step with the header.
struct ReportColumnInfo {
    uint8_t visible = 1;
    int32_t savedWidth = 0;     // width at insertion; the width before hiding while hidden
    int32_t restoreOrder = -1;  // bounds how far a column moves right when shown again
};

// Display-order moves of showing and hiding. `order` maps display position to column.
// Hiding walks the column to position 0, the columns left of it moving one place right,
// and returns the value for `restoreOrder` (the number of columns).
int32_t MoveHiddenColumnFirst(std::vector<int>& order, int column);
// Showing walks the column to the right; past `restoreOrder` it stops before a visible
// column, so a column hidden with the column count as its bound comes back last.
void MoveShownColumnRight(std::vector<int>& order, int column, int32_t restoreOrder,
                          const std::vector<ReportColumnInfo>& columns);

}  // namespace tonquill
