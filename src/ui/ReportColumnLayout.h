#pragma once

#include <QByteArray>
#include <cstdint>
#include <utility>
#include <vector>

namespace tonquill {

// One column of the stored layout: visible flag and width (the width before hiding for a
// hidden column).
struct ColumnLayoutRecord {
    int32_t visible = 1;
    int32_t width = 0;

    bool operator==(const ColumnLayoutRecord&) const = default;
};

// The report list's column layout as the profile stores it, one record per column in column
// order. People's profiles hold these bytes, so the form never changes: 8 bytes per column,
// little-endian 32-bit visible flag then 32-bit width.
class ReportColumnLayout {
public:
    ReportColumnLayout() = default;
    explicit ReportColumnLayout(std::vector<ColumnLayoutRecord> records)
        : records(std::move(records)) {}

    // One record per whole 8 bytes; a partial tail is ignored.
    static ReportColumnLayout FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    const std::vector<ColumnLayoutRecord>& Records() const { return records; }
    int ColumnCount() const { return static_cast<int>(records.size()); }

    // What a restore makes of column `column` (which must be stored): its width kept to what a
    // header section can hold, 0..65535, whatever a damaged profile says; and whether it goes
    // hidden, which only a stored 0 means.
    int RestoredWidth(int column) const;
    bool RestoresHidden(int column) const { return records[column].visible == 0; }

private:
    std::vector<ColumnLayoutRecord> records;
};

}  // namespace tonquill
