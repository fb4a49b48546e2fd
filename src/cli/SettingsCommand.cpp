#include <cstdio>

#include "base/Format.h"
#include "base/ProgramFolder.h"
#include "cli/CliCommands.h"
#include "cli/SettingOverridesApply.h"
#include "convert/SettingsSummary.h"
#include "convert/wma/WmaComponent.h"
#include "settings/SettingsFields.h"
#include "settings/SettingsStore.h"

namespace tonquill {

int RunSettings(const CommandLine& line, Console& console) {
    ConversionSettings settings = LoadCliSettings(line, console);
    ApplySettingOverrides(line.overrides, settings);

    // The WMA line names the preset, which only the component's preset list knows.
    std::string wmaPreset;
    if (WritesWma(settings)) {
        std::unique_ptr<WmaComponent> writer;
        try {
            writer = std::make_unique<WmaComponent>();
            writer->LoadPresets(ProgramFolder() + WmaPresetFileName);
        } catch (const std::exception& error) {
            console.Error(Format("the WMA presets cannot be read: %s", error.what()));
            return ExitFailed;
        }
        ConsoleObserver observer(console, false);
        wmaPreset = SelectWmaPreset(writer.get(), settings.WMA.Profile, observer);
    }
    const std::string summary = SettingsSummary(settings, wmaPreset);
    const auto config = SettingsStore::DefaultSettingsFolder() / "Config.ini";
    std::error_code ec;
    std::printf("%s\n", summary.c_str());
    std::printf("Output folder: %s\n",
                settings.OUTPUT.SameAsSrc ? "beside each source" : settings.OUTPUT.DesDir.c_str());
    std::printf("Settings file: %s%s\n", config.c_str(),
                line.noConfig                          ? " (not read: --no-config)"
                : !std::filesystem::exists(config, ec) ? " (absent: defaults in force)"
                                                       : "");
    // Every stored field as Config.ini names it, with the value in force.
    for (const SettingsField& field : SettingsFieldTable) {
        std::printf("%s/%s=%s\n", field.section, field.key,
                    SettingsFieldText(field, settings).c_str());
    }
    // Options change only what is shown unless --save asks for them to be kept, and the output
    // says which of the two happened, so nobody believes a setting stored that was not.
    if (line.save) {
        ConsoleObserver observer(console, true);
        SettingsStore store(SettingsStore::DefaultSettingsFolder(), observer);
        std::error_code created;
        std::filesystem::create_directories(store.SettingsFolder(), created);
        if (!store.SaveSettings(settings, settings.OUTPUT.LastDir)) {
            console.Error(Format("the settings could not be saved in %s", config.c_str()));
            return ExitFailed;
        }
        std::printf("Saved in %s.\n", config.c_str());
    } else if (line.overrides.Any()) {
        std::printf(
            "These are the settings as the options above would make them; nothing was saved "
            "(--save stores them).\n");
    }
    return ExitOk;
}

}  // namespace tonquill
