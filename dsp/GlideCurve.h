#pragma once

#include <cstdint>

namespace marrowfold {

// How long a gain glide, a mix change or a bypass crossfade takes.
inline constexpr double kGlideMilliseconds = 8.0;

// The glide length in samples at sampleRate (at least 1).
int32_t glideLength(double sampleRate);

// A raised-cosine move from 0 to 1 over length samples: its slope starts and ends at zero, so
// a gain that follows it spreads far less energy above the tone than a straight line would.
// Fills weights[n] for positions position + n * step (in samples; step < 1 at an oversampled
// rate); positions at or past length give exactly 1.
void fillGlideWeights(float* weights, int32_t count, double position, double step, int32_t length);

}  // namespace marrowfold
