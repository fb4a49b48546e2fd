#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "base/XdgUserDirs.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

TEST(XdgUserDirs, TheUserDirsFileOrTheHomeFolder) {
    test::TempDir dir;
    const std::string home = dir / "home";
    const std::string config = dir / "config";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // No file: the home folder's own names.
    EXPECT_EQ(XdgUserDir("MUSIC", "Music"), home + "/Music");

    std::filesystem::create_directories(config);
    std::ofstream(config + "/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                 "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                 "XDG_MUSIC_DIR=\"/srv/musik/\"\n"
                                                 "XDG_VIDEOS_DIR=\"relative/videos\"\n";
    EXPECT_EQ(XdgUserDir("DESKTOP", "Desktop"), home + "/Schreibtisch");
    EXPECT_EQ(XdgUserDir("MUSIC", "Music"), "/srv/musik");
    // A folder that is not absolute is no folder: the default stands.
    EXPECT_EQ(XdgUserDir("VIDEOS", "Videos"), home + "/Videos");
    EXPECT_EQ(XdgUserDir("PICTURES", "Pictures"), home + "/Pictures");
}

}  // namespace
}  // namespace tonquill
