#include "dsp/AutoGain.h"

#include <algorithm>
#include <cmath>

#include "core/VendorRequests.h"
#include "dsp/BandShaper.h"
#include "dsp/BlockMath.h"
#include "dsp/GlideCurve.h"

namespace marrowfold {

namespace {

// How long the measured loudness remembers: the weights of 400 ms blocks fall by 1 / e over this.
constexpr double kMemorySeconds = 5.0;
// The time constant of the gain's approach to the loudness difference: long enough that a beat
// does not move it, short enough that it has settled a few seconds after the start.
constexpr double kFollowSeconds = 0.5;
// Blocks more than 10 LU under their side's measured loudness are left out, as integrated
// loudness leaves them out.
constexpr double kRelativeGate = 0.1;
// Below this momentary loudness the input counts as nearly silent and the gain holds.
constexpr double kQuietInputLkfs = -50.0;
// How long the gain holds after a change of the settings.
constexpr double kHoldSeconds = 1.5;

}  // namespace

AutoGain::AutoGain(double sampleRate, int32_t channels, int32_t blockSize)
    : channels_(channels),
      input_(sampleRate, channels),
      output_(sampleRate, channels),
      stepFrames_(input_.stepFrames()),
      stepLeft_(stepFrames_),
      memoryShare_(std::exp(-stepFrames_ / sampleRate / kMemorySeconds)),
      followShare_(static_cast<float>(1.0 - std::exp(-stepFrames_ / sampleRate / kFollowSeconds))),
      holdLength_(static_cast<int32_t>(std::lround(kHoldSeconds / LoudnessMeter::kStepSeconds))),
      gain_(glideLength(sampleRate), 1.0f),
      inputAt_(static_cast<size_t>(channels)),
      outputAt_(static_cast<size_t>(channels)),
      gains_(std::make_unique<float[]>(static_cast<size_t>(blockSize))) {
    for (int32_t ch = 0; ch < channels; ++ch)
        kept_.push_back(std::make_unique<float[]>(static_cast<size_t>(blockSize)));
}

void AutoGain::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (on) {
        input_.reset();
        output_.reset();
        stepLeft_ = stepFrames_;
        holdSteps_ = 0;
        heard_ = false;
        inputLevel_ = GatedLevel{};
        outputLevel_ = GatedLevel{};
    } else {
        decibels_ = 0.0f;
        gain_.moveTo(1.0f);
    }
}

void AutoGain::startAt(float decibels) {
    decibels_ = std::clamp(decibels, kAutoGainLowestDecibels, kAutoGainHighestDecibels);
    gain_.jumpTo(decibelsToGain(decibels_));
}

// What the processed signal was measured at no longer tells how loud it is now: its measurement
// starts again while the gain holds.
void AutoGain::hold() {
    if (!enabled_ || !heard_) return;
    holdSteps_ = holdLength_;
    outputLevel_ = GatedLevel{};
}

void AutoGain::takeInput(const float* const* in, int32_t frames) {
    if (!enabled_) return;
    for (int32_t ch = 0; ch < channels_; ++ch)
        copyBlock(kept_[ch].get(), in[ch], frames);
}

// Pieces end where the meters' 100 ms steps end, so that the gain follows each step's readings
// whatever the block size.
void AutoGain::apply(float* const* wet, int32_t frames) {
    for (int32_t done = 0; done < frames;) {
        const int32_t piece = std::min(frames - done, stepLeft_);
        applyPiece(wet, done, piece);
        done += piece;
        stepLeft_ -= piece;
        if (stepLeft_ == 0) {
            stepLeft_ = stepFrames_;
            if (enabled_) finishStep();
        }
    }
}

void AutoGain::applyPiece(float* const* wet, int32_t offset, int32_t frames) {
    if (enabled_) {
        for (int32_t ch = 0; ch < channels_; ++ch) {
            inputAt_[ch] = kept_[ch].get() + offset;
            outputAt_[ch] = wet[ch] + offset;
        }
        input_.process(inputAt_.data(), frames);
        output_.process(outputAt_.data(), frames);
        heard_ = true;
    }
    if (gain_.moving()) {
        gain_.fill(gains_.get(), frames);
        for (int32_t ch = 0; ch < channels_; ++ch)
            multiplyBlock(wet[ch] + offset, gains_.get(), frames);
    } else if (gain_.to() != 1.0f) {
        for (int32_t ch = 0; ch < channels_; ++ch)
            scaleBlock(wet[ch] + offset, gain_.to(), frames);
    }
}

void AutoGain::finishStep() {
    if (!(input_.momentaryLkfs() > kQuietInputLkfs)) return;
    inputLevel_.add(input_.momentaryMeanSquare(), memoryShare_);
    outputLevel_.add(output_.momentaryMeanSquare(), memoryShare_);
    if (holdSteps_ > 0) {
        --holdSteps_;
        return;
    }
    decibels_ += (matchingDecibels() - decibels_) * followShare_;
    gain_.moveTo(decibelsToGain(decibels_));
}

// The gain that would make the processed signal's measured loudness the input's. A silent
// processed signal asks for the most.
float AutoGain::matchingDecibels() const {
    const double output = outputLevel_.mean();
    if (!(output > 0.0)) return kAutoGainHighestDecibels;
    const double difference = 10.0 * std::log10(inputLevel_.mean() / output);
    return std::clamp(static_cast<float>(difference), kAutoGainLowestDecibels,
                      kAutoGainHighestDecibels);
}

void AutoGain::GatedLevel::add(double meanSquare, double keep) {
    sum *= keep;
    weight *= keep;
    if (weight > 0.0 && !(meanSquare > kRelativeGate * mean())) return;
    sum += meanSquare;
    weight += 1.0;
}

}  // namespace marrowfold
