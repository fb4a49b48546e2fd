// The in-place cell editor of CReportCtrl: opening, closing and the keys that move it.
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

#include "ui/ReportCtrl.h"
#include "ui/ReportEditKeys.h"
#include "ui/ReportEvents.h"
#include "ui/ReportListModel.h"

namespace tonquill {

namespace {

// A cell with an image beside its text starts its text this much further right.
constexpr int kEditorImageShift = 16;

Qt::Alignment EditorAlignment(int alignment) {
    switch (alignment) {
        case 1:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case 2:
            return Qt::AlignRight | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

void CReportCtrl::EnableCellEditing(bool on) {
    if (!on) {
        EndCellEdit(true);
    }
    editingEnabled = on;
}

bool CReportCtrl::AllowColumnEditing(int column) {
    if (column < 0 || column >= ColumnCount()) {
        return false;
    }
    return editableColumns.Allow(column);
}

bool CReportCtrl::HasOpenEditor() const {
    return editRow >= 0 && editColumn >= 0 && editRow < GetItemCount() &&
           editColumn < ColumnCount();
}

bool CReportCtrl::BeginCellEdit(int row, int column) {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= ColumnCount()) {
        return false;
    }
    if (row == editRow && column == editColumn) {
        return true;
    }
    EndCellEdit(true);
    // The owner may have changed the rows while it handled the committed edit.
    if (row >= GetItemCount() || column >= ColumnCount()) {
        return false;
    }

    // Only the edited row is selected and focused. Selecting and scrolling come before the
    // edit state is set, since scrolling closes an open edit.
    const QModelIndex cell = listModel->index(row, column);
    selectionModel()->setCurrentIndex(
        cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(cell);
    editRow = row;
    editColumn = column;

    const int format = listModel->Column(column).format;
    const int alignment = format == 2 ? 1 : (format == 1 ? 2 : 0);
    if (editor == nullptr || alignment != editorAlignment) {
        delete editor;
        editor = new QLineEdit(viewport());
        editor->setFrame(true);
        editor->setAlignment(EditorAlignment(alignment));
        editor->installEventFilter(this);
        editorAlignment = alignment;
    }
    editor->setFont(font());
    PlaceEditor(row, column);

    const QString text = GetItemText(row, column);
    editor->setText(text);
    editor->show();
    // The name is preselected without its extension.
    const int dot = static_cast<int>(text.lastIndexOf(QLatin1Char('.')));
    if (dot >= 0) {
        editor->setSelection(0, dot);
    } else {
        editor->selectAll();
    }
    editor->setFocus();
    if (column == 0) {
        editStartText = GetItemText(row, 0);
    }
    return true;
}

void CReportCtrl::PlaceEditor(int row, int column) {
    QRect rect = visualRect(listModel->index(row, column));
    const int image = GetItemImage(row, column);
    if (image >= 0 && image < ImageList().size()) {
        rect.setLeft(rect.left() + kEditorImageShift);
    }
    editor->setGeometry(rect);
}

bool CReportCtrl::EndCellEdit(bool commit) {
    if (editRow < 0 || editColumn < 0 || editor == nullptr) {
        return false;
    }
    const int row = editRow;
    const int column = editColumn;
    // Closed before anything else, so that the owner's handling of the notification (which
    // may write the old name back) finds no edit to close again.
    editRow = -1;
    editColumn = -1;
    const QString text = editor->text();
    if (editor->hasFocus()) {
        setFocus();
    }
    editor->hide();
    if (!commit || row >= GetItemCount() || column >= ColumnCount() ||
        text == GetItemText(row, column)) {
        return false;
    }
    listModel->SetCellText(row, column, text);
    if (notifyTarget) {
        ReportCellEditedEvent edited(row, column, this);
        QCoreApplication::sendEvent(notifyTarget, &edited);
    }
    return true;
}

bool CReportCtrl::InterceptEditKey(QEvent* event, bool& handled) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (EditKeyActionFor(key->key(), key->modifiers()) == EditKeyAction::None) {
        return false;
    }
    // The editor's keys must not be taken by shortcuts first.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        handled = true;
    } else {
        handled = HandleEditKey(key);
    }
    return true;
}

bool CReportCtrl::HandleEditKey(QKeyEvent* event) {
    const EditKeyAction action = EditKeyActionFor(event->key(), event->modifiers());
    const int row = editRow;
    const int column = editColumn;
    switch (action) {
        case EditKeyAction::None:
            return false;
        case EditKeyAction::Commit:
            EndCellEdit(true);
            break;
        case EditKeyAction::Discard:
            EndCellEdit(false);
            break;
        case EditKeyAction::NextColumn:
        case EditKeyAction::PreviousColumn: {
            EndCellEdit(true);
            if (editableColumns.IsEmpty()) {
                break;
            }
            const int nextColumn = action == EditKeyAction::NextColumn
                                       ? editableColumns.Next(column)
                                       : editableColumns.Previous(column);
            EnsureColumnVisible(nextColumn, false);
            BeginCellEdit(row, nextColumn);
            break;
        }
        case EditKeyAction::RowUp:
        case EditKeyAction::RowDown: {
            EndCellEdit(true);
            const int count = GetItemCount();
            if (count == 0) {
                break;
            }
            const int nextRow = EditRowAfter(action, row, count);
            scrollTo(listModel->index(nextRow, column));
            BeginCellEdit(nextRow, column);
            break;
        }
    }
    event->accept();
    return true;
}

void CReportCtrl::HandlePress(QMouseEvent* event, bool doubleClick) {
    const QModelIndex at = indexAt(event->position().toPoint());
    const int row = at.isValid() ? at.row() : -1;
    const int column = at.isValid() ? at.column() : -1;
    const bool wasEditing = editRow >= 0;
    EndCellEdit(true);
    const bool wasSelectedAndFocused =
        row >= 0 && selectionModel()->isRowSelected(row, {}) && currentIndex().row() == row;
    if (doubleClick) {
        QTreeView::mouseDoubleClickEvent(event);
    } else {
        QTreeView::mousePressEvent(event);
    }
    // A second click on the selected row's editable cell opens the editor there.
    if (event->button() == Qt::LeftButton && editingEnabled && !wasEditing &&
        wasSelectedAndFocused && editableColumns.Contains(column)) {
        BeginCellEdit(row, column);
    }
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    HandlePress(event, false);
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    HandlePress(event, true);
}

}  // namespace tonquill
