#pragma once

#include <cstdint>
#include <string>

namespace marrowfold {

// The factor a tool's --oversampling option gives. Throws ToolError for anything but 1, 2, 4, 8
// or 16.
int32_t parseOversampling(const std::string& text);

}  // namespace marrowfold
