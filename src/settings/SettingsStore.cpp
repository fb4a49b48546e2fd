#include "settings/SettingsStore.h"

#include <cstdlib>
#include <fstream>
#include <system_error>
#include <type_traits>
#include <variant>

#include "base/CreateFolderPath.h"
#include "base/Format.h"
#include "base/XdgUserDirs.h"
#include "settings/IniFile.h"
#include "settings/SettingsFields.h"

namespace tonquill {
namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
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
    return WithSlash(XdgUserDir("MUSIC", "Music"));
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
    // A key the file lacks takes the value a new record has.
    ConversionSettings defaults;
    for (const SettingsField& field : SettingsFieldTable) {
        std::visit(
            [&](auto* member) {
                using Member = std::remove_pointer_t<decltype(member)>;
                const Member& fallback = *std::get<Member*>(field.member(defaults));
                if constexpr (std::is_same_v<Member, std::string>) {
                    *member = ini.GetString(field.section, field.key, fallback);
                } else {
                    // A narrow field keeps the low bits of whatever the file holds.
                    *member = static_cast<Member>(ini.GetInt(field.section, field.key, fallback));
                }
            },
            field.member(settings));
    }
    // Hand-edited files and older versions may leave out the final '/' or start with "~/"; a
    // file without the key gets the music folder.
    auto& o = settings.OUTPUT;
    o.DesDir = OutputFolderOf(ini.GetString("OUTPUT", "DesDir", DefaultOutputFolder()));
    // A file from before FilterKnown offered the first six formats.
    constexpr int32_t FirstSixFormats = 63;
    if (ini.GetInt("OUTPUT", "FilterKnown", -1) == -1) {
        o.FilterKnown = FirstSixFormats;
    }
    o.Filter |= AllFilterBits() & ~o.FilterKnown;
    o.FilterKnown = AllFilterBits();
    return true;
}

bool SettingsStore::SaveSettings(ConversionSettings& settings, const std::string& lastDir) {
    IniFile ini;
    // Keep whatever else the file holds; an unreadable file is rewritten from the record.
    ini.Load(ConfigPath());
    settings.OUTPUT.LastDir = lastDir;
    for (const SettingsField& field : SettingsFieldTable) {
        std::visit(
            [&](auto* member) {
                if constexpr (std::is_same_v<decltype(member), std::string*>) {
                    ini.WriteString(field.section, field.key, *member);
                } else {
                    ini.WriteInt(field.section, field.key, *member);
                }
            },
            field.member(settings));
    }
    // The folder may have gone since start-up (sent to the Trash with the rest of a folder):
    // made again, the settings are kept. A refused write loses the person's settings, so it is
    // reported rather than ignored.
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
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
