// Sources cut off after a quarter of their bytes, listed as a load lists them and converted by a
// whole batch: each converts what could be read, with status OK, and the log says how much of
// the length the file's header promised that was.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
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

namespace tonquill::test {
namespace {

constexpr double Seconds = 8.0;

// What the warning says after the path: the length the header promised, or for an Ogg stream,
// whose headers promise none, that its last page is missing.
constexpr const char* PromisedLength = "of 0:08.";
constexpr const char* LastPageMissing = "ends without the last page of its stream";

struct SourceCase {
    const char* name;
    const char* fileName;
    std::function<void(const std::string&)> make;
    const char* warning;
};

void PrintTo(const SourceCase& c, std::ostream* out) {
    *out << c.name;
}

const SourceCase Sources[] = {
    {"Wav", "cut.wav", [](const std::string& p) { WriteWavFixture(p, 22050, 1, Seconds); },
     PromisedLength},
    {"Flac", "cut.flac",
     [](const std::string& p) {
         WriteSoundFile(p, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1,
                        TestSignal16(static_cast<size_t>(22050 * Seconds), 1));
     },
     PromisedLength},
    {"Wma", "cut.wma", [](const std::string& p) { WriteWmaFixture(p, Seconds); }, PromisedLength},
    {"Ogg", "cut.ogg", [](const std::string& p) { WriteOggFixture(p, 22050, 1, Seconds); },
     LastPageMissing},
    {"Opus", "cut.opus",
     [](const std::string& p) {
         WriteSoundFile(p, SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1,
                        TestSignal16(static_cast<size_t>(48000 * Seconds), 1));
     },
     LastPageMissing},
};

class TruncatedSourceTest : public ::testing::TestWithParam<SourceCase> {
protected:
    void SetUp() override {
        ctx = std::make_unique<PipelineContext>(observer);
        ctx->StartDelayMs = 0;
        ASSERT_TRUE(CreateWmaComponents(*ctx, observer));
        LoadWmaPresetFile(*ctx, ProgramFolder(), observer);
    }

    // Makes the case's file (cut to a quarter of its bytes when cut), lists it as a load does
    // and converts it to WAV; returns the log.
    std::vector<std::string> Convert(bool cut) {
        const SourceCase& source = GetParam();
        std::filesystem::create_directories(dir / "in");
        const std::string path = dir / (std::string("in/") + source.fileName);
        source.make(path);
        if (cut) {
            std::vector<char> bytes = ReadBytes(path);
            bytes.resize(bytes.size() / 4);
            WriteBytes(path, bytes);
        }
        RecordingObserver probeObserver;
        WmaComponent wmaReader;
        MediaProbe probe(probeObserver, &wmaReader);
        PlainFileListRow row;
        row.SetCellText(ColumnName, source.fileName);
        row.SetCellText(ColumnPath, dir / "in/");
        row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(source.fileName)));
        probe.ProbeMediaInfo(row, path);
        EXPECT_EQ(row.entry.unreadable, 0);

        ConversionSettings& s = ctx->Settings;
        s.OUTPUT.OutputFormat = FormatWav;
        s.OUTPUT.SameAsSrc = 0;
        s.OUTPUT.DesDir = dir / "out/";
        RunPreparedBatch(*ctx, PrepareBatch({MakeTaskSource(row)}, s));
        return observer.texts();
    }

    TempDir dir;
    RecordingObserver observer;
    std::unique_ptr<PipelineContext> ctx;
};

TEST_P(TruncatedSourceTest, ConvertsWhatWasReadAndSaysSo) {
    const SourceCase& source = GetParam();
    const std::string path = dir / (std::string("in/") + source.fileName);
    const std::vector<std::string> texts = Convert(true);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Converting status: OK."), texts.end());
    const auto warning = std::find_if(texts.begin(), texts.end(), [&](const std::string& t) {
        return t.rfind("Warning : ", 0) == 0 && t.find(path) != std::string::npos &&
               t.find(source.warning) != std::string::npos;
    });
    EXPECT_NE(warning, texts.end()) << ::testing::PrintToString(texts);
}

// The same files whole: no warning.
TEST_P(TruncatedSourceTest, WholeFileConvertsWithoutWarning) {
    const std::vector<std::string> texts = Convert(false);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Converting status: OK."), texts.end());
    for (const std::string& text : texts) {
        EXPECT_NE(text.rfind("Warning : ", 0), 0u) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TruncatedSourceTest, ::testing::ValuesIn(Sources),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tonquill::test
