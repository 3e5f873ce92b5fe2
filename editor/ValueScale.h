#pragma once

namespace marrowfold {

// A linear mapping between a value range and a pixel range, without clamping. A range that is
// empty or not finite maps everything to its low end instead of dividing by zero.
class ValueScale {
  public:
    ValueScale() = default;
    ValueScale(float lowValue, float highValue, float lowPixel, float highPixel);

    float toPixel(float value) const;
    float toValue(float pixel) const;

    // Pixels per unit of value; 0 for a degenerate range.
    float factor() const { return factor_; }

  private:
    float lowValue_ = 0.0f;
    float lowPixel_ = 0.0f;
    float factor_ = 0.0f;
};

}  // namespace marrowfold
