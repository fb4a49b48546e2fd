#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "metadata/FileListRow.h"

namespace TagLib {
namespace ID3v1 {
class Tag;
}
namespace ID3v2 {
class Tag;
}
namespace APE {
class Tag;
}
namespace Ogg {
class XiphComment;
}
namespace ASF {
class Tag;
}
}  // namespace TagLib

namespace tonquill {

// Each reader fills a tag field only while its column is still empty, so for a file with several
// tags the first reader with a value wins. Values are taken only when not empty.
void ReadId3v2Fields(FileListRow& row, const TagLib::ID3v2::Tag& tag);
void ReadApeFields(FileListRow& row, const TagLib::APE::Tag& tag);
void ReadId3v1Fields(FileListRow& row, const TagLib::ID3v1::Tag& tag);
void ReadXiphFields(FileListRow& row, const TagLib::Ogg::XiphComment& tag);
void ReadAsfFields(FileListRow& row, const TagLib::ASF::Tag& tag);

// Writes text to the column and the record of TagSet field index when the column is empty and
// the text is not; true when it did.
bool StoreTagText(FileListRow& row, size_t index, const std::string& text);

// "7/15" gives track number 7 and total 15, "7" number 7 and total 0. Each part is read as a
// base-10 number (leading blanks and a sign allowed, up to the first non-digit, 0 without a
// digit) and kept in 8 bits.
void StoreTrackNumbers(FileListEntry& entry, std::string_view track);
uint8_t TrackPartNumber(std::string_view text);

}  // namespace tonquill
