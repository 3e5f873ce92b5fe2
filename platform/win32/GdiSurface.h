#pragma once

// The drawing layer of the Win32 backend on GDI: a memory device context with a 32-bit DIB
// section selected into it. Windows draw into one of these and copy it to the screen with
// BitBlt when they paint, so nothing flickers; offscreen pictures and resource bitmaps are the
// same kind of surface.

#include <windows.h>

#include <memory>

#include "platform/DrawingSurface.h"

namespace marrowfold::win32 {

COLORREF colourRef(PackedRgb colour);

// A GDI font for the spec (its height in pixels); the caller deletes it.
HFONT createFont(const FontSpec& spec, bool underline);

class GdiSurface : public DrawingSurface {
  public:
    // A picture of that size, black; 0 x 0 when GDI cannot make one.
    GdiSurface(int32_t width, int32_t height);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    // The bitmap resource of that id in module, through LoadBitmapA; null when it has none.
    static std::unique_ptr<GdiSurface> fromResource(HINSTANCE module, int32_t resourceId);

    int32_t width() const override { return width_; }
    int32_t height() const override { return height_; }
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

    // The memory device context, for BitBlt to and from a window; null when GDI failed.
    HDC dc() const { return dc_; }
    // The pixels, top row first, 0x00RRGGBB each; null when GDI failed.
    const uint32_t* pixels() const { return pixels_; }

  private:
    class SelectedObjects;
    HPEN pen(const PenStyle& style);
    HBRUSH brush(PackedRgb colour);
    HFONT font(const FontSpec& spec, bool underline);
    void releaseCachedObjects();
    HBITMAP keyMask(PackedRgb key);

    int32_t width_ = 0;
    int32_t height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
    // The pen, brush and font of the last operation that needed one, kept until one differs.
    HPEN pen_ = nullptr;
    PenStyle penStyle_;
    HBRUSH brush_ = nullptr;
    PackedRgb brushColour_ = 0;
    HFONT font_ = nullptr;
    FontSpec fontSpec_;
    bool fontUnderline_ = false;
    // The one-bit mask of the key colour, made on the first keyed copy from this surface.
    HBITMAP mask_ = nullptr;
    PackedRgb maskKey_ = 0;
};

}  // namespace marrowfold::win32
