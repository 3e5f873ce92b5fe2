#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold::testing {

// Interleaved pink noise (power falling 3 dB per octave) with each channel's RMS level at
// decibels dBFS; the same samples for the same seed.
std::vector<float> pinkNoise(int32_t channels, int64_t frames, double decibels, uint32_t seed);

}  // namespace marrowfold::testing
