#pragma once

// Drawing helpers of the bitmap generator, shared by the panel and control pictures.

#include <cairo.h>

#include <string>

namespace marrowfold::art {

struct Rgb {
    double r, g, b;
};

// The panel's palette.
inline constexpr Rgb kPanelBlue{0 / 255.0, 15 / 255.0, 67 / 255.0};
inline constexpr Rgb kSlate{38 / 255.0, 51 / 255.0, 95 / 255.0};
inline constexpr Rgb kLightBlue{89 / 255.0, 168 / 255.0, 209 / 255.0};
inline constexpr Rgb kPaleCyan{121 / 255.0, 207 / 255.0, 241 / 255.0};
// Labels are a hair off pure white, which is the key colour of transparent drawing.
inline constexpr Rgb kLabel{246 / 255.0, 248 / 255.0, 252 / 255.0};
inline constexpr Rgb kKey{1.0, 1.0, 1.0};
inline constexpr Rgb kDeepBlue{0 / 255.0, 9 / 255.0, 42 / 255.0};
inline constexpr Rgb kMuted{70 / 255.0, 96 / 255.0, 150 / 255.0};
inline constexpr Rgb kClipRed{235 / 255.0, 48 / 255.0, 48 / 255.0};

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
