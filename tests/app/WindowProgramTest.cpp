// The window program started as a user starts it, from a shell that may have no display.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliRun.h"

namespace tonquill::test {
namespace {

// A shell without any display: no X server, no Wayland compositor, no platform chosen.
const std::vector<std::string> NoDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

TEST(WindowProgramTest, HelpAndVersionNeedNoDisplay) {
    const CliResult help = RunProgram(TONQUILL_WINDOW_PATH, {"--help"}, NoDisplay);
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: tonquill ", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--"), std::string::npos);

    const CliResult version = RunProgram(TONQUILL_WINDOW_PATH, {"--version"}, NoDisplay);
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out, std::string("tonquill ") + TONQUILL_VERSION + "\n");

    const CliResult unknown = RunProgram(TONQUILL_WINDOW_PATH, {"--frobnicate"}, NoDisplay);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("Usage: tonquill "), std::string::npos) << unknown.err;
}

TEST(WindowProgramTest, WithoutADisplayItSaysSoAndExitsOne) {
    struct Case {
        const char* name;
        std::vector<std::string> environment;
        const char* says;
    };
    std::vector<std::string> deadDisplay = {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DISPLAY=:4711",
                                            "XAUTHORITY=/nonexistent"};
    const Case cases[] = {
        {"NoDisplayVariable", NoDisplay, "tonquill: no display to open the window on"},
        // An X display that is not there: Qt gives up, and the program ends as a failed start
        // rather than by abort().
        {"DisplayThatDoesNotAnswer", deadDisplay, "tonquill: cannot open the window: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // With files to load and without any: both need the window.
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"song.wav"}, std::vector<std::string>{}}) {
            const CliResult result = RunProgram(TONQUILL_WINDOW_PATH, args, c.environment);
            EXPECT_EQ(result.exitCode, 1) << result.err;
            EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
            EXPECT_NE(result.err.find("tonquill-cli"), std::string::npos) << result.err;
        }
    }
}

}  // namespace
}  // namespace tonquill::test
