#pragma once

#include <QEvent>

namespace tonquill {

class CReportCtrl;

// Notifications of the report list to its owner, numbered as the owner's handlers expect.
constexpr int WM_REPORT_SORTED = 0xA711;
constexpr int WM_REPORT_CELL_EDITED = 0xA712;

// Posted after every sort, so the owner sees it once rows and colours are in place.
class ReportSortedEvent : public QEvent {
public:
    ReportSortedEvent(int column, bool ascending)
        : QEvent(static_cast<QEvent::Type>(WM_REPORT_SORTED)),
          column(column),
          ascending(ascending) {}

    int column;      // primary sort column
    bool ascending;  // its direction
};

// Sent synchronously when an in-place edit wrote a changed text into a cell.
class ReportCellEditedEvent : public QEvent {
public:
    ReportCellEditedEvent(int row, int column, CReportCtrl* list)
        : QEvent(static_cast<QEvent::Type>(WM_REPORT_CELL_EDITED)),
          row(row),
          column(column),
          list(list) {}

    int row;
    int column;
    CReportCtrl* list;
};

}  // namespace tonquill
