#include "ui/ReportCellColours.h"

#include "ui/ReportListModel.h"
#include "ui/ReportOwnerRecords.h"

namespace tonquill {

namespace {

constexpr QRgb kUnreadableBack = qRgb(255, 225, 241);
constexpr QRgb kOddSortBack = qRgb(235, 238, 250);
constexpr QRgb kOddBack = qRgb(243, 245, 252);
constexpr QRgb kEvenSortBack = qRgb(247, 248, 253);
constexpr QRgb kEvenBack = qRgb(255, 255, 255);

}  // namespace

void ReportCellColours::Set(int row, int column, Part part, QRgb colour) {
    const bool rowIn = row >= 0 && row < model.RowCount();
    const bool columnIn = column >= 0 && column < model.columnCount();
    const int firstRow = rowIn ? row : 0;
    const int lastRow = rowIn ? row : model.RowCount() - 1;
    const int firstColumn = columnIn ? column : 0;
    const int lastColumn = columnIn ? column : model.columnCount() - 1;
    for (int r = firstRow; r <= lastRow; ++r) {
        std::vector<ReportCell>& cells = model.MutableRow(r).cells;
        for (int c = firstColumn; c <= lastColumn; ++c) {
            (part == Part::Text ? cells[c].textColour : cells[c].backColour) = colour;
        }
    }
    if (firstRow <= lastRow) {
        model.NotifyRowsChanged(firstRow, lastRow);
    }
}

QColor ReportCellColours::Get(int row, int column, Part part) const {
    if (row < 0 || row >= model.RowCount() || column < 0 || column >= model.columnCount()) {
        return {};
    }
    const ReportCell& cell = model.Row(row).cells[column];
    return QColor::fromRgb(part == Part::Text ? cell.textColour : cell.backColour);
}

void ReportCellColours::Band(const ReportOwnerRecords* records, int highlightColumn) {
    for (int row = 0; row < model.RowCount(); ++row) {
        ReportRowData& data = model.MutableRow(row);
        const bool unreadable = records != nullptr && data.ownerData != nullptr &&
                                records->IsUnreadable(data.ownerData);
        const bool odd = (row % 2) != 0;
        for (int column = 0; column < static_cast<int>(data.cells.size()); ++column) {
            const bool sorted = column == highlightColumn;
            QRgb back =
                odd ? (sorted ? kOddSortBack : kOddBack) : (sorted ? kEvenSortBack : kEvenBack);
            if (unreadable) {
                back = kUnreadableBack;
            }
            data.cells[column].backColour = back;
        }
    }
    model.NotifyRowsChanged();
}

}  // namespace tonquill
