// What the band editor view draws: pixel checks of its parts in the editor's palette, every
// frequency label whole and apart from the others, and golden images of whole views (a mismatch
// writes the picture and a difference image).

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gui/Canvas.h"
#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {
namespace {

constexpr int kTextTolerance = 48;
// The frequency labels' row in the view: the strip's top plus the label offset, one label high.
constexpr int kLabelTop = 133 + 9;
constexpr int kLabelHeight = 9;
constexpr int kAxisFont = 6;
constexpr int kSampleWidth = 40;
constexpr int kChannelTolerance = 8;

struct Picture {
    explicit Picture(cairo_surface_t* s) : surface(s) {}
    ~Picture() { cairo_surface_destroy(surface); }
    uint32_t at(int x, int y) const { return pixelAt(surface, x, y); }
    cairo_surface_t* surface;
};

OwnedView<BandEditorView> paintedView() {
    OwnedView<BandEditorView> view(
        new BandEditorView({0, 0, kViewWidth, kViewHeight}, nullptr, 9, 4, 44100));
    paintInEditorColours(*view);
    return view;
}

// A text as the axis draws it, white on panel blue, cut to the columns its ink covers.
struct InkSample {
    explicit InkSample(const char* text) {
        cairo_surface_t* scratch =
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSampleWidth, kLabelHeight);
        {
            CairoCanvas canvas(nullptr, scratch);
            canvas.setFillColour(kPanelBlue);
            canvas.fillRect({-1, -1, kSampleWidth, kLabelHeight});
            canvas.selectFont(kAxisFont);
            canvas.setTextColour({255, 255, 255, 0});
            canvas.drawText(text, {0, 0, kSampleWidth, kLabelHeight});
        }
        cairo_surface_flush(scratch);
        int first = kSampleWidth, last = -1;
        for (int x = 0; x < kSampleWidth; ++x) {
            for (int y = 0; y < kLabelHeight; ++y) {
                if (pixelAt(scratch, x, y) != rgb(kPanelBlue)) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        pixels = crop(scratch, {first, 0, last + 1, kLabelHeight});
        width = last + 1 - first;
        cairo_surface_destroy(scratch);
    }
    ~InkSample() { cairo_surface_destroy(pixels); }
    // Whether the label row of the picture shows the sample with its left ink column at x.
    bool shownAt(const Picture& picture, int x) const {
        for (int dx = 0; dx < width; ++dx) {
            for (int dy = 0; dy < kLabelHeight; ++dy) {
                const uint32_t want = pixelAt(pixels, dx, dy);
                const uint32_t got = picture.at(x + dx, kLabelTop + dy);
                for (int shift = 0; shift <= 16; shift += 8) {
                    const int a = static_cast<int>((want >> shift) & 0xff);
                    const int b = static_cast<int>((got >> shift) & 0xff);
                    if (std::abs(a - b) > kChannelTolerance) return false;
                }
            }
        }
        return true;
    }
    cairo_surface_t* pixels;
    int width;
};

TEST(BandEditorPicture, EveryFrequencyLabelIsWholeInsideTheViewAndApartFromTheOthers) {
    OwnedView<BandEditorView> view = paintedView();
    Picture picture(renderAlone(*view));
    const char* labels[] = {"0.025", "0.05", "0.1", "0.2",  "0.4", "0.8",
                            "1.6",   "3.2",  "6.4", "12.8", "kHz"};
    int previousEnd = 0;  // the view's left edge: a label must leave a clear column after it
    for (const char* label : labels) {
        const InkSample sample(label);
        std::vector<int> places;
        for (int x = 0; x + sample.width <= kViewWidth; ++x) {
            if (sample.shownAt(picture, x)) places.push_back(x);
        }
        ASSERT_EQ(places.size(), 1u) << "\"" << label << "\" is not drawn whole, once";
        EXPECT_GT(places[0], previousEnd) << label << " touches what stands left of it";
        previousEnd = places[0] + sample.width;
    }
    EXPECT_LT(previousEnd, kViewWidth) << "the unit touches the view's right edge";
}

TEST(BandEditorPicture, DefaultLayoutInTheEditorsPalette) {
    OwnedView<BandEditorView> view = paintedView();
    Picture picture(renderAlone(*view));
    const uint32_t blue = rgb(kPanelBlue);
    EXPECT_EQ(picture.at(0, 0), blue);
    EXPECT_EQ(picture.at(245, 60), blue) << "level strip";
    EXPECT_EQ(picture.at(247, 150), blue);
    // Grid: the -5 dB line and the 50 Hz line inside band 0's bar; the area's outline.
    EXPECT_EQ(picture.at(20, 82), rgb(kSlate));
    EXPECT_EQ(picture.at(28, 100), rgb(kSlate));
    EXPECT_EQ(picture.at(238, 40), rgb(kSlate));
    // Bars: shared sides at the edges down to y 132, tops at 0 dB (y 66), rounded corners.
    const uint32_t band = rgb(kLightBlue);
    EXPECT_EQ(picture.at(63, 100), band);
    EXPECT_EQ(picture.at(63, 132), band);
    EXPECT_EQ(picture.at(80, 66), band);
    EXPECT_NE(picture.at(63, 66), band) << "corners are round";
    EXPECT_NE(picture.at(64, 67), band);
    // Markers: light grey diamonds framed in dark grey around every handle.
    EXPECT_EQ(picture.at(34, 66), 0xc8c8c8u);
    EXPECT_EQ(picture.at(121, 127), 0xc8c8c8u);
    EXPECT_EQ(picture.at(30, 66), 0x646464u);
    EXPECT_EQ(picture.at(34, 72), 0x646464u);
    expectMatchesGolden(picture.surface, "band_view_default", kTextTolerance);
}

TEST(BandEditorPicture, SoloBandIsOutlinedTwoPixelsWideInPaleCyan) {
    OwnedView<BandEditorView> view = paintedView();
    const float edges[] = {40, 160, 900, 2000, 16000};
    const float drives[] = {20, -20, 7.5f, -6};
    view->loadBands(edges, drives);
    Picture plain(renderAlone(*view));
    EXPECT_EQ(countPixels(plain.surface, rgb(kPaleCyan), 0, 0, kViewWidth, kViewHeight), 0);
    view->selectBand(2);
    view->showSolo(true);
    Picture solo(renderAlone(*view));
    const int32_t left = view->edgePoint(2).h;
    const int32_t y = 100;
    EXPECT_EQ(solo.at(left, y), rgb(kPaleCyan));
    EXPECT_EQ(countPixels(solo.surface, rgb(kPaleCyan), left - 1, y, left + 2, y + 1), 2);
    EXPECT_EQ(solo.at(view->edgePoint(1).h, y), rgb(kLightBlue)) << "band 1 stays as it was";
    expectMatchesGolden(solo.surface, "band_view_solo", kTextTolerance);
}

TEST_F(BandViewTest, ReadoutDuringADragMatchesItsGoldenImage) {
    editor->idle();
    cairo_surface_t* during = nullptr;
    RecordingEffect::onHostIdle([&] {
        if (!during) during = crop(surface(), view->bounds());
    });
    dragLocal({179, 127}, {{190, 127}, {200, 127}, {205, 127}}, kMouseLeft, 60);
    ASSERT_NE(during, nullptr);
    Picture picture(during);
    EXPECT_GT(countPixels(picture.surface, 0x61c8ff, 0, 0, kViewWidth, kViewHeight), 40);
    expectMatchesGolden(picture.surface, "band_view_readout", kTextTolerance);
}

}  // namespace
}  // namespace marrowfold::testing
