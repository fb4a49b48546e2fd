#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

// The rate and channels of a lossless output are the source's own.
std::string Summary(const ConversionSettings& settings, const std::string&) {
    return Format("AIFF:  Signed %d bit PCM; Source Frequency; Automatic Channel;",
                  settings.AIFF.Bits);
}

std::vector<std::string> BitsRows(const ConversionSettings&, const WmaPresetList*) {
    std::vector<std::string> rows;
    for (const int bits : LosslessSampleSizes) {
        rows.push_back(Format(" Signed %d bit PCM", bits));
    }
    return rows;
}

}  // namespace

const OutputSettings AiffOutputSettings{
    Summary,
    {SampleSizeList<&ConversionSettings::AIFF, &ConversionSettings::AiffSection::Bits, BitsRows>()},
    false,
    [](const ConversionSettings&, int sourceRate, int sourceChannels) {
        return SourceShape(sourceRate, sourceChannels);
    },
    nullptr,
    nullptr,
    false,
    "it keeps the source's rate and channels",
    nullptr,
    StoreSampleSize<&ConversionSettings::AIFF, &ConversionSettings::AiffSection::Bits>,
    "16, 24",
};

}  // namespace tonquill
