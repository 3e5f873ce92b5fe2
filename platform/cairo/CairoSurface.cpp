#include "platform/cairo/CairoSurface.h"

#include <cairo-xlib.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/PictureSource.h"
#include "platform/ScaleFactor.h"

namespace marrowfold {

namespace {

// Half a pixel puts a one-pixel stroke on the pixel centres.
constexpr double kPixelCentre = 0.5;
constexpr uint32_t kRgbMask = 0x00ffffff;
constexpr uint32_t kOpaque = 0xff000000;

bool axisAligned(const PixelPoint& a, const PixelPoint& b) {
    return a.x == b.x || a.y == b.y;
}

int32_t sign(int32_t value) {
    return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

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

// The PNG decoded as cairo gives it, or null when it cannot be read.
cairo_surface_t* decodePng(const EmbeddedPicture& resource) {
    if (!resource.data) return nullptr;
    PngReader reader{resource.data, resource.size, 0};
    cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(decoded) == CAIRO_STATUS_SUCCESS) return decoded;
    cairo_surface_destroy(decoded);
    return nullptr;
}

double deviceScaleOf(cairo_surface_t* surface) {
    double scaleH = 1.0;
    double scaleV = 1.0;
    cairo_surface_get_device_scale(surface, &scaleH, &scaleV);
    return scaleH;
}

// The picture filtered to another scale, same logical size; edge pixels repeat outwards so the
// filter does not darken the border.
cairo_surface_t* filteredCopy(cairo_surface_t* source, double scale, cairo_format_t format) {
    const double sourceScale = deviceScaleOf(source);
    const int32_t width = toLogicalPixels(cairo_image_surface_get_width(source), sourceScale);
    const int32_t height = toLogicalPixels(cairo_image_surface_get_height(source), sourceScale);
    cairo_surface_t* copy = cairo_image_surface_create(format, toDevicePixels(width, scale),
                                                       toDevicePixels(height, scale));
    cairo_surface_set_device_scale(copy, scale, scale);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return copy;
}

// A copy with alpha 0 wherever the picture has the key colour, at the picture's own scale.
cairo_surface_t* withoutKey(cairo_surface_t* source, PackedRgb key) {
    const int32_t w = cairo_image_surface_get_width(source);
    const int32_t h = cairo_image_surface_get_height(source);
    cairo_surface_t* keyed = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    const double sourceScale = deviceScaleOf(source);
    cairo_surface_set_device_scale(keyed, sourceScale, sourceScale);
    const int sourceStride = cairo_image_surface_get_stride(source);
    const int targetStride = cairo_image_surface_get_stride(keyed);
    const unsigned char* in = cairo_image_surface_get_data(source);
    unsigned char* out = cairo_image_surface_get_data(keyed);
    for (int32_t y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(in + y * sourceStride);
        auto* keyedRow = reinterpret_cast<uint32_t*>(out + y * targetStride);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t rgb = row[x] & kRgbMask;
            keyedRow[x] = rgb == key ? 0 : (rgb | kOpaque);
        }
    }
    cairo_surface_mark_dirty(keyed);
    return keyed;
}

std::string resolveFamily(const std::string& face) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face.c_str()));
    if (!pattern) return face;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string family = face;
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) {
        family = reinterpret_cast<const char*>(name);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family;
}

}  // namespace

const std::string& installedFamily(const std::string& face) {
    static std::map<std::string, std::string> resolved;
    auto it = resolved.find(face);
    if (it == resolved.end()) it = resolved.emplace(face, resolveFamily(face)).first;
    return it->second;
}

void setCairoColour(cairo_t* cr, PackedRgb colour) {
    cairo_set_source_rgb(cr, ((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0,
                         (colour & 0xff) / 255.0);
}

CairoSurface::CairoSurface(cairo_surface_t* surface, double scale) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return;
    surface_ = cairo_surface_reference(surface);
    scale_ = scale;
    if (scale_ != 1.0) cairo_surface_set_device_scale(surface_, scale_, scale_);
    cr_ = cairo_create(surface_);
    // Between whole factors, rectangles and lines keep hard edges on the nearest device pixels
    // instead of blurring; text keeps its own antialiasing through the font options.
    if (scale_ != 1.0) cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);
}

CairoSurface::~CairoSurface() {
    if (keyed_) cairo_surface_destroy(keyed_);
    for (auto& [scale, drawn] : drawn_)
        cairo_surface_destroy(drawn);
    for (auto& [scale, filtered] : filtered_)
        cairo_surface_destroy(filtered);
    if (!cr_) return;
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

std::unique_ptr<CairoSurface> CairoSurface::picture(int32_t width, int32_t height, double scale) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, toDevicePixels(std::max(width, 0), scale),
                                   toDevicePixels(std::max(height, 0), scale));
    auto picture = std::make_unique<CairoSurface>(surface, scale);
    cairo_surface_destroy(surface);
    return picture;
}

// Keeps the picture as opaque RGB, whatever format the resource came in.
std::unique_ptr<CairoSurface> CairoSurface::embeddedBitmap(int32_t resourceId) {
    cairo_surface_t* decoded = decodePng(embeddedPicture(resourceId));
    if (!decoded) return nullptr;
    std::unique_ptr<CairoSurface> picture = CairoSurface::picture(
        cairo_image_surface_get_width(decoded), cairo_image_surface_get_height(decoded));
    cairo_t* cr = picture->context();
    cairo_save(cr);
    cairo_set_source_surface(cr, decoded, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
    picture->flush();
    picture->resourceId_ = resourceId;
    cairo_surface_destroy(decoded);
    return picture;
}

// The drawing at a larger scale is decoded as it comes (RGB24 from our generator) and told its
// scale, so that cairo maps its pixels onto the same logical size as the 1x picture.
cairo_surface_t* CairoSurface::drawnFor(double targetScale) {
    const int32_t drawnScale = bitmapScaleFor(targetScale, largestPictureScale());
    if (resourceId_ == 0 || drawnScale == 1) return surface_;
    auto it = drawn_.find(drawnScale);
    if (it != drawn_.end()) return it->second;
    cairo_surface_t* decoded = decodePng(embeddedPicture(resourceId_, drawnScale));
    if (!decoded) return surface_;
    cairo_surface_set_device_scale(decoded, drawnScale, drawnScale);
    drawn_.emplace(drawnScale, decoded);
    return decoded;
}

// Filtering a picture down is far dearer than copying it, so it is done once per factor.
cairo_surface_t* CairoSurface::sourceFor(double targetScale) {
    cairo_surface_t* drawn = drawnFor(targetScale);
    if (resourceId_ == 0 || deviceScaleOf(drawn) == targetScale) return drawn;
    auto it = filtered_.find(targetScale);
    if (it != filtered_.end()) return it->second;
    cairo_surface_t* made = filteredCopy(drawn, targetScale, CAIRO_FORMAT_RGB24);
    filtered_.emplace(targetScale, made);
    return made;
}
int32_t CairoSurface::deviceWidth() const {
    if (!surface_) return 0;
    return cairo_surface_get_type(surface_) == CAIRO_SURFACE_TYPE_XLIB
               ? cairo_xlib_surface_get_width(surface_)
               : cairo_image_surface_get_width(surface_);
}

int32_t CairoSurface::deviceHeight() const {
    if (!surface_) return 0;
    return cairo_surface_get_type(surface_) == CAIRO_SURFACE_TYPE_XLIB
               ? cairo_xlib_surface_get_height(surface_)
               : cairo_image_surface_get_height(surface_);
}

int32_t CairoSurface::width() const {
    return toLogicalPixels(deviceWidth(), scale_);
}

int32_t CairoSurface::height() const {
    return toLogicalPixels(deviceHeight(), scale_);
}

void CairoSurface::flush() {
    if (surface_) cairo_surface_flush(surface_);
}

void CairoSurface::fillRect(const PixelRect& rect, PackedRgb colour) {
    if (!cr_) return;
    setCairoColour(cr_, colour);
    cairo_rectangle(cr_, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cr_);
}

// A one-pixel solid or dotted line along a row or column: the start pixel is drawn, the end
// pixel is not. Dotted lines draw every other pixel, starting with the first.
void CairoSurface::fillPixelSegment(const PixelPoint& from, const PixelPoint& to, bool dotted) {
    const int32_t dh = sign(to.x - from.x);
    const int32_t dv = sign(to.y - from.y);
    const int32_t length = std::abs(to.x - from.x) + std::abs(to.y - from.y);
    if (!dotted) {
        const int32_t left = dh < 0 ? to.x + 1 : from.x;
        const int32_t top = dv < 0 ? to.y + 1 : from.y;
        cairo_rectangle(cr_, left, top, dh ? length : 1, dv ? length : 1);
        return;
    }
    for (int32_t i = 0; i < length; i += 2) {
        cairo_rectangle(cr_, from.x + dh * i, from.y + dv * i, 1, 1);
    }
}

// Thin lines along rows and columns are filled pixel by pixel, which no stroke rasteriser gets
// exactly right; everything else is stroked through the pixel centres.
void CairoSurface::strokePolyline(const PixelPoint* points, int32_t count, bool closed,
                                  const PenStyle& pen) {
    if (!cr_ || !points || count < 2) return;
    const int32_t segments = closed ? count : count - 1;
    bool pixelExact = pen.width <= 1;
    for (int32_t i = 0; i < segments && pixelExact; ++i) {
        pixelExact = axisAligned(points[i], points[(i + 1) % count]);
    }
    cairo_save(cr_);
    setCairoColour(cr_, pen.colour);
    if (pixelExact) {
        for (int32_t i = 0; i < segments; ++i)
            fillPixelSegment(points[i], points[(i + 1) % count], pen.dotted);
        cairo_fill(cr_);
    } else {
        cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(cr_, pen.width < 1 ? 1 : pen.width);
        if (pen.dotted) {
            const double dots[] = {1.0, 1.0};
            cairo_set_dash(cr_, dots, 2, 0);
        }
        cairo_move_to(cr_, points[0].x + kPixelCentre, points[0].y + kPixelCentre);
        for (int32_t i = 1; i < count; ++i) {
            cairo_line_to(cr_, points[i].x + kPixelCentre, points[i].y + kPixelCentre);
        }
        if (closed) cairo_close_path(cr_);
        cairo_stroke(cr_);
    }
    cairo_restore(cr_);
}

void CairoSurface::fillPolygon(const PixelPoint* points, int32_t count, PackedRgb colour) {
    if (!cr_ || !points || count < 3) return;
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    setCairoColour(cr_, colour);
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (int32_t i = 1; i < count; ++i)
        cairo_line_to(cr_, points[i].x, points[i].y);
    cairo_close_path(cr_);
    cairo_fill(cr_);
    cairo_restore(cr_);
}

// The ellipse runs through the centres of the box's outermost pixels. Screen angles grow
// clockwise because y points down, so a counter-clockwise arc runs towards smaller angles.
void CairoSurface::strokeArc(const PixelRect& box, PixelPoint start, PixelPoint end,
                             const PenStyle& pen) {
    if (!cr_) return;
    const double radiusH = (box.width() - 1) / 2.0;
    const double radiusV = (box.height() - 1) / 2.0;
    if (radiusH <= 0 || radiusV <= 0) return;
    const double centreH = box.left + kPixelCentre + radiusH;
    const double centreV = box.top + kPixelCentre + radiusV;
    const double from = std::atan2((start.y + kPixelCentre - centreV) / radiusV,
                                   (start.x + kPixelCentre - centreH) / radiusH);
    const double to = std::atan2((end.y + kPixelCentre - centreV) / radiusV,
                                 (end.x + kPixelCentre - centreH) / radiusH);
    cairo_save(cr_);
    cairo_translate(cr_, centreH, centreV);
    cairo_scale(cr_, radiusH, radiusV);
    cairo_new_path(cr_);
    cairo_arc_negative(cr_, 0, 0, 1, from, to);
    cairo_restore(cr_);
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    setCairoColour(cr_, pen.colour);
    cairo_set_line_width(cr_, pen.width < 1 ? 1 : pen.width);
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

void CairoSurface::selectFont(const FontSpec& font) {
    cairo_select_font_face(cr_, installedFamily(font.face).c_str(),
                           font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, font.pixelHeight);
}

void CairoSurface::drawText(const char* text, const PixelRect& box, TextAlignment alignment,
                            const TextStyle& style) {
    if (!cr_ || !text) return;
    cairo_save(cr_);
    cairo_rectangle(cr_, box.left, box.top, box.width(), box.height());
    cairo_clip(cr_);
    selectFont(style.font);
    cairo_font_extents_t font{};
    cairo_font_extents(cr_, &font);
    cairo_text_extents_t extents{};
    cairo_text_extents(cr_, text, &extents);
    double x = box.left + 1;
    if (alignment == TextAlignment::Centre) x = box.left + (box.width() - extents.x_advance) / 2.0;
    if (alignment == TextAlignment::Right) x = box.right - extents.x_advance;
    x = std::round(x);
    const double baseline =
        std::round(box.top + (box.height() - (font.ascent + font.descent)) / 2.0 + font.ascent);
    if (style.background) {
        setCairoColour(cr_, *style.background);
        cairo_rectangle(cr_, x, baseline - std::round(font.ascent), std::ceil(extents.x_advance),
                        std::round(font.ascent + font.descent));
        cairo_fill(cr_);
    }
    setCairoColour(cr_, style.colour);
    cairo_move_to(cr_, x, baseline);
    cairo_show_text(cr_, text);
    if (style.underline) {
        cairo_rectangle(cr_, x, baseline + 1, std::ceil(extents.x_advance), 1);
        cairo_fill(cr_);
    }
    cairo_restore(cr_);
}

double CairoSurface::textWidth(const char* text, const FontSpec& font) {
    if (!cr_ || !text) return 0.0;
    cairo_save(cr_);
    selectFont(font);
    cairo_text_extents_t extents{};
    cairo_text_extents(cr_, text, &extents);
    cairo_restore(cr_);
    return extents.x_advance;
}

// Pixels at this surface's own scale are copied one to one; others are filtered to it.
void CairoSurface::paintSource(cairo_surface_t* source, const PixelRect& place, PixelPoint from) {
    if (!cr_ || !source) return;
    cairo_save(cr_);
    cairo_set_source_surface(cr_, source, place.left - from.x, place.top - from.y);
    cairo_pattern_set_filter(cairo_get_source(cr_), deviceScaleOf(source) == scale_
                                                        ? CAIRO_FILTER_NEAREST
                                                        : CAIRO_FILTER_GOOD);
    cairo_rectangle(cr_, place.left, place.top, place.width(), place.height());
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void CairoSurface::copyFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from) {
    auto& picture = static_cast<CairoSurface&>(source);
    picture.flush();
    paintSource(picture.sourceFor(scale_), place, from);
}

void CairoSurface::copyKeyedFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from,
                                 PackedRgb key) {
    paintSource(static_cast<CairoSurface&>(source).keyedCopy(key, scale_), place, from);
}

// The key is taken out of the whole-scale drawing, and only then is the result filtered to a
// factor between, so that its edges blend into whatever lies below instead of into the key.
cairo_surface_t* CairoSurface::keyedCopy(PackedRgb key, double targetScale) {
    if (!surface_) return nullptr;
    if (keyed_ && keyedOn_ == key && keyedScale_ == targetScale) return keyed_;
    if (keyed_) cairo_surface_destroy(keyed_);
    flush();
    keyed_ = withoutKey(drawnFor(targetScale), key);
    keyedOn_ = key;
    keyedScale_ = targetScale;
    if (resourceId_ != 0 && deviceScaleOf(keyed_) != targetScale) {
        cairo_surface_t* filtered = filteredCopy(keyed_, targetScale, CAIRO_FORMAT_ARGB32);
        cairo_surface_destroy(keyed_);
        keyed_ = filtered;
    }
    return keyed_;
}

}  // namespace marrowfold
