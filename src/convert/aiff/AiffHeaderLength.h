#pragma once

#include <cstdint>
#include <string>

namespace tonquill {

// The frames an AIFF or AIFF-C file's COMM chunk promises; 0 when the file has no such chunk
// where the chunk list says, or leaves the count open. libsndfile reads only the frames that are
// there, so a cut-off file is otherwise indistinguishable from a short one.
uint64_t AiffHeaderFrames(const std::string& path);

}  // namespace tonquill
