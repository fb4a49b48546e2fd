#pragma once

#include "ui/ReportOwnerRecords.h"

namespace tonquill {

// How the file list's FileListEntry records sort and colour: Track by its number and then its
// total, Size(MB), Frequency, Channel and Bitrate by their numbers, every other column by text;
// a row is drawn unreadable when its record says so.
class FileListRecords : public ReportOwnerRecords {
public:
    bool IsNumericColumn(int column) const override;
    double NumericKey(const void* ownerData, int column) const override;
    bool IsUnreadable(const void* ownerData) const override;
};

}  // namespace tonquill
