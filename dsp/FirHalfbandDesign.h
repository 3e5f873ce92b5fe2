#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold {

// Linear-phase half-band low-pass filters: h[0] = 1/2, h[j] = 0 for every other even j, and
// h[-j] = h[j]. Only the odd taps next to the centre need storing: coefficient k is h[2k + 1].
// Windowed with Kaiser's window, whose shape is chosen for the attenuation the length reaches
// over the transition (pass band ends `transition` below a quarter of the rate, stop band
// starts as far above it). The taps are scaled so the gain at DC is exactly 1. Allocates: not
// for the audio thread.
std::vector<double> designFirHalfband(int32_t taps, double transition);

}  // namespace marrowfold
