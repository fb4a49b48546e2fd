#include <gtest/gtest.h>
#include <taglib/asffile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "convert/wma/WmaComponent.h"
#include "metadata/AsfHeaderCheck.h"
#include "metadata/MediaProbe.h"
#include "metadata/ProbeFixtures.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes HeaderId{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                     0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Bytes ContentDescriptionId{0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Bytes ExtendedContentId{0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                              0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
const Bytes ExtensionId{0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                        0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Bytes MetadataLibraryId{0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                              0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Le(uint64_t value, int width) {
    Bytes out;
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    return out;
}

// An object whose size field says declaredExtra bytes more than it holds.
Bytes Object(const Bytes& id, const Bytes& body, uint64_t declaredExtra = 0) {
    return id + Le(24 + body.size() + declaredExtra, 8) + body;
}

// The header object with count objects declared around the given ones.
Bytes Header(const Bytes& objects, uint64_t count) {
    return HeaderId + Le(30 + objects.size(), 8) + Le(count, 4) + Bytes{1, 2} + objects;
}

Bytes Descriptor(const std::string& name, const Bytes& value) {
    return Le(name.size(), 2) + Bytes(name.begin(), name.end()) + Le(0, 2) + Le(value.size(), 2) +
           value;
}

Bytes Extension(const Bytes& objects) {
    return Bytes(16, 0) + Le(6, 2) + Le(objects.size(), 4) + objects;
}

Bytes LibraryRecord(uint16_t nameLength, uint32_t dataLength, size_t bytesHeld) {
    return Le(0, 2) + Le(0, 2) + Le(nameLength, 2) + Le(0, 2) + Le(dataLength, 4) +
           Bytes(bytesHeld, 'x');
}

TEST(AsfHeaderCheck, TellsHeadersWhoseCountsFitTheirBytes) {
    const Bytes twoDescriptors = Le(2, 2) + Descriptor("A\0", {1, 2}) + Descriptor("B\0", {});
    const Bytes oneRecord = Le(1, 2) + LibraryRecord(2, 3, 5);
    struct Case {
        const char* what;
        Bytes header;
        bool sound;
    } cases[] = {
        {"no objects", Header({}, 0), true},
        {"a content description", Header(Object(ContentDescriptionId, Bytes(10, 0)), 1), true},
        {"descriptors that fit", Header(Object(ExtendedContentId, twoDescriptors), 1), true},
        {"a metadata record that fits",
         Header(Object(ExtensionId, Extension(Object(MetadataLibraryId, oneRecord))), 1), true},
        // Found by fuzzing: 60 115 descriptors declared in two bytes made TagLib build them all.
        {"descriptors beyond the object", Header(Object(ExtendedContentId, Le(60115, 2)), 1),
         false},
        {"a descriptor value past its object",
         Header(Object(ExtendedContentId, Le(1, 2) + Le(0, 2) + Le(0, 2) + Le(9, 2)), 1), false},
        // Found by fuzzing: an object size past the header sent TagLib reading into the audio.
        {"an object past the header", Header(Object(Bytes(16, 0), {}, 1u << 30), 1), false},
        {"an object smaller than its own header", Header(Bytes(16, 0) + Le(8, 8), 1), false},
        {"more objects declared than held", Header(Object(ContentDescriptionId, Bytes(10, 0)), 3),
         false},
        {"metadata records beyond the object",
         Header(Object(ExtensionId, Extension(Object(MetadataLibraryId, Le(40000, 2)))), 1), false},
        {"a metadata record's data past its object",
         Header(Object(ExtensionId,
                       Extension(Object(MetadataLibraryId, Le(1, 2) + LibraryRecord(2, 70000, 5)))),
                1),
         false},
        {"extension data past the extension",
         Header(Object(ExtensionId, Bytes(16, 0) + Le(6, 2) + Le(500, 4)), 1), false},
        {"not a header", Bytes(30, 0), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AsfHeaderIsSound(c.header.data(), c.header.size()), c.sound) << c.what;
        // Only the header's own bytes count: cutting it short always fails it.
        if (c.sound) {
            EXPECT_FALSE(AsfHeaderIsSound(c.header.data(), c.header.size() - 1)) << c.what;
        }
    }
}

class AsfHeaderFileTest : public ::testing::Test {
protected:
    AsfHeaderFileTest() : probe(observer, &wmaReader) {}

    test::TempDir dir;
    test::RecordingObserver observer;
    WmaComponent wmaReader;
    MediaProbe probe;
};

TEST_F(AsfHeaderFileTest, OurOwnTaggedFilesAreSound) {
    const std::string path = dir / "tagged.wma";
    test::WriteWmaFixture(path, 0.5);
    EXPECT_TRUE(AsfFileHeaderIsSound(path));
    {
        TagLib::ASF::File file(path.c_str(), false);
        file.tag()->setArtist("Artist");
        file.tag()->setAttribute("WM/AlbumArtist", TagLib::ASF::Attribute(TagLib::String("Band")));
        // Longer than 64 KB: TagLib keeps it in the metadata library object.
        file.tag()->setAttribute(
            "WM/Lyrics", TagLib::ASF::Attribute(TagLib::String(std::string(70000, 'l').c_str())));
        ASSERT_TRUE(file.save());
    }
    EXPECT_TRUE(AsfFileHeaderIsSound(path));
    EXPECT_FALSE(AsfFileHeaderIsSound(dir / "missing.wma"));
}

// A real file whose header gained an extended content description declaring 60 115 descriptors
// it does not hold: the row keeps what the decoder says and shows no tag made of nothing.
TEST_F(AsfHeaderFileTest, ProbeOfDamagedHeaderKeepsTheAudioFactsAndSkipsTheTags) {
    const std::string path = dir / "damaged.wma";
    test::WriteWmaFixture(path, 0.5);
    std::vector<char> bytes = test::ReadBytes(path);
    const Bytes damage = Object(ExtendedContentId, Le(60115, 2));
    uint64_t size = 0, count = 0;
    for (int i = 7; i >= 0; --i) {
        size = (size << 8) | static_cast<uint8_t>(bytes[16 + i]);
    }
    for (int i = 3; i >= 0; --i) {
        count = (count << 8) | static_cast<uint8_t>(bytes[24 + i]);
    }
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(size), damage.begin(), damage.end());
    const Bytes newSize = Le(size + damage.size(), 8);
    const Bytes newCount = Le(count + 1, 4);
    std::copy(newSize.begin(), newSize.end(), bytes.begin() + 16);
    std::copy(newCount.begin(), newCount.end(), bytes.begin() + 24);
    test::WriteBytes(path, bytes);
    ASSERT_FALSE(AsfFileHeaderIsSound(path));

    PlainFileListRow row;
    row.entry.type = FormatWma;
    probe.ProbeMediaInfo(row, path);
    probe.ProbeBitrate(row, path);
    EXPECT_EQ(row.entry.unreadable, 0);
    EXPECT_EQ(row.entry.sampleRate, 44100);
    EXPECT_EQ(row.entry.channels, 2u);
    EXPECT_EQ(row.entry.tagKinds, 0);
    EXPECT_EQ(row.cells[ColumnTag], "");
    EXPECT_EQ(row.cells[ColumnFrequency], "44100 Hz");
}

}  // namespace
}  // namespace tonquill
