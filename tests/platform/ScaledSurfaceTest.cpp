// Surfaces at a scale factor: logical sizes round up to whole device pixels, one-pixel lines
// cover whole device pixels at whole factors, and an embedded bitmap copied to a scaled surface
// is its drawing at the nearest larger scale, not the 1x picture stretched.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "platform/PictureSource.h"
#include "platform/ScaleFactor.h"
#include "platform/cairo/CairoSurface.h"
#include "resources/bitmaps/BitmapResources.h"
#include "resources/bitmaps/PanelBitmaps.h"

namespace marrowfold {
namespace {

uint32_t pixel(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xffffff;
}

TEST(ScaleFactorTest, ConversionsRoundOutwardsAndBackAndPickTheNearestLargerBitmap) {
    struct Case {
        double factor;
        int32_t logical, device;  // a length and the device pixels that cover it
        int32_t bitmapScale;
    };
    constexpr Case kCases[] = {
        {1.0, 213, 213, 1}, {1.25, 213, 267, 2}, {1.5, 213, 320, 2}, {2.0, 213, 426, 2},
        {2.5, 364, 910, 3}, {3.0, 639, 1917, 3}, {4.0, 7, 28, 3},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.factor);
        EXPECT_EQ(toDevicePixels(c.logical, c.factor), c.device);
        EXPECT_EQ(toLogicalPixels(c.device, c.factor), c.logical);
        EXPECT_EQ(bitmapScaleFor(c.factor, kLargestBitmapScale), c.bitmapScale);
    }
    for (const double outside : {0.0, 0.99, -2.0, std::nan("")})
        EXPECT_EQ(usableScaleFactor(outside), 1.0) << outside;
    EXPECT_EQ(usableScaleFactor(9.0), kLargestScaleFactor);
}

TEST(ScaledSurfaceTest, OnePixelLinesAndRectanglesCoverWholeDevicePixelsAtWholeFactors) {
    for (const int factor : {2, 3}) {
        SCOPED_TRACE(factor);
        std::unique_ptr<CairoSurface> picture = CairoSurface::picture(10, 6, factor);
        EXPECT_EQ(picture->width(), 10);
        EXPECT_EQ(cairo_image_surface_get_width(picture->surface()), 10 * factor);
        const PixelPoint line[] = {{1, 2}, {8, 2}};
        picture->strokePolyline(line, 2, false, PenStyle{0xffffff, 1, false});
        picture->fillRect({4, 4, 5, 5}, 0x00ff00);
        picture->flush();
        cairo_surface_t* pixels = picture->surface();
        // Every device pixel of logical row 2 from column 1 to 7 is white, nothing beside it.
        for (int y = 0; y < 6 * factor; ++y) {
            for (int x = 0; x < 10 * factor; ++x) {
                const bool onLine = y / factor == 2 && x / factor >= 1 && x / factor < 8;
                const bool onSquare = y / factor == 4 && x / factor == 4;
                const uint32_t want = onLine ? 0xffffff : (onSquare ? 0x00ff00 : 0);
                ASSERT_EQ(pixel(pixels, x, y), want) << x << ", " << y;
            }
        }
    }
}

// A 1x picture stretched by 2 is made of uniform 2 x 2 blocks; the drawing at 2 is not.
TEST(ScaledSurfaceTest, ABitmapCopiedAtAFactorIsDrawnAtTheNearestLargerScaleNotStretched) {
    setPictureSource(&findScaledBitmapResource, kLargestBitmapScale);
    std::unique_ptr<CairoSurface> bitmap = CairoSurface::embeddedBitmap(SplashBitmap);
    ASSERT_TRUE(bitmap);
    const int32_t width = bitmap->width();
    const int32_t height = bitmap->height();
    std::unique_ptr<CairoSurface> twice = CairoSurface::picture(width, height, 2.0);
    twice->copyFrom(*bitmap, {0, 0, width, height}, {0, 0});
    cairo_surface_t* pixels = twice->surface();
    int mixedBlocks = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t corner = pixel(pixels, 2 * x, 2 * y);
            mixedBlocks += pixel(pixels, 2 * x + 1, 2 * y) != corner ||
                           pixel(pixels, 2 * x, 2 * y + 1) != corner ||
                           pixel(pixels, 2 * x + 1, 2 * y + 1) != corner;
        }
    }
    EXPECT_GT(mixedBlocks, width * height / 100) << "finer detail than the 1x picture holds";
    // Between whole factors the 2x drawing is filtered to the window's size.
    std::unique_ptr<CairoSurface> between = CairoSurface::picture(width, height, 1.5);
    between->copyFrom(*bitmap, {0, 0, width, height}, {0, 0});
    EXPECT_EQ(cairo_image_surface_get_width(between->surface()), toDevicePixels(width, 1.5));
    EXPECT_EQ(pixel(between->surface(), 1, 1), pixel(bitmap->surface(), 0, 0))
        << "the panel colour in the corner, not black from outside the picture";
}

}  // namespace
}  // namespace marrowfold
