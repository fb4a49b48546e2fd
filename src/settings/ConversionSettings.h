#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/AudioFormat.h"

namespace tonquill {

// Index 0 means automatic; the other entries are the output rates offered.
inline constexpr std::array<int, 10> SampleRateTable{0,     8000,  11025, 12000, 16000,
                                                     22050, 24000, 32000, 44100, 48000};

// MP3 constant bitrates in kbit/s, indexed by MP3.LameBits.
inline constexpr std::array<int, 17> Mp3BitrateTable{8,  16,  24,  32,  40,  48,  56,  64, 80,
                                                     96, 112, 128, 160, 192, 224, 256, 320};

inline constexpr int DefaultMp3BitsIndex = 11;  // 128 kbit/s

// Opus bitrates in kbit/s.
inline constexpr int MinOpusBitrate = 6;
inline constexpr int MaxOpusBitrate = 510;

// Channel codes of WAV.Channel and OGG.Channel; MP3.LameChannel adds 3 joint and 4 dual.
enum ChannelCode : int {
    ChannelAuto = 0,
    ChannelMono = 1,
    ChannelStereo = 2,
    ChannelJointStereo = 3,
    ChannelDual = 4,
};

// The one settings record. Fields are grouped by INI section and keep the widths of the stored
// values, so a 16-bit field read from an odd file keeps only its low 16 bits.
struct ConversionSettings {
    struct OutputSection {
        int16_t OutputFormat = DefaultOutputFormat;
        int32_t SameAsSrc = 0;
        int32_t Filter = AllFilterBits();
        // The formats whose Filter bit the person has had the choice of: a format added since
        // is accepted at the next start, as it would be in a new file.
        int32_t FilterKnown = AllFilterBits();
        std::string DesDir;   // ends with '/'
        std::string LastDir;  // folder tree selection at the last exit, or empty
        // 1: an output keeps the folders between its source and the folder it was found under.
        int32_t KeepFolders = 0;
        // Names outputs from their tags ("{artist}/{album}/{track} {title}"); empty: the
        // source's own name.
        std::string NamePattern;
        // 1: cover pictures beside a source (cover.jpg, folder.jpg, front.*) go to its outputs.
        int32_t CopyCovers = 0;
        // Files converted at once: 0 one per processor core, 1 one after another, up to 16.
        int32_t Jobs = 0;
    } OUTPUT;
    struct WavSection {
        int16_t SubFormat = 1;  // 0: unsigned 8-bit, 1: signed 16-bit, 2: signed 24-bit
        int16_t Freq = 0;
        int32_t Channel = ChannelAuto;
    } WAV;
    struct Mp3Section {
        int16_t LameBits = DefaultMp3BitsIndex;
        int16_t LameChannel = ChannelAuto;
        int16_t Freq = 0;
        int16_t LameQuality = 9;  // never stored, no control changes it
    } MP3;
    struct WmaSection {
        int16_t Profile = 47;
    } WMA;
    struct OggSection {
        int32_t Channel = ChannelAuto;
        int16_t Freq = 0;
        int16_t QualityCompression = 3;  // Vorbis quality times ten
    } OGG;
    struct FlacSection {
        int16_t Level = 5;  // compression level 0 (fastest) to 8 (smallest)
        int16_t Bits = 16;  // 16 or 24 bits a sample
    } FLAC;
    struct OpusSection {
        int16_t Bitrate = 128;  // kbit/s, 6 to 510; the output is always 48 kHz
    } OPUS;
    struct AiffSection {
        int16_t Bits = 16;  // 16 or 24 bits a sample
    } AIFF;
};

// The output rate for a Freq index and a source rate. Index 0 picks the first table rate at or
// above the source rate (48000 when none is). An index outside the table counts as automatic.
int ResolveSampleRate(int freqIndex, int sourceRate);

// The output channel count for a channel code and a source channel count. Automatic keeps the
// source's count up to 2; an unknown code counts as automatic.
int ResolveChannelCount(int channelCode, int sourceChannels);

// MP3 bitrate in kbit/s for MP3.LameBits; an index outside the table falls back to 128.
int Mp3Bitrate(int lameBits);

// Vorbis quality for OGG.QualityCompression: -1 is -0.1, 10 is 1.0. Odd values pass through
// unchanged, so the encoder rejects them with its own message.
float VorbisQuality(int qualityCompression);

}  // namespace tonquill
