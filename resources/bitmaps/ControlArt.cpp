// The pictures of the controls: knob filmstrip, buttons, clip indicator, slider handle.

#include <cmath>

#include "resources/bitmaps/BitmapArt.h"

namespace marrowfold::art {

namespace {

constexpr double kPi = M_PI;
constexpr double kKnobStart = 1.25 * kPi;  // lower left, counter-clockwise angles
constexpr double kKnobSweep = 1.5 * kPi;   // 270 degrees, clockwise

// Pixels outside a hard-edged disc keep the key colour; inside, everything is drawn on panel blue
// so that soft edges blend into the panel the knob sits on.
void knobFrame(cairo_t* cr, double value) {
    const double c = kKnobFrameSize / 2.0;
    setColour(cr, kKey);
    cairo_paint(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    setColour(cr, kPanelBlue);
    cairo_arc(cr, c, c, 15.6, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);

    // Track ring, its lit part up to the value (cairo angles run clockwise from the right).
    const double start = -kKnobStart;
    const double angle = start + kKnobSweep * value;
    cairo_set_line_width(cr, 2.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColour(cr, kSlate);
    cairo_arc(cr, c, c, 13.4, start, start + kKnobSweep);
    cairo_stroke(cr);
    if (value > 0) {
        setColour(cr, kLightBlue);
        cairo_arc(cr, c, c, 13.4, start, angle);
        cairo_stroke(cr);
    }

    // Cap with a soft top light.
    cairo_pattern_t* cap = cairo_pattern_create_linear(0, c - 10, 0, c + 10);
    cairo_pattern_add_color_stop_rgb(cap, 0, 0.25, 0.31, 0.50);
    cairo_pattern_add_color_stop_rgb(cap, 1, 0.07, 0.11, 0.27);
    cairo_set_source(cr, cap);
    cairo_arc(cr, c, c, 10.2, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(cap);
    setColour(cr, kDeepBlue);
    cairo_set_line_width(cr, 1.0);
    cairo_arc(cr, c, c, 10.2, 0, 2 * kPi);
    cairo_stroke(cr);

    // Indicator.
    setColour(cr, kPaleCyan);
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, c + 3.0 * std::cos(angle), c + 3.0 * std::sin(angle));
    cairo_line_to(cr, c + 8.6 * std::cos(angle), c + 8.6 * std::sin(angle));
    cairo_stroke(cr);
}

// A 31 x 13 button face, lit or not, with a label or a picture drawn by the caller.
void buttonFace(cairo_t* cr, double y, bool lit) {
    setColour(cr, kPanelBlue);
    cairo_rectangle(cr, 0, y, 31, 13);
    cairo_fill(cr);
    roundedRect(cr, 0.5, y + 0.5, 30, 12, 3);
    setColour(cr, lit ? kLightBlue : kSlate);
    cairo_fill_preserve(cr);
    setColour(cr, lit ? kPaleCyan : kLightBlue, lit ? 1.0 : 0.55);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void shapeIcon(cairo_t* cr, int shape, double y, bool lit) {
    buttonFace(cr, y, lit);
    const double left = 5, right = 26, mid = y + 6.5, half = 4.6;
    setColour(cr, lit ? kPanelBlue : kLightBlue, 0.35);
    cairo_set_line_width(cr, 0.8);
    cairo_move_to(cr, left, mid);
    cairo_line_to(cr, right, mid);
    cairo_stroke(cr);
    setColour(cr, lit ? kDeepBlue : kPaleCyan);
    cairo_set_line_width(cr, 1.4);
    for (int i = 0; i <= 84; ++i) {
        const double x = -1.0 + i / 42.0;
        const double yv = (x < 0 ? -1 : 1) * shapeCurve(shape, std::fabs(x));
        const double px = left + (x + 1) / 2 * (right - left);
        const double py = mid - yv * half;
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_stroke(cr);
}

// An 11 x 11 state of a small square button; symbol 0 a lamp, 1 a cross.
void smallButton(cairo_t* cr, double y, bool lit, int symbol) {
    setColour(cr, kPanelBlue);
    cairo_rectangle(cr, 0, y, 11, 11);
    cairo_fill(cr);
    roundedRect(cr, 0.5, y + 0.5, 10, 10, 2);
    setColour(cr, lit ? kPaleCyan : kSlate);
    cairo_fill_preserve(cr);
    setColour(cr, kLightBlue);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    setColour(cr, lit ? kDeepBlue : kLightBlue);
    if (symbol == 0) {
        cairo_arc(cr, 5.5, y + 5.5, 2.2, 0, 2 * kPi);
        cairo_fill(cr);
    } else {
        cairo_set_line_width(cr, 1.3);
        cairo_move_to(cr, 3.3, y + 3.3);
        cairo_line_to(cr, 7.7, y + 7.7);
        cairo_move_to(cr, 7.7, y + 3.3);
        cairo_line_to(cr, 3.3, y + 7.7);
        cairo_stroke(cr);
    }
}

void clipLamp(cairo_t* cr, double y, bool lit) {
    setColour(cr, kPanelBlue);
    cairo_rectangle(cr, 0, y, 15, 15);
    cairo_fill(cr);
    const double c = 7.5;
    if (lit) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(c, y + c, 0, c, y + c, 7.5);
        cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.35, 0.3, 0.9);
        cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.2, 0.2, 0);
        cairo_set_source(cr, glow);
        cairo_paint(cr);
        cairo_pattern_destroy(glow);
    }
    cairo_arc(cr, c, y + c, 4.6, 0, 2 * kPi);
    if (lit) {
        setColour(cr, kClipRed);
    } else {
        cairo_set_source_rgb(cr, 0.28, 0.06, 0.10);
    }
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, lit ? 1.0 : 0.45, lit ? 0.75 : 0.18, lit ? 0.7 : 0.22);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_arc(cr, c - 1.5, y + c - 1.6, 1.3, 0, 2 * kPi);
    cairo_set_source_rgba(cr, 1, 1, 1, lit ? 0.7 : 0.18);
    cairo_fill(cr);
}

}  // namespace

void drawKnobStrip(cairo_t* cr) {
    for (int frame = 0; frame < kKnobFrameCount; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, frame * kKnobFrameSize);
        cairo_rectangle(cr, 0, 0, kKnobFrameSize, kKnobFrameSize);
        cairo_clip(cr);
        knobFrame(cr, frame / static_cast<double>(kKnobFrameCount - 1));
        cairo_restore(cr);
    }
}

void drawEditButton(cairo_t* cr) {
    for (int state = 0; state < 2; ++state) {
        buttonFace(cr, state * 13, state == 1);
        text(cr, "EDIT", 15.5, state * 13 + 9.5, 8, true, Align::Centre, state ? kDeepBlue : kLabel,
             0.6);
    }
}

void drawSmallButton(cairo_t* cr, int symbol) {
    smallButton(cr, 0, false, symbol);
    smallButton(cr, 11, true, symbol);
}

void drawClipLamp(cairo_t* cr) {
    clipLamp(cr, 0, false);
    clipLamp(cr, 15, true);
}

void drawShapeButton(cairo_t* cr, int shape) {
    shapeIcon(cr, shape, 0, false);
    shapeIcon(cr, shape, 13, true);
}

void drawSliderHandle(cairo_t* cr) {
    setColour(cr, kPanelBlue);
    cairo_paint(cr);
    roundedRect(cr, 0.5, 0.5, 26, 12, 3);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, 13);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.62, 0.87, 0.97);
    cairo_pattern_add_color_stop_rgb(face, 1, kLightBlue.r, kLightBlue.g, kLightBlue.b);
    cairo_set_source(cr, face);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(face);
    setColour(cr, kDeepBlue, 0.8);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, 13.5 + 3 * i, 3.5);
        cairo_line_to(cr, 13.5 + 3 * i, 9.5);
    }
    cairo_stroke(cr);
}

}  // namespace marrowfold::art
