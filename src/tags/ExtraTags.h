#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tonquill {

// A picture carried from a source's tags to its output's.
struct CoverPicture {
    std::string mimeType;
    std::string description;
    std::string data;  // the image file's bytes

    bool operator==(const CoverPicture&) const = default;
};

// Larger covers are left out: no tag format is meant to carry them, and they would be copied
// into every output.
inline constexpr size_t MaxCoverBytes = 16u * 1024 * 1024;

// What a conversion carries besides the eight texts of the list: the disc number, the composer,
// the MusicBrainz identifiers and the front cover.
struct ExtraTags {
    std::string discNumber;
    std::string composer;
    // Property names as TagLib's unified map spells them ("MUSICBRAINZ_TRACKID") with values.
    std::vector<std::pair<std::string, std::string>> musicBrainz;
    bool hasCover = false;
    CoverPicture cover;

    bool operator==(const ExtraTags&) const = default;
    bool empty() const {
        return discNumber.empty() && composer.empty() && musicBrainz.empty() && !hasCover;
    }
};

// The MusicBrainz identifiers carried over, as TagLib's unified map names them.
inline constexpr const char* MusicBrainzKeys[] = {
    "MUSICBRAINZ_TRACKID",       "MUSICBRAINZ_ALBUMID",        "MUSICBRAINZ_ARTISTID",
    "MUSICBRAINZ_ALBUMARTISTID", "MUSICBRAINZ_RELEASEGROUPID", "MUSICBRAINZ_RELEASETRACKID",
    "MUSICBRAINZ_WORKID",
};

// Reads the extra tags of a source of the given format. A cover that is too large or holds no
// picture is left out, with a line for the log in notes.
ExtraTags ReadExtraTags(const std::string& path, int format, std::vector<std::string>& notes);

// Whether the source's tags hold a picture.
bool HasCoverPicture(const std::string& path, int format);

}  // namespace tonquill
