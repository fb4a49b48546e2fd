#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tonquill::lameenc {

// Puts a stream's final information frame over the placeholder frame that opens its audio in a
// finished MP3 file. The audio may follow an ID3v2 tag. Nothing is written unless the file
// starts its audio with a frame of the same MPEG version and layer, at least as long as the
// information frame. True when the frame was written.
bool WriteInfoFrame(const std::string& path, const std::vector<uint8_t>& frame);

}  // namespace tonquill::lameenc
