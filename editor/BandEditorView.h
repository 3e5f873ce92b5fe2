#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/AxisScaleView.h"
#include "editor/BandGeometry.h"
#include "editor/GridView.h"
#include "editor/ReadoutLabel.h"
#include "editor/SpectrumPlot.h"
#include "gui/Control.h"
#include "params/ParameterIndex.h"

namespace marrowfold {

// Releases a view that never entered a frame.
struct ViewReleaser {
    void operator()(View* view) const { view->release(); }
};
template <typename T>
using OwnedView = std::unique_ptr<T, ViewReleaser>;

// Told when the user takes an edge's or a drive's handle and lets it go again; the handle is
// named by the change flags its moves carry (kEdgeMoved + edge, kDriveChanged + band).
class BandGestureListener {
  public:
    virtual void handleTaken(int32_t handleFlags, bool taken) = 0;

  protected:
    ~BandGestureListener() = default;
};

// The graphical band editor: the bands of a preset side by side over a logarithmic frequency
// axis, each a bar as high as its drive in dB. The user drags band edges sideways and bar tops up
// and down; every change is reported to the listener, which reads it with takeChangeFlags and
// storeBands. Where the bands and their handles lie, and how far they may move, is the
// BandGeometry's; the view draws them and follows the mouse.
class BandEditorView : public Control {
  public:
    // What takeChangeFlags reports, plus the band or edge number: the flags the preset edits
    // read.
    static constexpr int32_t kEdgeMoved = kEdgeMovedFlag;
    static constexpr int32_t kDriveChanged = kDriveChangedFlag;
    static constexpr int32_t kBandClicked = kBandClickedFlag;

    BandEditorView(const Rect& size, ValueListener* listener, int32_t tag, int32_t maxBands,
                   int32_t sampleRate, Bitmap* background = nullptr);

    void draw(Canvas* context) override;
    // Tracks the mouse until the button is released, letting the editor idle meanwhile.
    void mousePressed(Canvas* context, Point where) override;
    void setGestureListener(BandGestureListener* listener) { gestureListener_ = listener; }

    // The fill of the whole view, also given to both axes.
    void setBackdropColour(const Color& colour);
    void setGridColour(const Color& colour);
    void setBandColour(const Color& colour);
    void setSelectedBandColour(const Color& colour);

    // Edges in Hz (bandCount + 1 of them) and drives in dB (bandCount), each through its clamp.
    void loadBands(const float* edgesHz, const float* drivesDb);
    void storeBands(float* edgesHz, float* drivesDb) const { bands_.storeBands(edgesHz, drivesDb); }
    // The last change, which is then forgotten.
    int32_t takeChangeFlags();
    void showSolo(bool on);
    void selectBand(int32_t band);
    int32_t selectedBand() const { return selectedBand_; }
    void setSampleRate(int32_t rate);

    // The spectrum behind the grid, one level per column of the handle area. It is drawn while
    // shown; its toggle, a small box in the handle area's top right corner, only while the
    // editor says there is audio to show. Handles lie above the toggle and take the mouse first.
    SpectrumPlot& spectrum() { return *spectrum_; }
    void showSpectrum(bool shown);
    bool spectrumShown() const { return spectrumShown_; }
    void showSpectrumToggle(bool shown);
    bool spectrumToggleShown() const { return spectrumToggleShown_; }
    Rect spectrumToggleRect() const;
    // The frequency in Hz that column x of the handle area (view coordinates) stands for.
    float columnFrequency(int32_t x) const;

    int32_t bandCount() const { return bands_.bandCount(); }
    int32_t sampleRate() const { return bands_.sampleRate(); }
    float defaultEdge(int32_t e) const { return bands_.defaultEdge(e); }
    float edgeLog(int32_t e) const { return bands_.edgeLog(e); }
    float drive(int32_t band) const { return bands_.drive(band); }
    Point edgePoint(int32_t e) const { return bands_.edgePoint(e); }
    Point drivePoint(int32_t band) const { return bands_.drivePoint(band); }
    int32_t activeHandle() const { return activeHandle_; }
    bool soloShown() const { return soloShown_; }
    bool readoutShown() const { return showReadout_; }
    const Rect& plotArea() const { return plotArea_; }
    const Rect& handleArea() const { return bands_.handleArea(); }
    const AxisScaleView& frequencyAxis() const { return *frequencyAxis_; }
    const GridView& grid() const { return *grid_; }
    const ReadoutLabel& readout() const { return *readout_; }

  private:
    void handOverGridTicks();
    void dragStep(Canvas* context, Point now, Point previous, uint32_t state);
    void dragDrive(int32_t band, Point local, int32_t dy, uint32_t state);
    void dragEdge(int32_t e, Point local, int32_t dx, uint32_t state);
    int32_t handleFlags(int32_t handle) const;
    void tellHandleTaken(bool taken) const;
    void showHandleReadout(int32_t handle);
    void drawBand(Canvas& canvas, int32_t band, const Color& colour, int32_t penWidth) const;
    void drawMarkers(Canvas& canvas) const;
    void drawSpectrumToggle(Canvas& canvas) const;
    bool pressedSpectrumToggle(Point local) const;

    Rect plotArea_;
    Rect frequencyStrip_;
    Rect levelStrip_;
    BandGeometry bands_;
    int32_t selectedBand_ = -1;
    int32_t activeHandle_ = -1;
    int32_t changeFlags_ = 0;
    BandGestureListener* gestureListener_ = nullptr;
    bool soloShown_ = false;
    bool dragging_ = false;
    bool showReadout_ = false;
    bool spectrumShown_ = true;
    bool spectrumToggleShown_ = false;
    OwnedView<AxisScaleView> frequencyAxis_;
    OwnedView<AxisScaleView> levelAxis_;
    OwnedView<GridView> grid_;
    OwnedView<ReadoutLabel> readout_;
    OwnedView<SpectrumPlot> spectrum_;

    Color backgroundColour_{0, 0, 0, 0};
    Color bandColour_{0, 200, 0, 0};
    Color selectedBandColour_{100, 255, 0, 0};
    Color markerFrameColour_{100, 100, 100, 0};
    Color markerFillColour_{200, 200, 200, 0};
};

}  // namespace marrowfold
