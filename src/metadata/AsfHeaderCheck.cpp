#include "metadata/AsfHeaderCheck.h"

#include <array>
#include <cstring>
#include <fstream>
#include <vector>

namespace tonquill {
namespace {

using Guid = std::array<uint8_t, 16>;

// GUIDs as they are stored: the first three groups little-endian.
constexpr Guid HeaderObjectId{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid ExtendedContentDescriptionId{0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                            0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr Guid HeaderExtensionId{0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                 0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid MetadataId{0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48,
                          0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA};
constexpr Guid MetadataLibraryId{0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                 0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};

constexpr uint64_t ObjectHeaderSize = 24;      // GUID and 64-bit size
constexpr uint64_t HeaderPreamble = 30;        // object header, object count, two reserved bytes
constexpr uint64_t ExtensionPreamble = 46;     // object header, reserved GUID and word, data size
constexpr uint64_t HeaderReadLimit = 1 << 26;  // 64 MB: pictures included, more is not a header

// Reads little-endian values inside [at, end), advancing; any read past end fails the cursor.
class Cursor {
public:
    Cursor(const uint8_t* bytes, uint64_t at, uint64_t end) : bytes_(bytes), at_(at), end_(end) {}

    bool ok() const { return ok_; }
    uint64_t at() const { return at_; }
    uint64_t left() const { return ok_ ? end_ - at_ : 0; }

    uint64_t Read(int width) {
        if (!ok_ || end_ - at_ < static_cast<uint64_t>(width)) {
            ok_ = false;
            return 0;
        }
        uint64_t value = 0;
        for (int i = width - 1; i >= 0; --i) {
            value = (value << 8) | bytes_[at_ + i];
        }
        at_ += width;
        return value;
    }
    Guid ReadGuid() {
        Guid id{};
        if (!ok_ || end_ - at_ < id.size()) {
            ok_ = false;
            return id;
        }
        std::memcpy(id.data(), bytes_ + at_, id.size());
        at_ += id.size();
        return id;
    }
    void Skip(uint64_t count) {
        if (!ok_ || end_ - at_ < count) {
            ok_ = false;
            return;
        }
        at_ += count;
    }

private:
    const uint8_t* bytes_;
    uint64_t at_;
    uint64_t end_;
    bool ok_ = true;
};

// The descriptors of an extended content description object fill at most its body.
bool DescriptorsFit(const uint8_t* bytes, uint64_t at, uint64_t end) {
    Cursor c(bytes, at, end);
    const uint64_t count = c.Read(2);
    for (uint64_t i = 0; i < count && c.ok(); ++i) {
        c.Skip(c.Read(2));  // name
        c.Read(2);          // value type
        c.Skip(c.Read(2));  // value
    }
    return c.ok();
}

// The records of a metadata or metadata library object fill at most its body.
bool MetadataRecordsFit(const uint8_t* bytes, uint64_t at, uint64_t end) {
    Cursor c(bytes, at, end);
    const uint64_t count = c.Read(2);
    for (uint64_t i = 0; i < count && c.ok(); ++i) {
        c.Skip(4);  // language list index or reserved word, stream number
        const uint64_t nameLength = c.Read(2);
        c.Read(2);  // data type
        const uint64_t dataLength = c.Read(4);
        c.Skip(nameLength);
        c.Skip(dataLength);
    }
    return c.ok();
}

// Walks count objects from at, each lying inside [at, end); the ones TagLib reads by counts
// are checked inside too.
bool ObjectsFit(const uint8_t* bytes, uint64_t at, uint64_t end, uint64_t count, bool extension) {
    Cursor c(bytes, at, end);
    for (uint64_t i = 0; count == UINT64_MAX ? c.left() > 0 : i < count; ++i) {
        const uint64_t start = c.at();
        const Guid id = c.ReadGuid();
        const uint64_t size = c.Read(8);
        if (!c.ok() || size < ObjectHeaderSize || size > end - start) {
            return false;
        }
        const uint64_t body = start + ObjectHeaderSize;
        const uint64_t objectEnd = start + size;
        bool fits = true;
        if (!extension && id == ExtendedContentDescriptionId) {
            fits = DescriptorsFit(bytes, body, objectEnd);
        } else if (!extension && id == HeaderExtensionId) {
            Cursor e(bytes, body, objectEnd);
            e.Skip(18);  // reserved GUID and word
            const uint64_t dataSize = e.Read(4);
            fits = e.ok() && dataSize <= objectEnd - (start + ExtensionPreamble) &&
                   ObjectsFit(bytes, start + ExtensionPreamble,
                              start + ExtensionPreamble + dataSize, UINT64_MAX, true);
        } else if (extension && (id == MetadataId || id == MetadataLibraryId)) {
            fits = MetadataRecordsFit(bytes, body, objectEnd);
        }
        if (!fits) {
            return false;
        }
        c.Skip(size - ObjectHeaderSize);
    }
    return c.ok();
}

}  // namespace

bool AsfHeaderIsSound(const uint8_t* bytes, size_t size) {
    Cursor c(bytes, 0, size);
    const Guid id = c.ReadGuid();
    const uint64_t headerSize = c.Read(8);
    const uint64_t objectCount = c.Read(4);
    if (!c.ok() || id != HeaderObjectId || headerSize < HeaderPreamble || headerSize > size) {
        return false;
    }
    return ObjectsFit(bytes, HeaderPreamble, headerSize, objectCount, false);
}

bool AsfFileHeaderIsSound(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes(HeaderPreamble);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), HeaderPreamble)) {
        return false;
    }
    uint64_t headerSize = 0;
    for (int i = 7; i >= 0; --i) {
        headerSize = (headerSize << 8) | bytes[16 + i];
    }
    if (headerSize < HeaderPreamble || headerSize > HeaderReadLimit) {
        return false;
    }
    bytes.resize(headerSize);
    if (!file.read(reinterpret_cast<char*>(bytes.data() + HeaderPreamble),
                   static_cast<std::streamsize>(headerSize - HeaderPreamble))) {
        return false;
    }
    return AsfHeaderIsSound(bytes.data(), bytes.size());
}

}  // namespace tonquill
