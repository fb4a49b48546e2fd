#include "ui/ReportColumnMenu.h"

#include <QMenu>
#include <algorithm>
#include <iterator>

#include "ui/ReportColumns.h"
#include "ui/ReportListModel.h"

namespace tonquill {

namespace {

constexpr int kMenuSeparatorBefore[] = {3, 12};
constexpr int kAlwaysShownColumns = 2;
constexpr int kMaxHeadingChars = 511;

}  // namespace

QMenu* BuildReportColumnMenu(const ReportListModel& model, const ReportColumns& columns,
                             QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (int column = 0; column < model.columnCount(); ++column) {
        if (std::find(std::begin(kMenuSeparatorBefore), std::end(kMenuSeparatorBefore), column) !=
            std::end(kMenuSeparatorBefore)) {
            menu->addSeparator();
        }
        QAction* item = menu->addAction(model.Column(column).heading.left(kMaxHeadingChars));
        item->setData(column);
        item->setCheckable(true);
        item->setChecked(columns.IsShown(column));
        item->setEnabled(column >= kAlwaysShownColumns);
    }
    return menu;
}

}  // namespace tonquill
