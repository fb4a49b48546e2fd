#include "convert/aiff/AiffHeaderLength.h"

#include <cstring>
#include <fstream>

namespace tonquill {
namespace {

uint32_t BigEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

}  // namespace

uint64_t AiffHeaderFrames(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char form[12] = {};
    if (!in.read(reinterpret_cast<char*>(form), sizeof form) || std::memcmp(form, "FORM", 4) != 0 ||
        (std::memcmp(form + 8, "AIFF", 4) != 0 && std::memcmp(form + 8, "AIFC", 4) != 0)) {
        return 0;
    }
    // The chunks follow one another, each padded to an even length; a damaged size ends the walk
    // at the file's end.
    unsigned char chunk[8] = {};
    while (in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) {
        const uint32_t size = BigEndian32(chunk + 4);
        if (std::memcmp(chunk, "COMM", 4) == 0) {
            unsigned char comm[6] = {};
            if (size < sizeof comm || !in.read(reinterpret_cast<char*>(comm), sizeof comm)) {
                return 0;
            }
            const uint32_t frames = BigEndian32(comm + 2);
            return frames == 0xFFFFFFFFu ? 0 : frames;
        }
        in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
    }
    return 0;
}

}  // namespace tonquill
