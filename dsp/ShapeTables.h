#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace marrowfold {

// The five transfer curves of the shaping. Entries 0..255 are the positive half of an odd curve
// rising from 0 to 1; entry 256 is the curve's make-up attenuation in dB.
inline constexpr int32_t kShapeCount = 5;
inline constexpr int32_t kShapeTableSize = 257;
inline constexpr int32_t kShapeLastCurveEntry = 255;
inline constexpr int32_t kShapeMakeupEntry = 256;
// The curve is read at position a * kShapeLookupScale for 0 <= a <= 1, so entry 255 is only ever
// the right-hand neighbour of entry 254.
inline constexpr float kShapeLookupScale = 254.0f;
using ShapeTable = std::array<float, kShapeTableSize>;

// Shape 0 as a continuous curve for 0 <= x <= 1: the soft clipper that meets 1 with zero slope.
constexpr double softClipCurve(double x) {
    return 1.5 * x - 0.5 * x * x * x;
}

// Shapes 1..4 are defined by these rows, each a table index and the value of every shape there;
// the table entries between them follow a smooth monotone curve through every row.
inline constexpr size_t kShapeDefiningRowCount = 18;
struct ShapeDefiningRow {
    double index;
    std::array<double, kShapeCount - 1> value;  // shapes 1, 2, 3, 4
};
using ShapeDefiningRows = std::array<ShapeDefiningRow, kShapeDefiningRowCount>;
const ShapeDefiningRows& shapeDefiningRows();

// Table of shape 0..kShapeCount-1; the caller keeps shape in range. The tables are built at
// compile time, so reading them is safe on any thread.
const ShapeTable& shapeTable(int32_t shape);

// The same curve as segments for the lane kernels: entry 2i is T[i] and entry 2i + 1 its rise
// T[i + 1] - T[i], for every index the lookup reads (0..254). Each rise is the float subtraction
// the lookup would do, so reading it gives the same bits. One more segment, 255, stands for the
// limit beyond the table: 1 without a rise; only the anti-aliased shaping reads it.
inline constexpr int32_t kShapeSegmentCount = kShapeLastCurveEntry;
inline constexpr int32_t kShapeLimitSegment = kShapeSegmentCount;
using ShapeSegments = std::array<float, 2 * (kShapeSegmentCount + 1)>;
const ShapeSegments& shapeSegments(int32_t shape);

}  // namespace marrowfold
