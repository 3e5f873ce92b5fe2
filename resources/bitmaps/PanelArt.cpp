// The panel background and the about splash. Positions follow the editor's layout: knobs, value
// fields, preset selector, buttons and the band editor sit on the places left for them here.

#include <cmath>

#include "resources/bitmaps/BitmapArt.h"

namespace marrowfold::art {

namespace {

constexpr double kPi = M_PI;
constexpr double kHeaderHeight = 30;
constexpr int kCompactWidth = 364;

struct KnobPlace {
    int left, top;
    const char* label;
};
constexpr KnobPlace kBandKnobs[] = {
    {46, 74, "BAND 1"}, {127, 74, "BAND 2"}, {207, 74, "BAND 3"}, {287, 74, "BAND 4"}};

// Dots around a knob's 270-degree travel, outside the knob picture.
void knobScale(cairo_t* cr, int left, int top) {
    const double cx = left + 16, cy = top + 16;
    for (int i = 0; i <= 10; ++i) {
        const double angle = 1.25 * kPi - 1.5 * kPi * i / 10.0;
        const bool end = i == 0 || i == 10;
        setColour(cr, end ? kPaleCyan : kLightBlue, end ? 1.0 : 0.55);
        cairo_arc(cr, cx + 18.6 * std::cos(angle), cy - 18.6 * std::sin(angle), end ? 1.1 : 0.8, 0,
                  2 * kPi);
        cairo_fill(cr);
    }
}

void sectionFrame(cairo_t* cr, double x, double y, double w, double h) {
    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 5);
    setColour(cr, kMuted);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void header(cairo_t* cr) {
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, kHeaderHeight);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.02, 0.08, 0.22);
    cairo_pattern_add_color_stop_rgb(shade, 1, kDeepBlue.r, kDeepBlue.g, kDeepBlue.b);
    cairo_set_source(cr, shade);
    cairo_rectangle(cr, 0, 0, 728, kHeaderHeight);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
    setColour(cr, kLightBlue, 0.6);
    cairo_rectangle(cr, 0, kHeaderHeight, 728, 1);
    cairo_fill(cr);
}

// The title fills the splash's click area (224, 6)-(331, 24).
void title(cairo_t* cr) {
    const double size = 14;
    const double spacing = (107.0 - textWidth(cr, "MARROWFOLD", size, true)) / 9.0;
    text(cr, "MARROWFOLD", 224.5, 20.5, size, true, Align::Left, kLabel, spacing);
    text(cr, "PELLMOOR", 14, 19, 8, true, Align::Left, kLightBlue, 1.6);
    text(cr, "FOUR-BAND DISTORTION", 82, 19, 7, false, Align::Left, kLightBlue, 0.9);
}

void compactHalf(cairo_t* cr) {
    sectionFrame(cr, 28, 38, 310, 86);
    text(cr, "BAND LEVEL  dB", 182, 50, 7, true, Align::Centre, kLightBlue, 1.0);
    for (const KnobPlace& knob : kBandKnobs) {
        knobScale(cr, knob.left, knob.top);
        text(cr, knob.label, knob.left + 16, 119, 8, true, Align::Centre, kLabel, 0.8);
    }
    knobScale(cr, 47, 144);
    knobScale(cr, 287, 144);
    text(cr, "IN", 25, 164, 9, true, Align::Centre, kLabel, 1.0);
    text(cr, "OUT", 340, 164, 9, true, Align::Centre, kLabel, 1.0);

    // Preset selector: the slider's slot and its caption.
    roundedRect(cr, 119.5, 152.5, 128, 6, 3);
    setColour(cr, kDeepBlue);
    cairo_fill_preserve(cr);
    setColour(cr, kSlate);
    cairo_stroke(cr);
    text(cr, "PRESET", 183, 175, 8, true, Align::Centre, kLabel, 1.2);

    text(cr, "CLIP", 54, 197, 8, true, Align::Left, kLabel, 0.8);
    text(cr, "EXPAND", 318, 199, 7, true, Align::Right, kLightBlue, 0.8);
}

void expandedHalf(cairo_t* cr) {
    setColour(cr, kLightBlue, 0.45);
    // The divider is the first column of the right half, so the compact panel ends on plain blue.
    cairo_rectangle(cr, kCompactWidth, kHeaderHeight + 6, 1, 213 - kHeaderHeight - 12);
    cairo_fill(cr);
    text(cr, "DELETE", 413, 20, 7, true, Align::Left, kLabel, 0.8);
    text(cr, "CREATE", 477, 20, 7, true, Align::Left, kLabel, 0.8);
    text(cr, "SOLO", 541, 20, 7, true, Align::Left, kLabel, 0.8);

    // The band editor draws itself inside this inset.
    roundedRect(cr, 386.5, 28.5, 255, 158, 4);
    setColour(cr, kDeepBlue);
    cairo_fill_preserve(cr);
    setColour(cr, kLightBlue, 0.7);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    text(cr, "DRAG BAND EDGES AND DRIVES", 514, 203, 7, false, Align::Centre, kLightBlue, 0.9);

    sectionFrame(cr, 666, 36, 56, 154);
    text(cr, "SHAPE", 700, 46, 7, true, Align::Centre, kLightBlue, 1.0);
    const char* numbers[] = {"1", "2", "3", "4", "5"};
    for (int i = 0; i < 5; ++i) {
        text(cr, numbers[i], 676, 50 + 30 * i + 10, 8, true, Align::Centre, kLabel);
    }
    text(cr, "PELLMOOR ACOUSTICS", 720, 203, 7, true, Align::Right, kMuted, 1.2);
}

}  // namespace

void drawPanel(cairo_t* cr) {
    setColour(cr, kPanelBlue);
    cairo_paint(cr);
    header(cr);
    title(cr);
    compactHalf(cr);
    expandedHalf(cr);
}

void drawSplash(cairo_t* cr) {
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, 213);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.03, 0.10, 0.27);
    cairo_pattern_add_color_stop_rgb(shade, 1, kDeepBlue.r, kDeepBlue.g, kDeepBlue.b);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    roundedRect(cr, 4.5, 4.5, 356, 204, 8);
    setColour(cr, kLightBlue, 0.8);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    // The five transfer curves, faint, behind the name.
    for (int shape = 0; shape < 5; ++shape) {
        setColour(cr, shape % 2 ? kLightBlue : kPaleCyan, 0.22);
        cairo_set_line_width(cr, 1.2);
        for (int i = 0; i <= 120; ++i) {
            const double x = -1.0 + i / 60.0;
            const double y = (x < 0 ? -1 : 1) * shapeCurve(shape, std::fabs(x));
            const double px = 182.5 + x * 150, py = 62 - y * 34;
            if (i == 0)
                cairo_move_to(cr, px, py);
            else
                cairo_line_to(cr, px, py);
        }
        cairo_stroke(cr);
    }
    const double spacing = 3.0;
    text(cr, "MARROWFOLD", 182.5, 72, 30, true, Align::Centre, kLabel, spacing);
    text(cr, "four-band distortion", 182.5, 98, 13, false, Align::Centre, kPaleCyan, 0.4);
    setColour(cr, kLightBlue, 0.5);
    cairo_rectangle(cr, 108, 116, 138, 1);
    cairo_fill(cr);
    text(cr, "Pellmoor Acoustics", 182.5, 178, 12, true, Align::Centre, kLabel, 0.5);
    text(cr, "click to close", 182.5, 198, 8, false, Align::Centre, kLightBlue, 0.5);
}

}  // namespace marrowfold::art
