#pragma once

// The drawing layer of the Linux backends on cairo: a window's surface or a picture in memory.

#include <cairo.h>

#include <memory>

#include "platform/DrawingSurface.h"

namespace marrowfold {

class CairoSurface : public DrawingSurface {
  public:
    // Draws on surface, taking a reference to it (released at destruction); a null or failed
    // surface gives one on which every operation does nothing.
    explicit CairoSurface(cairo_surface_t* surface);
    ~CairoSurface() override;
    CairoSurface(const CairoSurface&) = delete;
    CairoSurface& operator=(const CairoSurface&) = delete;

    // A new opaque RGB picture in memory, black.
    static std::unique_ptr<CairoSurface> picture(int32_t width, int32_t height);
    // The embedded bitmap of that id from the installed picture source, or null.
    static std::unique_ptr<CairoSurface> embeddedBitmap(int32_t resourceId);

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

  private:
    void fillPixelSegment(const PixelPoint& from, const PixelPoint& to, bool dotted);
    void selectFont(const FontSpec& font);
    void paintSource(cairo_surface_t* source, const PixelRect& place, PixelPoint from);
    // The picture with alpha 0 at the key colour, made on the first keyed copy from it.
    cairo_surface_t* keyedCopy(PackedRgb key);

    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    cairo_surface_t* keyed_ = nullptr;
    PackedRgb keyedOn_ = 0;
};

void setCairoColour(cairo_t* cr, PackedRgb colour);

// The installed family that stands in for a face, as fontconfig resolves it (a metric-compatible
// family such as Liberation Sans for Arial). Resolved once per face.
const std::string& installedFamily(const std::string& face);

}  // namespace marrowfold
