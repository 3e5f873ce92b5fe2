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
      share_(glideLength(sampleRate), 1.0f),
      shares_(silence(blockSize)) {
    for (int32_t ch = 0; ch < channels; ++ch) {
        histories_.push_back(silence(maxDelay));
        dry_.push_back(silence(blockSize));
    }
}

void DryWetMix::setTarget(float wetShare) {
    if (heard_) {
        share_.moveTo(wetShare);
    } else {
        share_.jumpTo(wetShare);
    }
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
    if (!share_.moving()) {
        for (int32_t ch = 0; ch < channels_; ++ch)
            blendConstant(wet[ch], dry_[ch].get(), frames);
        return;
    }
    float* shares = shares_.get();
    share_.fill(shares, frames);
    for (int32_t ch = 0; ch < channels_; ++ch) {
        const float* dry = dry_[ch].get();
        for (int32_t n = 0; n < frames; ++n)
            wet[ch][n] = wet[ch][n] * shares[n] + dry[n] * (1.0f - shares[n]);
    }
}

// At a share of 0 the output is the delayed input exactly, whatever the processed signal holds.
void DryWetMix::blendConstant(float* wet, const float* dry, int32_t frames) const {
    const float share = share_.to();
    if (share == 0.0f) {
        copyBlock(wet, dry, frames);
        return;
    }
    const float dryShare = 1.0f - share;
    for (int32_t n = 0; n < frames; ++n)
        wet[n] = wet[n] * share + dry[n] * dryShare;
}

}  // namespace marrowfold
