#include "ui/ReportCtrl.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "base/Format.h"
#include "base/Tick.h"
#include "ui/ReportEditKeys.h"
#include "ui/ReportEvents.h"
#include "ui/ReportHeaderView.h"
#include "ui/ReportHints.h"
#include "ui/ReportListModel.h"
#include "ui/ReportOwnerRecords.h"
#include "ui/ReportRowSorter.h"

namespace tonquill {

std::atomic<int> g_listBusy{0};

namespace {

// Row backgrounds of RecolourRows: banded rows, the sort column a shade deeper, unreadable
// files pink whatever their band.
constexpr QRgb kUnreadableBack = qRgb(255, 225, 241);
constexpr QRgb kOddSortBack = qRgb(235, 238, 250);
constexpr QRgb kOddBack = qRgb(243, 245, 252);
constexpr QRgb kEvenSortBack = qRgb(247, 248, 253);
constexpr QRgb kEvenBack = qRgb(255, 255, 255);

constexpr QRgb kHintText = qRgb(106, 106, 255);
constexpr QRgb kHintBack = qRgb(255, 255, 255);
constexpr double kHintPointSize = 15.6;

// Columns before which the show/hide menu puts a separator (Tag and Size(MB) on the file
// list), and the columns it never lets the user hide (Name and Path).
constexpr int kMenuSeparatorBefore[] = {3, 12};
constexpr int kAlwaysShownColumns = 2;
constexpr int kMaxHeadingChars = 511;

}  // namespace

CReportCtrl::CReportCtrl(QWidget* parent)
    : QTreeView(parent),
      listModel(new ReportListModel(this)),
      headerView(new ReportHeaderView(this)) {
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
    const auto invalidateSelected = [this] { selectedCacheValid = false; };
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
    ReportColumnInfo info;
    info.savedWidth = width >= 0 ? width : 0;
    columns.insert(columns.begin() + index, info);
    ownLayoutChange = true;
    headerView->resizeSection(index, width >= 0 ? width : headerView->defaultSectionSize());
    ownLayoutChange = false;
    return index;
}

bool CReportCtrl::DeleteColumn(int column) {
    if (column < 0 || column >= ColumnCount()) {
        return false;
    }
    EndCellEdit(column != editColumn);
    listModel->RemoveColumn(column);
    columns.erase(columns.begin() + column);
    return true;
}

int CReportCtrl::ColumnCount() const {
    return listModel->columnCount();
}

std::vector<int> CReportCtrl::DisplayOrder() const {
    std::vector<int> order(static_cast<size_t>(ColumnCount()));
    for (int position = 0; position < ColumnCount(); ++position) {
        order[position] = headerView->logicalIndex(position);
    }
    return order;
}

void CReportCtrl::ApplyDisplayOrder(const std::vector<int>& order) {
    ownLayoutChange = true;
    for (int position = 0; position < static_cast<int>(order.size()); ++position) {
        const int from = headerView->visualIndex(order[position]);
        if (from != position) {
            headerView->moveSection(from, position);
        }
    }
    ownLayoutChange = false;
}

void CReportCtrl::ShowColumn(int column, bool show) {
    // Committing may let the owner change the list, so the column is checked afterwards.
    EndCellEdit(true);
    if (column < 0 || column >= ColumnCount()) {
        return;
    }
    ReportColumnInfo& info = columns[column];
    // Hiding a hidden column would overwrite its remembered width with 0, and showing a
    // shown one would reset a width the user chose; both change nothing.
    if (static_cast<bool>(info.visible) == show) {
        return;
    }
    SetRedraw(false);
    std::vector<int> order = DisplayOrder();
    ownLayoutChange = true;
    if (!show) {
        info.restoreOrder = MoveHiddenColumnFirst(order, column);
        ApplyDisplayOrder(order);
        ownLayoutChange = true;
        info.savedWidth = headerView->sectionSize(column);
        headerView->hideSection(column);
        info.visible = 0;
    } else {
        MoveShownColumnRight(order, column, info.restoreOrder, columns);
        ApplyDisplayOrder(order);
        ownLayoutChange = true;
        info.visible = 1;
        headerView->showSection(column);
        headerView->resizeSection(column, info.savedWidth & 0xFFFF);
    }
    ownLayoutChange = false;
    SetRedraw(true);
}

bool CReportCtrl::IsColumnShown(int column) const {
    return column >= 0 && column < ColumnCount() && columns[column].visible != 0;
}

ReportColumnInfo CReportCtrl::GetColumnInfo(int column) const {
    if (column < 0 || column >= ColumnCount()) {
        return {};
    }
    return columns[column];
}

int CReportCtrl::GetColumnWidth(int column) const {
    if (column < 0 || column >= ColumnCount()) {
        return 0;
    }
    return headerView->sectionSize(column);
}

bool CReportCtrl::SetColumnWidth(int column, int width) {
    if (!IsColumnShown(column)) {
        return false;
    }
    ownLayoutChange = true;
    headerView->resizeSection(column, std::max(width, 0));
    ownLayoutChange = false;
    return true;
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
    auto* menu = new QMenu(parent);
    for (int column = 0; column < ColumnCount(); ++column) {
        if (std::find(std::begin(kMenuSeparatorBefore), std::end(kMenuSeparatorBefore), column) !=
            std::end(kMenuSeparatorBefore)) {
            menu->addSeparator();
        }
        QAction* item = menu->addAction(listModel->Column(column).heading.left(kMaxHeadingChars));
        item->setData(column);
        item->setCheckable(true);
        item->setChecked(IsColumnShown(column));
        item->setEnabled(column >= kAlwaysShownColumns);
    }
    return menu;
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
    std::vector<ColumnLayoutRecord> records;
    for (int column = 0; column < ColumnCount(); ++column) {
        const bool shown = IsColumnShown(column);
        records.push_back(ColumnLayoutRecord{
            shown ? 1 : 0, shown ? headerView->sectionSize(column) : columns[column].savedWidth});
    }
    return ColumnLayoutToBytes(records);
}

void CReportCtrl::RestoreColumnLayout(const QByteArray& bytes) {
    const std::vector<ColumnLayoutRecord> records = ColumnLayoutFromBytes(bytes);
    const int count = std::min(static_cast<int>(records.size()), ColumnCount());
    for (int column = 0; column < count; ++column) {
        SetColumnWidth(column, std::clamp(records[column].width, 0, 0xFFFF));
    }
    for (int column = 0; column < count; ++column) {
        if (records[column].visible == 0) {
            ShowColumn(column, false);
        }
    }
}

void CReportCtrl::OnSectionMoved(int, int, int newVisual) {
    if (ownLayoutChange) {
        return;
    }
    EndCellEdit(false);
    // Hidden columns gather at the left; a column dropped among them goes just past them.
    int lastHiddenRight = -1;
    for (int column = 0; column < ColumnCount(); ++column) {
        const int visual = headerView->visualIndex(column);
        if (!IsColumnShown(column) && visual > newVisual) {
            lastHiddenRight = std::max(lastHiddenRight, visual);
        }
    }
    if (lastHiddenRight >= 0) {
        ownLayoutChange = true;
        headerView->moveSection(newVisual, lastHiddenRight);
        ownLayoutChange = false;
    }
    viewport()->update();
}

void CReportCtrl::OnSectionResized(int) {
    if (ownLayoutChange) {
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
    const int count = GetItemCount();
    std::vector<char> doomed(static_cast<size_t>(count), 0);
    const std::vector<char>& selected = SelectedRows();
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    for (int row = 0; row < count; ++row) {
        const unsigned state = ROW_UNCHECKED | (selected[row] ? ROW_SELECTED : ROW_UNSELECTED) |
                               (row == current ? ROW_FOCUSED : ROW_UNFOCUSED);
        doomed[row] = RowMatches(state, selector) ? 1 : 0;
    }
    return DeleteRows(doomed);
}

int CReportCtrl::DeleteRows(const std::vector<char>& doomed) {
    EndCellEdit(false);
    SetRedraw(false);
    const int count = GetItemCount();
    const std::vector<char> selected = SelectedRows();
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
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
        SelectRows(keptSelected, true);
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

const std::vector<char>& CReportCtrl::SelectedRows() const {
    if (selectedCacheValid && static_cast<int>(selectedCache.size()) == GetItemCount()) {
        return selectedCache;
    }
    selectedCache.assign(static_cast<size_t>(GetItemCount()), 0);
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < GetItemCount();
             ++row) {
            selectedCache[row] = 1;
        }
    }
    selectedCacheValid = true;
    return selectedCache;
}

void CReportCtrl::SelectRows(const std::vector<int>& rows, bool select) {
    if (rows.empty() || ColumnCount() == 0) {
        return;
    }
    // One selection of contiguous runs instead of a selection call per row.
    QItemSelection selection;
    const int lastColumn = ColumnCount() - 1;
    size_t start = 0;
    for (size_t i = 1; i <= rows.size(); ++i) {
        if (i == rows.size() || rows[i] != rows[i - 1] + 1) {
            selection.append(QItemSelectionRange(listModel->index(rows[start], 0),
                                                 listModel->index(rows[i - 1], lastColumn)));
            start = i;
        }
    }
    selectionModel()->select(
        selection, (select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                       QItemSelectionModel::Rows);
}

unsigned CReportCtrl::ReadRowStates(int row) const {
    if (row < 0 || row >= GetItemCount()) {
        return 0;
    }
    const bool selected =
        selectedCacheValid ? SelectedRows()[row] != 0 : selectionModel()->isRowSelected(row, {});
    const bool focused = currentIndex().isValid() && currentIndex().row() == row;
    // The list shows no check boxes, so every row reads as unchecked.
    return ROW_UNCHECKED | (selected ? ROW_SELECTED : ROW_UNSELECTED) |
           (focused ? ROW_FOCUSED : ROW_UNFOCUSED);
}

bool CReportCtrl::ApplyRowStates(int row, unsigned flags) {
    if (flags == 0 || row < 0 || row >= GetItemCount()) {
        return false;
    }
    bool ok = true;
    const QModelIndex at = listModel->index(row, 0);
    if (flags & ROW_SELECTED) {
        selectionModel()->select(at, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (flags & ROW_UNSELECTED) {
        selectionModel()->select(at, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    if (flags & ROW_CHECKED) {
        ok = false;  // no check boxes to check
    }
    if (flags & ROW_FOCUSED) {
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
    }
    if ((flags & ROW_UNFOCUSED) && currentIndex().isValid() && currentIndex().row() == row) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    return ok;
}

int CReportCtrl::CountRows(unsigned selector) const {
    if (selector == ROW_ALL) {
        return GetItemCount();
    }
    int count = 0;
    for (int row = FindNextRow(selector, -1); row >= 0; row = FindNextRow(selector, row)) {
        ++count;
    }
    return count;
}

int CReportCtrl::FindNextRow(unsigned selector, int after) const {
    if (selector == 0) {
        return -1;
    }
    const std::vector<char>& selected = SelectedRows();
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    for (int row = std::max(after, -1) + 1; row < GetItemCount(); ++row) {
        const unsigned state = ROW_UNCHECKED | (selected[row] ? ROW_SELECTED : ROW_UNSELECTED) |
                               (row == current ? ROW_FOCUSED : ROW_UNFOCUSED);
        if (RowMatches(state, selector)) {
            return row;
        }
    }
    return -1;
}

int CReportCtrl::ApplyStatesToRows(unsigned selector, unsigned flags) {
    if (selector == 0 || flags == 0) {
        return 0;
    }
    std::vector<int> matching;
    const std::vector<char> selected = SelectedRows();
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    for (int row = 0; row < GetItemCount(); ++row) {
        const unsigned state = ROW_UNCHECKED | (selected[row] ? ROW_SELECTED : ROW_UNSELECTED) |
                               (row == current ? ROW_FOCUSED : ROW_UNFOCUSED);
        if (RowMatches(state, selector)) {
            matching.push_back(row);
        }
    }
    if (matching.empty()) {
        return 0;
    }
    if (flags & ROW_SELECTED) {
        SelectRows(matching, true);
    }
    if (flags & ROW_UNSELECTED) {
        SelectRows(matching, false);
    }
    if (flags & ROW_FOCUSED) {
        selectionModel()->setCurrentIndex(listModel->index(matching.back(), 0),
                                          QItemSelectionModel::NoUpdate);
    }
    if ((flags & ROW_UNFOCUSED) && std::binary_search(matching.begin(), matching.end(), current)) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    return static_cast<int>(matching.size());
}

void CReportCtrl::InvertSelection() {
    if (GetItemCount() == 0 || ColumnCount() == 0) {
        return;
    }
    const QItemSelection all(listModel->index(0, 0),
                             listModel->index(GetItemCount() - 1, ColumnCount() - 1));
    selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

// ---- Colours ----

void CReportCtrl::SetColourOfCells(int row, int column, QRgb colour, bool text, bool redraw) {
    const bool rowIn = row >= 0 && row < GetItemCount();
    const bool columnIn = column >= 0 && column < ColumnCount();
    const int firstRow = rowIn ? row : 0;
    const int lastRow = rowIn ? row : GetItemCount() - 1;
    const int firstColumn = columnIn ? column : 0;
    const int lastColumn = columnIn ? column : ColumnCount() - 1;
    for (int r = firstRow; r <= lastRow; ++r) {
        std::vector<ReportCell>& cells = listModel->MutableRow(r).cells;
        for (int c = firstColumn; c <= lastColumn; ++c) {
            (text ? cells[c].textColour : cells[c].backColour) = colour;
        }
    }
    if (firstRow <= lastRow) {
        listModel->NotifyRowsChanged(firstRow, lastRow);
    }
    if (redraw) {
        viewport()->update();
    }
}

void CReportCtrl::SetCellTextColour(int row, int column, const QColor& colour, bool redraw) {
    const QColor actual = colour.isValid() ? colour : palette().color(QPalette::Text);
    SetColourOfCells(row, column, actual.rgb(), true, redraw);
}

void CReportCtrl::SetCellBackColour(int row, int column, const QColor& colour, bool redraw) {
    const QColor actual = colour.isValid() ? colour : palette().color(QPalette::Base);
    SetColourOfCells(row, column, actual.rgb(), false, redraw);
}

QColor CReportCtrl::CellTextColour(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= ColumnCount()) {
        return {};
    }
    return QColor::fromRgb(listModel->Row(row).cells[column].textColour);
}

QColor CReportCtrl::CellBackColour(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= ColumnCount()) {
        return {};
    }
    return QColor::fromRgb(listModel->Row(row).cells[column].backColour);
}

void CReportCtrl::RecolourRows(bool highlightSortColumn) {
    SetRedraw(false);
    const int sortColumn = sortKeys.empty() ? -1 : sortKeys.front().column;
    for (int row = 0; row < GetItemCount(); ++row) {
        ReportRowData& data = listModel->MutableRow(row);
        const bool unreadable = ownerRecords != nullptr && data.ownerData != nullptr &&
                                ownerRecords->IsUnreadable(data.ownerData);
        const bool odd = (row % 2) != 0;
        for (int column = 0; column < static_cast<int>(data.cells.size()); ++column) {
            const bool sorted = highlightSortColumn && column == sortColumn;
            QRgb back =
                odd ? (sorted ? kOddSortBack : kOddBack) : (sorted ? kEvenSortBack : kEvenBack);
            if (unreadable) {
                back = kUnreadableBack;
            }
            data.cells[column].backColour = back;
        }
    }
    listModel->NotifyRowsChanged();
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
    if (event->key() == Qt::Key_Plus && (event->modifiers() & Qt::ControlModifier) &&
        (event->modifiers() & Qt::KeypadModifier)) {
        AutoSizeColumn(-1, false);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && editRow < 0) {
        event->accept();
        return;
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
        PaintHint();
    }
}

void CReportCtrl::PaintHint() {
    // The line changes with the next repaint that falls into another 6-second slot.
    const QString text = ReportHintText(ReportHintIndexForTick(TickCount()));
    QPainter painter(viewport());
    QFont hintFont = font();
    hintFont.setPointSizeF(kHintPointSize);
    painter.setFont(hintFont);
    const QFontMetrics metrics(hintFont);
    QRect area = viewport()->rect();
    area.setTop(area.top() + area.height() / 2 - metrics.height());
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    painter.fillRect(painter.boundingRect(area, flags, text), QColor::fromRgb(kHintBack));
    painter.setPen(QColor::fromRgb(kHintText));
    painter.drawText(area, flags, text);
}

}  // namespace tonquill
