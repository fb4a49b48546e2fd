#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

#include "settings/ConversionSettings.h"

namespace tonquill {

// Where one stored field lives in the record; the pointer's type is the field's width (a
// 16-bit field read from an odd file keeps only its low 16 bits).
using SettingsMember = std::variant<int16_t*, int32_t*, std::string*>;

// One field of Config.ini: its section and key, and the record member it is kept in. Its
// default is the member's value in a record made by ConversionSettings{} (DesDir aside, whose
// default is the music folder). Load, save, reset and the command line's settings output all go
// through this table, so a new field is one row here and one member in the record.
struct SettingsField {
    const char* section;
    const char* key;
    SettingsMember (*member)(ConversionSettings&);
};

// Each row's member accessor, written once.
#define TONQUILL_SETTINGS_MEMBER(path) \
    [](ConversionSettings& s) -> SettingsMember { return &s.path; }

// In the order the fields are written to a new Config.ini.
inline const std::array<SettingsField, 24> SettingsFieldTable{{
    {"OUTPUT", "OutputFormat", TONQUILL_SETTINGS_MEMBER(OUTPUT.OutputFormat)},
    {"OUTPUT", "SameAsSrc", TONQUILL_SETTINGS_MEMBER(OUTPUT.SameAsSrc)},
    {"OUTPUT", "Filter", TONQUILL_SETTINGS_MEMBER(OUTPUT.Filter)},
    {"OUTPUT", "FilterKnown", TONQUILL_SETTINGS_MEMBER(OUTPUT.FilterKnown)},
    {"OUTPUT", "DesDir", TONQUILL_SETTINGS_MEMBER(OUTPUT.DesDir)},
    {"OUTPUT", "LastDir", TONQUILL_SETTINGS_MEMBER(OUTPUT.LastDir)},
    {"OUTPUT", "KeepFolders", TONQUILL_SETTINGS_MEMBER(OUTPUT.KeepFolders)},
    {"OUTPUT", "NamePattern", TONQUILL_SETTINGS_MEMBER(OUTPUT.NamePattern)},
    {"OUTPUT", "CopyCovers", TONQUILL_SETTINGS_MEMBER(OUTPUT.CopyCovers)},
    {"OUTPUT", "Jobs", TONQUILL_SETTINGS_MEMBER(OUTPUT.Jobs)},
    {"WAV", "SubFormat", TONQUILL_SETTINGS_MEMBER(WAV.SubFormat)},
    {"WAV", "Freq", TONQUILL_SETTINGS_MEMBER(WAV.Freq)},
    {"WAV", "Channel", TONQUILL_SETTINGS_MEMBER(WAV.Channel)},
    {"MP3", "LameBits", TONQUILL_SETTINGS_MEMBER(MP3.LameBits)},
    {"MP3", "LameChannel", TONQUILL_SETTINGS_MEMBER(MP3.LameChannel)},
    {"MP3", "Freq", TONQUILL_SETTINGS_MEMBER(MP3.Freq)},
    {"WMA", "Profile", TONQUILL_SETTINGS_MEMBER(WMA.Profile)},
    {"OGG", "Channel", TONQUILL_SETTINGS_MEMBER(OGG.Channel)},
    {"OGG", "Freq", TONQUILL_SETTINGS_MEMBER(OGG.Freq)},
    {"OGG", "QualityCompression", TONQUILL_SETTINGS_MEMBER(OGG.QualityCompression)},
    {"FLAC", "Level", TONQUILL_SETTINGS_MEMBER(FLAC.Level)},
    {"FLAC", "Bits", TONQUILL_SETTINGS_MEMBER(FLAC.Bits)},
    {"OPUS", "Bitrate", TONQUILL_SETTINGS_MEMBER(OPUS.Bitrate)},
    {"AIFF", "Bits", TONQUILL_SETTINGS_MEMBER(AIFF.Bits)},
}};

#undef TONQUILL_SETTINGS_MEMBER

// The field's value as the INI file holds it.
std::string SettingsFieldText(const SettingsField& field, const ConversionSettings& settings);

}  // namespace tonquill
