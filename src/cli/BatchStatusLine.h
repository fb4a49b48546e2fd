#pragma once

#include <string>

#include "convert/ParallelBatch.h"

namespace tonquill {

// The terminal's live status line of a running batch, at most width characters:
// "[=====>    ]  45.1%  3/10  file 62%  12.3x  0:42 left". now is the tick it is drawn at.
std::string BatchStatusLine(const ParallelBatchSnapshot& batch, uint32_t now, int width);

}  // namespace tonquill
