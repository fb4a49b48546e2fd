#include "ui/ReportCtrl.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>

#include "base/Format.h"
#include "base/Tick.h"
#include "ui/ReportColumnMenu.h"
#include "ui/ReportEditKeys.h"
#include "ui/ReportEvents.h"
#include "ui/ReportHeaderView.h"
#include "ui/ReportHints.h"
#include "ui/ReportListModel.h"
#include "ui/ReportRowSorter.h"

namespace tonquill {

std::atomic<int> g_listBusy{0};

CReportCtrl::CReportCtrl(QWidget* parent)
    : QTreeView(parent),
      listModel(new ReportListModel(this)),
      headerView(new ReportHeaderView(this)),
      columns(*headerView),
      selection(*listModel, *this),
      colours(*listModel) {
    headerView->SetReportModel(listModel);
    setHeader(headerView);
    setModel(listModel);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSortingEnabled(false);
    headerView->setStretchLastSection(false);
    headerView->setSectionsClickable(true);
    headerView->setSectionsMovable(false);
    headerView->setMinimumSectionSize(0);
    headerView->viewport()->installEventFilter(this);

    ownConnections << connect(headerView, &QHeaderView::sectionClicked, this,
                              &CReportCtrl::OnColumnClick);
    ownConnections << connect(headerView, &QHeaderView::sectionMoved, this,
                              &CReportCtrl::OnSectionMoved);
    ownConnections << connect(headerView, &QHeaderView::sectionResized, this,
                              [this](int column, int, int) { OnSectionResized(column); });
    // A divider double-click sizes the column to its content only, not to its heading.
    disconnect(headerView, SIGNAL(sectionHandleDoubleClicked(int)), this, nullptr);
    ownConnections << connect(headerView, &QHeaderView::sectionHandleDoubleClicked, this,
                              [this](int column) { AutoSizeColumn(column, false); });
    const auto invalidateSelected = [this] { selection.Invalidate(); };
    ownConnections << connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                              invalidateSelected);
    ownConnections << connect(listModel, &QAbstractItemModel::rowsInserted, this,
                              invalidateSelected);
    ownConnections << connect(listModel, &QAbstractItemModel::rowsRemoved, this,
                              invalidateSelected);
    ownConnections << connect(listModel, &QAbstractItemModel::rowsMoved, this, invalidateSelected);
    ownConnections << connect(listModel, &QAbstractItemModel::layoutChanged, this,
                              invalidateSelected);
    ownConnections << connect(listModel, &QAbstractItemModel::modelReset, this, invalidateSelected);
    // Scrolling moves the cell away from under the edit box, so the typed text is dropped.
    ownConnections << connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
                              [this] { EndCellEdit(false); });
    ownConnections << connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
                              [this] { EndCellEdit(false); });
}

CReportCtrl::~CReportCtrl() {
    // Children go after this object; their last signals must not reach it. The owner's
    // records stay the owner's: only the list's own row data goes with the model.
    for (const QMetaObject::Connection& connection : ownConnections) {
        disconnect(connection);
    }
    editRow = -1;
    editColumn = -1;
}

void CReportCtrl::ApplyExtendedStyle(unsigned style) {
    // Full-row selection and sub-item images are always on; of the rest only header
    // drag-and-drop changes anything here (grid lines, info tips and double buffering are the
    // toolkit's own business).
    constexpr unsigned kHeaderDragDrop = 0x10;
    headerView->setSectionsMovable((style & kHeaderDragDrop) != 0);
}

void CReportCtrl::ShowEmptyHints(bool on) {
    showHints = on;
    viewport()->update();
}

void CReportCtrl::SetRedraw(bool on) {
    redrawSuspended = on ? 0 : 1;
    setUpdatesEnabled(on);
    if (on) {
        viewport()->update();
    }
}

// ---- Columns ----

int CReportCtrl::InsertColumn(int index, const QString& heading, int format, int width) {
    EndCellEdit(true);
    index = std::clamp(index, 0, ColumnCount());
    ReportHeaderColumn column;
    column.heading = heading;
    column.format = format;
    listModel->InsertColumn(index, column, palette().color(QPalette::Text).rgb(),
                            palette().color(QPalette::Base).rgb());
    columns.Insert(index, width);
    return index;
}

bool CReportCtrl::DeleteColumn(int column) {
    if (column < 0 || column >= ColumnCount()) {
        return false;
    }
    EndCellEdit(column != editColumn);
    listModel->RemoveColumn(column);
    columns.Remove(column);
    return true;
}

int CReportCtrl::ColumnCount() const {
    return listModel->columnCount();
}

void CReportCtrl::ShowColumn(int column, bool show) {
    // Committing may let the owner change the list, so the column is checked afterwards.
    EndCellEdit(true);
    if (column < 0 || column >= ColumnCount()) {
        return;
    }
    // Hiding a hidden column would overwrite its remembered width with 0, and showing a
    // shown one would reset a width the user chose; both change nothing.
    if (columns.IsShown(column) == show) {
        return;
    }
    SetRedraw(false);
    columns.Show(column, show);
    SetRedraw(true);
}

bool CReportCtrl::IsColumnShown(int column) const {
    return columns.IsShown(column);
}

ReportColumnInfo CReportCtrl::GetColumnInfo(int column) const {
    return columns.Info(column);
}

int CReportCtrl::GetColumnWidth(int column) const {
    return columns.Width(column);
}

bool CReportCtrl::SetColumnWidth(int column, int width) {
    return columns.SetWidth(column, width);
}

void CReportCtrl::AutoSizeColumn(int column, bool useHeading) {
    const int first = column < 0 ? 0 : column;
    const int last = column < 0 ? ColumnCount() - 1 : std::min(column, ColumnCount() - 1);
    for (int c = first; c <= last; ++c) {
        if (!IsColumnShown(c)) {
            continue;
        }
        int width = sizeHintForColumn(c);
        if (width < 0 || useHeading) {
            width = std::max(width, headerView->sectionSizeHint(c));
        }
        SetColumnWidth(c, width);
    }
}

void CReportCtrl::EnsureColumnVisible(int column, bool partialOk) {
    if (column < 0 || column >= ColumnCount()) {
        return;
    }
    const int left = headerView->sectionViewportPosition(column);
    const int right = left + headerView->sectionSize(column);
    const int width = viewport()->width();
    int scrollBy = 0;
    if (partialOk && right > 0 && left < width) {
        return;
    }
    if (right - left <= width && left >= 0) {
        if (right > width) {
            scrollBy = right - width;
        }
    } else {
        scrollBy = left;
    }
    if (scrollBy != 0) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + scrollBy);
    }
}

bool CReportCtrl::EnableHeaderSort(bool on) {
    if (isHeaderHidden()) {
        return false;
    }
    headerView->setSectionsClickable(on);
    headerView->viewport()->update();
    return true;
}

void CReportCtrl::SetHeaderIcon(int column, int image, bool imageOnLeft) {
    if (column < 0 || column >= ColumnCount()) {
        return;
    }
    if (listModel->HeaderImages().isEmpty()) {
        listModel->SetHeaderImages(listModel->RowImages());
    }
    listModel->SetHeaderImage(column, image, imageOnLeft);
}

void CReportCtrl::SetImageList(const QList<QIcon>& images) {
    listModel->SetRowImages(images);
}

QList<QIcon> CReportCtrl::ImageList() const {
    return listModel->RowImages();
}

void CReportCtrl::SetHeaderImageList(const QList<QIcon>& images) {
    listModel->SetHeaderImages(images);
}

QMenu* CReportCtrl::BuildColumnMenu(QWidget* parent) {
    return BuildReportColumnMenu(*listModel, columns, parent);
}

void CReportCtrl::OnHeaderContextMenu(const QPoint& globalPos) {
    const QPoint inHeader = headerView->mapFromGlobal(globalPos);
    if (!headerView->rect().contains(inHeader)) {
        return;
    }
    QMenu* menu = BuildColumnMenu(this);
    QAction* chosen = menu->exec(globalPos);
    if (chosen != nullptr) {
        const int column = chosen->data().toInt();
        ShowColumn(column, !IsColumnShown(column));
    }
    delete menu;
}

QByteArray CReportCtrl::ColumnLayoutBytes() const {
    return columns.Layout().ToBytes();
}

void CReportCtrl::RestoreColumnLayout(const QByteArray& bytes) {
    const ReportColumnLayout layout = ReportColumnLayout::FromBytes(bytes);
    const int count = std::min(layout.ColumnCount(), ColumnCount());
    for (int column = 0; column < count; ++column) {
        SetColumnWidth(column, layout.RestoredWidth(column));
    }
    for (int column = 0; column < count; ++column) {
        if (layout.RestoresHidden(column)) {
            ShowColumn(column, false);
        }
    }
}

void CReportCtrl::OnSectionMoved(int, int, int newVisual) {
    if (columns.ChangingLayout()) {
        return;
    }
    EndCellEdit(false);
    columns.KeepHiddenColumnsFirst(newVisual);
    viewport()->update();
}

void CReportCtrl::OnSectionResized(int) {
    if (columns.ChangingLayout()) {
        return;
    }
    EndCellEdit(false);
}

// ---- Rows ----

int CReportCtrl::GetItemCount() const {
    return listModel->RowCount();
}

int CReportCtrl::InsertItem(int row, const QString& text, int image) {
    EndCellEdit(true);
    ReportRowData data;
    ReportCell blank;
    blank.textColour = palette().color(QPalette::Text).rgb();
    blank.backColour = palette().color(QPalette::Base).rgb();
    data.cells.assign(static_cast<size_t>(ColumnCount()), blank);
    if (!data.cells.empty()) {
        data.cells[0].text = text;
        data.cells[0].image = image;
    }
    row = std::clamp(row, 0, GetItemCount());
    listModel->InsertRow(row, std::move(data));
    return row;
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text) {
    EndCellEdit(true);
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= ColumnCount()) {
        return false;
    }
    listModel->SetCellText(row, column, text);
    return true;
}

QString CReportCtrl::GetItemText(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= ColumnCount()) {
        return {};
    }
    return listModel->Row(row).cells[column].text;
}

bool CReportCtrl::SetItemNumber(int row, int column, double value, int decimals) {
    std::string text;
    if (decimals < 0) {
        text = Format("%f", value);
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
        while (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
    } else {
        text = Format("%.*f", decimals, value);
    }
    return SetItemText(row, column, QString::fromStdString(text));
}

void* CReportCtrl::GetItemData(int row) const {
    if (row < 0 || row >= GetItemCount()) {
        return nullptr;
    }
    return listModel->Row(row).ownerData;
}

bool CReportCtrl::SetItemData(int row, void* data) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    ReportRowData& target = listModel->MutableRow(row);
    target.ownerData = data;
    target.record.reset();  // a record the row owned goes with the word that named it
    return true;
}

int CReportCtrl::GetItemImage(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= ColumnCount()) {
        return -1;
    }
    return listModel->Row(row).cells[column].image;
}

bool CReportCtrl::SetItemImage(int row, int column, int image) {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= ColumnCount()) {
        return false;
    }
    listModel->SetCellImage(row, column, image);
    return true;
}

bool CReportCtrl::DeleteItem(int row, bool selectNext) {
    EndCellEdit(row != editRow);
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    if (selectNext && row + 1 < GetItemCount()) {
        ApplyRowStates(row + 1, ROW_SELECTED);
    }
    listModel->RemoveRows(row, 1);
    return true;
}

int CReportCtrl::DeleteItems(unsigned selector) {
    EndCellEdit(false);
    if (selector == 0) {
        return 0;
    }
    if (selector & ROW_ALL) {
        SetRedraw(false);
        const int deleted = GetItemCount();
        listModel->Clear();
        SetRedraw(true);
        return deleted;
    }
    return DeleteRows(selection.Matching(selector));
}

int CReportCtrl::DeleteRows(const std::vector<char>& doomed) {
    EndCellEdit(false);
    SetRedraw(false);
    const int count = GetItemCount();
    const std::vector<char> selected = selection.SelectedRows();
    const int current = selection.CurrentRow();
    std::vector<int> keptSelected;
    int keptCurrent = -1;
    int deleted = 0;
    for (int row = 0; row < count; ++row) {
        if (row < static_cast<int>(doomed.size()) && doomed[row]) {
            ++deleted;
            continue;
        }
        const int newRow = row - deleted;
        if (selected[row]) {
            keptSelected.push_back(newRow);
        }
        if (row == current) {
            keptCurrent = newRow;
        }
    }
    if (deleted > 0) {
        std::vector<char> flags(doomed.begin(),
                                doomed.begin() + std::min<size_t>(doomed.size(), count));
        flags.resize(static_cast<size_t>(count), 0);
        listModel->RemoveFlaggedRows(flags);
        // Many scattered removals rebuild the rows; the survivors keep their states.
        selectionModel()->clearSelection();
        selection.Select(keptSelected, true);
        if (keptCurrent >= 0) {
            selectionModel()->setCurrentIndex(listModel->index(keptCurrent, 0),
                                              QItemSelectionModel::NoUpdate);
        }
    }
    SetRedraw(true);
    return deleted;
}

int CReportCtrl::MoveRow(int row, int to) {
    if (row < 0 || row >= GetItemCount()) {
        return -1;
    }
    EndCellEdit(true);
    if (row >= GetItemCount()) {  // the owner removed rows while handling the edit
        return -1;
    }
    const int target = std::clamp(to, 0, GetItemCount() - 1);
    if (target != row) {
        listModel->MoveRow(row, target);
    }
    return target;
}

// ---- Row states ----

unsigned CReportCtrl::ReadRowStates(int row) const {
    return selection.Read(row);
}

bool CReportCtrl::ApplyRowStates(int row, unsigned flags) {
    return selection.Apply(row, flags);
}

int CReportCtrl::CountRows(unsigned selector) const {
    return selection.Count(selector);
}

int CReportCtrl::FindNextRow(unsigned selector, int after) const {
    return selection.FindNext(selector, after);
}

int CReportCtrl::ApplyStatesToRows(unsigned selector, unsigned flags) {
    return selection.ApplyToMatching(selector, flags);
}

void CReportCtrl::InvertSelection() {
    selection.Invert();
}

// ---- Colours ----

void CReportCtrl::SetCellTextColour(int row, int column, const QColor& colour, bool redraw) {
    const QColor actual = colour.isValid() ? colour : palette().color(QPalette::Text);
    colours.Set(row, column, ReportCellColours::Part::Text, actual.rgb());
    if (redraw) {
        viewport()->update();
    }
}

void CReportCtrl::SetCellBackColour(int row, int column, const QColor& colour, bool redraw) {
    const QColor actual = colour.isValid() ? colour : palette().color(QPalette::Base);
    colours.Set(row, column, ReportCellColours::Part::Back, actual.rgb());
    if (redraw) {
        viewport()->update();
    }
}

QColor CReportCtrl::CellTextColour(int row, int column) const {
    return colours.Get(row, column, ReportCellColours::Part::Text);
}

QColor CReportCtrl::CellBackColour(int row, int column) const {
    return colours.Get(row, column, ReportCellColours::Part::Back);
}

void CReportCtrl::RecolourRows(bool highlightSortColumn) {
    SetRedraw(false);
    const int sortColumn = sortKeys.empty() ? -1 : sortKeys.front().column;
    colours.Band(ownerRecords, highlightSortColumn ? sortColumn : -1);
    SetRedraw(true);
}

// ---- Sorting ----

void CReportCtrl::OnColumnClick(int column) {
    PromoteSortKey(sortKeys, column);
    EndCellEdit(true);
    if (column >= 0 && column < ColumnCount() && !isHeaderHidden() &&
        headerView->sectionsClickable()) {
        SortRows(0, GetItemCount() - 1, true);
    }
}

void CReportCtrl::SortRows(int first, int last, bool highlightSortColumn) {
    EndCellEdit(true);
    g_listBusy = 1;
    SetRedraw(false);
    const ColumnSortInfo primary = sortKeys.empty() ? ColumnSortInfo{} : sortKeys.front();
    if (first >= 0 && first < last && last < GetItemCount() && !sortKeys.empty()) {
        ReportRowSorter sorter(*listModel, ownerRecords, sortKeys, first, last);
        listModel->ReorderRows(first, sorter.Order());
    }
    if (notifyTarget) {
        QCoreApplication::postEvent(notifyTarget,
                                    new ReportSortedEvent(primary.column, primary.ascending != 0));
    }
    RecolourRows(highlightSortColumn);
    g_listBusy = 0;
}

// ---- Events ----

bool CReportCtrl::event(QEvent* event) {
    bool handled = false;
    if (editRow >= 0 && InterceptEditKey(event, handled)) {
        return handled;
    }
    return QTreeView::event(event);
}

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == headerView->viewport() && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        // A menu asked for from the keyboard has no point on the header; it is ignored.
        if (menuEvent->reason() != QContextMenuEvent::Keyboard) {
            OnHeaderContextMenu(menuEvent->globalPos());
        }
        return true;
    }
    bool handled = false;
    if (editor != nullptr && watched == static_cast<QObject*>(editor) &&
        InterceptEditKey(event, handled)) {
        return handled;
    }
    return QTreeView::eventFilter(watched, event);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    switch (ListKeyActionFor(event->key(), event->modifiers(), editRow >= 0)) {
        case ListKeyAction::SizeColumnsToContent:
            AutoSizeColumn(-1, false);
            event->accept();
            return;
        case ListKeyAction::Swallow:
            event->accept();
            return;
        case ListKeyAction::None:
            break;
    }
    QTreeView::keyPressEvent(event);
}

void CReportCtrl::wheelEvent(QWheelEvent* event) {
    EndCellEdit(false);
    QTreeView::wheelEvent(event);
}

void CReportCtrl::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (showHints && GetItemCount() == 0) {
        // The line changes with the next repaint that falls into another 6-second slot.
        PaintReportHint(*viewport(), font(), ReportHintText(ReportHintIndexForTick(TickCount())));
    }
}

}  // namespace tonquill
