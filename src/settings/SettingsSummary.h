#pragma once

#include <string>

#include "settings/ConversionSettings.h"

namespace tonquill {

class WmaComponent;

// The one-line summary of the output format and its encoder settings, for example
// "MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;". For WMA it selects WMA.Profile
// in the component's writer (which is how later WMA outputs learn their preset) and names that
// preset; wmaWriter may be null for the other formats. An unknown format code gives "".
std::string SettingsSummary(const ConversionSettings& settings, WmaComponent* wmaWriter);

}  // namespace tonquill
