#include "app/OptionRows.h"

#include <algorithm>

#include "convert/ParallelBatch.h"
#include "convert/wma/WmaPresetList.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

int OptionRowOfFormat(int format) {
    for (size_t row = 0; row < OptionFormatRows.size(); ++row) {
        if (OptionFormatRows[row].format == format) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

QStringList OptionSampleRateRows() {
    // The 8000 row is indented one space further than the others, as it always was.
    return {
        QStringLiteral(" Automatic (Fastest & Optimal Way, Recommended)"),
        QStringLiteral("   8000 Hertz"),
        QStringLiteral(" 11025 Hertz"),
        QStringLiteral(" 12000 Hertz"),
        QStringLiteral(" 16000 Hertz"),
        QStringLiteral(" 22050 Hertz"),
        QStringLiteral(" 24000 Hertz"),
        QStringLiteral(" 32000 Hertz"),
        QStringLiteral(" 44100 Hertz"),
        QStringLiteral(" 48000 Hertz"),
    };
}

QStringList OptionChannelRows(bool mp3) {
    QStringList rows{QStringLiteral(" Automatic (Fastest & Optimal Way, Recommended)"),
                     QStringLiteral(" Mono"), QStringLiteral(" Stereo")};
    if (mp3) {
        rows << QStringLiteral(" Joint Stereo") << QStringLiteral(" Dual Channel");
    }
    return rows;
}

QStringList OptionMp3BitrateRows() {
    QStringList rows;
    for (const int kbps : Mp3BitrateTable) {
        rows << QStringLiteral(" %1 kbits per second").arg(kbps, 3);
    }
    return rows;
}

QStringList OptionOggQualityRows() {
    // The odd tenths hold a tab after "Quality" where the others hold a space: the texts are
    // shown as they always were.
    return {
        QStringLiteral(" Quality -0.1;  Estimated Bitrate:    48kbps"),
        QStringLiteral(" Quality  0.0;  Estimated Bitrate:    64kbps"),
        QStringLiteral(" Quality\t  0.1;  Estimated Bitrate:    80kbps"),
        QStringLiteral(" Quality  0.2;  Estimated Bitrate:    96kbps"),
        QStringLiteral(" Quality\t  0.3;  Estimated Bitrate:   112kbps"),
        QStringLiteral(" Quality  0.4;  Estimated Bitrate:   128kbps"),
        QStringLiteral(" Quality\t  0.5;  Estimated Bitrate:   160kbps"),
        QStringLiteral(" Quality  0.6;  Estimated Bitrate:   192kbps"),
        QStringLiteral(" Quality\t  0.7;  Estimated Bitrate:   224kbps"),
        QStringLiteral(" Quality  0.8;  Estimated Bitrate:   256kbps"),
        QStringLiteral(" Quality\t  0.9;  Estimated Bitrate:   350kbps"),
        QStringLiteral(" Quality  1.0;  Estimated Bitrate:   500kbps"),
    };
}

QStringList OptionWavCodecRows() {
    return {QStringLiteral(" Unsigned 8 bit PCM"), QStringLiteral(" Signed 16 bit PCM"),
            QStringLiteral(" Signed 24 bit PCM")};
}

QStringList OptionJobsRows(int cores) {
    QStringList rows{cores == 1 ? QStringLiteral(" Automatic (1 file)")
                                : QStringLiteral(" Automatic (%1 files)").arg(cores)};
    for (int jobs = 1; jobs <= MaxPipelines; ++jobs) {
        rows << QStringLiteral(" %1").arg(jobs);
    }
    return rows;
}

QStringList OptionFlacLevelRows() {
    QStringList rows;
    for (int level = 0; level <= 8; ++level) {
        rows << QStringLiteral(" Level %1").arg(level);
    }
    rows[0] += QStringLiteral(" (Fastest)");
    rows[5] += QStringLiteral(" (Recommended)");
    rows[8] += QStringLiteral(" (Smallest)");
    return rows;
}

QStringList OptionFlacBitsRows() {
    QStringList rows;
    for (const int bits : OptionFlacBits) {
        rows << QStringLiteral(" Signed %1 bit").arg(bits);
    }
    return rows;
}

std::vector<int> OptionOpusBitrates(int stored) {
    std::vector<int> bitrates{6,   8,   12,  16,  24,  32,  48,  64, 96,
                              128, 160, 192, 256, 320, 384, 448, 510};
    if (stored >= MinOpusBitrate && stored <= MaxOpusBitrate &&
        std::find(bitrates.begin(), bitrates.end(), stored) == bitrates.end()) {
        bitrates.insert(std::upper_bound(bitrates.begin(), bitrates.end(), stored), stored);
    }
    return bitrates;
}

QStringList OptionOpusBitrateRows(const std::vector<int>& bitrates) {
    QStringList rows;
    for (const int kbps : bitrates) {
        rows << QStringLiteral(" %1 kbits per second").arg(kbps, 3);
    }
    return rows;
}

QStringList OptionWmaPresetRows(const WmaPresetList* presets) {
    QStringList rows;
    for (int number = OptionFirstWmaPreset; number <= OptionLastWmaPreset; ++number) {
        const WmaPreset* preset = presets ? presets->Find(number) : nullptr;
        rows << (preset ? QString::fromStdString(preset->description)
                        : QStringLiteral(" Preset %1: not available (Tonquill.prx)").arg(number));
    }
    return rows;
}

}  // namespace tonquill
