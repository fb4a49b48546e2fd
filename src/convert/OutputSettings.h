#pragma once

#include <array>
#include <string>
#include <vector>

#include "settings/ConversionSettings.h"

namespace tonquill {

class WmaPresetList;

// The rate and channel count an encoder is given for a source.
struct OutputShape {
    int rate;
    int channels;
};

// One list of the options dialog's encoder settings: its label, its rows for the stored
// settings, the row those select, and how a chosen row is stored.
struct EncoderSettingList {
    const char* label;
    // presets: the WMA presets the component loaded, or null; only the WMA preset list reads it.
    std::vector<std::string> (*rows)(const ConversionSettings& settings,
                                     const WmaPresetList* presets);
    // -1 when the stored value has no row (a hand-edited file).
    int (*selectedRow)(const ConversionSettings& settings);
    // Row -1 (none chosen) keeps a stored value the field may hold, and otherwise puts the
    // field's default, so OK never stores a value the encoder would refuse.
    void (*store)(ConversionSettings& settings, int row);
    bool wideRows;  // rows far longer than the box: its drop-down is made wider
};

// What the front ends know of an output format's settings: the summary line, the options
// dialog's lists, what the rate stage makes of a source, and the command line's shared options.
// Each format that is written has one, in its own folder, and its row of the codec table
// (convert/Codecs.h) points at it.
struct OutputSettings {
    // componentText: what the WMA component says of the preset in force ("" when nothing).
    std::string (*summary)(const ConversionSettings& settings, const std::string& componentText);
    std::vector<EncoderSettingList> lists;  // top to bottom, at most three
    bool estimatedBitrateNote;              // the dialog's note under the lists shows
    OutputShape (*shape)(const ConversionSettings& settings, int sourceRate, int sourceChannels);

    // The command line's options that several formats share; null where one does not apply.
    int16_t* (*rateIndex)(ConversionSettings& settings);                   // -r: the Freq field
    void (*storeChannels)(ConversionSettings& settings, int channelCode);  // -c
    bool jointAndDual;  // -c also takes joint stereo and dual channel
    // Why -r and -c do not apply, where they do not: "it keeps the source's rate and channels".
    const char* fixedShapeReason;
    // -b in kbit/s: "" once stored, otherwise what was wrong with the value.
    std::string (*storeBitrate)(ConversionSettings& settings, int kbps);
    // --bits: false for a size the format does not write; sampleBitsValues lists the ones it does.
    bool (*storeSampleBits)(ConversionSettings& settings, int bits);
    const char* sampleBitsValues;
};

// Stores a list's chosen row: field = row + offset; with no row chosen, a field outside
// [low, high] takes fallback.
template <typename Field>
void StoreListRow(int row, Field& field, int offset, int low, int high, Field fallback) {
    if (row >= 0) {
        field = static_cast<Field>(row + offset);
    } else if (field < low || field > high) {
        field = fallback;
    }
}

// Pieces the formats share.
inline constexpr int LastRateIndex = static_cast<int>(SampleRateTable.size()) - 1;
// Whether a Freq index names a rate of the table; an index outside it converts as automatic.
bool HasFixedRate(int freqIndex);
// " 44100 Hz;" or " Automatic Frequency;" as the summary line shows the rate.
std::string RatePiece(int freqIndex);
// " Mono;", " Stereo;", ...: joint and dual only where jointAndDual.
std::string ChannelPiece(int channelCode, bool jointAndDual);
// The rows of a Freq list (row r is index r) and of a channel list (row r is channel code r).
std::vector<std::string> SampleRateRows();
std::vector<std::string> ChannelRows(bool jointAndDual);
// The shape of a format whose rate and channels follow a Freq index and a channel code.
OutputShape ChosenShape(int freqIndex, int channelCode, int sourceRate, int sourceChannels);
// The shape of a format that keeps the source's rate (lossless) and its channels up to stereo.
OutputShape SourceShape(int sourceRate, int sourceChannels);

// The "Sampling Frequency:" list of a format whose rate is a Freq index, and its "Channel Mode:"
// list of channel codes: Section and Field name the record's member, as &ConversionSettings::MP3
// and &ConversionSettings::Mp3Section::Freq.
template <auto Section, auto Field>
EncoderSettingList SampleRateList() {
    return {"Sampling Frequency:",
            [](const ConversionSettings&, const WmaPresetList*) { return SampleRateRows(); },
            [](const ConversionSettings& s) { return static_cast<int>((s.*Section).*Field); },
            [](ConversionSettings& s, int row) {
                StoreListRow(row, (s.*Section).*Field, 0, 0, LastRateIndex,
                             (ConversionSettings{}.*Section).*Field);
            },
            false};
}
template <auto Section, auto Field, bool JointAndDual>
EncoderSettingList ChannelModeList() {
    return {
        "Channel Mode:",
        [](const ConversionSettings&, const WmaPresetList*) { return ChannelRows(JointAndDual); },
        [](const ConversionSettings& s) { return static_cast<int>((s.*Section).*Field); },
        [](ConversionSettings& s, int row) {
            StoreListRow(row, (s.*Section).*Field, 0, 0,
                         int{JointAndDual ? ChannelDual : ChannelStereo},
                         (ConversionSettings{}.*Section).*Field);
        },
        false};
}

// The "Sample Size:" list of a lossless format that writes 16 or 24 bits, kept in Section's Field:
// its rows come from Rows, a stored size outside the two falls back to the default, and
// StoreSampleSize is its --bits.
inline constexpr std::array<int, 2> LosslessSampleSizes{16, 24};
template <auto Section, auto Field>
int SampleSizeRow(const ConversionSettings& s) {
    const int bits = (s.*Section).*Field;
    return bits == LosslessSampleSizes[0] ? 0 : bits == LosslessSampleSizes[1] ? 1 : -1;
}
template <auto Section, auto Field, auto Rows>
EncoderSettingList SampleSizeList() {
    return {"Sample Size:", Rows, SampleSizeRow<Section, Field>,
            [](ConversionSettings& s, int row) {
                auto& bits = (s.*Section).*Field;
                if (row >= 0) {
                    bits = static_cast<int16_t>(LosslessSampleSizes[static_cast<size_t>(row)]);
                } else if (SampleSizeRow<Section, Field>(s) < 0) {
                    bits = (ConversionSettings{}.*Section).*Field;
                }
            },
            false};
}
template <auto Section, auto Field>
bool StoreSampleSize(ConversionSettings& s, int bits) {
    if (bits != LosslessSampleSizes[0] && bits != LosslessSampleSizes[1]) {
        return false;
    }
    (s.*Section).*Field = static_cast<int16_t>(bits);
    return true;
}

// The settings of an output format code; null for a code no format writes.
const OutputSettings* FindOutputSettings(int format);

}  // namespace tonquill
