#pragma once

#include <cstdint>

namespace marrowfold {

// Fixed-width texts of 8 characters (plus the terminating zero) for host displays.
inline constexpr int32_t kFormattedWidth = 8;

// Sign, integer digits, a point and as many fraction digits as fit in eight characters;
// " Huge!  " outside -9999999..99999999.
void formatFloatText(double value, char* dst);
// "%7d", or " Huge!  " outside -9999999..99999999.
void formatIntegerText(int32_t value, char* dst);
// 20 log10(gain), or "  -oo   " for a gain that is not positive.
void formatDecibelText(float gain, char* dst);

}  // namespace marrowfold
