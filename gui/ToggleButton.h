#pragma once

#include "gui/Control.h"

namespace marrowfold {

// A two-state button drawn from a bitmap with both states stacked: off above, on below. It
// toggles on the press, without tracking the mouse.
class ToggleButton : public Control {
  public:
    ToggleButton(const Rect& size, ValueListener* listener, int32_t tag, Bitmap* bitmap);

    void draw(Canvas* context) override;
    void mousePressed(Canvas* context, Point where) override;
};

}  // namespace marrowfold
