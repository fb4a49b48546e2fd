#pragma once

#include <memory>
#include <string>

namespace TagLib::ID3v2 {
class Tag;
}

namespace tonquill {

// The ID3v2 tag an AIFF or AIFF-C file keeps in its "ID3 " chunk, read with the chapter-skipping
// frame factory: TagLib's AIFF reader parses the chunk with its default factory, which cannot be
// replaced there and builds nested chapter frames in exponential time.
class AiffId3Tag {
public:
    explicit AiffId3Tag(const std::string& path);
    ~AiffId3Tag();
    AiffId3Tag(const AiffId3Tag&) = delete;
    AiffId3Tag& operator=(const AiffId3Tag&) = delete;

    // Null when the file has no ID3 chunk or cannot be read.
    TagLib::ID3v2::Tag* Tag() const { return tag_.get(); }

private:
    class ByteFile;
    std::unique_ptr<ByteFile> file_;
    std::unique_ptr<TagLib::ID3v2::Tag> tag_;
};

}  // namespace tonquill
