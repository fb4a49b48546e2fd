#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "base/CreateFolderPath.h"
#include "convert/BatchDriver.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

TEST(MakeUniquePath, TakesTheFirstFreeNumberAfterTheBaseName) {
    test::TempDir dir;
    Touch(dir / "song.mp3");
    EXPECT_EQ(MakeUniquePath(dir / "song.mp3"), dir / "song (2).mp3");
    Touch(dir / "song (2).mp3");
    Touch(dir / "song (3).mp3");
    EXPECT_EQ(MakeUniquePath(dir / "song.mp3"), dir / "song (4).mp3");
}

// Each name given is remembered, so a batch of files sharing a name does not test every
// number again; deleted numbered files free their numbers again.
TEST(MakeUniquePath, NumbersSharedNamesOnAndReusesFreedNumbers) {
    test::TempDir dir;
    Touch(dir / "take.wav");
    for (int n = 2; n <= 40; ++n) {
        const std::string next = MakeUniquePath(dir / "take.wav");
        ASSERT_EQ(next, dir / ("take (" + std::to_string(n) + ").wav"));
        Touch(next);
    }
    for (int n = 2; n <= 40; ++n) {
        std::filesystem::remove(dir / ("take (" + std::to_string(n) + ").wav"));
    }
    EXPECT_EQ(MakeUniquePath(dir / "take.wav"), dir / "take (2).wav");
}

TEST(MakeUniquePath, DotsInFolderNamesAreNotExtensions) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "v1.2");
    Touch(dir / "v1.2/take");
    EXPECT_EQ(MakeUniquePath(dir / "v1.2/take"), dir / "v1.2/take (2)");
}

TEST(CreateFolderPath, CreatesEveryMissingLevelAndAcceptsExistingOnes) {
    test::TempDir dir;
    const std::string deep = dir / "a/b/c/d";
    EXPECT_TRUE(CreateFolderPath(deep));
    EXPECT_TRUE(std::filesystem::is_directory(deep));
    EXPECT_TRUE(CreateFolderPath(deep + "/"));  // existing, with a trailing slash
    EXPECT_TRUE(CreateFolderPath(dir / "a"));

    // Paths far beyond the old 259-character limit work too.
    std::string longPath = dir.path().string();
    for (int i = 0; i < 30; ++i) {
        longPath += "/folder-number-" + std::to_string(i);
    }
    EXPECT_TRUE(CreateFolderPath(longPath));
    EXPECT_TRUE(std::filesystem::is_directory(longPath));
}

TEST(CreateFolderPath, FailsWhereAFileOrMissingRightsBlockTheWay) {
    test::TempDir dir;
    Touch(dir / "file");
    EXPECT_FALSE(CreateFolderPath(dir / "file"));
    EXPECT_FALSE(CreateFolderPath(dir / "file/sub"));
    if (geteuid() != 0) {  // root ignores folder rights
        std::filesystem::create_directory(dir / "locked");
        std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec);
        EXPECT_FALSE(CreateFolderPath(dir / "locked/x/y"));
    }
}

TEST(ClaimOutputPath, NeverHandsOutAnExistingFile) {
    test::TempDir dir;
    Touch(dir / "out.wav");
    ClaimedOutput first = ClaimOutputPath(dir / "out.wav");
    EXPECT_EQ(first.path, dir / "out (2).wav");
    EXPECT_TRUE(first.created);
    // A second claim of the same name (another pipeline) gets the next one.
    ClaimedOutput second = ClaimOutputPath(dir / "out.wav");
    EXPECT_EQ(second.path, dir / "out (3).wav");
    std::ifstream original(dir / "out.wav");
    std::string content;
    original >> content;
    EXPECT_EQ(content, "x");
}

}  // namespace
}  // namespace tonquill
