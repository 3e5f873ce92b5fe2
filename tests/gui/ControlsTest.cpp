// Toggle buttons, button groups, the slider and the splash: what a click or a drag does to the
// value, what the listener and the host hear, and which picture is drawn.

#include <gtest/gtest.h>

#include <cmath>

#include "gui/Bitmap.h"
#include "gui/ButtonGroup.h"
#include "gui/Slider.h"
#include "gui/SplashView.h"
#include "gui/ToggleButton.h"
#include "tests/gui/ControlFixture.h"
#include "tests/gui/ProbeView.h"

namespace marrowfold::testing {
namespace {

// A 4 x 4 two-state picture: upper half red, lower half blue.
Bitmap* twoStateBitmap() {
    cairo_surface_t* picture = filledSurface(4, 4, 0x0000ff);
    cairo_t* cr = cairo_create(picture);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 4, 2);
    cairo_fill(cr);
    cairo_destroy(cr);
    auto* bitmap = new Bitmap(7, std::make_unique<CairoSurface>(picture));
    cairo_surface_destroy(picture);
    return bitmap;
}

TEST_F(ControlTest, ControlStartsCleanAndCountsAsChangedUntilItDrawsItsValue) {
    auto* control = new ToggleButton({0, 0, 4, 2}, &listener, 1, nullptr);
    EXPECT_FALSE(control->needsRedraw());
    EXPECT_FLOAT_EQ(control->drawnValue(), 0.0f);
    control->setValue(0.3f);
    EXPECT_TRUE(control->needsRedraw());
    control->setNeedsRedraw(false);
    EXPECT_FALSE(control->needsRedraw());
    control->setNeedsRedraw(true);
    EXPECT_FLOAT_EQ(control->drawnValue(), -1.0f);
    control->setValue(-1.0f);
    control->setNeedsRedraw(true);
    EXPECT_FLOAT_EQ(control->drawnValue(), 0.0f);
    EXPECT_TRUE(control->needsRedraw());

    control->setMinimum(-2.0f);
    control->setMaximum(2.0f);
    control->setValue(3.0f);
    control->clampValue();
    EXPECT_FLOAT_EQ(control->getValue(), 2.0f);
    control->setValue(std::nanf(""));
    control->clampValue();
    EXPECT_FLOAT_EQ(control->getValue(), -2.0f);
    control->release();
}

TEST_F(ControlTest, ToggleButtonFlipsOnThePressAndDrawsTheHalfOfItsState) {
    Bitmap* bitmap = twoStateBitmap();
    auto* button = add(new ToggleButton({10, 10, 14, 12}, &listener, 8, bitmap));
    bitmap->release();
    editor->redrawFrame();
    EXPECT_EQ(pixelAt(surface(), 11, 11), 0xff0000u);  // off: upper half
    click({12, 11});
    EXPECT_FLOAT_EQ(button->getValue(), 1.0f);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0].tag, 8);
    editor->idle();
    EXPECT_EQ(pixelAt(surface(), 11, 11), 0x0000ffu);  // on: lower half
    click({14, 12});                                   // the corner is inside
    EXPECT_FLOAT_EQ(button->getValue(), 0.0f);
    button->setValue(0.5f);  // truncates to 0: the next press switches on
    click({12, 11});
    EXPECT_FLOAT_EQ(button->getValue(), 1.0f);
    click({12, 11}, kMouseRight);
    EXPECT_FLOAT_EQ(button->getValue(), 1.0f);
}

class ButtonGroupTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        const int32_t lefts[5] = {300, 300, 300, 300, 300};
        const int32_t tops[5] = {10, 40, 70, 100, 130};
        Bitmap* bitmaps[5];
        for (int id = 0; id < 5; ++id)
            bitmaps[id] = new Bitmap(1006 + id);
        group = add(new ButtonGroup({300, 8, 334, 142}, &listener, 11, 5, lefts, tops, bitmaps));
        for (Bitmap* bitmap : bitmaps)
            bitmap->release();
    }
    int chosen() const {
        int on = -1;
        for (int i = 0; i < group->count(); ++i) {
            if (group->button(i)->getValue() != 0.0f) {
                EXPECT_EQ(on, -1) << "two buttons on";
                on = i;
            }
        }
        return on;
    }
    ButtonGroup* group = nullptr;
};

TEST_F(ButtonGroupTest, ValueSelectsTheButtonWhoseShareItFallsIn) {
    EXPECT_EQ(chosen(), 0);
    EXPECT_EQ(group->button(2)->bounds(), (Rect{300, 70, 331, 83}));
    const struct {
        float value;
        int button;
    } cases[] = {{0.6f, 2},   {0.1249f, 0}, {0.125f, 1}, {0.374f, 1}, {0.375f, 2},
                 {0.874f, 3}, {0.875f, 4},  {1.0f, 4},   {0.0f, 0}};
    for (const auto& c : cases) {
        group->setValue(c.value);
        EXPECT_EQ(chosen(), c.button) << c.value;
        EXPECT_FLOAT_EQ(group->getValue(), c.value);
    }
}

TEST_F(ButtonGroupTest, ClickingAButtonSetsItsShareAndReportsTheGroup) {
    click({315, 105});  // button 3
    EXPECT_EQ(chosen(), 3);
    EXPECT_FLOAT_EQ(group->getValue(), 0.75f);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0].tag, 11);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 0.75f);
    click({331, 113});  // button 3's corner again: no change, no report
    EXPECT_EQ(chosen(), 3);
    EXPECT_EQ(listener.reports.size(), 1u);
    click({315, 30});  // between buttons: nothing
    EXPECT_EQ(chosen(), 3);
    group->enableMouse(false);
    group->mousePressed(nullptr, {315, 15});
    EXPECT_EQ(chosen(), 3);
}

// The editor's preset selector: 130 x 12 at (118, 149), 103 pixels of travel, handle 27 wide.
class SliderTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        handle = new Bitmap(1011);
        panel = new Bitmap(1000);
        slider = add(new Slider({118, 149, 248, 161}, &listener, 7, 118, 221, handle, panel,
                                {118, 149}, Slider::kGrowsRight | Slider::kHorizontal));
    }
    void TearDown() override {
        handle->release();
        panel->release();
        ControlTest::TearDown();
    }
    Bitmap* handle = nullptr;
    Bitmap* panel = nullptr;
    Slider* slider = nullptr;
};

TEST_F(SliderTest, PressPositionsMapToValuesAroundTheHandleCentre) {
    click({130, 155});
    EXPECT_FLOAT_EQ(slider->getValue(), 0.0f);
    slider->setValue(0.4f);
    click({233, 155});
    EXPECT_FLOAT_EQ(slider->getValue(), 1.0f);
    click({181, 152});  // 51 of 103 pixels
    EXPECT_NEAR(slider->getValue(), 51.0f / 103.0f, 1e-6);
    click({240, 160});
    EXPECT_FLOAT_EQ(slider->getValue(), 1.0f);  // clamped
    EXPECT_EQ(RecordingEffect::count(kBeginEditOpcode), 4);
    EXPECT_EQ(RecordingEffect::count(kEndEditOpcode), 4);
}

TEST_F(SliderTest, DragFollowsTheCursorAndShiftMovesTenTimesSlower) {
    const uint32_t shift = kMouseLeft | kKeyShift;
    // A tracking round reads the position at its end and uses it in the next round, so every
    // position is held for two rounds.
    drag({130, 155}, {{150, 155, kMouseLeft},
                      {150, 155, kMouseLeft},
                      {150, 155, shift},
                      {180, 155, shift},
                      {180, 155, shift},
                      {191, 155, kMouseLeft},
                      {191, 155, kMouseLeft},
                      {191, 155, 0}});
    // The slider reports while it is dirty, so a value may be heard more than once.
    std::vector<float> heard;
    for (const Report& report : listener.reports) {
        if (heard.empty() || heard.back() != report.value) heard.push_back(report.value);
    }
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_NEAR(heard[0], 20.0f / 103.0f, 1e-6);
    // With Shift from 20 pixels' worth: 30 more pixels count a tenth.
    EXPECT_NEAR(heard[1], 23.0f / 103.0f, 1e-5);
    // Without Shift the handle is under the cursor again.
    EXPECT_NEAR(heard[2], 50.0f / 103.0f, 1e-6);
    EXPECT_NEAR(slider->getValue(), 61.0f / 103.0f, 1e-6);
}

TEST_F(SliderTest, HandleIsDrawnAtItsValueThroughTheOffscreen) {
    EXPECT_TRUE(slider->hasOffscreen());
    slider->setValue(0.5f);
    EXPECT_EQ(slider->handleRect(), (Rect{51, 0, 78, 13}));
    slider->setValue(1.0f);
    EXPECT_EQ(slider->handleRect(), (Rect{103, 0, 130, 13}));
    editor->idle();
    cairo_surface_t* expected = filledSurface(27, 12, 0);
    {
        CairoCanvas canvas(nullptr, expected);
        handle->draw(canvas, {0, 0, 27, 12});
    }
    EXPECT_EQ(pixelAt(surface(), 118 + 103 + 13, 149 + 6), pixelAt(expected, 13, 6));
    EXPECT_EQ(pixelAt(surface(), 118 + 103 + 2, 149 + 2), pixelAt(expected, 2, 2));
    cairo_surface_destroy(expected);
    frame->takeOutView(slider, false);
    EXPECT_FALSE(slider->hasOffscreen());
    frame->insertView(slider);
    EXPECT_TRUE(slider->hasOffscreen());
}

TEST_F(SliderTest, VerticalReversedAndGrabbingStylesMoveTheRightWay) {
    // Vertical, value grows upward (no grow-down bit), the mouse reversed to match.
    auto* vertical = add(new Slider({10, 10, 22, 110}, &listener, 3, 10, 90, nullptr, nullptr,
                                    {0, 0}, Slider::kReverseVertical));
    click({15, 10});  // delta = 10 + 1 / 2 - 1: position 1 pixel, reversed
    EXPECT_NEAR(vertical->getValue(), 1.0f - 1.0f / 80.0f, 1e-6);
    click({15, 89});
    EXPECT_NEAR(vertical->getValue(), 1.0f - 80.0f / 80.0f, 1e-6);

    slider->setFreeClick(false);
    slider->setValue(0.0f);  // handle over 118..145
    click({200, 155});       // outside the handle: nothing
    EXPECT_FLOAT_EQ(slider->getValue(), 0.0f);
    // Grabbed 2 pixels into the handle.
    drag({120, 155}, {{140, 155, kMouseLeft}, {140, 155, kMouseLeft}, {140, 155, 0}});
    EXPECT_NEAR(slider->getValue(), 20.0f / 103.0f, 1e-6);
}

TEST_F(SliderTest, ControlClickResetsAndDisabledSliderIgnoresEverything) {
    slider->setValue(0.9f);
    click({200, 155}, kMouseLeft | kKeyControl);
    EXPECT_FLOAT_EQ(slider->getValue(), 0.5f);
    EXPECT_EQ(RecordingEffect::count(kBeginEditOpcode), 0);
    slider->enableMouse(false);
    click({200, 155});
    slider->mousePressed(nullptr, {200, 155});
    EXPECT_FALSE(slider->wheelMoved(nullptr, {200, 155}, 1));
    EXPECT_FLOAT_EQ(slider->getValue(), 0.5f);
}

TEST_F(ControlTest, SplashOpensOverThePanelAndTheNextClickInsideClosesIt) {
    Bitmap* picture = new Bitmap(1001);
    auto* knob = add(new ProbeView({46, 74, 78, 106}, {0, 0, 0, 0}));
    auto* splash =
        add(new SplashView({224, 6, 331, 24}, &listener, 0, picture, {0, 0, 365, 213}, {0, 0}));
    picture->release();
    click({223, 6});
    EXPECT_FALSE(splash->isOpen());
    click({331, 24});
    EXPECT_TRUE(splash->isOpen());
    EXPECT_EQ(frame->exclusiveView(), splash);
    EXPECT_EQ(splash->bounds(), (Rect{0, 0, 365, 213}));
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0].tag, 0);

    editor->idle();
    cairo_surface_t* expected = filledSurface(365, 213, 0);
    {
        CairoCanvas canvas(nullptr, expected);
        Bitmap* reference = new Bitmap(1001);
        reference->draw(canvas, {0, 0, 365, 213});
        reference->release();
    }
    EXPECT_EQ(pixelAt(surface(), 182, 70), pixelAt(expected, 182, 70));
    cairo_surface_destroy(expected);

    click({380, 100});  // outside the picture: nobody
    EXPECT_TRUE(splash->isOpen());
    click({60, 90});  // on a knob under the picture: closes the splash, the knob hears nothing
    EXPECT_FALSE(splash->isOpen());
    EXPECT_TRUE(knob->presses.empty());
    EXPECT_EQ(frame->exclusiveView(), nullptr);
    EXPECT_EQ(splash->bounds(), (Rect{224, 6, 331, 24}));
    EXPECT_EQ(listener.reports.size(), 2u);
    EXPECT_TRUE(splash->needsRedraw());
}

TEST_F(ControlTest, SplashStaysClosedWhenAnotherViewHoldsTheFrame) {
    auto* splash =
        add(new SplashView({0, 0, 10, 10}, &listener, 0, nullptr, {0, 0, 50, 50}, {0, 0}));
    auto* other = new ProbeView({100, 100, 110, 110}, {0, 0, 0, 0});
    frame->setExclusiveView(other);
    headless().setMouse(105, 205, kMouseLeft);
    splash->mousePressed(nullptr, {5, 5});
    EXPECT_FALSE(splash->isOpen());
    EXPECT_EQ(splash->bounds(), (Rect{0, 0, 10, 10}));
    frame->setExclusiveView(nullptr);
    other->release();
}

}  // namespace
}  // namespace marrowfold::testing
