#include "dsp/Glide.h"

#include <algorithm>
#include <cmath>

#include "dsp/GlideCurve.h"

namespace marrowfold {

Glide::Glide(int32_t length, float value)
    : length_(length), position_(length), from_(value), to_(value) {}

float Glide::weight() const {
    float weight = 1.0f;
    fillGlideWeights(&weight, 1, position_, 1.0, length_);
    return weight;
}

float Glide::reached() const {
    return glideBetween(from_, to_, weight());
}

void Glide::moveTo(float target) {
    if (target == to_) return;
    start(reached(), target);
}

void Glide::start(float from, float to) {
    from_ = from;
    to_ = to;
    position_ = 0.0;
}

void Glide::jumpTo(float value) {
    from_ = to_ = value;
    position_ = length_;
}

int32_t Glide::stepsBeforeEnd(int32_t count, double step) const {
    const double steps = std::ceil((length_ - position_) / step);
    return static_cast<int32_t>(std::clamp(steps, 0.0, static_cast<double>(std::max(count, 0))));
}

void Glide::fill(float* values, int32_t count, double step) {
    fillGlideWeights(values, count, position_, step, length_);
    for (int32_t n = 0; n < count; ++n)
        values[n] = glideBetween(from_, to_, values[n]);
    position_ = std::min(position_ + count * step, static_cast<double>(length_));
}

}  // namespace marrowfold
