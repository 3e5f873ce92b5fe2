#include "analysis/Decibels.h"

#include <algorithm>
#include <cmath>

namespace marrowfold {

float magnitudeToDecibels(float magnitude, float floor) {
    return magnitude > 0.0f ? std::max(20.0f * std::log10(magnitude), floor) : floor;
}

}  // namespace marrowfold
