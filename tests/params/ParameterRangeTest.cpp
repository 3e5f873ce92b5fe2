// The range value type alone: host values land on the step grid with the 0.65 bias and come
// back unchanged, step counts are single precision, and control positions clamp (NaN too) while
// empty ranges stay finite. Expected values follow from min + k x step, worked out by hand.
#include "core/ParameterRange.h"

#include <gtest/gtest.h>

#include <cmath>

namespace marrowfold {
namespace {

TEST(ParameterRange, StepCountsAreSinglePrecisionAndEmptyRangesHaveNoScale) {
    EXPECT_EQ(ParameterRange(-12, 12, 0.1f).stepCount(), 240.0f);
    EXPECT_EQ(ParameterRange(-20, 20, 0.1f).stepCount(), 400.0f);
    EXPECT_EQ(ParameterRange(1, 64, 1).stepCount(), 63.0f);
    EXPECT_EQ(ParameterRange(0, 1).stepCount(), 0.0f);
    const ParameterRange empty;
    EXPECT_EQ(empty.scale(), 0.0f);
    EXPECT_EQ(empty.toNormalized(123.0f), 0.0f);
    EXPECT_EQ(empty.toReal(0.7f), 0.0f);
}

TEST(ParameterRange, HostValuesSnapToStepsFromSixTenthsAndFiveHundredthsBelowAndRoundTrip) {
    for (const ParameterRange range : {ParameterRange(-12, 12, 0.1f), ParameterRange(-1, 4, 1),
                                       ParameterRange(1, 64, 1), ParameterRange(0, 18, 1)}) {
        const int steps = static_cast<int>(range.stepCount());
        for (int k = 1; k <= steps; ++k) {
            SCOPED_TRACE(testing::Message()
                         << range.minimum() << ".." << range.maximum() << " k " << k);
            const float real = range.toReal(static_cast<float>(k) / steps);
            EXPECT_NEAR(real, range.minimum() + k * range.step(), 1e-5f);
            EXPECT_EQ(range.toReal(range.toNormalized(real)), real);
            // Step k starts at k - 0.65 steps; just below stays on step k - 1.
            EXPECT_EQ(range.toReal((k - 0.64f) / steps), real);
            EXPECT_EQ(range.toReal((k - 0.66f) / steps), range.toReal((k - 1.0f) / steps));
        }
    }
    // Extended precision rounded once: 120 x 0.1f - 12 is 3 x 2^-24, not 0.
    EXPECT_EQ(ParameterRange(-12, 12, 0.1f).toReal(0.5f), std::ldexp(3.0f, -24));
    // Host values are not clamped.
    EXPECT_FLOAT_EQ(ParameterRange(-20, 20).toReal(1.5f), 40.0f);
    EXPECT_FLOAT_EQ(ParameterRange(-20, 20).toNormalized(30.0f), 1.25f);
}

TEST(ParameterRange, ControlPositionsClampWhileValuesAtPositionsDoNot) {
    const ParameterRange range(-20, 20);
    EXPECT_EQ(range.positionOf(10.0f), 0.75f);
    EXPECT_EQ(range.positionOf(50.0f), 1.0f);
    EXPECT_EQ(range.positionOf(-INFINITY), 0.0f);
    EXPECT_EQ(range.positionOf(std::nanf("")), 0.0f);
    EXPECT_EQ(range.valueAt(0.25f), -10.0f);
    EXPECT_EQ(range.valueAt(1.5f), 40.0f);
    EXPECT_EQ(range.clamp(std::nanf("")), -20.0f);
    const ParameterRange point(5, 5);
    EXPECT_EQ(point.positionOf(7.0f), 0.0f);
    EXPECT_EQ(point.clamp(7.0f), 5.0f);
}

}  // namespace
}  // namespace marrowfold
