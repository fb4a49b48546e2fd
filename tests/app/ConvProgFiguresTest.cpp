#include <gtest/gtest.h>

#include "app/ConvProgFigures.h"

namespace tonquill {
namespace {

TEST(ConvProgFigures, PercentageAboveHundredShowsAsHundred) {
    ProgressInput in;
    in.taskPercent = 103.7f;
    in.overallPercent = 42.25f;
    in.messageNumber = 3;
    const ProgressFigures f = ComputeProgressFigures(in);
    EXPECT_EQ(f.taskPercent, "100.00%");
    EXPECT_EQ(f.taskBar, 100);
    EXPECT_EQ(f.overallPercent, "42.25%");
    EXPECT_EQ(f.overallBar, 42);
    EXPECT_EQ(PercentText(3.5f), " 3.50%");
}

TEST(ConvProgFigures, TimesSpeedsAndEtaOnEveryTenthMessage) {
    ProgressInput in;
    in.taskPercent = 25;
    in.overallPercent = 10;
    in.messageNumber = 40;
    in.taskSeconds = 30;
    in.batchSeconds = 3725;
    in.taskAudioSeconds = 375;
    in.overallAudioSeconds = 7450;
    const ProgressFigures f = ComputeProgressFigures(in);
    ASSERT_TRUE(f.timed);
    EXPECT_EQ(f.taskElapsed, "00:00:30");
    EXPECT_EQ(f.taskEta, "00:01:30");
    EXPECT_EQ(f.overallElapsed, "01:02:05");
    EXPECT_EQ(f.overallEta, "09:18:45");
    EXPECT_EQ(f.taskSpeed, " 12.50x");
    EXPECT_EQ(f.overallSpeed, "  2.00x");
    EXPECT_EQ(f.taskbarValue, 10);
}

TEST(ConvProgFigures, NoTimesBetweenTenthMessagesNorInTheFirstTenthOfASecond) {
    struct Case {
        uint64_t message;
        double taskSeconds;
        bool timed;
    } cases[] = {{9, 30, false}, {11, 30, false}, {20, 0.1, false}, {20, 0.11, true}};
    for (const Case& c : cases) {
        ProgressInput in;
        in.taskPercent = 50;
        in.messageNumber = c.message;
        in.taskSeconds = c.taskSeconds;
        in.batchSeconds = c.taskSeconds;
        EXPECT_EQ(ComputeProgressFigures(in).timed, c.timed) << c.message << " " << c.taskSeconds;
    }
}

TEST(ConvProgFigures, NoEtaAtZeroPercent) {
    ProgressInput in;
    in.messageNumber = 10;
    in.taskSeconds = 5;
    in.batchSeconds = 5;
    const ProgressFigures f = ComputeProgressFigures(in);
    EXPECT_TRUE(f.timed);
    EXPECT_FALSE(f.taskEta);
    EXPECT_FALSE(f.overallEta);
}

TEST(ConvProgFigures, LogNumbersGrowPastThreeDigits) {
    EXPECT_EQ(LogNumberText(7), "007 ");
    EXPECT_EQ(LogNumberText(1000), "1000 ");
}

TEST(ConvProgFigures, LogColours) {
    EXPECT_EQ(LogBackground(0), QColor(255, 255, 255));
    EXPECT_EQ(LogBackground(1), QColor(243, 245, 252));
    EXPECT_EQ(LogTextColour(0), QColor(0, 0, 255));
    EXPECT_EQ(LogTextColour(1), QColor(153, 0, 0));
    EXPECT_EQ(LogTextColour(2), QColor(255, 0, 0));
}

}  // namespace
}  // namespace tonquill
