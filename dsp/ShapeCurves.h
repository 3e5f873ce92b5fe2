#pragma once

#include <cstdint>

#include "dsp/ShapeAntiderivatives.h"
#include "dsp/ShapeTables.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {

// Every form of one shape's curve that the shaping reads.
struct ShapeCurves {
    const ShapeTable* table;
    const ShapeSegments* segments;                // the table for the lane kernels
    const ShapeAntiderivatives* antiderivatives;  // for the anti-aliasing
    const SmoothCurve* smooth;                    // at oversampled rates
};

// The caller keeps shape in 0..kShapeCount-1. Built at compile time, so safe on any thread.
const ShapeCurves& shapeCurves(int32_t shape);

}  // namespace marrowfold
