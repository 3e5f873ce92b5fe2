#pragma once

// Shared by the band editor view's tests: the view in an open frame on the headless platform,
// a listener that takes the change flags as the editor does, and pictures of drawn views.

#include <cairo.h>

#include <vector>

#include "editor/BandEditorView.h"
#include "editor/PanelColours.h"
#include "tests/gui/ControlFixture.h"

namespace marrowfold::testing {

// The colours the editor gives the view.
inline constexpr Color kPanelBlue = colorOf(palette::kPanelBlue);
inline constexpr Color kSlate = colorOf(palette::kSlate);
inline constexpr Color kLightBlue = colorOf(palette::kLightBlue);
inline constexpr Color kPaleCyan = colorOf(palette::kPaleCyan);

// The editor's view size.
inline constexpr int32_t kViewWidth = 248;
inline constexpr int32_t kViewHeight = 151;

// Takes the change flags at every report, as the editor does.
class FlagListener : public ValueListener {
  public:
    void controlChanged(Canvas*, Control* control) override {
        flags.push_back(static_cast<BandEditorView*>(control)->takeChangeFlags());
    }
    std::vector<int32_t> flags;
};

void paintInEditorColours(BandEditorView& view);

// The view drawn alone into a new image surface of its size (owned by the caller).
cairo_surface_t* renderAlone(View& view);
// A copy of part of a surface (owned by the caller).
cairo_surface_t* crop(cairo_surface_t* surface, const Rect& rect);

// The editor's band editor view in a frame at a place that is not the frame's corner, so that
// every mouse position passes through the conversion to view coordinates.
class BandViewTest : public ControlTest {
  protected:
    static constexpr Point kOrigin{100, 40};

    void SetUp() override;
    // Window coordinates of a point given in view coordinates.
    static Point at(Point local) { return {kOrigin.h + local.h, kOrigin.v + local.v}; }
    // Presses at a point and moves through the others (view coordinates, all with state),
    // then releases at the last one.
    void dragLocal(Point from, const std::vector<Point>& path, uint32_t state = kMouseLeft,
                   uint32_t holdMs = 1);
    void clickLocal(Point where, uint32_t state = kMouseLeft) { dragLocal(where, {}, state); }
    // Edges in Hz and drives in dB as the view would store them.
    std::vector<float> edges() const;
    std::vector<float> drives() const;
    void load(std::vector<float> edgesHz, std::vector<float> drivesDb);

    BandEditorView* view = nullptr;
    FlagListener flagListener;
};

}  // namespace marrowfold::testing
