#pragma once

#include "lame_enc/LameEncApi.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

// The encoder library's configuration record for a task's target format and the MP3 settings:
// constant bitrate MP3.LameBits, MPEG-1, information frame on, bit reservoir off, quality word
// from MP3.LameQuality; every byte not set is 0.
lameenc::LameConfig MakeLameConfig(const ConversionSettings& settings, int targetRate,
                                   int targetChannels);

// The constant bitrate LAME encodes at when kbps is asked for at an output rate: each MPEG version
// allows its own bitrates (MPEG-1, 32 kHz and up: 32 to 320 kbit/s; MPEG-2, 16 to 24 kHz: 8 to
// 160; MPEG-2.5, below 16 kHz: 8 to 64), and LAME takes the nearest one, the lower on a tie.
int LameEffectiveBitrate(int kbps, int rate);

// The record's mode: mono for one channel whatever MP3.LameChannel says, otherwise stereo, dual
// channel or (automatic, joint and anything unknown) joint stereo.
int32_t LameMode(int lameChannel, int targetChannels);

}  // namespace tonquill
