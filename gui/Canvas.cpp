#include "gui/Canvas.h"

#include <cmath>
#include <cstdlib>

#include "gui/FontTable.h"

namespace marrowfold {

namespace {

// Half a pixel puts a one-pixel stroke on the pixel centres.
constexpr double kPixelCentre = 0.5;

bool axisAligned(const Point& a, const Point& b) {
    return a.h == b.h || a.v == b.v;
}

}  // namespace

void setCairoColour(cairo_t* cr, const Color& colour) {
    cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

Canvas::Canvas(Frame* frame, cairo_surface_t* surface, WindowId window)
    : frame_(frame), window_(window) {
    if (window != kNoWindow) {
        const PixelRect rect = currentPlatform().windowRect(window);
        windowPosition_ = {rect.left, rect.top};
    }
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return;
    cr_ = cairo_create(surface);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);
}

Canvas::~Canvas() {
    if (!cr_) return;
    cairo_surface_flush(cairo_get_target(cr_));
    cairo_destroy(cr_);
}

void Canvas::moveTo(const Point& point) {
    penPosition_ = point;
}

void Canvas::lineTo(const Point& point) {
    const Point segment[2] = {penPosition_, point};
    strokePath(segment, 2, false);
    penPosition_ = point;
}

void Canvas::drawPolyline(const Point* points, int32_t count) {
    if (points && count >= 2) strokePath(points, count, false);
}

// A one-pixel solid or dotted line along a row or column: the start pixel is drawn, the end
// pixel is not. Dotted lines draw every other pixel, starting with the first.
void Canvas::fillPixelSegment(const Point& from, const Point& to) {
    const int32_t dh = to.h > from.h ? 1 : (to.h < from.h ? -1 : 0);
    const int32_t dv = to.v > from.v ? 1 : (to.v < from.v ? -1 : 0);
    const int32_t length = std::abs(to.h - from.h) + std::abs(to.v - from.v);
    if (lineStyle_ != kDotted) {
        const int32_t left = dh < 0 ? to.h + 1 : from.h;
        const int32_t top = dv < 0 ? to.v + 1 : from.v;
        cairo_rectangle(cr_, left, top, dh ? length : 1, dv ? length : 1);
        return;
    }
    for (int32_t i = 0; i < length; i += 2) {
        cairo_rectangle(cr_, from.h + dh * i, from.v + dv * i, 1, 1);
    }
}

void Canvas::strokePath(const Point* points, int32_t count, bool closed) {
    if (!cr_) return;
    const int32_t segments = closed ? count : count - 1;
    bool pixelExact = lineWidth_ <= 1;
    for (int32_t i = 0; i < segments && pixelExact; ++i) {
        pixelExact = axisAligned(points[i], points[(i + 1) % count]);
    }
    cairo_save(cr_);
    cairo_translate(cr_, origin_.h, origin_.v);
    setCairoColour(cr_, penColour_);
    if (pixelExact) {
        for (int32_t i = 0; i < segments; ++i)
            fillPixelSegment(points[i], points[(i + 1) % count]);
        cairo_fill(cr_);
    } else {
        cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(cr_, lineWidth_ < 1 ? 1 : lineWidth_);
        if (lineStyle_ == kDotted) {
            const double dots[] = {1.0, 1.0};
            cairo_set_dash(cr_, dots, 2, 0);
        }
        cairo_move_to(cr_, points[0].h + kPixelCentre, points[0].v + kPixelCentre);
        for (int32_t i = 1; i < count; ++i) {
            cairo_line_to(cr_, points[i].h + kPixelCentre, points[i].v + kPixelCentre);
        }
        if (closed) cairo_close_path(cr_);
        cairo_stroke(cr_);
    }
    cairo_restore(cr_);
}

void Canvas::fillPolygon(const Point* points, int32_t count) {
    if (!cr_ || !points || count < 3) return;
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    setCairoColour(cr_, fillColour_);
    cairo_move_to(cr_, points[0].h + origin_.h, points[0].v + origin_.v);
    for (int32_t i = 1; i < count; ++i) {
        cairo_line_to(cr_, points[i].h + origin_.h, points[i].v + origin_.v);
    }
    cairo_close_path(cr_);
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void Canvas::drawRect(const Rect& rect) {
    const Point outline[4] = {{rect.left, rect.top},
                              {rect.right, rect.top},
                              {rect.right, rect.bottom},
                              {rect.left, rect.bottom}};
    strokePath(outline, 4, true);
}

void Canvas::fillRect(const Rect& rect) {
    if (!cr_ || rect.width() < 2 || rect.height() < 2) return;
    setCairoColour(cr_, fillColour_);
    cairo_rectangle(cr_, rect.left + 1 + origin_.h, rect.top + 1 + origin_.v, rect.width() - 1,
                    rect.height() - 1);
    cairo_fill(cr_);
}

// The ellipse runs through the centres of the box's outermost pixels. Screen angles grow
// clockwise because v points down, so a counter-clockwise arc runs towards smaller angles.
void Canvas::drawArc(const Rect& rect, const Point& start, const Point& end) {
    if (!cr_) return;
    const double radiusH = rect.width() / 2.0;
    const double radiusV = rect.height() / 2.0;
    if (radiusH <= 0 || radiusV <= 0) return;
    const double centreH = rect.left + kPixelCentre + radiusH;
    const double centreV = rect.top + kPixelCentre + radiusV;
    const double from = std::atan2((start.v + kPixelCentre - centreV) / radiusV,
                                   (start.h + kPixelCentre - centreH) / radiusH);
    const double to = std::atan2((end.v + kPixelCentre - centreV) / radiusV,
                                 (end.h + kPixelCentre - centreH) / radiusH);
    cairo_save(cr_);
    cairo_translate(cr_, centreH + origin_.h, centreV + origin_.v);
    cairo_scale(cr_, radiusH, radiusV);
    cairo_new_path(cr_);
    cairo_arc_negative(cr_, 0, 0, 1, from, to);
    cairo_restore(cr_);
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    setCairoColour(cr_, penColour_);
    cairo_set_line_width(cr_, lineWidth_ < 1 ? 1 : lineWidth_);
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

void Canvas::setDash(int32_t style) {
    lineStyle_ = style == kDotted ? kDotted : 0;
}
void Canvas::setPenWidth(int32_t width) {
    lineWidth_ = width;
}
void Canvas::setPenColour(const Color& colour) {
    penColour_ = colour;
}
void Canvas::setFillColour(const Color& colour) {
    fillColour_ = colour;
}
void Canvas::setTextColour(const Color& colour) {
    fontColour_ = colour;
}

void Canvas::selectFont(int32_t id, int32_t size, int32_t style) {
    fontId_ = validFontId(id);
    fontSize_ = size == 0 ? fontEntry(fontId_).height : size;
    fontStyle_ = style;
}

void Canvas::applyFont() {
    const FontEntry& entry = fontEntry(fontId_);
    const bool bold = entry.alwaysBold || (fontStyle_ & kStyleBold);
    cairo_select_font_face(
        cr_, installedFamily(entry.face).c_str(),
        (fontStyle_ & kStyleItalic) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, fontSize_ == 0 ? entry.height : fontSize_);
}

void Canvas::drawText(const char* text, const Rect& rect, bool opaque, int32_t alignment) {
    if (!cr_ || !text) return;
    const Rect box = rect.movedBy(origin_.h, origin_.v);
    cairo_save(cr_);
    cairo_rectangle(cr_, box.left, box.top, box.width(), box.height());
    cairo_clip(cr_);
    applyFont();
    cairo_font_extents_t font{};
    cairo_font_extents(cr_, &font);
    cairo_text_extents_t extents{};
    cairo_text_extents(cr_, text, &extents);
    double x = box.left + 1;
    if (alignment == kAlignCentre) x = box.left + (box.width() - extents.x_advance) / 2.0;
    if (alignment == kAlignRight) x = box.right - extents.x_advance;
    x = std::round(x);
    const double baseline =
        std::round(box.top + (box.height() - (font.ascent + font.descent)) / 2.0 + font.ascent);
    if (opaque) {
        setCairoColour(cr_, fillColour_);
        cairo_rectangle(cr_, x, baseline - std::round(font.ascent), std::ceil(extents.x_advance),
                        std::round(font.ascent + font.descent));
        cairo_fill(cr_);
    }
    setCairoColour(cr_, fontColour_);
    cairo_move_to(cr_, x, baseline);
    cairo_show_text(cr_, text);
    if (fontStyle_ & kStyleUnderline) {
        cairo_rectangle(cr_, x, baseline + 1, std::ceil(extents.x_advance), 1);
        cairo_fill(cr_);
    }
    cairo_restore(cr_);
}

double Canvas::textWidth(const char* text) {
    if (!cr_ || !text) return 0.0;
    cairo_save(cr_);
    applyFont();
    cairo_text_extents_t extents{};
    cairo_text_extents(cr_, text, &extents);
    cairo_restore(cr_);
    return extents.x_advance;
}

uint32_t Canvas::mouseState() const {
    return currentPlatform().mouseState();
}

void Canvas::mousePosition(Point& where) const {
    const PixelPoint cursor = currentPlatform().cursorPosition();
    where = {cursor.x - windowPosition_.h, cursor.y - windowPosition_.v};
}

}  // namespace marrowfold
