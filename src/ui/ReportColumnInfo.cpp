#include "ui/ReportColumnInfo.h"

#include <utility>

namespace tonquill {

int32_t MoveHiddenColumnFirst(std::vector<int>& order, int column) {
    const int count = static_cast<int>(order.size());
    bool moving = false;
    for (int position = count - 1; position > 0; --position) {
        if (order[position] == column) {
            moving = true;
        }
        if (moving) {
            std::swap(order[position], order[position - 1]);
        }
    }
    return count;
}

void MoveShownColumnRight(std::vector<int>& order, int column, int32_t restoreOrder,
                          const std::vector<ReportColumnInfo>& columns) {
    const int count = static_cast<int>(order.size());
    bool moving = false;
    for (int position = 0; position + 1 < count; ++position) {
        if (order[position] == column) {
            moving = true;
        }
        if (!moving) {
            continue;
        }
        const int next = order[position + 1];
        const bool nextVisible =
            next >= 0 && next < static_cast<int>(columns.size()) && columns[next].visible;
        if (position >= restoreOrder && nextVisible) {
            break;
        }
        std::swap(order[position], order[position + 1]);
    }
}

}  // namespace tonquill
