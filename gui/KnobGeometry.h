#pragma once

#include "core/ParameterRange.h"
#include "gui/Geometry.h"

namespace marrowfold {

// The mapping between a knob's value and the points of its face. Angles are in radians,
// counter-clockwise from the right; the range runs from startAngle over rangeAngle (negative:
// clockwise). The gap outside the range belongs half to the start and half to the end.
class KnobGeometry {
  public:
    KnobGeometry(const ParameterRange& range, float startAngle, float rangeAngle, float radius,
                 int32_t inset);

    // The point on the face for a value, relative to the knob's left-top corner.
    Point valueToPoint(float value) const;
    // The value a point stands for, relative to the knob's left-top corner.
    float pointToValue(Point p) const;

    float valuePerRadian() const { return valuePerRadian_; }
    float valueAtZeroAngle() const { return valueAtZeroAngle_; }
    float halfGap() const { return halfGap_; }

  private:
    float inRange(float c) const;

    ParameterRange range_;
    float startAngle_;
    float rangeAngle_;
    float radius_;
    int32_t inset_;
    float valuePerRadian_;
    float valueAtZeroAngle_;
    float halfGap_;
};

}  // namespace marrowfold
