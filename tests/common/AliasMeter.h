#pragma once

#include <cstdint>

#include "dsp/KernelSet.h"

namespace marrowfold {

// One measurement of the shaping's aliasing: a full-scale sine near toneHz, placed on the centre
// of an FFT bin, through an engine at the default preset with the given shape, input gain and
// oversampling factor, anti-aliased or not, one channel at 44.1 kHz.
struct AliasCase {
    int32_t shape;
    double toneHz;
    float inputDecibels;
    int32_t factor;
    bool antialiased = false;
};

// The energy of every FFT bin of the settled output that is not a harmonic of the tone,
// relative to the energy of the harmonics, in dB. Allocates; for tests and benchmarks.
double aliasDecibels(const AliasCase& measured, KernelSet set);

}  // namespace marrowfold
