#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace tonquill {

class WmaPresetList;

// The rows of the options dialog's lists. A row's index is what the settings store (the format
// list aside, whose rows map to format codes through OptionFormatRows).
struct OptionFormatRow {
    const char* text;
    int format;  // OUTPUT.OutputFormat
};
inline constexpr std::array<OptionFormatRow, 4> OptionFormatRows{{
    {" MP3  (MPEG-1 Audio Layer 3)", 2},
    {" OGG  (Ogg Vorbis)", 4},
    {" WAV (Waveform Audio)", 1},
    {" WMA (Windows Media Audio)", 3},
}};
inline constexpr int OptionMp3Row = 0;
inline constexpr int OptionOggRow = 1;
inline constexpr int OptionWavRow = 2;
inline constexpr int OptionWmaRow = 3;

// The format list's row of a format code; -1 for a code the list does not hold.
int OptionRowOfFormat(int format);

QStringList OptionSampleRateRows();
// Rows 0 to 2 for Ogg Vorbis and WAV; MP3 adds joint stereo and dual channel.
QStringList OptionChannelRows(bool mp3);
QStringList OptionMp3BitrateRows();
// Row r is OGG.QualityCompression r - 1.
QStringList OptionOggQualityRows();
QStringList OptionWavCodecRows();

// The WMA presets a row may name: WMA.Profile = row + OptionFirstWmaPreset.
inline constexpr int OptionFirstWmaPreset = 12;
inline constexpr int OptionLastWmaPreset = 55;
// One row per preset 12 to 55 with the component's own description of it. A preset the loaded
// preset file lacks (or no file at all) still takes its row, so rows keep their numbers, and
// says that it is not available.
QStringList OptionWmaPresetRows(const WmaPresetList* presets);

}  // namespace tonquill
