#pragma once

#include "lame_enc/LameEncApi.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

// The encoder library's configuration record for a task's target format and the MP3 settings:
// constant bitrate MP3.LameBits, MPEG-1, information frame on, bit reservoir off, quality word
// from MP3.LameQuality; every byte not set is 0.
lameenc::LameConfig MakeLameConfig(const ConversionSettings& settings, int targetRate,
                                   int targetChannels);

// The record's mode: mono for one channel whatever MP3.LameChannel says, otherwise stereo, dual
// channel or (automatic, joint and anything unknown) joint stereo.
int32_t LameMode(int lameChannel, int targetChannels);

}  // namespace tonquill
