#include "tags/ChapterSkippingFrameFactory.h"

namespace tonquill {

ChapterSkippingFrameFactory* ChapterSkippingFrameFactory::Instance() {
    // Never destroyed: TagLib objects read with it may outlive any static order at exit.
    static ChapterSkippingFrameFactory* const factory = new ChapterSkippingFrameFactory;
    return factory;
}

// TagLib asks this before it chooses the frame's class; a frame refused here becomes an
// unknown frame that keeps its bytes unparsed (marked to be dropped should the tag be
// rewritten, which only happens to outputs we wrote ourselves, never holding such frames).
bool ChapterSkippingFrameFactory::updateFrame(Id3v2FrameHeaderName::Type* header) const {
    const TagLib::ByteVector id = header->frameID();
    if (id == "CTOC" || id == "CHAP") {
        return false;
    }
    return TagLib::ID3v2::FrameFactory::updateFrame(header);
}

}  // namespace tonquill
