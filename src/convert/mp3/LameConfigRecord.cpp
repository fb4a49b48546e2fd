#include "convert/mp3/LameConfigRecord.h"

#include <cstring>

namespace tonquill {

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
