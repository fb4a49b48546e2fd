// The INI reader under the settings store: the input is Config.ini. Loading any file gives a
// settings record; saving that record and loading again gives the same record back, and the
// plain key look-ups never fail on what the file holds.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "FuzzSupport.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

namespace {

using namespace tonquill;

// A value the reader gives back unchanged: the reader trims the ends and takes off one pair of
// matching quotes, the way the profile functions do, so other values cannot survive a reload.
bool SurvivesReload(const std::string& value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return !quoted;
}

void CheckSameRecord(const ConversionSettings& a, const ConversionSettings& b) {
    FUZZ_CHECK(a.OUTPUT.OutputFormat == b.OUTPUT.OutputFormat);
    FUZZ_CHECK(a.OUTPUT.SameAsSrc == b.OUTPUT.SameAsSrc);
    FUZZ_CHECK(a.OUTPUT.Filter == b.OUTPUT.Filter);
    if (SurvivesReload(a.OUTPUT.DesDir)) {
        FUZZ_CHECK(a.OUTPUT.DesDir == b.OUTPUT.DesDir);
    }
    if (SurvivesReload(a.OUTPUT.LastDir)) {
        FUZZ_CHECK(a.OUTPUT.LastDir == b.OUTPUT.LastDir);
    }
    FUZZ_CHECK(a.WAV.SubFormat == b.WAV.SubFormat);
    FUZZ_CHECK(a.WAV.Freq == b.WAV.Freq);
    FUZZ_CHECK(a.WAV.Channel == b.WAV.Channel);
    FUZZ_CHECK(a.MP3.LameBits == b.MP3.LameBits);
    FUZZ_CHECK(a.MP3.LameChannel == b.MP3.LameChannel);
    FUZZ_CHECK(a.MP3.Freq == b.MP3.Freq);
    FUZZ_CHECK(a.WMA.Profile == b.WMA.Profile);
    FUZZ_CHECK(a.OGG.Channel == b.OGG.Channel);
    FUZZ_CHECK(a.OGG.Freq == b.OGG.Freq);
    FUZZ_CHECK(a.OGG.QualityCompression == b.OGG.QualityCompression);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NullObserver observer;
    const std::string folder = fuzz::FreshFolder("settings");
    fuzz::WriteInput("settings/Config.ini", data, size);
    SettingsStore store(folder, observer);

    // Step 1: the record a start-up would read from this file.
    ConversionSettings loaded;
    FUZZ_CHECK(store.LoadSettings(loaded));

    // Step 2: a save keeps the rest of the file and a second load reads the same record.
    ConversionSettings saved = loaded;
    FUZZ_CHECK(store.SaveSettings(saved, loaded.OUTPUT.LastDir));
    ConversionSettings reloaded;
    FUZZ_CHECK(store.LoadSettings(reloaded));
    CheckSameRecord(saved, reloaded);

    // Step 3: the reader's own look-ups and writes on the raw text.
    IniFile ini;
    ini.SetText(std::string(reinterpret_cast<const char*>(data), size));
    ini.WriteString("OUTPUT", "DesDir", "/music/");
    FUZZ_CHECK(ini.Value("output", "desdir") == "/music/");
    ini.WriteInt("WMA", "Profile", -12345);
    FUZZ_CHECK(ini.GetInt("wma", "PROFILE", 0) == -12345);
    return 0;
}
