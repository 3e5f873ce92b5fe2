#include "dsp/BlockMath.h"

#include "dsp/Glide.h"

namespace marrowfold {

void copyBlock(float* dest, const float* source, int32_t frames) {
    int32_t n = 0;
    for (; n + 4 <= frames; n += 4) {
        dest[n] = source[n];
        dest[n + 1] = source[n + 1];
        dest[n + 2] = source[n + 2];
        dest[n + 3] = source[n + 3];
    }
    for (; n < frames; ++n)
        dest[n] = source[n];
}

void addBlock(float* dest, const float* source, int32_t frames) {
    int32_t n = 0;
    for (; n + 4 <= frames; n += 4) {
        dest[n] += source[n];
        dest[n + 1] += source[n + 1];
        dest[n + 2] += source[n + 2];
        dest[n + 3] += source[n + 3];
    }
    for (; n < frames; ++n)
        dest[n] += source[n];
}

void blendBlock(float* dest, const float* toward, const float* weights, int32_t frames) {
    for (int32_t n = 0; n < frames; ++n)
        dest[n] = glideBetween(dest[n], toward[n], weights[n]);
}

void blendRows(float* dest, const float* toward, const float* weights, int32_t rows,
               int32_t lanes) {
    for (int32_t n = 0; n < rows; ++n) {
        const float weight = weights[n];
        for (int32_t lane = 0; lane < lanes; ++lane, ++dest, ++toward)
            *dest = glideBetween(*dest, *toward, weight);
    }
}

void multiplyBlock(float* dest, const float* factors, int32_t frames) {
    for (int32_t n = 0; n < frames; ++n)
        dest[n] *= factors[n];
}

void scaleBlock(float* dest, float factor, int32_t frames) {
    for (int32_t n = 0; n < frames; ++n)
        dest[n] *= factor;
}

}  // namespace marrowfold
