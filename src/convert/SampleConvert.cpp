#include "convert/SampleConvert.h"

#include <cmath>
#include <limits>

namespace tonquill {

int32_t FloatToSample(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    const double y = x * 2147483648.0;
    if (y >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (y <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    // The default rounding mode rounds to nearest with ties to even.
    return static_cast<int32_t>(std::nearbyint(y));
}

}  // namespace tonquill
