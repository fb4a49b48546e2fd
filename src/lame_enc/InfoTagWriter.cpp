#include "lame_enc/InfoTagWriter.h"

#include <cstdio>
#include <memory>

namespace tonquill::lameenc {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Where the audio starts: after an ID3v2 tag (10-byte header, syncsafe size, optional footer).
long AudioStart(FILE* f) {
    uint8_t header[10];
    if (std::fseek(f, 0, SEEK_SET) != 0 || std::fread(header, 1, 10, f) != 10 || header[0] != 'I' ||
        header[1] != 'D' || header[2] != '3') {
        return 0;
    }
    for (int i = 6; i < 10; ++i) {
        if (header[i] & 0x80) {
            return 0;
        }
    }
    const long size =
        (static_cast<long>(header[6]) << 21) | (header[7] << 14) | (header[8] << 7) | header[9];
    const bool footer = (header[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

}  // namespace

bool WriteInfoFrame(const std::string& path, const std::vector<uint8_t>& frame) {
    if (frame.size() < 4) {
        return false;
    }
    File file(std::fopen(path.c_str(), "r+b"));
    if (!file) {
        return false;
    }
    FILE* f = file.get();
    const long start = AudioStart(f);

    // The placeholder has the frame's own header apart from the bits that change with the
    // final data; sync, version and layer must agree, and the whole frame must fit.
    std::vector<uint8_t> existing(frame.size());
    if (std::fseek(f, start, SEEK_SET) != 0 ||
        std::fread(existing.data(), 1, existing.size(), f) != existing.size() ||
        existing[0] != 0xFF || (existing[1] & 0xFE) != (frame[1] & 0xFE) ||
        (existing[1] & 0xE0) != 0xE0) {
        return false;
    }
    if (std::fseek(f, start, SEEK_SET) != 0 ||
        std::fwrite(frame.data(), 1, frame.size(), f) != frame.size()) {
        return false;
    }
    return std::fclose(file.release()) == 0;
}

}  // namespace tonquill::lameenc
