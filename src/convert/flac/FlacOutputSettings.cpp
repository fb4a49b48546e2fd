#include <algorithm>
#include <array>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

// The sample sizes of the list, in its order.
constexpr std::array<int, 2> FlacBits{16, 24};

// The rate and channels of a lossless output are the source's own.
std::string Summary(const ConversionSettings& settings, const std::string&) {
    return Format("FLAC:  Level %d; %d bit; Source Frequency; Automatic Channel;",
                  settings.FLAC.Level, settings.FLAC.Bits);
}

std::vector<std::string> LevelRows(const ConversionSettings&, const WmaPresetList*) {
    std::vector<std::string> rows;
    for (int level = 0; level <= 8; ++level) {
        rows.push_back(Format(" Level %d", level));
    }
    rows[0] += " (Fastest)";
    rows[5] += " (Recommended)";
    rows[8] += " (Smallest)";
    return rows;
}

std::vector<std::string> BitsRows(const ConversionSettings&, const WmaPresetList*) {
    std::vector<std::string> rows;
    for (const int bits : FlacBits) {
        rows.push_back(Format(" Signed %d bit", bits));
    }
    return rows;
}

int BitsRow(const ConversionSettings& settings) {
    const auto at = std::find(FlacBits.begin(), FlacBits.end(), settings.FLAC.Bits);
    return at == FlacBits.end() ? -1 : static_cast<int>(at - FlacBits.begin());
}

void StoreBits(ConversionSettings& settings, int row) {
    auto& bits = settings.FLAC.Bits;
    if (row >= 0) {
        bits = static_cast<int16_t>(FlacBits[static_cast<size_t>(row)]);
    } else if (BitsRow(settings) < 0) {
        bits = ConversionSettings{}.FLAC.Bits;
    }
}

}  // namespace

const OutputSettings FlacOutputSettings{
    Summary,
    {
        {"Compression:", LevelRows, [](const ConversionSettings& s) { return int{s.FLAC.Level}; },
         [](ConversionSettings& s, int row) {
             StoreListRow(row, s.FLAC.Level, 0, 0, 8, ConversionSettings{}.FLAC.Level);
         },
         false},
        {"Sample Size:", BitsRows, BitsRow, StoreBits, false},
    },
    false,
    // Lossless keeps the source's rate, hi-res included.
    [](const ConversionSettings&, int sourceRate, int sourceChannels) {
        return SourceShape(sourceRate, sourceChannels);
    },
    nullptr,
    nullptr,
    false,
    "it keeps the source's rate and channels",
    nullptr,
    [](ConversionSettings& s, int bits) {
        if (std::find(FlacBits.begin(), FlacBits.end(), bits) == FlacBits.end()) {
            return false;
        }
        s.FLAC.Bits = static_cast<int16_t>(bits);
        return true;
    },
    "16, 24",
};

}  // namespace tonquill
