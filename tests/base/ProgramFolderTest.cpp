#include "base/ProgramFolder.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace tonquill {
namespace {

namespace fs = std::filesystem;

// The build tree keeps the private files beside the programs; an installed program finds them
// below the prefix; with neither, the program's own folder is the answer (and the failures to
// load name the file there).
TEST(ProgramFolderTest, BuildTreeInstalledTreeAndNeither) {
    test::TempDir root;
    fs::create_directories(root / "build/bin");
    std::ofstream(root / "build/bin/Tonquill.prx") << "# presets\n";
    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "usr/lib/tonquill");
    std::ofstream(root / "usr/lib/tonquill/Tonquill.prx") << "# presets\n";
    fs::create_directories(root / "bare/bin");

    const std::string build = root / "build/bin/";
    const std::string installed = root / "usr/bin/";
    const std::string bare = root / "bare/bin/";
    const std::string presets = "Tonquill.prx";
    EXPECT_EQ(FolderHolding(build, "../lib/tonquill", presets), build);
    EXPECT_EQ(FolderHolding(installed, "../lib/tonquill", presets), root / "usr/lib/tonquill/");
    EXPECT_EQ(FolderHolding(bare, "../lib/tonquill", presets), bare);
    EXPECT_EQ(FolderHolding(installed, "", presets), installed);
}

// The tests run from the build tree, where the preset file and the help page sit beside them.
TEST(ProgramFolderTest, TheRunningProgramsFolderHoldsThePresetFileAndTheHelp) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::exists(folder + "Tonquill.prx")) << folder;
    EXPECT_TRUE(fs::exists(HelpPagePath())) << HelpPagePath();
}

}  // namespace
}  // namespace tonquill
