// The band editor view without the mouse: its geometry, the default layout, loading and storing
// presets through the edge and drive clamps, hostile preset values, and sample-rate changes.
// Expected frequencies come from 25 Hz x 882^(e/4) (882 = 22050 / 25) and pixel positions from
// 232 pixels over log2(882) = 9.7846 octaves, computed by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "editor/BandEditorView.h"
#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {
namespace {

OwnedView<BandEditorView> makeView(int32_t rate = 44100) {
    return OwnedView<BandEditorView>(new BandEditorView({390, 32, 638, 183}, nullptr, 9, 4, rate));
}

struct Bands {
    std::vector<float> edges = std::vector<float>(5);
    std::vector<float> drives = std::vector<float>(4);
};

Bands stored(const BandEditorView& view) {
    Bands b;
    view.storeBands(b.edges.data(), b.drives.data());
    return b;
}

void expectEdges(const BandEditorView& view, const std::vector<double>& hz) {
    const Bands b = stored(view);
    for (size_t e = 0; e < hz.size(); ++e) {
        EXPECT_NEAR(b.edges[e], hz[e], hz[e] * 1e-5) << "edge " << e;
    }
}

void expectInsideHandleArea(const BandEditorView& view) {
    const Rect& area = view.handleArea();
    for (int32_t i = 0; i < 9; ++i) {
        const Point p = i < 4 ? view.drivePoint(i) : view.edgePoint(i - 4);
        EXPECT_TRUE(area.containsInclusive(p)) << "handle " << i << " at " << p.h << "," << p.v;
    }
}

TEST(BandEditorLayout, DefaultLayoutSpreadsEdgesEvenlyInOctaves) {
    OwnedView<BandEditorView> view = makeView();
    EXPECT_EQ(view->plotArea(), (Rect{0, 0, 243, 133}));
    EXPECT_EQ(view->handleArea(), (Rect{5, 6, 238, 127}));
    EXPECT_EQ(view->tag(), 9);
    EXPECT_EQ(view->bandCount(), 4);
    EXPECT_EQ(view->selectedBand(), -1);
    EXPECT_NEAR(view->defaultEdge(2), 742.462, 0.001);  // 25 x sqrt(882)
    expectEdges(*view, {25.0, 136.2408, 742.4621, 4046.145, 22050.0});
    EXPECT_EQ(stored(*view).drives, (std::vector<float>{0, 0, 0, 0}));
    const int32_t xs[] = {5, 63, 121, 179, 237};  // 58 pixels per band
    for (int32_t e = 0; e < 5; ++e)
        EXPECT_EQ(view->edgePoint(e), (Point{xs[e], 127}));
    const int32_t middles[] = {34, 92, 150, 208};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(view->drivePoint(i), (Point{middles[i], 66}));
}

TEST(BandEditorLayout, LoadedPresetIsPlacedOnTheScalesAndStoredBack) {
    OwnedView<BandEditorView> view = makeView();
    const float edges[] = {40, 200, 1000, 5000, 16000};
    const float drives[] = {-3, 0, 6, 12};
    view->loadBands(edges, drives);
    expectEdges(*view, {40, 200, 1000, 5000, 16000});
    EXPECT_EQ(stored(*view).drives, (std::vector<float>{-3, 0, 6, 12}));
    EXPECT_EQ(view->edgePoint(1).h, 76);   // 3 octaves: 71.13 pixels
    EXPECT_EQ(view->edgePoint(2).h, 131);  // 5.32 octaves: 126.19 pixels
    EXPECT_EQ(view->drivePoint(1).h, 76 + (131 - 76) / 2);
    EXPECT_EQ(view->drivePoint(0).v, 75);  // 3 pixels per dB below y 66
    EXPECT_EQ(view->drivePoint(2).v, 48);
    EXPECT_EQ(view->drivePoint(3).v, 30);
}

TEST(BandEditorLayout, LoadingClampsEdgesAndDrives) {
    OwnedView<BandEditorView> view = makeView();
    // Too close: the upper edge stays and the lower one keeps half an octave below it.
    const float edges[] = {10, 1000, 1100, 5000, 30000};
    const float drives[] = {25, -40, 20, -20};
    view->loadBands(edges, drives);
    expectEdges(*view, {25, 1100 / std::sqrt(2.0), 1100, 5000, 22050});
    EXPECT_EQ(stored(*view).drives, (std::vector<float>{20, -20, 20, -20}));
    EXPECT_EQ(view->drivePoint(0).v, 6);
    EXPECT_EQ(view->drivePoint(1).v, 126);
    // Negative frequencies count by their magnitude.
    const float negative[] = {-100, -500, -1000, -5000, -10000};
    view->loadBands(negative, drives);
    expectEdges(*view, {100, 500, 1000, 5000, 10000});
}

TEST(BandEditorLayout, HostilePresetValuesEndAtTheLimits) {
    OwnedView<BandEditorView> view = makeView();
    const float nan = std::nanf("");
    const float edges[] = {nan, 0.0f, -1000.0f, INFINITY, nan};
    const float drives[] = {nan, INFINITY, -INFINITY, 5.0f};
    view->loadBands(edges, drives);
    const Bands b = stored(*view);
    for (float hz : b.edges) {
        EXPECT_TRUE(std::isfinite(hz));
        EXPECT_GT(hz, 0.0f);
    }
    EXPECT_EQ(b.drives, (std::vector<float>{-20, 20, -20, 5}));
    expectInsideHandleArea(*view);
    view->loadBands(nullptr, drives);  // nothing to load: unchanged
    EXPECT_EQ(stored(*view).drives, b.drives);
}

TEST(BandEditorLayout, SampleRateChangeMovesTheTopAndTheAxis) {
    OwnedView<BandEditorView> view = makeView();
    view->setSampleRate(22050);
    EXPECT_EQ(view->sampleRate(), 22050);
    expectEdges(*view, {25, 136.2408, 742.4621, 4046.145, 11025});
    EXPECT_FLOAT_EQ(view->frequencyAxis().maximum(), 11.025f);
    EXPECT_EQ(view->grid().xPositions().size(), 9u);  // 0.025 .. 6.4 kHz
    EXPECT_EQ(view->grid().xPositions().front(), 5);
    EXPECT_EQ(view->grid().yPositions().size(), 9u);  // every 5 dB
    EXPECT_NEAR(view->defaultEdge(4), 11025.0, 0.01);

    view->setSampleRate(8000);  // edge 3 keeps half an octave below the new top
    expectEdges(*view, {25, 136.2408, 742.4621, 4000 / std::sqrt(2.0), 4000});
    view->setSampleRate(44100);  // edges already inside stay where they are
    expectEdges(*view, {25, 136.2408, 742.4621, 4000 / std::sqrt(2.0), 4000});
}

TEST(BandEditorLayout, RatesTooLowForTheBandsAreShownAsTheLowestThatFits) {
    for (int32_t rate : {0, -44100, 60, 199}) {
        OwnedView<BandEditorView> view = makeView(rate);
        // Four bands of half an octave from 25 Hz end at 100 Hz.
        expectEdges(*view, {25, 25 * std::sqrt(2.0), 50, 50 * std::sqrt(2.0), 100});
        expectInsideHandleArea(*view);
        view->setSampleRate(rate);
        expectEdges(*view, {25, 25 * std::sqrt(2.0), 50, 50 * std::sqrt(2.0), 100});
        EXPECT_GT(view->frequencyAxis().tickCount(), 0);
    }
}

TEST(BandEditorLayout, SoloAndSelectionMakeTheViewDirty) {
    OwnedView<BandEditorView> view = makeView();
    view->setNeedsRedraw(false);
    view->selectBand(2);
    EXPECT_EQ(view->selectedBand(), 2);
    EXPECT_TRUE(view->needsRedraw());
    view->setNeedsRedraw(false);
    view->showSolo(true);
    EXPECT_TRUE(view->soloShown());
    EXPECT_TRUE(view->needsRedraw());
}

}  // namespace
}  // namespace marrowfold::testing
