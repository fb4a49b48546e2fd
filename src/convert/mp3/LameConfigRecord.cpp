#include "convert/mp3/LameConfigRecord.h"

#include <cstdlib>
#include <cstring>
#include <span>

namespace tonquill {

int LameEffectiveBitrate(int kbps, int rate) {
    static constexpr int Mpeg1[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int Mpeg2[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr int Mpeg25[] = {8, 16, 24, 32, 40, 48, 56, 64};
    const std::span<const int> allowed = rate >= 32000   ? std::span<const int>(Mpeg1)
                                         : rate >= 16000 ? std::span<const int>(Mpeg2)
                                                         : std::span<const int>(Mpeg25);
    int nearest = allowed.front();
    for (int candidate : allowed) {
        if (std::abs(candidate - kbps) < std::abs(nearest - kbps)) {
            nearest = candidate;
        }
    }
    return nearest;
}

int32_t LameMode(int lameChannel, int targetChannels) {
    if (targetChannels == 1) {
        return lameenc::ModeMono;
    }
    switch (lameChannel) {
        case ChannelStereo:
            return lameenc::ModeStereo;
        case ChannelDual:
            return lameenc::ModeDualChannel;
        default:
            return lameenc::ModeJointStereo;
    }
}

lameenc::LameConfig MakeLameConfig(const ConversionSettings& settings, int targetRate,
                                   int targetChannels) {
    lameenc::LameConfig config;
    std::memset(&config, 0, sizeof config);
    config.ConfigKind = lameenc::BeConfigLame;
    config.StructVersion = lameenc::CurrentStructVersion;
    config.StructSize = lameenc::ConfigRecordSize;
    config.SampleRate = static_cast<uint32_t>(targetRate);
    config.ReSampleRate = 0;
    config.Mode = LameMode(settings.MP3.LameChannel, targetChannels);
    config.Bitrate = static_cast<uint32_t>(Mp3Bitrate(settings.MP3.LameBits));
    config.Preset = lameenc::NoPreset;
    config.MpegVersion = lameenc::Mpeg1;
    config.WriteVbrHeader = 1;
    config.NoBitReservoir = 1;
    const unsigned q = static_cast<uint8_t>(settings.MP3.LameQuality);
    config.Quality = static_cast<uint16_t>(((255 - q) << 8) | q);
    return config;
}

}  // namespace tonquill
