#pragma once

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace marrowfold::testing {

// The loudest a block can be while every host value lies in 0..1: each band's curve is limited
// to 1, so four bands at Out +20 dB and level +12 dB (make-up gains are below 1).
inline const float kLoudestOutput =
    4.0f * std::pow(10.0f, 20.0f / 20.0f) * std::pow(10.0f, 12.0f / 20.0f);
// Oversampled, the down-sampling filters may ring past that; the absolute sum of their impulse
// response, below this at every factor (the dsp tests hold it there), bounds by how much.
inline constexpr float kResamplingPeakGain = 4.5f;

// How long the thread stress runs: MARROWFOLD_STRESS_SECONDS, or a few seconds by default.
std::chrono::milliseconds stressDuration();

}  // namespace marrowfold::testing
