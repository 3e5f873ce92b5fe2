#pragma once

// The drawing layer of the Linux backends on cairo: a window's surface or a picture in memory.

#include <cairo.h>

#include <map>
#include <memory>

#include "platform/DrawingSurface.h"

namespace marrowfold {

class CairoSurface : public DrawingSurface {
  public:
    // Draws on surface, taking a reference to it (released at destruction); a null or failed
    // surface gives one on which every operation does nothing. With a scale factor above 1 the
    // surface's pixels are device pixels and everything is drawn on it in logical pixels, each
    // factor device pixels wide: lines, rectangles and text at the larger size, not stretched.
    explicit CairoSurface(cairo_surface_t* surface, double scale = 1.0);
    ~CairoSurface() override;
    CairoSurface(const CairoSurface&) = delete;
    CairoSurface& operator=(const CairoSurface&) = delete;

    // A new opaque RGB picture in memory, black, of that logical size at that scale.
    static std::unique_ptr<CairoSurface> picture(int32_t width, int32_t height, double scale = 1.0);
    // The embedded bitmap of that id at 1x from the installed picture source, or null. Copied to
    // a surface with a larger scale, it gives the bitmap drawn at the nearest larger scale
    // instead, filtered down.
    static std::unique_ptr<CairoSurface> embeddedBitmap(int32_t resourceId);

    // The size in logical pixels.
    int32_t width() const override;
    int32_t height() const override;
    void fillRect(const PixelRect& rect, PackedRgb colour) override;
    void strokePolyline(const PixelPoint* points, int32_t count, bool closed,
                        const PenStyle& pen) override;
    void fillPolygon(const PixelPoint* points, int32_t count, PackedRgb colour) override;
    void strokeArc(const PixelRect& box, PixelPoint start, PixelPoint end,
                   const PenStyle& pen) override;
    void drawText(const char* text, const PixelRect& box, TextAlignment alignment,
                  const TextStyle& style) override;
    double textWidth(const char* text, const FontSpec& font) override;
    void copyFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from) override;
    void copyKeyedFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from,
                       PackedRgb key) override;
    void flush() override;

    // The cairo surface underneath, for code that reads its pixels; null when there is none.
    cairo_surface_t* surface() const { return surface_; }
    // The surface's cairo context, or null.
    cairo_t* context() const { return cr_; }
    double scale() const { return scale_; }

  private:
    int32_t deviceWidth() const;
    int32_t deviceHeight() const;
    void fillPixelSegment(const PixelPoint& from, const PixelPoint& to, bool dotted);
    void selectFont(const FontSpec& font);
    void paintSource(cairo_surface_t* source, const PixelRect& place, PixelPoint from);
    // For an embedded bitmap, its drawing at the nearest whole scale at or above the target's,
    // decoded on first use; for other surfaces their own pixels.
    cairo_surface_t* drawnFor(double targetScale);
    // The pixels to copy onto a surface of that scale: drawnFor's, filtered down once to a
    // factor between whole ones.
    cairo_surface_t* sourceFor(double targetScale);
    // The pixels for that scale with alpha 0 at the key colour, made on the first keyed copy.
    cairo_surface_t* keyedCopy(PackedRgb key, double targetScale);

    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    double scale_ = 1.0;
    // An embedded bitmap's id (0 for other surfaces) and its drawings at larger scales.
    int32_t resourceId_ = 0;
    std::map<int32_t, cairo_surface_t*> drawn_;
    std::map<double, cairo_surface_t*> filtered_;
    cairo_surface_t* keyed_ = nullptr;
    PackedRgb keyedOn_ = 0;
    double keyedScale_ = 0.0;
};

void setCairoColour(cairo_t* cr, PackedRgb colour);

// The installed family that stands in for a face, as fontconfig resolves it (a metric-compatible
// family such as Liberation Sans for Arial). Resolved once per face.
const std::string& installedFamily(const std::string& face);

}  // namespace marrowfold
