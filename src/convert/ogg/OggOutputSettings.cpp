#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

std::string Summary(const ConversionSettings& settings, const std::string&) {
    const auto& ogg = settings.OGG;
    std::string text = HasFixedRate(ogg.Freq) ? Format("OGG: %5d Hz;", SampleRateTable[ogg.Freq])
                                              : std::string("OGG: Automatic Frequency;");
    text += ChannelPiece(ogg.Channel, false);
    return text + Format(" Quality : %.1f;", ogg.QualityCompression / 10.0);
}

// Row r is OGG.QualityCompression r - 1.
std::vector<std::string> QualityRows(const ConversionSettings&, const WmaPresetList*) {
    // The odd tenths hold a tab after "Quality" where the others hold a space: the texts are
    // shown as they always were.
    return {
        " Quality -0.1;  Estimated Bitrate:    48kbps",
        " Quality  0.0;  Estimated Bitrate:    64kbps",
        " Quality\t  0.1;  Estimated Bitrate:    80kbps",
        " Quality  0.2;  Estimated Bitrate:    96kbps",
        " Quality\t  0.3;  Estimated Bitrate:   112kbps",
        " Quality  0.4;  Estimated Bitrate:   128kbps",
        " Quality\t  0.5;  Estimated Bitrate:   160kbps",
        " Quality  0.6;  Estimated Bitrate:   192kbps",
        " Quality\t  0.7;  Estimated Bitrate:   224kbps",
        " Quality  0.8;  Estimated Bitrate:   256kbps",
        " Quality\t  0.9;  Estimated Bitrate:   350kbps",
        " Quality  1.0;  Estimated Bitrate:   500kbps",
    };
}

}  // namespace

const OutputSettings OggOutputSettings{
    Summary,
    {
        SampleRateList<&ConversionSettings::OGG, &ConversionSettings::OggSection::Freq>(),
        ChannelModeList<&ConversionSettings::OGG, &ConversionSettings::OggSection::Channel,
                        false>(),
        {"Quality:", QualityRows,
         [](const ConversionSettings& s) { return s.OGG.QualityCompression + 1; },
         [](ConversionSettings& s, int row) {
             StoreListRow(row, s.OGG.QualityCompression, -1, -1, 10,
                          ConversionSettings{}.OGG.QualityCompression);
         },
         false},
    },
    true,
    [](const ConversionSettings& s, int sourceRate, int sourceChannels) {
        return ChosenShape(s.OGG.Freq, s.OGG.Channel, sourceRate, sourceChannels);
    },
    [](ConversionSettings& s) { return &s.OGG.Freq; },
    [](ConversionSettings& s, int code) { s.OGG.Channel = code; },
    false,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace tonquill
