#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace tonquill {

// One sort key of the report list; the owner stores these records byte for byte.
struct ColumnSortInfo {
    int32_t column = 0;
    int32_t ascending = 1;  // 1 ascending, 0 descending

    bool operator==(const ColumnSortInfo&) const = default;
};
static_assert(sizeof(ColumnSortInfo) == 8);

// The list keeps at most this many keys, primary first.
constexpr int kMaxSortKeys = 6;

// A click on a column header: the primary column reverses, a secondary one is promoted with
// its remembered direction, a new one starts ascending; the oldest key beyond six drops out.
void PromoteSortKey(std::vector<ColumnSortInfo>& keys, int column);

// The stored form: 8 bytes per key, little-endian 32-bit column then 32-bit ascending flag.
QByteArray SortKeysToBytes(const std::vector<ColumnSortInfo>& keys);
// Reads one key per whole 8 bytes (a partial tail is ignored), at most six; any non-zero
// direction reads as ascending.
std::vector<ColumnSortInfo> SortKeysFromBytes(const QByteArray& bytes);

}  // namespace tonquill
