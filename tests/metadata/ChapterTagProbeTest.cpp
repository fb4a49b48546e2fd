#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/unknownframe.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/Format.h"
#include "metadata/MediaProbe.h"
#include "metadata/ProbeFixtures.h"
#include "support/TestSupport.h"
#include "tags/ChapterSkippingFrameFactory.h"

namespace tonquill::test {
namespace {

// A title frame of ID3v2.3 and later: Latin-1 text.
std::pair<std::string, std::string> Title(const std::string& text) {
    return {"TIT2", std::string(1, '\0') + text};
}

// Runs work on a thread of its own. A regression that makes it take minutes ends the test run
// with a message instead of stalling it; the bound is far above the milliseconds it takes.
void WithinWatchdog(const std::function<void()>& work) {
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        work();
        ended = true;
    });
    if (!WaitUntil([&] { return ended.load(); }, std::chrono::seconds(10))) {
        std::fprintf(stderr, "The probe has not ended within 10 s\n");
        std::fflush(stderr);
        std::abort();
    }
    worker.join();
}

struct TagCase {
    const char* name;
    const char* fileName;
    std::function<void(const std::string&)> make;
    const char* tagText;
    const char* title;
};

const TagCase TagCases[] = {
    {"Mp3NestedChapters", "chapters.mp3",
     [](const std::string& p) { WriteMp3WithTag(p, ChapterTag()); }, "ID3v2.4  ", "Chapters"},
    {"WavNestedChaptersInId3Chunk", "chapters.wav",
     [](const std::string& p) { WriteWavWithTag(p, ChapterTag()); }, "", ""},
    {"Mp3InvalidVersionByte", "version.mp3",
     [](const std::string& p) { WriteMp3WithTag(p, Id3v2Tag(0xFF, {Title("Odd")})); }, "ID3v2  ",
     "Odd"},
};

class ChapterTagProbeTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(ChapterTagProbeTest, ProbesToRow) {
    const TagCase& c = GetParam();
    TempDir dir;
    const std::string path = dir / c.fileName;
    c.make(path);
    ASSERT_FALSE(HasFatalFailure());

    RecordingObserver observer;
    MediaProbe probe(observer, nullptr);
    PlainFileListRow row;
    row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(c.fileName)));
    WithinWatchdog([&] {
        probe.ProbeMediaInfo(row, path);
        probe.ProbeBitrate(row, path);
    });

    EXPECT_EQ(row.entry.unreadable, 0);
    EXPECT_NEAR(row.entry.durationSeconds, 0.5, 0.1);
    EXPECT_EQ(row.cells[ColumnTag], c.tagText);
    EXPECT_EQ(row.cells[ColumnTitle], c.title);
    EXPECT_GT(row.entry.bitrateKbps, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, ChapterTagProbeTest, ::testing::ValuesIn(TagCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The chapter frames are kept as they were read, unparsed, beside the frames built as usual.
TEST(ChapterSkippingFrameFactory, KeepsChapterFramesAsTheirBytes) {
    TempDir dir;
    const std::string path = dir / "chapters.mp3";
    WriteMp3WithTag(path, ChapterTag());
    WithinWatchdog([&] {
        TagLib::MPEG::File file(path.c_str(), ChapterSkippingFrameFactory::Instance(), false);
        ASSERT_TRUE(file.hasID3v2Tag());
        TagLib::ID3v2::Tag& tag = *file.ID3v2Tag();
        EXPECT_EQ(tag.title(), "Chapters");
        const TagLib::ID3v2::FrameList frames = tag.frameList("CTOC");
        ASSERT_EQ(frames.size(), 1u);
        const auto* table = dynamic_cast<const TagLib::ID3v2::UnknownFrame*>(frames.front());
        ASSERT_NE(table, nullptr);
        const std::string nested = NestedTableOfContents();
        const TagLib::ByteVector raw = table->data();
        EXPECT_EQ(std::string(raw.data(), raw.size()), nested.substr(10));
    });
}

}  // namespace
}  // namespace tonquill::test
