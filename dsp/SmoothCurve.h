#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "dsp/ShapeTables.h"

namespace marrowfold {

// The smooth curve that a shape's table samples, for the shaping at oversampled rates: shape 0's
// cubic, or the monotone curve through the defining rows of shapes 1 to 4, as cubic pieces on
// the table's position scale P = 254 a. Piece k covers 16 positions from 16 k and is evaluated in
// t = P / 16 - k. Below position 1 the curve is the table's first line, T[1] P, so small signals
// see the same gain as from the table. It passes through every table entry and leaves out the
// steps the table's rounded index makes halfway between entries (see lookup in BandShaper.cpp).
// A lane reads four coefficients where the table gives two floats, but vectors pick them by
// permutation where the table needs a gather.
inline constexpr int32_t kSmoothPieceCount = 16;
inline constexpr int32_t kSmoothDegree = 3;
inline constexpr size_t kSmoothCoefficients = kSmoothDegree + 1;
inline constexpr float kSmoothPieceScale = 1.0f / 16.0f;  // exact, so t is exact
inline constexpr float kSmoothLineEnd = 1.0f;

struct SmoothCurve {
    // coefficient[n][k]: of t^n in piece k; each row is one vector of sixteen floats.
    alignas(64) std::array<std::array<float, kSmoothPieceCount>, kSmoothCoefficients> coefficient;
    // The same by piece, piece[k][n], for vectors that read each lane's piece whole.
    alignas(16) std::array<std::array<float, kSmoothCoefficients>, kSmoothPieceCount> piece;
    float startSlope;  // T[1]
};

// The caller keeps shape in 0..kShapeCount-1. Built at compile time, so safe on any thread.
const SmoothCurve& smoothCurve(int32_t shape);

// The curve at 0 <= position <= 254, with products and sums rounded as A's mulAdd(a, b, c) =
// c + a b rounds them; the lane kernels take the same operations in the same order.
template <class A>
float smoothCurveAt(const SmoothCurve& curve, float position) {
    if (position < kSmoothLineEnd) return curve.startSlope * position;
    const float scaled = position * kSmoothPieceScale;
    const auto piece = static_cast<size_t>(scaled);
    const float t = scaled - static_cast<float>(piece);
    const auto& c = curve.coefficient;
    float value = c[3][piece];
    value = A::mulAdd(value, t, c[2][piece]);
    value = A::mulAdd(value, t, c[1][piece]);
    return A::mulAdd(value, t, c[0][piece]);
}

// The odd transfer curve limited to -1..1, from curveAt(a) for 0 <= a <= 1, read at the
// magnitude (so -0 reads it at +0); an undefined sample gives 0.
template <class CurveAt>
float limitedOddCurve(float v, bool& clipped, CurveAt curveAt) {
    if (v >= 0.0f) {
        if (v > 1.0f) {
            clipped = true;
            return 1.0f;
        }
        return curveAt(std::fabs(v));
    }
    if (v < 0.0f) {
        if (-v > 1.0f) {
            clipped = true;
            return -1.0f;
        }
        return -curveAt(-v);
    }
    return 0.0f;
}

}  // namespace marrowfold
