#pragma once

// The later resampling stages' linear-phase filters in vectors, for each instruction set's lane
// kernels (included by LaneKernelTemplates.h, whose unnamed-namespace rules apply). Each output
// takes the same operations in the same order, with the same rounding, as the reference
// kernels, so it is the same bit for bit.

#include <algorithm>
#include <cstdint>

#include "dsp/LaneVectors128.h"
#include "dsp/Oversampling.h"

namespace marrowfold {
namespace {

// Up over rows of kLanes lanes; the firUpHistory(kTaps) rows before in hold the last inputs.
template <class R, int32_t kLanes, int32_t kTaps>
void upsampleFirRows(const FirStage& stage, const float* in, float* out, int32_t frames) {
    using Vector = typename R::Vector;
    static_assert(kLanes % R::kWidth == 0, "vectors cover whole rows");
    Vector coefficient[kTaps];
    for (int32_t k = 0; k < kTaps; ++k)
        coefficient[k] = R::splat(2.0f * stage.coefficient[k]);
    // window[i] holds row i - kTaps + 1 around the current centre; the next row's window is
    // this one moved by one, so each step loads only one new vector.
    constexpr int32_t kWindow = 2 * kTaps;
    for (int32_t lane = 0; lane < kLanes; lane += R::kWidth) {
        Vector window[kWindow];
        const float* first = in - (2 * kTaps - 1) * kLanes + lane;
        for (int32_t i = 0; i < kWindow - 1; ++i)
            window[i + 1] = R::load(first + i * kLanes);
        for (int32_t n = 0; n < frames; ++n) {
            for (int32_t i = 0; i < kWindow - 1; ++i)
                window[i] = window[i + 1];
            window[kWindow - 1] = R::load(in + n * kLanes + lane);
            const auto row = [&](int32_t r) { return window[r + kTaps - 1]; };
            Vector sum = R::mul(coefficient[0], R::add(row(1), row(0)));
            for (int32_t k = 1; k < kTaps; ++k)
                sum = R::mulAdd(coefficient[k], R::add(row(1 + k), row(-k)), sum);
            float* even = out + 2 * n * kLanes + lane;
            R::store(even, sum);
            R::store(even + kLanes, row(1));
        }
    }
}

// The same with two rows in each vector of W, which holds exactly two: inputs n and n + 1 give
// outputs 2n .. 2n + 3 at once.
template <class W, class R, int32_t kLanes, int32_t kTaps>
void upsampleFirRowPairs(const FirStage& stage, const float* in, float* out, int32_t frames) {
    using Vector = typename W::Vector;
    static_assert(W::kWidth == 2 * kLanes, "a vector holds two rows");
    Vector coefficient[kTaps];
    for (int32_t k = 0; k < kTaps; ++k)
        coefficient[k] = W::splat(2.0f * stage.coefficient[k]);
    // window[i] holds rows i - kTaps + 1 and i - kTaps + 2 around the current pair's centre; the
    // next pair's window is this one moved by two, so each step loads only two new vectors.
    constexpr int32_t kWindow = 2 * kTaps;
    Vector window[kWindow];
    const float* first = in - 2 * kTaps * kLanes + kLanes;
    for (int32_t i = 0; i < kWindow - 2; ++i)
        window[i + 2] = W::load(first + i * kLanes);
    int32_t n = 0;
    for (; n + 2 <= frames; n += 2) {
        for (int32_t i = 0; i < kWindow - 2; ++i)
            window[i] = window[i + 2];
        const float* newest = in + (n - 1) * kLanes;
        window[kWindow - 2] = W::load(newest);
        window[kWindow - 1] = W::load(newest + kLanes);
        const auto rows = [&](int32_t r) { return window[r + kTaps - 1]; };
        Vector sum = W::mul(coefficient[0], W::add(rows(1), rows(0)));
        for (int32_t k = 1; k < kTaps; ++k)
            sum = W::mulAdd(coefficient[k], W::add(rows(1 + k), rows(-k)), sum);
        W::storeHalvesInterleaved(out + 2 * n * kLanes, sum, rows(1));
    }
    if (n < frames)
        upsampleFirRows<R, kLanes, kTaps>(stage, in + n * kLanes, out + 2 * n * kLanes, frames - n);
}

// Two rows to a vector where the widest vectors hold exactly two, else one row at a time.
template <class W, class R, int32_t kLanes, int32_t kTaps>
constexpr auto upsampleFirKernel() {
    if constexpr (W::kWidth == 2 * kLanes) {
        return &upsampleFirRowPairs<W, R, kLanes, kTaps>;
    } else {
        return &upsampleFirRows<R, kLanes, kTaps>;
    }
}

// Down over one channel's samples, in vectors across time: each piece of the input is first
// split into its even and odd samples, so every tap reads consecutive floats.
template <class F, int32_t kTaps>
void downsampleFirSamples(const FirStage& stage, const float* in, float* out, int32_t frames) {
    using Vector = typename F::Vector;
    constexpr int32_t kPiece = 128;
    // Even and odd samples before a piece that its first output reaches back to.
    constexpr int32_t kBefore = firUpHistory(kTaps);
    alignas(64) float even[kBefore + kPiece];
    alignas(64) float odd[kBefore + kPiece];
    Vector coefficient[kTaps];
    for (int32_t k = 0; k < kTaps; ++k)
        coefficient[k] = F::splat(stage.coefficient[k]);
    const Vector half = F::splat(0.5f);
    for (int32_t start = 0; start < frames; start += kPiece) {
        const int32_t count = std::min(kPiece, frames - start);
        const float* from = in + 2 * (start - kBefore);
        int32_t j = 0;
        for (; j + F::kWidth <= kBefore + count; j += F::kWidth) {
            Vector evens;
            Vector odds;
            F::deinterleave(from + 2 * j, evens, odds);
            F::store(even + j, evens);
            F::store(odd + j, odds);
        }
        for (; j < kBefore + count; ++j) {
            even[j] = from[2 * j];
            odd[j] = from[2 * j + 1];
        }
        // Output i reads even[i + kTaps + k] and even[i + kTaps - 1 - k], odd[i + kTaps - 1].
        int32_t i = 0;
        for (; i + F::kWidth <= count; i += F::kWidth) {
            const auto evens = [&](int32_t at) { return F::load(even + i + kTaps + at); };
            Vector sum = F::mul(coefficient[0], F::add(evens(0), evens(-1)));
            for (int32_t k = 1; k < kTaps; ++k)
                sum = F::mulAdd(coefficient[k], F::add(evens(k), evens(-1 - k)), sum);
            F::store(out + start + i, F::mulAdd(half, F::load(odd + i + kTaps - 1), sum));
        }
        // The rest, fewer than a vector, as the reference kernel runs it.
        referenceResampling(kFileRounding)
            .downsampleFir(stage, in + 2 * (start + i), out + start + i, count - i);
    }
}

}  // namespace
}  // namespace marrowfold
