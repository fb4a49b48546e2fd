#include "ui/ReportListModel.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace tonquill {

namespace {

Qt::Alignment AlignmentOf(int format) {
    switch (format) {
        case 1:
            return Qt::AlignRight | Qt::AlignVCenter;
        case 2:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

ReportListModel::ReportListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= RowCount() ||
        index.column() >= static_cast<int>(columns.size())) {
        return {};
    }
    const std::vector<ReportCell>& cells = rows[index.row()].cells;
    if (index.column() >= static_cast<int>(cells.size())) {
        return {};
    }
    const ReportCell& cell = cells[index.column()];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return cell.text;
        case Qt::DecorationRole:
            if (cell.image >= 0 && cell.image < rowImages.size()) {
                return rowImages[cell.image];
            }
            return {};
        case Qt::ForegroundRole:
            return QBrush(QColor::fromRgb(cell.textColour));
        case Qt::BackgroundRole:
            return QBrush(QColor::fromRgb(cell.backColour));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(AlignmentOf(columns[index.column()].format));
        case Qt::ToolTipRole:
            return cell.tooltip.isEmpty() ? QVariant() : QVariant(cell.tooltip);
        default:
            return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns.size())) {
        return {};
    }
    const ReportHeaderColumn& column = columns[section];
    switch (role) {
        case Qt::DisplayRole:
            return column.heading;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(AlignmentOf(column.format));
        case Qt::DecorationRole:
            if (column.headerImage >= 0 && column.headerImage < headerImages.size()) {
                return headerImages[column.headerImage];
            }
            return {};
        default:
            return {};
    }
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

void ReportListModel::InsertColumn(int index, const ReportHeaderColumn& column, QRgb textColour,
                                   QRgb backColour) {
    index = std::clamp(index, 0, static_cast<int>(columns.size()));
    beginInsertColumns({}, index, index);
    columns.insert(columns.begin() + index, column);
    ReportCell blank;
    blank.textColour = textColour;
    blank.backColour = backColour;
    for (ReportRowData& row : rows) {
        row.cells.insert(row.cells.begin() + index, blank);
    }
    endInsertColumns();
}

void ReportListModel::RemoveColumn(int index) {
    if (index < 0 || index >= static_cast<int>(columns.size())) {
        return;
    }
    beginRemoveColumns({}, index, index);
    columns.erase(columns.begin() + index);
    for (ReportRowData& row : rows) {
        row.cells.erase(row.cells.begin() + index);
    }
    endRemoveColumns();
}

void ReportListModel::SetHeaderImage(int column, int image, bool imageOnLeft) {
    columns[column].headerImage = image;
    columns[column].imageOnLeft = imageOnLeft;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ReportListModel::NotifyHeaderChanged() {
    if (!columns.empty()) {
        emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(columns.size()) - 1);
    }
}

void ReportListModel::InsertRow(int index, ReportRowData row) {
    index = std::clamp(index, 0, RowCount());
    row.cells.resize(columns.size());
    beginInsertRows({}, index, index);
    rows.insert(rows.begin() + index, std::move(row));
    endInsertRows();
}

void ReportListModel::AppendRows(std::vector<ReportRowData> newRows) {
    if (newRows.empty()) {
        return;
    }
    const int first = RowCount();
    beginInsertRows({}, first, first + static_cast<int>(newRows.size()) - 1);
    for (ReportRowData& row : newRows) {
        row.cells.resize(columns.size());
        rows.push_back(std::move(row));
    }
    endInsertRows();
}

void ReportListModel::RemoveRows(int first, int count) {
    if (first < 0 || count <= 0 || first + count > RowCount()) {
        return;
    }
    beginRemoveRows({}, first, first + count - 1);
    rows.erase(rows.begin() + first, rows.begin() + first + count);
    endRemoveRows();
}

void ReportListModel::RemoveFlaggedRows(const std::vector<char>& doomed) {
    // Each run of flagged rows goes in one removal, from the end so indexes stay valid;
    // many scattered runs would make that quadratic, so those rebuild the list at once.
    std::vector<std::pair<int, int>> runs;
    for (int row = 0; row < RowCount(); ++row) {
        if (!doomed[row]) {
            continue;
        }
        if (!runs.empty() && runs.back().second == row) {
            ++runs.back().second;
        } else {
            runs.emplace_back(row, row + 1);
        }
    }
    constexpr size_t kMaxSeparateRuns = 64;
    if (runs.size() <= kMaxSeparateRuns) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            RemoveRows(run->first, run->second - run->first);
        }
        return;
    }
    beginResetModel();
    size_t kept = 0;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (doomed[row]) {
            continue;
        }
        if (kept != row) {
            rows[kept] = std::move(rows[row]);
        }
        ++kept;
    }
    rows.resize(kept);
    endResetModel();
}

void ReportListModel::Clear() {
    beginResetModel();
    rows.clear();
    endResetModel();
}

void ReportListModel::MoveRow(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= RowCount() || to >= RowCount()) {
        return;
    }
    // Qt names the destination as the row before which the moved row lands.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    ReportRowData moved = std::move(rows[from]);
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + to, std::move(moved));
    endMoveRows();
}

void ReportListModel::ReorderRows(int first, const std::vector<int>& order) {
    const int count = static_cast<int>(order.size());
    if (count == 0) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<ReportRowData> sorted;
    sorted.reserve(order.size());
    std::vector<int> newRowOf(order.size());
    for (int position = 0; position < count; ++position) {
        sorted.push_back(std::move(rows[order[position]]));
        newRowOf[order[position] - first] = first + position;
    }
    std::move(sorted.begin(), sorted.end(), rows.begin() + first);

    // Selection and focus are persistent indexes; moving them moves each row's state along.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int row = index.row();
        const int newRow = row >= first && row < first + count ? newRowOf[row - first] : row;
        after.append(this->index(newRow, index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ReportListModel::SetCellText(int row, int column, const QString& text) {
    rows[row].cells[column].text = text;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
}

void ReportListModel::SetCellImage(int row, int column, int image) {
    rows[row].cells[column].image = image;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DecorationRole});
}

void ReportListModel::NotifyRowsChanged(int firstRow, int lastRow) {
    if (rows.empty() || columns.empty()) {
        return;
    }
    if (firstRow < 0) {
        firstRow = 0;
        lastRow = RowCount() - 1;
    }
    emit dataChanged(index(firstRow, 0), index(lastRow, static_cast<int>(columns.size()) - 1));
}

void ReportListModel::SetRowImages(const QList<QIcon>& images) {
    rowImages = images;
    NotifyRowsChanged();
}

void ReportListModel::SetHeaderImages(const QList<QIcon>& images) {
    headerImages = images;
    NotifyHeaderChanged();
}

}  // namespace tonquill
