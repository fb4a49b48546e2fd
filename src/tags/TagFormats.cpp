#include "tags/TagFormats.h"

#include "base/AudioFormat.h"

namespace tonquill {

// A WAV output holds no tags: its source's tags are read, never written.
const std::array<TagFormat, 7> TagFormatTable{{
    {FormatWav, ReadWavExtras, nullptr},
    {FormatMp3, ReadMp3Extras, SaveMp3Tags},
    {FormatWma, ReadWmaExtras, SaveWmaTags},
    {FormatOgg, ReadOggExtras, SaveOggTags},
    {FormatFlac, ReadFlacExtras, SaveFlacTags},
    {FormatOpus, ReadOpusExtras, SaveOpusTags},
    {FormatAiff, ReadAiffExtras, SaveAiffTags},
}};

const TagFormat* FindTagFormat(int format) {
    for (const TagFormat& row : TagFormatTable) {
        if (row.format == format) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace tonquill
