#pragma once

// The drawing layer of the Win32 backend on GDI: a memory device context with a 32-bit DIB
// section selected into it. Windows draw into one of these and copy it to the screen with
// BitBlt when they paint, so nothing flickers; offscreen pictures and resource bitmaps are the
// same kind of surface.

#include <windows.h>

#include <map>
#include <memory>
#include <utility>

#include "platform/DrawingSurface.h"

namespace marrowfold::win32 {

COLORREF colourRef(PackedRgb colour);

// A GDI font for the spec, its height in pixels times scale; the caller deletes it.
HFONT createFont(const FontSpec& spec, bool underline, double scale = 1.0);

// The resource id of a bitmap drawn at a whole scale above 1: the 1x id moved up by this step
// once per scale, so 1000 at 2x is 2000 and at 3x 3000.
inline constexpr int32_t kScaledBitmapIdStep = 1000;
// The largest whole scale the module's resources hold the bitmaps at.
inline constexpr int32_t kLargestResourceBitmapScale = 3;
int32_t scaledBitmapResourceId(int32_t resourceId, int32_t scale);

class GdiSurface : public DrawingSurface {
  public:
    // A picture of that logical size, black, holding scale x scale device pixels for each
    // logical one; 0 x 0 when GDI cannot make one. Everything is drawn on it in logical pixels.
    GdiSurface(int32_t width, int32_t height, double scale = 1.0);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    // The bitmap resource of that id in module, through LoadBitmapA; null when it has none.
    // Copied onto a surface with a larger scale, it gives the module's drawing at the nearest
    // whole scale at or above that one instead (a PNG resource, see PngResource.h), filtered
    // down when the scale lies between.
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

    double scale() const { return scale_; }
    int32_t deviceWidth() const { return deviceWidth_; }
    int32_t deviceHeight() const { return deviceHeight_; }
    // The memory device context, for BitBlt to and from a window; null when GDI failed.
    HDC dc() const { return dc_; }
    // The device pixels, top row first, 0x00RRGGBB each; null when GDI failed.
    const uint32_t* pixels() const { return pixels_; }

  private:
    // The device size of a logical length or position on this surface.
    int32_t device(int32_t logical) const;
    RECT deviceRect(const PixelRect& rect) const;
    // The device width of a pen of that logical width.
    int32_t devicePenWidth(int32_t width) const;
    std::pair<int32_t, int32_t> penGrowth(int32_t width) const;
    // This picture's pixels at that scale: itself at its own scale, else a copy made once (from
    // the resource drawn at the nearest larger scale when it is one) and kept.
    GdiSurface& atScale(double scale);
    std::unique_ptr<GdiSurface> drawnAt(int32_t wholeScale) const;
    class SelectedObjects;
    HPEN pen(const PenStyle& style);
    HBRUSH brush(PackedRgb colour);
    HFONT font(const FontSpec& spec, bool underline);
    void releaseCachedObjects();
    HBITMAP keyMask(PackedRgb key);

    int32_t width_ = 0;
    int32_t height_ = 0;
    double scale_ = 1.0;
    int32_t deviceWidth_ = 0;
    int32_t deviceHeight_ = 0;
    // A resource bitmap's module and id (null and 0 for other pictures) and its copies at the
    // other scales it was drawn on.
    HINSTANCE module_ = nullptr;
    int32_t resourceId_ = 0;
    std::map<double, std::unique_ptr<GdiSurface>> scaled_;
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
