#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tonquill {

// Audio format codes shared by sources, outputs and OUTPUT.OutputFormat.
enum FormatCode : int {
    FormatWav = 1,
    FormatMp3 = 2,
    FormatWma = 3,
    FormatOgg = 4,
    FormatFlac = 5,
    FormatOpus = 6,
    FormatAiff = 7,
};

// OUTPUT.Filter bits: the file types a folder load accepts.
enum FilterBit : int {
    FilterWav = 1,
    FilterMp3 = 2,
    FilterWma = 4,
    FilterOgg = 8,
    FilterFlac = 16,
    FilterOpus = 32,
    FilterAiff = 64,
};

// Bits of the tag kinds a file holds.
enum TagKind : uint8_t {
    TagKindID3v1 = 1,
    TagKindID3v2 = 2,
    TagKindAPE = 4,
    TagKindASF = 8,
    TagKindXiph = 16,
};

// The tag kinds an MP3 file may hold.
inline constexpr uint8_t Mp3TagKinds = TagKindID3v1 | TagKindID3v2 | TagKindAPE;

// Everything about a format that is a plain fact rather than code; the layers above read these
// instead of naming formats. Each layer's per-format behaviour sits in its own table keyed by the
// code, beside the code it calls: the probe's in metadata/MediaProbe.cpp, the decoder's, encoder's
// and output settings' in convert/Codecs.h, the tags' in tags/TagFormats.cpp.
struct FormatInfo {
    int code;
    const char* extension;  // file extension, lower case, without the dot (sources and outputs)
    // Further extensions its sources go by, lower case, separated by spaces: "aif aifc".
    std::string_view moreExtensions;
    int filterBit;        // its bit in OUTPUT.Filter
    const char* section;  // INI section of the format's encoder settings
    const char* name;     // short name shown to people
    const char* title;    // the format's name in a sentence: "Ogg Vorbis"
    uint8_t tagKinds;     // the tag kinds the format can hold; none for a format without tags
    int menuOrder;        // its place in the Format menu, the options dialog's format list and
                          // its type boxes
    const char* listRow;  // its row in the options dialog's format list
    // The first bytes of the format's first packet in an Ogg stream; empty: it is never in Ogg.
    std::string_view oggPacketStart;
    const char* icon;       // its picture for the Format button, in the program's icons
    const char* mimeTypes;  // the desktop's MIME types of its files, each ended by ';'
    bool lossless;          // whether an output of it keeps every sample
    // Its row of the help page's settings table: the dialog's lists and what they set.
    const char* helpSetting;
    const char* helpMeaning;
};

// In the order of the accepted-types list.
inline constexpr std::array<FormatInfo, 7> FormatTable{{
    {.code = FormatWav,
     .extension = "wav",
     .moreExtensions = {},
     .filterBit = FilterWav,
     .section = "WAV",
     .name = "WAV",
     .title = "WAV",
     .tagKinds = 0,
     .menuOrder = 2,
     .listRow = " WAV (Waveform Audio)",
     .oggPacketStart = {},
     .icon = "format-wav.svg",
     .mimeTypes = "audio/x-wav;",
     .lossless = true,
     .helpSetting = "Codec (WAV)",
     .helpMeaning = "unsigned 8-bit, signed 16-bit or signed 24-bit PCM"},
    {.code = FormatMp3,
     .extension = "mp3",
     .moreExtensions = {},
     .filterBit = FilterMp3,
     .section = "MP3",
     .name = "MP3",
     .title = "MP3",
     .tagKinds = Mp3TagKinds,
     .menuOrder = 0,
     .listRow = " MP3  (MPEG-1 Audio Layer 3)",
     .oggPacketStart = {},
     .icon = "format-mp3.svg",
     .mimeTypes = "audio/mpeg;",
     .lossless = false,
     .helpSetting = "Bits per Second (MP3)",
     .helpMeaning = "constant bitrate, 8 to 320 kbit/s"},
    {.code = FormatWma,
     .extension = "wma",
     .moreExtensions = {},
     .filterBit = FilterWma,
     .section = "WMA",
     .name = "WMA",
     .title = "WMA",
     .tagKinds = TagKindASF,
     .menuOrder = 3,
     .listRow = " WMA (Windows Media Audio)",
     .oggPacketStart = {},
     .icon = "format-wma.svg",
     .mimeTypes = "audio/x-ms-wma;",
     .lossless = false,
     .helpSetting = "Preset (WMA)",
     .helpMeaning = "one of 44 presets of bitrate, rate and channels"},
    {.code = FormatOgg,
     .extension = "ogg",
     .moreExtensions = {},
     .filterBit = FilterOgg,
     .section = "OGG",
     .name = "OGG",
     .title = "Ogg Vorbis",
     .tagKinds = TagKindXiph,
     .menuOrder = 1,
     .listRow = " OGG  (Ogg Vorbis)",
     .oggPacketStart = {"\x01vorbis", 7},
     .icon = "format-ogg.svg",
     .mimeTypes = "audio/x-vorbis+ogg;audio/ogg;",
     .lossless = false,
     .helpSetting = "Quality (OGG)",
     .helpMeaning = "Vorbis quality -0.1 to 1.0 with its estimated bitrate"},
    {.code = FormatFlac,
     .extension = "flac",
     .moreExtensions = {},
     .filterBit = FilterFlac,
     .section = "FLAC",
     .name = "FLAC",
     .title = "FLAC",
     .tagKinds = TagKindXiph,
     .menuOrder = 4,
     .listRow = " FLAC (Free Lossless Audio Codec)",
     .oggPacketStart = {"\x7f"
                        "FLAC",
                        5},
     .icon = "format-flac.svg",
     .mimeTypes = "audio/flac;audio/x-flac;",
     .lossless = true,
     .helpSetting = "Compression, Sample Size (FLAC)",
     .helpMeaning = "level 0 (fastest) to 8 (smallest), 16 or 24 bits; the source's rate is kept"},
    {.code = FormatOpus,
     .extension = "opus",
     .moreExtensions = {},
     .filterBit = FilterOpus,
     .section = "OPUS",
     .name = "OPUS",
     .title = "Opus",
     .tagKinds = TagKindXiph,
     .menuOrder = 5,
     .listRow = " OPUS (Opus Interactive Audio Codec)",
     .oggPacketStart = {"OpusHead", 8},
     .icon = "format-opus.svg",
     .mimeTypes = "audio/x-opus+ogg;",
     .lossless = false,
     .helpSetting = "Bits per Second (OPUS)",
     .helpMeaning = "6 to 510 kbit/s; Opus is always 48000 Hz"},
    {.code = FormatAiff,
     .extension = "aiff",
     .moreExtensions = "aif aifc",
     .filterBit = FilterAiff,
     .section = "AIFF",
     .name = "AIFF",
     .title = "AIFF",
     .tagKinds = TagKindID3v2,
     .menuOrder = 6,
     .listRow = " AIFF (Audio Interchange File Format)",
     .oggPacketStart = {},
     .icon = "format-aiff.svg",
     .mimeTypes = "audio/x-aiff;",
     .lossless = true,
     .helpSetting = "Sample Size (AIFF)",
     .helpMeaning = "signed 16 or 24 bits; the source's rate is kept"},
}};

// The output format of a new settings file.
inline constexpr int DefaultOutputFormat = FormatMp3;

// Every format's OUTPUT.Filter bit: a load that accepts every type.
constexpr int AllFilterBits() {
    int bits = 0;
    for (const FormatInfo& f : FormatTable) {
        bits |= f.filterBit;
    }
    return bits;
}

// The filter bits of the formats an Ogg stream may hold: an Ogg file named for no codec is read
// when any of them is accepted.
constexpr int OggFilterBits() {
    int bits = 0;
    for (const FormatInfo& f : FormatTable) {
        bits |= f.oggPacketStart.empty() ? 0 : f.filterBit;
    }
    return bits;
}

// The formats in the order of the Format menu and the options dialog.
std::array<const FormatInfo*, FormatTable.size()> FormatsInMenuOrder();

// The format entry of a code, or nullptr for an unknown code.
const FormatInfo* FindFormat(int code);
// The format whose extension this is, compared without regard to ASCII letter case; nullptr
// for an extension no format has.
const FormatInfo* FindFormatByExtension(std::string_view extension);
// "wav", "mp3", "wma", "ogg", "flac", "opus"; empty for an unknown code.
std::string OutputExtension(int code);
// The extension in upper case, as a folder scan compares names: "WAV".
std::string UpperCaseExtension(const FormatInfo& format);
// Every extension of the format's sources, lower case, its own first: "aiff", "aif", "aifc".
std::vector<std::string> SourceExtensions(const FormatInfo& format);
// Every format's title in table order, as prose lists them: "WAV, MP3, ..., FLAC and Opus"
// ("... FLAC or Opus" with lastJoin "or").
std::string FormatNamesText(const char* lastJoin = "and");
// Whether outputs of the format carry tags; false for an unknown code.
bool FormatHoldsTags(int code);

}  // namespace tonquill
