#pragma once

#include <QHeaderView>

namespace tonquill {

class ReportListModel;

// The report list's header: draws a column's header image on the right of its text unless
// the column asks for it on the left.
class ReportHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit ReportHeaderView(QWidget* parent = nullptr);

    void SetReportModel(const ReportListModel* model) { reportModel = model; }

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;

private:
    const ReportListModel* reportModel = nullptr;
};

}  // namespace tonquill
