#include "analysis/LevelMeter.h"

#include <algorithm>
#include <cmath>

#include "analysis/Decibels.h"

namespace marrowfold {

void LevelMeter::reset() {
    meanSquare_ = 0.0f;
    peakDecibels_ = kFloorDecibels;
    holdLeftSeconds_ = 0.0f;
}

void LevelMeter::add(float peak, float squares, int32_t frames) {
    if (frames <= 0 || sampleRate_ <= 0.0f) return;
    const float seconds = static_cast<float>(frames) / sampleRate_;
    // A one-pole average of the block means: after t seconds a step has come 1 - e^(-t / tau).
    const float follow = 1.0f - std::exp(-seconds / kRmsSeconds);
    meanSquare_ += (squares / static_cast<float>(frames) - meanSquare_) * follow;

    const float blockPeak = magnitudeToDecibels(peak, kFloorDecibels);
    if (blockPeak >= peakDecibels_) {
        peakDecibels_ = blockPeak;
        holdLeftSeconds_ = kHoldSeconds;
    } else if (holdLeftSeconds_ > 0.0f) {
        holdLeftSeconds_ -= seconds;
    } else {
        peakDecibels_ = std::max(blockPeak, peakDecibels_ - kPeakFallDecibelsPerSecond * seconds);
    }
}

float LevelMeter::rmsDecibels() const {
    return magnitudeToDecibels(std::sqrt(meanSquare_), kFloorDecibels);
}

}  // namespace marrowfold
