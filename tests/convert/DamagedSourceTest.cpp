#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "convert/BatchDriver.h"
#include "convert/DecodedLength.h"
#include "convert/DecoderFixtures.h"
#include "metadata/FileListRow.h"
#include "metadata/MediaProbe.h"
#include "metadata/RowTaskSource.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using test::RecordingObserver;
using test::TempDir;

constexpr int Rate = 44100;
constexpr int Channels = 2;
constexpr double Seconds = 20.0;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Overwrites a share of the file from `at` (a share too) with zeros or with noise.
void Damage(const std::string& path, double at, double share, bool noise) {
    std::string bytes = ReadBytes(path);
    const size_t from = static_cast<size_t>(static_cast<double>(bytes.size()) * at);
    const size_t length = static_cast<size_t>(static_cast<double>(bytes.size()) * share);
    ASSERT_LT(from + length, bytes.size());
    std::mt19937 random(11);
    for (size_t i = from; i < from + length; ++i) {
        bytes[i] = noise ? static_cast<char>(random()) : '\0';
    }
    WriteBytes(path, bytes);
}

// A source damaged as a user's file may be, converted to WAV in a batch of one.
struct DamageCase {
    const char* name;
    int format;
    const char* extension;
    double at;     // where the damage starts, as a share of the file
    double share;  // how much of the file is damaged; 0 for an undamaged file
    bool noise;    // garbage rather than zeros
    bool cut;      // the file is cut off after the damage point instead
    double minSeconds;
    double maxSeconds;
    const char* warning;  // start of the one warning line expected, or nothing
};

const DamageCase Cases[] = {
    // libvorbisfile reports the lost pages as a hole and goes on after them.
    {"OggWithAHoleOfGarbage", FormatOgg, "ogg", 1.0 / 3, 0.1, true, false, 15.0, 19.5,
     "Warning : "},
    {"OggUndamaged", FormatOgg, "ogg", 0, 0, false, false, 19.9, 20.1, nullptr},
    // Zeros in the middle, far more than libmpg123's default search of 1 KiB: it must search
    // past them for the next frame.
    {"Mp3WithZeroedMiddle", FormatMp3, "mp3", 0.4, 0.15, false, false, 15.0, 19.0,
     "Warning : only "},
    {"Mp3CutOffAtHalf", FormatMp3, "mp3", 0.5, 0, false, true, 9.0, 11.0, "Warning : only "},
    {"Mp3Undamaged", FormatMp3, "mp3", 0, 0, false, false, 19.9, 20.2, nullptr},
    // The COMM chunk promises the frames the cut took away.
    {"AiffCutOffAtHalf", FormatAiff, "aiff", 0.5, 0, false, true, 9.0, 11.0, "Warning : only "},
    {"AiffUndamaged", FormatAiff, "aif", 0, 0, false, false, 19.9, 20.1, nullptr},
};

void WriteAiff(const std::string& path, int rate, int channels, const std::vector<double>& signal) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_double(file, signal.data(), static_cast<sf_count_t>(signal.size() / channels));
    sf_close(file);
}

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

class DamagedSourceTest : public ::testing::TestWithParam<DamageCase> {
protected:
    DamagedSourceTest() : ctx(observer) { ctx.StartDelayMs = 0; }

    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx;
};

TEST_P(DamagedSourceTest, ConvertsWhatCanBeReadAndWarnsOfWhatWasLost) {
    const DamageCase& c = GetParam();
    const std::string name = std::string("song.") + c.extension;
    const std::string path = dir / name;
    const std::vector<double> signal = test::ChirpSignal(Rate, Channels, Seconds);
    (c.format == FormatOgg    ? test::WriteOgg
     : c.format == FormatAiff ? WriteAiff
                              : test::WriteMp3)(path, Rate, Channels, signal);

    // The list probes the file before it is damaged, as when it changed after it was added.
    PlainFileListRow row;
    row.SetCellText(ColumnName, name);
    row.SetCellText(ColumnPath, dir.path().string() + "/");
    row.entry.type = static_cast<uint8_t>(c.format);
    MediaProbe probe(observer, nullptr);
    probe.ProbeMediaInfo(row, path);
    ASSERT_FALSE(row.entry.unreadable);
    ASSERT_NEAR(row.entry.durationSeconds, Seconds, 0.2);

    if (c.cut) {
        std::filesystem::resize_file(
            path,
            static_cast<uintmax_t>(static_cast<double>(std::filesystem::file_size(path)) * c.at));
    } else if (c.share > 0) {
        Damage(path, c.at, c.share, c.noise);
    }

    ConversionSettings settings;
    settings.OUTPUT.OutputFormat = FormatWav;
    settings.OUTPUT.DesDir = dir / "out/";
    ctx.Settings = settings;
    test::RunPreparedBatch(ctx, PrepareBatch({MakeTaskSource(row)}, settings));

    // The status stays OK: the output holds everything that could be read.
    const std::vector<std::string> texts = observer.texts();
    EXPECT_EQ(texts.back(), "Converting status: OK.");
    EXPECT_TRUE(observer.errorTexts().empty());
    const test::SoundFile out = test::ReadSoundFile(dir / "out/song.wav");
    const double seconds = static_cast<double>(out.samples.size()) / (Rate * Channels);
    EXPECT_GE(seconds, c.minSeconds) << std::filesystem::file_size(path) << " bytes";
    EXPECT_LE(seconds, c.maxSeconds);

    std::vector<std::string> warnings;
    for (const auto& line : observer.lines()) {
        if (line.level == LogLevel::Warning) {
            warnings.push_back(line.text);
        }
    }
    if (!c.warning) {
        EXPECT_TRUE(warnings.empty()) << warnings.front();
        return;
    }
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings.front().rfind(c.warning, 0), 0u) << warnings.front();
    EXPECT_NE(warnings.front().find(path), std::string::npos) << warnings.front();
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSourceTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// Probes the file and converts it to WAV on a thread of its own; false when that has not ended
// within the watchdog's time (the batch is then stopped and waited for).
bool ProbeAndConvertEnds(const std::string& path, const std::string& outDir,
                         RecordingObserver& observer, PlainFileListRow& row) {
    PipelineContext ctx(observer);
    ctx.StartDelayMs = 0;
    ConversionSettings settings;
    settings.OUTPUT.OutputFormat = FormatWav;
    settings.OUTPUT.DesDir = outDir;
    ctx.Settings = settings;
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        const std::string name = std::filesystem::path(path).filename();
        row.SetCellText(ColumnName, name);
        row.SetCellText(ColumnPath, std::filesystem::path(path).parent_path().string() + "/");
        row.entry.type = FormatMp3;
        MediaProbe probe(observer, nullptr);
        probe.ProbeMediaInfo(row, path);
        if (!row.entry.unreadable) {
            test::RunPreparedBatch(ctx, PrepareBatch({MakeTaskSource(row)}, settings));
        }
        ended = true;
    });
    const bool inTime = test::WaitUntil([&] { return ended.load(); }, std::chrono::seconds(10));
    ctx.Stop();
    worker.join();
    return inTime;
}

// A LAME info frame's frame count is only a claim. One claiming far more than the file holds
// must not give the row a length of thousands of hours.
TEST(DamagedInfoFrameTest, LengthClaimBeyondWhatTheBytesHoldIsIgnored) {
    TempDir dir;
    const std::string path = dir / "claims.mp3";
    test::WriteMp3(path, 22050, 1, test::ChirpSignal(22050, 1, 2.0));
    std::string bytes = ReadBytes(path);
    size_t tag = bytes.find("Info");
    if (tag == std::string::npos) {
        tag = bytes.find("Xing");
    }
    ASSERT_NE(tag, std::string::npos);
    ASSERT_TRUE(bytes[tag + 7] & 1) << "the info frame holds a frame count";
    const char claim[] = {'\x08', '\x00', '\x00', '\x08'};  // 134 million frames
    bytes.replace(tag + 8, 4, claim, 4);
    WriteBytes(path, bytes);

    RecordingObserver observer;
    PlainFileListRow row;
    ASSERT_TRUE(ProbeAndConvertEnds(path, dir / "out/", observer, row));
    ASSERT_FALSE(row.entry.unreadable);
    EXPECT_NEAR(row.entry.durationSeconds, 2.0, 0.2);
    EXPECT_EQ(observer.texts().back(), "Converting status: OK.");
    const test::SoundFile out = test::ReadSoundFile(dir / "out/claims.wav");
    EXPECT_NEAR(static_cast<double>(out.samples.size()) / 22050, 2.0, 0.1);
}

// A damaged 1.4 KB stream whose info frame claims 134 million frames and whose later frames
// change format: it kept the decoder busy for half a minute before it could even start.
TEST(DamagedInfoFrameTest, HostileStreamEndsAtOnceWithALine) {
    TempDir dir;
    const std::string path = dir / "hostile.mp3";
    std::filesystem::copy_file(TEST_DATA_DIR "/huge-info-frame.mp3", path);
    RecordingObserver observer;
    PlainFileListRow row;
    ASSERT_TRUE(ProbeAndConvertEnds(path, dir / "out/", observer, row));
    EXPECT_LT(row.entry.durationSeconds, 60.0);
    if (!row.entry.unreadable) {
        const std::vector<std::string> texts = observer.texts();
        ASSERT_FALSE(texts.empty());
        EXPECT_TRUE(texts.back() == "Converting status: OK." ||
                    texts.back() == "Converting status: ERROR.")
            << texts.back();
    }
}

TEST(DecodedLengthTest, OnlyAShortfallBeyondCodecPaddingCountsAsWellShort) {
    struct Case {
        uint64_t decoded;
        uint64_t expected;
        bool shortEnd;
    };
    constexpr uint64_t second = Rate * Channels;
    const Case cases[] = {
        {20 * second, 20 * second, false},
        {21 * second, 20 * second, false},         // more than listed is no loss
        {20 * second - 4000, 20 * second, false},  // codec delay and padding
        {19 * second, 20 * second, true},
        {second / 10, second, true},
        {0, 0, false},                                     // length unknown
        {second * 97 / 100, second, false},                // short by less than half a second
        {second * 970 / 100, second * 1000 / 100, false},  // short by a second, under 2 %
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.decoded << " of " << c.expected);
        EXPECT_EQ(EndsWellShort(c.decoded, c.expected, Rate, Channels), c.shortEnd);
    }
    EXPECT_EQ(PositionText(Rate * 65 + Rate / 4, Rate), "1:05.25");
    EXPECT_EQ(PositionText(0, Rate), "0:00.00");
}

TEST(DecodedLengthTest, GapInAnOggStreamIsReportedOnceWithItsPlace) {
    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx(observer);
    const std::string path = dir / "gap.ogg";
    test::WriteOgg(path, Rate, Channels, test::ChirpSignal(Rate, Channels, Seconds));
    Damage(path, 0.5, 0.05, true);

    CConversionTask task;
    task.SourcePath = path;
    task.InputType = FormatOgg;
    task.SourceRate = Rate;
    task.SourceChannels = Channels;
    const test::DecodeRun run = test::RunDecoder(ctx, DecodeOgg, task);
    EXPECT_TRUE(run.result);
    ASSERT_EQ(observer.lines().size(), 1u);
    const auto line = observer.lines().front();
    EXPECT_EQ(line.level, LogLevel::Warning);
    // The gap sits about half-way: "0:09.xx" or "0:10.xx".
    EXPECT_NE(line.text.find(" has a gap at 0:"), std::string::npos) << line.text;
    EXPECT_NE(line.text.find(path), std::string::npos) << line.text;
}

}  // namespace
}  // namespace tonquill
