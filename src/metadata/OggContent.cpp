#include "metadata/OggContent.h"

#include <cstring>
#include <fstream>

#include "base/AudioFormat.h"
#include "base/LittleEndian.h"
#include "convert/ogg/OggFileEnds.h"
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
    for (const FormatInfo& format : FormatTable) {
        const std::string_view start = format.oggPacketStart;
        if (!start.empty() && start.size() <= sizeof packet &&
            std::memcmp(packet, start.data(), start.size()) == 0) {
            return format.code;
        }
    }
    return 0;
}

uint64_t OggLastGranule(const std::string& path) {
    const std::optional<OggFileEnds> ends = ReadOggFileEnds(path);
    if (!ends) {
        return 0;
    }
    // From the end back: the first page header of the same stream whose granule is set (a page
    // that ends no packet has all bits of it set).
    uint64_t last = 0;
    VisitLastPagesOfFirstStream(*ends, [&](const unsigned char* page) {
        if (page == nullptr || Le64(page + 6) == ~uint64_t{0}) {
            return false;
        }
        last = Le64(page + 6);
        return true;
    });
    return last;
}

int TypeOfFile(const std::string& path) {
    const std::string extension = UpperExtension(path.substr(path.rfind('/') + 1));
    if (extension == OggAudioExtension) {
        return OggContentFormat(path);
    }
    return TypeByExtension(extension);
}

}  // namespace tonquill
