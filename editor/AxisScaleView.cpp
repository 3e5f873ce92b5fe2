#include "editor/AxisScaleView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/Numeric.h"
#include "gui/Canvas.h"

namespace marrowfold {

namespace {

// The pixel range along the axis stays this far inside the strip at both ends.
constexpr int32_t kPixelInset = 5;
constexpr int32_t kFont = 6;
constexpr int32_t kLabelHeight = 9;
constexpr int32_t kMajorTickLength = 9;
constexpr int32_t kMinorTickLength = 4;
constexpr int32_t kLabelOffset = 9;
// Horizontal labels keep this many clear pixels from each other and from the strip's left edge.
constexpr int32_t kLabelGap = 3;
constexpr int32_t kVerticalLabelWidth = 24;
constexpr int32_t kUnitWidth = 20;
constexpr int32_t kUnitRightInset = 13;
// A logarithmic end at 0 stands for this instead.
constexpr double kLogFloor = 1e-6;

// Linear ticks: the range is scaled into [kScaledLow, kScaledHigh) and picks a major step of
// kMajorStep[k] times the decade with kMinorSteps[k] subdivisions.
constexpr double kScaledLow = 1.0001;
constexpr double kScaledHigh = 10.001;
constexpr double kPickShrink = 0.9999;
constexpr double kRangeTolerance = 0.0001;
constexpr double kIndexNudge = 0.0001;
constexpr double kIndexRoundUp = 0.9999;
constexpr double kMajorStep[] = {0.2, 0.5, 0.5, 0.5, 1, 1, 1, 1, 1, 2};
constexpr int32_t kMinorSteps[] = {4, 5, 5, 5, 5, 5, 5, 5, 5, 4};
constexpr int32_t kStepChoices = 10;

// Logarithmic ticks start at the first of these mantissas above the scaled minimum; past the
// last one they start at the next decade.
constexpr double kStartMantissas[] = {1.25, 1.5, 2, 2.5, 3, 4, 5, 6, 7.5, 8, 9};
constexpr double kNextDecade = 10.0;
constexpr double kMantissaShrink = 0.999;
constexpr int32_t kMinorsPerOctave = 3;
constexpr double kOctaveQuarter = 0.25;

double logOf(double value, int32_t base) {
    const double magnitude = value == 0.0 ? kLogFloor : std::fabs(value);
    return base == 2 ? std::log2(magnitude) : std::log10(magnitude);
}

}  // namespace

AxisScaleView::AxisScaleView(const Rect& size, float minimum, float maximum)
    : View(size),
      minimum_(minimum),
      maximum_(maximum),
      font_(kFont),
      labelHeight_(kLabelHeight),
      majorTickLength_(kMajorTickLength),
      minorTickLength_(kMinorTickLength),
      labelOffset_(kLabelOffset) {
    computePixelRange();
    computeMapping();
}

void AxisScaleView::setBackdropColour(const Color& colour) {
    backgroundColour_ = colour;
}

void AxisScaleView::setOrientation(int32_t orientation) {
    if (orientation == orientation_) return;
    orientation_ = orientation;
    computePixelRange();
    computeMapping();
}

void AxisScaleView::setLogBase(int32_t base) {
    if (base == 2 || base == 10) logBase_ = base;
}

void AxisScaleView::setLogarithmic(bool flag) {
    logarithmic_ = flag;
    computeMapping();
}

void AxisScaleView::setMinorLabels(bool flag) {
    minorLabels_ = flag;
}

void AxisScaleView::setMinorTicks(bool flag) {
    minorTicks_ = flag;
    minorLabels_ = flag;
}

void AxisScaleView::setUnit(const char* text) {
    unit_ = text ? text : "";
}

void AxisScaleView::setRange(float minimum, float maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    computeMapping();
}

// Both orientations keep their labels the same distance from the axis line.
void AxisScaleView::computePixelRange() {
    if (orientation_ == kVertical) {
        pixelStart_ = size_.top + kPixelInset;
        pixelEnd_ = size_.bottom - kPixelInset;
    } else {
        pixelStart_ = size_.left + kPixelInset;
        pixelEnd_ = size_.right - kPixelInset;
    }
    labelOffset_ = kLabelOffset;
}

void AxisScaleView::computeMapping() {
    const int32_t span = pixelEnd_ - pixelStart_;
    origin_ = orientation_ == kVertical ? pixelEnd_ - size_.top - 1 : pixelStart_ - size_.left;
    double low = minimum_;
    double high = maximum_;
    if (logarithmic_) {
        low = logOf(low, logBase_);
        high = logOf(high, logBase_);
    }
    const float factor = static_cast<float>((span - 1) / (high - low));
    factor_ = std::isfinite(factor) ? factor : 0.0f;
}

float AxisScaleView::mapped(float value) const {
    if (!logarithmic_) return (value - minimum_) * factor_;
    return static_cast<float>((logOf(value, logBase_) - logOf(minimum_, logBase_)) * factor_);
}

int32_t AxisScaleView::positionOf(float value) const {
    const int32_t along = truncateToInt32(mapped(value));
    return orientation_ == kVertical ? origin_ - along : along + origin_;
}

bool AxisScaleView::addTick(float value, bool major) {
    if (tickCount_ >= kMaxTicks) return false;
    tickValues_[static_cast<size_t>(tickCount_)] = value;
    tickIsMajor_[static_cast<size_t>(tickCount_)] = major ? 1 : 0;
    ++tickCount_;
    return true;
}

void AxisScaleView::compute() {
    tickCount_ = 0;
    if (logarithmic_) {
        logarithmicTicks();
    } else {
        linearTicks();
    }
    majorCount_ = 0;
    for (int32_t i = 0; i < tickCount_; ++i) {
        const size_t at = static_cast<size_t>(i);
        tickPositions_[at] = positionOf(tickValues_[at]);
        if (tickIsMajor_[at])
            majorPositions_[static_cast<size_t>(majorCount_++)] = tickPositions_[at];
    }
}

// Majors at whole multiples of a step of 2, 5 or 10 times a power of ten, so that a range holds
// about two to ten of them; an empty, reversed or infinite range gets none.
void AxisScaleView::linearTicks() {
    const double minimum = minimum_;
    const double maximum = maximum_;
    const double range = maximum - minimum;
    if (!(range > 0.0) || !std::isfinite(range)) return;
    const double tolerance = range * kRangeTolerance;
    double scaled = range;
    double decade = 1.0;
    while (scaled < kScaledLow) {
        scaled *= 10.0;
        decade *= 0.1;
    }
    while (scaled >= kScaledHigh) {
        scaled *= 0.1;
        decade *= 10.0;
    }
    const int32_t k = std::clamp(truncateToInt32(kPickShrink * scaled) - 1, 0, kStepChoices - 1);
    const double step = decade * kMajorStep[k];
    const int32_t subdivisions = kMinorSteps[k];
    const double minorStep = step / subdivisions;
    const int64_t first = truncateToInt32(minimum > 0.0 ? minimum / step + kIndexNudge
                                                        : minimum / step - kIndexRoundUp);
    const int64_t last = truncateToInt32(maximum >= 0.0 ? maximum / step + kIndexRoundUp
                                                        : maximum / step - kIndexNudge);
    const auto inside = [&](double v) {
        return minimum - tolerance < v && v < maximum + tolerance;
    };
    for (int64_t i = first; i <= last; ++i) {
        const double v = static_cast<double>(i) * step;
        if (inside(v) && !addTick(static_cast<float>(v), true)) return;
        if (!minorsWanted()) continue;
        for (int32_t j = 1; j < subdivisions; ++j) {
            const double w = v + j * minorStep;
            if (inside(w) && !addTick(static_cast<float>(w), false)) return;
        }
    }
}

// One major per octave from a rounded start at or just above the smaller end, with minors at a
// quarter, a half and three quarters of the octave. A range below zero is ticked by its
// magnitudes and mirrored.
void AxisScaleView::logarithmicTicks() {
    const bool mirrored = minimum_ <= 0.0f && maximum_ <= 0.0f;
    const double lowMagnitude = std::fabs(static_cast<double>(minimum_));
    const double highMagnitude = std::fabs(static_cast<double>(maximum_));
    double low = mirrored ? std::min(lowMagnitude, highMagnitude) : lowMagnitude;
    const double high = mirrored ? std::max(lowMagnitude, highMagnitude) : maximum_;
    if (low == 0.0) low = kLogFloor;
    if (!(low > 0.0) || !std::isfinite(low) || !(high >= low) || !std::isfinite(high)) return;
    double scaled = low;
    double decade = 1.0;
    while (scaled < 1.0) {
        scaled *= 10.0;
        decade *= 0.1;
    }
    while (scaled >= 10.0) {
        scaled *= 0.1;
        decade *= 10.0;
    }
    double mantissa = kNextDecade;
    for (double m : kStartMantissas) {
        if (m > kMantissaShrink * scaled) {
            mantissa = m;
            break;
        }
    }
    for (double t = decade * mantissa; t <= high; t *= 2.0) {
        if (!addTick(static_cast<float>(t), true)) break;
        if (!minorsWanted()) continue;
        const double quarter = t * kOctaveQuarter;
        for (int32_t j = 1; j <= kMinorsPerOctave; ++j) {
            const double w = t + j * quarter;
            if (w > high || !addTick(static_cast<float>(w), false)) break;
        }
    }
    if (!mirrored) return;
    for (int32_t i = 0; i < tickCount_; ++i)
        tickValues_[static_cast<size_t>(i)] *= -1.0f;
    std::reverse(tickValues_.begin(), tickValues_.begin() + tickCount_);
    std::reverse(tickIsMajor_.begin(), tickIsMajor_.begin() + tickCount_);
}

std::string AxisScaleView::labelText(int32_t i) const {
    if (!labelled(i)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(tickValue(i)));
    return text;
}

void AxisScaleView::drawAt(Canvas& context, int32_t x, int32_t y) const {
    context.setFillColour(backgroundColour_);
    // A fill stops inside its rectangle's left and top edges; start one pixel out to cover them.
    context.fillRect({x - 1, y - 1, x + size_.width(), y + size_.height()});
    context.selectFont(font_);
    context.setTextColour(textColour_);
    context.setPenColour(textColour_);
    int32_t firstFree = x + kLabelGap;
    for (int32_t i = 0; i < tickCount_; ++i) {
        if (orientation_ == kVertical) {
            drawTickDown(context, i, x, y);
        } else {
            firstFree = drawTickAcross(context, i, firstFree, x, y);
        }
    }
    if (unit_.empty()) return;
    if (orientation_ == kVertical) {
        const int32_t left = x + labelOffset_;
        context.drawText(unit_.c_str(), {left, y, left + kUnitWidth, y + labelHeight_}, false,
                         Canvas::kAlignCentre);
        return;
    }
    // The unit may use the margin the pixel range leaves at the strip's right end, not more.
    const int32_t unitLeft = x + size_.width() - kUnitRightInset;
    drawLabelAcross(context, unit_, unitLeft + kUnitWidth / 2.0, firstFree,
                    x + size_.width() + kPixelInset - kLabelGap, y + labelOffset_);
}

// A label is centred on its spot unless that would run it past lastEnd, into what stands before
// it or to the strip's left edge (firstFree); then it moves just enough, and never left of
// firstFree. Answers where the next label may start.
int32_t AxisScaleView::drawLabelAcross(Canvas& context, const std::string& text, double centre,
                                       int32_t firstFree, int32_t lastEnd, int32_t top) const {
    const double width = context.textWidth(text.c_str());
    const int32_t inkWidth = static_cast<int32_t>(std::ceil(width));
    const int32_t centred = static_cast<int32_t>(std::round(centre - width / 2.0));
    const int32_t left = std::max(std::min(centred, lastEnd - inkWidth), firstFree);
    // Left alignment starts the text one pixel inside its box.
    context.drawText(text.c_str(), {left - 1, top, left + inkWidth + 1, top + labelHeight_});
    return left + inkWidth + kLabelGap;
}

int32_t AxisScaleView::drawTickAcross(Canvas& context, int32_t i, int32_t firstFree, int32_t x,
                                      int32_t y) const {
    const int32_t px = tickPosition(i) + x;
    context.moveTo({px, y});
    context.lineTo({px, y + (tickIsMajor(i) ? majorTickLength_ : minorTickLength_)});
    if (!labelled(i)) return firstFree;
    return drawLabelAcross(context, labelText(i), px, firstFree,
                           std::numeric_limits<int32_t>::max(), y + labelOffset_);
}

// Ticks grow right from the axis line; labels stand right of them, centred on their tick.
void AxisScaleView::drawTickDown(Canvas& context, int32_t i, int32_t x, int32_t y) const {
    const int32_t py = tickPosition(i) + y;
    context.moveTo({x, py});
    context.lineTo({x + (tickIsMajor(i) ? majorTickLength_ : minorTickLength_), py});
    if (!labelled(i)) return;
    const int32_t left = x + labelOffset_;
    const int32_t top = py - labelHeight_ / 2;
    context.drawText(labelText(i).c_str(),
                     {left, top, left + kVerticalLabelWidth, top + labelHeight_});
}

}  // namespace marrowfold
