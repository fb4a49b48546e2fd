#include "metadata/FileListEntry.h"

#include <cmath>

#include "base/AsciiCase.h"
#include "base/Format.h"

namespace tonquill {

TagSet FileListEntry::Tags() const {
    return TagSet{artist, albumArtist, album, track, title, genre, date, comment};
}

std::string& FileListEntry::TagField(size_t index) {
    std::string* fields[TagSet::Count] = {&artist, &albumArtist, &album, &track,
                                          &title,  &genre,       &date,  &comment};
    return *fields[index];
}

std::string UpperExtension(std::string_view fileName) {
    size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    return AsciiUpper(fileName.substr(dot + 1));
}

int TypeByExtension(std::string_view extension) {
    const FormatInfo* format = FindFormatByExtension(extension);
    return format ? format->code : 0;
}

std::string DurationText(double seconds) {
    // Whole seconds; a value no probe can produce (NaN, negative, beyond any real file) counts
    // as none rather than overflowing the conversion.
    if (!(seconds >= 1.0) || seconds > 1e15) {
        return {};
    }
    long long whole = static_cast<long long>(seconds);
    return Format("%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
}

std::string FrequencyText(int sampleRate) {
    return Format("%d Hz", sampleRate);
}

std::string ChannelText(unsigned channels) {
    if (channels == 1) {
        return "1 (Mono)";
    }
    if (channels == 2) {
        return "2 (Stereo)";
    }
    return Format("%u", channels);
}

std::string BitrateText(int kbps) {
    return Format("%d kbps", kbps);
}

}  // namespace tonquill
