#include "convert/wav/WavHeaderLength.h"

#include <cstdio>
#include <cstring>

#include "base/LittleEndian.h"

namespace tonquill {
namespace {

// Formats whose block is one frame: PCM, float, A-law, mu-law and the extensible header.
bool BlockIsOneFrame(uint16_t formatTag) {
    return formatTag == 1 || formatTag == 3 || formatTag == 6 || formatTag == 7 ||
           formatTag == 0xFFFE;
}

}  // namespace

uint64_t WavHeaderFrames(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return 0;
    }
    unsigned char header[12];
    uint64_t frames = 0;
    if (std::fread(header, 1, sizeof header, file) == sizeof header &&
        std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0) {
        uint16_t blockAlign = 0;
        unsigned char chunk[8];
        // A bounded walk: a damaged file must not keep it going.
        for (int count = 0; count < 64 && std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk;
             ++count) {
            const uint32_t size = Le32(chunk + 4);
            if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
                unsigned char format[16];
                if (std::fread(format, 1, sizeof format, file) != sizeof format) {
                    break;
                }
                blockAlign = BlockIsOneFrame(Le16(format)) ? Le16(format + 12) : 0;
                if (std::fseek(file, static_cast<long>(size - 16 + (size & 1)), SEEK_CUR) != 0) {
                    break;
                }
            } else if (std::memcmp(chunk, "data", 4) == 0) {
                // 0 and 0xFFFFFFFF are what writers that cannot seek back leave there.
                if (blockAlign > 0 && size != 0 && size != 0xFFFFFFFFu) {
                    frames = size / blockAlign;
                }
                break;
            } else if (std::fseek(file, static_cast<long>(size) + (size & 1), SEEK_CUR) != 0) {
                break;
            }
        }
    }
    std::fclose(file);
    return frames;
}

}  // namespace tonquill
