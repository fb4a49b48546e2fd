// Sources whose tags are built to stall a reader, converted by whole batches into every output
// format that holds tags. The tag step reads the source's tags a second time (its cover, disc,
// composer) and must be as guarded as the probe: each conversion ends OK with the cover carried
// over. A reader that stalls again runs into the test's time limit.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ProgramFolder.h"
#include "convert/BatchDriver.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/MediaProbe.h"
#include "metadata/ProbeFixtures.h"
#include "metadata/RowTaskSource.h"
#include "support/TestSupport.h"
#include "tags/ExtraTags.h"

namespace tonquill::test {
namespace {

const std::string CoverData = std::string("\x89PNG\r\n\x1a\n", 8) + "chapter cover";

// An ID3v2.4 picture frame: Latin-1, the MIME type, front cover, no description, the bytes.
std::pair<std::string, std::string> CoverFrame() {
    return {"APIC", std::string(1, '\0') + "image/png" + std::string(1, '\0') + "\x03" +
                        std::string(1, '\0') + CoverData};
}

// A FLAC file with a picture block and, before its marker, the nested chapter tag.
void WriteFlacWithChaptersAndPicture(const std::string& path) {
    const std::string plain = path + ".plain";
    WriteSoundFile(plain, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, TestSignal16(22050, 2));
    {
        TagLib::FLAC::File file(plain.c_str(), false);
        auto* picture = new TagLib::FLAC::Picture;
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType("image/png");
        picture->setData(TagLib::ByteVector(CoverData.data(), CoverData.size()));
        file.addPicture(picture);
        ASSERT_TRUE(file.save());
    }
    std::vector<char> bytes = ChapterTag();
    const std::vector<char> audio = ReadBytes(plain);
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    WriteBytes(path, bytes);
    std::filesystem::remove(plain);
}

struct SourceCase {
    const char* name;
    const char* fileName;
    std::function<void(const std::string&)> make;
};

const SourceCase Sources[] = {
    {"Mp3", "chapters.mp3",
     [](const std::string& p) { WriteMp3WithTag(p, ChapterTag({CoverFrame()})); }},
    {"WavId3Chunk", "chapters.wav",
     [](const std::string& p) { WriteWavWithTag(p, ChapterTag({CoverFrame()})); }},
    {"FlacId3v2", "chapters.flac", WriteFlacWithChaptersAndPicture},
    {"AiffId3Chunk", "chapters.aif",
     [](const std::string& p) { WriteAiffWithTag(p, ChapterTag({CoverFrame()})); }},
};

void PrintTo(const SourceCase& c, std::ostream* out) {
    *out << c.name;
}

struct OutputCase {
    const char* name;
    int format;
};

void PrintTo(const OutputCase& c, std::ostream* out) {
    *out << c.name;
}

const OutputCase Outputs[] = {
    {"Mp3", FormatMp3},   {"Ogg", FormatOgg}, {"Flac", FormatFlac},
    {"Opus", FormatOpus}, {"Wma", FormatWma}, {"Aiff", FormatAiff},
};

class HostileTagConversionTest
    : public ::testing::TestWithParam<std::tuple<SourceCase, OutputCase>> {
protected:
    void SetUp() override {
        ctx = std::make_unique<PipelineContext>(observer);
        ctx->StartDelayMs = 0;
        ASSERT_TRUE(CreateWmaComponents(*ctx, observer));
        LoadWmaPresetFile(*ctx, ProgramFolder(), observer);
        ctx->WmaWriter->SelectPreset(ctx->Settings.WMA.Profile);
    }

    TempDir dir;
    RecordingObserver observer;
    std::unique_ptr<PipelineContext> ctx;
};

TEST_P(HostileTagConversionTest, ConvertsWithTheCoverCarriedOver) {
    const auto& [source, output] = GetParam();
    std::filesystem::create_directories(dir / "in");
    const std::string path = dir / (std::string("in/") + source.fileName);
    source.make(path);
    ASSERT_FALSE(HasFatalFailure());

    // The row, as a load makes it.
    RecordingObserver probeObserver;
    WmaComponent wmaReader;
    MediaProbe probe(probeObserver, &wmaReader);
    PlainFileListRow row;
    row.SetCellText(ColumnName, source.fileName);
    row.SetCellText(ColumnPath, dir / "in/");
    row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(source.fileName)));
    probe.ProbeMediaInfo(row, path);
    probe.ProbeBitrate(row, path);
    ASSERT_EQ(row.entry.unreadable, 0);

    ConversionSettings& s = ctx->Settings;
    s.OUTPUT.OutputFormat = static_cast<int16_t>(output.format);
    s.OUTPUT.SameAsSrc = 0;
    s.OUTPUT.DesDir = dir / "out/";
    PreparedBatch batch = PrepareBatch({MakeTaskSource(row)}, s);
    RunPreparedBatch(*ctx, batch);

    EXPECT_TRUE(observer.errorTexts().empty()) << observer.errorTexts().front();
    const std::vector<std::string> texts = observer.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Converting status: OK."), texts.end());
    // An MP3 output takes the tag kinds of its source; from a source without tag texts it gets
    // no tag at all, so no cover either.
    if (output.format == FormatMp3 && row.entry.tagKinds == 0) {
        return;
    }
    std::vector<std::string> notes;
    const ExtraTags extras = ReadExtraTags(batch.tasks.front().DestPath, output.format, notes);
    EXPECT_TRUE(extras.hasCover);
    EXPECT_EQ(extras.cover.data, CoverData);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileTagConversionTest,
                         ::testing::Combine(::testing::ValuesIn(Sources),
                                            ::testing::ValuesIn(Outputs)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "To" +
                                    std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace tonquill::test
