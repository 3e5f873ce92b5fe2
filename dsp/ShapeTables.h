#pragma once

#include <array>
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

// Table of shape 0..kShapeCount-1; the caller keeps shape in range. The tables are built at
// compile time, so reading them is safe on any thread.
const ShapeTable& shapeTable(int32_t shape);

}  // namespace marrowfold
