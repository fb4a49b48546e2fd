#pragma once

#include <string>

#include "tags/TagSet.h"

namespace tonquill {

// Names an output from its source's tags, as a person writes it in the settings:
// "{albumartist|artist}/{album}/{track} {title}". A placeholder names a field: artist,
// albumartist, album, track (the number, two digits at least), title, genre, date, comment,
// disc (the disc number, when the tags carry one) or name (the source's own name without its
// extension); "a|b" takes the first alternative that is not empty. A placeholder that stays empty
// is left out with the text after it (the text before it when it is the last), so
// "{track} {title}" without a track number gives just the title. '/' in the pattern makes folders;
// inside a field it is replaced, as are control characters and a name's leading dot, so a
// field can neither leave the output folder nor hide a file. An unknown placeholder is kept as
// text.
class OutputNamePattern {
public:
    // Longest name of one folder or file we make, in bytes, leaving the extension room within
    // the file system's 255.
    static constexpr size_t MaxComponentBytes = 240;

    explicit OutputNamePattern(std::string pattern) : pattern_(std::move(pattern)) {}

    // The output's path below its output folder, without extension; sourceStem when the pattern
    // gives nothing.
    std::string Expand(const TagSet& tags, const std::string& sourceStem,
                       const std::string& disc = std::string()) const;

    // A text a single file name can hold: '/' and control characters become '_'.
    static std::string SafeNameText(const std::string& text);

private:
    std::string pattern_;
};

}  // namespace tonquill
