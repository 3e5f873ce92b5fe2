// The band editor view under the scripted mouse, in a frame at (100, 40): which handle a press
// takes, how drags and their modifiers change edges and drives, what is reported, and the
// readout. Expected values are worked out by hand from 25 Hz x 882^(e/4) for the default edges.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {
namespace {

constexpr int32_t kHostIdleOpcode = 3;
const std::vector<float> kDefaultEdges = {25.0f, 136.2408f, 742.4621f, 4046.145f, 22050.0f};

void expectNear(const std::vector<float>& got, const std::vector<float>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i], want[i], std::fabs(want[i]) * 1e-5 + 1e-6) << "entry " << i;
    }
}

TEST_F(BandViewTest, ShiftClickOnAnEdgeSnapsItToItsDefault) {
    load({25, 200, 1000, 5000, 20000}, {1, 2, 3, 4});
    ASSERT_EQ(view->edgePoint(2), (Point{131, 127}));
    clickLocal({131, 127}, kMouseLeft | kKeyShift);
    EXPECT_EQ(flagListener.flags, (std::vector<int32_t>{16 + 2}));
    expectNear(edges(), {25, 200, 742.4621f, 5000, 20000});
    EXPECT_EQ(drives(), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(view->readout().line(0), " 742 Hz");
    EXPECT_EQ(view->selectedBand(), -1) << "edges do not select";
    EXPECT_EQ(view->activeHandle(), -1);
    EXPECT_FALSE(view->readoutShown());
    EXPECT_EQ(view->takeChangeFlags(), 0) << "the listener took them";
}

TEST_F(BandViewTest, ClickInsideABandAwayFromHandlesSelectsItOnly) {
    clickLocal({190, 100});
    EXPECT_EQ(flagListener.flags, (std::vector<int32_t>{64 + 3}));
    EXPECT_EQ(view->selectedBand(), 3);
    expectNear(edges(), kDefaultEdges);
    EXPECT_EQ(drives(), (std::vector<float>{0, 0, 0, 0}));
    clickLocal({240, 20});  // right of the last edge: still the last band
    EXPECT_EQ(flagListener.flags.back(), 64 + 3);
    clickLocal({70, 30});
    EXPECT_EQ(flagListener.flags.back(), 64 + 1);
}

TEST_F(BandViewTest, ClickLeftOfTheLowestEdgeReportsNothing) {
    load({100, 200, 1000, 5000, 20000}, {0, 0, 0, 0});
    ASSERT_EQ(view->edgePoint(0).h, 52);
    clickLocal({20, 60});
    EXPECT_TRUE(flagListener.flags.empty());
    EXPECT_EQ(view->selectedBand(), -1);
}

TEST_F(BandViewTest, DraggedEdgesStopHalfAnOctaveFromTheirNeighbours) {
    dragLocal({63, 127}, {{100, 127}, {200, 127}, {230, 120}});  // edge 1 onto edge 2
    EXPECT_NEAR(edges()[1], 525.0f, 0.01f);                      // 742.46 / sqrt(2) = 25 x 21
    for (int32_t f : flagListener.flags)
        EXPECT_EQ(f, 16 + 1);
    EXPECT_EQ(flagListener.flags.size(), 4u);
    dragLocal({179, 127}, {{150, 127}, {10, 127}});  // edge 3 back onto edge 2
    EXPECT_NEAR(edges()[3], 1050.0f, 0.02f);
    EXPECT_NEAR(edges()[2], 742.4621f, 0.01f);
}

TEST_F(BandViewTest, OutermostEdgesStopAt25HzAndHalfTheRate) {
    load({100, 200, 1000, 5000, 10000}, {0, 0, 0, 0});
    dragLocal({52, 127}, {{30, 127}, {-50, 127}});
    EXPECT_FLOAT_EQ(edges()[0], 25.0f);
    dragLocal({210, 127}, {{230, 127}, {300, 127}});  // edge 4 at 209.95
    EXPECT_NEAR(edges()[4], 22050.0f, 0.5f);
    EXPECT_EQ(flagListener.flags.back(), 16 + 4);
}

TEST_F(BandViewTest, BarTopsDraggedOutOfThePlotStopAtPlusAndMinus20Db) {
    dragLocal({92, 66}, {{92, 40}, {92, -30}});
    EXPECT_FLOAT_EQ(drives()[1], 20.0f);
    EXPECT_EQ(view->selectedBand(), 1);
    dragLocal({150, 66}, {{150, 100}, {150, 400}});
    EXPECT_FLOAT_EQ(drives()[2], -20.0f);
    EXPECT_EQ(view->selectedBand(), 2);
    EXPECT_EQ(flagListener.flags.back(), 32 + 2);
    dragLocal({208, 66}, {{208, 96}});  // 30 pixels down: -10 dB
    EXPECT_FLOAT_EQ(drives()[3], -10.0f);
    expectNear(edges(), kDefaultEdges);
}

TEST_F(BandViewTest, PlainClickOnAHandleReportsItWithoutChangingIt) {
    load({25, 200, 1000, 5000, 20000}, {-3.333f, 0, 0, 0});
    clickLocal(view->drivePoint(0));
    EXPECT_EQ(flagListener.flags, (std::vector<int32_t>{32 + 0}));
    EXPECT_FLOAT_EQ(drives()[0], -3.333f);
    EXPECT_EQ(view->readout().line(0), " -3.3 dB");
    clickLocal(view->edgePoint(3));
    EXPECT_NEAR(edges()[3], 5000.0f, 0.01f);
    EXPECT_EQ(view->readout().line(0), " 5.0 kHz");
}

TEST_F(BandViewTest, ReadoutsShowKilohertzFrom1000Hz) {
    clickLocal({179, 127});
    EXPECT_EQ(view->readout().line(0), " 4.0 kHz");  // 4046.14 Hz
    clickLocal({63, 127});
    EXPECT_EQ(view->readout().line(0), " 136 Hz");
    load({25, 200, 999.6f, 5000, 20000}, {0, 0, 0, 0});
    clickLocal(view->edgePoint(2));
    EXPECT_EQ(view->readout().line(0), " 1000 Hz");
}

TEST_F(BandViewTest, OverlappingHandlesGoToTheHigherNumber) {
    // Edges 1 and 2 half an octave apart at x 107 and 119; band 1's bar top at the bottom.
    load({25, 500, 707.1068f, 5000, 20000}, {0, -20, 0, 0});
    ASSERT_EQ(view->edgePoint(1).h, 107);
    ASSERT_EQ(view->edgePoint(2).h, 119);
    ASSERT_EQ(view->drivePoint(1), (Point{113, 126}));
    clickLocal({113, 126});  // inside the widened rectangles of all three
    EXPECT_EQ(flagListener.flags, (std::vector<int32_t>{16 + 2}));
    dragLocal({112, 126}, {{160, 126}});
    EXPECT_EQ(flagListener.flags.back(), 16 + 2);
    EXPECT_GT(edges()[2], 1000.0f);
    EXPECT_NEAR(edges()[1], 500.0f, 0.01f);
    EXPECT_FLOAT_EQ(drives()[1], -20.0f);
}

TEST_F(BandViewTest, ControlGivesFineStepsAndShiftResetsADrive) {
    const uint32_t fine = kMouseLeft | kKeyControl;
    dragLocal({63, 127}, {{80, 127}, {113, 140}, {163, 127}}, fine);  // 100 pixels right
    EXPECT_NEAR(edges()[1], 136.2408f * std::pow(2.0f, 0.1f), 0.01f);
    dragLocal({34, 66}, {{34, 76}, {34, 116}}, fine);  // 50 pixels down
    EXPECT_NEAR(drives()[0], -0.5f, 1e-5f);
    dragLocal({92, 66}, {{92, 21}});
    ASSERT_FLOAT_EQ(drives()[1], 15.0f);
    clickLocal(view->drivePoint(1), kMouseLeft | kKeyShift);
    EXPECT_FLOAT_EQ(drives()[1], 0.0f);
}

TEST_F(BandViewTest, OnlyALeftPressOnAnEnabledViewDoesAnything) {
    clickLocal({63, 127}, kMouseRight);
    view->enableMouse(false);
    clickLocal({63, 127});
    EXPECT_TRUE(flagListener.flags.empty());
}

// While the mouse is held the editor idles, so the frame redraws the view with its readout.
TEST_F(BandViewTest, TrackingLetsTheEditorIdleAndRedrawWithTheReadout) {
    editor->idle();
    int readoutPixelsSeen = 0;
    int idles = 0;
    const Rect place = view->bounds();
    RecordingEffect::onHostIdle([&] {
        ++idles;
        readoutPixelsSeen +=
            countPixels(surface(), 0x61c8ff, place.left, place.top, place.right, place.bottom);
    });
    dragLocal({150, 66}, {{150, 60}, {150, 50}, {150, 40}}, kMouseLeft, 60);
    EXPECT_GE(idles, 2);
    EXPECT_GT(readoutPixelsSeen, 0);
    EXPECT_FLOAT_EQ(drives()[2], (126.0f - 40.0f) / 3.0f - 20.0f);
    editor->idle();  // released: the readout is gone
    EXPECT_EQ(countPixels(surface(), 0x61c8ff, place.left, place.top, place.right, place.bottom),
              0);
}

// The spectrum's toggle in the handle area's top right corner: without audio it is not there and
// a click selects the band below; shown, a click flips the spectrum and reports nothing; a drive
// handle raised under it takes the click instead.
TEST_F(BandViewTest, SpectrumToggleFlipsTheSpectrumButNeverTakesAHandlesClick) {
    const Rect box = view->spectrumToggleRect();
    const Point centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    clickLocal(centre);
    EXPECT_EQ(flagListener.flags, (std::vector<int32_t>{64 + 3}));
    EXPECT_TRUE(view->spectrumShown());

    view->showSpectrumToggle(true);
    clickLocal(centre);
    EXPECT_FALSE(view->spectrumShown());
    clickLocal(centre);
    EXPECT_TRUE(view->spectrumShown());
    EXPECT_EQ(flagListener.flags.size(), 1u) << "the toggle reports no change";

    load({25, 200, 1000, 16000, 22050}, {0, 0, 0, 20});
    ASSERT_TRUE(box.containsInclusive(view->drivePoint(3))) << "band 4's drive handle is under it";
    clickLocal(view->drivePoint(3));
    EXPECT_EQ(flagListener.flags.back(), 32 + 3);
    EXPECT_TRUE(view->spectrumShown());
}

}  // namespace
}  // namespace marrowfold::testing
