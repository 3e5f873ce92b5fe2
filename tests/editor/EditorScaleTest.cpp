// The editor at a scale factor on the in-memory window system: where the factor comes from, and
// the window drawn at 2 is the one drawn at 1, sharper. Sizes at each factor, drags and clicks
// are tested with the real pointer on X11.

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/EffectRecord.h"
#include "core/VendorRequests.h"
#include "tests/editor/EditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr Point kEditButton{330, 195};

class ScaledEditorTest : public EditorTest {
  protected:
    void offerScale(float factor) {
        ASSERT_EQ(effect->vendorSpecific(kScaleRequestIndex, kScaleRequestValue, nullptr, factor),
                  1);
    }
    std::pair<int32_t, int32_t> rectAnswer() {
        EditorRect* rect = nullptr;
        editor->getBounds(&rect);
        return {rect->right - rect->left, rect->bottom - rect->top};
    }
    std::pair<int32_t, int32_t> deviceSize() {
        return {cairo_image_surface_get_width(surface()),
                cairo_image_surface_get_height(surface())};
    }
};

TEST_F(ScaledEditorTest, FactorsOutsideTheRangeAreRefusedAndTheDesktopsIsTakenWithoutOne) {
    for (const float refused : {0.5f, 4.5f, NAN, INFINITY}) {
        EXPECT_EQ(effect->vendorSpecific(kScaleRequestIndex, kScaleRequestValue, nullptr, refused),
                  0);
    }
    // Before the window opens the editor answers its expanded size.
    headless().setDesktopScaleFactor(2.0);
    EXPECT_EQ(rectAnswer(), std::make_pair(1456, 426));
    offerScale(1.5f);
    EXPECT_EQ(rectAnswer(), std::make_pair(1092, 320)) << "the host's factor comes first";
    // A window system that draws at 1 only keeps the editor at 1, open or not.
    headless().setLargestScaleFactor(1.0);
    EXPECT_EQ(rectAnswer(), std::make_pair(728, 213));
    open();
    EXPECT_EQ(rectAnswer(), std::make_pair(364, 213));
    EXPECT_EQ(deviceSize(), std::make_pair(364, 213));
}

// The 2x window reduced by 2 (each 2 x 2 block averaged) against the 1x window: the same
// picture, apart from antialiased text edges.
TEST_F(ScaledEditorTest, TheTwiceDrawnPanelReducedByTwoMatchesThePanelAtOne) {
    open();
    click(kEditButton);
    editor->redrawFrame();
    cairo_surface_t* reference = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 728, 213);
    cairo_t* copy = cairo_create(reference);
    cairo_set_source_surface(copy, surface(), 0, 0);
    cairo_paint(copy);
    cairo_destroy(copy);
    close();

    offerScale(2.0f);
    open();
    click(kEditButton);
    editor->redrawFrame();
    constexpr int kFarOff = 64;
    int64_t totalDifference = 0;
    int farOff = 0;
    for (int y = 0; y < 213; ++y) {
        for (int x = 0; x < 728; ++x) {
            const uint32_t want = pixelAt(reference, x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += (pixelAt(surface(), 2 * x + dx, 2 * y + dy) >> shift) & 0xff;
                const int difference = std::abs(sum / 4 - static_cast<int>((want >> shift) & 0xff));
                totalDifference += difference;
                if (difference > kFarOff) farOff++;
            }
        }
    }
    cairo_surface_destroy(reference);
    const double channels = 728.0 * 213.0 * 3.0;
    std::printf("2x reduced against 1x: mean difference %.2f, %.2f %% of channels far off\n",
                totalDifference / channels, 100.0 * farOff / channels);
    EXPECT_LT(totalDifference / channels, 3.0) << "mean difference per channel";
    EXPECT_LT(farOff / channels, 0.02) << "share of channels far off";
}

}  // namespace
}  // namespace marrowfold::testing
