#include "metadata/MediaProbe.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>

#include <fstream>
#include <functional>

#include "convert/wma/WmaComponent.h"
#include "metadata/ProbeFixtures.h"
#include "support/TestSupport.h"

namespace tonquill::test {
namespace {

// A fixture file of one format with known tags.
struct ProbeCase {
    const char* name;
    const char* fileName;
    std::function<void(const std::string&)> make;
    const char* tagText;
    TagSet tags;
    uint8_t tagKinds;
    uint8_t trackNumber;
    uint8_t trackTotal;
    const char* duration;
    const char* frequency;
    const char* channel;
    const char* bitrate;  // null: any "%d kbps" with a positive value (lossy, encoder's choice)
};

void SetId3v2Text(TagLib::ID3v2::Tag* tag, const char* id, const char* text) {
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
    frame->setText(TagLib::String(text, TagLib::String::UTF8));
    tag->addFrame(frame);
}

void MakeMp3Id3v23AndId3v1(const std::string& path) {
    WriteMp3Fixture(path, 44100, 1, 2.0);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* v2 = file.ID3v2Tag(true);
    SetId3v2Text(v2, "TPE1", "Ärtist");
    SetId3v2Text(v2, "TPE2", "Band");
    SetId3v2Text(v2, "TALB", "Album");
    SetId3v2Text(v2, "TRCK", "7/15");
    SetId3v2Text(v2, "TIT2", "Title");
    SetId3v2Text(v2, "TCON", "Rock");
    SetId3v2Text(v2, "TDRC", "2004");  // saved as the ID3v2.3 year frame, read back as TDRC
    TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(true);
    v1->setArtist("Other artist");
    v1->setComment("from ID3v1");
    v1->setYear(1999);
    file.save(TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers,
              TagLib::ID3v2::v3, TagLib::File::DoNotDuplicate);
}

void MakeMp3ApeOnly(const std::string& path) {
    WriteMp3Fixture(path, 44100, 2, 2.0);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::APE::Tag* ape = file.APETag(true);
    ape->addValue("ARTIST", "Ape artist");
    ape->addValue("ALBUMARTIST", "Ape band");
    ape->addValue("TRACK", "300");
    ape->addValue("YEAR", "1988");
    file.save(TagLib::MPEG::File::APE, TagLib::File::StripOthers);
}

void MakeMp3Id3v1Only(const std::string& path) {
    WriteMp3Fixture(path, 44100, 2, 2.0);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(true);
    v1->setTitle("Caf\xe9");  // Latin-1 as ID3v1 stores it
    v1->setTrack(5);
    v1->setYear(0);
    file.save(TagLib::MPEG::File::ID3v1, TagLib::File::StripOthers);
}

void MakeOggTwoArtists(const std::string& path) {
    WriteOggFixture(path, 48000, 1, 2.0);
    TagLib::Ogg::Vorbis::File file(path.c_str(), false);
    TagLib::Ogg::XiphComment* tag = file.tag();
    tag->addField("ARTIST", "One", false);
    tag->addField("ARTIST", "Two", false);
    tag->addField("ALBUMARTIST", "Both", true);
    tag->addField("TRACKNUMBER", "3", true);
    tag->addField("YEAR", "2001", true);
    tag->addField("COMMENT", "c", true);
    file.save();
}

void MakeFlacTagged(const std::string& path) {
    WriteSoundFile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 2, TestSignal16(96000 * 2, 2));
    TagLib::FLAC::File file(path.c_str(), false);
    TagLib::Ogg::XiphComment* tag = file.xiphComment(true);
    tag->addField("ARTIST", "Flac artist", true);
    tag->addField("TITLE", "Flac title", true);
    tag->addField("TRACKNUMBER", "4/12", true);
    tag->addField("DATE", "2019", true);
    ASSERT_TRUE(file.save());
}

void MakeOpusTagged(const std::string& path) {
    WriteSoundFile(path, SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1, TestSignal16(48000 * 2, 1));
    TagLib::Ogg::Opus::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    file.tag()->addField("ALBUM", "Opus album", true);
    file.tag()->addField("GENRE", "Jazz", true);
    ASSERT_TRUE(file.save());
}

void MakeWmaZeroTrack(const std::string& path) {
    WriteWmaFixture(path, 2.0);
    TagLib::ASF::File file(path.c_str(), false);
    TagLib::ASF::Tag* tag = file.tag();
    tag->setArtist("Wma artist");
    tag->setTitle("Wma title");
    tag->setAttribute("WM/AlbumArtist", TagLib::ASF::Attribute(TagLib::String("Wma band")));
    tag->setAttribute("WM/TrackNumber", TagLib::ASF::Attribute(TagLib::String("0/0")));
    tag->setAttribute("WM/Year", TagLib::ASF::Attribute(TagLib::String("0")));
    ASSERT_TRUE(file.save());
}

void MakeWmaNumericTrack(const std::string& path) {
    WriteWmaFixture(path, 2.0);
    TagLib::ASF::File file(path.c_str(), false);
    TagLib::ASF::Tag* tag = file.tag();
    tag->setAlbum("Numbers");
    tag->setAttribute("WM/TrackNumber", TagLib::ASF::Attribute(9u));
    ASSERT_TRUE(file.save());
}

// An AIFF file keeps an ID3v2 tag in a chunk of its own.
void MakeAiffTagged(const std::string& path) {
    WriteSoundFile(path, SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000, 2, TestSignal16(48000 * 2, 2));
    TagLib::RIFF::AIFF::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    file.tag()->setArtist("Aiff artist");
    file.tag()->setTitle("Aiff title");
    SetId3v2Text(file.tag(), "TRCK", "2/9");
    ASSERT_TRUE(file.save());
}

const ProbeCase ProbeCases[] = {
    {"AiffWithId3v2Chunk", "tagged.aif", MakeAiffTagged, "ID3v2.4",
     TagSet{"Aiff artist", "", "", "2/9", "Aiff title", "", "", ""}, TagKindID3v2, 2, 9, "00:00:02",
     "48000 Hz", "2 (Stereo)", "2304 kbps"},
    {"WavBitrateScaledBy1024", "plain.wav",
     [](const std::string& p) { WriteWavFixture(p, 44100, 2, 2.0); }, "", TagSet{}, 0, 0, 0,
     "00:00:02", "44100 Hz", "2 (Stereo)", "1445 kbps"},
    {"Mp3Id3v23FieldsWithCommentFromId3v1", "v23.mp3", MakeMp3Id3v23AndId3v1, "ID3v2.3  ID3v1",
     TagSet{"Ärtist", "Band", "Album", "7/15", "Title", "Rock", "2004", "from ID3v1"},
     TagKindID3v2 | TagKindID3v1, 7, 15, "00:00:02", "44100 Hz", "1 (Mono)", "128 kbps"},
    {"Mp3ApeOnlyWithAlbumArtistAndYearFallbacks", "ape.mp3", MakeMp3ApeOnly, "APEv2  ",
     TagSet{"Ape artist", "Ape band", "", "300", "", "", "1988", ""}, TagKindAPE, 44, 0, "00:00:02",
     "44100 Hz", "2 (Stereo)", "128 kbps"},
    {"Mp3Id3v1OnlyYearZeroLeftEmpty", "v1.mp3", MakeMp3Id3v1Only, "ID3v1",
     TagSet{"", "", "", "5", "Café", "", "", ""}, TagKindID3v1, 5, 0, "00:00:02", "44100 Hz",
     "2 (Stereo)", "128 kbps"},
    {"OggTwoArtistsJoinedAndNoTitle", "two.ogg", MakeOggTwoArtists, "Vorbis Comment",
     TagSet{"One Two", "Both", "", "3", "", "", "2001", "c"}, TagKindXiph, 3, 0, "00:00:02",
     "48000 Hz", "1 (Mono)", nullptr},
    {"FlacHiResWithVorbisComment", "hires.flac", MakeFlacTagged, "Vorbis Comment",
     TagSet{"Flac artist", "", "", "4/12", "Flac title", "", "2019", ""}, TagKindXiph, 4, 12,
     "00:00:02", "96000 Hz", "2 (Stereo)", nullptr},
    {"OpusAlwaysAt48kHz", "voice.opus", MakeOpusTagged, "Vorbis Comment",
     TagSet{"", "", "Opus album", "", "", "Jazz", "", ""}, TagKindXiph, 0, 0, "00:00:02",
     "48000 Hz", "1 (Mono)", nullptr},
    {"WmaZeroTrackAndYearLeftEmpty", "zero.wma", MakeWmaZeroTrack, "WMA",
     TagSet{"Wma artist", "Wma band", "", "", "Wma title", "", "", ""}, TagKindASF, 0, 0,
     "00:00:02", "44100 Hz", "2 (Stereo)", nullptr},
    {"WmaNumericTrackAttributeKept", "num.wma", MakeWmaNumericTrack, "WMA",
     TagSet{"", "", "Numbers", "9", "", "", "", ""}, TagKindASF, 9, 0, "00:00:02", "44100 Hz",
     "2 (Stereo)", nullptr},
};

class ProbeTest : public ::testing::TestWithParam<ProbeCase> {
protected:
    ProbeTest() : probe(observer, &wmaReader) {}

    PlainFileListRow Probe(const std::string& path) {
        PlainFileListRow row;
        row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(path)));
        probe.ProbeMediaInfo(row, path);
        probe.ProbeBitrate(row, path);
        return row;
    }

    TempDir dir;
    RecordingObserver observer;
    WmaComponent wmaReader;
    MediaProbe probe;
};

TEST_P(ProbeTest, FillsRowFromFile) {
    const ProbeCase& c = GetParam();
    const std::string path = dir / c.fileName;
    c.make(path);
    ASSERT_FALSE(HasFatalFailure());

    PlainFileListRow row = Probe(path);
    const FileListEntry& e = row.entry;
    EXPECT_EQ(e.unreadable, 0);
    EXPECT_FALSE(row.colours[ColumnType].has_value());
    EXPECT_EQ(row.cells[ColumnTag], c.tagText);
    for (size_t i = 0; i < TagSet::Count; ++i) {
        EXPECT_EQ(row.cells[TagColumn(i)], c.tags[i]) << FileListColumns[TagColumn(i)].heading;
    }
    EXPECT_EQ(e.Tags(), c.tags);
    EXPECT_EQ(e.tagKinds, c.tagKinds);
    EXPECT_EQ(e.trackNumber, c.trackNumber);
    EXPECT_EQ(e.trackTotal, c.trackTotal);
    EXPECT_EQ(row.cells[ColumnDuration], c.duration);
    EXPECT_EQ(row.cells[ColumnFrequency], c.frequency);
    EXPECT_EQ(row.cells[ColumnChannel], c.channel);
    if (c.bitrate) {
        EXPECT_EQ(row.cells[ColumnBitrate], c.bitrate);
    } else {
        EXPECT_GT(e.bitrateKbps, 0);
        EXPECT_EQ(row.cells[ColumnBitrate], BitrateText(e.bitrateKbps));
    }
    // The length is interleaved and agrees with the play time the list adds up.
    EXPECT_EQ(e.totalSamples % e.channels, 0u);
    EXPECT_NEAR(static_cast<double>(e.totalSamples) / e.channels / e.sampleRate, e.durationSeconds,
                1.0);
    EXPECT_DOUBLE_EQ(row.playTime, e.durationSeconds);
    EXPECT_TRUE(observer.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, ProbeTest, ::testing::ValuesIn(ProbeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MediaProbe, FileDeletedBeforeProbeIsUnknownInRedWithoutMessage) {
    TempDir dir;
    RecordingObserver observer;
    MediaProbe probe(observer, nullptr);
    const std::string path = dir / "gone.mp3";
    WriteMp3Fixture(path, 44100, 2, 1.0);
    std::filesystem::remove(path);

    PlainFileListRow row;
    row.entry.type = 2;
    row.cells[ColumnType] = "MP3";
    probe.ProbeMediaInfo(row, path);
    probe.ProbeBitrate(row, path);
    EXPECT_EQ(row.entry.unreadable, 1);
    EXPECT_EQ(row.cells[ColumnType], "Unknown");
    EXPECT_EQ(row.colours[ColumnType], UnreadableTextColour);
    EXPECT_EQ(row.cells[ColumnBitrate], "");
    EXPECT_EQ(row.playTime, 0.0);
    EXPECT_TRUE(observer.messages().empty());
}

// A WAV header claiming 257 channels at two billion samples a second: the file cannot be read,
// and the bitrate TagLib derives from those fields is no bitrate to show (found by fuzzing).
TEST(MediaProbe, WavHeaderWithImpossibleRateShowsNoBitrate) {
    TempDir dir;
    RecordingObserver observer;
    MediaProbe probe(observer, nullptr);
    const std::string path = dir / "impossible.wav";
    const unsigned char header[] = {
        'R',  'I',  'F',  'F',  0xb4, 0x01, 0,    0,    'W', 'A', 'V', 'E', 'f',  'm',  't', ' ',
        0x10, 0,    0,    0,    0x01, 0x00, 0x01, 0x01,  // PCM, 257 channels
        0x00, 0x7f, 0x6c, 0x7f,                          // 2 137 816 832 Hz
        0xe5, 0x32, 0x68, 0x00, 0x01, 0x00, 0x08, 0x00, 'd', 'a', 't', 'a', 0x90, 0x01, 0,   0};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
    bytes.append(400, '\x55');
    std::ofstream(path, std::ios::binary) << bytes;

    PlainFileListRow row;
    row.entry.type = FormatWav;
    probe.ProbeMediaInfo(row, path);
    probe.ProbeBitrate(row, path);
    EXPECT_EQ(row.entry.bitrateKbps, 0);
    EXPECT_EQ(row.cells[ColumnBitrate], "");
}

TEST(MediaProbe, ReprobeClearsTagColumnsFirst) {
    TempDir dir;
    RecordingObserver observer;
    MediaProbe probe(observer, nullptr);
    const std::string path = dir / "plain.wav";
    WriteWavFixture(path, 8000, 1, 1.0);

    PlainFileListRow row;
    row.entry.type = 1;
    for (int column = ColumnTag; column <= ColumnComment; ++column) {
        row.cells[column] = "stale";
    }
    probe.ProbeMediaInfo(row, path);
    for (int column = ColumnTag; column <= ColumnComment; ++column) {
        EXPECT_EQ(row.cells[column], "") << FileListColumns[column].heading;
    }
    EXPECT_EQ(row.cells[ColumnFrequency], "8000 Hz");
    EXPECT_EQ(row.cells[ColumnChannel], "1 (Mono)");
}

// A format the descriptor table lists shows up in the list only when the probe has its row.
TEST(ProbeTable, EveryDescribedFormatHasItsProbe) {
    for (const FormatInfo& format : FormatTable) {
        const ProbeEntry* probe = FindProbe(format.code);
        ASSERT_NE(probe, nullptr) << format.name;
        EXPECT_NE(probe->probe, nullptr) << format.name;
        EXPECT_NE(probe->bitrate, nullptr) << format.name;
        EXPECT_GT(probe->bitrateScale, 0.0) << format.name;
    }
    EXPECT_EQ(ProbeTable.size(), FormatTable.size());
}

}  // namespace
}  // namespace tonquill::test
