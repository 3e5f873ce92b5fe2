#pragma once

#include <complex>
#include <vector>

namespace marrowfold {

using Complex = std::complex<double>;

// In-place radix-2 FFT of a power-of-two length. Allocates nothing; for measurements.
void fft(std::vector<Complex>& data);

}  // namespace marrowfold
