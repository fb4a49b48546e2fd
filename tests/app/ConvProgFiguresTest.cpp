#include <gtest/gtest.h>

#include "app/ConvProgFigures.h"

namespace tonquill {
namespace {

TEST(ConvProgFigures, PercentageAboveHundredShowsAsHundred) {
    ProgressInput in;
    in.taskPercent = 103.7f;
    in.overallPercent = 42.25f;
    const ProgressFigures f = ComputeProgressFigures(in);
    EXPECT_EQ(f.taskPercent, "100.00%");
    EXPECT_EQ(f.taskBar, 100);
    EXPECT_EQ(f.overallPercent, "42.25%");
    EXPECT_EQ(f.overallBar, 42);
    EXPECT_EQ(PercentText(3.5f), " 3.50%");
}

// The batch's figures over a clock the test turns by hand.
class BatchFiguresTest : public ::testing::Test {
protected:
    double now = 0.0;
    BatchFigures figures{[this] { return now; }};

    static BatchReading Reading(int task, float taskPercent, double taskAudio, float overallPercent,
                                double overallAudio) {
        return BatchReading{task, taskPercent, taskAudio, overallPercent, overallAudio};
    }
};

TEST_F(BatchFiguresTest, TimesSpeedsAndTimeLeftOfOneFile) {
    figures.Start();
    figures.Update(Reading(0, 0, 0, 0, 0));
    now += 30;
    const BatchTimes t = figures.Update(Reading(0, 25, 375, 10, 375));
    EXPECT_EQ(TimeText(t.taskElapsed), "00:00:30");
    EXPECT_EQ(TimeText(*t.taskEta), "00:01:30");
    EXPECT_EQ(SpeedText(*t.taskSpeed), " 12.50x");
    EXPECT_EQ(TimeText(t.batchElapsed), "00:00:30");
    EXPECT_EQ(TimeText(*t.batchEta), "00:04:30");
    EXPECT_EQ(SpeedText(*t.batchSpeed), " 12.50x");
}

TEST_F(BatchFiguresTest, NoTimeLeftAtZeroPercentNorSpeedBeforeAnyAudio) {
    figures.Start();
    now += 5;
    const BatchTimes t = figures.Update(Reading(0, 0, 0, 0, 0));
    EXPECT_EQ(TimeText(t.batchElapsed), "00:00:05");
    EXPECT_FALSE(t.taskEta);
    EXPECT_FALSE(t.batchEta);
    EXPECT_FALSE(t.taskSpeed);
    EXPECT_FALSE(t.batchSpeed);
}

TEST_F(BatchFiguresTest, SecondBatchStartsFromZero) {
    figures.Start();
    now += 80;
    figures.Update(Reading(3, 50, 400, 90, 3600));
    figures.Finish(4000);
    // Time passes between the batches; the next one counts from its own start.
    now += 600;
    figures.Start();
    figures.Update(Reading(0, 0, 0, 0, 0));
    now += 10;
    const BatchTimes t = figures.Update(Reading(0, 50, 100, 50, 100));
    EXPECT_EQ(TimeText(t.batchElapsed), "00:00:10");
    EXPECT_EQ(TimeText(t.taskElapsed), "00:00:10");
    EXPECT_EQ(SpeedText(*t.batchSpeed), " 10.00x");
    EXPECT_EQ(TimeText(*t.batchEta), "00:00:10");
}

TEST_F(BatchFiguresTest, TimeSpentPausedIsNotCounted) {
    figures.Start();
    figures.Update(Reading(0, 0, 0, 0, 0));
    now += 10;
    figures.SetPaused(true);
    now += 3600;
    EXPECT_EQ(TimeText(figures.Update(Reading(0, 50, 100, 50, 100)).batchElapsed), "00:00:10");
    figures.SetPaused(false);
    now += 10;
    const BatchTimes t = figures.Update(Reading(0, 100, 200, 100, 200));
    EXPECT_EQ(TimeText(t.batchElapsed), "00:00:20");
    EXPECT_EQ(TimeText(t.taskElapsed), "00:00:20");
    EXPECT_EQ(SpeedText(*t.batchSpeed), " 10.00x");
    EXPECT_EQ(SpeedText(*t.taskSpeed), " 10.00x");
}

// Many pipelines finishing short files quickly: between reports the followed file changes, is
// often only just begun, or there is none at all; the speeds never fall back to nothing once
// audio was converted, and the batch's rate counts every pipeline.
TEST_F(BatchFiguresTest, ShortFilesOnManyPipelines) {
    figures.Start();
    double audio = 0;
    int task = 0;
    for (int tick = 1; tick <= 100; ++tick) {
        now += 0.1;
        // Eight pipelines, each converting 0.5 s files at 20x: 16 s of audio per second.
        audio += 1.6;
        task += tick % 3 == 0 ? 4 : 0;
        const int followed = tick % 7 == 0 ? -1 : task;
        const float percent = static_cast<float>(tick);
        const BatchTimes t = figures.Update(Reading(followed, tick % 3 == 0 ? 0.0f : 50.0f,
                                                    tick % 3 == 0 ? 0.0 : 0.25, percent, audio));
        ASSERT_TRUE(t.batchSpeed) << tick;
        ASSERT_TRUE(t.taskSpeed) << tick;
        EXPECT_GT(*t.taskSpeed, 0) << tick;
        EXPECT_NEAR(*t.batchSpeed, 16.0, 0.01) << tick;
        EXPECT_NEAR(t.batchElapsed, tick * 0.1, 1e-6) << tick;
    }
    const BatchTimes end = figures.Finish(audio);
    EXPECT_NEAR(end.batchElapsed, 10.0, 1e-6);
    EXPECT_EQ(SpeedText(*end.batchSpeed), " 16.00x");
    EXPECT_EQ(*end.batchEta, 0.0);
}

TEST_F(BatchFiguresTest, ABatchShorterThanAReportStillEndsWithItsSpeed) {
    figures.Start();
    now += 0.05;
    const BatchTimes t = figures.Finish(2.5);
    EXPECT_EQ(SpeedText(*t.batchSpeed), " 50.00x");
    EXPECT_EQ(SpeedText(*t.taskSpeed), " 50.00x");
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
