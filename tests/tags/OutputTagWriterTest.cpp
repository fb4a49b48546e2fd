#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include "convert/OutputTagStep.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaComponent.h"
#include "support/TestSupport.h"
#include "tags/TagFormats.h"

namespace tonquill {
namespace {

using test::RecordingObserver;
using test::TempDir;

std::string Utf8(const TagLib::String& s) {
    return s.to8Bit(true);
}

TagSet FullTags() {
    TagSet t;
    t.artist = "Artist";
    t.albumArtist = "Album Artist";
    t.album = "Album";
    t.track = "3/12";
    t.title = "Title";
    t.genre = "Rock";
    t.date = "2004-05-01";
    t.comment = "Comment";
    return t;
}

// The texts an output holds, by the names its own format uses.
using TagMap = std::map<std::string, std::string>;

TagMap Id3v2Texts(TagLib::ID3v2::Tag& tag) {
    TagMap out;
    for (const auto* frame : tag.frameList()) {
        const TagLib::ByteVector id = frame->frameID();
        out[std::string(id.data(), id.size())] = Utf8(frame->toString());
    }
    return out;
}

TagMap ApeTexts(TagLib::APE::Tag& tag) {
    TagMap out;
    for (const auto& [key, item] : tag.itemListMap()) {
        out[Utf8(item.key())] = Utf8(item.toString());
    }
    return out;
}

TagMap VorbisTexts(const std::string& path) {
    TagLib::Ogg::Vorbis::File file(path.c_str(), false);
    TagMap out;
    for (const auto& [key, values] : file.tag()->fieldListMap()) {
        if (key == "ENCODER") {
            continue;  // the fixture writer's own field
        }
        out[Utf8(key)] = Utf8(values.toString("|"));
    }
    return out;
}

// Only the names our mapping writes: the encoder adds attributes of its own.
int32_t WmaDurationMs(const std::string& path) {
    WmaComponent wma;
    wma.OpenForReading(path);
    return wma.Duration();
}

TagMap WmaTexts(const std::string& path) {
    static const char* const ours[] = {"WM/AlbumArtist", "WM/AlbumTitle", "WM/TrackNumber",
                                       "WM/Genre",       "WM/Year",       "Description",
                                       "WM/EncodedBy"};
    TagLib::ASF::File file(path.c_str(), false);
    TagMap out;
    out["artist"] = Utf8(file.tag()->artist());
    out["title"] = Utf8(file.tag()->title());
    for (const auto& [name, attributes] : file.tag()->attributeListMap()) {
        if (std::find(std::begin(ours), std::end(ours), Utf8(name)) == std::end(ours)) {
            continue;
        }
        std::string joined;
        for (const auto& a : attributes) {
            joined += (joined.empty() ? "" : "|") + Utf8(a.toString());
        }
        out[Utf8(name)] = joined;
    }
    return out;
}

// The expected texts of every format for a tag set, following the mapping table.
TagMap ExpectedVorbis(const TagSet& t) {
    TagMap m{{"ARTIST", t.artist},       {"ALBUM ARTIST", t.albumArtist},
             {"ALBUM", t.album},         {"TRACKNUMBER", t.track},
             {"TITLE", t.title},         {"GENRE", t.genre},
             {"DATE", t.date},           {"COMMENT", t.comment},
             {"ENCODED BY", EncoderNote}};
    std::erase_if(m, [](const auto& kv) { return kv.second.empty(); });
    return m;
}

TagMap ExpectedApe(const TagSet& t) {
    TagMap m{{"ARTIST", t.artist},       {"ALBUM ARTIST", t.albumArtist},
             {"ALBUM", t.album},         {"TRACK", t.track},
             {"TITLE", t.title},         {"GENRE", t.genre},
             {"DATE", t.date},           {"COMMENT", t.comment},
             {"Encoded By", EncoderNote}};
    std::erase_if(m, [](const auto& kv) { return kv.second.empty(); });
    return m;
}

TagMap ExpectedId3v2(const TagSet& t) {
    TagMap m{{"TPE1", t.artist}, {"TPE2", t.albumArtist}, {"TALB", t.album},
             {"TRCK", t.track},  {"TIT2", t.title},       {"TCON", t.genre},
             {"TDRC", t.date},   {"COMM", t.comment},     {"TENC", EncoderNote}};
    std::erase_if(m, [](const auto& kv) { return kv.second.empty(); });
    return m;
}

// WMA attributes are written whether empty or not.
TagMap ExpectedWma(const TagSet& t) {
    return {
        {"artist", t.artist},       {"title", t.title},          {"WM/AlbumArtist", t.albumArtist},
        {"WM/AlbumTitle", t.album}, {"WM/TrackNumber", t.track}, {"WM/Genre", t.genre},
        {"WM/Year", t.date},        {"Description", t.comment},  {"WM/EncodedBy", EncoderNote}};
}

class OutputTagWriterTest : public ::testing::Test {
protected:
    OutputTagWriterTest() : ctx(observer) { ctx.Running = 1; }

    // A short real MP3, Ogg Vorbis or WMA file to tag.
    std::string MakeOutput(int format, const std::string& name) {
        const std::string path = dir / name;
        const int rate = 44100;
        std::vector<int32_t> samples = test::TestSignal16(rate / 5, 2);
        if (format == FormatWma) {
            const std::string presets = dir / "presets.prx";
            std::ofstream(presets) << "47|44100|2|128000|test preset\n";
            WmaComponent wma;
            wma.LoadPresets(presets);
            wma.SelectPreset(47);
            wma.SetFormat(rate, 2);
            wma.CreateForWriting(path);
            std::vector<int16_t> pcm;
            for (int32_t s : samples) {
                pcm.push_back(static_cast<int16_t>(s >> 16));
            }
            wma.WriteSamples(pcm.data(), pcm.size());
            wma.Close();
        } else {
            const int sfFormat = format == FormatMp3 ? SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III
                                                     : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
            test::WriteSoundFile(path, sfFormat, rate, 2, samples);
        }
        return path;
    }

    CConversionTask Task(int format, const std::string& path, const TagSet& tags, uint8_t kinds) {
        CConversionTask task;
        task.OutputType = format;
        task.DestPath = path;
        task.Tags = tags;
        task.SourceTagKinds = kinds;
        return task;
    }

    std::vector<std::string> Lines() const { return observer.texts(); }

    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx;
};

// Gives an MP3 old tags of all three kinds, so a save that strips can be seen to.
void AddOldMp3Tags(const std::string& path) {
    TagLib::MPEG::File file(path.c_str(), false);
    file.ID3v1Tag(true)->setTitle("Old");
    file.ID3v2Tag(true)->setTitle("Old");
    file.APETag(true)->setTitle("Old");
    ASSERT_TRUE(file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone));
}

TEST_F(OutputTagWriterTest, Mp3GetsTheTagKindsChosenFromTheSourceAndNothingElse) {
    struct Case {
        const char* source;
        uint8_t kinds;
        uint8_t written;
    };
    const Case cases[] = {
        {"WAV source", 0, 0},
        {"ID3v2 only", TagKindID3v2, TagKindID3v2},
        {"ID3v1 and APE", TagKindID3v1 | TagKindAPE, TagKindID3v1 | TagKindAPE},
        {"all three", TagKindID3v1 | TagKindID3v2 | TagKindAPE,
         TagKindID3v1 | TagKindID3v2 | TagKindAPE},
        {"Ogg Vorbis source", TagKindXiph, TagKindID3v1 | TagKindID3v2},
        {"WMA source", TagKindASF, TagKindID3v1 | TagKindID3v2},
    };
    const std::string fresh = MakeOutput(FormatMp3, "fresh.mp3");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const std::string path = dir / ("out" + std::to_string(n++) + ".mp3");
        std::filesystem::copy_file(fresh, path);
        AddOldMp3Tags(path);
        CConversionTask task = Task(FormatMp3, path, FullTags(), c.kinds);
        EXPECT_TRUE(WriteOutputTags(ctx, task));
        EXPECT_EQ(task.TagKindsWritten, c.written);

        TagLib::MPEG::File file(path.c_str(), false);
        ASSERT_TRUE(file.isValid());
        EXPECT_EQ(file.hasID3v1Tag(), (c.written & TagKindID3v1) != 0);
        EXPECT_EQ(file.hasID3v2Tag(), (c.written & TagKindID3v2) != 0);
        EXPECT_EQ(file.hasAPETag(), (c.written & TagKindAPE) != 0);
        if (file.hasID3v1Tag()) {
            EXPECT_EQ(Utf8(file.ID3v1Tag()->title()), "Title");
        }
        if (file.hasID3v2Tag()) {
            EXPECT_EQ(Utf8(file.ID3v2Tag()->title()), "Title");
        }
        if (file.hasAPETag()) {
            EXPECT_EQ(Utf8(file.APETag()->title()), "Title");
        }
    }
    EXPECT_EQ(Lines(), std::vector<std::string>{});
}

TEST_F(OutputTagWriterTest, Mp3FieldsFollowTheMappingInTableOrder) {
    const std::string path = MakeOutput(FormatMp3, "all.mp3");
    CConversionTask task =
        Task(FormatMp3, path, FullTags(), TagKindID3v1 | TagKindID3v2 | TagKindAPE);
    ASSERT_TRUE(WriteOutputTags(ctx, task));

    TagLib::MPEG::File file(path.c_str(), false);
    ASSERT_TRUE(file.hasID3v2Tag());
    TagLib::ID3v2::Tag& id3v2 = *file.ID3v2Tag();
    EXPECT_EQ(id3v2.header()->majorVersion(), 4u);
    std::vector<std::string> order;
    for (const auto* frame : id3v2.frameList()) {
        order.emplace_back(frame->frameID().data(), 4);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"TPE1", "TPE2", "TALB", "TRCK", "TIT2", "TCON",
                                               "TDRC", "COMM", "TENC"}));
    EXPECT_EQ(Id3v2Texts(id3v2), ExpectedId3v2(FullTags()));
    EXPECT_EQ(ApeTexts(*file.APETag()), ExpectedApe(FullTags()));

    // ID3v1 has no album artist and no encoder; track and year are numbers.
    TagLib::ID3v1::Tag& id3v1 = *file.ID3v1Tag();
    EXPECT_EQ(Utf8(id3v1.artist()), "Artist");
    EXPECT_EQ(Utf8(id3v1.album()), "Album");
    EXPECT_EQ(Utf8(id3v1.title()), "Title");
    EXPECT_EQ(Utf8(id3v1.genre()), "Rock");
    EXPECT_EQ(Utf8(id3v1.comment()), "Comment");
    EXPECT_EQ(id3v1.track(), 3u);
    EXPECT_EQ(id3v1.year(), 2004u);
}

TEST(LeadingTagNumberTest, TakesTheDecimalNumberAtTheStart) {
    const std::pair<const char*, int> cases[] = {
        {"3", 3},  {"12abc", 12},        {"  7", 7},
        {"+5", 5}, {"2004-05-01", 2004}, {"abc", 0},
        {"", 0},   {"-2", -2},           {"99999999999", INT32_MAX},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(LeadingTagNumber(text), number) << text;
    }
}

TEST_F(OutputTagWriterTest, Id3v1TrackAndYearComeFromTheLeadingNumbers) {
    struct Case {
        const char* track;
        const char* date;
        unsigned id3Track;
        unsigned id3Year;
    };
    const Case cases[] = {
        {"3/12", "2004-05-01", 3, 2004},
        {" 9", "1999", 9, 1999},
        {"B2", "circa 1970", 0, 0},  // no leading digits: nothing to store
    };
    const std::string fresh = MakeOutput(FormatMp3, "fresh.mp3");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.track);
        const std::string path = dir / ("n" + std::to_string(n++) + ".mp3");
        std::filesystem::copy_file(fresh, path);
        TagSet tags = FullTags();
        tags.track = c.track;
        tags.date = c.date;
        CConversionTask task = Task(FormatMp3, path, tags, TagKindID3v1 | TagKindID3v2);
        ASSERT_TRUE(WriteOutputTags(ctx, task));
        TagLib::MPEG::File file(path.c_str(), false);
        EXPECT_EQ(file.ID3v1Tag()->track(), c.id3Track);
        EXPECT_EQ(file.ID3v1Tag()->year(), c.id3Year);
        // The text tags keep the texts as they were, numbers or not.
        const auto trck = file.ID3v2Tag()->frameList("TRCK");
        const auto tdrc = file.ID3v2Tag()->frameList("TDRC");
        ASSERT_FALSE(trck.isEmpty());
        ASSERT_FALSE(tdrc.isEmpty());
        EXPECT_EQ(Utf8(trck.front()->toString()), c.track);
        EXPECT_EQ(Utf8(tdrc.front()->toString()), c.date);
    }
}

TEST_F(OutputTagWriterTest, Id3v2FramesAreLatin1UnlessTheTextDoesNotFit) {
    const std::string path = MakeOutput(FormatMp3, "enc.mp3");
    TagSet tags = FullTags();
    tags.artist = "Café Müller";   // fits in Latin-1
    tags.title = "東京 — Nights";  // does not
    CConversionTask task = Task(FormatMp3, path, tags, TagKindID3v1 | TagKindID3v2);
    ASSERT_TRUE(WriteOutputTags(ctx, task));

    TagLib::MPEG::File file(path.c_str(), false);
    auto encodingOf = [&](const char* id) {
        auto* frame = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(
            file.ID3v2Tag()->frameList(id).front());
        return frame ? frame->textEncoding() : TagLib::String::UTF16;
    };
    EXPECT_EQ(encodingOf("TPE1"), TagLib::String::Latin1);
    EXPECT_EQ(encodingOf("TIT2"), TagLib::String::UTF8);
    EXPECT_EQ(Utf8(file.ID3v2Tag()->artist()), tags.artist);
    EXPECT_EQ(Utf8(file.ID3v2Tag()->title()), tags.title);
    // ID3v1 holds Latin-1 only: what does not fit becomes '?', never other letters.
    EXPECT_EQ(Utf8(file.ID3v1Tag()->artist()), "Café Müller");
    EXPECT_EQ(Utf8(file.ID3v1Tag()->title()), "?? ? Nights");
}

// One body over the three tagged output formats: awkward texts come back as they went in.
struct TextCase {
    const char* name;
    TagSet tags;
};

TagSet AwkwardTags(const std::string& text) {
    TagSet t;
    for (size_t i = 0; i < TagSet::Count; ++i) {
        t[i] = text;
    }
    t.track = "1";
    return t;
}

TEST_F(OutputTagWriterTest, NonLatinLongAndEmptyTextsSurviveInEveryFormat) {
    std::string longText;
    while (longText.size() < 20000) {
        longText += "Long value ÄÖÜ 長い ";
    }
    TagSet mixed = FullTags();
    mixed.albumArtist = "";
    mixed.comment = "";
    mixed.genre = "Ελληνική μουσική";
    const TextCase cases[] = {
        {"non-Latin", AwkwardTags("Пётр Ильич 東京 🎵")},
        {"very long", AwkwardTags(longText)},
        {"all empty", TagSet{}},
        {"some empty", mixed},
    };
    const std::string mp3 = MakeOutput(FormatMp3, "fresh.mp3");
    const std::string ogg = MakeOutput(FormatOgg, "fresh.ogg");
    const std::string wma = MakeOutput(FormatWma, "fresh.wma");
    int n = 0;
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stem = dir / ("t" + std::to_string(n++));
        std::filesystem::copy_file(mp3, stem + ".mp3");
        std::filesystem::copy_file(ogg, stem + ".ogg");
        std::filesystem::copy_file(wma, stem + ".wma");

        CConversionTask toMp3 = Task(FormatMp3, stem + ".mp3", c.tags, TagKindID3v2 | TagKindAPE);
        CConversionTask toOgg = Task(FormatOgg, stem + ".ogg", c.tags, TagKindXiph);
        CConversionTask toWma = Task(FormatWma, stem + ".wma", c.tags, TagKindASF);
        ASSERT_TRUE(WriteOutputTags(ctx, toMp3));
        ASSERT_TRUE(WriteOutputTags(ctx, toOgg));
        ASSERT_TRUE(WriteOutputTags(ctx, toWma));

        TagLib::MPEG::File file((stem + ".mp3").c_str(), false);
        ASSERT_TRUE(file.isValid());
        EXPECT_EQ(Id3v2Texts(*file.ID3v2Tag()), ExpectedId3v2(c.tags));
        EXPECT_EQ(ApeTexts(*file.APETag()), ExpectedApe(c.tags));
        EXPECT_EQ(VorbisTexts(stem + ".ogg"), ExpectedVorbis(c.tags));
        EXPECT_EQ(WmaTexts(stem + ".wma"), ExpectedWma(c.tags));
        // The audio is still there after the tags.
        TagLib::Ogg::Vorbis::File vorbis((stem + ".ogg").c_str(), true);
        ASSERT_TRUE(vorbis.audioProperties());
        EXPECT_GT(vorbis.audioProperties()->lengthInMilliseconds(), 100);
        TagLib::ASF::File asf((stem + ".wma").c_str(), true);
        ASSERT_TRUE(asf.audioProperties());
        EXPECT_GT(asf.audioProperties()->lengthInMilliseconds(), 100);
        // FFmpeg derives the play time from the size the header records; long tags must not
        // stretch it.
        EXPECT_EQ(WmaDurationMs(stem + ".wma"), WmaDurationMs(wma));
    }
    EXPECT_EQ(Lines(), std::vector<std::string>{});
}

TEST_F(OutputTagWriterTest, WmaTitleAndArtistBeyondTheirFieldsAreCutNotWrapped) {
    // Title and artist live in fields of at most 32 766 UTF-16 units; the rest must survive
    // texts far beyond that. The artist is made of characters that take two units each.
    std::string notes;
    for (int i = 0; i < 40000; ++i) {
        notes += "🎵";
    }
    TagSet tags = FullTags();
    tags.artist = notes;
    tags.title = std::string(70000, 't');
    const std::string wma = MakeOutput(FormatWma, "long.wma");
    CConversionTask toWma = Task(FormatWma, wma, tags, TagKindASF);
    ASSERT_TRUE(WriteOutputTags(ctx, toWma));

    TagMap expected = ExpectedWma(tags);
    expected["artist"] = notes.substr(0, 16383 * std::string("🎵").size());
    expected["title"] = std::string(32766, 't');
    EXPECT_EQ(WmaTexts(wma), expected);
    EXPECT_EQ(Lines(), std::vector<std::string>{});
}

TEST_F(OutputTagWriterTest, OggAndWmaOutputsGetTheEncoderNoteEvenWithoutSourceTags) {
    const std::string ogg = MakeOutput(FormatOgg, "plain.ogg");
    const std::string wma = MakeOutput(FormatWma, "plain.wma");
    CConversionTask toOgg = Task(FormatOgg, ogg, TagSet{}, 0);
    CConversionTask toWma = Task(FormatWma, wma, TagSet{}, 0);
    ASSERT_TRUE(WriteOutputTags(ctx, toOgg));
    ASSERT_TRUE(WriteOutputTags(ctx, toWma));
    EXPECT_EQ(VorbisTexts(ogg), (TagMap{{"ENCODED BY", "Tonquill\r\nhttps://tonquill.org/"}}));
    EXPECT_EQ(WmaTexts(wma).at("WM/EncodedBy"), "Tonquill\r\nhttps://tonquill.org/");
}

TEST_F(OutputTagWriterTest, WavOutputIsLeftAlone) {
    const std::string path = dir / "plain.wav";
    test::WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                         test::TestSignal16(1000, 2));
    const auto before = std::filesystem::file_size(path);
    CConversionTask task = Task(FormatWav, path, FullTags(), TagKindID3v2);
    EXPECT_TRUE(WriteOutputTags(ctx, task));
    EXPECT_EQ(std::filesystem::file_size(path), before);
}

TEST_F(OutputTagWriterTest, EmptyOutputOfAStoppedEncoderStaysEmptyWithoutALine) {
    for (int format : {FormatMp3, FormatOgg, FormatWma}) {
        SCOPED_TRACE(format);
        const std::string path = dir / ("empty." + OutputExtension(format));
        std::ofstream{path};
        CConversionTask task = Task(format, path, FullTags(), TagKindID3v2);
        EXPECT_FALSE(WriteOutputTags(ctx, task));
        EXPECT_EQ(std::filesystem::file_size(path), 0u);
    }
    EXPECT_EQ(Lines(), std::vector<std::string>{});
}

// Runs the step on a thread that cannot write the output: the file is made read-only and, when
// the tests run as root, the thread gives up its file-system rights so the mode counts.
bool WriteTagsWithoutWriteAccess(PipelineContext& ctx, CConversionTask& task) {
    // The folders stay open to everyone, as an output folder usually is; only the file is locked.
    chmod(std::filesystem::path(task.DestPath).parent_path().c_str(), 0755);
    chmod(task.DestPath.c_str(), 0444);
    bool result = true;
    std::thread([&] {
        if (geteuid() == 0) {
            setfsuid(65534);
        }
        // The file is readable but not writable here, as a read-only output is.
        const int readable = open(task.DestPath.c_str(), O_RDONLY | O_CLOEXEC);
        const int writable = open(task.DestPath.c_str(), O_RDWR | O_CLOEXEC);
        EXPECT_GE(readable, 0);
        EXPECT_LT(writable, 0);
        for (int fd : {readable, writable}) {
            if (fd >= 0) {
                close(fd);
            }
        }
        result = WriteOutputTags(ctx, task);
    }).join();
    chmod(task.DestPath.c_str(), 0644);
    return result;
}

TEST_F(OutputTagWriterTest, ReadOnlyOutputGivesOneFailLineAndTheBatchGoesOn) {
    for (int format : {FormatMp3, FormatOgg, FormatWma}) {
        SCOPED_TRACE(format);
        const std::string path =
            MakeOutput(format, "locked" + std::to_string(format) + "." + OutputExtension(format));
        std::ifstream in(path, std::ios::binary);
        const std::string before{std::istreambuf_iterator<char>(in), {}};

        const size_t linesBefore = Lines().size();
        CConversionTask task = Task(format, path, FullTags(), TagKindID3v2);
        EXPECT_FALSE(WriteTagsWithoutWriteAccess(ctx, task));

        const auto lines = observer.lines();
        ASSERT_EQ(lines.size(), linesBefore + 1);
        EXPECT_EQ(lines.back().text, "Fail to write tag!" + path);
        EXPECT_EQ(lines.back().level, LogLevel::Error);
        EXPECT_TRUE(ctx.IsRunning());
        std::ifstream after(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), before);
    }
}

// Every format has its row of the tags table: its sources' extras are read, and its outputs get
// tags exactly when its descriptor names tag kinds.
TEST(TagFormatTable, EveryFormatHasItsReaderAndTheOnesThatHoldTagsTheirWriter) {
    for (const FormatInfo& format : FormatTable) {
        const TagFormat* row = FindTagFormat(format.code);
        ASSERT_NE(row, nullptr) << format.name;
        EXPECT_NE(row->readExtras, nullptr) << format.name;
        EXPECT_EQ(row->save != nullptr, format.tagKinds != 0) << format.name;
        EXPECT_EQ(FormatHoldsTags(format.code), format.tagKinds != 0) << format.name;
    }
}

}  // namespace
}  // namespace tonquill
