// The spectrum plot and the level meter, each drawn alone: where their scales put 0 dB and the
// floor, what silence draws (nothing, or the bare panel), and a golden image of each (a mismatch
// writes the picture and a difference image).

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "editor/LevelMeterView.h"
#include "editor/SpectrumPlot.h"
#include "gui/Bitmap.h"
#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {
namespace {

constexpr uint32_t kBackground = 0xff00ff;  // what renderAlone fills the picture with
constexpr uint32_t kInputLine = 0x4982ab;

// 96 columns, 48 rows, away from the corner of the canvas.
constexpr Rect kPlotArea{10, 20, 106, 68};
constexpr int kColumns = 96;
constexpr int kGapFirst = 60;  // columns kGapFirst.. kGapLast of the input lie below the floor
constexpr int kGapLast = 67;

TEST(SpectrumPlotPicture, ZeroDecibelsAtTheTopAndMinus90AtTheBottom) {
    OwnedView<SpectrumPlot> plot(new SpectrumPlot(kPlotArea));
    EXPECT_EQ(plot->rowOf(0.0f), kPlotArea.top);
    EXPECT_EQ(plot->rowOf(6.0f), kPlotArea.top);
    EXPECT_EQ(plot->rowOf(-45.0f), kPlotArea.top + kPlotArea.height() / 2);
    EXPECT_EQ(plot->rowOf(-90.0f), kPlotArea.bottom);
    EXPECT_EQ(plot->rowOf(-120.0f), kPlotArea.bottom);
}

// The output as a hump from the floor at both ends to beyond 0 dB in the middle, the input 15 dB
// under it with a stretch below the floor.
TEST(SpectrumPlotPicture, OutputFilledInputLinedAndNothingForSilence) {
    OwnedView<SpectrumPlot> plot(new SpectrumPlot(kPlotArea));
    ASSERT_EQ(plot->columns(), kColumns);
    std::vector<float> output(kColumns);
    std::vector<float> input(kColumns);
    for (int x = 0; x < kColumns; ++x) {
        const double rise = std::sin(std::numbers::pi * x / (kColumns - 1));
        output[x] = static_cast<float>(-90.0 + 96.0 * rise * rise);
        input[x] = x >= kGapFirst && x <= kGapLast ? -120.0f : output[x] - 15.0f;
    }
    plot->setLevels(output.data(), input.data());
    cairo_surface_t* picture = renderAlone(*plot);
    const int height = kPlotArea.height();
    EXPECT_GT(countPixels(picture, kInputLine, 0, 0, kGapFirst, height), kGapFirst);
    EXPECT_EQ(countPixels(picture, kInputLine, kGapFirst + 1, 0, kGapLast, height), 0)
        << "no line below the floor";
    EXPECT_NE(pixelAt(picture, kColumns / 2, 0), kBackground) << "the top of the hump";
    EXPECT_EQ(pixelAt(picture, kColumns / 2 - 30, 0), kBackground);
    expectMatchesGolden(picture, "spectrum_plot", 0);
    cairo_surface_destroy(picture);

    plot->clear();
    EXPECT_TRUE(plot->empty());
    picture = renderAlone(*plot);
    EXPECT_EQ(countPixels(picture, kBackground, 0, 0, kColumns, height), kColumns * height);
    cairo_surface_destroy(picture);
}

// A meter 6 wide and 60 high at (20, 10) on a panel whose rows above 40 are slate, the rest panel
// blue.
class LevelMeterPicture : public ::testing::Test {
  protected:
    static constexpr Rect kMeter{20, 10, 26, 70};
    static constexpr int kPanelSplit = 40;

    void SetUp() override {
        std::unique_ptr<CairoSurface> picture = CairoSurface::picture(40, 80);
        picture->fillRect({0, 0, 40, kPanelSplit}, rgb(kSlate));
        picture->fillRect({0, kPanelSplit, 40, 80}, rgb(kPanelBlue));
        panel = new Bitmap(0, std::move(picture));
        meter.reset(new LevelMeterView(kMeter, panel));
    }
    void TearDown() override {
        meter.reset();
        panel->release();
    }
    // Picture rows (0 at the meter's top) in the colour, across the whole width.
    int rowsIn(cairo_surface_t* picture, const Color& colour) const {
        return countPixels(picture, rgb(colour), 0, 0, kMeter.width(), kMeter.height()) /
               kMeter.width();
    }

    Bitmap* panel = nullptr;
    OwnedView<LevelMeterView> meter;
};

// 60 dB over 60 rows: the RMS at -40 dB fills the bottom 20 rows, the peak at -12 dB stands
// 48 rows up; the rest shows the panel under the meter.
TEST_F(LevelMeterPicture, BarAndPeakLineOverThePanel) {
    meter->setLevels(-40.0f, -12.0f);
    cairo_surface_t* picture = renderAlone(*meter);
    const int bottom = kMeter.height();
    EXPECT_EQ(rowsIn(picture, kLightBlue), 20);
    EXPECT_EQ(pixelAt(picture, 0, bottom - 20), rgb(kLightBlue));
    EXPECT_EQ(pixelAt(picture, 0, bottom - 21), rgb(kPanelBlue));
    EXPECT_EQ(rowsIn(picture, kPaleCyan), 1);
    EXPECT_EQ(pixelAt(picture, 5, bottom - 48), rgb(kPaleCyan));
    EXPECT_EQ(rowsIn(picture, kSlate), kPanelSplit - kMeter.top - 1);
    expectMatchesGolden(picture, "level_meter", 0);
    cairo_surface_destroy(picture);
}

TEST_F(LevelMeterPicture, AtTheFloorOnlyThePanelShows) {
    meter->setLevels(-60.0f, -75.0f);
    cairo_surface_t* picture = renderAlone(*meter);
    EXPECT_EQ(rowsIn(picture, kSlate), kPanelSplit - kMeter.top);
    EXPECT_EQ(rowsIn(picture, kPanelBlue), kMeter.bottom - kPanelSplit);
    cairo_surface_destroy(picture);
}

}  // namespace
}  // namespace marrowfold::testing
