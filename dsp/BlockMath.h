#pragma once

#include <cstdint>

namespace marrowfold {

// Sample loops over float blocks, unrolled by four with a tail for the remainder.
// Called on the audio thread.

// dest[n] = source[n] for n < frames.
void copyBlock(float* dest, const float* source, int32_t frames);

// dest[n] = dest[n] + source[n] for n < frames.
void addBlock(float* dest, const float* source, int32_t frames);

// A crossfade from dest to toward: dest[n] = glideBetween(dest[n], toward[n], weights[n]) for
// n < frames. Where both hold the same infinity it gives NaN, so only signals that may differ are
// blended.
void blendBlock(float* dest, const float* toward, const float* weights, int32_t frames);

// The same over rows of lanes floats, every lane of row n by weights[n].
void blendRows(float* dest, const float* toward, const float* weights, int32_t rows, int32_t lanes);

// dest[n] = dest[n] * factors[n] for n < frames.
void multiplyBlock(float* dest, const float* factors, int32_t frames);

// dest[n] = dest[n] * factor for n < frames.
void scaleBlock(float* dest, float factor, int32_t frames);

}  // namespace marrowfold
