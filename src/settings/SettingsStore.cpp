#include "settings/SettingsStore.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include <QStandardPaths>
#include <QString>

#include "base/CreateFolderPath.h"
#include "base/Format.h"
#include "settings/IniFile.h"

namespace tonquill {
namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

}  // namespace

SettingsStore::SettingsStore(std::filesystem::path settingsFolder, ConversionObserver& observer)
    : folder_(std::move(settingsFolder)), observer_(observer) {}

std::filesystem::path SettingsStore::DefaultSettingsFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base = xdg && *xdg && xdg[0] == '/'
                                     ? std::filesystem::path(xdg)
                                     : std::filesystem::path(HomeFolder()) / ".config";
    return base / "Tonquill";
}

std::string SettingsStore::DefaultOutputFolder() {
    for (auto location : {QStandardPaths::MusicLocation, QStandardPaths::DesktopLocation}) {
        QString path = QStandardPaths::writableLocation(location);
        if (!path.isEmpty()) {
            return WithSlash(path.toStdString());
        }
    }
    return WithSlash(HomeFolder()) + "Music/";
}

std::string SettingsStore::OutputFolderOf(const std::string& desDir) {
    if (desDir.empty()) {
        return desDir;
    }
    std::string folder = desDir;
    if (folder == "~" || folder.rfind("~/", 0) == 0) {
        folder = HomeFolder() + folder.substr(1);
    } else if (folder.front() != '/') {
        folder = WithSlash(HomeFolder()) + folder;
    }
    return WithSlash(folder);
}

void SettingsStore::StartUp(ConversionSettings& settings) {
    settings.OUTPUT.DesDir = DefaultOutputFolder();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder_, ec) && !CreateFolderPath(folder_.string())) {
        observer_.Message(Format("Fail to create folder %s !!", folder_.c_str()),
                          MessageIcon::Warning);
    }
    if (std::filesystem::exists(ConfigPath(), ec)) {
        LoadSettings(settings);
    } else {
        // An empty file marks the first run; the defaults in memory are the settings.
        std::ofstream create(ConfigPath(), std::ios::binary);
    }
}

bool SettingsStore::LoadSettings(ConversionSettings& settings) {
    IniFile ini;
    if (!ini.Load(ConfigPath())) {
        observer_.Message("An Error Occurred while loading settings!", MessageIcon::Error);
        return false;
    }
    auto& o = settings.OUTPUT;
    o.OutputFormat = static_cast<int16_t>(ini.GetInt("OUTPUT", "OutputFormat", FormatMp3));
    o.SameAsSrc = ini.GetInt("OUTPUT", "SameAsSrc", 0);
    o.Filter = ini.GetInt("OUTPUT", "Filter", 15);
    auto& w = settings.WAV;
    w.SubFormat = static_cast<int16_t>(ini.GetInt("WAV", "SubFormat", 1));
    w.Freq = static_cast<int16_t>(ini.GetInt("WAV", "Freq", 0));
    w.Channel = ini.GetInt("WAV", "Channel", 0);
    auto& m = settings.MP3;
    m.LameBits = static_cast<int16_t>(ini.GetInt("MP3", "LameBits", DefaultMp3BitsIndex));
    m.LameChannel = static_cast<int16_t>(ini.GetInt("MP3", "LameChannel", 0));
    m.Freq = static_cast<int16_t>(ini.GetInt("MP3", "Freq", 0));
    settings.WMA.Profile = static_cast<int16_t>(ini.GetInt("WMA", "Profile", 47));
    auto& g = settings.OGG;
    g.Channel = ini.GetInt("OGG", "Channel", 0);
    g.Freq = static_cast<int16_t>(ini.GetInt("OGG", "Freq", 0));
    g.QualityCompression = static_cast<int16_t>(ini.GetInt("OGG", "QualityCompression", 3));
    // Hand-edited files and older versions may leave out the final '/' or start with "~/".
    o.DesDir = OutputFolderOf(ini.GetString("OUTPUT", "DesDir", DefaultOutputFolder()));
    o.LastDir = ini.GetString("OUTPUT", "LastDir", "");
    return true;
}

bool SettingsStore::SaveSettings(ConversionSettings& settings, const std::string& lastDir) {
    IniFile ini;
    // Keep whatever else the file holds; an unreadable file is rewritten from the record.
    ini.Load(ConfigPath());
    auto& o = settings.OUTPUT;
    ini.WriteInt("OUTPUT", "OutputFormat", o.OutputFormat);
    ini.WriteInt("OUTPUT", "SameAsSrc", o.SameAsSrc);
    ini.WriteInt("OUTPUT", "Filter", o.Filter);
    ini.WriteString("OUTPUT", "DesDir", o.DesDir);
    o.LastDir = lastDir;
    ini.WriteString("OUTPUT", "LastDir", o.LastDir);
    ini.WriteInt("WAV", "SubFormat", settings.WAV.SubFormat);
    ini.WriteInt("WAV", "Freq", settings.WAV.Freq);
    ini.WriteInt("WAV", "Channel", settings.WAV.Channel);
    ini.WriteInt("MP3", "LameBits", settings.MP3.LameBits);
    ini.WriteInt("MP3", "LameChannel", settings.MP3.LameChannel);
    ini.WriteInt("MP3", "Freq", settings.MP3.Freq);
    ini.WriteInt("WMA", "Profile", settings.WMA.Profile);
    ini.WriteInt("OGG", "Channel", settings.OGG.Channel);
    ini.WriteInt("OGG", "Freq", settings.OGG.Freq);
    ini.WriteInt("OGG", "QualityCompression", settings.OGG.QualityCompression);
    // A refused write loses the person's settings, so it is reported rather than ignored.
    if (!ini.Save(ConfigPath())) {
        observer_.Message("An error occurred while saving settings!", MessageIcon::Error);
        return false;
    }
    return true;
}

bool SettingsStore::ResetSettings(ConversionSettings& settings) {
    std::error_code ec;
    std::filesystem::remove(ConfigPath(), ec);
    return LoadSettings(settings);
}

}  // namespace tonquill
