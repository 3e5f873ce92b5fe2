#include "dsp/GlideCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace marrowfold {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

}  // namespace

int32_t glideLength(double sampleRate) {
    // A rate far beyond audio ones still gives a length that an int holds.
    constexpr double kLongest = std::numeric_limits<int32_t>::max();
    const double samples = std::round(sampleRate * kGlideMilliseconds / kMillisecondsPerSecond);
    return std::max(1, static_cast<int32_t>(std::min(samples, kLongest)));
}

void fillGlideWeights(float* weights, int32_t count, double position, double step, int32_t length) {
    for (int32_t n = 0; n < count; ++n) {
        const double t = position + step * n;
        weights[n] = t >= length
                         ? 1.0f
                         : static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * t / length));
    }
}

}  // namespace marrowfold
