#pragma once

// Drawing helpers of the bitmap generator, shared by the panel and control pictures.

#include <cairo.h>

#include <string>

#include "resources/bitmaps/PanelBitmaps.h"

namespace marrowfold::art {

struct Rgb {
    double r, g, b;
};

constexpr Rgb toRgb(PaletteColour colour) {
    return {colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0};
}

// The panel's palette as cairo takes it.
inline constexpr Rgb kPanelBlue = toRgb(palette::kPanelBlue);
inline constexpr Rgb kSlate = toRgb(palette::kSlate);
inline constexpr Rgb kLightBlue = toRgb(palette::kLightBlue);
inline constexpr Rgb kPaleCyan = toRgb(palette::kPaleCyan);
// Labels are a hair off pure white, which is the key colour of transparent drawing.
inline constexpr Rgb kLabel = toRgb(palette::kLabel);
inline constexpr Rgb kKey = toRgb(palette::kKey);
inline constexpr Rgb kDeepBlue = toRgb(palette::kDeepBlue);
inline constexpr Rgb kMuted = toRgb(palette::kMuted);
inline constexpr Rgb kClipRed = toRgb(palette::kClipRed);

inline constexpr const char* kFace = "Liberation Sans";

void setColour(cairo_t* cr, const Rgb& colour, double alpha = 1.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

enum class Align { Left, Centre, Right };
// Text with its baseline at y; letter spacing spreads the glyphs for small capitals.
void text(cairo_t* cr, const std::string& s, double x, double y, double size, bool bold,
          Align align, const Rgb& colour, double letterSpacing = 0.0);
// The width that text() would cover.
double textWidth(cairo_t* cr, const std::string& s, double size, bool bold,
                 double letterSpacing = 0.0);

// The positive half of transfer curve shape (0..4) at x in 0..1, from its telling points.
double shapeCurve(int shape, double x);

}  // namespace marrowfold::art
