#include "dsp/DryWetMix.h"

#include <algorithm>
#include <cstring>

#include "dsp/BlockMath.h"
#include "dsp/GlideCurve.h"

namespace marrowfold {

namespace {

std::unique_ptr<float[]> silence(int32_t samples) {
    return std::make_unique<float[]>(static_cast<size_t>(samples));
}

}  // namespace

DryWetMix::DryWetMix(int32_t channels, int32_t blockSize, int32_t maxDelay, double sampleRate)
    : channels_(channels),
      maxDelay_(maxDelay),
      length_(glideLength(sampleRate)),
      position_(length_),
      weights_(silence(blockSize)) {
    for (int32_t ch = 0; ch < channels; ++ch) {
        histories_.push_back(silence(maxDelay));
        dry_.push_back(silence(blockSize));
    }
}

void DryWetMix::setTarget(float wetShare) {
    if (wetShare == target_) return;
    if (heard_) {
        // A move that is under way continues from where it has got to.
        float now = target_;
        fillGlideWeights(&now, 1, position_, 1.0, length_);
        from_ = from_ + (target_ - from_) * now;
        position_ = 0;
    } else {
        from_ = wetShare;
    }
    target_ = wetShare;
}

void DryWetMix::takeInput(const float* const* in, int32_t frames, int32_t delay) {
    heard_ = true;
    const bool keep = active();
    for (int32_t ch = 0; ch < channels_; ++ch) {
        if (keep) keepDelayed(in[ch], histories_[ch].get(), dry_[ch].get(), frames, delay);
        remember(in[ch], histories_[ch].get(), frames);
    }
}

// dry[n] is the input delay samples before in[n]: from the history while n < delay.
void DryWetMix::keepDelayed(const float* in, const float* history, float* dry, int32_t frames,
                            int32_t delay) const {
    const int32_t fromHistory = std::min(delay, frames);
    copyBlock(dry, history + maxDelay_ - delay, fromHistory);
    copyBlock(dry + fromHistory, in, frames - fromHistory);
}

void DryWetMix::remember(const float* in, float* history, int32_t frames) const {
    const int32_t kept = std::max(maxDelay_ - frames, 0);
    std::memmove(history, history + maxDelay_ - kept, sizeof(float) * static_cast<size_t>(kept));
    const int32_t fresh = maxDelay_ - kept;
    copyBlock(history + kept, in + frames - fresh, fresh);
}

void DryWetMix::blend(float* const* wet, int32_t frames) {
    if (!moving()) {
        for (int32_t ch = 0; ch < channels_; ++ch)
            blendConstant(wet[ch], dry_[ch].get(), frames);
        return;
    }
    float* weights = weights_.get();
    fillGlideWeights(weights, frames, position_, 1.0, length_);
    for (int32_t ch = 0; ch < channels_; ++ch) {
        const float* dry = dry_[ch].get();
        for (int32_t n = 0; n < frames; ++n) {
            const float share = from_ + (target_ - from_) * weights[n];
            wet[ch][n] = wet[ch][n] * share + dry[n] * (1.0f - share);
        }
    }
    position_ = frames >= length_ - position_ ? length_ : position_ + frames;
}

// At a share of 0 the output is the delayed input exactly, whatever the processed signal holds.
void DryWetMix::blendConstant(float* wet, const float* dry, int32_t frames) const {
    if (target_ == 0.0f) {
        copyBlock(wet, dry, frames);
        return;
    }
    const float dryShare = 1.0f - target_;
    for (int32_t n = 0; n < frames; ++n)
        wet[n] = wet[n] * target_ + dry[n] * dryShare;
}

}  // namespace marrowfold
