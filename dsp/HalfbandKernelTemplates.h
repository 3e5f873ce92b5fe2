#pragma once

// The first half-band stage's lane kernels, for each instruction set's lane kernels (included by
// LaneKernelTemplates.h, whose unnamed-namespace rules apply). Each lane takes the operations of
// the reference kernels in the same order and with the same rounding, so its output is the
// same bit for bit.

#include <cstdint>

#include "dsp/LaneKernels.h"
#include "dsp/LaneVectors128.h"
#include "dsp/Oversampling.h"

namespace marrowfold {
namespace {

// The first half-band stage up over rows, each vector of lanes on its own over the block, running
// y = (x1 + a x) - a y1 as the reference kernel does. A section's last input is the last
// output of the section before it on its path (or the last row, for the first two), so only the
// outputs and that row are held; the histories are stored back whole.
template <class R, int32_t kChannels, int32_t kSections>
void upsampleRows(const HalfbandStage& stage, HalfbandHistory& history, const float* in, float* out,
                  int32_t frames) {
    using Vector = typename R::Vector;
    constexpr int32_t kLanes = kChannels * kLaneBands;
    static_assert(kLanes % R::kWidth == 0, "vectors of the recursion cover whole rows");
    for (int32_t lane = 0; lane < kLanes; lane += R::kWidth) {
        Vector a[kSections];
        Vector y1[kSections];
        for (int32_t k = 0; k < kSections; ++k) {
            a[k] = R::splat(stage.coefficient[k]);
            y1[k] = R::load(&history.y[k][lane]);
        }
        Vector previous = R::load(&history.x[0][lane]);
        for (int32_t n = 0; n < frames; ++n) {
            const Vector input = R::load(in + n * kLanes + lane);
            Vector path[2] = {input, input};
            Vector before[2] = {previous, previous};
            for (int32_t k = 0; k < kSections; ++k) {
                Vector& value = path[k & 1];
                const Vector y = R::negMulAdd(a[k], y1[k], R::mulAdd(a[k], value, before[k & 1]));
                before[k & 1] = y1[k];
                y1[k] = y;
                value = y;
            }
            previous = input;
            R::store(out + 2 * n * kLanes + lane, path[0]);
            R::store(out + (2 * n + 1) * kLanes + lane, path[1]);
        }
        for (int32_t k = 0; k < kSections; ++k) {
            R::store(&history.x[k][lane], k < 2 ? previous : y1[k - 2]);
            R::store(&history.y[k][lane], y1[k]);
        }
    }
}

// The same with both paths in one vector of W, which holds exactly two rows: path 0 in its lower
// half, path 1 in its upper, so vector section j runs sections 2j and 2j + 1 and one store
// writes both output rows.
template <class W, int32_t kLanes, int32_t kSections>
void upsampleRowsPaired(const HalfbandStage& stage, HalfbandHistory& history, const float* in,
                        float* out, int32_t frames) {
    using Vector = typename W::Vector;
    static_assert(W::kWidth == 2 * kLanes && kSections % 2 == 0, "a vector holds both paths");
    constexpr int32_t kPairs = kSections / 2;
    Vector a[kPairs];
    Vector y1[kPairs];
    for (int32_t j = 0; j < kPairs; ++j) {
        alignas(64) float pair[W::kWidth];
        for (int32_t l = 0; l < W::kWidth; ++l)
            pair[l] = stage.coefficient[2 * j + l / kLanes];
        a[j] = W::load(pair);
        y1[j] = W::loadHalves(history.y[2 * j], history.y[2 * j + 1]);
    }
    Vector previous = W::loadTwice(history.x[0]);
    for (int32_t n = 0; n < frames; ++n) {
        const Vector input = W::loadTwice(in + n * kLanes);
        Vector value = input;
        Vector before = previous;
        for (int32_t j = 0; j < kPairs; ++j) {
            const Vector y = W::negMulAdd(a[j], y1[j], W::mulAdd(a[j], value, before));
            before = y1[j];
            y1[j] = y;
            value = y;
        }
        previous = input;
        W::store(out + 2 * n * kLanes, value);
    }
    for (int32_t j = 0; j < kPairs; ++j) {
        W::storeHalves(history.x[2 * j], history.x[2 * j + 1], j == 0 ? previous : y1[j - 1]);
        W::storeHalves(history.y[2 * j], history.y[2 * j + 1], y1[j]);
    }
}

// Both paths in one vector where the widest vectors hold exactly two rows.
template <class W, class R, int32_t kChannels>
constexpr auto firstStageUpKernel() {
    constexpr int32_t kLanes = kChannels * kLaneBands;
    if constexpr (W::kWidth == 2 * kLanes) {
        return &upsampleRowsPaired<W, kLanes, kFirstStageSections>;
    } else {
        return &upsampleRows<R, kChannels, kFirstStageSections>;
    }
}

// The first stage down for one or two channels at once, in 128-bit vectors: the lanes are
// (channel 0, path 0), (channel 0, path 1), (channel 1, path 0), (channel 1, path 1); vector
// section j runs section 2j of path 0 and section 2j + 1 of path 1.
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
void scatterLanes(__m128 v, Entry entry, int32_t pair, int32_t channels) {
    alignas(16) float lanes[kPathLanes];
    _mm_store_ps(lanes, v);
    for (int32_t l = 0; l < 2 * channels; ++l)
        entry(2 * pair + (l & 1), l / 2) = lanes[l];
}

// As in the way up, a section pair's last input is the last output of the pair before it (or the
// last input, for the first), so only the outputs and that input are held in the loop.
template <int32_t kSections>
void downsampleVectors(const HalfbandStage& stage, HalfbandHistory& history, int32_t channels,
                       const float* const* in, float* const* out, int32_t frames) {
    static_assert(kMaxVectorDownChannels == 2, "one vector holds both paths of two channels");
    static_assert(kSections % 2 == 0, "every pair holds a section of each path");
    constexpr int32_t kPairs = kSections / 2;
    const auto coefficient = [&](int32_t k, int32_t) { return stage.coefficient[k]; };
    const auto x = [&](int32_t k, int32_t ch) -> float& { return history.x[k][ch]; };
    const auto y = [&](int32_t k, int32_t ch) -> float& { return history.y[k][ch]; };
    __m128 a[kPairs];
    __m128 y1[kPairs];
    for (int32_t j = 0; j < kPairs; ++j) {
        a[j] = gatherLanes(coefficient, j, channels);
        y1[j] = gatherLanes(y, j, channels);
    }
    __m128 previous = gatherLanes(x, 0, channels);
    const float* second = in[channels - 1];
    const __m128 half = _mm_set1_ps(0.5f);
    for (int32_t n = 0; n < frames; ++n) {
        // (odd, even) of each channel: path 0 reads in[2n + 1], path 1 in[2n].
        const __m128 pairs = _mm_loadh_pi(
            _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(in[0] + 2 * n)),
            reinterpret_cast<const __m64*>(second + 2 * n));
        const __m128 input = _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(2, 3, 0, 1));
        __m128 value = input;
        __m128 before = previous;
        for (int32_t j = 0; j < kPairs; ++j) {
            const __m128 result =
                Floats128::negMulAdd(a[j], y1[j], Floats128::mulAdd(a[j], value, before));
            before = y1[j];
            y1[j] = result;
            value = result;
        }
        previous = input;
        const __m128 sum = _mm_add_ps(value, _mm_shuffle_ps(value, value, _MM_SHUFFLE(2, 3, 0, 1)));
        const __m128 scaled = _mm_mul_ps(half, sum);
        out[0][n] = _mm_cvtss_f32(scaled);
        if (channels == 2) out[1][n] = _mm_cvtss_f32(_mm_movehl_ps(scaled, scaled));
    }
    for (int32_t j = 0; j < kPairs; ++j) {
        scatterLanes(j == 0 ? previous : y1[j - 1], x, j, channels);
        scatterLanes(y1[j], y, j, channels);
    }
}
}  // namespace
}  // namespace marrowfold
