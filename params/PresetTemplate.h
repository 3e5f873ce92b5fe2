#pragma once

#include <array>
#include <cstdint>

#include "params/PresetRecord.h"

namespace marrowfold {

inline constexpr float kDefaultSampleRate = 44100.0f;
// Longest preset name the editor accepts (the name field has room for more).
inline constexpr int32_t kMaxPresetNameLength = 17;

using BandEdges = std::array<float, kEdgeCount>;

// Five edges spaced evenly on a log scale from 25 Hz to half the sample rate:
// edge i = 25 x (F / 25)^(i / 4), F = sampleRate / 2. At 44100 Hz: 25, 136.24, 742.46, 4046.14,
// 22050 Hz.
BandEdges defaultBandEdges(float sampleRate);

// A new preset: no drive, flat levels and gains, shape 0, the given edges, the name cut to
// kMaxPresetNameLength characters (nullptr gives an empty name).
PresetRecord makeNewPreset(const char* name, const BandEdges& edges);

}  // namespace marrowfold
