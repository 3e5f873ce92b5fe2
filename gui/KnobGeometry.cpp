#include "gui/KnobGeometry.h"

#include <cmath>

#include "core/Numeric.h"

namespace marrowfold {

namespace {
constexpr float kTwoPi = 6.28318531f;
}

KnobGeometry::KnobGeometry(const ParameterRange& range, float startAngle, float rangeAngle,
                           float radius, int32_t inset)
    : range_(range),
      startAngle_(startAngle),
      rangeAngle_(rangeAngle),
      radius_(radius),
      inset_(inset),
      valuePerRadian_(range.span() / rangeAngle),
      valueAtZeroAngle_(range.minimum() - valuePerRadian_ * startAngle),
      halfGap_((kTwoPi - std::fabs(rangeAngle)) * 0.5f) {}

Point KnobGeometry::valueToPoint(float value) const {
    const float angle = (value - valueAtZeroAngle_) / valuePerRadian_;
    const float reach = radius_ - static_cast<float>(inset_);
    return {truncateToInt32(0.5f + radius_ + std::cos(angle) * reach),
            truncateToInt32(0.5f + radius_ - std::sin(angle) * reach)};
}

// c is taken once around the circle when it lies beyond the half gaps at either end.
float KnobGeometry::inRange(float c) const {
    if (c > halfGap_ + std::fabs(rangeAngle_)) return c - kTwoPi;
    if (c < -halfGap_) return c + kTwoPi;
    return c;
}

static float intoCircle(float angle) {
    if (angle < 0) return angle + kTwoPi;
    if (angle > kTwoPi) return angle - kTwoPi;
    return angle;
}

float KnobGeometry::pointToValue(Point p) const {
    float a = std::atan2(radius_ - static_cast<float>(p.v), static_cast<float>(p.h) - radius_);
    if (a < 0) a += kTwoPi;
    a -= startAngle_;
    const float range = std::fabs(rangeAngle_);
    if (rangeAngle_ < 0) {
        const float c = a - rangeAngle_;
        const float e = intoCircle(c);
        if (e <= range) return range_.maximum() + valuePerRadian_ * inRange(c);
        return e <= range + halfGap_ ? range_.minimum() : range_.maximum();
    }
    const float e = intoCircle(a);
    if (e <= range) return range_.minimum() + valuePerRadian_ * inRange(a);
    return e <= range + halfGap_ ? range_.maximum() : range_.minimum();
}

}  // namespace marrowfold
