#include "app/ConvProgLog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cstdint>

#include "app/ConvProgFigures.h"
#include "ui/ReportCtrl.h"
#include "ui/ReportRowState.h"

namespace tonquill {

namespace {

// Column formats of the report list.
constexpr int FormatLeft = 0;
constexpr int FormatCentre = 2;
constexpr unsigned HeaderDragDrop = 0x10;
// Room either side of a description's text in its cell.
constexpr int DescriptionMargin = 8;

}  // namespace

ConvProgLog::ConvProgLog(QWidget* parent) : list_(new CReportCtrl(parent)) {
    list_->InsertColumn(ColumnEmpty, QString(), FormatLeft, 0);
    list_->InsertColumn(ColumnNumber, QStringLiteral("#"), FormatCentre, 55);
    list_->InsertColumn(ColumnTime, QStringLiteral("Time"), FormatCentre, 63);
    list_->InsertColumn(ColumnDescription, QStringLiteral("Description"), FormatLeft, 500);
    // Full-row selection and movable headers; no sorting and no column menu in the log.
    list_->ApplyExtendedStyle(HeaderDragDrop);
    list_->EnableHeaderSort(false);
    list_->header()->setContextMenuPolicy(Qt::NoContextMenu);
    // Several lines may be selected to copy them.
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setFrameShape(QFrame::StyledPanel);
    list_->setTextElideMode(Qt::ElideNone);
    list_->viewport()->installEventFilter(this);

    auto* copy = new QAction(QStringLiteral("Copy"), list_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(copy, &QAction::triggered, this, [this] { CopySelection(); });
    list_->addAction(copy);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list_, &QWidget::customContextMenuRequested, this,
                     [this](const QPoint& pos) { ShowMenu(pos); });
    askSavePath = [this] {
        return QFileDialog::getSaveFileName(list_->window(), QStringLiteral("Save Log As"),
                                            QStringLiteral("Tonquill log.txt"),
                                            QStringLiteral("Text Files (*.txt);;All Files (*)"));
    };
}

QWidget* ConvProgLog::Widget() const {
    return list_;
}

void ConvProgLog::Append(const QString& number, const QString& time, const QString& text,
                         int level) {
    const int row = list_->InsertItem(list_->GetItemCount(), QString());
    list_->SetItemText(row, ColumnNumber, number);
    list_->SetItemText(row, ColumnTime, time);
    list_->SetItemText(row, ColumnDescription, text);
    // The column grows with its longest line, so no line is cut short.
    const int width = list_->fontMetrics().horizontalAdvance(text) + 2 * DescriptionMargin;
    if (width > widest_) {
        widest_ = width;
        FitDescription();
    }
    list_->SetItemData(row, reinterpret_cast<void*>(static_cast<intptr_t>(level)));
    // Rows only ever join at the end or all go at once, so a row's band never changes.
    const QColor fore = LogTextColour(level);
    const QColor back = LogBackground(row);
    for (int column = 0; column < list_->ColumnCount(); ++column) {
        if (fore.isValid()) {
            list_->SetCellTextColour(row, column, fore);
        }
        list_->SetCellBackColour(row, column, back);
    }
    list_->scrollToBottom();
}

void ConvProgLog::Clear() {
    list_->DeleteItems(ROW_ALL);
    widest_ = 0;
    FitDescription();
}

int ConvProgLog::RowCount() const {
    return list_->GetItemCount();
}

QString ConvProgLog::Cell(int row, int column) const {
    return list_->GetItemText(row, column);
}

int ConvProgLog::Level(int row) const {
    if (row < 0 || row >= list_->GetItemCount()) {
        return -1;
    }
    return static_cast<int>(reinterpret_cast<intptr_t>(list_->GetItemData(row)));
}

QColor ConvProgLog::TextColour(int row, int column) const {
    return list_->CellTextColour(row, column);
}

QColor ConvProgLog::BackColour(int row, int column) const {
    return list_->CellBackColour(row, column);
}

int ConvProgLog::AvailableWidth() const {
    int others = 0;
    for (int column = 0; column < list_->ColumnCount(); ++column) {
        if (column != ColumnDescription && list_->IsColumnShown(column)) {
            others += list_->GetColumnWidth(column);
        }
    }
    return list_->viewport()->width() - others;
}

void ConvProgLog::FitDescription() {
    const int width = std::max(widest_, AvailableWidth());
    if (width > 0 && width != list_->GetColumnWidth(ColumnDescription)) {
        list_->SetColumnWidth(ColumnDescription, width);
    }
}

QString ConvProgLog::RowsText(const std::vector<int>& rows) const {
    QString text;
    for (int row : rows) {
        text += Cell(row, ColumnNumber).trimmed() + QLatin1Char('\t') + Cell(row, ColumnTime) +
                QLatin1Char('\t') + Cell(row, ColumnDescription) + QLatin1Char('\n');
    }
    return text;
}

QString ConvProgLog::SelectedText() const {
    std::vector<int> rows;
    for (int row = list_->FindNextRow(ROW_SELECTED, -1); row >= 0;
         row = list_->FindNextRow(ROW_SELECTED, row)) {
        rows.push_back(row);
    }
    return RowsText(rows);
}

void ConvProgLog::CopySelection() {
    const QString text = SelectedText();
    if (!text.isEmpty()) {
        QApplication::clipboard()->setText(text);
    }
}

QString ConvProgLog::SaveTo(const QString& path) const {
    std::vector<int> rows(static_cast<size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row) {
        rows[static_cast<size_t>(row)] = row;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write(RowsText(rows).toUtf8());
        if (file.commit()) {
            return {};
        }
    }
    return QStringLiteral("The log could not be saved to %1: %2.").arg(path, file.errorString());
}

void ConvProgLog::SaveAs() {
    const QString path = askSavePath ? askSavePath() : QString();
    if (path.isEmpty()) {
        return;
    }
    const QString problem = SaveTo(path);
    if (!problem.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tonquill"), problem, QMessageBox::Ok,
                        list_->window());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}

void ConvProgLog::ShowMenu(const QPoint& pos) {
    QMenu menu(list_);
    QAction* copy = menu.addAction(QStringLiteral("Copy"), [this] { CopySelection(); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(list_->FindNextRow(ROW_SELECTED, -1) >= 0);
    QAction* save = menu.addAction(QStringLiteral("Save Log As..."), [this] { SaveAs(); });
    save->setEnabled(RowCount() > 0);
    menu.exec(list_->viewport()->mapToGlobal(pos));
}

bool ConvProgLog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::Resize) {
            FitDescription();
        } else if (event->type() == QEvent::ToolTip) {
            // The whole line, however wide the column is.
            auto* help = static_cast<QHelpEvent*>(event);
            const QModelIndex index = list_->indexAt(help->pos());
            if (index.isValid()) {
                QToolTip::showText(help->globalPos(), Cell(index.row(), ColumnDescription),
                                   list_->viewport());
            } else {
                QToolTip::hideText();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tonquill
