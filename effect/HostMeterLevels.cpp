#include "effect/HostMeterLevels.h"

#include <algorithm>
#include <cmath>

#include "analysis/Decibels.h"

namespace marrowfold {

void HostMeterLevels::addBands(const BandLevels& bands) {
    for (int32_t band = 0; band < kBandCount; ++band)
        raise(MeterBand1 + band, bands.peak[static_cast<size_t>(band)]);
}

void HostMeterLevels::measure(int32_t meter, const float* const* channels, int32_t count,
                              int32_t frames) {
    float peak = 0.0f;
    for (int32_t ch = 0; ch < count; ++ch) {
        for (int32_t n = 0; n < frames; ++n)
            peak = std::max(peak, std::fabs(channels[ch][n]));
    }
    raise(meter, peak);
}

// Only the audio thread raises; a reading may reset the peak in between, which the exchange sees.
void HostMeterLevels::raise(int32_t meter, float magnitude) {
    std::atomic<float>& peak = peaks_[static_cast<size_t>(meter)];
    float held = peak.load(std::memory_order_relaxed);
    while (magnitude > held && !peak.compare_exchange_weak(held, magnitude)) {
    }
}

void HostMeterLevels::take(float* decibels) {
    enabled_.store(true, std::memory_order_relaxed);
    for (size_t m = 0; m < peaks_.size(); ++m) {
        const float peak = peaks_[m].exchange(0.0f);
        decibels[m] =
            std::min(magnitudeToDecibels(peak, kMeterFloorDecibels), kMeterCeilingDecibels);
    }
}

}  // namespace marrowfold
