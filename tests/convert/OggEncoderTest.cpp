// The Ogg Vorbis encoder: quality settings, the rejected set-up, and the page structure.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <vorbis/vorbisfile.h>

#include "EncoderTestSupport.h"
#include "convert/Codecs.h"

namespace tonquill::test {
namespace {

struct OggPage {
    uint8_t headerType;
    int64_t granule;
    bool lastPacketEnds;  // the page's last segment closes a packet
};

std::vector<OggPage> PagesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string data(std::istreambuf_iterator<char>(in), {});
    std::vector<OggPage> pages;
    size_t pos = 0;
    while (pos + 27 <= data.size() && data.compare(pos, 4, "OggS") == 0) {
        const auto* p = reinterpret_cast<const uint8_t*>(data.data() + pos);
        int64_t granule = 0;
        for (int i = 7; i >= 0; --i) {
            granule = (granule << 8) | p[6 + i];
        }
        const int segments = p[26];
        size_t body = 0;
        for (int i = 0; i < segments; ++i) {
            body += p[27 + i];
        }
        pages.push_back({p[5], granule, segments > 0 && p[27 + segments - 1] < 255});
        pos += 27 + segments + body;
    }
    EXPECT_EQ(pos, data.size()) << "the file ends inside a page";
    return pages;
}

long NominalBitrate(const std::string& path) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) {
        return -1;
    }
    const long nominal = ov_info(&vf, -1)->bitrate_nominal;
    ov_clear(&vf);
    return nominal;
}

class OggEncoderTest : public ::testing::Test {
protected:
    std::unique_ptr<EncoderHarness> Encode(const std::string& name, int quality, size_t frames) {
        auto h = std::make_unique<EncoderHarness>(FormatOgg, 44100, 2, dir_ / name);
        h->ctx->Settings.OGG.QualityCompression = static_cast<int16_t>(quality);
        h->Feed(ToneSignal(frames, 2, 44100));
        h->RunEncoderThread();
        return h;
    }
    TempDir dir_;
};

// -1 and 10 are the ends of the range (-0.1 and 1.0), both accepted; the higher quality asks
// for the higher bitrate.
TEST_F(OggEncoderTest, QualityEndsAreAccepted) {
    auto low = Encode("low.ogg", -1, 20000);
    auto high = Encode("high.ogg", 10, 20000);
    for (auto* h : {low.get(), high.get()}) {
        EXPECT_TRUE(h->ctx->IsRunning());
        const DecodedAudio out = DecodeOutput(FormatOgg, h->task.DestPath);
        EXPECT_EQ(out.samples.size(), 40000u);
    }
    EXPECT_GT(NominalBitrate(high->task.DestPath), NominalBitrate(low->task.DestPath));
}

// Below -0.1 libvorbis has no set-up (above 1.0 it clamps).
TEST_F(OggEncoderTest, QualityBelowTheRangeIsRejectedBeforeTheFileExists) {
    auto h = Encode("bad.ogg", -2, 1000);
    EXPECT_FALSE(h->ctx->IsRunning());
    EXPECT_TRUE(h->HasLine("Invalid Ogg Vorbis format."));
    EXPECT_FALSE(std::filesystem::exists(h->task.DestPath));
}

// The headers fill pages of their own, so the audio starts on a fresh page; the last page ends
// the stream.
TEST_F(OggEncoderTest, AudioStartsOnAFreshPageAndTheLastPageEndsTheStream) {
    auto h = Encode("pages.ogg", 3, 44100 * 3);
    const auto pages = PagesOf(h->task.DestPath);
    ASSERT_GE(pages.size(), 4u);
    EXPECT_EQ(pages[0].headerType & 0x02, 0x02);  // beginning of stream
    size_t firstAudio = 0;
    while (firstAudio < pages.size() && pages[firstAudio].granule == 0) {
        ++firstAudio;
    }
    ASSERT_GE(firstAudio, 2u) << "the headers share a page with audio";
    ASSERT_LT(firstAudio, pages.size());
    EXPECT_TRUE(pages[firstAudio - 1].lastPacketEnds);
    EXPECT_EQ(pages[firstAudio].headerType & 0x01, 0);  // nothing carried over from the headers
    for (size_t i = 0; i + 1 < pages.size(); ++i) {
        EXPECT_EQ(pages[i].headerType & 0x04, 0) << "page " << i;
    }
    EXPECT_EQ(pages.back().headerType & 0x04, 0x04);
    EXPECT_EQ(pages.back().granule, 44100 * 3);
}

}  // namespace
}  // namespace tonquill::test
