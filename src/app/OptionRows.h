#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace tonquill {

class WmaPresetList;

// The rows of the options dialog's lists. A row's index is what the settings store (the format
// list aside, whose rows map to format codes through OptionFormatRows).
struct OptionFormatRow {
    const char* text;
    int format;  // OUTPUT.OutputFormat
};
inline constexpr std::array<OptionFormatRow, 6> OptionFormatRows{{
    {" MP3  (MPEG-1 Audio Layer 3)", 2},
    {" OGG  (Ogg Vorbis)", 4},
    {" WAV (Waveform Audio)", 1},
    {" WMA (Windows Media Audio)", 3},
    {" FLAC (Free Lossless Audio Codec)", 5},
    {" OPUS (Opus Interactive Audio Codec)", 6},
}};
inline constexpr int OptionMp3Row = 0;
inline constexpr int OptionOggRow = 1;
inline constexpr int OptionWavRow = 2;
inline constexpr int OptionWmaRow = 3;
inline constexpr int OptionFlacRow = 4;
inline constexpr int OptionOpusRow = 5;

// The format list's row of a format code; -1 for a code the list does not hold.
int OptionRowOfFormat(int format);

QStringList OptionSampleRateRows();
// Rows 0 to 2 for Ogg Vorbis and WAV; MP3 adds joint stereo and dual channel.
QStringList OptionChannelRows(bool mp3);
QStringList OptionMp3BitrateRows();
// Row r is OGG.QualityCompression r - 1.
QStringList OptionOggQualityRows();
QStringList OptionWavCodecRows();

// FLAC: row r is FLAC.Level r; the sample sizes are 16 and 24 bits, in that order.
QStringList OptionFlacLevelRows();
QStringList OptionFlacBitsRows();
inline constexpr std::array<int, 2> OptionFlacBits{16, 24};

// The Opus bitrates the list offers, in kbit/s; a stored value between them (from the command
// line or a hand-edited file) gets a row of its own, so OK keeps it.
std::vector<int> OptionOpusBitrates(int stored);
QStringList OptionOpusBitrateRows(const std::vector<int>& bitrates);

// Files converted at once: row r is OUTPUT.Jobs r, row 0 "Automatic" (one per core; cores is
// how many that is here).
QStringList OptionJobsRows(int cores);

// The WMA presets a row may name: WMA.Profile = row + OptionFirstWmaPreset.
inline constexpr int OptionFirstWmaPreset = 12;
inline constexpr int OptionLastWmaPreset = 55;
// One row per preset 12 to 55 with the component's own description of it. A preset the loaded
// preset file lacks (or no file at all) still takes its row, so rows keep their numbers, and
// says that it is not available.
QStringList OptionWmaPresetRows(const WmaPresetList* presets);

}  // namespace tonquill
