#include "convert/ogg/OggCutOff.h"

#include "base/Format.h"
#include "convert/DecodedLength.h"
#include "convert/ogg/OggFileEnds.h"

namespace tonquill {

bool OggStreamIsCutOff(const std::string& path) {
    constexpr unsigned char EndOfStream = 0x04;
    const std::optional<OggFileEnds> ends = ReadOggFileEnds(path);
    if (!ends) {
        return false;
    }
    // The last page of the first stream, whole or not, tells.
    bool cutOff = false;
    VisitLastPagesOfFirstStream(*ends, [&](const unsigned char* page) {
        cutOff = page == nullptr || (page[5] & EndOfStream) == 0;
        return true;
    });
    return cutOff;
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
