#include "host/BlockSize.h"

#include <charconv>

#include "host/ToolError.h"

namespace marrowfold {

namespace {
constexpr int32_t kLargestBlock = 65536;
}

int32_t parseBlockSize(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (status != std::errc() || stop != end || value < 1 || value > kLargestBlock)
        throw ToolError("--block needs a whole number from 1 to " + std::to_string(kLargestBlock) +
                        ", got '" + text + "'");
    return value;
}

}  // namespace marrowfold
