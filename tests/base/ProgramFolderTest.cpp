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
    EXPECT_EQ(ProgramFolderFor(build, "../lib/tonquill"), build);
    EXPECT_EQ(ProgramFolderFor(installed, "../lib/tonquill"), root / "usr/lib/tonquill/");
    EXPECT_EQ(ProgramFolderFor(bare, "../lib/tonquill"), bare);
    EXPECT_EQ(ProgramFolderFor(installed, ""), installed);
}

// The tests run from the build tree, where the preset file sits beside them.
TEST(ProgramFolderTest, TheRunningProgramsFolderHoldsThePresetFile) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::exists(folder + "Tonquill.prx")) << folder;
}

}  // namespace
}  // namespace tonquill
