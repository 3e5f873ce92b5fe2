// Transfer-curve tables: shape 0's formula, the listed rows of shapes 1 to 4, monotony, and
// shapes 1 and 2 against their closed-form approximations.
#include <gtest/gtest.h>

#include <cmath>

#include "dsp/ShapeTables.h"

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

}  // namespace
}  // namespace marrowfold
