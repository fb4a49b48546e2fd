#include "metadata/FileListEntry.h"

#include <gtest/gtest.h>

#include "metadata/RowTaskSource.h"
#include "metadata/TagReaders.h"

namespace tonquill {
namespace {

TEST(FileListEntry, NewRecordIsAllZeroWithEmptyTexts) {
    FileListEntry e;
    EXPECT_EQ(e.unreadable, 0);
    EXPECT_EQ(e.type, 0);
    EXPECT_EQ(e.tagKinds, 0);
    EXPECT_EQ(e.trackNumber, 0);
    EXPECT_EQ(e.trackTotal, 0);
    EXPECT_EQ(e.sampleRate, 0);
    EXPECT_EQ(e.channels, 0u);
    EXPECT_EQ(e.totalSamples, 0u);
    EXPECT_EQ(e.bitrateKbps, 0);
    EXPECT_EQ(e.sizeMegabytes, 0.0);
    EXPECT_EQ(e.durationSeconds, 0.0);
    EXPECT_EQ(e.Tags(), TagSet{});
}

TEST(FileListEntry, TagFieldsFollowTagSetOrderAndTheirColumns) {
    FileListEntry e;
    const char* headings[] = {"Artist", "Album Artist", "Album", "Track",
                              "Title",  "Genre",        "Date",  "Comment"};
    for (size_t i = 0; i < TagSet::Count; ++i) {
        e.TagField(i) = headings[i];
        EXPECT_STREQ(FileListColumns[TagColumn(i)].heading, headings[i]);
    }
    TagSet tags = e.Tags();
    for (size_t i = 0; i < TagSet::Count; ++i) {
        EXPECT_EQ(tags[i], headings[i]);
    }
    EXPECT_EQ(e.albumArtist, "Album Artist");
    EXPECT_EQ(e.comment, "Comment");
}

TEST(FileListColumn, TableIsIndexedByColumn) {
    ASSERT_EQ(FileListColumns.size(), 18u);
    for (size_t i = 0; i < FileListColumns.size(); ++i) {
        EXPECT_EQ(FileListColumns[i].column, static_cast<int>(i));
    }
    EXPECT_STREQ(FileListColumns[ColumnSize].heading, "Size(MB)");
    EXPECT_EQ(FileListColumns[ColumnType].align, ColumnAlign::Right);
    EXPECT_EQ(FileListColumns[ColumnBitrate].width, 88);
}

TEST(TypeByExtension, MapsUpperCaseExtensionOrNothing) {
    struct Case {
        const char* fileName;
        int type;
    } cases[] = {{"song.Mp3", 2}, {"a.b.wav", 1}, {"x.WMA", 3}, {"x.ogg", 4}, {"song.flac", 5},
                 {"song.aac", 0}, {"mp3", 0},     {"song.", 0}, {".mp3", 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(TypeByExtension(UpperExtension(c.fileName)), c.type) << c.fileName;
    }
    EXPECT_EQ(UpperExtension("song.Mp3"), "MP3");
}

TEST(FileListEntry, TrackNumbersKeepEightBits) {
    struct Case {
        const char* track;
        uint8_t number;
        uint8_t total;
    } cases[] = {
        {"7/15", 7, 15}, {"300", 44, 0}, {" 3 of 9", 3, 0}, {"+4/x", 4, 0},
        {"-1", 255, 0},  {"abc", 0, 0},  {"/12", 0, 12},    {"99999999999999999999/1", 255, 1}};
    for (const auto& c : cases) {
        FileListEntry e;
        StoreTrackNumbers(e, c.track);
        EXPECT_EQ(e.trackNumber, c.number) << c.track;
        EXPECT_EQ(e.trackTotal, c.total) << c.track;
    }
}

TEST(FileListEntry, ColumnTexts) {
    EXPECT_EQ(DurationText(0.9), "");
    EXPECT_EQ(DurationText(3725.7), "01:02:05");
    EXPECT_EQ(DurationText(360000.0), "100:00:00");
    EXPECT_EQ(ChannelText(1), "1 (Mono)");
    EXPECT_EQ(ChannelText(2), "2 (Stereo)");
    EXPECT_EQ(ChannelText(6), "6");
    EXPECT_EQ(FrequencyText(22050), "22050 Hz");
    EXPECT_EQ(BitrateText(1445), "1445 kbps");
}

TEST(RowTaskSource, CarriesRowIntoBatchPreparation) {
    PlainFileListRow row;
    row.cells[ColumnName] = "song.ogg";
    row.cells[ColumnPath] = "/music/";
    row.entry.type = 4;
    row.entry.sampleRate = 22050;
    row.entry.channels = 1;
    row.entry.totalSamples = 22050;
    row.entry.tagKinds = TagKindXiph;
    row.entry.title = "T";
    row.entry.comment = "C";

    TaskSource source = MakeTaskSource(row);
    EXPECT_EQ(source.folder, "/music/");
    EXPECT_EQ(source.fileName, "song.ogg");
    EXPECT_EQ(source.inputType, 4);
    EXPECT_EQ(source.sourceRate, 22050);
    EXPECT_EQ(source.sourceChannels, 1);
    EXPECT_EQ(source.totalSamples, 22050u);
    EXPECT_EQ(source.tagKinds, TagKindXiph);
    EXPECT_EQ(source.tags, row.entry.Tags());

    ConversionSettings settings;
    settings.OUTPUT.SameAsSrc = 1;
    CConversionTask task = PrepareTask(source, settings);
    EXPECT_EQ(task.SourcePath, "/music/song.ogg");
    EXPECT_EQ(task.DestPath, "/music/song.mp3");
    EXPECT_EQ(task.Tags.title, "T");
    EXPECT_EQ(task.SourceTagKinds, TagKindXiph);
}

}  // namespace
}  // namespace tonquill
