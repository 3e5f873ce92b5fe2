// What the band editor view draws: pixel checks of its parts in the editor's palette, and golden
// images of whole views (a mismatch writes the picture and a difference image).

#include <gtest/gtest.h>

#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {
namespace {

constexpr int kTextTolerance = 48;

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
