// Transfer-curve tables: shape 0's formula, the listed rows of shapes 1 to 4, monotony, shapes 1
// and 2 against their closed-form approximations, and the smooth curves the tables sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "dsp/MonotoneSpline.h"
#include "dsp/ShapeTables.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {
namespace {

TEST(ShapeTablesTest, EveryCurveRisesMonotonicallyFromZeroToOne) {
    for (int32_t s = 0; s < kShapeCount; ++s) {
        const ShapeTable& table = shapeTable(s);
        EXPECT_EQ(table[0], 0.0f) << s;
        EXPECT_EQ(table[255], 1.0f) << s;
        for (int32_t i = 0; i < 255; ++i)
            ASSERT_LE(table[i], table[i + 1]) << s << " at " << i;
    }
}

TEST(ShapeTablesTest, ShapeZeroIsTheCubicSoftClipper) {
    const ShapeTable& table = shapeTable(0);
    EXPECT_NEAR(table[127], 0.685291f, 1e-6f);
    for (int32_t i = 0; i <= 255; i += 15) {
        const double x = i / 255.0;
        EXPECT_NEAR(table[i], 1.5 * x - 0.5 * x * x * x, 1e-7) << i;
    }
}

TEST(ShapeTablesTest, ListedShapesPassThroughTheirRows) {
    struct Row {
        int32_t shape, index;
        float value;
    };
    const Row rows[] = {{1, 1, 0.01550f},  {1, 16, 0.22705f},  {1, 144, 0.96225f},
                        {2, 1, 0.02316f},  {2, 96, 0.93856f},  {2, 240, 0.99991f},
                        {3, 16, 0.58294f}, {3, 112, 0.73399f}, {3, 208, 0.96865f},
                        {4, 1, 0.12936f},  {4, 32, 0.98307f},  {4, 176, 0.99999f}};
    for (const Row& row : rows) {
        EXPECT_EQ(shapeTable(row.shape)[row.index], row.value) << row.shape << " " << row.index;
    }
    // Shape 4 limits hard from index 192 on.
    for (int32_t i = 192; i <= 255; ++i)
        EXPECT_EQ(shapeTable(4)[i], 1.0f) << i;
    EXPECT_LT(shapeTable(4)[191], 1.0f);
    // Shape 3's plateau: it rises steeply, then gains little between 32 and 128.
    EXPECT_LT(shapeTable(3)[128] - shapeTable(3)[32], 0.1f);
}

TEST(ShapeTablesTest, SaturationShapesFollowTheirClosedForms) {
    const std::pair<int32_t, std::pair<double, double>> cases[] = {{1, {3.97, 0.001}},
                                                                   {2, {5.94, 0.0015}}};
    for (const auto& [shape, fit] : cases) {
        for (int32_t i = 0; i <= 255; ++i) {
            const double x = i / 255.0;
            EXPECT_NEAR(shapeTable(shape)[i], 1.0 - std::pow(1.0 - x, fit.first), fit.second)
                << "shape " << shape << " at " << i;
        }
    }
}

struct SeparateRounding {
    static float mulAdd(float a, float b, float c) { return c + a * b; }
};
struct FusedRounding {
    static float mulAdd(float a, float b, float c) { return std::fma(a, b, c); }
};

// The curve a shape is defined by, in double, at table position p.
double definingCurve(int32_t shape, double position) {
    if (shape == 0) return softClipCurve(position / kShapeLastCurveEntry);
    std::array<double, kShapeDefiningRowCount> x{};
    std::array<double, kShapeDefiningRowCount> y{};
    for (size_t k = 0; k < kShapeDefiningRowCount; ++k) {
        x[k] = shapeDefiningRows()[k].index;
        y[k] = shapeDefiningRows()[k].value[static_cast<size_t>(shape) - 1];
    }
    return MonotoneSpline<kShapeDefiningRowCount>(x, y)(position);
}

// Within a few roundings of a float near 1 of the defining curve everywhere from position 1 on,
// through every table entry, and below position 1 the table's first line to the bit, with the
// products and sums rounded either way.
template <class Rounding>
void checkSmoothCurve(int32_t shape) {
    constexpr double kTolerance = 3e-7;
    constexpr int32_t kSteps = 64;  // positions per table step, exact in float
    const SmoothCurve& curve = smoothCurve(shape);
    const ShapeTable& table = shapeTable(shape);
    double worst = 0.0;
    for (int32_t n = kSteps; n <= kShapeSegmentCount * kSteps; ++n) {
        const float position = static_cast<float>(n) / kSteps;
        const double error = smoothCurveAt<Rounding>(curve, position) -
                             definingCurve(shape, static_cast<double>(position));
        worst = std::max(worst, std::fabs(error));
    }
    EXPECT_LT(worst, kTolerance) << "shape " << shape;
    for (int32_t i = 1; i < kShapeLastCurveEntry; ++i) {
        EXPECT_NEAR(smoothCurveAt<Rounding>(curve, static_cast<float>(i)), table[i], kTolerance)
            << "shape " << shape << " at entry " << i;
    }
    for (const float position : {0.0f, 1e-30f, 0.25f, 0.5f, 0.75f, 0.999f}) {
        EXPECT_EQ(smoothCurveAt<Rounding>(curve, position), table[1] * position)
            << "shape " << shape << " at " << position;
    }
}

TEST(ShapeTablesTest, SmoothCurvesFollowTheirDefinitionThroughEveryEntry) {
    for (int32_t shape = 0; shape < kShapeCount; ++shape) {
        checkSmoothCurve<SeparateRounding>(shape);
        checkSmoothCurve<FusedRounding>(shape);
    }
}

}  // namespace
}  // namespace marrowfold
