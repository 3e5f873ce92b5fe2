#include "editor/BandGeometry.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"

namespace marrowfold {

namespace {

// A handle's hit rectangle reaches 3 pixels left and up and 4 right and down of its point;
// hit testing widens it by 5 more on every side.
constexpr int32_t kHitReachBefore = 3;
constexpr int32_t kHitReachAfter = 4;
constexpr int32_t kHitWidening = 5;

// Mouse positions left of or above this, or beyond the far limit (a wrapped coordinate), are
// taken as this.
constexpr int32_t kLocalFloor = 5;
constexpr int32_t kLocalFar = 30000;

// A pixel coordinate from a mapped value: rounded half up, defined for any input.
int32_t toWholePixel(float value) {
    return truncateToInt32(static_cast<double>(value) + 0.5);
}

Rect hitRectAround(Point p) {
    return {p.h - kHitReachBefore, p.v - kHitReachBefore, p.h + kHitReachAfter,
            p.v + kHitReachAfter};
}

}  // namespace

// The top frequency first maps to the last pixel inside the handle area; after a sample-rate
// change it maps to the area's right border (see setSampleRate).
BandGeometry::BandGeometry(int32_t bandCount, int32_t sampleRate, const Rect& handleArea)
    : bandCount_(std::max(bandCount, 1)),
      handleArea_(handleArea),
      edgeLog_(static_cast<size_t>(bandCount_ + 1), 0.0f),
      drive_(static_cast<size_t>(bandCount_), 0.0f),
      edgePoints_(static_cast<size_t>(bandCount_ + 1)),
      drivePoints_(static_cast<size_t>(bandCount_)),
      hitRects_(static_cast<size_t>(2 * bandCount_ + 1)) {
    applySampleRate(sampleRate);
    yScale_ = ValueScale(kMinDrive, kMaxDrive, static_cast<float>(handleArea_.bottom - 1),
                         static_cast<float>(handleArea_.top));
    rebuildFrequencyScale(static_cast<float>(handleArea_.right - 1));
    reset();
}

// Half the rate is the highest edge; rates too low to hold every band at its smallest width
// are shown as the lowest rate that does.
void BandGeometry::applySampleRate(int32_t rate) {
    sampleRate_ = rate;
    maxFreq_ = highestEdgeHz(rate, bandCount_);
}

void BandGeometry::rebuildFrequencyScale(float rightPixel) {
    xScale_ = ValueScale(std::log2(kMinFreq), std::log2(maxFreq_),
                         static_cast<float>(handleArea_.left), rightPixel);
}

void BandGeometry::setSampleRate(int32_t rate) {
    applySampleRate(rate);
    rebuildFrequencyScale(static_cast<float>(handleArea_.right));
    for (int32_t e = bandCount_; e >= 0; --e)
        setEdge(e, edgeLog(e));
}

float BandGeometry::defaultEdge(int32_t e) const {
    const double low = std::log2(static_cast<double>(kMinFreq));
    const double octaves = std::log2(static_cast<double>(maxFreq_) / kMinFreq);
    return static_cast<float>(std::exp2(low + octaves * e / bandCount_));
}

void BandGeometry::setEdge(int32_t e, float x) {
    edgeLog_[static_cast<size_t>(e)] = clampedEdge(edgeLog_.data(), bandCount_, e, x, maxFreq_);
    layout();
}

void BandGeometry::setDrive(int32_t band, float d) {
    drive_[static_cast<size_t>(band)] = clampedDrive(d);
    layout();
}

void BandGeometry::reset() {
    for (int32_t e = bandCount_; e >= 0; --e)
        setEdge(e, std::log2(defaultEdge(e)));
    for (int32_t i = 0; i < bandCount_; ++i)
        setDrive(i, 0.0f);
}

// Stored edges can hold anything: 0 and negative frequencies count by their magnitude, and
// whatever gives no finite logarithm ends at the nearest limit through the edge clamp.
bool BandGeometry::loadBands(const float* edgesHz, const float* drivesDb) {
    if (!edgesHz || !drivesDb) return false;
    std::fill(edgeLog_.begin(), edgeLog_.end(), 0.0f);
    for (int32_t e = bandCount_; e >= 0; --e)
        setEdge(e, std::log2(std::fabs(edgesHz[e])));
    for (int32_t i = 0; i < bandCount_; ++i)
        setDrive(i, drivesDb[i]);
    return true;
}

void BandGeometry::storeBands(float* edgesHz, float* drivesDb) const {
    if (!edgesHz || !drivesDb) return;
    for (int32_t e = 0; e <= bandCount_; ++e)
        edgesHz[e] = std::exp2(edgeLog(e));
    std::copy(drive_.begin(), drive_.end(), drivesDb);
}

Point BandGeometry::clampIntoHandleArea(Point p) const {
    return {std::clamp(p.h, handleArea_.left, handleArea_.right),
            std::clamp(p.v, handleArea_.top, handleArea_.bottom)};
}

void BandGeometry::layout() {
    keepOuterEdgesInRange(edgeLog_.data(), bandCount_, maxFreq_);
    for (int32_t e = 0; e <= bandCount_; ++e) {
        const Point p =
            clampIntoHandleArea({toWholePixel(xScale_.toPixel(edgeLog(e))), handleArea_.bottom});
        edgePoints_[static_cast<size_t>(e)] = p;
        hitRects_[static_cast<size_t>(bandCount_ + e)] = hitRectAround(p);
    }
    for (int32_t i = 0; i < bandCount_; ++i) {
        const int32_t left = edgePoint(i).h;
        const int32_t middle = left + (edgePoint(i + 1).h - left) / 2;
        const Point p = clampIntoHandleArea({middle, toWholePixel(yScale_.toPixel(drive(i)))});
        drivePoints_[static_cast<size_t>(i)] = p;
        hitRects_[static_cast<size_t>(i)] = hitRectAround(p);
    }
}

float BandGeometry::edgeAtPixel(int32_t x) const {
    return xScale_.toValue(static_cast<float>(clampIntoHandleArea({x, handleArea_.top}).h));
}

float BandGeometry::driveAtPixel(int32_t y) const {
    return yScale_.toValue(static_cast<float>(clampIntoHandleArea({handleArea_.left, y}).v));
}

Point BandGeometry::mousePoint(Point relative) const {
    const auto limit = [](int32_t v, int32_t inner) {
        return v < kLocalFloor || v > kLocalFar ? kLocalFloor : std::min(v, inner);
    };
    return {limit(relative.h, handleArea_.right - 1), limit(relative.v, handleArea_.bottom - 1)};
}

// Hit rectangles are inclusive at left and top, exclusive at right and bottom.
int32_t BandGeometry::hitHandle(Point local) const {
    for (int32_t handle = 2 * bandCount_; handle >= 0; --handle) {
        const Rect& r = hitRects_[static_cast<size_t>(handle)];
        if (local.h >= r.left - kHitWidening && local.h < r.right + kHitWidening &&
            local.v >= r.top - kHitWidening && local.v < r.bottom + kHitWidening) {
            return handle;
        }
    }
    return -1;
}

int32_t BandGeometry::bandAt(int32_t x) const {
    int32_t band = -1;
    for (int32_t i = 0; i < bandCount_; ++i) {
        if (edgePoint(i).h <= x) band = i;
    }
    return band;
}

}  // namespace marrowfold
