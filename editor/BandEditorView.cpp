#include "editor/BandEditorView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Numeric.h"
#include "gui/Canvas.h"
#include "gui/Frame.h"
#include "gui/OffscreenCanvas.h"

namespace marrowfold {

namespace {

// Geometry inside the view: the level strip on the right, the frequency strip at the bottom, and
// the handle area inset in the plot.
constexpr int32_t kLevelStripWidth = 5;
constexpr int32_t kFrequencyStripHeight = 18;
constexpr int32_t kHandleInsetAcross = 5;
constexpr int32_t kHandleInsetDown = 6;

constexpr float kFineDrivePerPixel = 0.01f;    // dB per pixel with Control held
constexpr float kFineOctavePerPixel = 0.001f;  // octaves per pixel with Control held
constexpr float kKilo = 0.001f;                // Hz to kHz on the frequency axis
constexpr float kReadoutKiloFrom = 1000.0f;

constexpr int32_t kCornerRadius = 9;
constexpr int32_t kSoloPenWidth = 2;
constexpr int32_t kDriveMarkerHalfWidth = 4;
constexpr int32_t kDriveMarkerHalfHeight = 6;
constexpr int32_t kEdgeMarkerHalfWidth = 6;
constexpr int32_t kEdgeMarkerHalfHeight = 4;

constexpr int32_t kToggleSize = 9;
constexpr int32_t kToggleGlyphInset = 2;

constexpr Color kInitialGridColour{10, 40, 30, 0};
constexpr Color kReadoutColour{97, 200, 255, 0};

Rect plotAreaIn(const Rect& size) {
    return {0, 0, size.width() - kLevelStripWidth, size.height() - kFrequencyStripHeight};
}

Rect handleAreaIn(const Rect& plot) {
    return {plot.left + kHandleInsetAcross, plot.top + kHandleInsetDown,
            plot.right - kHandleInsetAcross, plot.bottom - kHandleInsetDown};
}

void drawDiamond(Canvas& canvas, Point centre, int32_t halfWidth, int32_t halfHeight) {
    const Point corners[] = {{centre.h - halfWidth, centre.v},
                             {centre.h, centre.v + halfHeight},
                             {centre.h + halfWidth, centre.v},
                             {centre.h, centre.v - halfHeight},
                             {centre.h - halfWidth, centre.v}};
    canvas.fillPolygon(corners, 4);
    canvas.drawPolyline(corners, 5);
}

}  // namespace

BandEditorView::BandEditorView(const Rect& size, ValueListener* listener, int32_t tag,
                               int32_t maxBands, int32_t sampleRate, Bitmap* background)
    : Control(size, listener, tag, background),
      plotArea_(plotAreaIn(size)),
      frequencyStrip_{0, plotArea_.bottom, plotArea_.right, size.height()},
      levelStrip_{plotArea_.right, 0, size.width(), plotArea_.bottom},
      bands_(maxBands, sampleRate, handleAreaIn(plotArea_)) {
    const float minFreq = BandGeometry::kMinFreq;
    frequencyAxis_.reset(
        new AxisScaleView(frequencyStrip_, kKilo * minFreq, kKilo * bands_.maxFreq()));
    frequencyAxis_->setBackdropColour(backgroundColour_);
    frequencyAxis_->setOrientation(AxisScaleView::kHorizontal);
    frequencyAxis_->setLogBase(2);
    frequencyAxis_->setLogarithmic(true);
    frequencyAxis_->setMinorLabels(false);
    frequencyAxis_->setUnit("kHz");
    frequencyAxis_->compute();

    levelAxis_.reset(
        new AxisScaleView(levelStrip_, BandGeometry::kMinDrive, BandGeometry::kMaxDrive));
    levelAxis_->setOrientation(AxisScaleView::kVertical);
    levelAxis_->setBackdropColour(backgroundColour_);
    levelAxis_->setMinorLabels(false);
    levelAxis_->setUnit("dB");
    levelAxis_->compute();

    grid_.reset(new GridView(handleArea(), 0, 0, nullptr, nullptr, kInitialGridColour));
    handOverGridTicks();
    readout_.reset(new ReadoutLabel(handleArea(), kReadoutColour));
    spectrum_.reset(new SpectrumPlot(handleArea()));
    setNeedsRedraw(true);
}

void BandEditorView::showSpectrum(bool shown) {
    if (shown == spectrumShown_) return;
    spectrumShown_ = shown;
    setNeedsRedraw(true);
}

void BandEditorView::showSpectrumToggle(bool shown) {
    if (shown == spectrumToggleShown_) return;
    spectrumToggleShown_ = shown;
    setNeedsRedraw(true);
}

Rect BandEditorView::spectrumToggleRect() const {
    const Rect& area = handleArea();
    return {area.right - kToggleSize, area.top, area.right, area.top + kToggleSize};
}

float BandEditorView::columnFrequency(int32_t x) const {
    return std::exp2(bands_.edgeAtPixel(x));
}

void BandEditorView::handOverGridTicks() {
    grid_->setTicks(frequencyAxis_->majorCount(), levelAxis_->majorCount(),
                    frequencyAxis_->majorPositions(), levelAxis_->majorPositions());
}

void BandEditorView::setSampleRate(int32_t rate) {
    bands_.setSampleRate(rate);
    frequencyAxis_->setRange(kKilo * BandGeometry::kMinFreq, kKilo * bands_.maxFreq());
    frequencyAxis_->compute();
    handOverGridTicks();
    setNeedsRedraw(true);
}

void BandEditorView::setBackdropColour(const Color& colour) {
    backgroundColour_ = colour;
    frequencyAxis_->setBackdropColour(colour);
    levelAxis_->setBackdropColour(colour);
    setNeedsRedraw(true);
}

void BandEditorView::setGridColour(const Color& colour) {
    grid_->setGridColour(colour);
    setNeedsRedraw(true);
}

void BandEditorView::setBandColour(const Color& colour) {
    bandColour_ = colour;
    setNeedsRedraw(true);
}

void BandEditorView::setSelectedBandColour(const Color& colour) {
    selectedBandColour_ = colour;
    setNeedsRedraw(true);
}

void BandEditorView::loadBands(const float* edgesHz, const float* drivesDb) {
    if (bands_.loadBands(edgesHz, drivesDb)) setNeedsRedraw(true);
}

int32_t BandEditorView::takeChangeFlags() {
    const int32_t flags = changeFlags_;
    changeFlags_ = 0;
    return flags;
}

void BandEditorView::showSolo(bool on) {
    soloShown_ = on;
    setNeedsRedraw(true);
}

void BandEditorView::selectBand(int32_t band) {
    if (band == selectedBand_) return;
    selectedBand_ = band;
    setNeedsRedraw(true);
}

void BandEditorView::dragDrive(int32_t band, Point local, int32_t dy, uint32_t state) {
    selectedBand_ = band;
    if (state & kKeyShift) {
        bands_.setDrive(band, 0.0f);
    } else if (state & kKeyControl) {
        bands_.setDrive(band, drive(band) - static_cast<float>(dy) * kFineDrivePerPixel);
    } else if (dragging_) {
        bands_.setDrive(band, bands_.driveAtPixel(local.v));
    } else {
        bands_.setDrive(band, drive(band));
    }
}

void BandEditorView::dragEdge(int32_t e, Point local, int32_t dx, uint32_t state) {
    if (state & kKeyShift) {
        bands_.setEdge(e, std::log2(defaultEdge(e)));
    } else if (state & kKeyControl) {
        bands_.setEdge(e, edgeLog(e) + static_cast<float>(dx) * kFineOctavePerPixel);
    } else if (dragging_) {
        bands_.setEdge(e, bands_.edgeAtPixel(local.h));
    } else {
        bands_.setEdge(e, edgeLog(e));
    }
}

void BandEditorView::showHandleReadout(int32_t handle) {
    char text[32];
    Point at;
    if (handle < bandCount()) {
        std::snprintf(text, sizeof text, " %4.1f dB", static_cast<double>(drive(handle)));
        at = drivePoint(handle);
    } else {
        const int32_t e = handle - bandCount();
        const double hz = std::exp2(static_cast<double>(edgeLog(e)));
        if (hz >= kReadoutKiloFrom) {
            std::snprintf(text, sizeof text, " %2.1f kHz", hz / kReadoutKiloFrom);
        } else {
            std::snprintf(text, sizeof text, " %3.0f Hz", hz);
        }
        at = edgePoint(e);
    }
    readout_->show(text, at.h, at.v);
}

// One step of a press or drag: grabs a handle under the point when none is held yet; without
// one, a click selects the band under the point.
void BandEditorView::dragStep(Canvas* context, Point now, Point previous, uint32_t state) {
    const Point local = bands_.mousePoint({now.h - size_.left, now.v - size_.top});
    if (activeHandle_ < 0) {
        activeHandle_ = bands_.hitHandle(local);
        tellHandleTaken(true);
    }
    if (activeHandle_ < 0) {
        const int32_t band = bands_.bandAt(local.h);
        if (band < 0) return;
        selectedBand_ = band;
        changeFlags_ = kBandClicked + band;
        reportChange(context);
        return;
    }
    showReadout_ = true;
    const int32_t edge = activeHandle_ - bandCount();
    if (edge < 0) {
        dragDrive(activeHandle_, local, now.v - previous.v, state);
    } else {
        dragEdge(edge, local, now.h - previous.h, state);
    }
    changeFlags_ = handleFlags(activeHandle_);
    setNeedsRedraw(true);
    showHandleReadout(activeHandle_);
    reportChange(context);
}

// A press on the toggle where no handle can be taken flips the spectrum.
bool BandEditorView::pressedSpectrumToggle(Point local) const {
    return spectrumToggleShown_ && spectrumToggleRect().containsInclusive(local) &&
           bands_.hitHandle(bands_.mousePoint(local)) < 0;
}

// Drive handles come first, then the edges.
int32_t BandEditorView::handleFlags(int32_t handle) const {
    const int32_t edge = handle - bandCount();
    return edge < 0 ? kDriveChanged + handle : kEdgeMoved + edge;
}

void BandEditorView::tellHandleTaken(bool taken) const {
    if (gestureListener_ != nullptr && activeHandle_ >= 0)
        gestureListener_->handleTaken(handleFlags(activeHandle_), taken);
}

// A handle is announced as taken before its first move and as let go after its last, so that a
// host records the whole drag as one gesture.
void BandEditorView::mousePressed(Canvas* context, Point where) {
    if (!mouseEnabled()) return;
    const uint32_t pressState = currentMouseState(context);
    if (!(pressState & kMouseLeft)) return;
    if (pressedSpectrumToggle({where.h - size_.left, where.v - size_.top})) {
        showSpectrum(!spectrumShown_);
        redrawIfDirty(context);
        return;
    }
    dragStep(context, where, where, pressState);
    redrawIfDirty(context);
    trackDrag(context, where, DragPairing::CursorAfterPoll, [&](const DragRound& round) {
        if (!round.moved()) return;
        dragging_ = true;
        dragStep(context, round.cursor, round.previous, round.state);
        setNeedsRedraw(true);
    });
    tellHandleTaken(false);
    activeHandle_ = -1;
    dragging_ = false;
    showReadout_ = false;
    setNeedsRedraw(true);
}

// A bar from edge to edge, open at the bottom, with its top corners rounded; the radius shrinks
// with low bars and with narrow ones, so that the two corners never cross.
void BandEditorView::drawBand(Canvas& canvas, int32_t band, const Color& colour,
                              int32_t penWidth) const {
    const int32_t left = edgePoint(band).h;
    const int32_t right = edgePoint(band + 1).h;
    const int32_t top = drivePoint(band).v;
    const int32_t bottom = plotArea_.bottom - 1;
    const int32_t r = std::min({bottom - top, kCornerRadius, (right - left) / 2});
    canvas.setPenColour(colour);
    canvas.setPenWidth(penWidth);
    if (r <= 0) {
        const Point outline[] = {{left, bottom}, {left, top}, {right, top}, {right, bottom}};
        canvas.drawPolyline(outline, 4);
    } else {
        canvas.moveTo({left, bottom});
        canvas.lineTo({left, top + r});
        canvas.drawArc({left, top, left + 2 * r, top + 2 * r}, {left + r, top}, {left, top + r});
        if (right - left > 2 * r) {
            canvas.moveTo({left + r, top});
            canvas.lineTo({right - r, top});
        }
        canvas.drawArc({right - 2 * r, top, right, top + 2 * r}, {right, top + r},
                       {right - r, top});
        canvas.moveTo({right, bottom});
        canvas.lineTo({right, top + r});
    }
    canvas.setPenWidth(1);
}

void BandEditorView::drawMarkers(Canvas& canvas) const {
    canvas.setFillColour(markerFillColour_);
    canvas.setPenColour(markerFrameColour_);
    for (int32_t i = 0; i < bandCount(); ++i) {
        drawDiamond(canvas, drivePoint(i), kDriveMarkerHalfWidth, kDriveMarkerHalfHeight);
        drawDiamond(canvas, edgePoint(i), kEdgeMarkerHalfWidth, kEdgeMarkerHalfHeight);
        drawDiamond(canvas, edgePoint(i + 1), kEdgeMarkerHalfWidth, kEdgeMarkerHalfHeight);
    }
}

// A framed box holding a small peaked curve, filled while the spectrum is shown.
void BandEditorView::drawSpectrumToggle(Canvas& canvas) const {
    const Rect box = spectrumToggleRect();
    canvas.setFillColour(backgroundColour_);
    canvas.fillRect(box);
    canvas.setPenColour(markerFrameColour_);
    canvas.drawRect(box);
    const int32_t bottom = box.bottom - kToggleGlyphInset;
    const Point glyph[] = {{box.left + kToggleGlyphInset, bottom},
                           {box.left + kToggleSize / 2, box.top + kToggleGlyphInset},
                           {box.right - kToggleGlyphInset, bottom}};
    canvas.setPenColour(spectrumShown_ ? markerFillColour_ : markerFrameColour_);
    canvas.drawPolyline(glyph, 3);
}

// Composes the picture off screen and copies it in one step, so that dragging does not flicker.
void BandEditorView::draw(Canvas* context) {
    if (context) {
        // The offscreen picture starts filled with the background colour.
        OffscreenCanvas canvas(parentFrame(), size_.width(), size_.height(), backgroundColour_);
        drawBitmap(background_, canvas, {0, 0, size_.width(), size_.height()}, {0, 0});
        if (spectrumShown_) spectrum_->draw(&canvas);
        grid_->draw(&canvas);
        if (spectrumToggleShown_) drawSpectrumToggle(canvas);
        for (int32_t i = 0; i < bandCount(); ++i)
            drawBand(canvas, i, bandColour_, 1);
        if (soloShown_ && selectedBand_ >= 0 && selectedBand_ < bandCount()) {
            drawBand(canvas, selectedBand_, selectedBandColour_, kSoloPenWidth);
        }
        drawMarkers(canvas);
        frequencyAxis_->drawAt(canvas, frequencyStrip_.left, frequencyStrip_.top);
        if (showReadout_) readout_->draw(&canvas);
        canvas.copyTo(*context, size_, {0, 0});
    }
    setNeedsRedraw(false);
}

}  // namespace marrowfold
