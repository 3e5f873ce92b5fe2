#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold {

// Half-band low-pass filters made of two parallel all-pass paths:
//   H(z) = (A0(z^2) + z^-1 A1(z^2)) / 2,  Ak(z^2) = product of (a + z^-2) / (1 + a z^-2),
// with the coefficients in ascending order going alternately to path 0 and path 1. This is the
// elliptic half-band of Valenzuela and Constantinides: its pass band ends `transition` (as a
// fraction of the sample rate) below a quarter of the rate, its stop band starts as far above,
// and its ripple is equal in both. Design functions allocate: not for the audio thread.

// The count coefficients of the elliptic half-band with that transition (0 < transition < 0.25).
std::vector<double> designHalfband(int32_t count, double transition);

// The group delay of H at DC, in samples of its rate: the mean of the two paths' delays, since
// both have unit gain and zero phase there.
double halfbandDelayAtDc(const std::vector<double>& coefficients);

}  // namespace marrowfold
