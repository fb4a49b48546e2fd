#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

std::string Summary(const ConversionSettings& settings, const std::string&) {
    const auto& mp3 = settings.MP3;
    const int bitrate = Mp3Bitrate(mp3.LameBits);
    std::string text = "MP3:  ";
    text += HasFixedRate(mp3.Freq)
                ? Format("CBR %3d kbps; %5d Hz;", bitrate, SampleRateTable[mp3.Freq])
                : Format("CBR %3d kbps; Automatic Frequency;", bitrate);
    return text + ChannelPiece(mp3.LameChannel, true);
}

std::vector<std::string> BitrateRows(const ConversionSettings&, const WmaPresetList*) {
    std::vector<std::string> rows;
    for (const int kbps : Mp3BitrateTable) {
        rows.push_back(Format(" %3d kbits per second", kbps));
    }
    return rows;
}

// -b takes a bitrate of the table.
std::string StoreBitrate(ConversionSettings& settings, int kbps) {
    std::string valid;
    for (size_t i = 0; i < Mp3BitrateTable.size(); ++i) {
        if (Mp3BitrateTable[i] == kbps) {
            settings.MP3.LameBits = static_cast<int16_t>(i);
            return "";
        }
        valid += (valid.empty() ? "" : ", ") + std::to_string(Mp3BitrateTable[i]);
    }
    return Format("invalid bitrate '%d' for MP3 output (valid: %s (kbit/s))", kbps, valid.c_str());
}

}  // namespace

const OutputSettings Mp3OutputSettings{
    Summary,
    {
        SampleRateList<&ConversionSettings::MP3, &ConversionSettings::Mp3Section::Freq>(),
        ChannelModeList<&ConversionSettings::MP3, &ConversionSettings::Mp3Section::LameChannel,
                        true>(),
        {"Bits per Second:", BitrateRows,
         [](const ConversionSettings& s) { return int{s.MP3.LameBits}; },
         [](ConversionSettings& s, int row) {
             StoreListRow(row, s.MP3.LameBits, 0, 0, static_cast<int>(Mp3BitrateTable.size()) - 1,
                          ConversionSettings{}.MP3.LameBits);
         },
         false},
    },
    true,
    [](const ConversionSettings& s, int sourceRate, int sourceChannels) {
        return ChosenShape(s.MP3.Freq, s.MP3.LameChannel, sourceRate, sourceChannels);
    },
    [](ConversionSettings& s) { return &s.MP3.Freq; },
    [](ConversionSettings& s, int code) { s.MP3.LameChannel = static_cast<int16_t>(code); },
    true,
    nullptr,
    StoreBitrate,
    nullptr,
    nullptr,
};

}  // namespace tonquill
