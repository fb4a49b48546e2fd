#pragma once

#include <QColor>
#include <QRgb>

namespace tonquill {

class ReportListModel;
class ReportOwnerRecords;

// The colours the report list's cells are drawn with: set for one cell, a row, a column or
// all cells at once, and the banded backgrounds the list is recoloured with after a sort.
class ReportCellColours {
public:
    enum class Part { Text, Back };

    explicit ReportCellColours(ReportListModel& model) : model(model) {}

    // A row or column out of range means every row (or every column).
    void Set(int row, int column, Part part, QRgb colour);
    // Invalid for a cell out of range.
    QColor Get(int row, int column, Part part) const;
    // Bands the rows' backgrounds, the `highlightColumn` a shade deeper (none when -1), and
    // marks the rows of unreadable files pink whatever their band.
    void Band(const ReportOwnerRecords* records, int highlightColumn);

private:
    ReportListModel& model;
};

}  // namespace tonquill
