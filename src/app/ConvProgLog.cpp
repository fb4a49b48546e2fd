#include "app/ConvProgLog.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "app/ConvProgFigures.h"

namespace tonquill {

ConvProgLog::ConvProgLog(QWidget* parent) : list_(new QTreeWidget(parent)) {
    list_->setColumnCount(4);
    list_->setHeaderLabels(
        {QString(), QStringLiteral("#"), QStringLiteral("Time"), QStringLiteral("Description")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSortingEnabled(false);
    list_->setFrameShape(QFrame::StyledPanel);
    list_->header()->setSectionsMovable(true);
    list_->header()->setSectionsClickable(false);
    list_->header()->setStretchLastSection(false);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->headerItem()->setTextAlignment(ColumnNumber, Qt::AlignCenter);
    list_->headerItem()->setTextAlignment(ColumnTime, Qt::AlignCenter);
    list_->setColumnWidth(ColumnEmpty, 0);
    list_->setColumnWidth(ColumnNumber, 55);
    list_->setColumnWidth(ColumnTime, 63);
    list_->setColumnWidth(ColumnDescription, 500);
}

QWidget* ConvProgLog::Widget() const {
    return list_;
}

void ConvProgLog::Append(const QString& number, const QString& time, const QString& text,
                         int level) {
    const int row = list_->topLevelItemCount();
    auto* item = new QTreeWidgetItem({QString(), number, time, text});
    item->setData(ColumnEmpty, Qt::UserRole, level);
    item->setTextAlignment(ColumnNumber, Qt::AlignCenter);
    item->setTextAlignment(ColumnTime, Qt::AlignCenter);
    const QColor back = LogBackground(row);
    const QColor fore = LogTextColour(level);
    for (int column = 0; column < 4; ++column) {
        item->setBackground(column, back);
        if (fore.isValid()) {
            item->setForeground(column, fore);
        }
    }
    list_->addTopLevelItem(item);
    list_->scrollToItem(item);
}

void ConvProgLog::Clear() {
    list_->clear();
}

int ConvProgLog::RowCount() const {
    return list_->topLevelItemCount();
}

QString ConvProgLog::Cell(int row, int column) const {
    const QTreeWidgetItem* item = list_->topLevelItem(row);
    return item ? item->text(column) : QString();
}

int ConvProgLog::Level(int row) const {
    const QTreeWidgetItem* item = list_->topLevelItem(row);
    return item ? item->data(ColumnEmpty, Qt::UserRole).toInt() : -1;
}

QColor ConvProgLog::TextColour(int row, int column) const {
    const QTreeWidgetItem* item = list_->topLevelItem(row);
    return item ? item->foreground(column).color() : QColor();
}

QColor ConvProgLog::BackColour(int row, int column) const {
    const QTreeWidgetItem* item = list_->topLevelItem(row);
    return item ? item->background(column).color() : QColor();
}

void ConvProgLog::FitDescription() {
    list_->resizeColumnToContents(ColumnDescription);
}

}  // namespace tonquill
