#include "metadata/ProbeFixtures.h"

#include <gtest/gtest.h>
#include <lame/lame.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "base/ProgramFolder.h"
#include "convert/wma/WmaComponent.h"
#include "support/TestSupport.h"

namespace tonquill::test {

namespace {

std::vector<int16_t> Signal16(int rate, int channels, double seconds) {
    const size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<int32_t> wide = TestSignal16(frames, channels);
    std::vector<int16_t> samples(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        samples[i] = static_cast<int16_t>(wide[i] >> 16);
    }
    return samples;
}

}  // namespace

void WriteWavFixture(const std::string& path, int rate, int channels, double seconds) {
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, channels,
                   TestSignal16(static_cast<size_t>(rate * seconds), channels));
}

void WriteOggFixture(const std::string& path, int rate, int channels, double seconds) {
    WriteSoundFile(path, SF_FORMAT_OGG | SF_FORMAT_VORBIS, rate, channels,
                   TestSignal16(static_cast<size_t>(rate * seconds), channels));
}

void WriteMp3Fixture(const std::string& path, int rate, int channels, double seconds) {
    std::vector<int16_t> samples = Signal16(rate, channels, seconds);
    lame_global_flags* lame = lame_init();
    ASSERT_NE(lame, nullptr);
    lame_set_num_channels(lame, channels);
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 128);
    lame_set_bWriteVbrTag(lame, 0);
    ASSERT_GE(lame_init_params(lame), 0);

    const int frames = static_cast<int>(samples.size() / channels);
    std::vector<unsigned char> out(static_cast<size_t>(1.25 * frames + 7200) + 16384);
    int written = channels == 1
                      ? lame_encode_buffer(lame, samples.data(), samples.data(), frames, out.data(),
                                           static_cast<int>(out.size()))
                      : lame_encode_buffer_interleaved(lame, samples.data(), frames, out.data(),
                                                       static_cast<int>(out.size()));
    ASSERT_GE(written, 0);
    int flushed =
        lame_encode_flush(lame, out.data() + written, static_cast<int>(out.size()) - written);
    ASSERT_GE(flushed, 0);
    lame_close(lame);
    WriteBytes(path, std::vector<char>(out.begin(), out.begin() + written + flushed));
}

void WriteWmaFixture(const std::string& path, double seconds) {
    WmaComponent writer;
    writer.LoadPresets(ProgramFolder() + WmaPresetFileName);
    writer.SelectPreset(47);  // 128 kbit/s, 44100 Hz, stereo
    writer.SetFormat(44100, 2);
    writer.CreateForWriting(path);
    std::vector<int16_t> samples = Signal16(44100, 2, seconds);
    writer.WriteSamples(samples.data(), samples.size());
    writer.Close();
}

std::vector<char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Id3v2Frame(int majorVersion, const std::string& id, const std::string& payload) {
    const auto size = static_cast<uint32_t>(payload.size());
    // ID3v2.4 counts a frame's bytes in sync-safe form, seven bits a byte.
    const int step = majorVersion >= 4 ? 7 : 8;
    const uint32_t mask = majorVersion >= 4 ? 0x7F : 0xFF;
    std::string frame = id.substr(0, 4);
    for (int shift = 3 * step; shift >= 0; shift -= step) {
        frame += static_cast<char>((size >> shift) & mask);
    }
    frame += std::string(2, '\0');
    return frame + payload;
}

std::vector<char> Id3v2Tag(unsigned char versionByte,
                           const std::vector<std::pair<std::string, std::string>>& frames) {
    std::string body;
    for (const auto& [id, payload] : frames) {
        body += Id3v2Frame(versionByte, id, payload);
    }
    std::string tag = "ID3";
    tag += static_cast<char>(versionByte);
    tag += '\0';
    tag += '\0';
    const auto size = static_cast<uint32_t>(body.size());
    for (int shift = 21; shift >= 0; shift -= 7) {
        tag += static_cast<char>((size >> shift) & 0x7F);  // sync-safe
    }
    tag += body;
    return std::vector<char>(tag.begin(), tag.end());
}

std::vector<char> Id3v23Tag(const std::vector<std::pair<std::string, std::string>>& frames) {
    return Id3v2Tag(3, frames);
}

namespace {

constexpr int ChapterDepth = 20;

std::string SyncSafe32(uint32_t value) {
    std::string bytes;
    for (int shift = 21; shift >= 0; shift -= 7) {
        bytes += static_cast<char>((value >> shift) & 0x7F);
    }
    return bytes;
}

// A table of contents (CTOC) with no child elements: its identifier, flags (top level,
// ordered) and entry count, before any embedded frames.
std::string TableStart(int level) {
    return "toc" + std::to_string(level) + std::string(1, '\0') + "\x03" + std::string(1, '\0');
}

}  // namespace

// Tables of contents nested twenty deep, each holding the next one twice over: once through a
// small table whose data length indicator claims the bytes after it (TagLib reads them as that
// table's embedded frames) and once as its own next embedded frame. Reading them as TagLib
// builds such frames parses the innermost one 2^20 times; the bytes grow only linearly.
std::string NestedTableOfContents() {
    std::string inner = Id3v2Frame(4, "TIT2", std::string(1, '\0') + "Inner");
    for (int level = 1; level <= ChapterDepth; ++level) {
        const std::string claimed = TableStart(100 + level);
        std::string overlapping = "CTOC" + SyncSafe32(4 + claimed.size()) + std::string(1, '\0') +
                                  "\x01" +  // data length indicator
                                  SyncSafe32(static_cast<uint32_t>(claimed.size() + inner.size())) +
                                  claimed;
        inner = Id3v2Frame(4, "CTOC", TableStart(level) + overlapping + inner);
    }
    return inner;
}

std::vector<char> ChapterTag(const std::vector<std::pair<std::string, std::string>>& frames) {
    std::vector<std::pair<std::string, std::string>> all{
        {"TIT2", std::string(1, '\0') + "Chapters"}};
    all.insert(all.end(), frames.begin(), frames.end());
    std::vector<char> tag = Id3v2Tag(4, all);
    // Appends the nested frame and grows the tag's sync-safe size to match.
    const std::string nested = NestedTableOfContents();
    tag.insert(tag.end(), nested.begin(), nested.end());
    const auto size = static_cast<uint32_t>(tag.size() - 10);
    for (int i = 0; i < 4; ++i) {
        tag[6 + i] = static_cast<char>((size >> (7 * (3 - i))) & 0x7F);
    }
    return tag;
}

void WriteMp3WithTag(const std::string& path, const std::vector<char>& tag, double seconds) {
    WriteMp3Fixture(path, 44100, 2, seconds);
    std::vector<char> bytes = tag;
    const std::vector<char> audio = ReadBytes(path);
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    WriteBytes(path, bytes);
}

// A WAV file with the tag in an "id3 " chunk after its audio.
// Appends a chunk of data to a RIFF (little-endian sizes) or IFF (big-endian) file's bytes and
// counts it in the container's size.
static void AppendChunk(std::vector<char>& bytes, const std::string& id,
                        const std::vector<char>& data, bool bigEndian) {
    const auto put32 = [&bytes, bigEndian](size_t at, uint32_t value) {
        for (int k = 0; k < 4; ++k) {
            bytes[at + k] = static_cast<char>((value >> (8 * (bigEndian ? 3 - k : k))) & 0xFF);
        }
    };
    bytes.insert(bytes.end(), id.begin(), id.end());
    bytes.resize(bytes.size() + 4);
    put32(bytes.size() - 4, static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    if (data.size() % 2) {
        bytes.push_back('\0');
    }
    put32(4, static_cast<uint32_t>(bytes.size() - 8));
}

void WriteWavWithTag(const std::string& path, const std::vector<char>& tag, double seconds) {
    WriteWavFixture(path, 44100, 2, seconds);
    std::vector<char> bytes = ReadBytes(path);
    AppendChunk(bytes, "id3 ", tag, false);
    WriteBytes(path, bytes);
}

void WriteAiffWithTag(const std::string& path, const std::vector<char>& tag, double seconds) {
    WriteSoundFile(path, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 2,
                   TestSignal16(static_cast<size_t>(44100 * seconds), 2));
    std::vector<char> bytes = ReadBytes(path);
    AppendChunk(bytes, "ID3 ", tag, true);
    WriteBytes(path, bytes);
}

void WriteFlacWithTag(const std::string& path, const std::vector<char>& tag, double seconds) {
    WriteSoundFile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
                   TestSignal16(static_cast<size_t>(44100 * seconds), 2));
    std::vector<char> bytes = tag;
    const std::vector<char> audio = ReadBytes(path);
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    WriteBytes(path, bytes);
}

bool IsValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        size_t length = lead < 0x80                    ? 1
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
        if (length == 0 || text.size() - i < length) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace tonquill::test
