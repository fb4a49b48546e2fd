#include "ui/ReportHeaderView.h"

#include <QStyleOptionHeader>

#include "ui/ReportListModel.h"

namespace tonquill {

ReportHeaderView::ReportHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void ReportHeaderView::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    if (reportModel == nullptr || logicalIndex < 0 || logicalIndex >= reportModel->columnCount()) {
        return;
    }
    const bool onLeft = reportModel->Column(logicalIndex).imageOnLeft;
    option->iconAlignment = (onLeft ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
}

}  // namespace tonquill
