#include "ui/ColumnSortInfo.h"

#include <QtEndian>
#include <algorithm>

namespace tonquill {

void PromoteSortKey(std::vector<ColumnSortInfo>& keys, int column) {
    int32_t ascending = 1;
    auto found = std::find_if(keys.begin(), keys.end(),
                              [column](const ColumnSortInfo& k) { return k.column == column; });
    if (found != keys.end()) {
        ascending = found->ascending;
        if (found == keys.begin()) {
            ascending = ascending ? 0 : 1;
        }
        keys.erase(found);
    }
    keys.insert(keys.begin(), ColumnSortInfo{column, ascending});
    while (static_cast<int>(keys.size()) > kMaxSortKeys) {
        keys.pop_back();
    }
}

QByteArray SortKeysToBytes(const std::vector<ColumnSortInfo>& keys) {
    QByteArray bytes(static_cast<qsizetype>(keys.size() * 8), '\0');
    char* out = bytes.data();
    for (const ColumnSortInfo& key : keys) {
        qToLittleEndian<int32_t>(key.column, out);
        qToLittleEndian<int32_t>(key.ascending, out + 4);
        out += 8;
    }
    return bytes;
}

std::vector<ColumnSortInfo> SortKeysFromBytes(const QByteArray& bytes) {
    std::vector<ColumnSortInfo> keys;
    const char* in = bytes.constData();
    for (qsizetype at = 0; at + 8 <= bytes.size() && keys.size() < kMaxSortKeys; at += 8) {
        ColumnSortInfo key;
        key.column = qFromLittleEndian<int32_t>(in + at);
        key.ascending = qFromLittleEndian<int32_t>(in + at + 4) != 0 ? 1 : 0;
        keys.push_back(key);
    }
    return keys;
}

}  // namespace tonquill
