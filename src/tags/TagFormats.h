#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tags/ExtraTags.h"
#include "tags/OutputTagWriter.h"
#include "tags/TagSet.h"

namespace tonquill {

// What differs per format in the tags layer: reading a source's extra tags and cover, and writing
// an output's tags. The functions sit by job (ExtraTagReader.cpp, OutputTagWriter.cpp), where
// formats of one tag kind share their code; this table is the one place that keys them by format.
struct TagFormat {
    int format;
    // Reads the extras of a source; null for a format without tags. May throw on a damaged tag.
    void (*readExtras)(const std::string& path, ExtraTags& extras);
    // Writes an output's tags, MP3's of the kinds chosen from the source's; false after a failed
    // save. Null for a format whose outputs hold no tags.
    bool (*save)(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                 const ExtraTags& extras, OutputTagResult& result);
};

extern const std::array<TagFormat, 7> TagFormatTable;

// The row of a format code; null for a code no format has.
const TagFormat* FindTagFormat(int format);

void ReadWavExtras(const std::string& path, ExtraTags& extras);
void ReadMp3Extras(const std::string& path, ExtraTags& extras);
void ReadWmaExtras(const std::string& path, ExtraTags& extras);
void ReadOggExtras(const std::string& path, ExtraTags& extras);
void ReadFlacExtras(const std::string& path, ExtraTags& extras);
void ReadOpusExtras(const std::string& path, ExtraTags& extras);
void ReadAiffExtras(const std::string& path, ExtraTags& extras);

bool SaveMp3Tags(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                 const ExtraTags& extras, OutputTagResult& result);
bool SaveWmaTags(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                 const ExtraTags& extras, OutputTagResult& result);
bool SaveOggTags(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                 const ExtraTags& extras, OutputTagResult& result);
bool SaveFlacTags(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                  const ExtraTags& extras, OutputTagResult& result);
bool SaveOpusTags(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                  const ExtraTags& extras, OutputTagResult& result);
bool SaveAiffTags(const std::string& path, uint8_t sourceTagKinds, const TagSet& tags,
                  const ExtraTags& extras, OutputTagResult& result);

}  // namespace tonquill
