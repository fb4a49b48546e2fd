#pragma once

#include <cstdint>
#include <string>

namespace tonquill {

// The frames a RIFF WAV file's data chunk says it holds, from its size and the format chunk's
// block size; 0 when the file does not say (no such chunks, a size left open by a streaming
// writer, a compressed format whose blocks hold many frames). libsndfile reads only the frames
// that are there, so a cut-off file is otherwise indistinguishable from a short one.
uint64_t WavHeaderFrames(const std::string& path);

}  // namespace tonquill
