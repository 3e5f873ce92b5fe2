#include "resources/bitmaps/BitmapPainter.h"

#include <array>
#include <cmath>

namespace marrowfold::art {

void setColour(cairo_t* cr, const Rgb& colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const double pi = M_PI;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -pi / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, pi / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, pi / 2, pi);
    cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

static void chooseFont(cairo_t* cr, double size, bool bold) {
    cairo_select_font_face(cr, kFace, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double textWidth(cairo_t* cr, const std::string& s, double size, bool bold, double letterSpacing) {
    chooseFont(cr, size, bold);
    cairo_text_extents_t extents{};
    cairo_text_extents(cr, s.c_str(), &extents);
    const double gaps = s.empty() ? 0.0 : letterSpacing * static_cast<double>(s.size() - 1);
    return extents.x_advance + gaps;
}

void text(cairo_t* cr, const std::string& s, double x, double y, double size, bool bold,
          Align align, const Rgb& colour, double letterSpacing) {
    const double width = textWidth(cr, s, size, bold, letterSpacing);
    if (align == Align::Centre) x -= width / 2.0;
    if (align == Align::Right) x -= width;
    setColour(cr, colour);
    double pen = std::round(x);
    for (char c : s) {
        const char glyph[2] = {c, 0};
        cairo_move_to(cr, pen, y);
        cairo_show_text(cr, glyph);
        cairo_text_extents_t extents{};
        cairo_text_extents(cr, glyph, &extents);
        pen += extents.x_advance + letterSpacing;
    }
}

double shapeCurve(int shape, double x) {
    if (shape <= 0) return 1.5 * x - 0.5 * x * x * x;
    // Telling points of shapes 1..4 at indices 0, 1, 16, 32, ... 240, 255 of a 256-entry table.
    static constexpr std::array<double, 18> kIndex{0,   1,   16,  32,  48,  64,  80,  96,  112,
                                                   128, 144, 160, 176, 192, 208, 224, 240, 255};
    static constexpr std::array<std::array<double, 18>, 4> kValue{{
        {0, .0155, .22705, .41297, .56307, .68229, .77519, .84599, .89852, .93624, .96225, .9793,
         .98975, .99559, .99845, .99961, .99995, 1},
        {0, .02316, .3204, .55007, .71084, .82036, .89262, .93856, .9665, .98262, .99136, .99578,
         .99787, .99884, .99934, .99968, .99991, 1},
        {0, .06526, .58294, .64427, .66446, .69805, .72089, .72999, .73399, .74244, .76306, .80133,
         .85715, .91936, .96865, .9934, .99964, 1},
        {0, .12936, .89132, .98307, .99372, .99689, .99858, .99942, .99978, .99992, .99997, .99999,
         .99999, 1, 1, 1, 1, 1},
    }};
    const auto& values = kValue[static_cast<size_t>(shape > 4 ? 3 : shape - 1)];
    const double index = x * 255.0;
    for (size_t i = 1; i < kIndex.size(); ++i) {
        if (index <= kIndex[i]) {
            const double t = (index - kIndex[i - 1]) / (kIndex[i] - kIndex[i - 1]);
            return values[i - 1] + t * (values[i] - values[i - 1]);
        }
    }
    return 1.0;
}

}  // namespace marrowfold::art
