#include "settings/ConversionSettings.h"

#include <algorithm>

namespace tonquill {

int ResolveSampleRate(int freqIndex, int sourceRate) {
    if (freqIndex >= 1 && freqIndex < static_cast<int>(SampleRateTable.size())) {
        return SampleRateTable[freqIndex];
    }
    // Compared as unsigned numbers, so a nonsense negative rate ends at the top of the table.
    const auto source = static_cast<uint32_t>(sourceRate);
    for (size_t i = 1; i < SampleRateTable.size(); ++i) {
        if (static_cast<uint32_t>(SampleRateTable[i]) >= source) {
            return SampleRateTable[i];
        }
    }
    return 48000;
}

int ResolveChannelCount(int channelCode, int sourceChannels) {
    switch (channelCode) {
        case ChannelMono:
            return 1;
        case ChannelStereo:
        case ChannelJointStereo:
        case ChannelDual:
            return 2;
        default:
            return std::clamp(sourceChannels, 1, 2);
    }
}

int Mp3Bitrate(int lameBits) {
    if (lameBits >= 0 && lameBits < static_cast<int>(Mp3BitrateTable.size())) {
        return Mp3BitrateTable[lameBits];
    }
    return Mp3BitrateTable[DefaultMp3BitsIndex];
}

float VorbisQuality(int qualityCompression) {
    return static_cast<float>(qualityCompression / 10.0);
}

}  // namespace tonquill
