#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "base/ProgramFolder.h"
#include "convert/BatchDriver.h"
#include "convert/Codecs.h"
#include "convert/DecoderFixtures.h"
#include "convert/wma/WmaComponent.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using test::RecordingObserver;
using test::TempDir;

// One source format and what its codec may do to a signal.
struct SourceFormat {
    const char* name;
    int formatCode;
    const char* extension;
    void (*write)(const std::string&, int, int, const std::vector<double>&);
    StageFunction decode;
    int maxLag;        // frames of delay the codec may add or trim
    int lengthSlack;   // frames the decoded length may differ by (delay and padding)
    bool beyond16Bit;  // the decoder yields more than 16 significant bits
};

void WriteWma47(const std::string& path, int rate, int channels,
                const std::vector<double>& signal) {
    test::WriteWma(path, rate, channels, signal, 47);
}

const SourceFormat Formats[] = {
    {"Mp3", FormatMp3, "mp3", test::WriteMp3, DecodeMp3, 3000, 3000, true},
    {"Ogg", FormatOgg, "ogg", test::WriteOgg, DecodeOgg, 3000, 0, true},
    {"Wma", FormatWma, "wma", WriteWma47, DecodeWma, 4096, 4096, false},
    {"Flac", FormatFlac, "flac", test::WriteFlac, DecodeFlac, 0, 0, true},
};

void PrintTo(const SourceFormat& format, std::ostream* os) {
    *os << format.name;
}

std::string FormatName(const ::testing::TestParamInfo<SourceFormat>& info) {
    return info.param.name;
}

class SourceDecoderTest : public ::testing::TestWithParam<SourceFormat> {
protected:
    static constexpr int Rate = 44100;
    static constexpr int Channels = 2;

    SourceDecoderTest() : ctx(observer) {
        ctx.StartDelayMs = 0;
        EXPECT_TRUE(CreateWmaComponents(ctx, observer));
        LoadWmaPresetFile(ctx, ProgramFolder(), observer);
        signal = test::ChirpSignal(Rate, Channels, 1.0);
    }

    std::string Fixture(const std::string& base) {
        const std::string path = dir / (base + "." + GetParam().extension);
        GetParam().write(path, Rate, Channels, signal);
        return path;
    }

    CConversionTask Task(const std::string& path, int rate = Rate, int channels = Channels) {
        CConversionTask task;
        task.SourcePath = path;
        task.InputType = GetParam().formatCode;
        task.SourceRate = rate;
        task.SourceChannels = channels;
        return task;
    }

    test::DecodeRun Decode(CConversionTask& task) {
        return test::RunDecoder(ctx, GetParam().decode, task);
    }

    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx;
    std::vector<double> signal;
};

TEST_P(SourceDecoderTest, DecodesTheSignalAtSourceRateAndChannels) {
    CConversionTask task = Task(Fixture("chirp"));
    test::DecodeRun run = Decode(task);

    ASSERT_TRUE(run.result);
    EXPECT_TRUE(observer.errorTexts().empty());
    ASSERT_EQ(run.samples.size() % Channels, 0u);
    const long frames = static_cast<long>(run.samples.size() / Channels);
    const long sourceFrames = static_cast<long>(signal.size() / Channels);
    EXPECT_GE(frames, sourceFrames - GetParam().lengthSlack);
    EXPECT_LE(frames, sourceFrames + GetParam().lengthSlack);

    // Each channel matches its own source; a swapped or mis-interleaved stream cannot.
    for (int channel = 0; channel < Channels; ++channel) {
        const test::Match match =
            test::Align(signal, run.samples, Channels, channel, GetParam().maxLag);
        EXPECT_GT(match.correlation, 0.95) << "channel " << channel << " lag " << match.lag;
        // A negative lag means the decoded audio starts later in the source: its start is lost.
        EXPECT_GE(match.lag, 0) << "channel " << channel;
    }
}

TEST_P(SourceDecoderTest, DeliversFullScaleAndFullPrecision) {
    CConversionTask task = Task(Fixture("chirp"));
    test::DecodeRun run = Decode(task);
    ASSERT_TRUE(run.result);

    // Level: the chirp peaks at 0.6 of full scale (2^31); a decoder that puts 16-bit values in
    // the low half, or scales twice, misses it by far.
    int64_t peak = 0;
    bool beyond16 = false, below10 = false;
    for (size_t i = 0; i < run.samples.size(); i += Channels) {
        const int32_t s = run.samples[i];
        peak = std::max<int64_t>(peak, std::llabs(static_cast<int64_t>(s)));
        beyond16 = beyond16 || (s & 0xFFFF) != 0;
        below10 = below10 || (s & 0x3FFFFF) != 0;
    }
    EXPECT_GT(peak, static_cast<int64_t>(0.5 * 2147483648.0));
    EXPECT_LT(peak, static_cast<int64_t>(0.75 * 2147483648.0));
    // No 10-bit mask: bits below the top ten carry signal.
    EXPECT_TRUE(below10);
    EXPECT_EQ(beyond16, GetParam().beyond16Bit);
}

TEST_P(SourceDecoderTest, FileChangedSinceListedIsRefused) {
    const std::string path = Fixture("chirp");
    const std::string expected =
        "Error : the format of " + path + " has changed since it was added";
    for (auto [rate, channels] : {std::pair{48000, 2}, std::pair{44100, 1}}) {
        CConversionTask task = Task(path, rate, channels);
        test::DecodeRun run = Decode(task);
        EXPECT_FALSE(run.result) << rate << "/" << channels;
        EXPECT_TRUE(run.samples.empty());
        ASSERT_FALSE(observer.errorTexts().empty());
        EXPECT_EQ(observer.errorTexts().back(), expected);
    }
}

TEST_P(SourceDecoderTest, StopWhileWaitingForRoomEndsTheDecoder) {
    // A ring far smaller than the file and nobody reading it: the decoder must wait, and leave
    // as soon as the batch stops.
    PipelineContext small(observer, 8192);
    ASSERT_TRUE(CreateWmaComponents(small, observer));
    CConversionTask task = Task(Fixture("chirp"));
    small.Running = 1;
    std::atomic<bool> finished{false};
    bool result = false;
    std::thread decoder([&] {
        result = GetParam().decode(small, task);
        finished = true;
    });
    EXPECT_TRUE(test::WaitUntil([&] { return small.DecodedRing.FreeSpace() < 4096; }));
    EXPECT_FALSE(finished);
    small.Stop();
    EXPECT_TRUE(test::WaitUntil([&] { return finished.load(); }, std::chrono::seconds(5)));
    decoder.join();
    EXPECT_TRUE(result);
}

TEST_P(SourceDecoderTest, BatchConvertsTheSourceToWavAtTheSameFormat) {
    const std::string source = Fixture("song");
    ConversionSettings settings;
    settings.OUTPUT.OutputFormat = FormatWav;
    settings.OUTPUT.SameAsSrc = 1;
    const TaskSource row =
        test::SourceRow(source, GetParam().formatCode, Rate, Channels, signal.size() / Channels);
    PreparedBatch batch = PrepareBatch({row}, settings);
    ASSERT_EQ(batch.tasks.size(), 1u);
    ASSERT_FALSE(batch.tasks[0].NeedsProcessing);

    ctx.Settings = settings;
    test::RunPreparedBatch(ctx, batch);

    ASSERT_FALSE(observer.texts().empty());
    EXPECT_EQ(observer.texts().back(), "Converting status: OK.");
    EXPECT_EQ(observer.doneCount(), 1);
    const test::SoundFile out = test::ReadSoundFile(dir / "song.wav");
    EXPECT_EQ(out.rate, Rate);
    ASSERT_EQ(out.channels, Channels);
    for (int channel = 0; channel < Channels; ++channel) {
        EXPECT_GT(
            test::Align(signal, out.samples, Channels, channel, GetParam().maxLag).correlation,
            0.95);
    }
}

// Damage done to a good file before it is decoded.
struct Damage {
    const char* name;
    void (*apply)(const std::string& path, const std::string& otherFormat);
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

const Damage Damages[] = {
    {"TruncatedAtHalf",
     [](const std::string& p, const std::string&) {
         std::filesystem::resize_file(p, std::filesystem::file_size(p) / 2);
     }},
    {"TruncatedInTheHeader",
     [](const std::string& p, const std::string&) { std::filesystem::resize_file(p, 100); }},
    {"ZeroLength", [](const std::string& p, const std::string&) { WriteBytes(p, ""); }},
    {"FlippedBytesThroughout",
     [](const std::string& p, const std::string&) {
         std::string bytes = ReadBytes(p);
         for (size_t i = 200; i < bytes.size(); i += 997) {
             bytes[i] = static_cast<char>(~bytes[i]);
         }
         WriteBytes(p, bytes);
     }},
    {"FlippedBytesInTheAudio",
     [](const std::string& p, const std::string&) {
         // The headers stay whole, so the damage reaches the codec itself.
         std::string bytes = ReadBytes(p);
         for (size_t i = bytes.size() / 2; i < bytes.size(); i += 101) {
             bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
         }
         WriteBytes(p, bytes);
     }},
    {"ZeroedHeader",
     [](const std::string& p, const std::string&) {
         std::string bytes = ReadBytes(p);
         std::fill_n(bytes.begin(), std::min<size_t>(bytes.size(), 512), '\0');
         WriteBytes(p, bytes);
     }},
    {"RandomBytes",
     [](const std::string& p, const std::string&) {
         std::string bytes = ReadBytes(p);
         std::mt19937 random(7);
         for (char& c : bytes) {
             c = static_cast<char>(random());
         }
         WriteBytes(p, bytes);
     }},
    {"OtherFormatUnderThisName",
     [](const std::string& p, const std::string& other) {
         std::filesystem::copy_file(other, p, std::filesystem::copy_options::overwrite_existing);
     }},
};

TEST_P(SourceDecoderTest, DamagedFileEndsWithAnErrorOrAShortStream) {
    // A file of another format to smuggle in under this extension.
    const bool isMp3 = GetParam().formatCode == FormatMp3;
    const std::string other = dir / (isMp3 ? "other.ogg" : "other.mp3");
    (isMp3 ? test::WriteOgg : test::WriteMp3)(other, Rate, Channels, signal);

    for (const Damage& damage : Damages) {
        SCOPED_TRACE(damage.name);
        const std::string path = Fixture(std::string("damaged-") + damage.name);
        damage.apply(path, other);
        const size_t linesBefore = observer.errorTexts().size();

        CConversionTask task = Task(path);
        test::DecodeRun run = Decode(task);

        EXPECT_FALSE(run.timedOut);
        // The damage may cost the whole file but must not invent a flood of samples.
        EXPECT_LE(run.samples.size(), 2 * signal.size() + 2 * 4096);
        EXPECT_EQ(run.samples.size() % Channels, 0u);
        if (run.threw) {
            // Only the component reports by exception; the batch thread turns it into a line.
            EXPECT_EQ(GetParam().formatCode, FormatWma);
        } else if (!run.result) {
            EXPECT_GT(observer.errorTexts().size(), linesBefore);
        }
    }
}

// Every error line a decoder posts itself, each reached by the fault that causes it.
struct ErrorCase {
    const char* name;
    StageFunction decode;
    int rate;
    int channels;
    // Makes the source file in dir and returns its path.
    std::string (*source)(const TempDir& dir);
    // The expected line; "$" stands for the source path. A trailing '*' matches any rest.
    const char* line;
};

std::string GoodMp3(const TempDir& dir) {
    const std::string path = dir / "good.mp3";
    test::WriteMp3(path, 44100, 2, test::ChirpSignal(44100, 2, 1.0));
    return path;
}

std::string EmptyFile(const TempDir& dir) {
    const std::string path = dir / "empty.any";
    WriteBytes(path, "");
    return path;
}

std::string MissingFile(const TempDir& dir) {
    return dir / "missing.any";
}

std::string OggWithAPageLost(const TempDir& dir) {
    const std::string path = dir / "hole.ogg";
    test::WriteOgg(path, 44100, 2, test::ChirpSignal(44100, 2, 3.0));
    // Damage the body of one audio page in the middle: its checksum fails, the page is dropped
    // and the stream has a hole.
    std::string bytes = ReadBytes(path);
    std::vector<size_t> pages;
    for (size_t at = bytes.find("OggS"); at != std::string::npos; at = bytes.find("OggS", at + 1)) {
        pages.push_back(at);
    }
    if (pages.size() >= 4) {
        bytes[pages[pages.size() - 2] + 100] ^= 0x55;
    }
    WriteBytes(path, bytes);
    return path;
}

std::string OggChainedToMono(const TempDir& dir) {
    // Two streams one after the other, as a chained file holds them; the second is mono.
    const std::string first = dir / "stereo.ogg";
    const std::string second = dir / "mono.ogg";
    test::WriteOgg(first, 44100, 2, test::ChirpSignal(44100, 2, 1.0));
    test::WriteOgg(second, 44100, 1, test::ChirpSignal(44100, 1, 1.0));
    const std::string path = dir / "chained.ogg";
    WriteBytes(path, ReadBytes(first) + ReadBytes(second));
    return path;
}

const ErrorCase ErrorCases[] = {
    {"Mp3RateTheLibraryCannotDecodeIsRefusedBeforeOpening", DecodeMp3, 12345, 2, MissingFile,
     "Invalid Format!"},
    {"Mp3ThreeChannels", DecodeMp3, 44100, 3, GoodMp3, "Invalid Format!"},
    {"Mp3MissingFile", DecodeMp3, 44100, 2, MissingFile, "Trouble with mpg123: *"},
    {"Mp3WithoutAnyFrame", DecodeMp3, 44100, 2, EmptyFile,
     "Trouble with mpg123: no MPEG audio frame found"},
    {"OggMissingFile", DecodeOgg, 44100, 2, MissingFile, "Error : could not open file : $"},
    {"OggThatIsNotVorbis", DecodeOgg, 44100, 2, GoodMp3, "Invalid ogg vorbis stream"},
    {"OggChainChangingFormat", DecodeOgg, 44100, 2, OggChainedToMono,
     "Error : $ changes its sample rate or channel count partway (a chained stream) and cannot "
     "be converted as one file"},
};

TEST(DecoderErrorLineTest, EachFaultPostsItsLineAndFails) {
    for (const ErrorCase& c : ErrorCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        RecordingObserver observer;
        PipelineContext ctx(observer);
        CConversionTask task;
        task.SourcePath = c.source(dir);
        task.SourceRate = c.rate;
        task.SourceChannels = c.channels;
        test::DecodeRun run = test::RunDecoder(ctx, c.decode, task);

        EXPECT_FALSE(run.result);
        EXPECT_FALSE(run.threw);
        const auto lines = observer.lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().level, LogLevel::Error);
        std::string expected = c.line;
        if (const size_t at = expected.find('$'); at != std::string::npos) {
            expected.replace(at, 1, task.SourcePath);
        }
        if (!expected.empty() && expected.back() == '*') {
            expected.pop_back();
            EXPECT_EQ(lines.back().text.rfind(expected, 0), 0u) << lines.back().text;
            EXPECT_GT(lines.back().text.size(), expected.size());
        } else {
            EXPECT_EQ(lines.back().text, expected);
        }
    }
}

// A lost page is a hole libvorbisfile steps over: the rest of the stream is decoded, and one
// warning names the file and the place of the gap.
TEST(DecoderErrorLineTest, OggWithAPageLostGoesOnWithAWarning) {
    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx(observer);
    CConversionTask task;
    task.SourcePath = OggWithAPageLost(dir);
    task.SourceRate = 44100;
    task.SourceChannels = 2;
    test::DecodeRun run = test::RunDecoder(ctx, DecodeOgg, task);

    EXPECT_TRUE(run.result);
    EXPECT_GT(run.samples.size(), 44100u * 2 * 3 / 2);  // the pages before and after the gap
    const auto lines = observer.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, LogLevel::Warning);
    EXPECT_EQ(lines[0].text.rfind("Warning : " + task.SourcePath + " has a gap at 0:0", 0), 0u)
        << lines[0].text;
}

TEST(DecoderErrorLineTest, UnreadableWmaFailsTheTaskWithTheDecodingLine) {
    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx(observer);
    ctx.StartDelayMs = 0;
    ASSERT_TRUE(CreateWmaComponents(ctx, observer));
    const std::string source = dir / "song.wma";
    test::WriteMp3(source, 44100, 2, test::ChirpSignal(44100, 2, 0.5));

    ConversionSettings settings;
    settings.OUTPUT.OutputFormat = FormatWav;
    settings.OUTPUT.SameAsSrc = 1;
    // 22 050 frames of stereo, as the row would have counted them.
    const TaskSource row = test::SourceRow(dir / "song.wma", FormatWma, 44100, 2, 22050);
    ctx.Settings = settings;
    test::RunPreparedBatch(ctx, PrepareBatch({row}, settings));

    const auto texts = observer.texts();
    ASSERT_GE(texts.size(), 2u);
    // The decoder's line with FFmpeg's reason, then the task's own line repeating it.
    const std::string decoding = "An error occurred while decoding " + source + ": ";
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[texts.size() - 3].rfind(decoding, 0), 0u) << texts[texts.size() - 3];
    EXPECT_EQ(texts[texts.size() - 2], source + " was not converted: " + texts[texts.size() - 3]);
    EXPECT_EQ(texts.back(), "Converting status: ERROR.");
    // The reader is closed again and serves the next task.
    EXPECT_FALSE(ctx.WmaReader->IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Formats, SourceDecoderTest, ::testing::ValuesIn(Formats), FormatName);

// A format the descriptor table lists can be read and written only when the codec table has
// its row with both stages.
TEST(CodecTable, EveryDescribedFormatHasItsDecoderAndEncoder) {
    for (const FormatInfo& format : FormatTable) {
        const CodecEntry* codec = FindCodec(format.code);
        ASSERT_NE(codec, nullptr) << format.name;
        EXPECT_NE(codec->decode, nullptr) << format.name;
        EXPECT_NE(codec->encode, nullptr) << format.name;
    }
    EXPECT_EQ(std::size(CodecTable), FormatTable.size());
}

}  // namespace
}  // namespace tonquill
