#include "metadata/OggContent.h"

#include <cstring>
#include <fstream>

#include "base/AudioFormat.h"
#include "metadata/FileListEntry.h"

namespace tonquill {

int OggContentFormat(const std::string& path) {
    // The first page holds the first packet alone: 27 bytes of header, the segment table, then
    // the packet, whose first bytes name the codec.
    std::ifstream in(path, std::ios::binary);
    unsigned char header[27] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) ||
        std::memcmp(header, "OggS", 4) != 0) {
        return 0;
    }
    in.seekg(header[26], std::ios::cur);
    char packet[8] = {};
    if (!in.read(packet, sizeof packet)) {
        return 0;
    }
    if (std::memcmp(packet, "\x01vorbis", 7) == 0) {
        return FormatOgg;
    }
    if (std::memcmp(packet,
                    "\x7f"
                    "FLAC",
                    5) == 0) {
        return FormatFlac;
    }
    if (std::memcmp(packet, "OpusHead", 8) == 0) {
        return FormatOpus;
    }
    return 0;
}

namespace {

uint64_t Le64(const unsigned char* p) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | p[i];
    }
    return value;
}

}  // namespace

uint64_t OggLastGranule(const std::string& path) {
    constexpr std::streamoff Tail = 64 * 1024;
    constexpr size_t PageHeader = 27;
    std::ifstream in(path, std::ios::binary);
    unsigned char first[PageHeader] = {};
    if (!in.read(reinterpret_cast<char*>(first), sizeof first) ||
        std::memcmp(first, "OggS", 4) != 0) {
        return 0;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    const std::streamoff start = size > Tail ? size - Tail : 0;
    std::string tail(static_cast<size_t>(size - start), '\0');
    in.seekg(start);
    if (!in.read(tail.data(), static_cast<std::streamsize>(tail.size()))) {
        return 0;
    }
    // From the end back: the first page header of the same stream whose granule is set (a page
    // that ends no packet has all bits of it set).
    for (size_t at = tail.rfind("OggS"); at != std::string::npos;
         at = at == 0 ? std::string::npos : tail.rfind("OggS", at - 1)) {
        if (at + PageHeader > tail.size()) {
            continue;
        }
        const auto* page = reinterpret_cast<const unsigned char*>(tail.data() + at);
        const uint64_t granule = Le64(page + 6);
        if (page[4] == 0 && std::memcmp(page + 14, first + 14, 4) == 0 && granule != ~uint64_t{0}) {
            return granule;
        }
    }
    return 0;
}

int TypeOfFile(const std::string& path) {
    const std::string extension = UpperExtension(path.substr(path.rfind('/') + 1));
    if (extension == OggAudioExtension) {
        return OggContentFormat(path);
    }
    return TypeByExtension(extension);
}

}  // namespace tonquill
