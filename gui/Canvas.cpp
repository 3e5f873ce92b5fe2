#include "gui/Canvas.h"

#include <memory>
#include <new>

#include "gui/FontTable.h"

namespace marrowfold {

Canvas::Canvas(Frame* frame, DrawingSurface* surface, WindowId window)
    : frame_(frame), window_(window), surface_(surface) {
    if (window != kNoWindow) {
        const PixelRect rect = currentPlatform().windowRect(window);
        windowPosition_ = {rect.left, rect.top};
    }
}

Canvas::Canvas(Frame* frame, std::shared_ptr<DrawingSurface> surface, WindowId window)
    : Canvas(frame, surface.get(), window) {
    heldSurface_ = std::move(surface);
}

Canvas::~Canvas() {
    if (surface_) surface_->flush();
}

PixelPoint Canvas::place(const Point& point) const {
    return {point.h + origin_.h, point.v + origin_.v};
}

PixelRect Canvas::place(const Rect& rect) const {
    const Rect moved = rect.movedBy(origin_.h, origin_.v);
    return {moved.left, moved.top, moved.right, moved.bottom};
}

PenStyle Canvas::pen() const {
    return {penColour_.packed(), lineWidth_, lineStyle_ == kDotted};
}

FontSpec Canvas::font() const {
    const FontEntry& entry = fontEntry(fontId_);
    return {entry.face, fontSize_ == 0 ? entry.height : fontSize_,
            entry.alwaysBold || (fontStyle_ & kStyleBold) != 0, (fontStyle_ & kStyleItalic) != 0,
            entry.decorative};
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

// Short paths are placed on the stack; longer ones need memory, and are not drawn without it.
constexpr int32_t kStackPathPoints = 30;

template <typename Draw>
void Canvas::withPlacedPoints(const Point* points, int32_t count, Draw draw) const {
    PixelPoint onStack[kStackPathPoints];
    std::unique_ptr<PixelPoint[]> onHeap;
    PixelPoint* placed = onStack;
    if (count > kStackPathPoints) {
        onHeap.reset(new (std::nothrow) PixelPoint[static_cast<size_t>(count)]);
        if (!onHeap) return;
        placed = onHeap.get();
    }
    for (int32_t i = 0; i < count; ++i)
        placed[i] = place(points[i]);
    draw(placed);
}

void Canvas::strokePath(const Point* points, int32_t count, bool closed) {
    if (!surface_) return;
    withPlacedPoints(points, count, [&](const PixelPoint* placed) {
        surface_->strokePolyline(placed, count, closed, pen());
    });
}

void Canvas::fillPolygon(const Point* points, int32_t count) {
    if (!surface_ || !points || count < 3) return;
    withPlacedPoints(points, count, [&](const PixelPoint* placed) {
        surface_->fillPolygon(placed, count, fillColour_.packed());
    });
}

void Canvas::drawRect(const Rect& rect) {
    const Point outline[4] = {{rect.left, rect.top},
                              {rect.right, rect.top},
                              {rect.right, rect.bottom},
                              {rect.left, rect.bottom}};
    strokePath(outline, 4, true);
}

void Canvas::fillRect(const Rect& rect) {
    if (!surface_ || rect.width() < 2 || rect.height() < 2) return;
    const PixelRect inside = place(rect);
    surface_->fillRect({inside.left + 1, inside.top + 1, inside.right, inside.bottom},
                       fillColour_.packed());
}

void Canvas::drawArc(const Rect& rect, const Point& start, const Point& end) {
    if (!surface_) return;
    const PixelRect box = place(rect);
    surface_->strokeArc({box.left, box.top, box.right + 1, box.bottom + 1}, place(start),
                        place(end), pen());
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

void Canvas::drawText(const char* text, const Rect& rect, bool opaque, int32_t alignment) {
    if (!surface_ || !text) return;
    TextStyle style{font(), (fontStyle_ & kStyleUnderline) != 0, fontColour_.packed(), {}};
    if (opaque) style.background = fillColour_.packed();
    const TextAlignment align = alignment == kAlignCentre  ? TextAlignment::Centre
                                : alignment == kAlignRight ? TextAlignment::Right
                                                           : TextAlignment::Left;
    surface_->drawText(text, place(rect), align, style);
}

double Canvas::textWidth(const char* text) {
    if (!surface_ || !text) return 0.0;
    return surface_->textWidth(text, font());
}

uint32_t Canvas::mouseState() const {
    return currentPlatform().mouseState();
}

void Canvas::mousePosition(Point& where) const {
    const PixelPoint cursor = currentPlatform().cursorPosition();
    where = {cursor.x - windowPosition_.h, cursor.y - windowPosition_.v};
}

}  // namespace marrowfold
