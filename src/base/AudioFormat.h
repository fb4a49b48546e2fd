#pragma once

#include <array>
#include <string>

namespace tonquill {

// Audio format codes shared by sources, outputs and OUTPUT.OutputFormat.
enum FormatCode : int { FormatWav = 1, FormatMp3 = 2, FormatWma = 3, FormatOgg = 4 };

struct FormatInfo {
    int code;
    const char* extension;  // output file extension, without the dot
    const char* section;    // INI section of the format's encoder settings
    const char* name;       // short name shown to people
};

inline constexpr std::array<FormatInfo, 4> FormatTable{{
    {FormatWav, "wav", "WAV", "WAV"},
    {FormatMp3, "mp3", "MP3", "MP3"},
    {FormatWma, "wma", "WMA", "WMA"},
    {FormatOgg, "ogg", "OGG", "OGG"},
}};

// The format entry of a code, or nullptr for an unknown code.
const FormatInfo* FindFormat(int code);
// "wav", "mp3", "wma", "ogg"; empty for an unknown code.
std::string OutputExtension(int code);

// OUTPUT.Filter bits: the file types a folder load accepts, in the order of the accepted-types
// list.
enum FilterBit : int { FilterWav = 1, FilterMp3 = 2, FilterWma = 4, FilterOgg = 8 };

struct FilterInfo {
    int bit;
    int format;
    const char* name;
};

inline constexpr std::array<FilterInfo, 4> FilterTable{{
    {FilterWav, FormatWav, "WAV"},
    {FilterMp3, FormatMp3, "MP3"},
    {FilterWma, FormatWma, "WMA"},
    {FilterOgg, FormatOgg, "OGG"},
}};

}  // namespace tonquill
