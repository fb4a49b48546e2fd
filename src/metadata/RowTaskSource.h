#pragma once

#include <string>

#include "convert/ConversionTask.h"
#include "metadata/FileListRow.h"

namespace tonquill {

// What the batch preparation takes from a probed row: folder and file name, the record's format
// code, rate, channels, tag kinds, length and the eight tag texts. The window and the
// command-line front end both prepare their tasks through it.
TaskSource MakeTaskSource(const FileListEntry& entry, const std::string& folder,
                          const std::string& fileName);

// The same from a row's Path and Name columns.
TaskSource MakeTaskSource(FileListRow& row);

}  // namespace tonquill
