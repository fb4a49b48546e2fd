#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

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
    for (const int bits : LosslessSampleSizes) {
        rows.push_back(Format(" Signed %d bit", bits));
    }
    return rows;
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
        SampleSizeList<&ConversionSettings::FLAC, &ConversionSettings::FlacSection::Bits,
                       BitsRows>(),
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
    StoreSampleSize<&ConversionSettings::FLAC, &ConversionSettings::FlacSection::Bits>,
    "16, 24",
};

}  // namespace tonquill
