#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

std::string Summary(const ConversionSettings& settings, const std::string&) {
    const auto& wav = settings.WAV;
    std::string text;
    if (wav.SubFormat == 1) {
        text = "WAV:  Signed 16 bit PCM";
    } else if (wav.SubFormat == 2) {
        text = "WAV:  Signed 24 bit PCM";
    } else if (wav.SubFormat == 0) {
        text = "WAV:  Unsigned 8 bit PCM";
    }
    return text + RatePiece(wav.Freq) + ChannelPiece(wav.Channel, false);
}

OutputShape Shape(const ConversionSettings& settings, int sourceRate, int sourceChannels) {
    OutputShape shape =
        ChosenShape(settings.WAV.Freq, settings.WAV.Channel, sourceRate, sourceChannels);
    // 24-bit output is there to keep a hi-res source whole: its automatic rate keeps rates above
    // the table's too, instead of bringing them down to 48 kHz.
    if (settings.WAV.SubFormat == 2 && !HasFixedRate(settings.WAV.Freq) &&
        sourceRate > shape.rate) {
        shape.rate = sourceRate;
    }
    return shape;
}

constexpr int SubFormatOfBits(int bits) {
    return bits == 8 ? 0 : bits == 16 ? 1 : 2;
}

}  // namespace

const OutputSettings WavOutputSettings{
    Summary,
    {
        SampleRateList<&ConversionSettings::WAV, &ConversionSettings::WavSection::Freq>(),
        ChannelModeList<&ConversionSettings::WAV, &ConversionSettings::WavSection::Channel,
                        false>(),
        {"Codec:",
         [](const ConversionSettings&, const WmaPresetList*) {
             return std::vector<std::string>{" Unsigned 8 bit PCM", " Signed 16 bit PCM",
                                             " Signed 24 bit PCM"};
         },
         [](const ConversionSettings& s) { return int{s.WAV.SubFormat}; },
         [](ConversionSettings& s, int row) {
             StoreListRow(row, s.WAV.SubFormat, 0, 0, 2, ConversionSettings{}.WAV.SubFormat);
         },
         false},
    },
    false,
    Shape,
    [](ConversionSettings& s) { return &s.WAV.Freq; },
    [](ConversionSettings& s, int code) { s.WAV.Channel = code; },
    false,
    nullptr,
    nullptr,
    [](ConversionSettings& s, int bits) {
        s.WAV.SubFormat = static_cast<int16_t>(SubFormatOfBits(bits));
        return true;
    },
    "8, 16, 24",
};

}  // namespace tonquill
