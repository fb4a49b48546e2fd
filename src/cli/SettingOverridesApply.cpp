#include "cli/SettingOverridesApply.h"

#include <filesystem>

#include "base/Format.h"

namespace tonquill {
namespace {

void RequireFormat(const ConversionSettings& settings, int format, const char* option) {
    if (settings.OUTPUT.OutputFormat != format) {
        const FormatInfo* wanted = FindFormat(format);
        const FormatInfo* current = FindFormat(settings.OUTPUT.OutputFormat);
        throw UsageError(Format("option %s applies to %s output, but the output format is %s",
                                option, wanted->name, current ? current->name : "unknown"));
    }
}

int ChannelCodeOf(const std::string& name, int format) {
    if (name == "auto") {
        return ChannelAuto;
    }
    if (name == "mono") {
        return ChannelMono;
    }
    if (name == "stereo") {
        return ChannelStereo;
    }
    if (format == FormatMp3) {
        return name == "joint" ? ChannelJointStereo : ChannelDual;
    }
    throw UsageError(Format("invalid channels '%s' for %s output (valid: auto, mono, stereo)",
                            name.c_str(), FindFormat(format)->name));
}

// -b: an MP3 bitrate of the table, or an Opus one of its range.
void ApplyBitrate(int kbps, ConversionSettings& settings) {
    const int format = settings.OUTPUT.OutputFormat;
    if (format == FormatOpus) {
        if (kbps < MinOpusBitrate || kbps > MaxOpusBitrate) {
            throw UsageError(Format("invalid bitrate '%d' for OPUS output (valid: %d to %d)", kbps,
                                    MinOpusBitrate, MaxOpusBitrate));
        }
        settings.OPUS.Bitrate = static_cast<int16_t>(kbps);
        return;
    }
    if (format != FormatMp3) {
        throw UsageError(
            Format("option -b/--bitrate applies to MP3 output and OPUS output, but the output "
                   "format is %s",
                   FindFormat(format)->name));
    }
    std::string valid;
    for (size_t i = 0; i < Mp3BitrateTable.size(); ++i) {
        if (Mp3BitrateTable[i] == kbps) {
            settings.MP3.LameBits = static_cast<int16_t>(i);
            return;
        }
        valid += (valid.empty() ? "" : ", ") + std::to_string(Mp3BitrateTable[i]);
    }
    throw UsageError(
        Format("invalid bitrate '%d' for MP3 output (valid: %s (kbit/s))", kbps, valid.c_str()));
}

// --bits: the WAV sample size (8, 16, 24) or the FLAC one (16, 24).
void ApplySampleBits(int bits, ConversionSettings& settings) {
    const int format = settings.OUTPUT.OutputFormat;
    if (format == FormatWav) {
        settings.WAV.SubFormat = static_cast<int16_t>(bits == 8 ? 0 : bits == 16 ? 1 : 2);
        return;
    }
    if (format == FormatFlac && bits != 8) {
        settings.FLAC.Bits = static_cast<int16_t>(bits);
        return;
    }
    throw UsageError(
        Format("option --bits %d does not apply to %s output (WAV: 8, 16, 24; "
               "FLAC: 16, 24)",
               bits, FindFormat(format)->name));
}

}  // namespace

std::string OutputFolderText(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    std::string text = ec ? path : absolute.lexically_normal().string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

void ApplySettingOverrides(const SettingOverrides& o, ConversionSettings& settings) {
    if (o.outputFormat) {
        settings.OUTPUT.OutputFormat = static_cast<int16_t>(*o.outputFormat);
    }
    const int format = settings.OUTPUT.OutputFormat;
    if (!FindFormat(format)) {
        throw UsageError(
            Format("Config.ini holds the unknown output format %d; choose one with "
                   "-f/--format (valid: mp3, ogg, wav, wma, flac, opus)",
                   format));
    }
    if (o.bitrateKbps) {
        ApplyBitrate(*o.bitrateKbps, settings);
    }
    if (o.oggQuality) {
        RequireFormat(settings, FormatOgg, "-q/--quality");
        settings.OGG.QualityCompression = static_cast<int16_t>(*o.oggQuality);
    }
    if (o.wavSubFormat) {
        RequireFormat(settings, FormatWav, "--wav-bits");
        settings.WAV.SubFormat = static_cast<int16_t>(*o.wavSubFormat);
    }
    if (o.flacLevel) {
        RequireFormat(settings, FormatFlac, "--flac-level");
        settings.FLAC.Level = static_cast<int16_t>(*o.flacLevel);
    }
    if (o.sampleBits) {
        ApplySampleBits(*o.sampleBits, settings);
    }
    if (o.wmaProfile) {
        RequireFormat(settings, FormatWma, "--wma-preset");
        settings.WMA.Profile = static_cast<int16_t>(*o.wmaProfile);
    }
    if (format == FormatWma && (o.freqIndex || o.channels)) {
        throw UsageError(
            "options -r/--rate and -c/--channels do not apply to WMA output: the preset "
            "decides (--wma-preset)");
    }
    if (format == FormatOpus && (o.freqIndex || o.channels)) {
        throw UsageError(
            "options -r/--rate and -c/--channels do not apply to OPUS output: it is always "
            "48000 Hz with the source's channels");
    }
    if (format == FormatFlac && (o.freqIndex || o.channels)) {
        throw UsageError(
            "options -r/--rate and -c/--channels do not apply to FLAC output: it keeps the "
            "source's rate and channels");
    }
    if (o.freqIndex) {
        const auto freq = static_cast<int16_t>(*o.freqIndex);
        (format == FormatWav   ? settings.WAV.Freq
         : format == FormatMp3 ? settings.MP3.Freq
                               : settings.OGG.Freq) = freq;
    }
    if (o.channels) {
        const int code = ChannelCodeOf(*o.channels, format);
        if (format == FormatWav) {
            settings.WAV.Channel = code;
        } else if (format == FormatMp3) {
            settings.MP3.LameChannel = static_cast<int16_t>(code);
        } else {
            settings.OGG.Channel = code;
        }
    }
    if (o.outDir) {
        settings.OUTPUT.SameAsSrc = 0;
        settings.OUTPUT.DesDir = OutputFolderText(*o.outDir);
    }
    if (o.sameAsSource) {
        settings.OUTPUT.SameAsSrc = 1;
    }
    if (o.keepFolders) {
        settings.OUTPUT.KeepFolders = 1;
    }
    if (o.namePattern) {
        settings.OUTPUT.NamePattern = *o.namePattern;
    }
    if (o.copyCovers) {
        settings.OUTPUT.CopyCovers = 1;
    }
}

}  // namespace tonquill
