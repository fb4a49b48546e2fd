#pragma once

class QMenu;
class QWidget;

namespace tonquill {

class ReportColumns;
class ReportListModel;

// The column show/hide menu of the report list's header: one checkable item per column (its
// data is the column), checked while the column is shown. On the file list Name and Path are
// greyed, since a list without them means nothing, and separators set off the tag columns
// (from Tag) and the file's own columns (from Size(MB)).
QMenu* BuildReportColumnMenu(const ReportListModel& model, const ReportColumns& columns,
                             QWidget* parent);

}  // namespace tonquill
