#include "tags/AsfFileSize.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace tonquill {
namespace {

using Guid = std::array<unsigned char, 16>;

// GUIDs as they are stored: the first three groups little-endian.
constexpr Guid HeaderObjectId{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid FilePropertiesId{0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

constexpr uint64_t ObjectHeaderSize = 24;  // GUID and 64-bit size
constexpr uint64_t HeaderPreamble = 30;    // object header, sub-object count, two reserved bytes
constexpr uint64_t FileSizeOffset = 40;    // object header, then the 16-byte file id

uint64_t LittleEndian64(const unsigned char* bytes) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

bool ReadObjectHeader(std::fstream& file, uint64_t at, Guid& id, uint64_t& size) {
    unsigned char bytes[ObjectHeaderSize];
    file.seekg(static_cast<std::streamoff>(at));
    if (!file.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
        return false;
    }
    std::memcpy(id.data(), bytes, id.size());
    size = LittleEndian64(bytes + 16);
    return true;
}

}  // namespace

bool StoreAsfFileSize(const std::string& path) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) {
        return false;
    }
    file.seekg(0, std::ios::end);
    const auto end = file.tellg();
    if (end < 0) {
        return false;
    }
    const uint64_t fileSize = static_cast<uint64_t>(end);

    Guid id{};
    uint64_t headerSize = 0;
    if (!ReadObjectHeader(file, 0, id, headerSize) || id != HeaderObjectId ||
        headerSize < HeaderPreamble || headerSize > fileSize) {
        return false;
    }
    // Walk the header's objects; each size is checked so a damaged header cannot send the
    // walk outside it or round in circles.
    for (uint64_t at = HeaderPreamble; at + ObjectHeaderSize <= headerSize;) {
        uint64_t size = 0;
        if (!ReadObjectHeader(file, at, id, size) || size < ObjectHeaderSize ||
            size > headerSize - at) {
            return false;
        }
        if (id == FilePropertiesId) {
            if (size < FileSizeOffset + 8) {
                return false;
            }
            unsigned char bytes[8];
            for (int i = 0; i < 8; ++i) {
                bytes[i] = static_cast<unsigned char>(fileSize >> (8 * i));
            }
            file.seekp(static_cast<std::streamoff>(at + FileSizeOffset));
            file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
            file.flush();
            return static_cast<bool>(file);
        }
        at += size;
    }
    return false;
}

}  // namespace tonquill
