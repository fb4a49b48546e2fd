#include "settings/SettingsSummary.h"

#include "base/Format.h"

namespace tonquill {

namespace {

// A rate index outside the table, possible only from a hand-edited file, converts as automatic,
// so it is shown as automatic too.
bool HasFixedRate(int freqIndex) {
    return freqIndex > 0 && freqIndex < static_cast<int>(SampleRateTable.size());
}

std::string ChannelPiece(int channelCode, bool mp3Modes) {
    switch (channelCode) {
        case ChannelAuto:
            return " Automatic Channel;";
        case ChannelMono:
            return " Mono;";
        case ChannelStereo:
            return " Stereo;";
        case ChannelJointStereo:
            return mp3Modes ? " Joint Stereo;" : "";
        case ChannelDual:
            return mp3Modes ? " Dual Channel;" : "";
        default:
            return "";
    }
}

std::string WavSummary(const ConversionSettings::WavSection& wav) {
    std::string text;
    if (wav.SubFormat == 1) {
        text = "WAV:  Signed 16 bit PCM";
    } else if (wav.SubFormat == 2) {
        text = "WAV:  Signed 24 bit PCM";
    } else if (wav.SubFormat == 0) {
        text = "WAV:  Unsigned 8 bit PCM";
    }
    text += HasFixedRate(wav.Freq) ? Format(" %5d Hz;", SampleRateTable[wav.Freq])
                                   : std::string(" Automatic Frequency;");
    return text + ChannelPiece(wav.Channel, false);
}

std::string Mp3Summary(const ConversionSettings::Mp3Section& mp3) {
    std::string text = "MP3:  ";
    const int bitrate = Mp3Bitrate(mp3.LameBits);
    text += HasFixedRate(mp3.Freq)
                ? Format("CBR %3d kbps; %5d Hz;", bitrate, SampleRateTable[mp3.Freq])
                : Format("CBR %3d kbps; Automatic Frequency;", bitrate);
    return text + ChannelPiece(mp3.LameChannel, true);
}

std::string WmaSummary(const ConversionSettings::WmaSection& wma, const std::string& description) {
    if (!description.empty()) {
        return "WMA:  " + description;
    }
    return Format("WMA:  Preset %d is not available", wma.Profile);
}

std::string OggSummary(const ConversionSettings::OggSection& ogg) {
    std::string text = HasFixedRate(ogg.Freq) ? Format("OGG: %5d Hz;", SampleRateTable[ogg.Freq])
                                              : std::string("OGG: Automatic Frequency;");
    text += ChannelPiece(ogg.Channel, false);
    return text + Format(" Quality : %.1f;", ogg.QualityCompression / 10.0);
}

// The rate and channels of a lossless output are the source's own.
std::string FlacSummary(const ConversionSettings::FlacSection& flac) {
    return Format("FLAC:  Level %d; %d bit; Source Frequency; Automatic Channel;", flac.Level,
                  flac.Bits);
}

std::string OpusSummary(const ConversionSettings::OpusSection& opus) {
    return Format("OPUS:  VBR %3d kbps; 48000 Hz; Automatic Channel;", opus.Bitrate);
}

}  // namespace

std::string SettingsSummary(const ConversionSettings& settings,
                            const std::string& wmaPresetDescription) {
    switch (settings.OUTPUT.OutputFormat) {
        case FormatWav:
            return WavSummary(settings.WAV);
        case FormatMp3:
            return Mp3Summary(settings.MP3);
        case FormatWma:
            return WmaSummary(settings.WMA, wmaPresetDescription);
        case FormatOgg:
            return OggSummary(settings.OGG);
        case FormatFlac:
            return FlacSummary(settings.FLAC);
        case FormatOpus:
            return OpusSummary(settings.OPUS);
        default:
            return "";
    }
}

}  // namespace tonquill
