#pragma once

#include <string>
#include <vector>

#include "convert/ConversionTask.h"

namespace tonquill {

class MediaProbe;

// The files the window program was given, probed as a load probes them: the readable ones as
// the rows a batch is prepared from, in order, and the paths that cannot be read as audio.
struct WindowFiles {
    std::vector<TaskSource> sources;
    std::vector<std::string> unreadable;
};

WindowFiles ProbeWindowFiles(const std::vector<std::string>& files, MediaProbe& probe);

}  // namespace tonquill
