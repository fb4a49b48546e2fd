#include "convert/SettingsSummary.h"

#include "convert/OutputSettings.h"

namespace tonquill {

std::string SettingsSummary(const ConversionSettings& settings,
                            const std::string& wmaPresetDescription) {
    const OutputSettings* output = FindOutputSettings(settings.OUTPUT.OutputFormat);
    return output ? output->summary(settings, wmaPresetDescription) : std::string();
}

}  // namespace tonquill
