#include "ui/ReportRowSorter.h"

#include <cstring>
#include <numeric>

#include "ui/ReportListModel.h"
#include "ui/ReportOwnerRecords.h"

namespace tonquill {

ReportRowSorter::ReportRowSorter(const ReportListModel& model, const ReportOwnerRecords* records,
                                 const std::vector<ColumnSortInfo>& keys, int first, int last)
    : first(first), last(last) {
    if (!keys.empty()) {
        ascending = keys.front().ascending != 0;
    }
    const int columnCount = model.columnCount();
    const size_t span = last >= first ? static_cast<size_t>(last - first + 1) : 0;
    for (const ColumnSortInfo& key : keys) {
        KeyColumn column;
        const bool inRange = key.column >= 0 && key.column < columnCount;
        column.numeric = inRange && records != nullptr && records->IsNumericColumn(key.column);
        if (column.numeric) {
            column.numbers.resize(span, 0.0);
        } else {
            column.texts.resize(span);
        }
        for (size_t i = 0; i < span && inRange; ++i) {
            const ReportRowData& row = model.Row(first + static_cast<int>(i));
            if (column.numeric) {
                if (row.ownerData != nullptr) {
                    column.numbers[i] = records->NumericKey(row.ownerData, key.column);
                }
            } else {
                column.texts[i] = row.cells[key.column].text.toUtf8();
            }
        }
        keyColumns.push_back(std::move(column));
    }
}

int ReportRowSorter::CompareRows(int a, int b, int depth) const {
    for (; depth < static_cast<int>(keyColumns.size()); ++depth) {
        const KeyColumn& key = keyColumns[depth];
        int result = 0;
        if (key.numeric) {
            const double x = key.numbers[a - first];
            const double y = key.numbers[b - first];
            result = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            // A C string comparison of the narrow texts: unsigned bytes, case matters.
            const int c =
                std::strcmp(key.texts[a - first].constData(), key.texts[b - first].constData());
            result = c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        if (result != 0) {
            return result;
        }
    }
    return 0;
}

std::vector<int> ReportRowSorter::Order() {
    std::vector<int> rows;
    if (last < first || keyColumns.empty()) {
        return rows;
    }
    rows.resize(static_cast<size_t>(last - first + 1));
    std::iota(rows.begin(), rows.end(), first);
    QuickSort(rows, 0, static_cast<int>(rows.size()) - 1, ascending);
    return rows;
}

void ReportRowSorter::QuickSort(std::vector<int>& rows, int lo, int hi, bool ascending) const {
    // Middle pivot with crossing indexes; every key follows the primary key's direction.
    // The smaller part recurses and the larger loops, which keeps the stack shallow and
    // leaves the result as the plain recursion would give it.
    while (lo < hi) {
        const int pivot = rows[(lo + hi) / 2];
        int i = lo;
        int j = hi;
        while (i <= j) {
            if (ascending) {
                while (CompareRows(rows[i], pivot, 0) < 0) {
                    ++i;
                }
                while (CompareRows(rows[j], pivot, 0) > 0) {
                    --j;
                }
            } else {
                while (CompareRows(rows[i], pivot, 0) > 0) {
                    ++i;
                }
                while (CompareRows(rows[j], pivot, 0) < 0) {
                    --j;
                }
            }
            if (i <= j) {
                if (i != j) {
                    std::swap(rows[i], rows[j]);
                }
                ++i;
                --j;
            }
        }
        if (j - lo < hi - i) {
            if (lo < j) {
                QuickSort(rows, lo, j, ascending);
            }
            lo = i;
        } else {
            if (i < hi) {
                QuickSort(rows, i, hi, ascending);
            }
            hi = j;
        }
    }
}

}  // namespace tonquill
