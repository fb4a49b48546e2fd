#include "app/FileListRecords.h"

#include "metadata/FileListEntry.h"

namespace tonquill {

bool FileListRecords::IsNumericColumn(int column) const {
    switch (column) {
        case ColumnTrack:
        case ColumnSize:
        case ColumnFrequency:
        case ColumnChannel:
        case ColumnBitrate:
            return true;
        default:
            return false;
    }
}

double FileListRecords::NumericKey(const void* ownerData, int column) const {
    const auto* entry = static_cast<const FileListEntry*>(ownerData);
    switch (column) {
        case ColumnTrack:
            return entry->trackNumber * 256.0 + entry->trackTotal;
        case ColumnSize:
            return entry->sizeMegabytes;
        case ColumnFrequency:
            return static_cast<uint32_t>(entry->sampleRate);
        case ColumnChannel:
            return entry->channels;
        case ColumnBitrate:
            return static_cast<uint32_t>(entry->bitrateKbps);
        default:
            return 0.0;
    }
}

bool FileListRecords::IsUnreadable(const void* ownerData) const {
    return static_cast<const FileListEntry*>(ownerData)->unreadable != 0;
}

}  // namespace tonquill
