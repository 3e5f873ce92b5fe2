#include "dsp/ShaperPair.h"

#include <algorithm>
#include <utility>

#include "dsp/BlockMath.h"
#include "dsp/GlideCurve.h"

namespace marrowfold {

ShaperPair::ShaperPair(int32_t sampleRate, int32_t channels, int32_t blockSize, int32_t bandCount,
                       int32_t filterOrder)
    : channels_(std::max(channels, 0)),
      blockSize_(std::max(blockSize, 1)),
      heard_(std::make_unique<BandShaper>(sampleRate, channels, blockSize, bandCount, filterOrder)),
      incoming_(
          std::make_unique<BandShaper>(sampleRate, channels, blockSize, bandCount, filterOrder)),
      fade_(glideLength(sampleRate), 1.0f),
      incomingOut_(static_cast<size_t>(channels_), std::vector<float>(blockSize_)),
      incomingPointers_(static_cast<size_t>(channels_)),
      weights_(static_cast<size_t>(blockSize_)),
      pieceIn_(static_cast<size_t>(channels_)),
      pieceOut_(static_cast<size_t>(channels_)) {
    for (int32_t ch = 0; ch < channels_; ++ch)
        incomingPointers_[ch] = incomingOut_[ch].data();
}

BandShaper& ShaperPair::beginSwitch() {
    incoming_->copySettings(*heard_);
    return *incoming_;
}

// The incoming shaper runs from silence over the input the heard one kept, so that its filters
// and resampling hold about what they would hold had they always run; that output is dropped.
void ShaperPair::startSwitch() {
    const RecentInput& recent = heard_->recentInput();
    for (int32_t done = 0; done < recent.held(); done += blockSize_) {
        pointAt(pieceIn_, recent.samples(), done);
        incoming_->process(pieceIn_.data(), incomingPointers_.data(),
                           std::min(blockSize_, recent.held() - done));
    }
    fade_.start(0.0f, 1.0f);
}

void ShaperPair::process(float* const* in, float* const* out, int32_t frames) {
    if (!switching()) {
        heard_->process(in, out, frames);
        return;
    }
    for (int32_t done = 0; done < frames; done += blockSize_) {
        pointAt(pieceIn_, in, done);
        pointAt(pieceOut_, out, done);
        const int32_t piece = std::min(blockSize_, frames - done);
        if (switching()) {
            processPiece(pieceIn_.data(), pieceOut_.data(), piece);
        } else {
            heard_->process(pieceIn_.data(), pieceOut_.data(), piece);
        }
    }
}

// The incoming shaper goes first, as the heard one may write over in; past the end of the
// crossfade the output is the incoming shaper's exactly.
void ShaperPair::processPiece(float* const* in, float* const* out, int32_t frames) {
    incoming_->process(in, incomingPointers_.data(), frames);
    heard_->process(in, out, frames);
    const int32_t fading = fade_.stepsBeforeEnd(frames);
    fade_.fill(weights_.data(), fading);
    for (int32_t ch = 0; ch < channels_; ++ch) {
        blendBlock(out[ch], incomingPointers_[ch], weights_.data(), fading);
        copyBlock(out[ch] + fading, incomingPointers_[ch] + fading, frames - fading);
    }
    if (switching()) return;
    std::swap(heard_, incoming_);
    meterBandsInto(meter_);
}

float ShaperPair::takeClipFlag() {
    const float heardFlag = heard_->takeClipFlag();
    return std::max(heardFlag, incoming_->takeClipFlag());
}

void ShaperPair::meterBandsInto(BandLevels* levels) {
    meter_ = levels;
    heard_->meterBandsInto(levels);
    incoming_->meterBandsInto(nullptr);
}

void ShaperPair::pointAt(std::vector<float*>& pointers, float* const* channels,
                         int32_t offset) const {
    for (int32_t ch = 0; ch < channels_; ++ch)
        pointers[ch] = channels[ch] + offset;
}

}  // namespace marrowfold
