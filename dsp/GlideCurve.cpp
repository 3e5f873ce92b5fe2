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

// The cosine at each position comes from the one kChains positions before by a rotation: a few
// trigonometric calls per fill instead of one per value, which cost more than the crossfades they
// weigh, and kChains independent rotations, so that no value waits on the one just before. The
// rounding that builds up over a few thousand steps stays some thousand times below a float's.
void fillGlideWeights(float* weights, int32_t count, double position, double step, int32_t length) {
    constexpr int32_t kChains = 4;
    const double angle = std::numbers::pi / length;
    double cosine[kChains];
    double sine[kChains];
    for (int32_t k = 0; k < kChains; ++k) {
        cosine[k] = std::cos(angle * (position + step * k));
        sine[k] = std::sin(angle * (position + step * k));
    }
    const double turnCosine = std::cos(angle * step * kChains);
    const double turnSine = std::sin(angle * step * kChains);
    for (int32_t n = 0; n < count; n += kChains) {
        for (int32_t k = 0; k < kChains && n + k < count; ++k) {
            const bool ended = position + step * (n + k) >= length;
            weights[n + k] = ended ? 1.0f : static_cast<float>(0.5 - 0.5 * cosine[k]);
            const double turned = cosine[k] * turnCosine - sine[k] * turnSine;
            sine[k] = sine[k] * turnCosine + cosine[k] * turnSine;
            cosine[k] = turned;
        }
    }
}

}  // namespace marrowfold
