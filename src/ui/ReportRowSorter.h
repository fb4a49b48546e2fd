#pragma once

#include <QByteArray>
#include <vector>

#include "ui/ColumnSortInfo.h"

namespace tonquill {

class ReportListModel;
class ReportOwnerRecords;

// Orders a range of report rows by the list's sort keys. Every key column's values are
// read once up front (numbers from the owner's records, texts as UTF-8 bytes), so a
// comparison is a number or byte-string comparison and not a fetch and conversion.
class ReportRowSorter {
public:
    ReportRowSorter(const ReportListModel& model, const ReportOwnerRecords* records,
                    const std::vector<ColumnSortInfo>& keys, int first, int last);

    // Old row indexes of first..last in their sorted order.
    std::vector<int> Order();

    // Three-way comparison of two rows of the range; ties go to the next key.
    int CompareRows(int a, int b, int depth) const;

private:
    struct KeyColumn {
        bool numeric = false;
        std::vector<double> numbers;
        std::vector<QByteArray> texts;
    };

    void QuickSort(std::vector<int>& rows, int lo, int hi, bool ascending) const;

    std::vector<KeyColumn> keyColumns;
    int first;
    int last;
    bool ascending = true;
};

}  // namespace tonquill
