#include "cli/SettingOverridesApply.h"

#include <filesystem>

#include "base/Format.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

// An option of one output format alone, named by that format's extension.
void RequireFormat(const ConversionSettings& settings, const char* extension, const char* option) {
    const FormatInfo* wanted = FindFormatByExtension(extension);
    if (settings.OUTPUT.OutputFormat != wanted->code) {
        const FormatInfo* current = FindFormat(settings.OUTPUT.OutputFormat);
        throw UsageError(Format("option %s applies to %s output, but the output format is %s",
                                option, wanted->name, current ? current->name : "unknown"));
    }
}

int ChannelCodeOf(const std::string& name, const OutputSettings& output, const char* format) {
    if (name == "auto") {
        return ChannelAuto;
    }
    if (name == "mono") {
        return ChannelMono;
    }
    if (name == "stereo") {
        return ChannelStereo;
    }
    if (output.jointAndDual) {
        return name == "joint" ? ChannelJointStereo : ChannelDual;
    }
    throw UsageError(Format("invalid channels '%s' for %s output (valid: auto, mono, stereo)",
                            name.c_str(), format));
}

// "MP3 output and OPUS output": the formats, in the order of the Format menu, for which the
// member is set.
template <typename Member>
std::string FormatsWith(Member member, const char* suffix, const char* join) {
    std::string text;
    for (const FormatInfo* format : FormatsInMenuOrder()) {
        const OutputSettings* output = FindOutputSettings(format->code);
        if (output && output->*member) {
            text += (text.empty() ? "" : join) + std::string(format->name) + suffix;
        }
    }
    return text;
}

// -b: a bitrate the output format takes.
void ApplyBitrate(int kbps, const OutputSettings& output, const char* format,
                  ConversionSettings& settings) {
    if (!output.storeBitrate) {
        throw UsageError(
            Format("option -b/--bitrate applies to %s, but the output format is %s",
                   FormatsWith(&OutputSettings::storeBitrate, " output", " and ").c_str(), format));
    }
    const std::string error = output.storeBitrate(settings, kbps);
    if (!error.empty()) {
        throw UsageError(error);
    }
}

// --bits: a sample size the output format writes.
void ApplySampleBits(int bits, const OutputSettings& output, const char* format,
                     ConversionSettings& settings) {
    if (output.storeSampleBits && output.storeSampleBits(settings, bits)) {
        return;
    }
    std::string valid;
    for (const FormatInfo& info : FormatTable) {
        const OutputSettings* other = FindOutputSettings(info.code);
        if (other && other->storeSampleBits) {
            valid += (valid.empty() ? "" : "; ") + std::string(info.name) + ": " +
                     other->sampleBitsValues;
        }
    }
    throw UsageError(
        Format("option --bits %d does not apply to %s output (%s)", bits, format, valid.c_str()));
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
    const FormatInfo* format = FindFormat(settings.OUTPUT.OutputFormat);
    const OutputSettings* output = FindOutputSettings(settings.OUTPUT.OutputFormat);
    if (!format || !output) {
        std::string valid;
        for (const FormatInfo* info : FormatsInMenuOrder()) {
            valid += (valid.empty() ? "" : ", ") + std::string(info->extension);
        }
        throw UsageError(
            Format("Config.ini holds the unknown output format %d; choose one with "
                   "-f/--format (valid: %s)",
                   settings.OUTPUT.OutputFormat, valid.c_str()));
    }
    if (o.bitrateKbps) {
        ApplyBitrate(*o.bitrateKbps, *output, format->name, settings);
    }
    if (o.oggQuality) {
        RequireFormat(settings, "ogg", "-q/--quality");
        settings.OGG.QualityCompression = static_cast<int16_t>(*o.oggQuality);
    }
    if (o.wavSubFormat) {
        RequireFormat(settings, "wav", "--wav-bits");
        settings.WAV.SubFormat = static_cast<int16_t>(*o.wavSubFormat);
    }
    if (o.flacLevel) {
        RequireFormat(settings, "flac", "--flac-level");
        settings.FLAC.Level = static_cast<int16_t>(*o.flacLevel);
    }
    if (o.sampleBits) {
        ApplySampleBits(*o.sampleBits, *output, format->name, settings);
    }
    if (o.wmaProfile) {
        RequireFormat(settings, "wma", "--wma-preset");
        settings.WMA.Profile = static_cast<int16_t>(*o.wmaProfile);
    }
    if ((o.freqIndex || o.channels) && output->fixedShapeReason) {
        throw UsageError(Format("options -r/--rate and -c/--channels do not apply to %s output: %s",
                                format->name, output->fixedShapeReason));
    }
    if (o.freqIndex && output->rateIndex) {
        *output->rateIndex(settings) = static_cast<int16_t>(*o.freqIndex);
    }
    if (o.channels && output->storeChannels) {
        output->storeChannels(settings, ChannelCodeOf(*o.channels, *output, format->name));
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
