#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace tonquill {

// The list's own bookkeeping for one column, kept in step with the header.
struct ReportColumnInfo {
    uint8_t visible = 1;
    int32_t savedWidth = 0;     // width at insertion; the width before hiding while hidden
    int32_t restoreOrder = -1;  // bounds how far a column moves right when shown again
};

// One column of the stored layout: visible flag and width (the width before hiding for a
// hidden column).
struct ColumnLayoutRecord {
    int32_t visible = 1;
    int32_t width = 0;

    bool operator==(const ColumnLayoutRecord&) const = default;
};

// 8 bytes per column in column order, little-endian.
QByteArray ColumnLayoutToBytes(const std::vector<ColumnLayoutRecord>& records);
// One record per whole 8 bytes; a partial tail is ignored.
std::vector<ColumnLayoutRecord> ColumnLayoutFromBytes(const QByteArray& bytes);

// Display-order moves of showing and hiding. `order` maps display position to column.
// Hiding walks the column to position 0, the columns left of it moving one place right,
// and returns the value for `restoreOrder` (the number of columns).
int32_t MoveHiddenColumnFirst(std::vector<int>& order, int column);
// Showing walks the column to the right; past `restoreOrder` it stops before a visible
// column, so a column hidden with the column count as its bound comes back last.
void MoveShownColumnRight(std::vector<int>& order, int column, int32_t restoreOrder,
                          const std::vector<ReportColumnInfo>& columns);

}  // namespace tonquill
