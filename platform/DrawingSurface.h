#pragma once

// What the toolkit's canvas needs from a window system's drawing layer: a window's pixels or a
// picture in memory, and the handful of primitives every view is drawn with. Coordinates are
// pixels of the surface itself; the canvas has already added its origin offset.

#include <cstdint>
#include <optional>
#include <string>

namespace marrowfold {

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Left, top, right, bottom in pixels; right and bottom are exclusive.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

// RGB colour packed with red in the most significant byte of the low 24 bits: 0xRRGGBB.
using PackedRgb = uint32_t;

struct FontSpec {
    std::string face;
    int32_t pixelHeight = 12;
    bool bold = false;
    bool italic = false;
    // A decorative face (symbols) rather than a sans-serif one, for the font mapper.
    bool decorative = false;
};

// A one-pixel-or-wider pen, solid or dotted (every other pixel).
struct PenStyle {
    PackedRgb colour = 0xffffff;
    int32_t width = 1;
    bool dotted = false;
};

enum class TextAlignment { Left, Centre, Right };

struct TextStyle {
    FontSpec font;
    bool underline = false;
    PackedRgb colour = 0xffffff;
    // The text stands on this colour; without one the background shows through.
    std::optional<PackedRgb> background;
};

class DrawingSurface {
  public:
    virtual ~DrawingSurface() = default;

    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;

    // Every pixel of the rectangle, exactly, without antialiasing.
    virtual void fillRect(const PixelRect& rect, PackedRgb colour) = 0;
    // Straight segments through the points (back to the first when closed), without
    // antialiasing. Each segment covers its start pixel and stops before its end pixel.
    virtual void strokePolyline(const PixelPoint* points, int32_t count, bool closed,
                                const PenStyle& pen) = 0;
    // The polygon's inside, without outline and without antialiasing.
    virtual void fillPolygon(const PixelPoint* points, int32_t count, PackedRgb colour) = 0;
    // An elliptic arc inscribed in box, counter-clockwise from the direction of start to the
    // direction of end, seen from the centre.
    virtual void strokeArc(const PixelRect& box, PixelPoint start, PixelPoint end,
                           const PenStyle& pen) = 0;
    // One line of antialiased text, vertically centred in box and clipped to it. Left aligned
    // text starts one pixel inside the box.
    virtual void drawText(const char* text, const PixelRect& box, TextAlignment alignment,
                          const TextStyle& style) = 0;
    // How far the text advances in that font, in pixels.
    virtual double textWidth(const char* text, const FontSpec& font) = 0;

    // Copies place's size from source, starting at from, to place on this surface. The keyed
    // copy leaves this surface unchanged wherever the source has the key colour.
    virtual void copyFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from) = 0;
    virtual void copyKeyedFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from,
                               PackedRgb key) = 0;

    // Makes everything drawn so far land in the surface's pixels.
    virtual void flush() {}
};

}  // namespace marrowfold
