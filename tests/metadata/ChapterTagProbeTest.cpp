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

constexpr int ChapterDepth = 20;

std::string SyncSafe32(uint32_t value) {
    std::string bytes;
    for (int shift = 21; shift >= 0; shift -= 7) {
        bytes += static_cast<char>((value >> shift) & 0x7F);
    }
    return bytes;
}

// A table of contents (CTOC) with no child elements: its identifier, flags (top level,
// ordered) and entry count, before any embedded frames.
std::string TableStart(int level) {
    return "toc" + std::to_string(level) + std::string(1, '\0') + "\x03" + std::string(1, '\0');
}

// Tables of contents nested twenty deep, each holding the next one twice over: once through a
// small table whose data length indicator claims the bytes after it (TagLib reads them as that
// table's embedded frames) and once as its own next embedded frame. Reading them as TagLib
// builds such frames parses the innermost one 2^20 times; the bytes grow only linearly.
std::string NestedTableOfContents() {
    std::string inner = Id3v2Frame(4, "TIT2", std::string(1, '\0') + "Inner");
    for (int level = 1; level <= ChapterDepth; ++level) {
        const std::string claimed = TableStart(100 + level);
        std::string overlapping = "CTOC" + SyncSafe32(4 + claimed.size()) + std::string(1, '\0') +
                                  "\x01" +  // data length indicator
                                  SyncSafe32(static_cast<uint32_t>(claimed.size() + inner.size())) +
                                  claimed;
        inner = Id3v2Frame(4, "CTOC", TableStart(level) + overlapping + inner);
    }
    return inner;
}

// A title frame of ID3v2.3 and later: Latin-1 text.
std::pair<std::string, std::string> Title(const std::string& text) {
    return {"TIT2", std::string(1, '\0') + text};
}

std::vector<char> ChapterTag() {
    std::vector<char> tag = Id3v2Tag(4, {Title("Chapters")});
    // Appends the nested frame and grows the tag's sync-safe size to match.
    const std::string nested = NestedTableOfContents();
    tag.insert(tag.end(), nested.begin(), nested.end());
    const auto size = static_cast<uint32_t>(tag.size() - 10);
    for (int i = 0; i < 4; ++i) {
        tag[6 + i] = static_cast<char>((size >> (7 * (3 - i))) & 0x7F);
    }
    return tag;
}

void WriteMp3WithTag(const std::string& path, const std::vector<char>& tag) {
    WriteMp3Fixture(path, 44100, 2, 0.5);
    std::vector<char> bytes = tag;
    const std::vector<char> audio = ReadBytes(path);
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    WriteBytes(path, bytes);
}

// A WAV file with the tag in an "id3 " chunk after its audio.
void WriteWavWithTag(const std::string& path, const std::vector<char>& tag) {
    WriteWavFixture(path, 44100, 2, 0.5);
    std::vector<char> bytes = ReadBytes(path);
    const auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int k = 0; k < 4; ++k) {
            bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
        }
    };
    const std::string header = "id3 ";
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.resize(bytes.size() + 4);
    put32(bytes.size() - 4, static_cast<uint32_t>(tag.size()));
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    if (tag.size() % 2) {
        bytes.push_back('\0');
    }
    put32(4, static_cast<uint32_t>(bytes.size() - 8));
    WriteBytes(path, bytes);
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
