#pragma once

#include <cstdint>
#include <memory>

#include "gui/Geometry.h"
#include "platform/DrawingSurface.h"

namespace marrowfold {

class Canvas;

// A picture from the module's resources, shared by reference count. It draws opaquely, or with
// every pixel of its key colour left out.
class Bitmap {
  public:
    // Loads the resource of that id through the platform (where the platform decodes pictures
    // itself, from the picture source the code that draws them installed); a missing or
    // unreadable one gives a 0 x 0 bitmap that draws nothing.
    explicit Bitmap(int32_t resourceId);
    // Takes a picture made in memory; the id is only reported.
    Bitmap(int32_t resourceId, std::unique_ptr<DrawingSurface> picture);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    void retain() { referenceCount_++; }
    void release();
    int32_t retainCount() const { return referenceCount_; }

    // Copies a rect-sized area starting at offset in the bitmap to rect on the canvas (plus the
    // canvas's origin offset).
    void draw(Canvas& canvas, const Rect& rect, const Point& offset = {});
    // The same, leaving the canvas unchanged where the bitmap has the key colour.
    void drawKeyed(Canvas& canvas, const Rect& rect, const Point& offset = {});

    void setKeyColour(const Color& colour);
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t resourceId() const { return resourceId_; }

  private:
    ~Bitmap();

    int32_t resourceId_;
    int32_t referenceCount_ = 1;
    int32_t width_ = 0;
    int32_t height_ = 0;
    Color keyColour_ = kWhite;
    // The platform's picture; it keeps what a keyed draw needs (a mask) once made.
    std::unique_ptr<DrawingSurface> picture_;
};

}  // namespace marrowfold
