#include "ui/ReportColumnLayout.h"

#include <QtEndian>
#include <algorithm>

namespace tonquill {

namespace {

constexpr qsizetype kRecordBytes = 8;
constexpr int kMaxRestoredWidth = 0xFFFF;

}  // namespace

ReportColumnLayout ReportColumnLayout::FromBytes(const QByteArray& bytes) {
    std::vector<ColumnLayoutRecord> records;
    const char* in = bytes.constData();
    for (qsizetype at = 0; at + kRecordBytes <= bytes.size(); at += kRecordBytes) {
        records.push_back(ColumnLayoutRecord{qFromLittleEndian<int32_t>(in + at),
                                             qFromLittleEndian<int32_t>(in + at + 4)});
    }
    return ReportColumnLayout(std::move(records));
}

QByteArray ReportColumnLayout::ToBytes() const {
    QByteArray bytes(static_cast<qsizetype>(records.size()) * kRecordBytes, '\0');
    char* out = bytes.data();
    for (const ColumnLayoutRecord& record : records) {
        qToLittleEndian<int32_t>(record.visible, out);
        qToLittleEndian<int32_t>(record.width, out + 4);
        out += kRecordBytes;
    }
    return bytes;
}

int ReportColumnLayout::RestoredWidth(int column) const {
    return std::clamp(records[column].width, 0, kMaxRestoredWidth);
}

}  // namespace tonquill
