#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

#include "tests/common/ClickMeter.h"

namespace marrowfold::clicktest {

// How loud a change between two blocks clicks: a 1 kHz tone at -20 dBFS played at 44.1 kHz in
// 512-frame blocks, a setting changed before block kChangeBlock, and the energy above 5 kHz
// around the change held against the limit, above the floor of the settled stretch before it.
inline constexpr int32_t kBlock = 512;
inline constexpr double kRate = 44100.0;
inline constexpr double kToneHz = 1000.0;
inline constexpr double kToneAmplitude = 0.1;  // -20 dBFS
inline constexpr int32_t kChangeBlock = 40;
inline constexpr int32_t kBlocks = 60;
inline constexpr double kClickCutoffHz = 5000.0;
inline constexpr double kClickLimit = -95.0;  // dBFS
inline constexpr size_t kStepAt = size_t{kChangeBlock} * kBlock;
inline constexpr size_t kMeasureSpan = 4096;
// Ten periods of the tone are a whole number of samples: a settled output repeats after them.
inline constexpr size_t kTonePeriods = 441;
static_assert(kTonePeriods * kToneHz == 10 * kRate);

inline std::vector<float> sine(int32_t frames) {
    std::vector<float> signal(static_cast<size_t>(frames));
    for (int32_t n = 0; n < frames; ++n)
        signal[static_cast<size_t>(n)] = static_cast<float>(
            kToneAmplitude * std::sin(2.0 * std::numbers::pi * kToneHz * n / kRate));
    return signal;
}

inline double clickOf(const std::vector<float>& output) {
    return clickDecibels(output, kStepAt - kMeasureSpan, kStepAt + kMeasureSpan, kRate,
                         kClickCutoffHz);
}

inline double floorOf(const std::vector<float>& output) {
    return clickDecibels(output, kStepAt - 3 * kMeasureSpan, kStepAt - kMeasureSpan, kRate,
                         kClickCutoffHz);
}

}  // namespace marrowfold::clicktest
