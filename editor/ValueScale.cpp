#include "editor/ValueScale.h"

#include <cmath>

namespace marrowfold {

ValueScale::ValueScale(float lowValue, float highValue, float lowPixel, float highPixel)
    : lowValue_(lowValue), lowPixel_(lowPixel) {
    const float factor = (highPixel - lowPixel) / (highValue - lowValue);
    factor_ = std::isfinite(factor) ? factor : 0.0f;
}

float ValueScale::toPixel(float value) const {
    return (value - lowValue_) * factor_ + lowPixel_;
}

float ValueScale::toValue(float pixel) const {
    if (factor_ == 0.0f) return lowValue_;
    return (pixel - lowPixel_) / factor_ + lowValue_;
}

}  // namespace marrowfold
