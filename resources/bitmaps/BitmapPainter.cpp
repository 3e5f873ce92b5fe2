#include "resources/bitmaps/BitmapPainter.h"

#include <algorithm>
#include <cmath>

#include "dsp/ShapeTables.h"

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
    if (shape <= 0) return softClipCurve(x);
    // Straight lines between the points that define the shape: the buttons show its character.
    const ShapeDefiningRows& rows = shapeDefiningRows();
    const auto column = static_cast<size_t>(std::min(shape, kShapeCount - 1) - 1);
    const double index = x * kShapeLastCurveEntry;
    for (size_t i = 1; i < rows.size(); ++i) {
        if (index <= rows[i].index) {
            const double t = (index - rows[i - 1].index) / (rows[i].index - rows[i - 1].index);
            const double low = rows[i - 1].value[column];
            return low + t * (rows[i].value[column] - low);
        }
    }
    return 1.0;
}

}  // namespace marrowfold::art
