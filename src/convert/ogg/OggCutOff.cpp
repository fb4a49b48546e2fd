#include "convert/ogg/OggCutOff.h"

#include <cstring>
#include <fstream>

#include "base/Format.h"
#include "convert/DecodedLength.h"

namespace tonquill {

bool OggStreamIsCutOff(const std::string& path) {
    constexpr std::streamoff Tail = 64 * 1024;
    constexpr size_t PageHeader = 27;
    constexpr unsigned char EndOfStream = 0x04;
    std::ifstream in(path, std::ios::binary);
    unsigned char first[PageHeader] = {};
    if (!in.read(reinterpret_cast<char*>(first), sizeof first) ||
        std::memcmp(first, "OggS", 4) != 0) {
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    const std::streamoff start = size > Tail ? size - Tail : 0;
    std::string tail(static_cast<size_t>(size - start), '\0');
    in.seekg(start);
    if (!in.read(tail.data(), static_cast<std::streamsize>(tail.size()))) {
        return false;
    }
    // The last page of the first stream, whole or not, tells.
    for (size_t at = tail.rfind("OggS"); at != std::string::npos;
         at = at == 0 ? std::string::npos : tail.rfind("OggS", at - 1)) {
        if (at + PageHeader > tail.size()) {
            return true;  // a page header broken off
        }
        const auto* page = reinterpret_cast<const unsigned char*>(tail.data() + at);
        if (page[4] == 0 && std::memcmp(page + 14, first + 14, 4) == 0) {
            return (page[5] & EndOfStream) == 0;
        }
    }
    return false;
}

void ReportCutOffOggStream(PipelineContext& ctx, const std::string& path, uint64_t framesRead,
                           int rate) {
    if (!OggStreamIsCutOff(path)) {
        return;
    }
    ctx.PostLog(Format("Warning : %s ends without the last page of its stream (the file is cut "
                       "off); the output holds the %s that could be read",
                       path.c_str(), PositionText(framesRead, rate).c_str()),
                LogLevel::Warning);
}

}  // namespace tonquill
