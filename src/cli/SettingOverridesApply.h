#pragma once

#include "cli/CommandLine.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

// Writes the command line's setting values into the record. Rate and channels go to the section
// of the output format in effect; an option that does not apply to that format is a usage error
// (UsageError), so a value is never silently ignored.
void ApplySettingOverrides(const SettingOverrides& overrides, ConversionSettings& settings);

// An absolute folder text ending in '/', as OUTPUT.DesDir holds it.
std::string OutputFolderText(const std::string& path);

}  // namespace tonquill
