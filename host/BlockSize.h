#pragma once

#include <cstdint>
#include <string>

namespace marrowfold {

// The frames per process call that a tool's --block option gives. Throws ToolError for anything
// but a whole number from 1 to the largest block a tool offers.
int32_t parseBlockSize(const std::string& text);

// The factor a tool's --oversampling option gives. Throws ToolError for anything but 1, 2, 4, 8
// or 16.
int32_t parseOversampling(const std::string& text);

// The mix a tool asks for unless --mix says otherwise: the processed signal alone.
inline constexpr float kFullMixPercent = 100.0f;

// The percentage a tool's --mix option gives. Throws ToolError for anything but a number from 0
// to 100.
float parseMixPercent(const std::string& text);

}  // namespace marrowfold
