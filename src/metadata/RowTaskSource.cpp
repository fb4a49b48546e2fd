#include "metadata/RowTaskSource.h"

namespace tonquill {

TaskSource MakeTaskSource(const FileListEntry& entry, const std::string& folder,
                          const std::string& fileName) {
    TaskSource source;
    source.folder = folder;
    source.fileName = fileName;
    source.baseFolder = entry.baseFolder;
    source.inputType = entry.type;
    source.sourceRate = entry.sampleRate;
    source.sourceChannels = static_cast<int>(entry.channels);
    source.tagKinds = entry.tagKinds;
    source.totalSamples = entry.totalSamples;
    source.tags = entry.Tags();
    return source;
}

TaskSource MakeTaskSource(FileListRow& row) {
    return MakeTaskSource(row.Entry(), row.CellText(ColumnPath), row.CellText(ColumnName));
}

}  // namespace tonquill
