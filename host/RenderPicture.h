#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ChunkFormat.h"

namespace marrowfold {

// What a render's picture shows: the waveform overviews before and after, and the preset's
// bands with their drives.
struct PictureContent {
    std::string title;
    std::vector<float> inputPeaks;
    std::vector<float> outputPeaks;
    double seconds = 0.0;
    double nyquist = 0.0;
    ChunkPreset preset;
};

// Pictures are drawn for displays of 1 to 4 device pixels per picture pixel.
inline constexpr double kSmallestPictureScale = 1.0;
inline constexpr double kLargestPictureScale = 4.0;

// The picture as PNG bytes, drawn at scale times its own size (lines, text and plots at the
// larger size, not stretched), for sharp pictures on high-density displays.
std::vector<uint8_t> drawRenderPicture(const PictureContent& content, double scale = 1.0);

}  // namespace marrowfold
