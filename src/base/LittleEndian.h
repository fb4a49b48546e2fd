#pragma once

#include <cstdint>

namespace tonquill {

// Little-endian numbers in file headers (RIFF, ASF, Ogg), read byte by byte, so neither the
// machine's byte order nor the bytes' alignment matters.
inline uint16_t Le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t Le64(const unsigned char* p) {
    return Le32(p) | static_cast<uint64_t>(Le32(p + 4)) << 32;
}

}  // namespace tonquill
