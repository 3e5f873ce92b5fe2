#include "host/OversamplingOption.h"

#include <charconv>

#include "host/ToolError.h"

namespace marrowfold {

namespace {
constexpr int32_t kLargestFactor = 16;
}

int32_t parseOversampling(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    const bool powerOfTwo = value >= 1 && value <= kLargestFactor && (value & (value - 1)) == 0;
    if (status != std::errc() || stop != end || !powerOfTwo)
        throw ToolError("--oversampling takes 1, 2, 4, 8 or 16, got '" + text + "'");
    return value;
}

}  // namespace marrowfold
