#pragma once

#include <taglib/tfilestream.h>

#include <vector>

namespace tonquill {

// A WAV file as TagLib's RIFF reader sees it, with each ID3 chunk renamed JUNK. TagLib parses an
// ID3 chunk with its default frame factory, which cannot be replaced for WAV files and builds
// nested chapter frames in exponential time; we never read a WAV file's tags, only its format,
// so hiding the chunk costs nothing. The chunks are found by the walk TagLib's reader makes.
class WavId3HidingStream : public TagLib::FileStream {
public:
    explicit WavId3HidingStream(const char* path);

    TagLib::ByteVector readBlock(unsigned long length) override;

private:
    void FindId3Chunks();

    std::vector<long> hiddenNames_;  // file offsets of the renamed chunk identifiers
};

}  // namespace tonquill
