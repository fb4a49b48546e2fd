#pragma once

#include <string>
#include <vector>

namespace tonquill {

// One encoding preset of the WMA component.
struct WmaPreset {
    int number = 0;
    int rate = 0;      // Hz
    int channels = 0;  // 1 or 2
    int bitrate = 0;   // bit/s as the preset names it
    std::string description;
};

// The presets of a preset file. Each line that is not empty and does not start with '#' holds
// "number|rate|channels|bitrate|description"; the description runs to the end of the line,
// spaces included.
class WmaPresetList {
public:
    // Replaces the list with the file's presets. False (list unchanged) when the file cannot be
    // read or a line is malformed; error then names the reason.
    bool Load(const std::string& path, std::string& error);
    bool Parse(const std::string& text, std::string& error);

    const WmaPreset* Find(int number) const;
    const std::vector<WmaPreset>& Presets() const { return presets_; }

private:
    std::vector<WmaPreset> presets_;
};

}  // namespace tonquill
