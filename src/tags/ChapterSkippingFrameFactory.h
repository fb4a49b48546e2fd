#pragma once

#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>

namespace tonquill {

// TagLib declares the frame header class protected inside its frame class, yet hands it to the
// factory's one overridable step; a frame subclass may name it. Never instantiated.
struct Id3v2FrameHeaderName : TagLib::ID3v2::Frame {
    using Type = TagLib::ID3v2::Frame::Header;
};

// The ID3v2 frame factory every MP3 tag is read and rewritten with. TagLib builds a chapter
// (CHAP) or table-of-contents (CTOC) frame by parsing the frames embedded in it again, and the
// work grows exponentially with their nesting: a few KB of nested tables stall it for minutes.
// We never read those frames, so they stay unknown frames holding their raw bytes; every other
// frame is built as TagLib builds it.
class ChapterSkippingFrameFactory : public TagLib::ID3v2::FrameFactory {
public:
    static ChapterSkippingFrameFactory* Instance();

protected:
    bool updateFrame(Id3v2FrameHeaderName::Type* header) const override;

private:
    ChapterSkippingFrameFactory() = default;
};

}  // namespace tonquill
