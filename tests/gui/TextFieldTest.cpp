// Text displays and fields: how a value display is drawn, how a click opens the edit field and
// what closing it reports, number fields with their range, parsing, drags and fonts.

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

#include "gui/NumberField.h"
#include "gui/ValueDisplay.h"
#include "tests/gui/ControlFixture.h"
#include "tests/gui/ProbeView.h"

namespace marrowfold::testing {
namespace {

constexpr Color kPanelBlue{0, 15, 67, 0};

void oneDecimal(float value, char* text) {
    std::snprintf(text, kTextBytes, "%.1f", value);
}

class NumberFieldTest : public ControlTest {
  protected:
    NumberField* makeField(int32_t style = 0) {
        auto* field = new NumberField({42, 57, 82, 68}, &listener, 5, "", nullptr, style);
        field->setMinimum(-12.0f);
        field->setMaximum(12.0f);
        field->setValueFormatter(oneDecimal);
        field->selectFont(6);
        field->setFillColour(kPanelBlue);
        field->setValue(0.5f);
        return add(field);
    }
};

TEST_F(NumberFieldTest, TypedCommaDecimalIsReadReportedNormalisedAndShownFormatted) {
    NumberField* field = makeField();
    EXPECT_EQ(field->text(), "0.0");
    click({60, 62});
    HeadlessPlatform::EditField* open = headless().openField();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(frame->keyFocusView(), field);
    EXPECT_EQ(open->spec.text, "0.0");
    EXPECT_TRUE(open->allSelected);
    EXPECT_EQ(open->spec.rect.left, 42);
    EXPECT_EQ(open->spec.rect.right, 83);   // one pixel wider
    EXPECT_EQ(open->spec.rect.bottom, 69);  // and higher
    EXPECT_EQ(open->spec.font.pixelHeight, 9);
    EXPECT_EQ(open->spec.font.face, "Arial");
    EXPECT_EQ(open->spec.backgroundColour, 0x000f43u);
    EXPECT_EQ(open->spec.alignment, 1);

    headless().typeAndEnter("3,5");
    EXPECT_EQ(headless().openFieldCount(), 0u);
    EXPECT_EQ(frame->keyFocusView(), nullptr);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 15.5f / 24.0f);
    EXPECT_FLOAT_EQ(field->realValue(), 3.5f);
    EXPECT_EQ(field->text(), "3.5");
}

TEST_F(NumberFieldTest, ClosingWithoutAChangeReportsNothingAndOutOfRangeTextIsClamped) {
    NumberField* field = makeField();
    click({60, 62});
    headless().typeAndEnter("0.0");
    EXPECT_TRUE(listener.reports.empty());
    click({60, 62});
    headless().typeAndEnter("99");
    EXPECT_FLOAT_EQ(field->realValue(), 12.0f);
    click({60, 62});
    headless().typeAndEnter("volume");  // unreadable: 0
    EXPECT_FLOAT_EQ(field->realValue(), 0.0f);
    EXPECT_EQ(field->text(), "0.0");
    EXPECT_EQ(listener.reports.size(), 2u);
}

TEST_F(NumberFieldTest, UntouchedTextKeepsAValueBetweenItsDisplayedDigits) {
    NumberField* field = makeField();
    field->setValue((3.46f + 12.0f) / 24.0f);
    ASSERT_EQ(field->text(), "3.5");
    click({60, 62});
    headless().typeAndEnter("3.5");
    EXPECT_TRUE(listener.reports.empty());
    EXPECT_NEAR(field->realValue(), 3.46f, 1e-5f);
}

TEST_F(NumberFieldTest, NumbersBeyondFloatRangeAreClampedAndNanIsUnreadable) {
    NumberField* field = makeField();
    const std::pair<const char*, float> cases[] = {
        {"1e50", 12.0f}, {"-1e50", -12.0f}, {"nan", 0.0f}, {" +0x4", 4.0f}, {"1e-50", 0.0f}};
    for (const auto& [typed, expected] : cases) {
        field->setValue(0.75f);
        click({60, 62});
        headless().typeAndEnter(typed);
        EXPECT_FLOAT_EQ(field->realValue(), expected) << typed;
    }
}

TEST_F(NumberFieldTest, PressElsewhereClosesTheFieldWithItsTextAndReachesTheOtherView) {
    NumberField* field = makeField();
    auto* other = add(new ProbeView({200, 100, 220, 120}, {0, 0, 0, 0}));
    click({60, 62});
    headless().openField()->text = "-6";
    click({210, 110});
    EXPECT_EQ(headless().openFieldCount(), 0u);
    EXPECT_FLOAT_EQ(field->realValue(), -6.0f);
    EXPECT_EQ(other->presses.size(), 1u);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 0.25f);
}

TEST_F(NumberFieldTest, LosingTheKeyboardFocusClosesTheField) {
    NumberField* field = makeField();
    click({60, 62});
    headless().openField()->text = "1,25";
    headless().loseEditFocus();
    EXPECT_FALSE(field->isEditing());
    EXPECT_FLOAT_EQ(field->realValue(), 1.25f);
    EXPECT_EQ(field->text(), "1.2");
}

TEST_F(NumberFieldTest, PressThatEndsOutsideOpensNothing) {
    NumberField* field = makeField();
    // The cursor is already outside when the field looks where the press ended.
    const PixelPoint outside = headless().toScreen(frame->window(), 120, 62);
    headless().setMouse(outside.x, outside.y, kMouseLeft);
    field->mousePressed(nullptr, {60, 62});
    EXPECT_EQ(headless().openFieldCount(), 0u);
    click({60, 62}, kMouseLeft | kKeyControl);
    EXPECT_EQ(headless().openFieldCount(), 0u);
    click({60, 62});
    EXPECT_EQ(headless().openFieldCount(), 1u);
}

TEST_F(NumberFieldTest, DraggableFieldFollowsVerticalMovesAndOpensOnlyWithoutOne) {
    NumberField* field = makeField(ValueDisplay::kDraggable);
    const uint32_t fine = kMouseLeft | kKeyShift;
    drag({60, 62},
         {{60, 52, kMouseLeft}, {60, 52, kMouseLeft}, {60, 62, fine}, {60, 62, fine}, {60, 62, 0}});
    // Up 10 pixels: +0.1; down 10 with Shift: -0.015.
    EXPECT_NEAR(field->getValue(), 0.5f + 0.1f - 0.015f, 1e-5);
    EXPECT_TRUE(field->wasDragged());
    EXPECT_EQ(headless().openFieldCount(), 0u);
    EXPECT_EQ(headless().windowCursor(frame->window()), PointerShape::Arrow);
    EXPECT_GE(listener.reports.size(), 3u);  // each move and once more at the end

    click({60, 62}, kMouseLeft | kKeyControl);  // reset value, no field
    EXPECT_FLOAT_EQ(field->getValue(), 0.5f);
    EXPECT_EQ(headless().openFieldCount(), 0u);
    click({60, 62});
    EXPECT_EQ(headless().openFieldCount(), 1u);
}

TEST_F(NumberFieldTest, ValueIsKeptInRangeAndExchangedNormalised) {
    NumberField* field = makeField();
    field->setValue(1.5f);
    EXPECT_FLOAT_EQ(field->realValue(), 12.0f);
    EXPECT_FLOAT_EQ(field->getValue(), 1.0f);
    field->setValue(0.25f);
    EXPECT_FLOAT_EQ(field->realValue(), -6.0f);
    EXPECT_EQ(field->text(), "-6.0");
    field->setMinimum(3.0f);
    field->setMaximum(3.0f);
    EXPECT_FLOAT_EQ(field->getValue(), 0.0f);  // no range: nothing to divide by
}

TEST(NumberTextTest, CommaOrPointLeadingSignsAndJunkAreReadAsAUserMeansThem) {
    EXPECT_FLOAT_EQ(NumberField::textToNumber("3,5"), 3.5f);
    EXPECT_FLOAT_EQ(NumberField::textToNumber("  +2.25"), 2.25f);
    EXPECT_FLOAT_EQ(NumberField::textToNumber("-7.5 dB"), -7.5f);
    EXPECT_FLOAT_EQ(NumberField::textToNumber("1e1"), 10.0f);
    EXPECT_FLOAT_EQ(NumberField::textToNumber("abc"), 0.0f);
    EXPECT_FLOAT_EQ(NumberField::textToNumber(""), 0.0f);
}

TEST_F(NumberFieldTest, FontHeightChoosesTheHighestIdOfThatHeight) {
    NumberField* field = makeField();
    const struct { int height, id; } cases[] = {{12, 3}, {9, 6}, {18, 1}, {13, 7}, {10, 5}};
    for (const auto& c : cases) {
        field->setFontHeight(c.height);
        EXPECT_EQ(field->fontId(), c.id) << c.height;
    }
}

TEST_F(ControlTest, DoubleClickStyleOpensOnlyOnTheSecondOfTwoQuickPresses) {
    auto* field = add(new TextField({10, 10, 80, 22}, &listener, 2, "Crunch", nullptr,
                                    ValueDisplay::kDoubleClickOpens));
    click({20, 15});
    EXPECT_EQ(headless().openFieldCount(), 0u);
    headless().advanceClock(200);
    click({20, 15});
    ASSERT_EQ(headless().openFieldCount(), 1u);
    headless().typeAndEnter("Crunch");
    EXPECT_TRUE(listener.reports.empty());  // same text: no report

    headless().advanceClock(2000);
    click({20, 15});
    headless().advanceClock(600);  // slower than the double-click time
    click({20, 15});
    EXPECT_EQ(headless().openFieldCount(), 0u);
    headless().advanceClock(100);
    click({20, 15});
    ASSERT_EQ(headless().openFieldCount(), 1u);
    headless().typeAndEnter("Grit");
    EXPECT_EQ(field->text(), "Grit");
    EXPECT_EQ(listener.reports.size(), 1u);
}

TEST_F(ControlTest, DoubleClickTimeIsAtLeastAQuarterSecond) {
    headless().setDoubleClickTime(100);  // a user's setting too short to hit
    add(new TextField({10, 10, 80, 22}, &listener, 2, "Crunch", nullptr,
                      ValueDisplay::kDoubleClickOpens));
    click({20, 15});
    headless().advanceClock(200);
    click({20, 15});
    EXPECT_EQ(headless().openFieldCount(), 1u);
    headless().setDoubleClickTime(HeadlessPlatform::kDoubleClickMs);
}

TEST_F(ControlTest, ValueDisplayFillsFramesAndWritesItsText) {
    auto* plain = add(new ValueDisplay({10, 10, 50, 21}, nullptr, 0));
    plain->setFillColour(kPanelBlue);
    plain->setBorderColour({89, 168, 209, 0});
    plain->setValue(0.25f);
    auto* hidden = add(new ValueDisplay({60, 10, 100, 21}, nullptr, ValueDisplay::kNoDrawing));
    auto* textless = add(new ValueDisplay({110, 10, 150, 21}, nullptr, ValueDisplay::kNoText));
    textless->setFillColour(kPanelBlue);
    editor->idle();
    EXPECT_EQ(pixelAt(surface(), 10, 10), 0x59a8d1u);  // the outline
    EXPECT_EQ(pixelAt(surface(), 50, 21), 0x59a8d1u);
    EXPECT_EQ(pixelAt(surface(), 12, 12), 0x000f43u);  // the fill
    int lit = 0;
    for (int y = 11; y < 21; ++y) {
        for (int x = 11; x < 50; ++x)
            lit += pixelAt(surface(), x, y) != 0x000f43u;
    }
    EXPECT_GT(lit, 20);                                              // "0.25" in white
    EXPECT_EQ(countPixels(surface(), 0, 60, 10, 101, 22), 41 * 12);  // draws nothing
    EXPECT_FALSE(hidden->mouseEnabled());
    EXPECT_EQ(countPixels(surface(), 0x000f43, 111, 11, 150, 21), 39 * 10);  // no text

    plain->setNeedsRedraw(false);
    plain->setFillColour({0, 15, 67, 99});  // only the unread fourth byte differs
    EXPECT_FALSE(plain->needsRedraw());
    plain->setTextColour({1, 2, 3, 0});
    EXPECT_TRUE(plain->needsRedraw());
}

TEST_F(ControlTest, ValueDisplayFramesIn3DAndShadowsItsText) {
    constexpr Color kLight{200, 220, 240, 0};
    constexpr uint32_t kLightPixel = 0xc8dcf0u;
    constexpr uint32_t kPanelPixel = 0x000f43u;
    const auto box = [&](const Rect& rect, int32_t style) {
        auto* display = add(new ValueDisplay(rect, nullptr, style));
        display->setFillColour(kPanelBlue);
        display->setBorderColour(kLight);
        display->setShadowColour({255, 0, 0, 0});
        return display;
    };
    box({10, 30, 50, 41}, ValueDisplay::kRaised | ValueDisplay::kNoText);
    box({60, 30, 100, 41}, ValueDisplay::kLowered | ValueDisplay::kNoText);
    box({110, 30, 150, 41}, ValueDisplay::kShadowText)->setValue(0.5f);
    box({160, 30, 200, 41}, 0)->setValue(0.5f);
    editor->idle();
    // Raised: lit from the top left, so its right and bottom sides carry the frame colour.
    EXPECT_EQ(pixelAt(surface(), 10, 35), kPanelPixel);
    EXPECT_EQ(pixelAt(surface(), 30, 30), kPanelPixel);
    EXPECT_EQ(pixelAt(surface(), 50, 35), kLightPixel);
    EXPECT_EQ(pixelAt(surface(), 30, 41), kLightPixel);
    // Lowered: the other way round.
    EXPECT_EQ(pixelAt(surface(), 60, 35), kLightPixel);
    EXPECT_EQ(pixelAt(surface(), 80, 30), kLightPixel);
    EXPECT_EQ(pixelAt(surface(), 100, 35), kPanelPixel);
    EXPECT_EQ(pixelAt(surface(), 80, 41), kPanelPixel);
    // Only the shadowed text leaves red beside its letters.
    const auto reddish = [&](int left) {
        int count = 0;
        for (int y = 30; y <= 41; ++y) {
            for (int x = left; x <= left + 40; ++x) {
                const uint32_t pixel = pixelAt(surface(), x, y);
                count += (pixel >> 16) > 0x80 && ((pixel >> 8) & 0xff) < 0x60;
            }
        }
        return count;
    };
    EXPECT_GT(reddish(110), 5);
    EXPECT_EQ(reddish(160), 0);
}

}  // namespace
}  // namespace marrowfold::testing
