#pragma once

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace marrowfold::testing {

// The loudest a block can be while every host value lies in 0..1: each band's curve is limited
// to 1, so four bands at Out +20 dB and level +12 dB (make-up gains are below 1).
inline const float kLoudestOutput =
    4.0f * std::pow(10.0f, 20.0f / 20.0f) * std::pow(10.0f, 12.0f / 20.0f);

// How long the thread stress runs: MARROWFOLD_STRESS_SECONDS, or a few seconds by default.
std::chrono::milliseconds stressDuration();

// Bytes the program has allocated and not yet freed, as its allocator (or the sanitizer's)
// counts them; freed memory held back by a sanitizer's quarantine does not count.
size_t liveHeapBytes();

// Runs work on a thread of its own and answers liveHeapBytes once that thread has ended. The C
// library keeps a few freed blocks of each size in a cache per thread, which it counts as in
// use; a thread's cache goes back to the heap when the thread ends.
size_t liveHeapBytesAfter(const std::function<void()>& work);

}  // namespace marrowfold::testing
