#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace tonquill {

class CReportCtrl;

// The progress window's log list: four columns (an empty one of width 0, "#", "Time",
// "Description"), one row per line, the row's level as its item data, banded backgrounds and a
// text colour per level. The "Description" column takes the width the list has left and grows
// to its longest line; a line shows whole in its tooltip. Selected lines can be copied and the
// whole log saved to a text file from the list's context menu.
class ConvProgLog : public QObject {
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
    // Sizes the "Description" column to its longest line, and at least to the width left.
    void FitDescription();

    // Rows as plain text, one line per row: number, time and text separated by tabs.
    QString RowsText(const std::vector<int>& rows) const;
    // The selected rows' text, put on the clipboard (Ctrl+C, "Copy").
    QString SelectedText() const;
    void CopySelection();
    // Writes every row to path; empty on success, otherwise the message naming the file and the
    // system's reason.
    QString SaveTo(const QString& path) const;
    // "Save Log As...": asks for a file and saves, telling a failure in a message box.
    void SaveAs();

    // Where "Save Log As..." asks for the file; tests answer themselves.
    std::function<QString()> askSavePath;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowMenu(const QPoint& pos);
    int AvailableWidth() const;

    CReportCtrl* list_;
    int widest_ = 0;  // pixels of the longest description, its margins included
};

}  // namespace tonquill
