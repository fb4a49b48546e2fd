#pragma once

#include <filesystem>
#include <string>

#include "base/ConversionObserver.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

// Loads, saves and resets the settings record in Config.ini inside the settings folder.
// Failures are shown through the observer, and the caller always goes on.
class SettingsStore {
public:
    SettingsStore(std::filesystem::path settingsFolder, ConversionObserver& observer);

    // $XDG_CONFIG_HOME/Tonquill, or ~/.config/Tonquill.
    static std::filesystem::path DefaultSettingsFolder();
    // The default output folder: the music folder, else the desktop, else ~/Music; ends in '/'.
    static std::string DefaultOutputFolder();
    // The output folder a DesDir text names, as a folder text ending in '/': a leading "~/" is
    // the home folder, and a relative text is read from the home folder (never from whatever
    // folder the program happened to start in). An empty text stays empty.
    static std::string OutputFolderOf(const std::string& desDir);

    const std::filesystem::path& SettingsFolder() const { return folder_; }
    std::filesystem::path ConfigPath() const { return folder_ / "Config.ini"; }

    // Start-up: sets the default output folder, creates the settings folder when missing, then
    // loads Config.ini when it exists or creates it empty (the defaults stay in force).
    void StartUp(ConversionSettings& settings);
    // Reads every stored field; false after a failure (fields read so far keep their values).
    bool LoadSettings(ConversionSettings& settings);
    // Writes every stored field, with lastDir as OUTPUT.LastDir.
    bool SaveSettings(ConversionSettings& settings, const std::string& lastDir);
    // Deletes Config.ini and loads again, so every field takes its default.
    bool ResetSettings(ConversionSettings& settings);

private:
    std::filesystem::path folder_;
    ConversionObserver& observer_;
};

}  // namespace tonquill
