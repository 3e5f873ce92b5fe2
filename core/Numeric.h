#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace marrowfold {

// Truncates toward zero like a C cast, but defined for every input: NaN gives 0 and values
// beyond the int32 range saturate. Host values and stored chunks can hold anything.
inline int32_t truncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace marrowfold
