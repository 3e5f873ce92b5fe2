// Bitmaps: the module's pictures load at the sizes the editor lays out, areas copy from their
// offset, keyed drawing leaves the key colour's pixels alone and never changes the bitmap.

#include <gtest/gtest.h>

#include "gui/Bitmap.h"
#include "tests/gui/GuiTestSupport.h"

namespace marrowfold::testing {
namespace {

constexpr uint32_t kBackground = 0x102030;

// A 4 x 2 picture: top row red, green, white, blue; bottom row all white.
cairo_surface_t* patternPicture() {
    cairo_surface_t* picture = filledSurface(4, 2, 0xffffff);
    unsigned char* data = cairo_image_surface_get_data(picture);
    auto* row = reinterpret_cast<uint32_t*>(data);
    row[0] = 0xff0000;
    row[1] = 0x00ff00;
    row[3] = 0x0000ff;
    cairo_surface_mark_dirty(picture);
    return picture;
}

class BitmapTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        surface = filledSurface(16, 16, kBackground);
    }
    void TearDown() override {
        cairo_surface_destroy(surface);
        HeadlessTest::TearDown();
    }
    cairo_surface_t* surface = nullptr;
};

TEST_F(BitmapTest, ModuleBitmapsHaveTheSizesTheEditorLaysOut) {
    struct Expected {
        int id, width, height;
    };
    const Expected table[] = {{1000, 728, 213}, {1001, 365, 213}, {1002, 31, 26}, {1003, 11, 22},
                              {1004, 11, 22},   {1005, 15, 30},   {1006, 31, 26}, {1007, 31, 26},
                              {1008, 31, 26},   {1009, 31, 26},   {1010, 31, 26}, {1011, 27, 13},
                              {1012, 32, 2016}};
    for (const Expected& e : table) {
        Bitmap* bitmap = new Bitmap(e.id);
        EXPECT_EQ(bitmap->width(), e.width) << e.id;
        EXPECT_EQ(bitmap->height(), e.height) << e.id;
        EXPECT_EQ(bitmap->resourceId(), e.id);
        bitmap->release();
    }
}

TEST_F(BitmapTest, MissingResourceIsEmptyAndDrawsNothing) {
    Bitmap* missing = new Bitmap(999);
    EXPECT_EQ(missing->width(), 0);
    EXPECT_EQ(missing->height(), 0);
    {
        CairoCanvas canvas(nullptr, surface);
        missing->draw(canvas, {0, 0, 16, 16});
        missing->drawKeyed(canvas, {0, 0, 16, 16});
    }
    EXPECT_EQ(countPixels(surface, kBackground, 0, 0, 16, 16), 256);
    missing->release();
}

TEST_F(BitmapTest, ReferenceCountStartsAtOneAndFollowsRetainAndRelease) {
    Bitmap* bitmap = new Bitmap(1011);
    EXPECT_EQ(bitmap->retainCount(), 1);
    bitmap->retain();
    bitmap->retain();
    EXPECT_EQ(bitmap->retainCount(), 3);
    bitmap->release();
    bitmap->release();
    EXPECT_EQ(bitmap->retainCount(), 1);
    bitmap->release();  // deleted here; the sanitizer build would see a leak or double free
}

TEST_F(BitmapTest, DrawCopiesTheRectangleSizedAreaFromTheOffset) {
    cairo_surface_t* picture = patternPicture();
    Bitmap* bitmap = new Bitmap(1, std::make_unique<CairoSurface>(picture));
    cairo_surface_destroy(picture);
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setOriginOffset({1, 1});
        bitmap->draw(canvas, {4, 4, 6, 5}, {1, 0});  // green, white at (5..6, 5)
    }
    EXPECT_EQ(pixelAt(surface, 5, 5), 0x00ff00u);
    EXPECT_EQ(pixelAt(surface, 6, 5), 0xffffffu);
    EXPECT_EQ(pixelAt(surface, 7, 5), kBackground);
    EXPECT_EQ(pixelAt(surface, 5, 6), kBackground);
    EXPECT_EQ(countPixels(surface, kBackground, 0, 0, 16, 16), 254);
    bitmap->release();
}

TEST_F(BitmapTest, KeyedDrawingLeavesKeyPixelsAndKeepsTheBitmapIntact) {
    cairo_surface_t* picture = patternPicture();
    Bitmap* bitmap = new Bitmap(1, std::make_unique<CairoSurface>(picture));
    cairo_surface_destroy(picture);
    {
        CairoCanvas canvas(nullptr, surface);
        bitmap->drawKeyed(canvas, {0, 0, 4, 2});
        bitmap->drawKeyed(canvas, {0, 0, 4, 2});  // twice gives the same picture as once
        bitmap->draw(canvas, {0, 4, 4, 6});       // the bitmap itself is unchanged
    }
    EXPECT_EQ(pixelAt(surface, 0, 0), 0xff0000u);
    EXPECT_EQ(pixelAt(surface, 1, 0), 0x00ff00u);
    EXPECT_EQ(pixelAt(surface, 2, 0), kBackground);
    EXPECT_EQ(pixelAt(surface, 3, 0), 0x0000ffu);
    EXPECT_EQ(countPixels(surface, kBackground, 0, 1, 4, 2), 4);
    EXPECT_EQ(pixelAt(surface, 2, 4), 0xffffffu);
    EXPECT_EQ(countPixels(surface, 0xffffff, 0, 5, 4, 6), 4);
    bitmap->release();
}

TEST_F(BitmapTest, AllKeyColourBitmapLeavesTheCanvasUnchanged) {
    cairo_surface_t* picture = filledSurface(16, 16, 0xffffff);
    Bitmap* bitmap = new Bitmap(2, std::make_unique<CairoSurface>(picture));
    cairo_surface_destroy(picture);
    {
        CairoCanvas canvas(nullptr, surface);
        bitmap->drawKeyed(canvas, {0, 0, 16, 16});
    }
    EXPECT_EQ(countPixels(surface, kBackground, 0, 0, 16, 16), 256);
    bitmap->release();
}

TEST_F(BitmapTest, ChangingTheKeyColourChangesWhichPixelsAreLeftOut) {
    cairo_surface_t* picture = patternPicture();
    Bitmap* bitmap = new Bitmap(1, std::make_unique<CairoSurface>(picture));
    cairo_surface_destroy(picture);
    {
        CairoCanvas canvas(nullptr, surface);
        bitmap->drawKeyed(canvas, {0, 0, 4, 2});
        bitmap->setKeyColour({255, 0, 0, 0});
        bitmap->drawKeyed(canvas, {0, 4, 4, 6});
    }
    EXPECT_EQ(pixelAt(surface, 0, 4), kBackground);
    EXPECT_EQ(pixelAt(surface, 2, 4), 0xffffffu);
    EXPECT_EQ(pixelAt(surface, 2, 0), kBackground);
    bitmap->release();
}

TEST_F(BitmapTest, KnobFilmstripFramesAreKeyedOutsideTheKnob) {
    Bitmap* strip = new Bitmap(1012);
    cairo_surface_t* canvasSurface = filledSurface(32, 32, kBackground);
    for (int frame : {0, 31, 62}) {
        {
            CairoCanvas canvas(nullptr, canvasSurface);
            strip->drawKeyed(canvas, {0, 0, 32, 32}, {0, frame * 32});
        }
        EXPECT_EQ(pixelAt(canvasSurface, 0, 0), kBackground) << frame;
        EXPECT_EQ(pixelAt(canvasSurface, 31, 31), kBackground) << frame;
        EXPECT_NE(pixelAt(canvasSurface, 16, 16), kBackground) << frame;
    }
    cairo_surface_destroy(canvasSurface);
    strip->release();
}

}  // namespace
}  // namespace marrowfold::testing
