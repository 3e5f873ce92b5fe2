#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/AxisScaleView.h"
#include "editor/GridView.h"
#include "editor/ReadoutLabel.h"
#include "editor/ValueScale.h"
#include "gui/Control.h"

namespace marrowfold {

// Releases a view that never entered a frame.
struct ViewReleaser {
    void operator()(View* view) const { view->release(); }
};
template <typename T>
using OwnedView = std::unique_ptr<T, ViewReleaser>;

// The graphical band editor: the bands of a preset side by side over a logarithmic frequency
// axis, each a bar as high as its drive in dB. The user drags band edges sideways and bar tops up
// and down; every change is reported to the listener, which reads it with takeChangeFlags and
// storeBands.
//
// Handles are numbered 0 .. 2 x bandCount: handle i < bandCount is the drive handle of band i,
// handle bandCount + e the handle of edge e. Band i lies between edges i and i + 1.
class BandEditorView : public Control {
  public:
    // What takeChangeFlags reports, plus the band or edge number.
    static constexpr int32_t kEdgeMoved = 16;
    static constexpr int32_t kDriveChanged = 32;
    static constexpr int32_t kBandClicked = 64;

    static constexpr float kMinFreq = 25.0f;
    static constexpr float kMinGap = 0.5f;  // octaves between neighbouring edges
    static constexpr float kMinDrive = -20.0f;
    static constexpr float kMaxDrive = 20.0f;

    BandEditorView(const Rect& size, ValueListener* listener, int32_t tag, int32_t maxBands,
                   int32_t sampleRate, Bitmap* background = nullptr);

    void draw(Canvas* context) override;
    // Tracks the mouse until the button is released, letting the editor idle meanwhile.
    void mousePressed(Canvas* context, Point where) override;

    // The fill of the whole view, also given to both axes.
    void setBackdropColour(const Color& colour);
    void setGridColour(const Color& colour);
    void setBandColour(const Color& colour);
    void setSelectedBandColour(const Color& colour);

    // Edges in Hz (bandCount + 1 of them) and drives in dB (bandCount), each through its clamp.
    void loadBands(const float* edgesHz, const float* drivesDb);
    void storeBands(float* edgesHz, float* drivesDb) const;
    // The last change, which is then forgotten.
    int32_t takeChangeFlags();
    // Edge e of bands spread evenly in octaves from 25 Hz to half the sample rate, in Hz.
    float defaultEdge(int32_t e) const;
    void showSolo(bool on);
    void selectBand(int32_t band);
    int32_t selectedBand() const { return selectedBand_; }
    void setSampleRate(int32_t rate);

    int32_t bandCount() const { return bandCount_; }
    int32_t sampleRate() const { return sampleRate_; }
    float edgeLog(int32_t e) const { return edgeLog_[static_cast<size_t>(e)]; }
    float drive(int32_t band) const { return drive_[static_cast<size_t>(band)]; }
    Point edgePoint(int32_t e) const { return edgePoints_[static_cast<size_t>(e)]; }
    Point drivePoint(int32_t band) const { return drivePoints_[static_cast<size_t>(band)]; }
    int32_t activeHandle() const { return activeHandle_; }
    bool soloShown() const { return soloShown_; }
    bool readoutShown() const { return showReadout_; }
    const Rect& plotArea() const { return plotArea_; }
    const Rect& handleArea() const { return handleArea_; }
    const AxisScaleView& frequencyAxis() const { return *frequencyAxis_; }
    const GridView& grid() const { return *grid_; }
    const ReadoutLabel& readout() const { return *readout_; }

  private:
    int32_t edgeHandle(int32_t e) const { return bandCount_ + e; }
    void setEdge(int32_t e, float x);
    void setDrive(int32_t band, float d);
    void layout();
    void reset();
    void applySampleRate(int32_t rate);
    void rebuildFrequencyScale(float rightPixel);
    void handOverGridTicks();
    Point clampIntoHandleArea(Point p) const;
    Rect hitRectAround(Point p) const;
    int32_t hitHandle(Point local) const;
    int32_t bandAt(int32_t lx) const;
    Point localPoint(Point where) const;
    Point cursorPosition(Canvas* context, Point last) const;
    void dragStep(Canvas* context, Point now, Point previous, uint32_t state);
    void dragDrive(int32_t band, Point local, int32_t dy, uint32_t state);
    void dragEdge(int32_t e, Point local, int32_t dx, uint32_t state);
    void showHandleReadout(int32_t handle);
    void trackMouse(Canvas* context, Point where);
    void drawBand(Canvas& canvas, int32_t band, const Color& colour, int32_t penWidth) const;
    void drawMarkers(Canvas& canvas) const;

    int32_t bandCount_;
    std::vector<float> edgeLog_;
    std::vector<float> drive_;
    float maxFreq_ = 0.0f;
    int32_t sampleRate_ = 0;
    int32_t selectedBand_ = -1;
    int32_t activeHandle_ = -1;
    int32_t changeFlags_ = 0;
    bool soloShown_ = false;
    bool dragging_ = false;
    bool showReadout_ = false;
    std::vector<Point> edgePoints_;
    std::vector<Point> drivePoints_;
    std::vector<Rect> hitRects_;
    ValueScale xScale_;
    ValueScale yScale_;
    Rect plotArea_;
    Rect handleArea_;
    Rect frequencyStrip_;
    Rect levelStrip_;
    OwnedView<AxisScaleView> frequencyAxis_;
    OwnedView<AxisScaleView> levelAxis_;
    OwnedView<GridView> grid_;
    OwnedView<ReadoutLabel> readout_;

    Color backgroundColour_{0, 0, 0, 0};
    Color bandColour_{0, 200, 0, 0};
    Color selectedBandColour_{100, 255, 0, 0};
    Color markerFrameColour_{100, 100, 100, 0};
    Color markerFillColour_{200, 200, 200, 0};
};

}  // namespace marrowfold
