#include "ui/ReportColumnInfo.h"

#include <QtEndian>
#include <utility>

namespace tonquill {

QByteArray ColumnLayoutToBytes(const std::vector<ColumnLayoutRecord>& records) {
    QByteArray bytes(static_cast<qsizetype>(records.size() * 8), '\0');
    char* out = bytes.data();
    for (const ColumnLayoutRecord& record : records) {
        qToLittleEndian<int32_t>(record.visible, out);
        qToLittleEndian<int32_t>(record.width, out + 4);
        out += 8;
    }
    return bytes;
}

std::vector<ColumnLayoutRecord> ColumnLayoutFromBytes(const QByteArray& bytes) {
    std::vector<ColumnLayoutRecord> records;
    const char* in = bytes.constData();
    for (qsizetype at = 0; at + 8 <= bytes.size(); at += 8) {
        records.push_back(ColumnLayoutRecord{qFromLittleEndian<int32_t>(in + at),
                                             qFromLittleEndian<int32_t>(in + at + 4)});
    }
    return records;
}

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
