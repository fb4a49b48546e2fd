#include <filesystem>

#include <gtest/gtest.h>

#include "convert/ConversionTask.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

TaskSource Source(const std::string& name, int type, int rate, int channels, uint64_t samples) {
    TaskSource s;
    s.folder = "/music/album/";
    s.fileName = name;
    s.inputType = type;
    s.sourceRate = rate;
    s.sourceChannels = channels;
    s.totalSamples = samples;
    s.tagKinds = TagKindID3v2;
    s.tags.artist = "Artist";
    s.tags.comment = "Comment";
    return s;
}

TEST(PrepareTask, OutputNameReplacesTheLastExtensionAndFollowsTheFolderRule) {
    ConversionSettings settings;
    settings.OUTPUT.DesDir = "/out/";
    settings.OUTPUT.OutputFormat = FormatMp3;
    CConversionTask t = PrepareTask(Source("my.song.wav", FormatWav, 44100, 2, 100), settings);
    EXPECT_EQ(t.SourcePath, "/music/album/my.song.wav");
    EXPECT_EQ(t.DestPath, "/out/my.song.mp3");

    settings.OUTPUT.SameAsSrc = 1;
    settings.OUTPUT.OutputFormat = FormatOgg;
    t = PrepareTask(Source("track.mp3", FormatMp3, 44100, 2, 100), settings);
    EXPECT_EQ(t.DestPath, "/music/album/track.ogg");
    EXPECT_EQ(t.InputType, FormatMp3);
    EXPECT_EQ(t.OutputType, FormatOgg);
    EXPECT_EQ(t.SourceTagKinds, TagKindID3v2);
    EXPECT_EQ(t.Tags.artist, "Artist");
    EXPECT_EQ(t.Tags.comment, "Comment");
}

TEST(PrepareTask, OutputFolderWithoutItsFinalSlashIsStillTheFolder) {
    ConversionSettings settings;
    settings.OUTPUT.DesDir = "/home/me/out";
    settings.OUTPUT.OutputFormat = FormatOgg;
    const CConversionTask t = PrepareTask(Source("f.wav", FormatWav, 44100, 2, 100), settings);
    EXPECT_EQ(t.DestPath, "/home/me/out/f.ogg");
}

TEST(PrepareTask, TargetsEstimatesAndProcessingFlagPerOutputFormat) {
    struct Case {
        int format;
        int rate, channels;  // source
        int freq, channel;   // the format's Freq index and channel code
        uint64_t samples;    // interleaved source samples
        int targetRate, targetChannels;
        uint64_t estimated;
        bool processing;
    } cases[] = {
        {FormatWav, 44100, 2, 0, 0, 88200, 44100, 2, 88200, false},
        {FormatWav, 22050, 1, 8, 2, 22050, 44100, 2, 88200, true},  // x4
        {FormatMp3, 48000, 2, 5, 1, 96001, 22050, 1, 22050, true},  // 96001 x 0.2296875, cut
        {FormatOgg, 96000, 6, 0, 0, 600, 48000, 2, 100, true},      // 600 x 1/6 = 100
        {FormatOgg, 8000, 1, 0, 0, 8001, 8000, 1, 8001, false},
        {FormatWma, 32000, 1, 9, 2, 1000, 32000, 1, 1000, false},  // WMA keeps the source
        {FormatWav, 48000, 2, 8, 2, 100, 44100, 2, 90, true},      // 91.875 lowered to a frame
    };
    for (const auto& c : cases) {
        ConversionSettings s;
        s.OUTPUT.OutputFormat = static_cast<int16_t>(c.format);
        s.WAV.Freq = s.MP3.Freq = s.OGG.Freq = static_cast<int16_t>(c.freq);
        s.WAV.Channel = s.OGG.Channel = c.channel;
        s.MP3.LameChannel = static_cast<int16_t>(c.channel);
        CConversionTask t =
            PrepareTask(Source("a.wav", FormatWav, c.rate, c.channels, c.samples), s);
        SCOPED_TRACE(testing::Message()
                     << "format " << c.format << " " << c.rate << "/" << c.channels);
        EXPECT_EQ(t.TargetRate, c.targetRate);
        EXPECT_EQ(t.TargetChannels, c.targetChannels);
        EXPECT_EQ(t.EstimatedSamples, c.estimated);
        EXPECT_EQ(t.EstimatedSamples % static_cast<uint64_t>(t.TargetChannels), 0u);
        EXPECT_EQ(t.NeedsProcessing != 0, c.processing);
    }
}

TEST(PrepareBatch, CreatesTheOutputFolderAndSumsTheEstimates) {
    test::TempDir dir;
    ConversionSettings s;
    s.OUTPUT.OutputFormat = FormatWav;
    s.OUTPUT.DesDir = dir / "new/out/";
    PreparedBatch batch = PrepareBatch(
        {Source("a.wav", FormatWav, 44100, 2, 1000), Source("b.wav", FormatWav, 44100, 2, 500)}, s);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "new/out"));
    ASSERT_EQ(batch.tasks.size(), 2u);
    EXPECT_EQ(batch.overallSamplesTotal, 1500u);
    EXPECT_EQ(batch.tasks[1].DestPath, dir / "new/out/b.wav");
}

TEST(PrepareTask, KeptFoldersAndNamePatternShapeTheOutputPath) {
    struct Case {
        const char* name;
        const char* baseFolder;
        int keepFolders;
        int sameAsSource;
        const char* pattern;
        const char* expected;
    };
    // The source is /music/album/track.wav, tagged artist "Artist".
    const Case cases[] = {
        {"FlatByDefault", "/music/", 0, 0, "", "/out/track.mp3"},
        {"KeptBelowTheBase", "/music/", 1, 0, "", "/out/album/track.mp3"},
        {"KeptFromAHigherBase", "/", 1, 0, "", "/out/music/album/track.mp3"},
        {"FileAddedOnItsOwn", "", 1, 0, "", "/out/track.mp3"},
        {"SourceInTheBaseItself", "/music/album/", 1, 0, "", "/out/track.mp3"},
        {"BaseThatIsNoParent", "/other/", 1, 0, "", "/out/track.mp3"},
        {"SameAsSourceIgnoresKeeping", "/music/", 1, 1, "", "/music/album/track.mp3"},
        {"PatternBelowTheKeptFolders", "/music/", 1, 0, "{artist}/{name}",
         "/out/album/Artist/track.mp3"},
        {"PatternBesideTheSource", "", 0, 1, "{artist} - {name}",
         "/music/album/Artist - track.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings;
        settings.OUTPUT.DesDir = "/out";
        settings.OUTPUT.OutputFormat = FormatMp3;
        settings.OUTPUT.KeepFolders = c.keepFolders;
        settings.OUTPUT.SameAsSrc = c.sameAsSource;
        settings.OUTPUT.NamePattern = c.pattern;
        TaskSource source = Source("track.wav", FormatWav, 44100, 2, 100);
        source.baseFolder = c.baseFolder;
        EXPECT_EQ(PrepareTask(source, settings).DestPath, c.expected);
    }
}

}  // namespace
}  // namespace tonquill
