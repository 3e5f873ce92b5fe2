// The first half-band stage down for one or two channels at once, in 128-bit vectors (the
// instruction set every x86 processor the module runs on has). The lanes are (channel 0, path 0),
// (channel 0, path 1), (channel 1, path 0), (channel 1, path 1); vector section j runs section 2j
// of path 0 and section 2j + 1 of path 1, each as downsampleLane runs it, so the output is the
// same bit for bit. With an odd count, path 1 has no last section: its lanes keep their value.
#include <emmintrin.h>

#include "dsp/Oversampling.h"

namespace marrowfold {

namespace {

constexpr int32_t kPathLanes = 4;

// Lane l of the vector for section pair `pair`: section 2 pair + (l & 1) of channel l / 2. One
// channel fills both halves alike, so the second half raises no floating-point flag the first
// does not.
template <typename Entry>
__m128 gatherLanes(Entry entry, int32_t pair, int32_t channels) {
    alignas(16) float lanes[kPathLanes];
    for (int32_t l = 0; l < kPathLanes; ++l)
        lanes[l] = entry(2 * pair + (l & 1), (l / 2) % channels);
    return _mm_load_ps(lanes);
}

template <typename Entry>
void scatterLanes(__m128 v, Entry entry, int32_t pair, int32_t channels, int32_t sections) {
    alignas(16) float lanes[kPathLanes];
    _mm_store_ps(lanes, v);
    for (int32_t l = 0; l < 2 * channels; ++l) {
        const int32_t section = 2 * pair + (l & 1);
        if (section < sections) entry(section, l / 2) = lanes[l];
    }
}

template <int32_t kSections>
void downsampleVectors(const HalfbandStage& stage, HalfbandLanes& history, int32_t channels,
                       const float* const* in, float* const* out, int32_t frames) {
    constexpr int32_t kPairs = (kSections + 1) / 2;
    constexpr bool kOddLast = (kSections % 2) != 0;
    const auto coefficient = [&](int32_t k, int32_t) {
        return k < kSections ? stage.coefficient[k] : 0.0f;
    };
    const auto x = [&](int32_t k, int32_t ch) -> float& { return history.x[k][ch]; };
    const auto y = [&](int32_t k, int32_t ch) -> float& { return history.y[k][ch]; };
    const auto readX = [&](int32_t k, int32_t ch) { return k < kSections ? x(k, ch) : 0.0f; };
    const auto readY = [&](int32_t k, int32_t ch) { return k < kSections ? y(k, ch) : 0.0f; };
    __m128 a[kPairs];
    __m128 x1[kPairs];
    __m128 y1[kPairs];
    for (int32_t j = 0; j < kPairs; ++j) {
        a[j] = gatherLanes(coefficient, j, channels);
        x1[j] = gatherLanes(readX, j, channels);
        y1[j] = gatherLanes(readY, j, channels);
    }
    // Path 0 lanes (0 and 2) take the last section of an odd count; path 1 lanes keep theirs.
    const __m128 pathZero = _mm_castsi128_ps(_mm_set_epi32(0, -1, 0, -1));
    const float* second = in[channels - 1];
    const __m128 half = _mm_set1_ps(0.5f);
    for (int32_t n = 0; n < frames; ++n) {
        // (odd, even) of each channel: path 0 reads in[2n + 1], path 1 in[2n].
        const __m128 pairs = _mm_loadh_pi(
            _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(in[0] + 2 * n)),
            reinterpret_cast<const __m64*>(second + 2 * n));
        __m128 value = _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(2, 3, 0, 1));
        for (int32_t j = 0; j < kPairs; ++j) {
            const __m128 result =
                _mm_sub_ps(_mm_add_ps(x1[j], _mm_mul_ps(a[j], value)), _mm_mul_ps(a[j], y1[j]));
            if (kOddLast && j == kPairs - 1) {
                const __m128 kept =
                    _mm_or_ps(_mm_and_ps(pathZero, result), _mm_andnot_ps(pathZero, value));
                x1[j] = _mm_or_ps(_mm_and_ps(pathZero, value), _mm_andnot_ps(pathZero, x1[j]));
                y1[j] = _mm_or_ps(_mm_and_ps(pathZero, result), _mm_andnot_ps(pathZero, y1[j]));
                value = kept;
            } else {
                x1[j] = value;
                y1[j] = result;
                value = result;
            }
        }
        const __m128 sum = _mm_add_ps(value, _mm_shuffle_ps(value, value, _MM_SHUFFLE(2, 3, 0, 1)));
        const __m128 scaled = _mm_mul_ps(half, sum);
        out[0][n] = _mm_cvtss_f32(scaled);
        if (channels == 2) out[1][n] = _mm_cvtss_f32(_mm_movehl_ps(scaled, scaled));
    }
    for (int32_t j = 0; j < kPairs; ++j) {
        scatterLanes(x1[j], x, j, channels, kSections);
        scatterLanes(y1[j], y, j, channels, kSections);
    }
}

}  // namespace

void downsampleChannels(HalfbandLanes& history, int32_t channels, const float* const* in,
                        float* const* out, int32_t frames) {
    downsampleVectors<kFirstStageSections>(firstStage(), history, channels, in, out, frames);
}

}  // namespace marrowfold
