// Tags carried from the source row into real outputs by whole batches, through the encoders
// and, where the settings change the format, the channel and rate stage.

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include "base/Format.h"
#include "base/ProgramFolder.h"
#include "convert/BatchDriver.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaComponent.h"
#include "support/TestSupport.h"
#include "tags/ExtraTags.h"

namespace tonquill {
namespace {

using test::TempDir;

std::string Utf8(const TagLib::String& s) {
    return s.to8Bit(true);
}

// Makes one output unwritable for the tag step: when the encoder reports its final progress
// for that output (the file is complete and the tag step comes next on the same thread), the
// file is made read-only and, when the tests run as root, that thread gives up its file-system
// rights so the mode counts. The encoder thread ends right after the tag step.
class LockingObserver : public test::RecordingObserver {
public:
    std::string lockedOutput;

    void Paths(const std::string& source, const std::string& destination) override {
        RecordingObserver::Paths(source, destination);
        std::lock_guard lock(mutex_);
        destination_ = destination;
    }
    void Progress(float taskPercent, float overallPercent, bool synchronous) override {
        RecordingObserver::Progress(taskPercent, overallPercent, synchronous);
        std::lock_guard lock(mutex_);
        if (synchronous && !lockedOutput.empty() && destination_ == lockedOutput) {
            chmod(destination_.c_str(), 0444);
            if (geteuid() == 0) {
                setfsuid(65534);
            }
        }
    }

private:
    std::mutex mutex_;
    std::string destination_;
};

class TagTransferBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx = std::make_unique<PipelineContext>(observer);
        ctx->StartDelayMs = 0;
        ASSERT_TRUE(CreateWmaComponents(*ctx, observer));
        LoadWmaPresetFile(*ctx, ProgramFolder(), observer);
        ctx->WmaWriter->SelectPreset(ctx->Settings.WMA.Profile);
        std::filesystem::create_directories(dir / "in");
    }

    // A mono 22 050 Hz WAV row carrying the given tags as if the file list had read them.
    TaskSource Row(const std::string& name, const TagSet& tags, uint8_t kinds) {
        constexpr int rate = 22050;
        test::WriteSoundFile(dir / ("in/" + name), SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1,
                             test::TestSignal16(rate / 2, 1));
        TaskSource row = test::SourceRow(dir / ("in/" + name), FormatWav, rate, 1, rate / 2);
        row.tags = tags;
        row.tagKinds = kinds;
        return row;
    }

    // Converts the rows to format at 44 100 Hz stereo (so MP3 and Ogg Vorbis go through the
    // channel and rate stage) into dir/out; returns the outputs.
    std::vector<std::string> Convert(const std::vector<TaskSource>& rows, int format,
                                     const std::string& folder = "out/") {
        ConversionSettings& s = ctx->Settings;
        s.OUTPUT.OutputFormat = static_cast<int16_t>(format);
        s.OUTPUT.SameAsSrc = 0;
        s.OUTPUT.DesDir = dir / folder;
        s.MP3.Freq = 8;
        s.MP3.LameChannel = ChannelStereo;
        s.OGG.Freq = 8;
        s.OGG.Channel = ChannelStereo;
        PreparedBatch batch = PrepareBatch(rows, s);
        test::RunPreparedBatch(*ctx, batch);
        std::vector<std::string> outputs;
        for (const auto& t : batch.tasks) {
            outputs.push_back(t.DestPath);
        }
        return outputs;
    }

    std::vector<std::string> LinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& text : observer.texts()) {
            if (text.rfind(prefix, 0) == 0) {
                out.push_back(text);
            }
        }
        return out;
    }

    TempDir dir;
    LockingObserver observer;
    std::unique_ptr<PipelineContext> ctx;
};

TagSet SongTags(const std::string& title) {
    TagSet t;
    t.artist = "Ólafur Arnalds";
    t.album = "東京";
    t.track = "3/12";
    t.title = title;
    t.date = "2004";
    return t;
}

TEST_F(TagTransferBatchTest, EveryTaggedOutputFormatCarriesTheRowsTags) {
    const TaskSource row = Row("song.wav", SongTags("Song"), TagKindID3v2 | TagKindAPE);

    const std::string mp3 = Convert({row}, FormatMp3).front();
    {
        TagLib::MPEG::File file(mp3.c_str(), true);
        ASSERT_TRUE(file.isValid());
        ASSERT_TRUE(file.audioProperties());
        EXPECT_EQ(file.audioProperties()->sampleRate(), 44100);
        EXPECT_FALSE(file.hasID3v1Tag());
        ASSERT_TRUE(file.hasID3v2Tag());
        ASSERT_TRUE(file.hasAPETag());
        for (TagLib::Tag* tag : {static_cast<TagLib::Tag*>(file.ID3v2Tag()),
                                 static_cast<TagLib::Tag*>(file.APETag())}) {
            EXPECT_EQ(Utf8(tag->title()), "Song");
            EXPECT_EQ(Utf8(tag->artist()), "Ólafur Arnalds");
            EXPECT_EQ(Utf8(tag->album()), "東京");
        }
        EXPECT_EQ(Utf8(file.ID3v2Tag()->frameList("TRCK").front()->toString()), "3/12");
        EXPECT_EQ(Utf8(file.ID3v2Tag()->frameList("TENC").front()->toString()), EncoderNote);
    }

    const auto expectXiph = [](const TagLib::Ogg::XiphComment* comment) {
        ASSERT_TRUE(comment);
        const auto& fields = comment->fieldListMap();
        EXPECT_EQ(Utf8(fields["TITLE"].front()), "Song");
        EXPECT_EQ(Utf8(fields["ALBUM"].front()), "東京");
        EXPECT_EQ(Utf8(fields["TRACKNUMBER"].front()), "3/12");
        EXPECT_EQ(Utf8(fields["ENCODED BY"].front()), EncoderNote);
    };
    const std::string ogg = Convert({row}, FormatOgg).front();
    {
        TagLib::Ogg::Vorbis::File file(ogg.c_str(), true);
        ASSERT_TRUE(file.isValid());
        EXPECT_EQ(file.audioProperties()->sampleRate(), 44100);
        expectXiph(file.tag());
    }
    const std::string flac = Convert({row}, FormatFlac).front();
    {
        TagLib::FLAC::File file(flac.c_str(), true);
        ASSERT_TRUE(file.isValid());
        EXPECT_EQ(file.audioProperties()->sampleRate(), 22050);  // lossless keeps the source's
        expectXiph(file.xiphComment());
    }
    const std::string opus = Convert({row}, FormatOpus).front();
    {
        TagLib::Ogg::Opus::File file(opus.c_str(), true);
        ASSERT_TRUE(file.isValid());
        EXPECT_EQ(file.audioProperties()->sampleRate(), 48000);
        expectXiph(file.tag());
    }

    const std::string wma = Convert({row}, FormatWma).front();
    {
        TagLib::ASF::File file(wma.c_str(), false);
        ASSERT_TRUE(file.isValid());
        EXPECT_EQ(Utf8(file.tag()->title()), "Song");
        EXPECT_EQ(Utf8(file.tag()->artist()), "Ólafur Arnalds");
        const auto& attributes = file.tag()->attributeListMap();
        EXPECT_EQ(Utf8(attributes["WM/AlbumTitle"].front().toString()), "東京");
        EXPECT_EQ(Utf8(attributes["WM/TrackNumber"].front().toString()), "3/12");
        EXPECT_EQ(Utf8(attributes["WM/EncodedBy"].front().toString()), EncoderNote);
    }
    const std::string aiff = Convert({row}, FormatAiff).front();
    {
        TagLib::RIFF::AIFF::File file(aiff.c_str(), true);
        ASSERT_TRUE(file.isValid());
        EXPECT_EQ(file.audioProperties()->sampleRate(), 22050);  // lossless keeps the source's
        ASSERT_TRUE(file.hasID3v2Tag());
        EXPECT_EQ(Utf8(file.tag()->title()), "Song");
        EXPECT_EQ(Utf8(file.tag()->album()), "東京");
        EXPECT_EQ(Utf8(file.tag()->frameList("TRCK").front()->toString()), "3/12");
        EXPECT_EQ(Utf8(file.tag()->frameList("TENC").front()->toString()), EncoderNote);
    }
    EXPECT_EQ(LinesStartingWith("Converting status: "),
              std::vector<std::string>(6, "Converting status: OK."));
}

TEST_F(TagTransferBatchTest, UnwritableOutputLogsOneFailLineAndTheBatchGoesOn) {
    std::filesystem::create_directories(dir / "out");
    // The folders stay open to everyone, as an output folder usually is; only the file is locked.
    chmod(dir.path().c_str(), 0755);
    chmod((dir / "out").c_str(), 0755);
    observer.lockedOutput = dir / "out/first.mp3";
    const auto outputs = Convert({Row("first.wav", SongTags("First"), TagKindID3v2),
                                  Row("second.wav", SongTags("Second"), TagKindID3v2)},
                                 FormatMp3);

    EXPECT_EQ(LinesStartingWith("Fail to write tag!"),
              std::vector<std::string>{"Fail to write tag!" + dir / "out/first.mp3"});
    EXPECT_EQ(LinesStartingWith("Converting status: "),
              std::vector<std::string>(2, "Converting status: OK."));
    EXPECT_EQ(observer.doneCount(), 1);

    // The first output stays as the encoder wrote it, the second is tagged.
    TagLib::MPEG::File first(outputs[0].c_str(), true);
    ASSERT_TRUE(first.isValid());
    EXPECT_GT(first.audioProperties()->lengthInMilliseconds(), 400);
    EXPECT_FALSE(first.hasID3v2Tag());
    TagLib::MPEG::File second(outputs[1].c_str(), false);
    ASSERT_TRUE(second.hasID3v2Tag());
    EXPECT_EQ(Utf8(second.ID3v2Tag()->title()), "Second");
}

// A FLAC album track with a cover, a disc number, a composer and MusicBrainz identifiers; the
// extras reach every output format that holds tags, and come back out of each as a source.
TEST_F(TagTransferBatchTest, CoverAndExtraTagsGoFromEverySourceIntoEveryOutput) {
    const std::string source = dir / "in/album.flac";
    test::WriteSoundFile(source, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1,
                         test::TestSignal16(22050, 1));
    ExtraTags extras;
    extras.discNumber = "2/3";
    extras.composer = "Jóhann Jóhannsson";
    extras.musicBrainz = {{"MUSICBRAINZ_TRACKID", "0b1c2d3e-track"},
                          {"MUSICBRAINZ_ALBUMID", "4f5a6b7c-album"}};
    extras.hasCover = true;
    extras.cover = {"image/png", "front",
                    std::string("\x89PNG\r\n\x1a\n picture bytes\0 and more", 30)};
    {
        TagLib::FLAC::File file(source.c_str(), false);
        TagLib::Ogg::XiphComment* comment = file.xiphComment(true);
        comment->addField("TITLE", "Song");
        comment->addField("DISCNUMBER", TagLib::String(extras.discNumber, TagLib::String::UTF8));
        comment->addField("COMPOSER", TagLib::String(extras.composer, TagLib::String::UTF8));
        for (const auto& [key, value] : extras.musicBrainz) {
            comment->addField(key, value);
        }
        auto* picture = new TagLib::FLAC::Picture;
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType("image/png");
        picture->setDescription("front");
        picture->setData(TagLib::ByteVector(extras.cover.data.data(), 30));
        file.addPicture(picture);
        ASSERT_TRUE(file.save());
    }
    std::vector<std::string> notes;
    ASSERT_EQ(ReadExtraTags(source, FormatFlac, notes), extras);

    TaskSource row = test::SourceRow(source, FormatFlac, 44100, 1, 22050);
    row.tags.title = "Song";
    row.tagKinds = TagKindXiph;
    size_t tagged = 0;
    for (const FormatInfo& info : FormatTable) {
        const int format = info.code;
        if (!FormatHoldsTags(format)) {
            continue;
        }
        ++tagged;
        SCOPED_TRACE(info.name);
        const std::string output = Convert({row}, format, Format("to%d/", format)).front();
        EXPECT_EQ(ReadExtraTags(output, format, notes), extras);

        // The output as a source of its own, into FLAC.
        const bool stereo = format == FormatMp3 || format == FormatOgg || format == FormatWma;
        TaskSource again = test::SourceRow(output, format, format == FormatOpus ? 48000 : 44100,
                                           stereo ? 2 : 1, 22050);
        again.tagKinds = format == FormatMp3 ? uint8_t{TagKindID3v2} : info.tagKinds;
        const std::string back = Convert({again}, FormatFlac, Format("back%d/", format)).front();
        EXPECT_EQ(ReadExtraTags(back, FormatFlac, notes), extras);
    }
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(LinesStartingWith("Converting status: OK.").size(), 2 * tagged);
}

// A cover past 16 MB is left out with a line; the file still converts with its other tags.
TEST_F(TagTransferBatchTest, OversizedCoverIsLeftOutWithALine) {
    const std::string source = dir / "in/big.mp3";
    test::WriteSoundFile(source, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1,
                         test::TestSignal16(22050, 1));
    {
        TagLib::MPEG::File file(source.c_str(), false);
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
        tag->setTitle("Big");
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/jpeg");
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setPicture(TagLib::ByteVector(static_cast<unsigned>(MaxCoverBytes + 1), 'x'));
        tag->addFrame(frame);
        TagLib::ID3v2::Frame* composer =
            new TagLib::ID3v2::TextIdentificationFrame("TCOM", TagLib::String::Latin1);
        composer->setText("Someone");
        tag->addFrame(composer);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
    }
    TaskSource row = test::SourceRow(source, FormatMp3, 44100, 1, 22050);
    row.tags.title = "Big";
    row.tagKinds = TagKindID3v2;
    const std::string output = Convert({row}, FormatOgg).front();

    EXPECT_EQ(LinesStartingWith("Warning : the cover picture of " + source),
              std::vector<std::string>{"Warning : the cover picture of " + source +
                                       " is larger than 16 MB and was left out"});
    EXPECT_EQ(LinesStartingWith("Converting status: "),
              std::vector<std::string>{"Converting status: OK."});
    std::vector<std::string> notes;
    const ExtraTags back = ReadExtraTags(output, FormatOgg, notes);
    EXPECT_FALSE(back.hasCover);
    EXPECT_EQ(back.composer, "Someone");
}

}  // namespace
}  // namespace tonquill
