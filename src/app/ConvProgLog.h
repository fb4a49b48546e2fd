#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace tonquill {

class CReportCtrl;

// The progress window's log list: four columns (an empty one of width 0, "#", "Time",
// "Description"), one row per line, the row's level as its item data, banded backgrounds and a
// text colour per level.
class ConvProgLog {
public:
    enum Column { ColumnEmpty = 0, ColumnNumber = 1, ColumnTime = 2, ColumnDescription = 3 };

    explicit ConvProgLog(QWidget* parent);

    QWidget* Widget() const;
    CReportCtrl* List() const { return list_; }
    // Appends a row at the end and scrolls it into view.
    void Append(const QString& number, const QString& time, const QString& text, int level);
    void Clear();
    int RowCount() const;
    QString Cell(int row, int column) const;
    int Level(int row) const;
    QColor TextColour(int row, int column) const;
    QColor BackColour(int row, int column) const;
    // Sizes the "Description" column to its content.
    void FitDescription();

private:
    CReportCtrl* list_;
};

}  // namespace tonquill
