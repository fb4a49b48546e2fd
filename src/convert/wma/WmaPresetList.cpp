#include "convert/wma/WmaPresetList.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace tonquill {

namespace {

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

}  // namespace

bool WmaPresetList::Load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str(), error);
}

bool WmaPresetList::Parse(const std::string& text, std::string& error) {
    std::vector<WmaPreset> presets;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        // Four numbers, then the description verbatim (it may contain anything but a newline).
        int fields[4] = {};
        size_t pos = 0;
        bool ok = true;
        for (int& field : fields) {
            const size_t bar = line.find('|', pos);
            if (bar == std::string::npos || !ParseInt(line.substr(pos, bar - pos), field)) {
                ok = false;
                break;
            }
            pos = bar + 1;
        }
        WmaPreset preset{fields[0], fields[1], fields[2], fields[3], line.substr(pos)};
        if (!ok || preset.rate < 1000 || preset.rate > 96000 || preset.channels < 1 ||
            preset.channels > 2 || preset.bitrate < 0) {
            error = "malformed preset in line " + std::to_string(lineNumber);
            return false;
        }
        presets.push_back(std::move(preset));
    }
    presets_ = std::move(presets);
    return true;
}

const WmaPreset* WmaPresetList::Find(int number) const {
    for (const WmaPreset& preset : presets_) {
        if (preset.number == number) {
            return &preset;
        }
    }
    return nullptr;
}

}  // namespace tonquill
