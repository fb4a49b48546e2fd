#pragma once

#include <cstdint>

namespace tonquill {

// A float sample (full scale 1.0) as a 32-bit sample (full scale 2^31): 1.0 and above give
// 2147483647, below -1.0 gives the most negative value, the rest rounds to nearest, ties to
// even. NaN gives silence.
int32_t FloatToSample(double x);

// A 32-bit sample as a float in -1.0 .. just below 1.0.
inline float SampleToFloat(int32_t s) {
    return static_cast<float>(s * (1.0 / 2147483648.0));
}

}  // namespace tonquill
