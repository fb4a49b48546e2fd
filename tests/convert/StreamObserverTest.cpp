#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "convert/StreamObserver.h"

namespace tonquill {
namespace {

TEST(StreamObserver, NumbersAndTimesEveryLineAndSplitsErrorsOff) {
    std::ostringstream out;
    std::ostringstream err;
    StreamObserver observer(out, err);
    observer.Log("Start a new converting task.", LogLevel::Info);
    observer.Log("Converting status: ERROR.", LogLevel::Error);
    observer.Log("next", LogLevel::Info);
    observer.Message("Error Loading Lame_enc.dll", MessageIcon::Error);

    const std::regex infoLines(
        R"(001 \d\d:\d\d:\d\d Start a new converting task\.\n003 \d\d:\d\d:\d\d next\n)");
    EXPECT_TRUE(std::regex_match(out.str(), infoLines)) << out.str();
    const std::regex errorLines(
        R"(002 \d\d:\d\d:\d\d Converting status: ERROR\.\nTonquill error: Error Loading Lame_enc\.dll\n)");
    EXPECT_TRUE(std::regex_match(err.str(), errorLines)) << err.str();
}

}  // namespace
}  // namespace tonquill
