#include "gui/Bitmap.h"

#include <cstring>

#include "gui/Canvas.h"
#include "resources/bitmaps/BitmapResources.h"

namespace marrowfold {

namespace {

struct PngReader {
    const unsigned char* data;
    size_t size;
    size_t position;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->size - reader->position < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

constexpr uint32_t kRgbMask = 0x00ffffff;
constexpr uint32_t kOpaque = 0xff000000;

}  // namespace

Bitmap::Bitmap(int32_t resourceId) : resourceId_(resourceId) {
    const BitmapResource resource = findBitmapResource(resourceId);
    if (!resource.data) return;
    PngReader reader{resource.data, resource.size, 0};
    adopt(cairo_image_surface_create_from_png_stream(readPng, &reader));
}

Bitmap::Bitmap(int32_t resourceId, cairo_surface_t* picture) : resourceId_(resourceId) {
    if (picture) adopt(cairo_surface_reference(picture));
}

// Keeps the picture as opaque RGB, whatever format it came in.
void Bitmap::adopt(cairo_surface_t* picture) {
    if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(picture);
        return;
    }
    width_ = cairo_image_surface_get_width(picture);
    height_ = cairo_image_surface_get_height(picture);
    picture_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
    cairo_t* cr = cairo_create(picture_);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(picture);
    cairo_surface_flush(picture_);
}

Bitmap::~Bitmap() {
    if (keyedCopy_) cairo_surface_destroy(keyedCopy_);
    if (picture_) cairo_surface_destroy(picture_);
}

void Bitmap::release() {
    if (--referenceCount_ <= 0) delete this;
}

void Bitmap::setKeyColour(const Color& colour) {
    if (colour.sameAs(keyColour_)) return;
    keyColour_ = colour;
    // A copy keyed on the old colour would leave out the wrong pixels.
    if (keyedCopy_) cairo_surface_destroy(keyedCopy_);
    keyedCopy_ = nullptr;
}

void Bitmap::makeKeyedCopy() {
    keyedCopy_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
    const uint32_t key = keyColour_.packed();
    const int sourceStride = cairo_image_surface_get_stride(picture_);
    const int targetStride = cairo_image_surface_get_stride(keyedCopy_);
    const unsigned char* source = cairo_image_surface_get_data(picture_);
    unsigned char* target = cairo_image_surface_get_data(keyedCopy_);
    for (int32_t y = 0; y < height_; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(source + y * sourceStride);
        auto* out = reinterpret_cast<uint32_t*>(target + y * targetStride);
        for (int32_t x = 0; x < width_; ++x) {
            const uint32_t rgb = in[x] & kRgbMask;
            out[x] = rgb == key ? 0 : (rgb | kOpaque);
        }
    }
    cairo_surface_mark_dirty(keyedCopy_);
}

void Bitmap::paint(Canvas& canvas, cairo_surface_t* source, const Rect& rect, const Point& offset) {
    cairo_t* cr = canvas.cairo();
    if (!cr || !source) return;
    const Rect place = rect.movedBy(canvas.originOffset().h, canvas.originOffset().v);
    cairo_save(cr);
    cairo_set_source_surface(cr, source, place.left - offset.h, place.top - offset.v);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, place.left, place.top, place.width(), place.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

void Bitmap::draw(Canvas& canvas, const Rect& rect, const Point& offset) {
    paint(canvas, picture_, rect, offset);
}

void Bitmap::drawKeyed(Canvas& canvas, const Rect& rect, const Point& offset) {
    if (!picture_) return;
    if (!keyedCopy_) makeKeyedCopy();
    paint(canvas, keyedCopy_, rect, offset);
}

}  // namespace marrowfold
