#pragma once

#include <array>
#include <string>

#include "base/ConversionObserver.h"
#include "metadata/FileListRow.h"

struct mpg123_handle_struct;

namespace tonquill {

class WmaComponent;

// Fills a file-list row with what a file says about itself: rate, channels, length, play time,
// bitrate, tag kinds and the eight tag texts. One probe serves one loading thread at a time; it
// owns its own libmpg123 handle and borrows the WMA reader, which nothing else uses while a load
// runs. The two messages a probe can raise go to the observer and wait for acknowledgement.
class MediaProbe {
public:
    // wmaReader may be null: WMA files then end unreadable.
    MediaProbe(ConversionObserver& observer, WmaComponent* wmaReader);
    ~MediaProbe();
    MediaProbe(const MediaProbe&) = delete;
    MediaProbe& operator=(const MediaProbe&) = delete;

    // The row's type must be set. Marks the row unreadable ("Unknown" in red in the Type
    // column) when the file cannot be opened or has no rate, channel count or length.
    void ProbeMediaInfo(FileListRow& row, const std::string& path);
    // Fills bitrateKbps and the Bitrate column when TagLib can tell the bitrate.
    void ProbeBitrate(FileListRow& row, const std::string& path);

    void ProbeWav(FileListRow& row, const std::string& path);
    void ProbeAiff(FileListRow& row, const std::string& path);
    void ProbeMp3(FileListRow& row, const std::string& path);
    void ProbeWma(FileListRow& row, const std::string& path);
    void ProbeOgg(FileListRow& row, const std::string& path);
    void ProbeFlac(FileListRow& row, const std::string& path);
    void ProbeOpus(FileListRow& row, const std::string& path);

private:
    void ReadMp3Tags(FileListRow& row, const std::string& path);
    void ReadOggTags(FileListRow& row, const std::string& path);

    WmaComponent* wmaReader_;
    mpg123_handle_struct* mp3Handle_ = nullptr;
};

// What the probe does for each format, keyed by the format's code; every format of the
// descriptor table has its row.
struct ProbeEntry {
    int format;
    void (MediaProbe::*probe)(FileListRow& row, const std::string& path);
    // TagLib's bitrate of the file in kbit/s, 0 when it cannot tell.
    int (*bitrate)(const std::string& path);
    // Whether the header is sound enough to hand to TagLib for the bitrate; null: always.
    bool (*headerIsSound)(const std::string& path);
    bool showsFrequency;  // the Frequency column shows the rate (the list leaves WMA's empty)
    double bitrateScale;  // TagLib's kilobits to the list's (it counts WAV's in thousands)
};

extern const std::array<ProbeEntry, 7> ProbeTable;

// The row of a format code, or nullptr for an unknown code.
const ProbeEntry* FindProbe(int format);

}  // namespace tonquill
