// The GDI drawing surface's pixel rules, read straight from its DIB section: fills stop before
// right and bottom, lines cover their start pixel and not their end pixel, keyed copies skip the
// key colour and leave the source alone, text lands where it is aligned, and repeated drawing
// with changing colours and fonts does not leak GDI objects.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/GdiSurface.h"

namespace marrowfold::win32 {
namespace {

constexpr PackedRgb kBlack = 0x000000;
constexpr PackedRgb kWhite = 0xffffff;
constexpr PackedRgb kRed = 0xff0000;
constexpr PackedRgb kBlue = 0x0000ff;

PackedRgb pixel(const GdiSurface& surface, int x, int y) {
    GdiFlush();
    return surface.pixels()[y * surface.deviceWidth() + x] & 0xffffff;
}

int count(const GdiSurface& surface, PackedRgb colour, const PixelRect& area) {
    GdiFlush();
    int found = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            found += pixel(surface, x, y) == colour;
    return found;
}

struct Ink {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

Ink inkOf(const GdiSurface& surface, PackedRgb background) {
    Ink ink;
    for (int y = 0; y < surface.deviceHeight(); ++y) {
        for (int x = 0; x < surface.deviceWidth(); ++x) {
            if (pixel(surface, x, y) == background) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

TEST(GdiSurface, FillsStopBeforeRightAndBottomAndOutlinesCoverThem) {
    GdiSurface surface(20, 20);
    ASSERT_NE(surface.dc(), nullptr);
    EXPECT_EQ(count(surface, kBlack, {0, 0, 20, 20}), 400);
    surface.fillRect({3, 3, 10, 8}, kRed);
    EXPECT_EQ(count(surface, kRed, {0, 0, 20, 20}), 7 * 5);
    EXPECT_EQ(pixel(surface, 9, 7), kRed);
    EXPECT_EQ(pixel(surface, 10, 7), kBlack);

    // The outline of (2, 2)-(10, 8) around the interior that a fill of the same box covers.
    const PixelPoint outline[4] = {{2, 2}, {10, 2}, {10, 8}, {2, 8}};
    surface.strokePolyline(outline, 4, true, {kWhite, 1, false});
    EXPECT_EQ(count(surface, kWhite, {0, 0, 20, 20}), 2 * 8 + 2 * 6);
    EXPECT_EQ(pixel(surface, 10, 8), kWhite);
    EXPECT_EQ(pixel(surface, 3, 3), kRed);
}

TEST(GdiSurface, ALineCoversItsStartPixelAndStopsBeforeItsEnd) {
    GdiSurface surface(20, 10);
    const PixelPoint line[2] = {{2, 4}, {12, 4}};
    surface.strokePolyline(line, 2, false, {kBlue, 1, false});
    EXPECT_EQ(count(surface, kBlue, {0, 0, 20, 10}), 10);
    EXPECT_EQ(pixel(surface, 2, 4), kBlue);
    EXPECT_EQ(pixel(surface, 12, 4), kBlack);

    GdiSurface dotted(20, 10);
    dotted.strokePolyline(line, 2, false, {kBlue, 1, true});
    const int dots = count(dotted, kBlue, {0, 0, 20, 10});
    EXPECT_GT(dots, 0);
    EXPECT_LT(dots, 10);
}

TEST(GdiSurface, PolygonsFillWithoutOutlineAndArcsStayInTheirBox) {
    GdiSurface surface(30, 30);
    const PixelPoint triangle[3] = {{5, 5}, {25, 5}, {5, 25}};
    surface.fillPolygon(triangle, 3, kRed);
    EXPECT_EQ(pixel(surface, 8, 8), kRed);
    EXPECT_EQ(pixel(surface, 24, 24), kBlack);
    EXPECT_EQ(count(surface, kWhite, {0, 0, 30, 30}), 0);

    GdiSurface arc(30, 30);
    // The upper half of a circle in (4, 4)-(25, 25): from the right point to the left one.
    arc.strokeArc({4, 4, 25, 25}, {24, 14}, {4, 14}, {kWhite, 1, false});
    const Ink ink = inkOf(arc, kBlack);
    EXPECT_GE(ink.left, 4);
    EXPECT_LE(ink.right, 24);
    EXPECT_GE(ink.top, 4);
    EXPECT_LE(ink.bottom, 15);
}

TEST(GdiSurface, KeyedCopySkipsTheKeyColourAndLeavesTheSourceUnchanged) {
    GdiSurface picture(8, 8);
    picture.fillRect({0, 0, 8, 8}, kWhite);
    picture.fillRect({2, 2, 6, 6}, kRed);  // red square in a white (key) border
    GdiSurface canvas(16, 16);
    canvas.fillRect({0, 0, 16, 16}, kBlue);

    canvas.copyKeyedFrom(picture, {4, 4, 12, 12}, {0, 0}, kWhite);
    EXPECT_EQ(count(canvas, kRed, {0, 0, 16, 16}), 16);
    EXPECT_EQ(count(canvas, kBlue, {0, 0, 16, 16}), 256 - 16);
    EXPECT_EQ(pixel(canvas, 6, 6), kRed);
    EXPECT_EQ(count(picture, kWhite, {0, 0, 8, 8}), 64 - 16);

    // Twice is the same picture as once.
    canvas.copyKeyedFrom(picture, {4, 4, 12, 12}, {0, 0}, kWhite);
    EXPECT_EQ(count(canvas, kRed, {0, 0, 16, 16}), 16);

    // A picture entirely of the key colour changes nothing; an offset into the source counts.
    GdiSurface blank(8, 8);
    blank.fillRect({0, 0, 8, 8}, kWhite);
    canvas.copyKeyedFrom(blank, {0, 0, 8, 8}, {0, 0}, kWhite);
    EXPECT_EQ(count(canvas, kBlue, {0, 0, 16, 16}), 256 - 16);
    canvas.copyKeyedFrom(picture, {0, 0, 2, 2}, {4, 4}, kWhite);
    EXPECT_EQ(count(canvas, kRed, {0, 0, 2, 2}), 4);

    // Another key colour makes another mask.
    canvas.copyKeyedFrom(picture, {0, 0, 8, 8}, {0, 0}, kRed);
    EXPECT_EQ(count(canvas, kWhite, {0, 0, 8, 8}), 64 - 16);
}

TEST(GdiSurface, PlainCopiesTakeSourceOffsets) {
    GdiSurface picture(10, 10);
    picture.fillRect({5, 5, 10, 10}, kRed);
    GdiSurface canvas(10, 10);
    canvas.copyFrom(picture, {0, 0, 3, 3}, {5, 5});
    EXPECT_EQ(count(canvas, kRed, {0, 0, 10, 10}), 9);
    EXPECT_EQ(pixel(canvas, 3, 0), kBlack);
}

TEST(GdiSurface, TextIsAlignedInsideItsBoxAndClippedToIt) {
    const FontSpec arial{"Arial", 12, false, false, false};
    GdiSurface surface(100, 40);
    const TextStyle white{arial, false, kWhite, {}};
    surface.drawText("12.5", {10, 10, 90, 30}, TextAlignment::Centre, white);
    const Ink ink = inkOf(surface, kBlack);
    ASSERT_GE(ink.right, 0);
    const int inkCentre = (ink.left + ink.right + 1) / 2;
    EXPECT_NEAR(inkCentre, 50, 2);
    EXPECT_NEAR((ink.top + ink.bottom + 1) / 2, 20, 3);
    const double width = surface.textWidth("12.5", arial);
    EXPECT_GT(width, 10.0);
    EXPECT_LT(width, 40.0);

    GdiSurface left(100, 40);
    left.drawText("12.5", {10, 10, 90, 30}, TextAlignment::Left, white);
    EXPECT_GE(inkOf(left, kBlack).left, 11);
    EXPECT_LE(inkOf(left, kBlack).left, 13);
    GdiSurface right(100, 40);
    right.drawText("12.5", {10, 10, 90, 30}, TextAlignment::Right, white);
    EXPECT_LE(inkOf(right, kBlack).right, 89);
    EXPECT_GE(inkOf(right, kBlack).right, 86);

    GdiSurface clipped(100, 40);
    clipped.drawText("A long line of text", {10, 10, 30, 30}, TextAlignment::Left, white);
    EXPECT_LE(inkOf(clipped, kBlack).right, 29);

    GdiSurface opaque(100, 40);
    opaque.drawText("x", {10, 10, 90, 30}, TextAlignment::Centre, {arial, false, kWhite, kRed});
    EXPECT_GT(count(opaque, kRed, {0, 0, 100, 40}), 0);
}

// The process's GDI handle table is finite (wine's holds 65536 objects): a surface that
// leaked a pen, brush or font per change would run out long before the last round, and its
// last line and text would no longer be drawn.
TEST(GdiSurface, ManyRedrawsWithChangingStylesStillDrawAtTheEnd) {
    constexpr int kRounds = 70000;
    GdiSurface surface(40, 40);
    const PixelPoint line[2] = {{0, 20}, {30, 20}};
    const auto drawRound = [&](int i, PackedRgb colour) {
        surface.fillRect({0, 0, 40, 40}, static_cast<PackedRgb>(i));
        surface.strokePolyline(line, 2, false, {colour, 1 + i % 3, false});
        surface.drawText("1", {0, 0, 40, 18}, TextAlignment::Left,
                         {{"Arial", 9 + i % 5, i % 2 == 0, false, false}, false, colour, {}});
    };
    for (int i = 0; i < kRounds; ++i)
        drawRound(i, static_cast<PackedRgb>(i * 7));
    drawRound(kRounds, kRed);
    EXPECT_EQ(pixel(surface, 5, 20), kRed);
    EXPECT_GT(count(surface, kRed, {0, 0, 40, 18}), 0);
    EXPECT_EQ(pixel(surface, 35, 35), static_cast<PackedRgb>(kRounds));
}

TEST(GdiSurface, AnEmptySurfaceDrawsNothingAndAMissingResourceGivesNone) {
    GdiSurface empty(0, 0);
    EXPECT_EQ(empty.dc(), nullptr);
    EXPECT_EQ(empty.width(), 0);
    empty.fillRect({0, 0, 5, 5}, kRed);
    EXPECT_EQ(empty.textWidth("x", {"Arial", 12}), 0.0);
    GdiSurface canvas(4, 4);
    canvas.copyKeyedFrom(empty, {0, 0, 4, 4}, {0, 0}, kWhite);
    canvas.copyFrom(empty, {0, 0, 4, 4}, {0, 0});
    EXPECT_EQ(count(canvas, kBlack, {0, 0, 4, 4}), 16);
    EXPECT_EQ(GdiSurface::fromResource(GetModuleHandleA(nullptr), 999), nullptr);
}

// At a scale factor every primitive lands on the device pixels its logical pixels cover: fills
// and copies exactly, lines and arcs as wide as the factor, text as tall as the factor makes it
// while it measures the same logical width.
TEST(GdiSurface, AtAScaleEveryPrimitiveCoversTheDevicePixelsOfItsLogicalOnes) {
    struct Case {
        double scale;
        int deviceSize;    // of a 20 x 20 logical surface
        PixelRect filled;  // device pixels of the logical fill (3, 3)-(10, 8)
        int lineRows;      // device rows a one-pixel horizontal line covers
    };
    const Case cases[] = {
        {1.0, 20, {3, 3, 10, 8}, 1},
        {1.5, 30, {5, 5, 15, 12}, 2},
        {2.0, 40, {6, 6, 20, 16}, 2},
        {3.0, 60, {9, 9, 30, 24}, 3},
    };
    GdiSurface reference(20, 20);
    const double referenceWidth = reference.textWidth("Drive 12.5 dB", {"Arial", 12});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        GdiSurface surface(20, 20, c.scale);
        ASSERT_NE(surface.dc(), nullptr);
        EXPECT_EQ(surface.width(), 20);
        EXPECT_EQ(surface.deviceWidth(), c.deviceSize);
        EXPECT_EQ(surface.deviceHeight(), c.deviceSize);

        surface.fillRect({3, 3, 10, 8}, kRed);
        const Ink fill = inkOf(surface, kBlack);
        EXPECT_EQ(fill.left, c.filled.left);
        EXPECT_EQ(fill.top, c.filled.top);
        EXPECT_EQ(fill.right + 1, c.filled.right);
        EXPECT_EQ(fill.bottom + 1, c.filled.bottom);

        GdiSurface line(20, 20, c.scale);
        const PixelPoint ends[] = {{2, 10}, {15, 10}};
        line.strokePolyline(ends, 2, false, {kWhite, 1, false});
        const Ink stroke = inkOf(line, kBlack);
        EXPECT_EQ(stroke.bottom - stroke.top + 1, c.lineRows);
        EXPECT_GE(stroke.top, static_cast<int>(10 * c.scale) - 1);
        EXPECT_LE(stroke.bottom, static_cast<int>(11 * c.scale));

        GdiSurface arc(20, 20, c.scale);
        arc.strokeArc({2, 2, 18, 18}, {18, 10}, {18, 10}, {kWhite, 1, false});
        const Ink ring = inkOf(arc, kBlack);
        EXPECT_GE(ring.left, static_cast<int>(2 * c.scale) - 1);
        EXPECT_LE(ring.right, static_cast<int>(18 * c.scale));

        // Hinting rounds each size on its own, so the logical widths agree to a pixel or two.
        EXPECT_NEAR(surface.textWidth("Drive 12.5 dB", {"Arial", 12}), referenceWidth, 2.0);
    }
}

// A 1x picture copied onto a surface at 2 covers each of its pixels' 2 x 2 device pixels, keyed
// or not, taking the source offset in logical pixels.
TEST(GdiSurface, CopiesOntoAScaledSurfaceFillTheScaledPlace) {
    GdiSurface picture(4, 4);
    picture.fillRect({0, 0, 4, 4}, kBlue);
    picture.fillRect({2, 0, 4, 4}, kRed);
    for (const bool keyed : {false, true}) {
        SCOPED_TRACE(keyed);
        GdiSurface target(10, 10, 2.0);
        target.fillRect({0, 0, 10, 10}, kWhite);
        if (keyed) {
            target.copyKeyedFrom(picture, {5, 5, 7, 9}, {1, 0}, kRed);
        } else {
            target.copyFrom(picture, {5, 5, 7, 9}, {1, 0});
        }
        EXPECT_EQ(count(target, kBlue, {0, 0, 20, 20}), 2 * 8);
        EXPECT_EQ(pixel(target, 10, 10), kBlue);
        EXPECT_EQ(pixel(target, 11, 17), kBlue);
        EXPECT_EQ(pixel(target, 12, 10), keyed ? kWhite : kRed);
        EXPECT_EQ(pixel(target, 9, 10), kWhite);
    }
}

}  // namespace
}  // namespace marrowfold::win32
