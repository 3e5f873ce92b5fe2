#pragma once

#include "gui/Control.h"

namespace marrowfold {

// A picture that opens over the panel on a click in its click area and closes on the next click
// inside the picture. While open it is the frame's exclusive view.
class SplashView : public Control {
  public:
    SplashView(const Rect& clickArea, ValueListener* listener, int32_t tag, Bitmap* bitmap,
               const Rect& displayRect, const Point& offset);

    void draw(Canvas* context) override;
    void mousePressed(Canvas* context, Point where) override;

    const Rect& displayRect() const { return displayRect_; }
    bool isOpen() const { return value_ != 0.0f; }

  private:
    void open(Canvas* context);
    void close(Canvas* context);

    Rect displayRect_;
    Rect savedRect_;
    Point offset_;
};

}  // namespace marrowfold
