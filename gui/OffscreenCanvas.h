#pragma once

#include <memory>

#include "gui/Canvas.h"

namespace marrowfold {

// Owns the picture an offscreen canvas draws on; a base of its own so that the picture exists
// before the canvas over it.
class OffscreenPicture {
  protected:
    OffscreenPicture(int32_t width, int32_t height);
    std::unique_ptr<DrawingSurface> picture_;
};

// A canvas over a picture in memory, for views that compose a picture and copy it to the window
// in one step so that it does not flicker.
class OffscreenCanvas : private OffscreenPicture, public Canvas {
  public:
    OffscreenCanvas(Frame* frame, int32_t width, int32_t height, const Color& background);

    // Copies the rectangle's size from source in this picture to rect in target (plus the
    // target's origin offset).
    void copyTo(Canvas& target, const Rect& rect, const Point& source) const;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    Color background() const { return background_; }

  private:
    int32_t width_;
    int32_t height_;
    Color background_;
};

}  // namespace marrowfold
