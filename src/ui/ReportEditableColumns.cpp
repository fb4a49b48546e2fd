#include "ui/ReportEditableColumns.h"

#include <algorithm>

namespace tonquill {

bool ReportEditableColumns::Allow(int column) {
    if (Contains(column)) {
        return false;
    }
    columns.push_back(column);
    return true;
}

bool ReportEditableColumns::Contains(int column) const {
    return IndexOf(column) >= 0;
}

int ReportEditableColumns::IndexOf(int column) const {
    const auto at = std::find(columns.begin(), columns.end(), column);
    return at == columns.end() ? -1 : static_cast<int>(at - columns.begin());
}

int ReportEditableColumns::Next(int column) const {
    const int count = static_cast<int>(columns.size());
    return columns[(IndexOf(column) + 1) % count];
}

int ReportEditableColumns::Previous(int column) const {
    const int count = static_cast<int>(columns.size());
    const int at = IndexOf(column);
    return columns[at < 0 ? count - 1 : (at - 1 + count) % count];
}

}  // namespace tonquill
