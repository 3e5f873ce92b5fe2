#include "gui/OffscreenCanvas.h"

#include <algorithm>

namespace marrowfold {

namespace {

// The canvas keeps the picture alive through its cairo context; this reference is handed over.
cairo_surface_t* newPicture(int32_t width, int32_t height) {
    return cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 0), std::max(height, 0));
}

}  // namespace

OffscreenCanvas::OffscreenCanvas(Frame* frame, int32_t width, int32_t height,
                                 const Color& background)
    : Canvas(frame, newPicture(width, height)),
      width_(width),
      height_(height),
      background_(background) {
    cairo_t* cr = cairo();
    if (!cr) return;
    cairo_surface_destroy(cairo_get_target(cr));
    setCairoColour(cr, background);
    cairo_paint(cr);
}

void OffscreenCanvas::copyTo(Canvas& target, const Rect& rect, const Point& source) const {
    cairo_t* to = target.cairo();
    if (!to || !cairo()) return;
    cairo_surface_t* picture = cairo_get_target(cairo());
    cairo_surface_flush(picture);
    const Rect place = rect.movedBy(target.originOffset().h, target.originOffset().v);
    cairo_save(to);
    cairo_set_source_surface(to, picture, place.left - source.h, place.top - source.v);
    cairo_pattern_set_filter(cairo_get_source(to), CAIRO_FILTER_NEAREST);
    cairo_rectangle(to, place.left, place.top, place.width(), place.height());
    cairo_fill(to);
    cairo_restore(to);
}

}  // namespace marrowfold
