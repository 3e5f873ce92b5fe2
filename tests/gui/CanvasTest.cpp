// Canvas pixel rules: outlines include right and bottom, fills exclude them, lines stop before
// their end pixel, origin offsets move everything, text is placed as aligned, and the font table
// and mouse queries answer as the toolkit expects.

#include <gtest/gtest.h>

#include <cstring>

#include "gui/FontTable.h"
#include "gui/OffscreenCanvas.h"
#include "tests/gui/GuiTestSupport.h"

namespace marrowfold::testing {
namespace {

constexpr uint32_t kBlackRgb = 0x000000;
constexpr uint32_t kWhiteRgb = 0xffffff;
constexpr uint32_t kRedRgb = 0xff0000;
constexpr uint32_t kBlueRgb = 0x0000ff;
constexpr Color kBlue{0, 0, 255, 0};

class CanvasTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        surface = filledSurface(49, 49, kBlackRgb);
    }
    void TearDown() override {
        cairo_surface_destroy(surface);
        HeadlessTest::TearDown();
    }
    cairo_surface_t* surface = nullptr;
};

// Ink bounding box of every pixel that is not the background.
struct Ink {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};
Ink inkOf(cairo_surface_t* s, uint32_t background) {
    Ink ink;
    for (int y = 0; y < cairo_image_surface_get_height(s); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(s); ++x) {
            if (pixelAt(s, x, y) == background) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

TEST_F(CanvasTest, FillThenOutlineGivesOnePixelRingAroundInteriorWithoutOverlap) {
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setFillColour(kBlue);
        canvas.setPenColour(kRed);
        canvas.fillRect({10, 10, 20, 15});
        canvas.drawRect({10, 10, 20, 15});
    }
    // Outline: columns 10..20 and rows 10..15, both ends included: 2 * 11 + 2 * 4 pixels.
    EXPECT_EQ(countPixels(surface, kRedRgb, 0, 0, 49, 49), 30);
    // Interior: columns 11..19, rows 11..14.
    EXPECT_EQ(countPixels(surface, kBlueRgb, 0, 0, 49, 49), 9 * 4);
    EXPECT_EQ(countPixels(surface, kBlueRgb, 11, 11, 20, 15), 36);
    EXPECT_EQ(pixelAt(surface, 20, 15), kRedRgb);
    EXPECT_EQ(pixelAt(surface, 21, 16), kBlackRgb);
}

TEST_F(CanvasTest, LinesCoverTheirStartPixelAndStopBeforeTheirEnd) {
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setPenColour(kWhite);
        canvas.moveTo({5, 5});
        canvas.lineTo({15, 5});  // right: 5..14
        canvas.lineTo({15, 1});  // up: rows 5..2
        canvas.moveTo({30, 40});
        canvas.lineTo({20, 40});  // left: 30..21
    }
    EXPECT_EQ(countPixels(surface, kWhiteRgb, 0, 5, 15, 6), 10);
    EXPECT_EQ(pixelAt(surface, 5, 5), kWhiteRgb);
    EXPECT_EQ(pixelAt(surface, 14, 5), kWhiteRgb);
    EXPECT_EQ(countPixels(surface, kWhiteRgb, 15, 0, 16, 6), 4);
    EXPECT_EQ(pixelAt(surface, 15, 1), kBlackRgb);
    EXPECT_EQ(countPixels(surface, kWhiteRgb, 0, 40, 49, 41), 10);
    EXPECT_EQ(pixelAt(surface, 20, 40), kBlackRgb);
    EXPECT_EQ(pixelAt(surface, 30, 40), kWhiteRgb);
}

TEST_F(CanvasTest, DottedLinesDrawEveryOtherPixelAndSolidRestoresFullLines) {
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setDash(Canvas::kDotted);
        canvas.moveTo({0, 3});
        canvas.lineTo({10, 3});
        canvas.setDash(7);  // anything else is solid
        canvas.moveTo({0, 6});
        canvas.lineTo({10, 6});
    }
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(pixelAt(surface, x, 3), x % 2 == 0 ? kWhiteRgb : kBlackRgb) << x;
    }
    EXPECT_EQ(countPixels(surface, kWhiteRgb, 0, 6, 49, 7), 10);
}

TEST_F(CanvasTest, WidePensAndDiagonalsStrokeThroughPixelCentres) {
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setPenWidth(3);
        canvas.moveTo({10, 20});
        canvas.lineTo({30, 20});
        canvas.setPenWidth(1);
        canvas.moveTo({0, 0});
        canvas.lineTo({8, 8});
    }
    // Three rows centred on row 20.
    EXPECT_EQ(pixelAt(surface, 20, 19), kWhiteRgb);
    EXPECT_EQ(pixelAt(surface, 20, 21), kWhiteRgb);
    EXPECT_EQ(pixelAt(surface, 20, 22), kBlackRgb);
    EXPECT_EQ(pixelAt(surface, 20, 18), kBlackRgb);
    // The diagonal touches the main diagonal pixels and nothing far from it.
    EXPECT_EQ(pixelAt(surface, 4, 4), kWhiteRgb);
    EXPECT_EQ(pixelAt(surface, 6, 1), kBlackRgb);
}

TEST_F(CanvasTest, PolygonFillCoversInteriorWithoutOutline) {
    const Point square[4] = {{2, 2}, {12, 2}, {12, 8}, {2, 8}};
    const Point triangle[3] = {{20, 20}, {40, 20}, {20, 40}};
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setPenColour(kRed);
        canvas.setFillColour(kBlue);
        canvas.fillPolygon(square, 4);
        canvas.fillPolygon(triangle, 3);
        canvas.fillPolygon(square, 2);  // too few points: nothing
    }
    EXPECT_EQ(countPixels(surface, kBlueRgb, 0, 0, 15, 15), 10 * 6);
    EXPECT_EQ(countPixels(surface, kRedRgb, 0, 0, 49, 49), 0);
    // Half of a 20 x 20 square, within the diagonal's share.
    EXPECT_NEAR(countPixels(surface, kBlueRgb, 18, 18, 49, 49), 200, 20);
}

TEST_F(CanvasTest, ArcRunsCounterClockwiseFromStartToEndDirection) {
    {
        CairoCanvas canvas(nullptr, surface);
        // From the right (east) counter-clockwise to the top (north): the upper-right quarter.
        canvas.drawArc({4, 4, 44, 44}, {44, 24}, {24, 4});
    }
    const int upperRight = countPixels(surface, kWhiteRgb, 25, 0, 49, 24);
    EXPECT_GT(upperRight, 20);
    EXPECT_EQ(countPixels(surface, kWhiteRgb, 0, 0, 23, 49), 0);
    EXPECT_EQ(countPixels(surface, kWhiteRgb, 0, 26, 49, 49), 0);
    // The quarter runs from the right edge of the box to its top edge.
    EXPECT_EQ(pixelAt(surface, 44, 23), kWhiteRgb);
    EXPECT_EQ(pixelAt(surface, 25, 4), kWhiteRgb);
}

TEST_F(CanvasTest, OriginOffsetMovesLinesRectanglesAndText) {
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setOriginOffset({20, 10});
        canvas.setFillColour(kBlue);
        canvas.fillRect({0, 0, 3, 3});
        canvas.setPenColour(kRed);
        canvas.moveTo({0, 20});
        canvas.lineTo({2, 20});
    }
    EXPECT_EQ(pixelAt(surface, 21, 11), kBlueRgb);
    EXPECT_EQ(pixelAt(surface, 1, 1), kBlackRgb);
    EXPECT_EQ(pixelAt(surface, 20, 30), kRedRgb);
    EXPECT_EQ(pixelAt(surface, 21, 30), kRedRgb);
}

TEST_F(CanvasTest, FontTableFallsBackToFontZeroAndResolvesArialToAnInstalledFamily) {
    CairoCanvas canvas(nullptr, surface);
    canvas.selectFont(9, 0, 0);
    EXPECT_EQ(canvas.fontId(), 0);
    EXPECT_EQ(canvas.fontSize(), 12);
    EXPECT_TRUE(fontEntry(canvas.fontId()).alwaysBold);
    canvas.selectFont(-1, 0, 0);
    EXPECT_EQ(canvas.fontId(), 0);
    const int heights[kFontCount] = {12, 18, 14, 12, 11, 10, 9, 13};
    for (int id = 0; id < kFontCount; ++id) {
        canvas.selectFont(id, 0, 0);
        EXPECT_EQ(canvas.fontSize(), heights[id]) << id;
    }
    canvas.selectFont(6, 20, 0);
    EXPECT_EQ(canvas.fontSize(), 20);
    EXPECT_EQ(installedFamily("Arial"), "Liberation Sans");
}

TEST_F(CanvasTest, CentredTextSitsInTheMiddleOfItsRectangleBothWays) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 3.5);
    const Rect box{4, 19, 44, 30};  // 40 x 11
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.selectFont(6, 0, 0);
        canvas.drawText(text, box, false, Canvas::kAlignCentre);
    }
    const Ink ink = inkOf(surface, kBlackRgb);
    ASSERT_GE(ink.right, 0);
    const double inkCentreH = (ink.left + ink.right + 1) / 2.0;
    const double inkCentreV = (ink.top + ink.bottom + 1) / 2.0;
    EXPECT_NEAR(inkCentreH, (box.left + box.right) / 2.0, 1.0);
    EXPECT_NEAR(inkCentreV, (box.top + box.bottom) / 2.0, 1.0);
    EXPECT_GE(ink.top, box.top);
    EXPECT_LT(ink.bottom, box.bottom);
}

TEST_F(CanvasTest, LeftAndRightAlignedTextHugTheirEdgesAndAreClipped) {
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.selectFont(3, 0, 0);
        canvas.drawText("88", {10, 2, 45, 16}, false, 0);
        canvas.drawText("88", {10, 20, 45, 34}, false, Canvas::kAlignRight);
        canvas.drawText("WWWWWWWWWW", {10, 36, 30, 48}, false, 0);
    }
    const Ink left = inkOf(surface, kBlackRgb);
    EXPECT_GE(left.left, 11);
    EXPECT_LE(left.left, 13);
    int rightmost = -1;
    for (int y = 20; y < 34; ++y) {
        for (int x = 0; x < 49; ++x) {
            if (pixelAt(surface, x, y) != kBlackRgb) rightmost = std::max(rightmost, x);
        }
    }
    EXPECT_GE(rightmost, 42);
    EXPECT_LE(rightmost, 44);
    EXPECT_EQ(countPixels(surface, kBlackRgb, 30, 36, 49, 49), 19 * 13);
}

TEST_F(CanvasTest, OpaqueTextStandsOnTheFillColourAndTransparentTextDoesNot) {
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setFillColour(kBlue);
        canvas.drawText("1", {0, 0, 20, 20}, true, 0);
        canvas.drawText("1", {0, 25, 20, 45}, false, 0);
    }
    EXPECT_GT(countPixels(surface, kBlueRgb, 0, 0, 20, 20), 10);
    EXPECT_EQ(countPixels(surface, kBlueRgb, 0, 25, 20, 45), 0);
}

TEST_F(CanvasTest, MousePositionIsRelativeToTheWindowAndStateIsPassedThrough) {
    const WindowId host = hostWindow({100, 200, 600, 500});
    Canvas canvas(nullptr, nullptr, host);
    headless().setMouse(110, 220, kMouseLeft | kKeyShift);
    Point where;
    canvas.mousePosition(where);
    EXPECT_EQ(where, (Point{10, 20}));
    EXPECT_EQ(canvas.mouseState(), kMouseLeft | kKeyShift);
}

TEST_F(CanvasTest, CanvasWithoutSurfaceIgnoresEveryOperation) {
    Canvas canvas(nullptr, nullptr);
    const Point points[3] = {{0, 0}, {5, 5}, {0, 5}};
    canvas.drawRect({0, 0, 5, 5});
    canvas.fillRect({0, 0, 5, 5});
    canvas.fillPolygon(points, 3);
    canvas.drawPolyline(points, 3);
    canvas.drawArc({0, 0, 5, 5}, {5, 2}, {2, 0});
    canvas.drawText("x", {0, 0, 5, 5}, true, 1);
    EXPECT_EQ(canvas.surface(), nullptr);
    EXPECT_EQ(canvas.textWidth("x"), 0.0);
}

TEST_F(CanvasTest, OffscreenStartsInItsBackgroundAndCopiesWithSourceAndTargetOffsets) {
    OffscreenCanvas offscreen(nullptr, 20, 10, kBlue);
    auto* picture = static_cast<CairoSurface*>(offscreen.surface());
    EXPECT_EQ(countPixels(picture->surface(), kBlueRgb, 0, 0, 20, 10), 200);
    offscreen.setFillColour(kRed);
    offscreen.fillRect({4, 4, 10, 10});  // red at 5..9, 5..9
    CairoCanvas target(nullptr, surface);
    target.setOriginOffset({1, 2});
    offscreen.copyTo(target, {10, 10, 16, 14}, {5, 5});
    cairo_surface_flush(surface);
    // Target area 11..16 x 12..15 gets offscreen 5..10 x 5..8: red except the last column.
    EXPECT_EQ(countPixels(surface, kRedRgb, 0, 0, 49, 49), 5 * 4);
    EXPECT_EQ(pixelAt(surface, 11, 12), kRedRgb);
    EXPECT_EQ(pixelAt(surface, 16, 12), kBlueRgb);
    EXPECT_EQ(pixelAt(surface, 17, 12), kBlackRgb);
}

TEST_F(CanvasTest, DrawingSamplerMatchesItsGoldenImage) {
    cairo_surface_t* sampler = filledSurface(160, 96, 0x000f43);
    {
        CairoCanvas canvas(nullptr, sampler);
        canvas.setTextColour(kWhite);
        const char* labels[] = {"Font 0", "Font 1", "Font 2", "Font 3"};
        for (int id = 0; id < 4; ++id) {
            canvas.selectFont(id, 0, id == 2 ? Canvas::kStyleItalic : 0);
            canvas.drawText(labels[id], {2, 2 + id * 18, 78, 18 + id * 18}, false, id % 3);
        }
        canvas.selectFont(5, 0, Canvas::kStyleUnderline);
        canvas.setFillColour({38, 51, 95, 0});
        canvas.drawText("-12.0", {84, 4, 124, 15}, true, Canvas::kAlignCentre);
        canvas.setPenColour({121, 207, 241, 0});
        canvas.drawArc({90, 30, 150, 90}, {150, 60}, {120, 90});
        canvas.setDash(Canvas::kDotted);
        canvas.drawRect({86, 26, 154, 92});
    }
    expectMatchesGolden(sampler, "canvas_sampler", 48);
    cairo_surface_destroy(sampler);
}

}  // namespace
}  // namespace marrowfold::testing
