#pragma once

// The editor is laid out in logical pixels; a window system with a scale factor shows each
// logical pixel as factor x factor device pixels. These conversions are the only place where the
// two meet, so that every backend rounds the same way.

#include <cmath>
#include <cstdint>

namespace marrowfold {

inline constexpr double kSmallestScaleFactor = 1.0;
inline constexpr double kLargestScaleFactor = 4.0;
// Device sizes a hair above a whole number come from rounding errors, not from the factor.
inline constexpr double kScaleRoundingSlack = 1e-6;

// A factor inside the range the editor supports; anything else (including not a number) is 1.
inline double usableScaleFactor(double factor) {
    if (!(factor >= kSmallestScaleFactor)) return kSmallestScaleFactor;
    return factor > kLargestScaleFactor ? kLargestScaleFactor : factor;
}

// The device pixels that cover a logical length: rounded up, so nothing is cut off.
inline int32_t toDevicePixels(int32_t logical, double factor) {
    return static_cast<int32_t>(std::ceil(logical * factor - kScaleRoundingSlack));
}

// The logical pixel a device coordinate lies in; the inverse of toDevicePixels for lengths.
inline int32_t toLogicalPixels(int32_t device, double factor) {
    return static_cast<int32_t>(std::floor(device / factor + kScaleRoundingSlack));
}

// The whole scale of the drawn bitmaps to filter down from: the nearest one at or above the
// factor, at most largest.
inline int32_t bitmapScaleFor(double factor, int32_t largest) {
    const auto whole = static_cast<int32_t>(std::ceil(factor - kScaleRoundingSlack));
    return whole < 1 ? 1 : (whole > largest ? largest : whole);
}

}  // namespace marrowfold
