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

// The picture as PNG bytes.
std::vector<uint8_t> drawRenderPicture(const PictureContent& content);

}  // namespace marrowfold
