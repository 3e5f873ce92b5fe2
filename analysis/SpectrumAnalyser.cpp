#include "analysis/SpectrumAnalyser.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace marrowfold {

namespace {

// A sixth of an octave wide: a twelfth of an octave to each side.
const double kHalfWidthRatio = std::exp2(1.0 / 12.0) - 1.0;
// The bins next to the centre count in full, so that a sine between two bins reads as high as one
// on a bin; a Hann window's main lobe is two bins to each side.
constexpr int32_t kFullWeightBins = 1;
constexpr int32_t kMinimumHalfWidth = 2;
// Power of a bin-centred Hann-windowed sine summed over its main lobe, relative to its peak bin
// (the window's equivalent noise bandwidth in bins).
constexpr float kHannNoiseBandwidth = 1.5f;
// Below this power a level reads as the floor.
constexpr float kPowerFloor = 1e-12f;

}  // namespace

SpectrumAnalyser::SpectrumAnalyser(float sampleRate)
    : sampleRate_(sampleRate),
      fft_(kFftSize),
      window_(kFftSize),
      halfWidths_(kFftSize / 2 + 1),
      frame_(kFftSize),
      bins_(kFftSize / 2 + 1),
      power_(kFftSize / 2 + 1),
      smoothed_(kFftSize / 2 + 1) {
    for (int32_t n = 0; n < kFftSize; ++n) {
        window_[static_cast<size_t>(n)] =
            static_cast<float>(0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * n / kFftSize)));
    }
    for (size_t k = 0; k < halfWidths_.size(); ++k) {
        halfWidths_[k] =
            std::max(kMinimumHalfWidth,
                     static_cast<int32_t>(std::lround(static_cast<double>(k) * kHalfWidthRatio)));
    }
    for (StreamState& stream : streams_) {
        stream.history.assign(kFftSize, 0.0f);
        stream.shown.assign(halfWidths_.size(), kFloorDecibels);
    }
}

void SpectrumAnalyser::reset() {
    for (StreamState& stream : streams_) {
        std::fill(stream.history.begin(), stream.history.end(), 0.0f);
        std::fill(stream.shown.begin(), stream.shown.end(), kFloorDecibels);
    }
    samplesSinceUpdate_ = 0;
}

void SpectrumAnalyser::setSampleRate(float rate) {
    if (rate == sampleRate_) return;
    sampleRate_ = rate;
    reset();
}

void SpectrumAnalyser::feed(const float* input, const float* output, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        streams_[Input].history[static_cast<size_t>(historyEnd_)] = input[i];
        streams_[Output].history[static_cast<size_t>(historyEnd_)] = output[i];
        historyEnd_ = (historyEnd_ + 1) % kFftSize;
    }
    samplesSinceUpdate_ = std::min(samplesSinceUpdate_ + count, kFftSize * 16);
}

bool SpectrumAnalyser::update() {
    if (samplesSinceUpdate_ == 0 || sampleRate_ <= 0.0f) return false;
    const float elapsed = static_cast<float>(samplesSinceUpdate_) / sampleRate_;
    for (StreamState& stream : streams_)
        analyse(stream, elapsed);
    samplesSinceUpdate_ = 0;
    return true;
}

void SpectrumAnalyser::analyse(StreamState& stream, float elapsedSeconds) {
    for (int32_t n = 0; n < kFftSize; ++n) {
        const size_t from = static_cast<size_t>((historyEnd_ + n) % kFftSize);
        frame_[static_cast<size_t>(n)] = stream.history[from] * window_[static_cast<size_t>(n)];
    }
    fft_.transform(frame_.data(), bins_.data());
    // A bin-centred sine of amplitude A peaks at A N / 4 with the Hann window.
    const float scale = 16.0f / (static_cast<float>(kFftSize) * static_cast<float>(kFftSize));
    for (size_t k = 0; k < bins_.size(); ++k)
        power_[k] = std::norm(bins_[k]) * scale;
    smoothAcrossFrequency();
    const float fall = kFallDecibelsPerSecond * elapsedSeconds;
    for (size_t k = 0; k < smoothed_.size(); ++k) {
        const float now = 10.0f * std::log10(std::max(smoothed_[k], kPowerFloor));
        stream.shown[k] = std::max({now, stream.shown[k] - fall, kFloorDecibels});
    }
}

void SpectrumAnalyser::smoothAcrossFrequency() {
    const int32_t last = static_cast<int32_t>(power_.size()) - 1;
    for (int32_t k = 0; k <= last; ++k) {
        const int32_t h = halfWidths_[static_cast<size_t>(k)];
        float sum = 0.0f;
        for (int32_t j = std::max(0, k - h); j <= std::min(last, k + h); ++j) {
            const int32_t beyondFull = std::max(0, std::abs(j - k) - kFullWeightBins);
            const float weight = 1.0f - static_cast<float>(beyondFull) / static_cast<float>(h);
            sum += weight * power_[static_cast<size_t>(j)];
        }
        smoothed_[static_cast<size_t>(k)] = sum / kHannNoiseBandwidth;
    }
}

float SpectrumAnalyser::levelAt(Stream stream, float hz) const {
    const std::vector<float>& shown = streams_[stream].shown;
    const float bin = hz * static_cast<float>(kFftSize) / sampleRate_;
    if (!(bin >= 0.0f)) return kFloorDecibels;
    const size_t low = std::min(static_cast<size_t>(bin), shown.size() - 1);
    const size_t high = std::min(low + 1, shown.size() - 1);
    const float t = std::min(bin - static_cast<float>(low), 1.0f);
    return shown[low] + (shown[high] - shown[low]) * t;
}

bool SpectrumAnalyser::silent() const {
    for (const StreamState& stream : streams_) {
        for (float level : stream.shown)
            if (level > kFloorDecibels) return false;
    }
    return true;
}

}  // namespace marrowfold
