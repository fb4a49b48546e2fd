#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tags/ExtraTags.h"
#include "tags/TagSet.h"

namespace tonquill {

// What writing an output's tags came to.
struct OutputTagResult {
    bool saved = true;         // false: nothing to tag (an empty output) or a failed save
    bool emptyOutput = false;  // the encoder wrote nothing, so nothing was tagged
    // The tag kinds now in an MP3 output (chosen from the source's); unset for the other formats.
    std::optional<uint8_t> kindsWritten;
};

// The tag step after an encoder: copies tags into the output file at path, MP3 outputs as
// ID3v1, ID3v2 and APE tags chosen from the source's tag kinds sourceTagKinds, Ogg Vorbis outputs
// as a Vorbis comment, WMA outputs as ASF attributes; each also gets the encoder note. Formats
// that hold no tags are left alone. The extras (disc, composer, MusicBrainz identifiers, cover)
// go into every tag that can hold them. The caller logs a failed save.
OutputTagResult WriteOutputTags(const std::string& path, int outputType, uint8_t sourceTagKinds,
                                const TagSet& tags, const ExtraTags& extras = {});

// The ID3v1 number of a tag text: the decimal number at its start (leading white space and a
// sign allowed, 0 without digits), so "3/12" gives 3 and "2004-05-01" gives 2004.
int LeadingTagNumber(const std::string& text);

}  // namespace tonquill
