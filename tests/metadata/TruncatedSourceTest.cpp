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

struct SourceCase {
    const char* name;
    const char* fileName;
    std::function<void(const std::string&)> make;
};

void PrintTo(const SourceCase& c, std::ostream* out) {
    *out << c.name;
}

const SourceCase Sources[] = {
    {"Wav", "cut.wav", [](const std::string& p) { WriteWavFixture(p, 22050, 1, Seconds); }},
    {"Flac", "cut.flac",
     [](const std::string& p) {
         WriteSoundFile(p, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1,
                        TestSignal16(static_cast<size_t>(22050 * Seconds), 1));
     }},
    {"Wma", "cut.wma", [](const std::string& p) { WriteWmaFixture(p, Seconds); }},
};

class TruncatedSourceTest : public ::testing::TestWithParam<SourceCase> {
protected:
    void SetUp() override {
        ctx = std::make_unique<PipelineContext>(observer);
        ctx->StartDelayMs = 0;
        ASSERT_TRUE(CreateWmaComponents(*ctx, observer));
        LoadWmaPresetFile(*ctx, ProgramFolder(), observer);
    }

    TempDir dir;
    RecordingObserver observer;
    std::unique_ptr<PipelineContext> ctx;
};

TEST_P(TruncatedSourceTest, ConvertsWhatWasReadAndSaysSo) {
    const SourceCase& source = GetParam();
    std::filesystem::create_directories(dir / "in");
    const std::string path = dir / (std::string("in/") + source.fileName);
    source.make(path);
    ASSERT_FALSE(HasFatalFailure());
    std::vector<char> bytes = ReadBytes(path);
    bytes.resize(bytes.size() / 4);
    WriteBytes(path, bytes);

    RecordingObserver probeObserver;
    WmaComponent wmaReader;
    MediaProbe probe(probeObserver, &wmaReader);
    PlainFileListRow row;
    row.SetCellText(ColumnName, source.fileName);
    row.SetCellText(ColumnPath, dir / "in/");
    row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(source.fileName)));
    probe.ProbeMediaInfo(row, path);
    ASSERT_EQ(row.entry.unreadable, 0);

    ConversionSettings& s = ctx->Settings;
    s.OUTPUT.OutputFormat = FormatWav;
    s.OUTPUT.SameAsSrc = 0;
    s.OUTPUT.DesDir = dir / "out/";
    RunPreparedBatch(*ctx, PrepareBatch({MakeTaskSource(row)}, s));

    const std::vector<std::string> texts = observer.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Converting status: OK."), texts.end());
    const std::string promised = "of 0:08.";
    const auto warning = std::find_if(texts.begin(), texts.end(), [&](const std::string& t) {
        return t.rfind("Warning : only ", 0) == 0 && t.find(promised) != std::string::npos &&
               t.find("could be decoded from " + path) != std::string::npos;
    });
    EXPECT_NE(warning, texts.end()) << ::testing::PrintToString(texts);
}

INSTANTIATE_TEST_SUITE_P(Files, TruncatedSourceTest, ::testing::ValuesIn(Sources),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tonquill::test
