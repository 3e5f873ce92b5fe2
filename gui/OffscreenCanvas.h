#pragma once

#include "gui/Canvas.h"

namespace marrowfold {

// A canvas over a picture in memory, for views that compose a picture and copy it to the window
// in one step so that it does not flicker.
class OffscreenCanvas : public Canvas {
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
