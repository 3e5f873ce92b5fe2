// Value scales and axis ticks: tick values, positions and labels checked against hand-counted
// answers, and the drawn frequency strip.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "editor/AxisScaleView.h"
#include "editor/BandEditorView.h"
#include "editor/ValueScale.h"
#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {
namespace {

TEST(ValueScale, MapsDecibelsToPixelsBothWaysWithoutClamping) {
    const ValueScale scale(-20.0f, 20.0f, 126.0f, 6.0f);  // the band view's level scale
    EXPECT_FLOAT_EQ(scale.factor(), -3.0f);
    EXPECT_FLOAT_EQ(scale.toPixel(-20.0f), 126.0f);
    EXPECT_FLOAT_EQ(scale.toPixel(20.0f), 6.0f);
    EXPECT_FLOAT_EQ(scale.toPixel(0.0f), 66.0f);
    EXPECT_FLOAT_EQ(scale.toPixel(30.0f), -24.0f);
    EXPECT_FLOAT_EQ(scale.toValue(96.0f), -10.0f);
    EXPECT_FLOAT_EQ(scale.toValue(150.0f), -28.0f);
    for (float db = -20.0f; db <= 20.0f; db += 0.75f) {
        EXPECT_NEAR(scale.toValue(scale.toPixel(db)), db, 1e-4f);
    }
}

TEST(ValueScale, AnEmptyRangeMapsToItsLowEndInsteadOfDividingByZero) {
    const ValueScale scale(5.0f, 5.0f, 10.0f, 100.0f);
    EXPECT_FLOAT_EQ(scale.toPixel(7.0f), 10.0f);
    EXPECT_FLOAT_EQ(scale.toValue(50.0f), 5.0f);
}

// The level axis of the band editor view.
AxisScaleView* levelAxis(float minimum = -20.0f, float maximum = 20.0f) {
    auto* axis = new AxisScaleView({243, 0, 248, 133}, minimum, maximum);
    axis->setOrientation(AxisScaleView::kVertical);
    axis->setMinorLabels(false);
    axis->compute();
    return axis;
}

// The frequency axis of the band editor view, in kHz.
AxisScaleView* frequencyAxis(float maximum = 22.05f) {
    auto* axis = new AxisScaleView({0, 133, 243, 151}, 0.025f, maximum);
    axis->setLogBase(2);
    axis->setLogarithmic(true);
    axis->setMinorLabels(false);
    axis->setUnit("kHz");
    axis->compute();
    return axis;
}

std::vector<float> majorValues(const AxisScaleView& axis) {
    std::vector<float> values;
    for (int32_t i = 0; i < axis.tickCount(); ++i) {
        if (axis.tickIsMajor(i)) values.push_back(axis.tickValue(i));
    }
    return values;
}

std::vector<int32_t> majors(const AxisScaleView& axis) {
    return {axis.majorPositions(), axis.majorPositions() + axis.majorCount()};
}

TEST(AxisTicks, LevelAxisHasMajorsEveryFiveDecibelsAndMinorsEveryDecibel) {
    OwnedView<AxisScaleView> axis(levelAxis());
    EXPECT_EQ(majorValues(*axis), (std::vector<float>{-20, -15, -10, -5, 0, 5, 10, 15, 20}));
    ASSERT_EQ(axis->tickCount(), 41);
    for (int32_t i = 0; i < axis->tickCount(); ++i) {
        const float v = axis->tickValue(i);
        EXPECT_EQ(v, std::round(v)) << i;
        EXPECT_EQ(axis->tickIsMajor(i), std::fmod(v, 5.0f) == 0.0f) << v;
    }
    // 122 pixels for 40 dB from y 127 upward, each truncated toward the axis start.
    EXPECT_EQ(majors(*axis), (std::vector<int32_t>{127, 112, 97, 82, 66, 51, 36, 21, 5}));
}

TEST(AxisTicks, LinearStepsFollowTheRangesSize) {
    struct Case {
        float minimum, maximum;
        std::vector<float> majors;
        int32_t ticks;
    };
    const std::vector<Case> cases = {
        {0.0f, 1.0f, {0, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f}, 51},
        {0.0f, 1.5f, {0, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.2f, 1.4f}, 31},  // quarters of 0.2
        {0.0f, 3.0f, {0, 0.5f, 1, 1.5f, 2, 2.5f, 3}, 31},
        {0.0f, 7.0f, {0, 1, 2, 3, 4, 5, 6, 7}, 36},
        {-7.0f, -2.0f, {-7, -6.5f, -6, -5.5f, -5, -4.5f, -4, -3.5f, -3, -2.5f, -2}, 51},
        {100.0f, 400.0f, {100, 150, 200, 250, 300, 350, 400}, 31},
    };
    for (const Case& c : cases) {
        OwnedView<AxisScaleView> axis(new AxisScaleView({0, 0, 110, 20}, c.minimum, c.maximum));
        axis->compute();
        const std::vector<float> got = majorValues(*axis);
        ASSERT_EQ(got.size(), c.majors.size()) << c.minimum << ".." << c.maximum;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], c.majors[i], 1e-5f);
        EXPECT_EQ(axis->tickCount(), c.ticks) << c.minimum << ".." << c.maximum;
        axis->setMinorTicks(false);
        axis->compute();
        EXPECT_EQ(axis->tickCount(), static_cast<int32_t>(c.majors.size()));
    }
}

TEST(AxisTicks, EmptyReversedAndNonFiniteRangesGiveNoTicks) {
    const float nan = std::nanf("");
    for (auto [lo, hi] : {std::pair{3.0f, 3.0f}, {5.0f, 1.0f}, {nan, 1.0f}, {0.0f, INFINITY}}) {
        OwnedView<AxisScaleView> axis(new AxisScaleView({0, 0, 110, 20}, lo, hi));
        axis->compute();
        EXPECT_EQ(axis->tickCount(), 0) << lo << ".." << hi;
        axis->setLogarithmic(true);
        axis->compute();
        EXPECT_LE(axis->tickCount(), AxisScaleView::kMaxTicks);
    }
}

TEST(AxisTicks, FrequencyAxisHasOneLabelledMajorPerOctaveFrom25Hz) {
    OwnedView<AxisScaleView> axis(frequencyAxis());
    std::vector<std::string> labels;
    for (int32_t i = 0; i < axis->tickCount(); ++i) {
        if (axis->tickIsMajor(i))
            labels.push_back(axis->labelText(i));
        else
            EXPECT_EQ(axis->labelText(i), "") << i;
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"0.025", "0.05", "0.1", "0.2", "0.4", "0.8", "1.6",
                                                "3.2", "6.4", "12.8"}));
    // Each major is followed by minors at 1.25, 1.5 and 1.75 times it, up to 22.05.
    ASSERT_EQ(axis->tickCount(), 39);
    for (int32_t i = 0; i + 1 < axis->tickCount(); ++i) {
        if (!axis->tickIsMajor(i)) continue;
        const float t = axis->tickValue(i);
        EXPECT_FLOAT_EQ(axis->tickValue(i + 1), 1.25f * t);
        EXPECT_FLOAT_EQ(axis->tickValue(i + 2), 1.5f * t);
        if (i + 3 < axis->tickCount()) {
            EXPECT_FLOAT_EQ(axis->tickValue(i + 3), 1.75f * t);
        }
    }
    EXPECT_FLOAT_EQ(axis->tickValue(38), 19.2f);
    // 232 pixels over log2(22.05 / 0.025) = 9.78 octaves, 23.71 pixels each, from x 5.
    EXPECT_EQ(majors(*axis), (std::vector<int32_t>{5, 28, 52, 76, 99, 123, 147, 170, 194, 218}));
}

TEST(AxisTicks, LogarithmicStartsAtTheNextRoundValue) {
    OwnedView<AxisScaleView> axis(frequencyAxis());
    axis->setRange(0.1f, 0.15f);  // no mantissa at 1: starts at 0.125
    axis->compute();
    ASSERT_EQ(axis->tickCount(), 1);
    EXPECT_FLOAT_EQ(axis->tickValue(0), 0.125f);
    axis->setRange(0.95f, 5.0f);  // past the last mantissa 9: the next decade
    axis->compute();
    EXPECT_EQ(majorValues(*axis), (std::vector<float>{1, 2, 4}));
}

TEST(AxisTicks, NegativeLogarithmicRangeIsMirrored) {
    OwnedView<AxisScaleView> axis(frequencyAxis());
    axis->setRange(-22.05f, -0.025f);
    axis->compute();
    ASSERT_EQ(axis->tickCount(), 39);
    EXPECT_FLOAT_EQ(axis->tickValue(0), -19.2f);
    EXPECT_FALSE(axis->tickIsMajor(0));
    EXPECT_FLOAT_EQ(axis->tickValue(38), -0.025f);
    EXPECT_TRUE(axis->tickIsMajor(38));
    for (int32_t i = 1; i < axis->tickCount(); ++i) {
        EXPECT_LT(axis->tickValue(i - 1), axis->tickValue(i));
    }
}

TEST(AxisTicks, NoAxisHoldsMoreThan64Ticks) {
    OwnedView<AxisScaleView> axis(frequencyAxis(1e30f));
    EXPECT_EQ(axis->tickCount(), AxisScaleView::kMaxTicks);
    axis->setRange(0.0f, 1e6f);  // a logarithmic 0 stands for 1e-6: 40 octaves
    axis->compute();
    EXPECT_EQ(axis->tickCount(), AxisScaleView::kMaxTicks);
    for (int32_t i = 1; i < axis->tickCount(); ++i) {
        EXPECT_GT(axis->tickValue(i), axis->tickValue(i - 1));
    }
}

TEST(AxisDrawing, FrequencyStripShowsTicksLabelsAndUnitOnItsBackground) {
    OwnedView<AxisScaleView> axis(frequencyAxis());
    axis->setBackdropColour(kPanelBlue);
    cairo_surface_t* strip = filledSurface(243, 18, 0xff00ff);
    {
        CairoCanvas canvas(nullptr, strip);
        axis->drawAt(canvas, 0, 0);
    }
    const uint32_t white = 0xffffff;
    const uint32_t blue = rgb(kPanelBlue);
    EXPECT_EQ(countPixels(strip, 0xff00ff, 0, 0, 243, 18), 0) << "the fill covers the strip";
    EXPECT_EQ(pixelAt(strip, 0, 0), blue);
    EXPECT_EQ(pixelAt(strip, 242, 0), blue);
    for (int32_t i = 0; i < axis->tickCount(); ++i) {
        const int x = axis->tickPosition(i);
        const int length = axis->tickIsMajor(i) ? 9 : 4;
        EXPECT_EQ(countPixels(strip, white, x, 0, x + 1, length), length) << "tick " << i;
        if (!axis->tickIsMajor(i)) {
            EXPECT_NE(pixelAt(strip, x, length), white) << "tick " << i;
        }
    }
    // Labels stand under the majors; the unit right of the last label's box.
    EXPECT_GT(countPixels(strip, blue, 99 - 12, 9, 99 + 12, 18), 0);
    EXPECT_LT(countPixels(strip, blue, 99 - 12, 9, 99 + 12, 18), 24 * 9);
    EXPECT_LT(countPixels(strip, blue, 231, 9, 243, 18), 12 * 9) << "unit";
    cairo_surface_destroy(strip);
}

}  // namespace
}  // namespace marrowfold::testing
