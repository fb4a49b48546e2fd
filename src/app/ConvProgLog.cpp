#include "app/ConvProgLog.h"

#include <QHeaderView>
#include <cstdint>

#include "app/ConvProgFigures.h"
#include "ui/ReportCtrl.h"
#include "ui/ReportRowState.h"

namespace tonquill {

namespace {

// Column formats of the report list.
constexpr int FormatLeft = 0;
constexpr int FormatCentre = 2;
constexpr unsigned HeaderDragDrop = 0x10;

}  // namespace

ConvProgLog::ConvProgLog(QWidget* parent) : list_(new CReportCtrl(parent)) {
    list_->InsertColumn(ColumnEmpty, QString(), FormatLeft, 0);
    list_->InsertColumn(ColumnNumber, QStringLiteral("#"), FormatCentre, 55);
    list_->InsertColumn(ColumnTime, QStringLiteral("Time"), FormatCentre, 63);
    list_->InsertColumn(ColumnDescription, QStringLiteral("Description"), FormatLeft, 500);
    // Full-row selection and movable headers; no sorting and no column menu in the log.
    list_->ApplyExtendedStyle(HeaderDragDrop);
    list_->EnableHeaderSort(false);
    list_->header()->setContextMenuPolicy(Qt::NoContextMenu);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFrameShape(QFrame::StyledPanel);
}

QWidget* ConvProgLog::Widget() const {
    return list_;
}

void ConvProgLog::Append(const QString& number, const QString& time, const QString& text,
                         int level) {
    const int row = list_->InsertItem(list_->GetItemCount(), QString());
    list_->SetItemText(row, ColumnNumber, number);
    list_->SetItemText(row, ColumnTime, time);
    list_->SetItemText(row, ColumnDescription, text);
    list_->SetItemData(row, reinterpret_cast<void*>(static_cast<intptr_t>(level)));
    // Rows only ever join at the end or all go at once, so a row's band never changes.
    const QColor fore = LogTextColour(level);
    const QColor back = LogBackground(row);
    for (int column = 0; column < list_->ColumnCount(); ++column) {
        if (fore.isValid()) {
            list_->SetCellTextColour(row, column, fore);
        }
        list_->SetCellBackColour(row, column, back);
    }
    list_->scrollToBottom();
}

void ConvProgLog::Clear() {
    list_->DeleteItems(ROW_ALL);
}

int ConvProgLog::RowCount() const {
    return list_->GetItemCount();
}

QString ConvProgLog::Cell(int row, int column) const {
    return list_->GetItemText(row, column);
}

int ConvProgLog::Level(int row) const {
    if (row < 0 || row >= list_->GetItemCount()) {
        return -1;
    }
    return static_cast<int>(reinterpret_cast<intptr_t>(list_->GetItemData(row)));
}

QColor ConvProgLog::TextColour(int row, int column) const {
    return list_->CellTextColour(row, column);
}

QColor ConvProgLog::BackColour(int row, int column) const {
    return list_->CellBackColour(row, column);
}

void ConvProgLog::FitDescription() {
    list_->AutoSizeColumn(ColumnDescription);
}

}  // namespace tonquill
