#include "dsp/EdgeFade.h"

#include <algorithm>

namespace marrowfold {

EdgeFade::EdgeFade(int32_t length, int32_t blockSize)
    : weight_(length, 1.0f),
      weights_(std::make_unique<float[]>(static_cast<size_t>(std::max(blockSize, 1)))) {}

uint32_t EdgeFade::startPending() {
    if (fading_ != 0 || pending_ == 0) return 0;
    fading_ = pending_;
    pending_ = 0;
    weight_.start(0.0f, 1.0f);
    return fading_;
}

int32_t EdgeFade::advance(int32_t frames) {
    const int32_t count = weight_.stepsBeforeEnd(frames);
    weight_.fill(weights_.get(), count);
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
