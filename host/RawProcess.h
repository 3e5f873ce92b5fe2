#pragma once

#include <string>
#include <vector>

#include "host/ProcessOptions.h"

namespace marrowfold {

inline constexpr float kRawSampleRate = 44100.0f;

// Raw interleaved float32 stereo in the machine's byte order. Throws ToolError when the file
// cannot be read or does not hold whole stereo frames.
std::vector<float> readRawStereo(const std::string& path);
// Throws ToolError when the file cannot be written completely.
void writeRawStereo(const std::string& path, const std::vector<float>& interleaved);

// Runs the input file through a fresh instance of the module as the render tool does: rate and
// block first, then program and preset, activation, and the audio in blocks.
void processRawFile(const ProcessOptions& options, const std::string& modulePath);

}  // namespace marrowfold
