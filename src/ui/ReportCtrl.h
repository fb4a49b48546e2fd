#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QTreeView>
#include <atomic>
#include <vector>

#include "ui/ColumnSortInfo.h"
#include "ui/ReportCellColours.h"
#include "ui/ReportColumnInfo.h"
#include "ui/ReportColumns.h"
#include "ui/ReportEditableColumns.h"
#include "ui/ReportRowState.h"
#include "ui/ReportSelection.h"

class QLineEdit;
class QMenu;

namespace tonquill {

class ReportHeaderView;
class ReportListModel;
class ReportOwnerRecords;

// Set while the list sorts (its rows' states are rewritten then) and by the file loader to
// stop a load; the owner ignores selection changes while it is 1.
extern std::atomic<int> g_listBusy;

// The report list of the file list: columns that hide and show from a header menu, sorting
// by up to six keys, per-cell colours with banded rows, row moves and state operations, an
// in-place cell editor, and a hint painted into the empty list. Rows carry an opaque pointer
// to the owner's record; typed sort keys and the unreadable mark come through
// ReportOwnerRecords. The widget puts the parts together: ReportColumns keeps the columns and
// their stored layout, ReportSelection the row states, ReportCellColours the colours,
// ReportRowSorter the order, ReportEditKeys and ReportEditableColumns the editor's keys.
class CReportCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // Receives ReportSortedEvent (posted) and ReportCellEditedEvent (sent).
    QPointer<QObject> notifyTarget;
    // Sort keys, primary first, at most six; read and written by the owner.
    std::vector<ColumnSortInfo> sortKeys;
    // Text of column 0 of the edited row, captured when an edit of column 0 begins.
    QString editStartText;

    void SetOwnerRecords(const ReportOwnerRecords* records) { ownerRecords = records; }
    ReportListModel* Model() const { return listModel; }

    // Creation and style.
    void ApplyExtendedStyle(unsigned style);
    void ApplyExplorerTheme() {}
    void ShowEmptyHints(bool on);
    // Suspends or resumes repainting (the owner's bulk inserts; sorting and recolouring).
    void SetRedraw(bool on);

    // Columns. Format 0 left, 1 right, 2 centre; width < 0 means none given.
    int InsertColumn(int index, const QString& heading, int format = 0, int width = -1);
    bool DeleteColumn(int column);
    int ColumnCount() const;
    void ShowColumn(int column, bool show);
    bool IsColumnShown(int column) const;
    ReportColumnInfo GetColumnInfo(int column) const;
    int GetColumnWidth(int column) const;
    // Refused (false) for a hidden column.
    bool SetColumnWidth(int column, int width);
    // Column -1 sizes every column; to content, or to content and heading.
    void AutoSizeColumn(int column = -1, bool useHeading = false);
    void EnsureColumnVisible(int column, bool partialOk);
    bool EnableHeaderSort(bool on);
    void SetHeaderIcon(int column, int image, bool imageOnLeft = false);
    void SetImageList(const QList<QIcon>& images);
    QList<QIcon> ImageList() const;
    void SetHeaderImageList(const QList<QIcon>& images);
    // The column show/hide menu: one checkable item per column (its data is the column),
    // Name and Path greyed, separators before columns 3 and 12.
    QMenu* BuildColumnMenu(QWidget* parent);
    // The stored column layout, 8 bytes per column.
    QByteArray ColumnLayoutBytes() const;
    // Applies a stored layout to the inserted columns: widths first, then hides the columns
    // stored as hidden. Records beyond the columns are ignored; widths are kept to 0..65535.
    void RestoreColumnLayout(const QByteArray& bytes);

    // Rows.
    int GetItemCount() const;
    int InsertItem(int row, const QString& text, int image = -1);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    bool SetItemNumber(int row, int column, double value, int decimals);
    // The owner's word for a row (ReportRowData::ownerData); setting it frees a record the row
    // owned.
    void* GetItemData(int row) const;
    bool SetItemData(int row, void* data);
    int GetItemImage(int row, int column) const;
    bool SetItemImage(int row, int column, int image);
    bool DeleteItem(int row, bool selectNext = false);
    int DeleteItems(unsigned selector);
    // Deletes every row flagged in doomed (one flag per row) in one pass; the others keep their
    // selection and focus. Returns the number deleted.
    int DeleteRows(const std::vector<char>& doomed);
    int MoveRow(int row, int to);

    // Row states.
    unsigned ReadRowStates(int row) const;
    bool ApplyRowStates(int row, unsigned flags);
    int CountRows(unsigned selector) const;
    int FindNextRow(unsigned selector, int after) const;
    int ApplyStatesToRows(unsigned selector, unsigned flags);
    void InvertSelection();

    // Colours; an invalid colour stands for the palette's text (or base) colour. A row or
    // column out of range means every row (or every column).
    void SetCellTextColour(int row, int column, const QColor& colour, bool redraw = false);
    void SetCellBackColour(int row, int column, const QColor& colour, bool redraw = false);
    QColor CellTextColour(int row, int column) const;
    QColor CellBackColour(int row, int column) const;
    void RecolourRows(bool highlightSortColumn);

    // Sorting by `sortKeys`.
    void SortRows(int first, int last, bool highlightSortColumn);

    // In-place editing.
    void EnableCellEditing(bool on);
    bool AllowColumnEditing(int column);
    bool BeginCellEdit(int row, int column);
    bool EndCellEdit(bool commit);
    bool HasOpenEditor() const;
    int EditRow() const { return editRow; }
    int EditColumn() const { return editColumn; }
    QLineEdit* Editor() const { return editor; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnColumnClick(int column);
    void OnSectionMoved(int column, int oldVisual, int newVisual);
    void OnSectionResized(int column);
    void OnHeaderContextMenu(const QPoint& pos);
    // In-place editing helpers.
    void HandlePress(QMouseEvent* event, bool doubleClick);
    // True when event is a key the open editor acts on; handled is the event's result then.
    bool InterceptEditKey(QEvent* event, bool& handled);
    bool HandleEditKey(QKeyEvent* event);
    void PlaceEditor(int row, int column);

    ReportListModel* listModel;
    ReportHeaderView* headerView;
    const ReportOwnerRecords* ownerRecords = nullptr;
    ReportColumns columns;
    ReportSelection selection;
    ReportCellColours colours;
    bool showHints = false;
    int redrawSuspended = 0;
    QList<QMetaObject::Connection> ownConnections;

    ReportEditableColumns editableColumns;
    QLineEdit* editor = nullptr;
    bool editingEnabled = false;
    int editRow = -1;
    int editColumn = -1;
    int editorAlignment = 0;
};

}  // namespace tonquill
