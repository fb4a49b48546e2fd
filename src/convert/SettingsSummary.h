#pragma once

#include <string>

#include "settings/ConversionSettings.h"

namespace tonquill {

// The one-line summary of the output format and its encoder settings, for example
// "MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;". For WMA it shows
// wmaPresetDescription, the text of the selected preset (SelectWmaPreset returns it); empty says
// the preset is not available. An unknown format code gives "".
std::string SettingsSummary(const ConversionSettings& settings,
                            const std::string& wmaPresetDescription);

}  // namespace tonquill
