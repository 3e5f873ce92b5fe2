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

// How long the thread stress runs: MARROWFOLD_STRESS_SECONDS, or a few seconds by default.
std::chrono::milliseconds stressDuration();

// Keeps the libraries the module depends on (cairo, X11 and what they pull in) loaded for the
// rest of the process, as they are in any host with a user interface of its own. Some of them
// allocate tables when they are loaded and never free them, so unloading and reloading them with
// every module load would pile up memory that is theirs, not the plug-in's.
void keepModuleDependenciesLoaded(const char* modulePath);

// Bytes the program has allocated and not yet freed, as its allocator (or the sanitizer's)
// counts them; freed memory held back by a sanitizer's quarantine does not count.
size_t liveHeapBytes();

// Heap bytes a sanitizer runtime keeps for itself with every load and unload of a module (about
// 64 under the address sanitizer, measured with an empty module), 0 without a sanitizer.
size_t moduleLoadBookkeepingBytes();

}  // namespace marrowfold::testing
