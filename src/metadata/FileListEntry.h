#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "tags/TagSet.h"

namespace tonquill {

// The record behind one file-list row. A new record is all zeros with empty strings; the load
// fills type and size, the probe everything else. The list sorts and colours rows from it and
// the conversion copies its technical values and tags into a task.
struct FileListEntry {
    int32_t unreadable = 0;  // 0 or 1
    // Why an unreadable file could not be read, in plain words ("the file is empty").
    std::string unreadableReason;
    uint8_t type = 0;      // FormatCode from the extension, 0 when it has none
    uint8_t tagKinds = 0;  // TagKind bits
    uint8_t trackNumber = 0;
    uint8_t trackTotal = 0;
    int32_t sampleRate = 0;
    uint32_t channels = 0;
    uint64_t totalSamples = 0;  // interleaved: frames x channels
    int32_t bitrateKbps = 0;
    double sizeMegabytes = 0.0;
    double durationSeconds = 0.0;
    std::string artist;
    std::string albumArtist;
    std::string album;
    std::string track;
    std::string title;
    std::string genre;
    std::string date;
    std::string comment;
    // The folder the file was found under, ending with '/' (not shown); empty for a file added
    // on its own. Outputs that keep their folders keep the ones between it and the file.
    std::string baseFolder;

    // The eight tag texts in TagSet order.
    TagSet Tags() const;
    std::string& TagField(size_t index);
};

// The eighteen columns of the file list, by index.
enum FileListColumn : int {
    ColumnName = 0,
    ColumnPath,
    ColumnType,
    ColumnTag,
    ColumnArtist,
    ColumnAlbumArtist,
    ColumnAlbum,
    ColumnTrack,
    ColumnTitle,
    ColumnGenre,
    ColumnDate,
    ColumnComment,
    ColumnSize,
    ColumnLastModified,
    ColumnDuration,
    ColumnFrequency,
    ColumnChannel,
    ColumnBitrate,
    FileListColumnCount
};

enum class ColumnAlign { Left, Right };

struct FileListColumnInfo {
    FileListColumn column;
    const char* heading;
    ColumnAlign align;
    int width;  // default width in pixels
};

inline constexpr std::array<FileListColumnInfo, FileListColumnCount> FileListColumns{{
    {ColumnName, "Name", ColumnAlign::Left, 150},
    {ColumnPath, "Path", ColumnAlign::Left, 150},
    {ColumnType, "Type", ColumnAlign::Right, 65},
    {ColumnTag, "Tag", ColumnAlign::Right, 100},
    {ColumnArtist, "Artist", ColumnAlign::Left, 110},
    {ColumnAlbumArtist, "Album Artist", ColumnAlign::Left, 110},
    {ColumnAlbum, "Album", ColumnAlign::Left, 110},
    {ColumnTrack, "Track", ColumnAlign::Right, 85},
    {ColumnTitle, "Title", ColumnAlign::Left, 150},
    {ColumnGenre, "Genre", ColumnAlign::Left, 70},
    {ColumnDate, "Date", ColumnAlign::Right, 65},
    {ColumnComment, "Comment", ColumnAlign::Left, 110},
    {ColumnSize, "Size(MB)", ColumnAlign::Right, 85},
    {ColumnLastModified, "Last Modified", ColumnAlign::Right, 120},
    {ColumnDuration, "Duration", ColumnAlign::Right, 88},
    {ColumnFrequency, "Frequency", ColumnAlign::Right, 96},
    {ColumnChannel, "Channel", ColumnAlign::Right, 88},
    {ColumnBitrate, "Bitrate", ColumnAlign::Right, 88},
}};

// The column that shows TagSet field i (0 artist ... 7 comment).
inline constexpr FileListColumn TagColumn(size_t index) {
    return static_cast<FileListColumn>(ColumnArtist + static_cast<int>(index));
}

// The text after the last '.' of a file name, in upper case (ASCII letters only); empty when the
// name has no dot.
std::string UpperExtension(std::string_view fileName);

// The FormatCode of an extension, compared without regard to letter case; 0 when no format has
// it.
int TypeByExtension(std::string_view extension);

// The texts of the technical columns.
std::string DurationText(double seconds);    // "%02d:%02d:%02d", empty below one second
std::string FrequencyText(int sampleRate);   // "%d Hz"
std::string ChannelText(unsigned channels);  // "1 (Mono)", "2 (Stereo)" or "%d"
std::string BitrateText(int kbps);           // "%d kbps"

}  // namespace tonquill
