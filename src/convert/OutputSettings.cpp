#include "convert/OutputSettings.h"

#include "base/Format.h"
#include "convert/Codecs.h"

namespace tonquill {

bool HasFixedRate(int freqIndex) {
    return freqIndex > 0 && freqIndex < static_cast<int>(SampleRateTable.size());
}

std::string RatePiece(int freqIndex) {
    return HasFixedRate(freqIndex) ? Format(" %5d Hz;", SampleRateTable[freqIndex])
                                   : std::string(" Automatic Frequency;");
}

std::string ChannelPiece(int channelCode, bool jointAndDual) {
    switch (channelCode) {
        case ChannelAuto:
            return " Automatic Channel;";
        case ChannelMono:
            return " Mono;";
        case ChannelStereo:
            return " Stereo;";
        case ChannelJointStereo:
            return jointAndDual ? " Joint Stereo;" : "";
        case ChannelDual:
            return jointAndDual ? " Dual Channel;" : "";
        default:
            return "";
    }
}

std::vector<std::string> SampleRateRows() {
    // The 8000 row is indented one space further than the others, as it always was.
    return {
        " Automatic (Fastest & Optimal Way, Recommended)",
        "   8000 Hertz",
        " 11025 Hertz",
        " 12000 Hertz",
        " 16000 Hertz",
        " 22050 Hertz",
        " 24000 Hertz",
        " 32000 Hertz",
        " 44100 Hertz",
        " 48000 Hertz",
    };
}

std::vector<std::string> ChannelRows(bool jointAndDual) {
    std::vector<std::string> rows{" Automatic (Fastest & Optimal Way, Recommended)", " Mono",
                                  " Stereo"};
    if (jointAndDual) {
        rows.insert(rows.end(), {" Joint Stereo", " Dual Channel"});
    }
    return rows;
}

OutputShape ChosenShape(int freqIndex, int channelCode, int sourceRate, int sourceChannels) {
    return {ResolveSampleRate(freqIndex, sourceRate),
            ResolveChannelCount(channelCode, sourceChannels)};
}

OutputShape SourceShape(int sourceRate, int sourceChannels) {
    return {sourceRate, ResolveChannelCount(ChannelAuto, sourceChannels)};
}

const OutputSettings* FindOutputSettings(int format) {
    const CodecEntry* codec = FindCodec(format);
    return codec ? codec->output : nullptr;
}

}  // namespace tonquill
