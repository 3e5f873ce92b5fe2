// Knobs: the face maps to values as a dial does (ends at lower left and lower right, middle
// straight up, the gap split at the bottom), circular drags stop at the end they cross the gap
// from, linear drags cover the range in 200 or 300 pixels without jumps, and the host hears each
// drag. Filmstrip knobs show the frame floor(v x (frames - 1)).

#include "gui/Knob.h"

#include "gui/Bitmap.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/gui/ControlFixture.h"

namespace marrowfold::testing {
namespace {

// A 32 x 32 knob at (100, 50): its centre is (116, 66).
constexpr Rect kKnobRect{100, 50, 132, 82};
constexpr Point kCentre{116, 66};

class KnobTest : public ControlTest {
  protected:
    Knob* makeKnob(float value) {
        auto* knob = new Knob(kKnobRect, &listener, 4, nullptr, nullptr, {0, 0});
        knob->setValue(value);
        return add(knob);
    }
    // A point on the circle of the given radius at a dial angle in degrees
    // (counter-clockwise from the right), in window coordinates.
    static Point onDial(double degrees, double radius = 14) {
        const double a = degrees * M_PI / 180.0;
        return {kCentre.h + static_cast<int>(std::lround(radius * std::cos(a))),
                kCentre.v - static_cast<int>(std::lround(radius * std::sin(a)))};
    }
};

TEST_F(KnobTest, DialEndsAreLowerLeftAndLowerRightWithTheMiddleStraightUp) {
    const KnobGeometry dial({0, 1}, Knob::kStartAngle, Knob::kRangeAngle, 16, 3);
    EXPECT_NEAR(dial.pointToValue({5, 27}), 0.0f, 1e-5);          // 225 degrees
    EXPECT_NEAR(dial.pointToValue({27, 27}), 1.0f, 1e-5);         // 315 degrees
    EXPECT_NEAR(dial.pointToValue({16, 0}), 0.5f, 1e-5);          // 90 degrees
    EXPECT_NEAR(dial.pointToValue({32, 16}), 5.0f / 6.0f, 1e-5);  // 0 degrees: 225 of 270
    EXPECT_FLOAT_EQ(dial.pointToValue({15, 31}), 0.0f);           // just left of the bottom
    EXPECT_FLOAT_EQ(dial.pointToValue({17, 31}), 1.0f);           // just right of the bottom
    // The handle point lies inset on the same dial: straight up and at the lower left.
    EXPECT_EQ(dial.valueToPoint(0.5f), (Point{16, 3}));
    EXPECT_EQ(dial.valueToPoint(0.0f), (Point{7, 25}));
}

TEST_F(KnobTest, CounterClockwiseDialsAndOtherRangesMapTheSameWay) {
    // A half turn counter-clockwise from the right, over -12..12.
    const KnobGeometry dial({-12, 12}, 0.0f, static_cast<float>(M_PI), 16, 0);
    EXPECT_NEAR(dial.pointToValue({32, 16}), -12.0f, 1e-4);
    EXPECT_NEAR(dial.pointToValue({16, 0}), 0.0f, 1e-4);
    EXPECT_NEAR(dial.pointToValue({0, 16}), 12.0f, 1e-4);
    EXPECT_FLOAT_EQ(dial.pointToValue({4, 28}), 12.0f);    // 225 degrees: the half gap after
    EXPECT_FLOAT_EQ(dial.pointToValue({28, 28}), -12.0f);  // 315 degrees: before the start
}

TEST_F(KnobTest, CircularDragFollowsTheCursorAndStopsAtTheEndItCrossesTheGapFrom) {
    Knob* knob = makeKnob(0.0f);
    // From the top, clockwise to the lower right, across the bottom to the lower left.
    const Point top = onDial(90), right = onDial(0), lowerRight = onDial(320);
    const Point bottomLeft = onDial(260), lowerLeft = onDial(230);
    drag(top, {{right.h, right.v, kMouseLeft},
               {lowerRight.h, lowerRight.v, kMouseLeft},
               {bottomLeft.h, bottomLeft.v, kMouseLeft},
               {lowerLeft.h, lowerLeft.v, kMouseLeft},
               {lowerLeft.h, lowerLeft.v, 0}});
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    ASSERT_GE(listener.reports.size(), 3u);
    EXPECT_NEAR(listener.reports[0].value, 5.0f / 6.0f, 0.02f);  // 225 of 270 degrees
    EXPECT_NEAR(listener.reports[1].value, 1.0f - 5.0f / 270.0f, 0.02f);
    EXPECT_EQ(listener.reports[0].tag, 4);
}

TEST_F(KnobTest, LinearDragCoversTheRangeInTwoHundredPixelsOrThreeHundredWithShift) {
    editor->chooseKnobMode(2);
    Knob* knob = makeKnob(0.0f);
    drag(kCentre, {{kCentre.h + 100, kCentre.v, kMouseLeft}, {kCentre.h + 100, kCentre.v, 0}});
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5);
    drag(kCentre, {{kCentre.h, kCentre.v - 150, kMouseLeft}, {kCentre.h, kCentre.v - 150, 0}});
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);  // clamped
    knob->setValue(0.0f);
    const uint32_t shift = kMouseLeft | kKeyShift;
    drag(kCentre, {{kCentre.h + 150, kCentre.v, shift}, {kCentre.h + 150, kCentre.v, 0}}, shift);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5);
    knob->setValue(0.5f);
    drag(kCentre, {{kCentre.h - 60, kCentre.v + 40, kMouseLeft}, {0, 0, 0}});
    EXPECT_NEAR(knob->getValue(), 0.0f, 1e-5);  // left and down decrease the value
}

TEST_F(KnobTest, PressingShiftMidDragDoesNotMakeTheValueJump) {
    editor->chooseKnobMode(2);
    Knob* knob = makeKnob(0.0f);
    const uint32_t shift = kMouseLeft | kKeyShift;
    drag(kCentre, {{kCentre.h + 100, kCentre.v, kMouseLeft},
                   {kCentre.h + 100, kCentre.v, shift},
                   {kCentre.h + 101, kCentre.v, shift},
                   {kCentre.h + 130, kCentre.v, shift},
                   {kCentre.h + 130, kCentre.v, 0}});
    ASSERT_GE(listener.reports.size(), 3u);
    EXPECT_NEAR(listener.reports[0].value, 0.5f, 1e-5);
    EXPECT_NEAR(listener.reports[1].value, 0.5f + 1.0f / 300.0f, 1e-5);  // no jump at Shift
    EXPECT_NEAR(knob->getValue(), 0.5f + 30.0f / 300.0f, 1e-5);
}

TEST_F(KnobTest, AltSwapsCircularAndLinearTracking) {
    editor->chooseKnobMode(0);  // circular unless Alt is held
    Knob* knob = makeKnob(0.0f);
    const uint32_t alt = kMouseLeft | kKeyAlt;
    drag(kCentre, {{kCentre.h + 40, kCentre.v, alt}, {0, 0, 0}}, alt);
    EXPECT_NEAR(knob->getValue(), 0.2f, 1e-5);  // linear: 40 of 200 pixels
    editor->chooseKnobMode(2);
    knob->setValue(0.0f);
    const Point top = onDial(90);
    drag(top, {{top.h + 1, top.v, alt}, {top.h + 1, top.v, 0}}, alt);  // linear mode, Alt
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.03f);
}

TEST_F(KnobTest, HostHearsTheStartAndEndOfEveryDragWithTheTag) {
    makeKnob(0.3f);
    const Point top = onDial(90);
    drag(top, {{top.h + 3, top.v, kMouseLeft}, {top.h + 3, top.v, 0}});
    ASSERT_EQ(RecordingEffect::count(kBeginEditOpcode), 1);
    ASSERT_EQ(RecordingEffect::count(kEndEditOpcode), 1);
    std::vector<int32_t> order;
    for (const HostCall& call : RecordingEffect::calls()) {
        if (call.opcode == kBeginEditOpcode || call.opcode == kEndEditOpcode) {
            EXPECT_EQ(call.index, 4);
            order.push_back(call.opcode);
        }
    }
    EXPECT_EQ(order, (std::vector<int32_t>{kBeginEditOpcode, kEndEditOpcode}));
}

TEST_F(KnobTest, ControlClickResetsWithoutADragAndOtherButtonsDoNothing) {
    Knob* knob = makeKnob(0.9f);
    click(kCentre, kMouseLeft | kKeyControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(RecordingEffect::count(kBeginEditOpcode), 0);
    knob->setResetValue(0.25f);
    click(kCentre, kMouseLeft | kKeyControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    click(kCentre, kMouseRight);
    click(kCentre, kMouseMiddle);
    EXPECT_EQ(listener.reports.size(), 2u);
    knob->enableMouse(false);
    knob->mousePressed(nullptr, kCentre);
    EXPECT_FALSE(knob->wheelMoved(nullptr, kCentre, 1.0f));
    EXPECT_EQ(listener.reports.size(), 2u);
}

TEST_F(KnobTest, WheelStepsTheValueByTheWheelStepAndATenthWithShift) {
    Knob* knob = makeKnob(0.5f);
    headless().setMouse(0, 0, 0);
    EXPECT_TRUE(knob->wheelMoved(nullptr, kCentre, 2.0f));
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-6);
    headless().setMouse(0, 0, kKeyShift);
    knob->wheelMoved(nullptr, kCentre, -1.0f);
    EXPECT_NEAR(knob->getValue(), 0.69f, 1e-6);
    headless().setMouse(0, 0, 0);
    knob->wheelMoved(nullptr, kCentre, 10.0f);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    EXPECT_EQ(listener.reports.size(), 3u);
}

TEST_F(KnobTest, FilmstripShowsFrameFloorOfValueTimesSixtyTwo) {
    Bitmap* strip = new Bitmap(1012);
    auto* knob = new FilmstripKnob({46, 74, 78, 106}, &listener, 1, 63, 32, strip, {46, 74});
    add(knob);
    strip->release();
    for (int i = 0; i < 200; ++i) {
        const float v = (static_cast<float>(i) + 0.37f) / 200.0f;
        knob->setValue(v);
        EXPECT_EQ(knob->frameTop(), static_cast<int>(std::floor(v * 62.0)) * 32) << v;
    }
    knob->setValue(0.0f);
    EXPECT_EQ(knob->frameTop(), 0);
    knob->setValue(1.0f);
    EXPECT_EQ(knob->frameTop(), 62 * 32);
    knob->setValue(1.7f);
    EXPECT_EQ(knob->frameTop(), 62 * 32);
    knob->setValue(-0.2f);
    EXPECT_EQ(knob->frameTop(), 0);
    knob->setInverse(true);
    knob->setValue(0.25f);
    EXPECT_EQ(knob->frameTop(), 46 * 32);  // floor(0.75 x 62) = 46
}

TEST_F(KnobTest, FilmstripDrawsTheChosenFrameOverTheBackground) {
    Bitmap* strip = new Bitmap(1012);
    auto* knob = new FilmstripKnob({46, 74, 78, 106}, &listener, 1, 63, 32, strip, {46, 74});
    knob->setSeeThrough(true);
    add(knob);
    strip->release();
    cairo_surface_t* expected = filledSurface(32, 32, 0x000000);
    Bitmap* reference = new Bitmap(1012);
    for (float v : {0.0f, 0.5f, 1.0f}) {
        knob->setValue(v);
        editor->idle();
        {
            CairoCanvas canvas(nullptr, expected);
            reference->draw(canvas, {0, 0, 32, 32}, {0, knob->frameTop()});
        }
        // The knob's centre pixels are the frame's; its corners stay the panel's.
        for (Point p : {Point{16, 16}, Point{16, 8}, Point{22, 20}}) {
            EXPECT_EQ(pixelAt(surface(), 46 + p.h, 74 + p.v), pixelAt(expected, p.h, p.v)) << v;
        }
    }
    EXPECT_NE(pixelAt(surface(), 46, 74), 0xffffffu);
    reference->release();
    cairo_surface_destroy(expected);
}

}  // namespace
}  // namespace marrowfold::testing
