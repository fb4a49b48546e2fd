#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"
#include "convert/wma/WmaPresetList.h"

namespace tonquill {
namespace {

// The presets a row may name: WMA.Profile = row + FirstPreset.
constexpr int FirstPreset = 12;
constexpr int LastPreset = 55;

std::string Summary(const ConversionSettings& settings, const std::string& presetDescription) {
    if (!presetDescription.empty()) {
        return "WMA:  " + presetDescription;
    }
    return Format("WMA:  Preset %d is not available", settings.WMA.Profile);
}

// One row per preset with the component's own description of it. A preset the loaded preset file
// lacks (or no file at all) still takes its row, so rows keep their numbers, and says that it is
// not available.
std::vector<std::string> PresetRows(const ConversionSettings&, const WmaPresetList* presets) {
    std::vector<std::string> rows;
    for (int number = FirstPreset; number <= LastPreset; ++number) {
        const WmaPreset* preset = presets ? presets->Find(number) : nullptr;
        rows.push_back(preset ? preset->description
                              : Format(" Preset %d: not available (Tonquill.prx)", number));
    }
    return rows;
}

}  // namespace

const OutputSettings WmaOutputSettings{
    Summary,
    {{"Preset:", PresetRows,
      [](const ConversionSettings& s) { return s.WMA.Profile - FirstPreset; },
      [](ConversionSettings& s, int row) {
          StoreListRow(row, s.WMA.Profile, FirstPreset, FirstPreset, LastPreset,
                       ConversionSettings{}.WMA.Profile);
      },
      true}},
    false,
    // The component keeps the source's format; the preset decides what is written.
    [](const ConversionSettings&, int sourceRate, int sourceChannels) {
        return OutputShape{sourceRate, sourceChannels};
    },
    nullptr,
    nullptr,
    false,
    "the preset decides (--wma-preset)",
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace tonquill
