#include "tags/WavId3HidingStream.h"

#include <algorithm>

namespace tonquill {

namespace {

constexpr long ChunkHeaderBytes = 8;
constexpr long FirstChunk = 12;  // after "RIFF", the size and "WAVE"

bool IsChunkName(const TagLib::ByteVector& name) {
    if (name.size() != 4) {
        return false;
    }
    for (char c : name) {
        if (c < 32 || c > 126) {
            return false;
        }
    }
    return true;
}

}  // namespace

WavId3HidingStream::WavId3HidingStream(const char* path) : TagLib::FileStream(path, true) {
    if (isOpen()) {
        FindId3Chunks();
        seek(0);
    }
}

void WavId3HidingStream::FindId3Chunks() {
    const long fileLength = length();
    long offset = FirstChunk;
    while (offset + ChunkHeaderBytes <= fileLength) {
        seek(offset);
        const TagLib::ByteVector name = TagLib::FileStream::readBlock(4);
        const TagLib::ByteVector size = TagLib::FileStream::readBlock(4);
        if (!IsChunkName(name) || size.size() != 4) {
            return;
        }
        const long long end =
            static_cast<long long>(offset) + ChunkHeaderBytes + size.toUInt(false);
        if (end > fileLength) {
            return;
        }
        if (name == "id3 " || name == "ID3 ") {
            hiddenNames_.push_back(offset);
        }
        offset = static_cast<long>(end);
        if (offset & 1) {
            seek(offset);
            const TagLib::ByteVector pad = TagLib::FileStream::readBlock(1);
            if (pad.size() == 1 && pad[0] == '\0') {
                ++offset;
            }
        }
    }
}

long WavId3HidingStream::Id3TagOffset() const {
    return hiddenNames_.empty() ? -1 : hiddenNames_.front() + ChunkHeaderBytes;
}

TagLib::ByteVector WavId3HidingStream::readBlock(unsigned long length) {
    const long start = tell();
    TagLib::ByteVector block = TagLib::FileStream::readBlock(length);
    const long end = start + static_cast<long>(block.size());
    static const char Junk[] = "JUNK";
    for (long name : hiddenNames_) {
        for (long at = std::max(name, start); at < std::min(name + 4, end); ++at) {
            block[static_cast<unsigned int>(at - start)] = Junk[at - name];
        }
    }
    return block;
}

}  // namespace tonquill
