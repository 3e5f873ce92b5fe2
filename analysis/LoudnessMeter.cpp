#include "analysis/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace marrowfold {
namespace {

// A gating block is this many steps: 400 ms.
constexpr int32_t kBlockSteps = 4;
constexpr double kLoudnessOffset = -0.691;
constexpr double kSilenceLkfs = -std::numeric_limits<double>::infinity();
constexpr int32_t kBinCount = static_cast<int32_t>(
    (LoudnessMeter::kHistogramTopLkfs - LoudnessMeter::kAbsoluteGateLkfs) / LoudnessMeter::kBinLu +
    0.5);

}  // namespace

LoudnessMeter::LoudnessMeter(double sampleRate, int32_t channels)
    : stepFrames_(std::max(1, static_cast<int32_t>(std::lround(sampleRate * kStepSeconds)))),
      filters_(static_cast<size_t>(std::max(1, channels)), KWeighting(sampleRate)),
      histogram_(kBinCount) {}

void LoudnessMeter::reset() {
    for (KWeighting& filter : filters_) {
        filter.reset();
    }
    stepSquares_ = 0.0;
    stepFill_ = 0;
    stepMeans_.fill(0.0);
    newestStep_ = 0;
    stepCount_ = 0;
    std::fill(histogram_.begin(), histogram_.end(), Bin{});
    aboveAbsoluteGate_ = Bin{};
}

void LoudnessMeter::process(const float* const* channels, int32_t frames) {
    for (int32_t done = 0; done < frames;) {
        const int32_t run = std::min(frames - done, stepFrames_ - stepFill_);
        stepSquares_ += sumOfSquares(channels, done, run);
        done += run;
        stepFill_ += run;
        if (stepFill_ == stepFrames_) finishStep();
    }
    for (KWeighting& filter : filters_) {
        filter.settle();
    }
}

// Channels go in pairs, whose filters' recursions overlap.
double LoudnessMeter::sumOfSquares(const float* const* channels, int32_t offset, int32_t frames) {
    double sum = 0.0;
    size_t c = 0;
    for (; c + 1 < filters_.size(); c += 2) {
        sum += KWeighting::sumOfSquares(filters_[c], channels[c] + offset, filters_[c + 1],
                                        channels[c + 1] + offset, frames);
    }
    if (c < filters_.size()) sum += filters_[c].sumOfSquares(channels[c] + offset, frames);
    return sum;
}

void LoudnessMeter::finishStep() {
    const double meanSquare = stepSquares_ / stepFrames_;
    newestStep_ = (newestStep_ + 1) % kShortTermSteps;
    // A NaN or an infinity in the input makes its step silent rather than every reading broken.
    stepMeans_[static_cast<size_t>(newestStep_)] = std::isfinite(meanSquare) ? meanSquare : 0.0;
    stepSquares_ = 0.0;
    stepFill_ = 0;
    if (++stepCount_ >= kBlockSteps) addGatingBlock(meanOfLastSteps(kBlockSteps));
}

void LoudnessMeter::addGatingBlock(double meanSquare) {
    const double lkfs = loudness(meanSquare);
    if (!(lkfs > kAbsoluteGateLkfs)) return;
    const double position = std::min((lkfs - kAbsoluteGateLkfs) / kBinLu, kBinCount - 1.0);
    Bin& bin = histogram_[static_cast<size_t>(position)];
    bin.meanSquareSum += meanSquare;
    ++bin.count;
    aboveAbsoluteGate_.meanSquareSum += meanSquare;
    ++aboveAbsoluteGate_.count;
}

double LoudnessMeter::meanOfLastSteps(int32_t steps) const {
    double sum = 0.0;
    for (int32_t age = 0; age < steps; ++age) {
        sum += stepMeans_[static_cast<size_t>((newestStep_ - age + kShortTermSteps) %
                                              kShortTermSteps)];
    }
    return sum / steps;
}

double LoudnessMeter::integratedLkfs() const {
    if (aboveAbsoluteGate_.count == 0) return kSilenceLkfs;
    const double gate =
        loudness(aboveAbsoluteGate_.meanSquareSum / aboveAbsoluteGate_.count) + kRelativeGateLu;
    const double firstBin = std::ceil((gate - kAbsoluteGateLkfs) / kBinLu);
    Bin kept;
    // Blocks louder than the histogram's top share its top bin, which is always kept.
    const int32_t first = std::clamp(static_cast<int32_t>(firstBin), 0, kBinCount - 1);
    for (int32_t b = first; b < kBinCount; ++b) {
        kept.meanSquareSum += histogram_[static_cast<size_t>(b)].meanSquareSum;
        kept.count += histogram_[static_cast<size_t>(b)].count;
    }
    return loudness(kept.meanSquareSum / kept.count);
}

double LoudnessMeter::loudness(double meanSquare) {
    if (!(meanSquare > 0.0)) return kSilenceLkfs;
    return kLoudnessOffset + 10.0 * std::log10(meanSquare);
}

}  // namespace marrowfold
