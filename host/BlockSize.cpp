#include "host/BlockSize.h"

#include <charconv>

#include "host/ToolError.h"

namespace marrowfold {

namespace {

constexpr int32_t kLargestBlock = 65536;
constexpr int32_t kLargestFactor = 16;

// True when text is a whole number from 1 to largest, which then is in value.
bool wholeNumberUpTo(const std::string& text, int32_t largest, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    return status == std::errc() && stop == end && value >= 1 && value <= largest;
}

}  // namespace

int32_t parseBlockSize(const std::string& text) {
    int32_t value = 0;
    if (!wholeNumberUpTo(text, kLargestBlock, value))
        throw ToolError("--block needs a whole number from 1 to " + std::to_string(kLargestBlock) +
                        ", got '" + text + "'");
    return value;
}

int32_t parseOversampling(const std::string& text) {
    int32_t value = 0;
    if (!wholeNumberUpTo(text, kLargestFactor, value) || (value & (value - 1)) != 0)
        throw ToolError("--oversampling takes 1, 2, 4, 8 or 16, got '" + text + "'");
    return value;
}

float parseMixPercent(const std::string& text) {
    float value = 0.0f;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    // The comparisons also refuse NaN.
    if (status != std::errc() || stop != end || !(value >= 0.0f && value <= kFullMixPercent))
        throw ToolError("--mix takes a percentage from 0 to 100, got '" + text + "'");
    return value;
}

}  // namespace marrowfold
