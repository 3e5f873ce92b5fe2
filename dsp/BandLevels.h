#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "params/PresetRecord.h"

namespace marrowfold {

// The level of each band's shaped signal over the pieces measured since clear: the largest
// magnitude and the sum of squares over every channel's samples.
struct BandLevels {
    std::array<float, kBandCount> peak{};
    std::array<float, kBandCount> squares{};

    void clear() {
        peak.fill(0.0f);
        squares.fill(0.0f);
    }

    void add(int32_t band, float sample) {
        peak[static_cast<size_t>(band)] =
            std::max(peak[static_cast<size_t>(band)], std::fabs(sample));
        squares[static_cast<size_t>(band)] += sample * sample;
    }
};

}  // namespace marrowfold
