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

// A handle's hit rectangle reaches 3 pixels left and up and 4 right and down of its point;
// hit testing widens it by 5 more on every side.
constexpr int32_t kHitReachBefore = 3;
constexpr int32_t kHitReachAfter = 4;
constexpr int32_t kHitWidening = 5;

// Mouse positions left of or above this, or beyond the far limit (a wrapped coordinate), are
// taken as this.
constexpr int32_t kLocalFloor = 5;
constexpr int32_t kLocalFar = 30000;

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

constexpr Color kInitialGridColour{10, 40, 30, 0};
constexpr Color kReadoutColour{97, 200, 255, 0};

// A pixel coordinate from a mapped value: rounded half up, defined for any input.
int32_t toWholePixel(float value) {
    return truncateToInt32(static_cast<double>(value) + 0.5);
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
      bandCount_(std::max(maxBands, 1)),
      edgeLog_(static_cast<size_t>(bandCount_ + 1), 0.0f),
      drive_(static_cast<size_t>(bandCount_), 0.0f),
      edgePoints_(static_cast<size_t>(bandCount_ + 1)),
      drivePoints_(static_cast<size_t>(bandCount_)),
      hitRects_(static_cast<size_t>(2 * bandCount_ + 1)) {
    const int32_t w = size.width();
    const int32_t h = size.height();
    plotArea_ = {0, 0, w - kLevelStripWidth, h - kFrequencyStripHeight};
    handleArea_ = {plotArea_.left + kHandleInsetAcross, plotArea_.top + kHandleInsetDown,
                   plotArea_.right - kHandleInsetAcross, plotArea_.bottom - kHandleInsetDown};
    frequencyStrip_ = {0, h - kFrequencyStripHeight, w - kLevelStripWidth, h};
    levelStrip_ = {w - kLevelStripWidth, 0, w, h - kFrequencyStripHeight};

    applySampleRate(sampleRate);
    yScale_ = ValueScale(kMinDrive, kMaxDrive, static_cast<float>(handleArea_.bottom - 1),
                         static_cast<float>(handleArea_.top));
    rebuildFrequencyScale(static_cast<float>(handleArea_.right - 1));

    frequencyAxis_.reset(new AxisScaleView(frequencyStrip_, kKilo * kMinFreq, kKilo * maxFreq_));
    frequencyAxis_->setBackdropColour(backgroundColour_);
    frequencyAxis_->setOrientation(AxisScaleView::kHorizontal);
    frequencyAxis_->setLogBase(2);
    frequencyAxis_->setLogarithmic(true);
    frequencyAxis_->setMinorLabels(false);
    frequencyAxis_->setUnit("kHz");
    frequencyAxis_->compute();

    levelAxis_.reset(new AxisScaleView(levelStrip_, kMinDrive, kMaxDrive));
    levelAxis_->setOrientation(AxisScaleView::kVertical);
    levelAxis_->setBackdropColour(backgroundColour_);
    levelAxis_->setMinorLabels(false);
    levelAxis_->setUnit("dB");
    levelAxis_->compute();

    grid_.reset(new GridView(handleArea_, 0, 0, nullptr, nullptr, kInitialGridColour));
    handOverGridTicks();
    readout_.reset(new ReadoutLabel(handleArea_, kReadoutColour));
    reset();
}

// Half the rate is the highest edge; rates too low to hold every band at its smallest width
// are shown as the lowest rate that does.
void BandEditorView::applySampleRate(int32_t rate) {
    sampleRate_ = rate;
    const float lowestMaxFreq = kMinFreq * std::exp2(kMinGap * static_cast<float>(bandCount_));
    maxFreq_ = std::max(static_cast<float>(rate) / 2.0f, lowestMaxFreq);
}

void BandEditorView::rebuildFrequencyScale(float rightPixel) {
    xScale_ = ValueScale(std::log2(kMinFreq), std::log2(maxFreq_),
                         static_cast<float>(handleArea_.left), rightPixel);
}

void BandEditorView::handOverGridTicks() {
    grid_->setTicks(frequencyAxis_->majorCount(), levelAxis_->majorCount(),
                    frequencyAxis_->majorPositions(), levelAxis_->majorPositions());
}

void BandEditorView::setSampleRate(int32_t rate) {
    applySampleRate(rate);
    rebuildFrequencyScale(static_cast<float>(handleArea_.right));
    frequencyAxis_->setRange(kKilo * kMinFreq, kKilo * maxFreq_);
    frequencyAxis_->compute();
    handOverGridTicks();
    for (int32_t e = bandCount_; e >= 0; --e)
        setEdge(e, edgeLog(e));
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

// Stored edges can hold anything: 0 and negative frequencies count by their magnitude, and
// whatever gives no finite logarithm ends at the nearest limit through the edge clamp.
void BandEditorView::loadBands(const float* edgesHz, const float* drivesDb) {
    if (!edgesHz || !drivesDb) return;
    std::fill(edgeLog_.begin(), edgeLog_.end(), 0.0f);
    for (int32_t e = bandCount_; e >= 0; --e)
        setEdge(e, std::log2(std::fabs(edgesHz[e])));
    for (int32_t i = 0; i < bandCount_; ++i)
        setDrive(i, drivesDb[i]);
}

void BandEditorView::storeBands(float* edgesHz, float* drivesDb) const {
    if (!edgesHz || !drivesDb) return;
    for (int32_t e = 0; e <= bandCount_; ++e)
        edgesHz[e] = std::exp2(edgeLog(e));
    std::copy(drive_.begin(), drive_.end(), drivesDb);
}

int32_t BandEditorView::takeChangeFlags() {
    const int32_t flags = changeFlags_;
    changeFlags_ = 0;
    return flags;
}

float BandEditorView::defaultEdge(int32_t e) const {
    const double low = std::log2(static_cast<double>(kMinFreq));
    const double octaves = std::log2(static_cast<double>(maxFreq_) / kMinFreq);
    return static_cast<float>(std::exp2(low + octaves * e / bandCount_));
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

// Keeps the edge inside the frequency range and half an octave from both neighbours; when the
// neighbours leave no room, it keeps clear of the upper one. NaN ends at the lowest frequency.
void BandEditorView::setEdge(int32_t e, float x) {
    const float lowest = std::log2(kMinFreq);
    x = x >= lowest ? x : lowest;
    x = std::min(x, std::log2(maxFreq_));
    if (e > 0) x = std::max(x, edgeLog(e - 1) + kMinGap);
    if (e < bandCount_) x = std::min(x, edgeLog(e + 1) - kMinGap);
    edgeLog_[static_cast<size_t>(e)] = x;
    layout();
}

void BandEditorView::setDrive(int32_t band, float d) {
    d = d >= kMinDrive ? d : kMinDrive;
    drive_[static_cast<size_t>(band)] = std::min(d, kMaxDrive);
    layout();
}

Point BandEditorView::clampIntoHandleArea(Point p) const {
    return {std::clamp(p.h, handleArea_.left, handleArea_.right),
            std::clamp(p.v, handleArea_.top, handleArea_.bottom)};
}

Rect BandEditorView::hitRectAround(Point p) const {
    return {p.h - kHitReachBefore, p.v - kHitReachBefore, p.h + kHitReachAfter,
            p.v + kHitReachAfter};
}

void BandEditorView::layout() {
    edgeLog_.front() = std::max(edgeLog_.front(), std::log2(kMinFreq));
    edgeLog_.back() = std::min(edgeLog_.back(), std::log2(maxFreq_));
    for (int32_t e = 0; e <= bandCount_; ++e) {
        const Point p =
            clampIntoHandleArea({toWholePixel(xScale_.toPixel(edgeLog(e))), handleArea_.bottom});
        edgePoints_[static_cast<size_t>(e)] = p;
        hitRects_[static_cast<size_t>(edgeHandle(e))] = hitRectAround(p);
    }
    for (int32_t i = 0; i < bandCount_; ++i) {
        const int32_t left = edgePoint(i).h;
        const int32_t middle = left + (edgePoint(i + 1).h - left) / 2;
        const Point p = clampIntoHandleArea({middle, toWholePixel(yScale_.toPixel(drive(i)))});
        drivePoints_[static_cast<size_t>(i)] = p;
        hitRects_[static_cast<size_t>(i)] = hitRectAround(p);
    }
    setNeedsRedraw(true);
}

void BandEditorView::reset() {
    for (int32_t e = bandCount_; e >= 0; --e)
        setEdge(e, std::log2(defaultEdge(e)));
    for (int32_t i = 0; i < bandCount_; ++i)
        setDrive(i, 0.0f);
}

// The highest handle whose widened hit rectangle holds the point (left and top inclusive, right
// and bottom exclusive), so edges win over drives; -1 when none does.
int32_t BandEditorView::hitHandle(Point local) const {
    for (int32_t handle = 2 * bandCount_; handle >= 0; --handle) {
        const Rect& r = hitRects_[static_cast<size_t>(handle)];
        if (local.h >= r.left - kHitWidening && local.h < r.right + kHitWidening &&
            local.v >= r.top - kHitWidening && local.v < r.bottom + kHitWidening) {
            return handle;
        }
    }
    return -1;
}

// The last band whose left edge is at or left of lx; -1 left of the lowest edge.
int32_t BandEditorView::bandAt(int32_t lx) const {
    int32_t band = -1;
    for (int32_t i = 0; i < bandCount_; ++i) {
        if (edgePoint(i).h <= lx) band = i;
    }
    return band;
}

Point BandEditorView::localPoint(Point where) const {
    const auto limit = [](int32_t v, int32_t inner) {
        return v < kLocalFloor || v > kLocalFar ? kLocalFloor : std::min(v, inner);
    };
    return {limit(where.h - size_.left, handleArea_.right - 1),
            limit(where.v - size_.top, handleArea_.bottom - 1)};
}

void BandEditorView::dragDrive(int32_t band, Point local, int32_t dy, uint32_t state) {
    selectedBand_ = band;
    if (state & kKeyShift) {
        setDrive(band, 0.0f);
    } else if (state & kKeyControl) {
        setDrive(band, drive(band) - static_cast<float>(dy) * kFineDrivePerPixel);
    } else if (dragging_) {
        setDrive(band, yScale_.toValue(static_cast<float>(clampIntoHandleArea(local).v)));
    } else {
        setDrive(band, drive(band));
    }
}

void BandEditorView::dragEdge(int32_t e, Point local, int32_t dx, uint32_t state) {
    if (state & kKeyShift) {
        setEdge(e, std::log2(defaultEdge(e)));
    } else if (state & kKeyControl) {
        setEdge(e, edgeLog(e) + static_cast<float>(dx) * kFineOctavePerPixel);
    } else if (dragging_) {
        setEdge(e, xScale_.toValue(static_cast<float>(clampIntoHandleArea(local).h)));
    } else {
        setEdge(e, edgeLog(e));
    }
}

void BandEditorView::showHandleReadout(int32_t handle) {
    char text[32];
    Point at;
    if (handle < bandCount_) {
        std::snprintf(text, sizeof text, " %4.1f dB", static_cast<double>(drive(handle)));
        at = drivePoint(handle);
    } else {
        const int32_t e = handle - bandCount_;
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
    const Point local = localPoint(now);
    if (activeHandle_ < 0) activeHandle_ = hitHandle(local);
    if (activeHandle_ < 0) {
        const int32_t band = bandAt(local.h);
        if (band < 0) return;
        selectedBand_ = band;
        changeFlags_ = kBandClicked + band;
        reportChange(context);
        return;
    }
    showReadout_ = true;
    if (activeHandle_ < bandCount_) {
        dragDrive(activeHandle_, local, now.v - previous.v, state);
        changeFlags_ = kDriveChanged + activeHandle_;
    } else {
        dragEdge(activeHandle_ - bandCount_, local, now.h - previous.h, state);
        changeFlags_ = kEdgeMoved + activeHandle_ - bandCount_;
    }
    showHandleReadout(activeHandle_);
    reportChange(context);
}

Point BandEditorView::cursorPosition(Canvas* context, Point last) const {
    Point where = last;
    if (context) {
        context->mousePosition(where);
    } else if (parentFrame()) {
        parentFrame()->cursorPosition(where);
    }
    return where;
}

void BandEditorView::mousePressed(Canvas* context, Point where) {
    if (!mouseEnabled()) return;
    const uint32_t pressState = currentMouseState(context);
    if (!(pressState & kMouseLeft)) return;
    dragStep(context, where, where, pressState);
    redrawIfDirty(context);
    Point last = where;
    for (;;) {
        const uint32_t state = currentMouseState(context);
        if (!(state & kMouseLeft)) break;
        const Point now = cursorPosition(context, last);
        if (!(now == last)) {
            dragging_ = true;
            dragStep(context, now, last, state);
            last = now;
            setNeedsRedraw(true);
        }
        idleWhileTracking();
    }
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
    for (int32_t i = 0; i < bandCount_; ++i) {
        drawDiamond(canvas, drivePoint(i), kDriveMarkerHalfWidth, kDriveMarkerHalfHeight);
        drawDiamond(canvas, edgePoint(i), kEdgeMarkerHalfWidth, kEdgeMarkerHalfHeight);
        drawDiamond(canvas, edgePoint(i + 1), kEdgeMarkerHalfWidth, kEdgeMarkerHalfHeight);
    }
}

// Composes the picture off screen and copies it in one step, so that dragging does not flicker.
void BandEditorView::draw(Canvas* context) {
    if (context) {
        // The offscreen picture starts filled with the background colour.
        OffscreenCanvas canvas(parentFrame(), size_.width(), size_.height(), backgroundColour_);
        drawBitmap(background_, canvas, {0, 0, size_.width(), size_.height()}, {0, 0});
        grid_->draw(&canvas);
        for (int32_t i = 0; i < bandCount_; ++i)
            drawBand(canvas, i, bandColour_, 1);
        if (soloShown_ && selectedBand_ >= 0 && selectedBand_ < bandCount_) {
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
