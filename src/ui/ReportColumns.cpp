#include "ui/ReportColumns.h"

#include <QHeaderView>
#include <algorithm>

namespace tonquill {

void ReportColumns::Insert(int index, int width) {
    ReportColumnInfo info;
    info.savedWidth = width >= 0 ? width : 0;
    columns.insert(columns.begin() + index, info);
    ResizeSection(index, width >= 0 ? width : header.defaultSectionSize());
}

void ReportColumns::Remove(int column) {
    columns.erase(columns.begin() + column);
}

bool ReportColumns::IsShown(int column) const {
    return column >= 0 && column < Count() && columns[column].visible != 0;
}

ReportColumnInfo ReportColumns::Info(int column) const {
    if (column < 0 || column >= Count()) {
        return {};
    }
    return columns[column];
}

int ReportColumns::Width(int column) const {
    if (column < 0 || column >= Count()) {
        return 0;
    }
    return header.sectionSize(column);
}

bool ReportColumns::SetWidth(int column, int width) {
    if (!IsShown(column)) {
        return false;
    }
    ResizeSection(column, std::max(width, 0));
    return true;
}

void ReportColumns::Show(int column, bool show) {
    ReportColumnInfo& info = columns[column];
    std::vector<int> order = DisplayOrder();
    ownLayoutChange = true;
    if (!show) {
        info.restoreOrder = MoveHiddenColumnFirst(order, column);
        ApplyDisplayOrder(order);
        ownLayoutChange = true;
        info.savedWidth = header.sectionSize(column);
        header.hideSection(column);
        info.visible = 0;
    } else {
        MoveShownColumnRight(order, column, info.restoreOrder, columns);
        ApplyDisplayOrder(order);
        ownLayoutChange = true;
        info.visible = 1;
        header.showSection(column);
        header.resizeSection(column, info.savedWidth & 0xFFFF);
    }
    ownLayoutChange = false;
}

void ReportColumns::KeepHiddenColumnsFirst(int newVisual) {
    int lastHiddenRight = -1;
    for (int column = 0; column < Count(); ++column) {
        const int visual = header.visualIndex(column);
        if (!IsShown(column) && visual > newVisual) {
            lastHiddenRight = std::max(lastHiddenRight, visual);
        }
    }
    if (lastHiddenRight >= 0) {
        ownLayoutChange = true;
        header.moveSection(newVisual, lastHiddenRight);
        ownLayoutChange = false;
    }
}

ReportColumnLayout ReportColumns::Layout() const {
    std::vector<ColumnLayoutRecord> records;
    for (int column = 0; column < Count(); ++column) {
        const bool shown = IsShown(column);
        records.push_back(ColumnLayoutRecord{
            shown ? 1 : 0, shown ? header.sectionSize(column) : columns[column].savedWidth});
    }
    return ReportColumnLayout(std::move(records));
}

std::vector<int> ReportColumns::DisplayOrder() const {
    std::vector<int> order(static_cast<size_t>(Count()));
    for (int position = 0; position < Count(); ++position) {
        order[position] = header.logicalIndex(position);
    }
    return order;
}

void ReportColumns::ApplyDisplayOrder(const std::vector<int>& order) {
    ownLayoutChange = true;
    for (int position = 0; position < static_cast<int>(order.size()); ++position) {
        const int from = header.visualIndex(order[position]);
        if (from != position) {
            header.moveSection(from, position);
        }
    }
    ownLayoutChange = false;
}

void ReportColumns::ResizeSection(int column, int width) {
    ownLayoutChange = true;
    header.resizeSection(column, width);
    ownLayoutChange = false;
}

}  // namespace tonquill
