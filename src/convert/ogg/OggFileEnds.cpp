#include "convert/ogg/OggFileEnds.h"

#include <cstring>
#include <fstream>

namespace tonquill {

std::optional<OggFileEnds> ReadOggFileEnds(const std::string& path) {
    constexpr std::streamoff Tail = 64 * 1024;
    std::ifstream in(path, std::ios::binary);
    OggFileEnds ends;
    if (!in.read(reinterpret_cast<char*>(ends.firstPage.data()), ends.firstPage.size()) ||
        std::memcmp(ends.firstPage.data(), "OggS", 4) != 0) {
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    const std::streamoff start = size > Tail ? size - Tail : 0;
    ends.tail.assign(static_cast<size_t>(size - start), '\0');
    in.seekg(start);
    if (!in.read(ends.tail.data(), static_cast<std::streamsize>(ends.tail.size()))) {
        return std::nullopt;
    }
    return ends;
}

void VisitLastPagesOfFirstStream(const OggFileEnds& ends,
                                 const std::function<bool(const unsigned char* page)>& visit) {
    const std::string& tail = ends.tail;
    for (size_t at = tail.rfind("OggS"); at != std::string::npos;
         at = at == 0 ? std::string::npos : tail.rfind("OggS", at - 1)) {
        if (at + OggFileEnds::PageHeaderSize > tail.size()) {
            if (visit(nullptr)) {
                return;
            }
            continue;
        }
        const auto* page = reinterpret_cast<const unsigned char*>(tail.data() + at);
        // Version 0 and the first page's serial number (bytes 14 to 17).
        if (page[4] == 0 && std::memcmp(page + 14, ends.firstPage.data() + 14, 4) == 0 &&
            visit(page)) {
            return;
        }
    }
}

}  // namespace tonquill
