#include "tags/AiffId3Tag.h"

#include <taglib/id3v2tag.h>
#include <taglib/tfile.h>

#include <cstring>
#include <fstream>

#include "tags/ChapterSkippingFrameFactory.h"

namespace tonquill {
namespace {

uint32_t BigEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

// Where the data of the first "ID3 " chunk starts; -1 when the file has none. The chunks follow
// one another, each padded to an even length; a damaged size ends the walk at the file's end.
long Id3ChunkOffset(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char form[12] = {};
    if (!in.read(reinterpret_cast<char*>(form), sizeof form) || std::memcmp(form, "FORM", 4) != 0 ||
        (std::memcmp(form + 8, "AIFF", 4) != 0 && std::memcmp(form + 8, "AIFC", 4) != 0)) {
        return -1;
    }
    unsigned char chunk[8] = {};
    while (in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) {
        if (std::memcmp(chunk, "ID3 ", 4) == 0 || std::memcmp(chunk, "id3 ", 4) == 0) {
            return static_cast<long>(in.tellg());
        }
        const uint32_t size = BigEndian32(chunk + 4);
        in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
    }
    return -1;
}

}  // namespace

// The file as plain bytes, for the ID3v2 reader to read the tag from.
class AiffId3Tag::ByteFile : public TagLib::File {
public:
    explicit ByteFile(const char* path) : TagLib::File(path) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
};

AiffId3Tag::AiffId3Tag(const std::string& path) {
    const long offset = Id3ChunkOffset(path);
    if (offset < 0) {
        return;
    }
    file_ = std::make_unique<ByteFile>(path.c_str());
    if (file_->isOpen()) {
        tag_ = std::make_unique<TagLib::ID3v2::Tag>(file_.get(), offset,
                                                    ChapterSkippingFrameFactory::Instance());
    }
}

AiffId3Tag::~AiffId3Tag() = default;

}  // namespace tonquill
