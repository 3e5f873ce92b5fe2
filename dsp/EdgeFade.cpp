#include "dsp/EdgeFade.h"

#include <algorithm>

#include "dsp/GlideCurve.h"

namespace marrowfold {

EdgeFade::EdgeFade(int32_t length) : weights_(static_cast<size_t>(std::max(length, 1))) {
    fillGlideWeights(weights_.data(), this->length(), 0.0, 1.0, this->length());
}

uint32_t EdgeFade::startPending() {
    if (fading_ != 0 || pending_ == 0) return 0;
    fading_ = pending_;
    pending_ = 0;
    position_ = 0;
    return fading_;
}

int32_t EdgeFade::advance(int32_t frames) {
    const int32_t count = std::clamp(length() - position_, 0, std::max(frames, 0));
    start_ = position_;
    position_ += count;
    return count;
}

uint32_t EdgeFade::finish() {
    const uint32_t bands = fading_;
    fading_ = 0;
    return bands;
}

void EdgeFade::restart() {
    pending_ |= finish();
}

}  // namespace marrowfold
