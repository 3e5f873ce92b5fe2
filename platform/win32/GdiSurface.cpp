#include "platform/win32/GdiSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/ScaleFactor.h"
#include "platform/win32/PngResource.h"

namespace marrowfold::win32 {

namespace {

constexpr LONG kBoldWeight = FW_BOLD;
constexpr LONG kNormalWeight = FW_NORMAL;
constexpr COLORREF kAllOnes = RGB(255, 255, 255);
constexpr COLORREF kAllZeros = RGB(0, 0, 0);

// A memory context with one bitmap selected. It deletes the bitmap with itself unless the bitmap
// is borrowed or released.
class ScratchContext {
  public:
    enum class Bitmap { Owned, Borrowed };
    ScratchContext(HDC compatibleWith, HBITMAP bitmap, Bitmap ownership = Bitmap::Owned)
        : dc_(CreateCompatibleDC(compatibleWith)),
          bitmap_(bitmap),
          owned_(ownership == Bitmap::Owned) {
        if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
    }
    ~ScratchContext() {
        if (dc_ && previous_) SelectObject(dc_, previous_);
        if (dc_) DeleteDC(dc_);
        if (bitmap_ && owned_) DeleteObject(bitmap_);
    }
    ScratchContext(const ScratchContext&) = delete;
    ScratchContext& operator=(const ScratchContext&) = delete;
    bool ready() const { return dc_ && bitmap_ && previous_; }
    HDC dc() const { return dc_; }
    // Hands the bitmap over to the caller; the context no longer deletes it.
    HBITMAP release() {
        owned_ = false;
        return bitmap_;
    }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    bool owned_;
    HGDIOBJ previous_ = nullptr;
};

HBITMAP monochromeBitmap(int32_t width, int32_t height) {
    return CreateBitmap(width, height, 1, 1, nullptr);
}

}  // namespace

// Selects a pen, brush or font for the length of one operation and puts the previous one back.
class GdiSurface::SelectedObjects {
  public:
    explicit SelectedObjects(HDC dc) : dc_(dc) {}
    ~SelectedObjects() {
        for (auto it = previous_.rbegin(); it != previous_.rend(); ++it)
            SelectObject(dc_, *it);
    }
    SelectedObjects(const SelectedObjects&) = delete;
    SelectedObjects& operator=(const SelectedObjects&) = delete;
    void select(HGDIOBJ object) {
        if (object) previous_.push_back(SelectObject(dc_, object));
    }

  private:
    HDC dc_;
    std::vector<HGDIOBJ> previous_;
};

int32_t scaledBitmapResourceId(int32_t resourceId, int32_t scale) {
    return resourceId + (scale - 1) * kScaledBitmapIdStep;
}

GdiSurface::GdiSurface(int32_t logicalWidth, int32_t logicalHeight, double scale) : scale_(scale) {
    if (logicalWidth <= 0 || logicalHeight <= 0) return;
    const int32_t width = toDevicePixels(logicalWidth, scale);
    const int32_t height = toDevicePixels(logicalHeight, scale);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    if (!bitmap_ || !dc_ || !bits) {
        if (dc_) DeleteDC(dc_);
        if (bitmap_) DeleteObject(bitmap_);
        dc_ = nullptr;
        bitmap_ = nullptr;
        return;
    }
    previousBitmap_ = SelectObject(dc_, bitmap_);
    pixels_ = static_cast<uint32_t*>(bits);
    std::memset(pixels_, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    width_ = logicalWidth;
    height_ = logicalHeight;
    deviceWidth_ = width;
    deviceHeight_ = height;
    SetBkMode(dc_, TRANSPARENT);
}

GdiSurface::~GdiSurface() {
    releaseCachedObjects();
    if (mask_) DeleteObject(mask_);
    if (!dc_) return;
    SelectObject(dc_, previousBitmap_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

namespace {

// A bitmap resource at 1x.
std::unique_ptr<GdiSurface> loadBitmapResource(HINSTANCE module, int32_t resourceId) {
    HBITMAP loaded = LoadBitmapA(module, MAKEINTRESOURCEA(resourceId));
    if (!loaded) return nullptr;
    BITMAP size{};
    std::unique_ptr<GdiSurface> picture;
    if (GetObjectA(loaded, sizeof size, &size) == sizeof size) {
        picture = std::make_unique<GdiSurface>(size.bmWidth, size.bmHeight);
        ScratchContext source(picture->dc(), loaded);
        loaded = nullptr;  // the scratch context deletes it
        if (picture->dc() && source.ready()) {
            BitBlt(picture->dc(), 0, 0, size.bmWidth, size.bmHeight, source.dc(), 0, 0, SRCCOPY);
        }
        if (!picture->dc()) picture.reset();
    }
    if (loaded) DeleteObject(loaded);
    return picture;
}

}  // namespace

std::unique_ptr<GdiSurface> GdiSurface::fromResource(HINSTANCE module, int32_t resourceId) {
    std::unique_ptr<GdiSurface> picture = loadBitmapResource(module, resourceId);
    if (picture) {
        picture->module_ = module;
        picture->resourceId_ = resourceId;
    }
    return picture;
}

std::unique_ptr<GdiSurface> GdiSurface::drawnAt(int32_t wholeScale) const {
    if (resourceId_ == 0 || wholeScale <= 1) return nullptr;
    const std::optional<DecodedPicture> decoded =
        decodePngResource(module_, scaledBitmapResourceId(resourceId_, wholeScale));
    if (!decoded || decoded->width != width_ * wholeScale ||
        decoded->height != height_ * wholeScale) {
        return nullptr;
    }
    auto drawn = std::make_unique<GdiSurface>(width_, height_, wholeScale);
    if (!drawn->pixels_ || drawn->deviceWidth_ != decoded->width ||
        drawn->deviceHeight_ != decoded->height) {
        return nullptr;
    }
    std::copy(decoded->pixels.begin(), decoded->pixels.end(), drawn->pixels_);
    return drawn;
}

// Between whole scales the drawing at the next one up is reduced with GDI's halftone filter,
// which averages the source pixels each target pixel covers.
GdiSurface& GdiSurface::atScale(double scale) {
    if (scale == scale_ || !dc_) return *this;
    auto kept = scaled_.find(scale);
    if (kept != scaled_.end()) return *kept->second;
    const int32_t wholeScale = bitmapScaleFor(scale, kLargestResourceBitmapScale);
    std::unique_ptr<GdiSurface> drawn = drawnAt(wholeScale);
    if (drawn && drawn->scale_ == scale) {
        GdiSurface& exact = *drawn;
        scaled_[scale] = std::move(drawn);
        return exact;
    }
    const GdiSurface& source = drawn ? *drawn : *this;
    auto copy = std::make_unique<GdiSurface>(width_, height_, scale);
    if (copy->dc_) {
        // Filtering averages pixels when reducing; enlarging a picture not drawn larger keeps
        // its pixels whole instead of blending neighbours.
        SetStretchBltMode(copy->dc_, source.scale_ > scale ? HALFTONE : COLORONCOLOR);
        SetBrushOrgEx(copy->dc_, 0, 0, nullptr);
        StretchBlt(copy->dc_, 0, 0, copy->deviceWidth_, copy->deviceHeight_, source.dc_, 0, 0,
                   source.deviceWidth_, source.deviceHeight_, SRCCOPY);
    }
    return *(scaled_[scale] = std::move(copy));
}

int32_t GdiSurface::device(int32_t logical) const {
    return scale_ == 1.0 ? logical : toDevicePixels(logical, scale_);
}

RECT GdiSurface::deviceRect(const PixelRect& rect) const {
    return {device(rect.left), device(rect.top), device(rect.right), device(rect.bottom)};
}

int32_t GdiSurface::devicePenWidth(int32_t width) const {
    const int32_t logical = width < 1 ? 1 : width;
    return std::max<int32_t>(1, static_cast<int32_t>(std::lround(logical * scale_)));
}

// How many device pixels the scaled pen reaches further than the logical one does, before and
// after its centre; none at scale 1.
std::pair<int32_t, int32_t> GdiSurface::penGrowth(int32_t width) const {
    const int32_t logical = width < 1 ? 1 : width;
    const int32_t scaled = devicePenWidth(width);
    return {scaled / 2 - logical / 2, (scaled - 1) / 2 - (logical - 1) / 2};
}

void GdiSurface::flush() {
    GdiFlush();
}

void GdiSurface::releaseCachedObjects() {
    if (pen_) DeleteObject(pen_);
    if (brush_) DeleteObject(brush_);
    if (font_) DeleteObject(font_);
    pen_ = nullptr;
    brush_ = nullptr;
    font_ = nullptr;
}

// Pens, brushes and fonts are made once per change of colour, width or face and kept, each
// replacement deleting the previous one, so nothing leaks across many redraws.
HPEN GdiSurface::pen(const PenStyle& style) {
    if (pen_ && penStyle_.colour == style.colour && penStyle_.width == style.width &&
        penStyle_.dotted == style.dotted) {
        return pen_;
    }
    if (pen_) DeleteObject(pen_);
    LOGPEN description{};
    description.lopnStyle = style.dotted ? PS_DOT : PS_SOLID;
    description.lopnWidth.x = devicePenWidth(style.width);
    description.lopnColor = colourRef(style.colour);
    pen_ = CreatePenIndirect(&description);
    penStyle_ = style;
    return pen_;
}

HBRUSH GdiSurface::brush(PackedRgb colour) {
    if (brush_ && brushColour_ == colour) return brush_;
    HBRUSH made = CreateSolidBrush(colourRef(colour));
    // A brush that cannot be made leaves the previous one in use.
    if (!made) return brush_;
    if (brush_) DeleteObject(brush_);
    brush_ = made;
    brushColour_ = colour;
    return brush_;
}

COLORREF colourRef(PackedRgb colour) {
    return RGB((colour >> 16) & 0xff, (colour >> 8) & 0xff, colour & 0xff);
}

HFONT createFont(const FontSpec& spec, bool underline, double scale) {
    LOGFONTA description{};
    description.lfHeight = -static_cast<LONG>(std::lround(spec.pixelHeight * scale));
    description.lfWeight = spec.bold ? kBoldWeight : kNormalWeight;
    description.lfItalic = spec.italic ? TRUE : FALSE;
    description.lfUnderline = underline ? TRUE : FALSE;
    description.lfCharSet = ANSI_CHARSET;
    description.lfOutPrecision = OUT_STRING_PRECIS;
    description.lfClipPrecision = CLIP_STROKE_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily =
        static_cast<BYTE>(VARIABLE_PITCH | (spec.decorative ? FF_DECORATIVE : FF_SWISS));
    lstrcpynA(description.lfFaceName, spec.face.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&description);
}

HFONT GdiSurface::font(const FontSpec& spec, bool underline) {
    if (font_ && fontSpec_.face == spec.face && fontSpec_.pixelHeight == spec.pixelHeight &&
        fontSpec_.bold == spec.bold && fontSpec_.italic == spec.italic &&
        fontSpec_.decorative == spec.decorative && fontUnderline_ == underline) {
        return font_;
    }
    if (font_) DeleteObject(font_);
    font_ = createFont(spec, underline, scale_);
    fontSpec_ = spec;
    fontUnderline_ = underline;
    return font_;
}

void GdiSurface::fillRect(const PixelRect& rect, PackedRgb colour) {
    if (!dc_) return;
    const RECT area = deviceRect(rect);
    if (HBRUSH fill = brush(colour)) FillRect(dc_, &area, fill);
}

void GdiSurface::strokePolyline(const PixelPoint* points, int32_t count, bool closed,
                                const PenStyle& style) {
    if (!dc_ || !points || count < 2) return;
    // A wide pen is centred on its points, so each point moves to the middle of the device
    // pixels its logical pixel covers.
    const int32_t centre = penGrowth(style.width).first;
    std::vector<POINT> path;
    path.reserve(static_cast<size_t>(count) + 1);
    for (int32_t i = 0; i < count; ++i)
        path.push_back({device(points[i].x) + centre, device(points[i].y) + centre});
    if (closed) path.push_back(path.front());
    SelectedObjects selected(dc_);
    selected.select(pen(style));
    // Dotted pens leave their gaps unpainted.
    SetBkMode(dc_, TRANSPARENT);
    Polyline(dc_, path.data(), static_cast<int>(path.size()));
}

void GdiSurface::fillPolygon(const PixelPoint* points, int32_t count, PackedRgb colour) {
    if (!dc_ || !points || count < 3) return;
    std::vector<POINT> corners;
    corners.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        corners.push_back({device(points[i].x), device(points[i].y)});
    SelectedObjects selected(dc_);
    selected.select(GetStockObject(NULL_PEN));
    selected.select(brush(colour));
    Polygon(dc_, corners.data(), count);
}

void GdiSurface::strokeArc(const PixelRect& box, PixelPoint start, PixelPoint end,
                           const PenStyle& style) {
    if (!dc_) return;
    SelectedObjects selected(dc_);
    selected.select(pen(style));
    SetArcDirection(dc_, AD_COUNTERCLOCKWISE);
    // A wide pen is centred on the curve, so the box shrinks by what the pen grew on each side.
    const auto [before, after] = penGrowth(style.width);
    const RECT area = deviceRect(box);
    Arc(dc_, area.left + before, area.top + before, area.right - after, area.bottom - after,
        device(start.x), device(start.y), device(end.x), device(end.y));
}

void GdiSurface::drawText(const char* text, const PixelRect& box, TextAlignment alignment,
                          const TextStyle& style) {
    if (!dc_ || !text) return;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    RECT area = deviceRect(box);
    if (alignment == TextAlignment::Centre) format |= DT_CENTER;
    if (alignment == TextAlignment::Right) format |= DT_RIGHT;
    if (alignment == TextAlignment::Left) area.left = device(box.left + 1);
    SelectedObjects selected(dc_);
    selected.select(font(style.font, style.underline));
    SetTextColor(dc_, colourRef(style.colour));
    if (style.background) {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, colourRef(*style.background));
    }
    DrawTextA(dc_, text, -1, &area, format);
    SetBkMode(dc_, TRANSPARENT);
}

double GdiSurface::textWidth(const char* text, const FontSpec& spec) {
    if (!dc_ || !text) return 0.0;
    SelectedObjects selected(dc_);
    selected.select(font(spec, false));
    SIZE extent{};
    if (!GetTextExtentPoint32A(dc_, text, lstrlenA(text), &extent)) return 0.0;
    return extent.cx / scale_;
}

void GdiSurface::copyFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from) {
    if (!dc_ || !static_cast<GdiSurface&>(source).dc_) return;
    const GdiSurface& picture = static_cast<GdiSurface&>(source).atScale(scale_);
    const RECT area = deviceRect(place);
    BitBlt(dc_, area.left, area.top, area.right - area.left, area.bottom - area.top, picture.dc_,
           device(from.x), device(from.y), SRCCOPY);
}

// A one-bit picture of the whole surface, 1 where its pixel is the key colour: a colour to
// monochrome copy maps the source's background colour to 1 and everything else to 0.
HBITMAP GdiSurface::keyMask(PackedRgb key) {
    if (mask_ && maskKey_ == key) return mask_;
    if (mask_) DeleteObject(mask_);
    mask_ = nullptr;
    ScratchContext mask(dc_, monochromeBitmap(deviceWidth_, deviceHeight_));
    if (!mask.ready()) return nullptr;
    const COLORREF previous = SetBkColor(dc_, colourRef(key));
    BitBlt(mask.dc(), 0, 0, deviceWidth_, deviceHeight_, dc_, 0, 0, SRCCOPY);
    SetBkColor(dc_, previous);
    mask_ = mask.release();
    maskKey_ = key;
    return mask_;
}

// Masks a copy of the picture's area to black where it is transparent, masks the canvas's area
// to black where the picture is opaque, and puts the two together: every opaque pixel is drawn
// and every pixel of the key colour is skipped. The picture itself is never written.
void GdiSurface::copyKeyedFrom(DrawingSurface& source, const PixelRect& place, PixelPoint from,
                               PackedRgb key) {
    if (!dc_ || !static_cast<GdiSurface&>(source).dc_) return;
    GdiSurface& picture = static_cast<GdiSurface&>(source).atScale(scale_);
    const RECT area = deviceRect(place);
    const int32_t w = area.right - area.left;
    const int32_t h = area.bottom - area.top;
    from = {device(from.x), device(from.y)};
    if (!picture.dc_ || w <= 0 || h <= 0) return;
    HBITMAP maskBitmap = picture.keyMask(key);
    if (!maskBitmap) return;
    ScratchContext mask(dc_, maskBitmap, ScratchContext::Bitmap::Borrowed);
    ScratchContext inverted(dc_, monochromeBitmap(w, h));
    ScratchContext part(dc_, CreateCompatibleBitmap(dc_, w, h));
    ScratchContext work(dc_, CreateCompatibleBitmap(dc_, w, h));
    if (!mask.ready() || !inverted.ready() || !part.ready() || !work.ready()) return;
    BitBlt(part.dc(), 0, 0, w, h, picture.dc_, from.x, from.y, SRCCOPY);
    BitBlt(inverted.dc(), 0, 0, w, h, mask.dc(), from.x, from.y, NOTSRCCOPY);
    BitBlt(work.dc(), 0, 0, w, h, dc_, area.left, area.top, SRCCOPY);
    // One-bit sources become colour through the target's colours: 1 as the background colour
    // (all ones, which AND keeps), 0 as the text colour (all zeros, which AND clears).
    for (HDC target : {work.dc(), part.dc()}) {
        SetBkColor(target, kAllOnes);
        SetTextColor(target, kAllZeros);
    }
    BitBlt(work.dc(), 0, 0, w, h, mask.dc(), from.x, from.y, SRCAND);
    BitBlt(part.dc(), 0, 0, w, h, inverted.dc(), 0, 0, SRCAND);
    BitBlt(work.dc(), 0, 0, w, h, part.dc(), 0, 0, SRCPAINT);
    BitBlt(dc_, area.left, area.top, w, h, work.dc(), 0, 0, SRCCOPY);
}

}  // namespace marrowfold::win32
