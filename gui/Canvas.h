#pragma once

#include <cstdint>
#include <memory>

#include "gui/Geometry.h"
#include "platform/Platform.h"

namespace marrowfold {

class Frame;

// A drawing surface with a current pen, fill, font and text colour, and an origin offset added to
// every coordinate passed in. Lines and rectangle outlines are one pixel on pixel centres without
// antialiasing: a line covers its start pixel and stops before its end pixel, an outline covers
// its right and bottom edges, a fill stops before them. Text is antialiased.
class Canvas {
  public:
    static constexpr int32_t kDotted = 1;
    static constexpr int32_t kStyleBold = 1;
    static constexpr int32_t kStyleItalic = 2;
    static constexpr int32_t kStyleUnderline = 4;
    static constexpr int32_t kAlignCentre = 1;
    static constexpr int32_t kAlignRight = 2;

    // Draws on surface (null: every operation does nothing) for frame; window, when given,
    // places the canvas on screen for mousePosition.
    Canvas(Frame* frame, DrawingSurface* surface, WindowId window = kNoWindow);
    // Draws on a window's surface, keeping it alive as long as the canvas.
    Canvas(Frame* frame, std::shared_ptr<DrawingSurface> surface, WindowId window);
    virtual ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void moveTo(const Point& point);
    void lineTo(const Point& point);
    void drawPolyline(const Point* points, int32_t count);
    void fillPolygon(const Point* points, int32_t count);
    void drawRect(const Rect& rect);
    void fillRect(const Rect& rect);
    // An elliptic arc in the box (left, top)-(right + 1, bottom + 1), counter-clockwise from
    // the direction of start to the direction of end, seen from the centre.
    void drawArc(const Rect& rect, const Point& start, const Point& end);

    void setDash(int32_t style);
    void setPenWidth(int32_t width);
    void setPenColour(const Color& colour);
    void setFillColour(const Color& colour);
    void setTextColour(const Color& colour);
    void selectFont(int32_t id, int32_t size = 0, int32_t style = 0);
    // One line of text in rect: alignment 1 centred, 2 right, else left one pixel inside;
    // vertically centred and clipped to rect. Opaque text stands on the fill colour.
    void drawText(const char* text, const Rect& rect, bool opaque = false, int32_t alignment = 0);
    // How far the text advances in the current font, in pixels; 0 without a surface.
    double textWidth(const char* text);

    // Mouse buttons and modifier keys now (kMouseLeft ... kKeyAlt).
    uint32_t mouseState() const;
    // The cursor in window coordinates.
    void mousePosition(Point& where) const;

    void setOriginOffset(const Point& offset) { origin_ = offset; }
    Point originOffset() const { return origin_; }
    Frame* frame() const { return frame_; }
    WindowId window() const { return window_; }

    int32_t fontId() const { return fontId_; }
    int32_t fontSize() const { return fontSize_; }
    // Where a point or rectangle given to this canvas lands on its surface.
    PixelPoint place(const Point& point) const;
    PixelRect place(const Rect& rect) const;
    // The surface drawn on, or null.
    DrawingSurface* surface() const { return surface_; }

  private:
    void strokePath(const Point* points, int32_t count, bool closed);
    template <typename Draw>
    void withPlacedPoints(const Point* points, int32_t count, Draw draw) const;
    PenStyle pen() const;
    FontSpec font() const;

    Frame* frame_;
    WindowId window_;
    Point windowPosition_;
    Point origin_;
    Point penPosition_;
    std::shared_ptr<DrawingSurface> heldSurface_;
    DrawingSurface* surface_;
    int32_t fontSize_ = 0;
    int32_t fontId_ = 0;
    int32_t fontStyle_ = 0;
    Color fontColour_ = kWhite;
    Color penColour_ = kWhite;
    Color fillColour_ = kBlack;
    int32_t lineWidth_ = 1;
    int32_t lineStyle_ = 0;
};

}  // namespace marrowfold
