#pragma once

#include <taglib/tfilestream.h>

#include <vector>

namespace tonquill {

// A WAV file as TagLib's RIFF reader sees it, with each ID3 chunk renamed JUNK. TagLib parses an
// ID3 chunk with its default frame factory, which cannot be replaced for WAV files and builds
// nested chapter frames in exponential time. Whoever wants the tag reads it from
// Id3TagOffset() with a factory of its own choosing. The chunks are found by the walk TagLib's
// reader makes.
class WavId3HidingStream : public TagLib::FileStream {
public:
    explicit WavId3HidingStream(const char* path);

    TagLib::ByteVector readBlock(unsigned long length) override;

    // Where the ID3 tag TagLib would read (the first ID3 chunk's data) starts; -1 when the file
    // has none.
    long Id3TagOffset() const;

private:
    void FindId3Chunks();

    std::vector<long> hiddenNames_;  // file offsets of the renamed chunk identifiers
};

}  // namespace tonquill
