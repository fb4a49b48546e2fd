#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tonquill {

// Audio format codes shared by sources, outputs and OUTPUT.OutputFormat.
enum FormatCode : int {
    FormatWav = 1,
    FormatMp3 = 2,
    FormatWma = 3,
    FormatOgg = 4,
    FormatFlac = 5,
    FormatOpus = 6,
};

// OUTPUT.Filter bits: the file types a folder load accepts.
enum FilterBit : int {
    FilterWav = 1,
    FilterMp3 = 2,
    FilterWma = 4,
    FilterOgg = 8,
    FilterFlac = 16,
    FilterOpus = 32,
};

// Bits of the tag kinds a file holds.
enum TagKind : uint8_t {
    TagKindID3v1 = 1,
    TagKindID3v2 = 2,
    TagKindAPE = 4,
    TagKindASF = 8,
    TagKindXiph = 16,
};

// Everything about a format that is a plain fact rather than code. Each layer's per-format
// behaviour sits in its own table keyed by the code, beside the code it calls: the probe's in
// metadata/MediaProbe.h, the decoder's and encoder's in convert/Codecs.h.
struct FormatInfo {
    int code;
    const char* extension;  // file extension, lower case, without the dot (sources and outputs)
    int filterBit;          // its bit in OUTPUT.Filter
    const char* section;    // INI section of the format's encoder settings
    const char* name;       // short name shown to people
    const char* title;      // the format's name in a sentence: "Ogg Vorbis"
    uint8_t tagKinds;       // the tag kinds the format can hold; none for a format without tags
};

// In the order of the accepted-types list.
inline constexpr std::array<FormatInfo, 6> FormatTable{{
    {FormatWav, "wav", FilterWav, "WAV", "WAV", "WAV", 0},
    {FormatMp3, "mp3", FilterMp3, "MP3", "MP3", "MP3", TagKindID3v1 | TagKindID3v2 | TagKindAPE},
    {FormatWma, "wma", FilterWma, "WMA", "WMA", "WMA", TagKindASF},
    {FormatOgg, "ogg", FilterOgg, "OGG", "OGG", "Ogg Vorbis", TagKindXiph},
    {FormatFlac, "flac", FilterFlac, "FLAC", "FLAC", "FLAC", TagKindXiph},
    {FormatOpus, "opus", FilterOpus, "OPUS", "OPUS", "Opus", TagKindXiph},
}};

// The format entry of a code, or nullptr for an unknown code.
const FormatInfo* FindFormat(int code);
// The format whose extension this is, compared without regard to ASCII letter case; nullptr
// for an extension no format has.
const FormatInfo* FindFormatByExtension(std::string_view extension);
// "wav", "mp3", "wma", "ogg", "flac", "opus"; empty for an unknown code.
std::string OutputExtension(int code);
// The extension in upper case, as a folder scan compares names: "WAV".
std::string UpperCaseExtension(const FormatInfo& format);
// Every format's OUTPUT.Filter bit: a load that accepts every type.
int AllFilterBits();
// Every format's title in table order, as prose lists them: "WAV, MP3, ..., FLAC and Opus"
// ("... FLAC or Opus" with lastJoin "or").
std::string FormatNamesText(const char* lastJoin = "and");
// Whether outputs of the format carry tags; false for an unknown code.
bool FormatHoldsTags(int code);

}  // namespace tonquill
