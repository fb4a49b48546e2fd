#pragma once

// The interface of the MP3 encoder library lame_enc.so: the configuration record, the result
// codes and the six entry points. The library implements it; the MP3 encoder loads the library
// at run time and calls it through the pointer types below, so both sides share this one file.

#include <cstddef>
#include <cstdint>

namespace tonquill::lameenc {

// Result of every entry point; 0 is success.
using BeErr = unsigned long;
// A stream handle: a number the library hands out, never a pointer into it.
using BeStream = unsigned long;

inline constexpr BeErr BeErrSuccessful = 0;
inline constexpr BeErr BeErrInvalidFormat = 1;
inline constexpr BeErr BeErrInvalidFormatParameters = 2;
inline constexpr BeErr BeErrNoMoreHandles = 3;
inline constexpr BeErr BeErrInvalidHandle = 4;
inline constexpr BeErr BeErrBufferTooSmall = 5;

inline constexpr uint32_t BeConfigLame = 256;
inline constexpr uint32_t CurrentStructVersion = 1;
inline constexpr uint32_t ConfigRecordSize = 331;

// Values of LameConfig::Mode.
inline constexpr int32_t ModeStereo = 0;
inline constexpr int32_t ModeJointStereo = 1;
inline constexpr int32_t ModeDualChannel = 2;
inline constexpr int32_t ModeMono = 3;

// Values of LameConfig::MpegVersion.
inline constexpr uint32_t Mpeg2 = 0;
inline constexpr uint32_t Mpeg1 = 1;

inline constexpr int32_t NoPreset = -1;

// The configuration record: 331 bytes, byte-packed, little-endian.
#pragma pack(push, 1)
struct LameConfig {
    uint32_t ConfigKind;     // BeConfigLame
    uint32_t StructVersion;  // CurrentStructVersion
    uint32_t StructSize;     // ConfigRecordSize
    uint32_t SampleRate;     // of the input
    uint32_t ReSampleRate;   // 0: keep the input rate
    int32_t Mode;
    uint32_t Bitrate;  // kbit/s
    uint32_t MaxBitrate;
    int32_t Preset;
    uint32_t MpegVersion;
    uint32_t PsyModel;
    uint32_t Emphasis;
    // The private, CRC-protection, copyright and original bits of the MPEG frame header.
    int32_t Private;
    int32_t Crc;
    int32_t Copyright;
    int32_t Original;
    int32_t WriteVbrHeader;
    int32_t EnableVbr;
    int32_t VbrQuality;
    uint32_t VbrAbrBps;
    int32_t VbrMethod;
    int32_t NoBitReservoir;
    int32_t StrictIso;
    // ((255 - q) << 8) | q with the algorithm quality q; any other value means "default".
    uint16_t Quality;
    uint8_t Reserved[237];
};
#pragma pack(pop)

static_assert(sizeof(LameConfig) == ConfigRecordSize);
static_assert(offsetof(LameConfig, SampleRate) == 12);
static_assert(offsetof(LameConfig, Private) == 48);
static_assert(offsetof(LameConfig, WriteVbrHeader) == 64);
static_assert(offsetof(LameConfig, NoBitReservoir) == 84);
static_assert(offsetof(LameConfig, Quality) == 92);
static_assert(offsetof(LameConfig, Reserved) == 94);

// beInitStream takes fifteen trailing arguments that the caller always passes with the same
// values (0, 0, seven empty wide strings, 0, 1, 30, 5, 16000, 2400); the library accepts and
// ignores them.
using BeInitStreamFn = BeErr (*)(const LameConfig* config, uint32_t* samplesPerChunk,
                                 uint32_t* outputBufferSize, BeStream* stream, int32_t, int32_t,
                                 const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                                 const wchar_t*, const wchar_t*, const wchar_t*, int32_t, int32_t,
                                 int32_t, int32_t, int32_t, int32_t);
// Encodes `frames` frames (for mono: samples) of floats at the 16-bit scale; right is null for
// mono. Writes at most the output buffer size given by beInitStream.
using BeEncodeChunkFloatS16NIFn = BeErr (*)(BeStream stream, uint32_t frames, const float* left,
                                            const float* right, uint8_t* output,
                                            uint32_t* outputBytes);
// Flushes the encoder: the last frames go to output (buffer of the size beInitStream gave).
using BeDeinitStreamFn = BeErr (*)(BeStream stream, uint8_t* output, uint32_t* outputBytes);
using BeCloseStreamFn = BeErr (*)(BeStream stream);
// Writes the information frame of a flushed and closed stream into the finished file.
using BeWriteInfoTagFn = BeErr (*)(BeStream stream, const char* fileName);
// The same for the stream this thread closed last.
using BeWriteVbrHeaderFn = BeErr (*)(const char* fileName);

}  // namespace tonquill::lameenc
