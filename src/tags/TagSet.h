#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/AudioFormat.h"

namespace tonquill {

// The eight tag texts a row shows and a conversion carries over, always in this order.
// An empty text means the source has no such value.
struct TagSet {
    std::string artist;
    std::string albumArtist;
    std::string album;
    std::string track;  // as read, may hold a total after a '/'
    std::string title;
    std::string genre;
    std::string date;
    std::string comment;

    static constexpr size_t Count = 8;
    std::string& operator[](size_t i) { return *Fields()[i]; }
    const std::string& operator[](size_t i) const {
        return *const_cast<TagSet*>(this)->Fields()[i];
    }
    bool operator==(const TagSet&) const = default;

private:
    std::array<std::string*, Count> Fields() {
        return {&artist, &albumArtist, &album, &track, &title, &genre, &date, &comment};
    }
};

// The tag kinds of sources that hold neither ID3 nor APE tags (WMA attributes, Vorbis comments
// and two kinds no source sets): an MP3 made from such a source gets ID3v1 and ID3v2 tags.
inline constexpr uint8_t OtherTagKindsMask = 0x78;

// The product's web site; the encoder note and the help menu point there.
inline constexpr const char* ProductWebAddress = "https://tonquill.org/";

// Written as the encoder field of every tagged output.
inline constexpr const char* EncoderNote = "Tonquill\r\nhttps://tonquill.org/";

}  // namespace tonquill
