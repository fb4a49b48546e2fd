#include <algorithm>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

std::string Summary(const ConversionSettings& settings, const std::string&) {
    return Format("OPUS:  VBR %3d kbps; 48000 Hz; Automatic Channel;", settings.OPUS.Bitrate);
}

// The bitrates the list offers, in kbit/s; a stored value between them (from the command line or
// a hand-edited file) gets a row of its own, so OK keeps it.
std::vector<int> ListedBitrates(int stored) {
    std::vector<int> bitrates{6,   8,   12,  16,  24,  32,  48,  64, 96,
                              128, 160, 192, 256, 320, 384, 448, 510};
    if (stored >= MinOpusBitrate && stored <= MaxOpusBitrate &&
        std::find(bitrates.begin(), bitrates.end(), stored) == bitrates.end()) {
        bitrates.insert(std::upper_bound(bitrates.begin(), bitrates.end(), stored), stored);
    }
    return bitrates;
}

std::vector<std::string> BitrateRows(const ConversionSettings& settings, const WmaPresetList*) {
    std::vector<std::string> rows;
    for (const int kbps : ListedBitrates(settings.OPUS.Bitrate)) {
        rows.push_back(Format(" %3d kbits per second", kbps));
    }
    return rows;
}

int BitrateRow(const ConversionSettings& settings) {
    const std::vector<int> bitrates = ListedBitrates(settings.OPUS.Bitrate);
    const auto at = std::find(bitrates.begin(), bitrates.end(), settings.OPUS.Bitrate);
    return at == bitrates.end() ? -1 : static_cast<int>(at - bitrates.begin());
}

void StoreBitrateRow(ConversionSettings& settings, int row) {
    auto& bitrate = settings.OPUS.Bitrate;
    const std::vector<int> bitrates = ListedBitrates(bitrate);
    if (row >= 0 && row < static_cast<int>(bitrates.size())) {
        bitrate = static_cast<int16_t>(bitrates[static_cast<size_t>(row)]);
    } else if (bitrate < MinOpusBitrate || bitrate > MaxOpusBitrate) {
        bitrate = ConversionSettings{}.OPUS.Bitrate;
    }
}

std::string StoreBitrate(ConversionSettings& settings, int kbps) {
    if (kbps < MinOpusBitrate || kbps > MaxOpusBitrate) {
        return Format("invalid bitrate '%d' for OPUS output (valid: %d to %d)", kbps,
                      MinOpusBitrate, MaxOpusBitrate);
    }
    settings.OPUS.Bitrate = static_cast<int16_t>(kbps);
    return "";
}

}  // namespace

const OutputSettings OpusOutputSettings{
    Summary,
    {{"Bits per Second:", BitrateRows, BitrateRow, StoreBitrateRow, false}},
    false,
    // Opus works at 48 kHz alone; the rate stage brings every source there.
    [](const ConversionSettings&, int, int sourceChannels) {
        return OutputShape{48000, ResolveChannelCount(ChannelAuto, sourceChannels)};
    },
    nullptr,
    nullptr,
    false,
    "it is always 48000 Hz with the source's channels",
    StoreBitrate,
    nullptr,
    nullptr,
};

}  // namespace tonquill
