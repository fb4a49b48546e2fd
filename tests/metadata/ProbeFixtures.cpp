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
