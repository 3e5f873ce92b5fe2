#pragma once

#include <cstdint>

namespace marrowfold {

// Sample loops over float blocks, unrolled by four with a tail for the remainder.
// Called on the audio thread.

// dest[n] = source[n] for n < frames.
void copyBlock(float* dest, const float* source, int32_t frames);

// dest[n] = dest[n] + source[n] for n < frames.
void addBlock(float* dest, const float* source, int32_t frames);

}  // namespace marrowfold
