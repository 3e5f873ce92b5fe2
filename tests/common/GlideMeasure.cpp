#include "tests/common/GlideMeasure.h"

#include <algorithm>
#include <cmath>

#include "dsp/Glide.h"
#include "dsp/GlideCurve.h"

namespace marrowfold::clicktest {

namespace {

float peakOf(const std::vector<float>& signal, size_t begin, size_t end) {
    float peak = 0.0f;
    for (size_t n = begin; n < end; ++n)
        peak = std::max(peak, std::fabs(signal[n]));
    return peak;
}

// The energy above 5 kHz of the meter's window at start, relative to a full-scale sine's.
double windowPower(const std::vector<float>& signal, size_t start) {
    return std::pow(
        10.0, clickDecibels(signal, start, start + kClickWindow, kRate, kClickCutoffHz) / 10.0);
}

size_t wholePeriodsFor(size_t distance) {
    return (distance + kTonePeriods - 1) / kTonePeriods * kTonePeriods;
}

}  // namespace

// Each window from before the first step to after the last, less the louder of the two windows a
// whole number of tone periods away that lie before the change and after the output has settled
// (a settled output repeats after kTonePeriods, so they hold the same stretch of it). The largest
// excess counts.
double addedDecibels(const PlayedChange& played) {
    constexpr size_t kHop = 128;
    const std::vector<float>& out = played.output;
    const size_t settled = played.lastChange + 3 * kMeasureSpan;
    double largest = 0.0;
    // A window that ends before the change is its own reference.
    for (size_t n = kStepAt - kClickWindow + kHop; n < played.lastChange + 2 * kMeasureSpan;
         n += kHop) {
        const size_t back = wholePeriodsFor(std::max(n + kClickWindow, kStepAt) - kStepAt);
        const size_t ahead = wholePeriodsFor(settled - n);
        const double reference = std::max(windowPower(out, n - back), windowPower(out, n + ahead));
        largest = std::max(largest, windowPower(out, n) - reference);
    }
    return largest > 0.0 ? 10.0 * std::log10(largest) : kNoClick;
}

Measured measure(const PlayedChange& played) {
    const std::vector<float>& out = played.output;
    const size_t end = played.lastChange + 2 * kMeasureSpan;
    const float settled = std::max(peakOf(out, kStepAt - 3 * kMeasureSpan, kStepAt - kMeasureSpan),
                                   peakOf(out, out.size() - kMeasureSpan, out.size()));
    return {floorOf(out), clickDecibels(out, kStepAt - kMeasureSpan, end, kRate, kClickCutoffHz),
            addedDecibels(played),
            20.0 * std::log10(peakOf(out, kStepAt - kMeasureSpan, end) / settled)};
}

double idealAddedDecibels(const std::vector<float>& before, const std::vector<float>& after) {
    PlayedChange mix{before};
    std::vector<float> weights(mix.output.size() - kStepAt);
    fillGlideWeights(weights.data(), static_cast<int32_t>(weights.size()), 0.0, 1.0,
                     glideLength(kRate));
    for (size_t n = kStepAt; n < mix.output.size(); ++n)
        mix.output[n] = glideBetween(mix.output[n], after[n], weights[n - kStepAt]);
    return addedDecibels(mix);
}

}  // namespace marrowfold::clicktest
