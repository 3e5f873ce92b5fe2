#pragma once

#include <cstddef>
#include <vector>

namespace marrowfold {

// The meter's window: clickDecibels over exactly this many samples measures one window.
inline constexpr size_t kClickWindow = 1024;

// How loud a click is: the energy above cutoffHz in Hann windows of 1024 samples that slide over
// signal[begin, end) in steps of 64, relative to the energy of a full-scale sine in the same
// window, in dBFS; the loudest window counts. Over a settled stretch it gives the floor that a
// click is heard against. Allocates; for tests and benchmarks.
double clickDecibels(const std::vector<float>& signal, size_t begin, size_t end, double sampleRate,
                     double cutoffHz);

}  // namespace marrowfold
