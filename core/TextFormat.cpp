#include "core/TextFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace marrowfold {

namespace {

constexpr double kLargestFloat = 99999999.0;
constexpr double kSmallestFloat = -9999999.0;
constexpr int32_t kLargestInteger = 99999999;
// "%7d" of anything below this would not fit the eight characters either.
constexpr int32_t kSmallestInteger = -9999999;
constexpr char kHugeText[] = " Huge!  ";
constexpr char kMinusInfinityText[] = "  -oo   ";
constexpr int32_t kMaxFractionDigits = kFormattedWidth - 2;

int32_t integerDigits(double magnitude) {
    int32_t digits = 1;
    for (double limit = 10.0; magnitude >= limit && digits < kFormattedWidth; limit *= 10.0) {
        ++digits;
    }
    return digits;
}

}  // namespace

void formatFloatText(double value, char* dst) {
    if (dst == nullptr) return;
    if (!(value <= kLargestFloat && value >= kSmallestFloat)) {
        std::memcpy(dst, kHugeText, sizeof kHugeText);
        return;
    }
    const int32_t signWidth = value < 0.0 ? 1 : 0;
    int32_t fraction = kFormattedWidth - signWidth - integerDigits(std::fabs(value)) - 1;
    if (fraction > kMaxFractionDigits) fraction = kMaxFractionDigits;
    // Rounding can add an integer digit (9.9999999 -> 10.000000): drop fraction digits then.
    for (; fraction >= 0; --fraction) {
        char text[32];
        const int length = std::snprintf(text, sizeof text, "%#.*f", fraction, value);
        if (length <= kFormattedWidth || fraction == 0) {
            std::memcpy(dst, text, static_cast<size_t>(length) + 1);
            return;
        }
    }
    std::snprintf(dst, kFormattedWidth + 1, "%.0f", value);
}

void formatIntegerText(int32_t value, char* dst) {
    if (dst == nullptr) return;
    if (value > kLargestInteger || value < kSmallestInteger) {
        std::memcpy(dst, kHugeText, sizeof kHugeText);
        return;
    }
    std::snprintf(dst, kFormattedWidth + 1, "%7d", static_cast<int>(value));
}

void formatDecibelText(float gain, char* dst) {
    if (dst == nullptr) return;
    if (gain > 0.0f) {
        formatFloatText(20.0 * std::log10(static_cast<double>(gain)), dst);
    } else {
        std::memcpy(dst, kMinusInfinityText, sizeof kMinusInfinityText);
    }
}

}  // namespace marrowfold
