#pragma once

#include <cstdint>

#include "dsp/FilterDesign.h"

namespace marrowfold {

// The recursions of one filter section over a block. Histories hold the last inputs and outputs,
// newest first: inputHistory = x[n-1], x[n-2], ... and outputHistory = y[n-1], y[n-2], ...
// numerators = b0..b(c-1) and denominators = a1..a(c-1) as designed. Each sample of source is
// read before the same sample of dest is written, so the two may be the same buffer.
// Called on the audio thread.

// y = b1 x1 + (b2 x2 + b0 x) - a1 y1 - a2 y2.
void runSecondOrderSection(const Coefficients& numerators, const Coefficients& denominators,
                           Coefficients& inputHistory, Coefficients& outputHistory,
                           const float* source, float* dest, int32_t frames);

// y = b2 x2 + (b4 x4 + b0 x) - a4 y4 - a3 y3 - a2 y2 - a1 y1 (b1 = b3 = 0 in a band-pass
// section, so they are not read).
void runFourthOrderSection(const Coefficients& numerators, const Coefficients& denominators,
                           Coefficients& inputHistory, Coefficients& outputHistory,
                           const float* source, float* dest, int32_t frames);

// Below this the output history counts as silence.
inline constexpr double kSilenceThreshold = 1e-15;
// Beyond this (200 dB over full scale) a history can only come from broken input. Such a
// history would take seconds to decay, and in a band whose edge lies at half the sample rate it
// would never decay: that band has a pole on the unit circle which only rounding excites, and
// rounding errors of a history this large are audible.
inline constexpr double kRunawayLevel = 1e10;

// End-of-block care of a section's histories: a decayed output (|y1| < 1e-15) is set to exact
// zero so the recursion never runs into denormal numbers; an output history that is no longer
// finite or has run far beyond any audio level (a NaN, an infinity or an absurd burst in the
// input) is cleared, inputs too, so the section recovers at once.
void settleSectionHistory(Coefficients& inputHistory, Coefficients& outputHistory,
                          int32_t coefficientCount);

}  // namespace marrowfold
