#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "convert/SampleConvert.h"

namespace tonquill {
namespace {

TEST(FloatToSample, FullScaleRoundingAndOutOfRangeValues) {
    struct Case {
        double in;
        int32_t out;
    } cases[] = {
        {1.0, 2147483647},
        {1.5, 2147483647},
        {-1.0, std::numeric_limits<int32_t>::min()},
        {-3.0, std::numeric_limits<int32_t>::min()},
        {0.0, 0},
        {0.5, 1073741824},
        {2.5 / 2147483648.0, 2},  // tie rounds to even
        {3.5 / 2147483648.0, 4},  // tie rounds to even
        {-2.5 / 2147483648.0, -2},
        {std::nan(""), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FloatToSample(c.in), c.out) << c.in;
    }
}

TEST(SampleToFloat, CoversMinusOneToJustBelowOne) {
    EXPECT_EQ(SampleToFloat(std::numeric_limits<int32_t>::min()), -1.0f);
    EXPECT_LT(SampleToFloat(std::numeric_limits<int32_t>::max()), 1.0f + 1e-6f);
    EXPECT_EQ(SampleToFloat(1 << 30), 0.5f);
}

}  // namespace
}  // namespace tonquill
