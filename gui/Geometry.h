#pragma once

#include <cstdint>

namespace marrowfold {

// A point in pixels: h across, v down.
struct Point {
    int32_t h = 0;
    int32_t v = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Left, top, right, bottom in pixels. Right and bottom are exclusive when drawing and inclusive
// when hit testing (View::containsPoint).
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    Rect movedBy(int32_t dh, int32_t dv) const {
        return {left + dh, top + dv, right + dh, bottom + dv};
    }
    // Inclusive of all four edges.
    bool containsInclusive(const Point& p) const {
        return p.h >= left && p.h <= right && p.v >= top && p.v <= bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Red, green, blue and a fourth byte that nothing reads.
struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused = 0;

    // Equal in the three bytes that are drawn.
    bool sameAs(const Color& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
    // 0xRRGGBB, as the platform layer takes colours.
    uint32_t packed() const { return (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue; }
};

inline constexpr Color kWhite{255, 255, 255, 0};
inline constexpr Color kBlack{0, 0, 0, 0};
inline constexpr Color kGrey{127, 127, 127, 0};
inline constexpr Color kRed{255, 0, 0, 0};

}  // namespace marrowfold
