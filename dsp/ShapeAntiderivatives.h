#pragma once

#include <array>
#include <cstdint>

#include "dsp/ShapeTables.h"

namespace marrowfold {

// The transfer curves integrated exactly as the lookup evaluates them. On the position scale
// U = 254 v of a driven sample v, the positive half of the curve is made of pieces: piece i
// (0..254) is the line g(U) = T[i] + r_i (U - i), with r_i the rise that ShapeSegments holds, for
// U within half a step of i (piece 0 from 0, piece 254 up to 254 only), and piece 255 is the limit
// g = 1 beyond 254. The curve is odd, so its first antiderivative G1 is even and its second G2
// odd, both 0 at 0. Within a piece they are polynomials in the offset t = U - i:
//   G1 = G1(i) + T[i] t + r_i t^2 / 2,  G2 = G2(i) + G1(i) t + T[i] t^2 / 2 + r_i t^3 / 6,
// where piece 255 takes 255 as its centre, as if the limit were one more table entry. Only the
// values at the pieces' centres are held, with each piece's line; they are chained across the
// pieces' edges in extended precision and rounded once. Built at compile time with the other tables
// (ShapeTables.cpp), so safe to read on any thread.
inline constexpr int32_t kCurvePieceCount = kShapeLimitSegment + 1;
inline constexpr int32_t kLimitPiece = kShapeLimitSegment;
inline constexpr double kCurvePositionScale = kShapeLookupScale;
// Where the table ends and the limit begins, on the position scale.
inline constexpr double kLimitPosition = kShapeLookupScale;

// One piece: G2 and G1 at its centre, and its line's value there and rise per step (the
// table's floats, widened).
struct alignas(32) CurvePiece {
    double second;
    double first;
    double value;
    double rise;
};
using ShapeAntiderivatives = std::array<CurvePiece, kCurvePieceCount>;

// The caller keeps shape in 0..kShapeCount-1.
const ShapeAntiderivatives& shapeAntiderivatives(int32_t shape);

}  // namespace marrowfold
