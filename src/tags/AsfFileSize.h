#pragma once

#include <string>

namespace tonquill {

// An ASF file records its own size in the header's file-properties object, and FFmpeg derives
// the play time from it. TagLib rewrites the header when tags change without updating that
// field, so a file given long tags would claim seconds of audio it does not hold. This stores
// the file's real size there; false when the file is not ASF or cannot be written.
bool StoreAsfFileSize(const std::string& path);

}  // namespace tonquill
