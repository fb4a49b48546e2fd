#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/vorbisfile.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

#include "base/Format.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/MediaProbe.h"
#include "metadata/ProbeFixtures.h"
#include "support/TestSupport.h"

namespace tonquill::test {
namespace {

// Files no probe should trust. Each must end as a row: readable with consistent facts, or
// unreadable, never a crash, a hang or an invalid text.
enum class Outcome { Readable, Unreadable, Either };

struct HostileCase {
    const char* name;
    const char* fileName;
    std::function<void(const std::string&)> make;
    Outcome outcome;
    const char* reason;  // how an unreadable row's reason begins, or null for any
    double seconds = 0;  // the play time a readable file must show (within 0.1 s), 0: any
};

std::vector<char> RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<char> bytes(n);
    for (char& b : bytes) {
        b = static_cast<char>(random());
    }
    return bytes;
}

std::string RandomText(size_t n, uint32_t seed) {
    std::vector<char> bytes = RandomBytes(n, seed);
    return std::string(bytes.begin(), bytes.end());
}

// A valid 1 s file of the format behind the extension of name, with a prefix tag prepended.
void Mp3WithPrefix(const std::string& path, const std::vector<char>& prefix) {
    WriteMp3Fixture(path, 44100, 2, 1.0);
    std::vector<char> bytes = prefix;
    std::vector<char> audio = ReadBytes(path);
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    WriteBytes(path, bytes);
}

void Truncate(const std::string& path, size_t size) {
    std::vector<char> bytes = ReadBytes(path);
    bytes.resize(std::min(size, bytes.size()));
    WriteBytes(path, bytes);
}

// A WAV header that promises far more data than the file holds.
void WavDataChunkLongerThanFile(const std::string& path) {
    WriteWavFixture(path, 44100, 2, 0.1);
    std::vector<char> bytes = ReadBytes(path);
    for (size_t i = 12; i + 8 <= bytes.size(); i += 1) {
        if (std::string(&bytes[i], 4) == "data") {
            const uint32_t huge = 0x7FFFFFF0;
            for (int k = 0; k < 4; ++k) {
                bytes[i + 4 + k] = static_cast<char>((huge >> (8 * k)) & 0xFF);
            }
            break;
        }
    }
    WriteBytes(path, bytes);
}

// A WMA header whose play and send durations claim about 29 000 years.
void WmaDurationBeyondItsBytes(const std::string& path) {
    WriteWmaFixture(path, 1.0);
    std::vector<char> bytes = ReadBytes(path);
    const char fileProperties[] =
        "\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65";
    auto at = std::search(bytes.begin(), bytes.end(), fileProperties, fileProperties + 16);
    ASSERT_NE(at, bytes.end());
    const size_t durations = static_cast<size_t>(at - bytes.begin()) + 64;
    for (size_t k = 0; k < 16; ++k) {
        bytes[durations + k] = k % 8 == 7 ? '\x00' : '\x7F';
    }
    WriteBytes(path, bytes);
}

// A FLAC stream information block that claims the largest length its 36 bits hold.
void FlacLengthBeyondItsBytes(const std::string& path) {
    WriteSoundFile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, TestSignal16(4410, 2));
    std::vector<char> bytes = ReadBytes(path);
    ASSERT_EQ(std::string(bytes.data(), 4), "fLaC");
    // After the marker and the block header: the total sample count is the low 4 bits of the
    // stream information's byte 13 and its bytes 14 to 17.
    bytes[8 + 13] = static_cast<char>(bytes[8 + 13] | 0x0F);
    std::fill_n(bytes.begin() + 8 + 14, 4, '\xFF');
    WriteBytes(path, bytes);
}

// A FLAC stream information block that claims a rate of 2 Hz: its 16.7 million frames would
// last 97 days, from a file of a few kilobytes.
void FlacRateOfAFewHertz(const std::string& path) {
    WriteSoundFile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, TestSignal16(4410, 2));
    std::vector<char> bytes = ReadBytes(path);
    ASSERT_EQ(std::string(bytes.data(), 4), "fLaC");
    // The rate is the stream information's bytes 10, 11 and the high half of 12.
    bytes[8 + 10] = 0;
    bytes[8 + 11] = 0;
    bytes[8 + 12] = static_cast<char>((bytes[8 + 12] & 0x0F) | 0x20);
    bytes[8 + 13] = static_cast<char>(bytes[8 + 13] & 0xF0);
    const char frames[] = {'\x01', '\x00', '\x00', '\x00'};
    std::copy(frames, frames + 4, bytes.begin() + 8 + 14);
    WriteBytes(path, bytes);
}

// The Ogg page checksum (CRC-32, polynomial 0x04C11DB7, no reflection) over a page whose own
// checksum field is zero.
uint32_t OggPageChecksum(const char* page, size_t size) {
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint32_t>(static_cast<unsigned char>(page[i])) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
    }
    return crc;
}

// An Ogg Vorbis identification header that claims a rate of 2 Hz (its page checksum made
// right again, so the file still opens): a second of audio would then last six hours.
void VorbisRateOfAFewHertz(const std::string& path) {
    WriteOggFixture(path, 44100, 2, 1.0);
    std::vector<char> bytes = ReadBytes(path);
    ASSERT_EQ(std::string(bytes.data(), 4), "OggS");
    const size_t packet = 27 + static_cast<unsigned char>(bytes[26]);
    ASSERT_EQ(std::string(&bytes[packet], 7), "\x01vorbis");
    const char rate[] = {'\x02', '\x00', '\x00', '\x00'};
    std::copy(rate, rate + 4, bytes.begin() + static_cast<long>(packet) + 12);
    size_t pageSize = packet;
    for (int i = 0; i < static_cast<unsigned char>(bytes[26]); ++i) {
        pageSize += static_cast<unsigned char>(bytes[27 + i]);
    }
    std::fill_n(bytes.begin() + 22, 4, '\0');
    const uint32_t crc = OggPageChecksum(bytes.data(), pageSize);
    for (int k = 0; k < 4; ++k) {
        bytes[22 + k] = static_cast<char>((crc >> (8 * k)) & 0xFF);
    }
    WriteBytes(path, bytes);
}

const std::string Utf16Garbage = std::string("\x01\xff\xfe", 3) + RandomText(301, 7);
const std::string Latin1Garbage = std::string("\x00", 1) + RandomText(300, 8);

const HostileCase HostileCases[] = {
    {"ZeroLengthWav", "empty.wav", [](const std::string& p) { WriteBytes(p, {}); },
     Outcome::Unreadable, "the file is empty"},
    {"ZeroLengthMp3", "empty.mp3", [](const std::string& p) { WriteBytes(p, {}); },
     Outcome::Unreadable, "the file is empty"},
    {"ZeroLengthOgg", "empty.ogg", [](const std::string& p) { WriteBytes(p, {}); },
     Outcome::Unreadable, nullptr},
    {"ZeroLengthWma", "empty.wma", [](const std::string& p) { WriteBytes(p, {}); },
     Outcome::Unreadable, nullptr},
    {"ZeroLengthFlac", "empty.flac", [](const std::string& p) { WriteBytes(p, {}); },
     Outcome::Unreadable, nullptr},
    {"GarbageOpus", "noise.opus",
     [](const std::string& p) { WriteBytes(p, RandomBytes(65536, 5)); }, Outcome::Unreadable,
     nullptr},
    {"FlacLengthBeyondItsBytes", "long.flac", FlacLengthBeyondItsBytes, Outcome::Unreadable,
     nullptr},
    {"FlacRateOfAFewHertz", "slow.flac", FlacRateOfAFewHertz, Outcome::Unreadable, nullptr},
    {"VorbisRateOfAFewHertz", "slow.ogg", VorbisRateOfAFewHertz, Outcome::Unreadable, nullptr},
    {"GarbageWav", "noise.wav", [](const std::string& p) { WriteBytes(p, RandomBytes(65536, 1)); },
     Outcome::Unreadable, "not WAV audio: "},
    {"GarbageOgg", "noise.ogg", [](const std::string& p) { WriteBytes(p, RandomBytes(65536, 2)); },
     Outcome::Unreadable, nullptr},
    {"GarbageWma", "noise.wma", [](const std::string& p) { WriteBytes(p, RandomBytes(65536, 3)); },
     Outcome::Unreadable, nullptr},
    {"GarbageMp3", "noise.mp3", [](const std::string& p) { WriteBytes(p, RandomBytes(65536, 4)); },
     Outcome::Either, nullptr},
    {"WavDataChunkLongerThanFile", "long.wav", WavDataChunkLongerThanFile, Outcome::Readable,
     nullptr, 0.1},
    {"WmaDurationBeyondItsBytes", "long.wma", WmaDurationBeyondItsBytes, Outcome::Readable, nullptr,
     1.0},
    {"TruncatedWavHeader", "cut.wav",
     [](const std::string& p) {
         WriteWavFixture(p, 44100, 2, 1.0);
         Truncate(p, 30);
     },
     Outcome::Unreadable, "not WAV audio: "},
    {"TruncatedMp3", "cut.mp3",
     [](const std::string& p) {
         WriteMp3Fixture(p, 44100, 2, 1.0);
         Truncate(p, 5000);
     },
     Outcome::Readable, nullptr},
    {"TruncatedOggHeaders", "cut.ogg",
     [](const std::string& p) {
         WriteOggFixture(p, 44100, 2, 1.0);
         Truncate(p, 200);
     },
     Outcome::Unreadable, nullptr},
    {"TruncatedOggAudio", "cut2.ogg",
     [](const std::string& p) {
         WriteOggFixture(p, 44100, 2, 2.0);
         Truncate(p, ReadBytes(p).size() / 2);
     },
     Outcome::Either, nullptr},
    {"TruncatedWma", "cut.wma",
     [](const std::string& p) {
         WriteWmaFixture(p, 1.0);
         Truncate(p, 3000);
     },
     Outcome::Either, nullptr},
    {"OggNamedWav", "ogg.wav", [](const std::string& p) { WriteOggFixture(p, 44100, 2, 1.0); },
     Outcome::Either, nullptr},
    {"WavNamedOgg", "wav.ogg", [](const std::string& p) { WriteWavFixture(p, 44100, 2, 1.0); },
     Outcome::Unreadable, nullptr},
    {"Mp3NamedWma", "mp3.wma", [](const std::string& p) { WriteMp3Fixture(p, 44100, 2, 1.0); },
     Outcome::Either, nullptr},
    {"WmaNamedMp3", "wma.mp3", [](const std::string& p) { WriteWmaFixture(p, 1.0); },
     Outcome::Either, nullptr},
    {"DirectoryNamedMp3", "folder.mp3",
     [](const std::string& p) { std::filesystem::create_directory(p); }, Outcome::Unreadable,
     nullptr},
    {"NamedPipeDoesNotBlock", "pipe.wav", [](const std::string& p) { mkfifo(p.c_str(), 0600); },
     Outcome::Unreadable, nullptr},
    {"Id3v2BinaryGarbageInTextFrames", "garbage.mp3",
     [](const std::string& p) {
         Mp3WithPrefix(p, Id3v23Tag({{"TIT2", Utf16Garbage},
                                     {"TPE1", Latin1Garbage},
                                     {"TRCK", std::string("\x03", 1) + RandomText(50, 9)},
                                     {"COMM", RandomText(40, 10)},
                                     {"TCON", std::string("\x01\xff", 2)}}));
     },
     Outcome::Readable, nullptr, 1.0},
    {"Id3v2ThousandsOfFrames", "frames.mp3",
     [](const std::string& p) {
         std::vector<std::pair<std::string, std::string>> frames;
         for (int i = 0; i < 5000; ++i) {
             frames.emplace_back(i % 2 ? "TPE1" : "TXXX",
                                 std::string("\x00", 1) + Format("v%d", i));
         }
         Mp3WithPrefix(p, Id3v23Tag(frames));
     },
     Outcome::Readable, nullptr, 1.0},
    {"Id3v2SizeBeyondFile", "oversize.mp3",
     [](const std::string& p) {
         std::vector<char> tag = Id3v23Tag({{"TIT2", std::string("\x00t", 2)}});
         for (int k = 6; k < 10; ++k) {
             tag[k] = 0x7F;  // 256 MB promised
         }
         Mp3WithPrefix(p, tag);
     },
     Outcome::Either, nullptr},
    {"Mp3HugeTagValues", "huge.mp3",
     [](const std::string& p) {
         WriteMp3Fixture(p, 44100, 2, 1.0);
         TagLib::MPEG::File file(p.c_str(), false);
         file.ID3v2Tag(true)->setTitle(TagLib::String(std::string(4 << 20, 'T')));
         file.APETag(true)->addValue("COMMENT", TagLib::String(std::string(1 << 20, 'C')));
         file.save(TagLib::MPEG::File::ID3v2 | TagLib::MPEG::File::APE);
     },
     Outcome::Readable, nullptr, 1.0},
    {"WmaHugeAndManyAttributes", "huge.wma",
     [](const std::string& p) {
         WriteWmaFixture(p, 1.0);
         TagLib::ASF::File file(p.c_str(), false);
         file.tag()->setTitle(TagLib::String(std::string(1 << 20, 'T')));
         file.tag()->setAttribute("WM/AlbumArtist", TagLib::ASF::Attribute(TagLib::ByteVector(
                                                        RandomText(900, 12).data(), 900)));
         for (int i = 0; i < 2000; ++i) {
             file.tag()->addAttribute("WM/Genre", TagLib::ASF::Attribute(TagLib::String("g")));
         }
         file.save();
     },
     Outcome::Readable, nullptr, 1.0},
    {"OggHugeAndBinaryComments", "huge.ogg",
     [](const std::string& p) {
         WriteOggFixture(p, 44100, 2, 1.0);
         TagLib::Ogg::Vorbis::File file(p.c_str(), false);
         file.tag()->addField("TITLE", TagLib::String(std::string(2 << 20, 'T')));
         file.tag()->addField("ARTIST", TagLib::String(RandomText(500, 11), TagLib::String::UTF8));
         for (int i = 0; i < 3000; ++i) {
             file.tag()->addField("GENRE", "g", false);
         }
         file.save();
     },
     Outcome::Readable, nullptr, 1.0},
};

class HostileMediaTest : public ::testing::TestWithParam<HostileCase> {
protected:
    HostileMediaTest() : probe(observer, &wmaReader) {}
    TempDir dir;
    RecordingObserver observer;
    WmaComponent wmaReader;
    MediaProbe probe;
};

TEST_P(HostileMediaTest, EndsAsRow) {
    const HostileCase& c = GetParam();
    const std::string path = dir / c.fileName;
    c.make(path);
    ASSERT_FALSE(HasFatalFailure());

    PlainFileListRow row;
    row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(c.fileName)));
    probe.ProbeMediaInfo(row, path);
    probe.ProbeBitrate(row, path);
    const FileListEntry& e = row.entry;

    if (c.outcome != Outcome::Either) {
        EXPECT_EQ(e.unreadable, c.outcome == Outcome::Unreadable ? 1 : 0);
    }
    if (e.unreadable) {
        EXPECT_EQ(row.cells[ColumnType], "Unknown");
        EXPECT_EQ(row.colours[ColumnType], UnreadableTextColour);
    } else {
        // Facts that would mislead the conversion: a length beyond what the bytes can hold.
        EXPECT_GT(e.channels, 0u);
        EXPECT_GT(e.sampleRate, 0);
        EXPECT_GT(e.totalSamples, 0u);
        EXPECT_EQ(e.totalSamples % e.channels, 0u);
        EXPECT_LT(e.durationSeconds, 24 * 3600.0);
        if (c.seconds > 0) {
            EXPECT_NEAR(e.durationSeconds, c.seconds, 0.1);
        }
    }
    for (const std::string& cell : row.cells) {
        EXPECT_TRUE(IsValidUtf8(cell));
    }
    // A damaged file is a row that says why, never a message that stops the load.
    EXPECT_TRUE(observer.messages().empty());
    if (e.unreadable) {
        EXPECT_FALSE(e.unreadableReason.empty());
    }
    if (c.reason) {
        EXPECT_EQ(e.unreadableReason.rfind(c.reason, 0), 0u) << e.unreadableReason;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileMediaTest, ::testing::ValuesIn(HostileCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tonquill::test
